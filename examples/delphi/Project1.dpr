program Project1;

uses
  Forms,
  Main in 'Main.pas' {frmMain},
  Greeting in 'Greeting.pas',
  Reports in 'Reports\Reports.pas';

{$R *.res}

begin
  Application.Initialize;
  Application.CreateForm(TfrmMain, frmMain);
  Application.Run;
end.

unit Main;

interface

uses
  Windows, SysUtils, Classes, Forms, Controls, StdCtrls, Dialogs;

type
  TfrmMain = class(TForm)
    btnOpen: TButton;
    lblStatus: TLabel;
    procedure btnOpenClick(Sender: TObject);
  end;

var
  frmMain: TfrmMain;

implementation

{$R *.dfm}

procedure TfrmMain.btnOpenClick(Sender: TObject);
begin
  Caption := Translate('Главное окно');
  lblStatus.Caption := Translate('Строка 1' + #13#10 + 'Строка 2');
  if not FileExists('data.txt') then
    ShowMessage('Файл ''data.txt'' не найден')
  else
    ShowMessage('Готово' + #13#10 + 'Можно продолжать');
end;

end.

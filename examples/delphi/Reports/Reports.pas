unit Reports;

interface

uses
  SysUtils, OrbTranslate;

procedure PrintReport(Total: Integer);

implementation

procedure PrintReport(Total: Integer);
begin
  WriteLn(Translate('Отчёт'));
  WriteLn('Итого: ', Total);
end;

end.

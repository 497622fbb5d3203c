unit Greeting;

interface

function GreetingText(const Name: string): string;

implementation

uses
  SysUtils;

function GreetingText(const Name: string): string;
begin
  if Name = '' then
    Result := 'Grüß Gott!'
  else
    Result := Format('Привет, %s!', [Name]);
end;

end.

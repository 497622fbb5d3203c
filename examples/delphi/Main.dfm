object frmMain: TfrmMain
  Left = 192
  Top = 107
  Width = 400
  Height = 200
  Caption = #1043#1083#1072#1074#1085#1086#1077' '#1086#1082#1085#1086
  Font.Charset = RUSSIAN_CHARSET
  object btnOpen: TButton
    Left = 16
    Top = 16
    Caption = #1054#1090#1082#1088#1099#1090#1100
    Hint = 'Открыть файл данных'
    OnClick = btnOpenClick
  end
  object lblStatus: TLabel
    Left = 16
    Top = 56
    Caption = #1057#1090#1088#1086#1082#1072' 1'#13#10#1057#1090#1088#1086#1082#1072' 2'
  end
  object lblCopyright: TLabel
    Left = 16
    Top = 120
    Caption = #169' Varnok'
  end
end

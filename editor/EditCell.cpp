#include "editor/EditCell.h"
#include "ui_EditCell.h"

#include "editor/CellText.h"
#include "component/OrbTranslate.h"
#include "component/TextRoutines.h"

#include <QFontMetrics>

TfrmEditCell::TfrmEditCell(QWidget* parent) : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmEditCell>())
{
    ui->setupUi(this);
    connect(ui->mmMemo, &QPlainTextEdit::textChanged, this, &TfrmEditCell::mmMemoChange);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmEditCell::~TfrmEditCell() = default;

void TfrmEditCell::SetCellText(const QString& text)
{
    // setPlainText reports the change itself, which updates the size labels once.
    ui->mmMemo->setPlainText(orb::restoreStr(text));
}

QString TfrmEditCell::GetCellText() const
{
    return orb::cleanStr(memoText());
}

QString TfrmEditCell::memoText() const
{
    return orb::memoText(ui->mmMemo->document()->toRawText());
}

void TfrmEditCell::mmMemoChange()
{
    const QFontMetrics metrics(font());
    int width = 0;
    int height = 0;
    for (const QString& line : orb::memoLines(memoText())) {
        width = std::max(width, metrics.horizontalAdvance(line));
        height += metrics.height();
    }
    ui->lblWidth->setText(Translate(QStringLiteral("Ширина")) + u':' + QString::number(width));
    ui->lblHeight->setText(Translate(QStringLiteral("Высота")) + u':' + QString::number(height));
}

void ExecuteEditCell(QString& text)
{
    TfrmEditCell dialog;
    dialog.SetCellText(text);
    if (dialog.exec() == QDialog::Accepted)
        text = dialog.GetCellText();
}

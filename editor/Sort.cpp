#include "editor/Sort.h"
#include "ui_Sort.h"

TfrmSort::TfrmSort(QWidget* parent) : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmSort>())
{
    ui->setupUi(this);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSort::~TfrmSort() = default;

void TfrmSort::setChoice(const orb::SortChoice& choice)
{
    (choice.ascending ? ui->rbAscending : ui->rbDescending)->setChecked(true);
    (choice.order == orb::SortOrder::CodePoint ? ui->rbCodePoint : ui->rbLocale)->setChecked(true);
}

orb::SortChoice TfrmSort::choice() const
{
    return {ui->rbAscending->isChecked(), ui->rbCodePoint->isChecked() ? orb::SortOrder::CodePoint : orb::SortOrder::Locale};
}

bool orb::sortDialog(QWidget* owner, orb::SortChoice& choice)
{
    TfrmSort dialog(owner);
    dialog.setChoice(choice);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}

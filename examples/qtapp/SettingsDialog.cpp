#include "SettingsDialog.h"
#include "ui_SettingsDialog.h"

#include <QPushButton>
#include <QSettings>
#ifdef QT_DEBUG
#include <QDebug>
#endif

namespace {

const QString kSaveOnExit = QStringLiteral("settings/saveOnExit");
const QString kFontSize = QStringLiteral("settings/fontSize");

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::SettingsDialog>())
{
    ui->setupUi(this);
    QSettings settings;
    ui->chkSaveOnExit->setChecked(settings.value(kSaveOnExit, true).toBool());
    ui->spnFontSize->setValue(settings.value(kFontSize, 10).toInt());
    ui->buttons->button(QDialogButtonBox::RestoreDefaults)->setToolTip("Back to the settings Notes came with");
    connect(ui->buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::save);
    connect(ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::save()
{
    QSettings settings;
    settings.setValue(kSaveOnExit, ui->chkSaveOnExit->isChecked());
    settings.setValue(kFontSize, ui->spnFontSize->value());
#ifdef QT_DEBUG
    qDebug() << "settings saved";
#endif
    accept();
}

#include "wizard/Wizard.h"
#include "ui_Wizard.h"

#include "wizard/FindWords.h"
#include "widgets/MessageCaption.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "wizard/SourceFile.h"

#include <QDir>
#include <QSettings>

namespace {

const QString kEncodingKey = QStringLiteral("Wizard/LegacyEncoding");
const QString kCppOfferKey = QStringLiteral("Wizard/CppOffer");

// As the settings file names them, in the order of the dialog's list.
const QStringList kCppOfferNames = {QStringLiteral("NonAscii"), QStringLiteral("WithLetter")};

} // namespace

TfrmWizard::TfrmWizard(QWidget* parent) : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmWizard>())
{
    ui->setupUi(this);
    FormCreate();
}

TfrmWizard::~TfrmWizard() = default;

void TfrmWizard::FormCreate()
{
    ui->cbxEncoding->addItems(orb::legacyEncodings());
    // Header texts, code page names and the chooser's "..." are no interface texts:
    // translating them would also teach them to the interface dictionary.
    if (TOrbTranslate* translator = TranslateInstance()) {
        for (QObject* name : {static_cast<QObject*>(ui->cbxLanguages), static_cast<QObject*>(ui->cbxEncoding),
                              static_cast<QObject*>(ui->btnProjectPath)})
            translator->AddNotTranslate(name);
    }
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmWizard::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->btnProjectPath, &QToolButton::clicked, this, &TfrmWizard::dedProjectPathButtonClick);
}

void TfrmWizard::setLanguages(const QStringList& headers)
{
    ui->cbxLanguages->clear();
    ui->cbxLanguages->addItems(headers);
    ui->cbxLanguages->setCurrentIndex(0);
}

void TfrmWizard::setLegacyEncoding(const QString& encoding)
{
    const int position = ui->cbxEncoding->findText(encoding, Qt::MatchFixedString);
    ui->cbxEncoding->setCurrentIndex(std::max(position, 0));
}

void TfrmWizard::setCppOffer(orb::CppOffer offer)
{
    ui->cbxCppOffer->setCurrentIndex(offer == orb::CppOffer::WithLetter ? 1 : 0);
}

QString TfrmWizard::language() const
{
    return ui->cbxLanguages->currentText();
}

QString TfrmWizard::projectPath() const
{
    return ui->dedProjectPath->text();
}

QByteArray TfrmWizard::legacyEncoding() const
{
    return ui->cbxEncoding->currentText().toLatin1();
}

orb::CppOffer TfrmWizard::cppOffer() const
{
    return ui->cbxCppOffer->currentIndex() == 1 ? orb::CppOffer::WithLetter : orb::CppOffer::NonAscii;
}

void TfrmWizard::btnOKClick()
{
    setResult(0);
    if (!ui->dedProjectPath->text().isEmpty()) {
        accept();
        return;
    }
    orb::Prompter::current().messageBox(this, orb::messageCaption(), Translate(QStringLiteral("Введите путь к Delphi проекту")),
                                   orb::Prompter::Icon::Warning, orb::Prompter::Ok);
}

void TfrmWizard::dedProjectPathButtonClick()
{
    const QString typed = ui->dedProjectPath->text();
    const QString chosen = orb::Prompter::current().existingDirectory(this, ui->Label2->text(),
                                                                 typed.isEmpty() ? QDir::homePath() : typed);
    if (!chosen.isEmpty())
        ui->dedProjectPath->setText(QDir::toNativeSeparators(chosen));
}

void RunProjectWizard(const QStringList& headers, orb::HarvestTarget& target, QWidget* owner, const QString& settingsPath)
{
    if (headers.isEmpty())
        return;
    TfrmWizard dialog(owner);
    dialog.setLanguages(headers);
    QSettings settings(settingsPath, QSettings::IniFormat);
    dialog.setLegacyEncoding(settings.value(kEncodingKey, orb::legacyEncodings().value(0)).toString());
    const bool withLetter = settings.value(kCppOfferKey).toString() == kCppOfferNames[1];
    dialog.setCppOffer(withLetter ? orb::CppOffer::WithLetter : orb::CppOffer::NonAscii);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // An unwritable settings file only means the choices are not remembered.
    settings.setValue(kEncodingKey, QString::fromLatin1(dialog.legacyEncoding()));
    settings.setValue(kCppOfferKey, kCppOfferNames[dialog.cppOffer() == orb::CppOffer::WithLetter ? 1 : 0]);
    settings.sync();
    ScanProjectDir(dialog.language(), dialog.projectPath(), target,
                   {dialog.legacyEncoding(), dialog.cppOffer()});
}

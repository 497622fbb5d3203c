#include "editor/Import.h"
#include "ui_Import.h"

#include "dictionary/DictionaryImport.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"

TfrmImport::TfrmImport(QWidget* parent) : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmImport>())
{
    ui->setupUi(this);
    connect(ui->cbxKeyLanguage, &QComboBox::currentIndexChanged, this, &TfrmImport::cbxKeyLanguageChange);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmImport::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::setLanguages(const QStringList& keyEntries, const QStringList& fileEntries)
{
    ui->cbxKeyLanguage->clear();
    ui->cbxKeyLanguage->addItems(keyEntries);
    ui->cbxImportLanguage->clear();
    ui->cbxImportLanguage->addItems(fileEntries);
}

void TfrmImport::showEvent(QShowEvent* event)
{
    orb::FixedDialog::showEvent(event);
    FormShow();
}

void TfrmImport::FormShow()
{
    FileLangs.clear();
    for (int i = 0; i < ui->cbxImportLanguage->count(); ++i) {
        const QString entry = ui->cbxImportLanguage->itemText(i);
        FileLangs.push_back({orb::importNamePart(entry), entry, i});
    }
    // Dictionaries are mostly made from English texts, so that is the likely key.
    int english = -1;
    for (int i = 0; i < ui->cbxKeyLanguage->count() && english < 0; ++i) {
        if (orb::asciiLower(ui->cbxKeyLanguage->itemText(i).left(7)) == QLatin1String("english"))
            english = i;
    }
    ui->cbxKeyLanguage->setCurrentIndex(english);
    FillImportLanguages();
}

void TfrmImport::FillImportLanguages()
{
    const QString keyName = orb::importNamePart(ui->cbxKeyLanguage->currentText());
    ui->cbxImportLanguage->clear();
    for (const FileLang& language : FileLangs) {
        if (language.namePart != keyName)
            ui->cbxImportLanguage->addItem(language.entry);
    }
    // A list without free text selects its first entry when filled; the user chooses here.
    ui->cbxImportLanguage->setCurrentIndex(-1);
}

void TfrmImport::cbxKeyLanguageChange()
{
    if (ui->cbxKeyLanguage->currentIndex() >= 0)
        FillImportLanguages();
}

int TfrmImport::fileLangPosition(const QString& namePart) const
{
    int position = -1;
    for (const FileLang& language : FileLangs) {
        if (language.namePart == namePart)
            position = language.position;
    }
    return position;
}

void TfrmImport::btnOKClick()
{
    if (ui->cbxKeyLanguage->currentIndex() < 0)
        return refuse(Translate(QStringLiteral("Выберите ключевой язык!")), ui->cbxKeyLanguage);
    if (ui->cbxImportLanguage->currentIndex() < 0)
        return refuse(Translate(QStringLiteral("Выберите импортируемый язык!")), ui->cbxImportLanguage);
    orb::ImportChoice choice;
    choice.keyEntry = ui->cbxKeyLanguage->currentText();
    choice.keyName = orb::importNamePart(choice.keyEntry);
    choice.keyPosition = fileLangPosition(choice.keyName);
    choice.importEntry = ui->cbxImportLanguage->currentText();
    choice.importName = orb::importNamePart(choice.importEntry);
    choice.importPosition = fileLangPosition(choice.importName);
    choice.keyColumn = ui->cbxKeyLanguage->currentIndex();
    // Only the fixed words are looked up: the whole text, with the language in it, would
    // never be in the dictionary.
    if (choice.keyPosition < 0)
        return refuse(Translate(QStringLiteral("Ключевой язык")) + u' ' + choice.keyEntry + u' '
                          + Translate(QStringLiteral("не найден в импортируемом файле!")),
                      nullptr);
    m_choice = choice;
    accept();
}

void TfrmImport::refuse(const QString& message, QWidget* field)
{
    orb::Prompter::current().messageBox(this, Translate(QStringLiteral("Импорт")), message, orb::Prompter::Icon::Warning, orb::Prompter::Ok);
    if (field)
        field->setFocus();
}

bool orb::importDialog(QWidget* owner, const QStringList& keyEntries, const QStringList& fileEntries, orb::ImportChoice& choice)
{
    TfrmImport dialog(owner);
    dialog.setLanguages(keyEntries, fileEntries);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}

#include "editor/AddLang.h"
#include "ui_AddLang.h"

#include "dictionary/Charsets.h"
#include "widgets/MessageCaption.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"

#include <QKeyEvent>

#include <algorithm>

TfrmAddLanguage::TfrmAddLanguage(QWidget* parent)
    : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmAddLanguage>())
{
    ui->setupUi(this);
    FormCreate();
}

TfrmAddLanguage::~TfrmAddLanguage() = default;

void TfrmAddLanguage::FormCreate()
{
    for (const orb::CharsetEntry& entry : orb::charsetList()) {
        ui->cbxLangCharset->addItem(QString::fromLatin1(entry.name));
        ui->lbxCharsetHelp->addItem(QString::fromLatin1(entry.help));
    }
    ui->cbxLangCharset->setMaxVisibleItems(ui->cbxLangCharset->count());
    // The names line up in a fixed-pitch font; where Courier New is missing, the style hint
    // picks the system's fixed-pitch face.
    QFont fixedPitch(QStringLiteral("Courier New"));
    fixedPitch.setStyleHint(QFont::TypeWriter);
    ui->cbxLangCharset->setFont(fixedPitch);
    QPalette face = ui->mmCharsetHelp->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    ui->mmCharsetHelp->setPalette(face);
    ui->cbxLangCharset->setCurrentIndex(0);
    connect(ui->cbxLangCharset, &QComboBox::currentIndexChanged, this, &TfrmAddLanguage::cbxLangCharsetChange);
    cbxLangCharsetChange();

    ui->cbxLangID->lineEdit()->installEventFilter(this);
    ui->edtLangDisplay->installEventFilter(this);
    ui->cbxLangCharset->installEventFilter(this);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmAddLanguage::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ui->cbxLangID->setFocus();
}

void TfrmAddLanguage::setLang(const TLang& lang)
{
    ui->cbxLangID->setEditText(lang.LangID);
    ui->edtLangDisplay->setText(lang.LangDisplay);
    const int position = ui->cbxLangCharset->findText(lang.LangCharset, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (position >= 0)
        ui->cbxLangCharset->setCurrentIndex(position);
}

TLang TfrmAddLanguage::lang() const
{
    return {ui->cbxLangID->currentText(), ui->edtLangDisplay->text(), ui->cbxLangCharset->currentText()};
}

namespace {

// A key that edits without typing (Delete, the arrows, Home), whatever text the platform gives
// it: X11 and Wayland give Delete the character U+007F. Backspace types one (code 8) in the
// edits the filter was made for; a key Qt cannot name types whatever its text is.
bool editsWithoutTyping(const QKeyEvent& key)
{
    return key.key() >= Qt::Key_Escape && key.key() != Qt::Key_unknown && key.key() != Qt::Key_Backspace;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

bool TfrmAddLanguage::cbxLangIDKeyPress(const QKeyEvent& key)
{
    if (editsWithoutTyping(key))
        return true;
    const QString typed = key.text();
    return std::all_of(typed.begin(), typed.end(), isAsciiLetter);
}

bool TfrmAddLanguage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return orb::FixedDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Enter is the OK button, checks included: what it accepted unchecked, no save would take.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        btnOKClick();
        return true;
    }
    // Tab moves between the controls; it reaches them as a character only on its way there.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || watched == ui->edtLangDisplay)
        return false;
    return !cbxLangIDKeyPress(*key);
}

QString orb::langIdRefusal(orb::LangIdCheck check)
{
    switch (check) {
    case orb::LangIdCheck::Empty:
        return QStringLiteral("Введите идентификатор языка");
    case orb::LangIdCheck::NotXmlName:
        return QStringLiteral("Идентификатор языка должен начинаться с латинской буквы и состоять из латинских букв");
    case orb::LangIdCheck::Taken:
        return QStringLiteral("Этот идентификатор уже есть у другого языка словаря");
    case orb::LangIdCheck::Valid:
        break;
    }
    return QString();
}

void TfrmAddLanguage::btnOKClick()
{
    setResult(0);
    // The writer refuses every identifier refused here, and a document it cannot save could
    // not be closed without giving up the changes.
    const QString refusal = langIdRefusal(orb::checkLangId(ui->cbxLangID->currentText(), m_takenIds));
    if (!refusal.isEmpty())
        return refuse(refusal, ui->cbxLangID);
    if (ui->edtLangDisplay->text().isEmpty())
        return refuse(QStringLiteral("Введите название языка"), ui->edtLangDisplay);
    accept();
}

void TfrmAddLanguage::refuse(const QString& message, QWidget* field)
{
    orb::Prompter::current().messageBox(this, orb::messageCaption(), Translate(message), orb::Prompter::Icon::Warning, orb::Prompter::Ok);
    field->setFocus();
}

void TfrmAddLanguage::cbxLangCharsetChange()
{
    const int position = ui->cbxLangCharset->currentIndex();
    ui->cbxLangCharset->setToolTip(ui->cbxLangCharset->currentText());
    ui->mmCharsetHelp->clear();
    if (position >= 0 && position < ui->lbxCharsetHelp->count())
        ui->mmCharsetHelp->setPlainText(ui->lbxCharsetHelp->item(position)->text());
}

namespace {

bool runLanguageDialog(TLang& lang, QWidget* owner, const QString& caption, const TLang* shown,
                       const QStringList& takenIds)
{
    TfrmAddLanguage dialog(owner);
    dialog.setWindowTitle(Translate(caption));
    dialog.setTakenIds(takenIds);
    if (shown)
        dialog.setLang(*shown);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    lang = dialog.lang();
    return true;
}

} // namespace

bool AddLanguageDialog(TLang& lang, QWidget* owner, const QStringList& takenIds)
{
    return runLanguageDialog(lang, owner, QStringLiteral("Добавить язык"), nullptr, takenIds);
}

bool LangPropertyDialog(TLang& lang, QWidget* owner, const QStringList& takenIds)
{
    const TLang shown = lang;
    return runLanguageDialog(lang, owner, QStringLiteral("Свойства языка"), &shown, takenIds);
}

#include "component/OrbTranslate.h"
#include "component/OrbTranslate_p.h"

#include "component/BusyCursor.h"
#include "component/DictionaryFile.h"
#include "component/ProductName.h"
#include "component/PhraseTable.h"
#include "component/Prompter.h"
#include "component/TextRoutines.h"
#include "component/TranslateWalk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaType>
#include <QWidget>

namespace {


TOrbTranslate* translateInstance = nullptr;

bool hasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// The font charsets of the languages written from right to left.
constexpr quint8 kHebrewCharset = 177;
constexpr quint8 kArabicCharset = 178;

Qt::LayoutDirection layoutDirectionOf(quint8 charset)
{
    return charset == kHebrewCharset || charset == kArabicCharset ? Qt::RightToLeft : Qt::LeftToRight;
}

} // namespace

TOrbTranslate::TOrbTranslate(QObject* owner) : QObject(owner), d(std::make_unique<TOrbTranslatePrivate>())
{
    translateInstance = this;
    // Qt builds no form from a stored description, so nothing calls the start-up while
    // properties are applied; the first pass of the event loop stands in for that moment.
    QMetaObject::invokeMethod(this, &TOrbTranslate::DefineProperties, Qt::QueuedConnection);
}

TOrbTranslate::~TOrbTranslate()
{
    removeQtTranslator();
    FreeDictionary();
    orb::removeHooksOf(this);
    if (translateInstance == this)
        translateInstance = nullptr;
}

QString TOrbTranslate::DictName() const { return d->dictName; }
void TOrbTranslate::SetDictName(const QString& name) { d->dictName = name; }
bool TOrbTranslate::UseOnShowHint() const { return d->useOnShowHint; }
void TOrbTranslate::SetUseOnShowHint(bool use) { d->useOnShowHint = use; }
bool TOrbTranslate::UseOnActiveFormChange() const { return d->useOnActiveFormChange; }
void TOrbTranslate::SetUseOnActiveFormChange(bool use) { d->useOnActiveFormChange = use; }
bool TOrbTranslate::UseQtTranslator() const { return d->useQtTranslator; }
void TOrbTranslate::SetUseQtTranslator(bool use) { d->useQtTranslator = use; }
bool TOrbTranslate::SuppressMessage() const { return d->suppressMessage; }
void TOrbTranslate::SetSuppressMessage(bool suppress) { d->suppressMessage = suppress; }
bool TOrbTranslate::IsDesignMode() const { return d->designMode; }
void TOrbTranslate::SetDesignMode(bool designMode) { d->designMode = designMode; }
bool TOrbTranslate::Initialized() const { return d->initialized; }
bool TOrbTranslate::Modified() const { return d->modified; }
quint8 TOrbTranslate::CurCharset() const { return d->curCharset; }
QString TOrbTranslate::DefaultLangID() const { return d->defaultLangID; }
int TOrbTranslate::LastLangIndex() const { return d->lastLangIndex; }

namespace {

QString relativeDictionaryPath(QString dictName)
{
    return dictName.replace(u'\\', u'/');
}

} // namespace

QString TOrbTranslate::DictionaryPath() const
{
    return QCoreApplication::applicationDirPath() + u'/' + relativeDictionaryPath(d->dictName);
}

QString TOrbTranslate::UserDictionaryPath() const
{
    // Subfolders of DictName are kept; a path that leads out of the executable's folder
    // ("../share/app.lng") must not lead out of the user's, so only its file name counts.
    QString relative = QDir::cleanPath(relativeDictionaryPath(d->dictName));
    if (relative == u".." || relative.startsWith(u"../") || QDir::isAbsolutePath(relative))
        relative = QFileInfo(relative).fileName();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + u'/' + relative;
}

QString TOrbTranslate::pathToLoad() const
{
    const QFileInfo installed(DictionaryPath());
    const QFileInfo user(UserDictionaryPath());
    // Equal times are a save right after the installed file was written, within the file
    // system's clock tick: the copy is the later one.
    if (user.exists() && (!installed.exists() || user.lastModified() >= installed.lastModified()))
        return user.filePath();
    return installed.filePath();
}

void TOrbTranslate::ensureStarted()
{
    if (!d->initialized && !d->designMode)
        DefineProperties();
}

void TOrbTranslate::DefineProperties()
{
    if (d->designMode || d->initialized)
        return;
    d->initialized = true;
    // A failure here must not break the window that owns the component.
    try {
        d->loaded = loadDictionary();
        installHooks();
        if (d->useQtTranslator)
            installQtTranslator();
    } catch (...) {
    }
}

void TOrbTranslate::showMessage(const QString& text, int icon)
{
    if (!d->suppressMessage)
        orb::Prompter::current().messageBox(nullptr, orb::productName(), text, orb::Prompter::Icon(icon), orb::Prompter::Ok);
}

bool TOrbTranslate::InitDictionary()
{
    // A call before the start-up has run is answered by the start-up's own load: reading
    // the same file twice in a row would change nothing but show its messages twice.
    if (!d->initialized && !d->designMode) {
        DefineProperties();
        return d->loaded;
    }
    return loadDictionary();
}

bool TOrbTranslate::loadDictionary()
{
    const QString path = pathToLoad();
    d->loadedUserCopy = path != DictionaryPath();
    if (!QFileInfo::exists(path)) {
        showMessage(QStringLiteral("Dictionary not found\r\n") + path, int(orb::Prompter::Icon::Warning));
        return false;
    }
    orb::BusyCursor busy;
    const orb::ReadResult result = orb::readDictionaryFile(path, d->table);
    refreshLookup();
    busy.restore();
    switch (result) {
    case orb::ReadResult::Ok:
        return true;
    case orb::ReadResult::UnknownFile:
        showMessage(QStringLiteral("Unknown file of the dictionary"), int(orb::Prompter::Icon::Warning));
        break;
    case orb::ReadResult::UnknownCharset:
        showMessage(QStringLiteral("Unknown charset of the dictionary"), int(orb::Prompter::Icon::Warning));
        break;
    case orb::ReadResult::ReadError:
        showMessage(QStringLiteral("Error at reading the dictionary"), int(orb::Prompter::Icon::Error));
        break;
    }
    return false;
}

void TOrbTranslate::FreeDictionary()
{
    d->table.clear();
    refreshLookup();
}

void TOrbTranslate::refreshLookup()
{
    d->lookup.current = d->table.findLanguageIgnoringCase(d->curLangID);
    d->lookup.fallbackSet = !d->defaultLangID.isEmpty();
    d->lookup.fallback = d->lookup.fallbackSet ? d->table.findLanguageIgnoringCase(d->defaultLangID) : -1;
}

int TOrbTranslate::GetIndLangID(const QString& langId)
{
    ensureStarted();
    const QList<TLangDict>& languages = d->table.languages();
    for (int i = 0; i < languages.size(); ++i) {
        if (languages[i].LangID == langId)
            return i;
    }
    return -1;
}

void TOrbTranslate::GetLangIDs(QStringList* list)
{
    ensureStarted();
    if (!list)
        return;
    list->clear();
    for (const TLangDict& language : d->table.languages())
        list->append(language.LangID);
}

bool TOrbTranslate::SetLangID(const QString& value)
{
    ensureStarted();
    const QList<TLangDict>& languages = d->table.languages();
    auto matching = [&](const QString& wanted) {
        for (int i = 0; i < languages.size(); ++i) {
            if (languages[i].LangID == wanted || languages[i].LangName == wanted)
                return i;
        }
        return -1;
    };
    int index = matching(value);
    if (index < 0)
        index = matching(orb::deleteAmpersand(value));
    if (index < 0)
        return false;

    d->curLangID = languages[index].LangID;
    d->curCharset = languages[GetIndLangID(d->curLangID)].Charset;
    refreshLookup();

    if (hasGuiApplication()) {
        QGuiApplication::setLayoutDirection(layoutDirectionOf(d->curCharset));
        const QString title = QGuiApplication::applicationDisplayName();
        const QString translated = TranslateNotSave(title);
        if (translated != title)
            QGuiApplication::setApplicationDisplayName(translated);
    }
    // The handlers first, the walk after them, as every later activation of a window walks
    // it again: the walk finds a text a handler set from tr() translated already and leaves
    // it, and changes only what no handler sets.
    if (d->qtTranslator)
        sendLanguageChange();
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (QWidget* window : QApplication::topLevelWidgets())
            TranslateAllComponents(window);
    }
    return true;
}

void TOrbTranslate::installQtTranslator()
{
    if (!QCoreApplication::instance() || d->qtTranslator)
        return;
    d->qtTranslator = std::make_unique<orb::DictionaryTranslator>(*this);
    QCoreApplication::installTranslator(d->qtTranslator.get());
}

void TOrbTranslate::removeQtTranslator()
{
    if (!d->qtTranslator)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::removeTranslator(d->qtTranslator.get());
    d->qtTranslator.reset();
}

void TOrbTranslate::sendLanguageChange()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    // Qt answers the application's LanguageChange by posting one to every window, each of
    // which hands it down to its widgets. Delivered at once, the handlers have run when
    // SetLangID returns, as the walk has.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(application, &change);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

bool TOrbTranslate::translateForQt(QStringView text, QString& translated)
{
    const int row = d->table.findRow(text, d->lookup, d->lastLangIndex);
    if (row < 0)
        return false;
    // Qt widgets break lines at a line feed alone: a carriage return before it shows as a
    // glyph or a gap.
    translated = d->table.translated(row, text, d->lookup, orb::PhraseTable::LineBreaks::LineFeedAlone);
    return true;
}

bool TOrbTranslate::hasDictionary() const
{
    return d->table.languageCount() > 0;
}

bool TOrbTranslate::SetLangIDDefault(const QString& langId)
{
    ensureStarted();
    if (d->table.findLanguageIgnoringCase(langId) < 0) {
        orb::Prompter::current().showMessage(QStringLiteral("ERROR SetLangIDDefault: Language ") + langId
                                        + QStringLiteral(" not found"));
        return false;
    }
    d->defaultLangID = langId;
    refreshLookup();
    return true;
}

QString TOrbTranslate::CurrentLangID()
{
    ensureStarted();
    return d->curLangID;
}

QString TOrbTranslate::GetLangName(const QString& langId)
{
    const int index = GetIndLangID(langId);
    return index < 0 ? QString() : d->table.languages()[index].LangName;
}

QString TOrbTranslate::Translate(const QString& text)
{
    ensureStarted();
    bool learned = false;
    QString result = d->table.translate(text, d->lookup, d->lastLangIndex, d->learn, &learned);
    if (learned)
        d->modified = true;
    return result;
}

QString TOrbTranslate::TranslateNotSave(const QString& text)
{
    struct LearnAgain
    {
        bool& learn;
        ~LearnAgain() { learn = true; }
    } learnAgain{d->learn};
    d->learn = false;
    return Translate(text);
}

const TLangDict* TOrbTranslate::GetDictLang(const QString& langId)
{
    ensureStarted();
    const int index = d->table.findLanguageIgnoringCase(langId);
    return index < 0 ? nullptr : &d->table.languages()[index];
}

bool TOrbTranslate::SaveDictionary()
{
    ensureStarted();
    if (d->dictName.isEmpty() || d->table.languageCount() == 0)
        return false;
    orb::BusyCursor busy;
    const auto writeTo = [this](const QString& path) {
        return orb::writeDictionaryFile(d->table.languages(), path, orb::Layout::Compact);
    };
    bool saved = !d->loadedUserCopy && writeTo(DictionaryPath());
    // An installed application's folder is not the user's to write: the phrases learned go
    // to the user's own copy, which the next start loads because it is newer. A DictName
    // that names no folder at all is the host's mistake, and stays one.
    if (!saved && (d->loadedUserCopy || QFileInfo(QFileInfo(DictionaryPath()).path()).isDir())) {
        const QString user = UserDictionaryPath();
        saved = QDir().mkpath(QFileInfo(user).path()) && writeTo(user);
        d->loadedUserCopy = saved;
    }
    busy.restore();
    if (!saved)
        showMessage(QStringLiteral("Error at saving"), int(orb::Prompter::Icon::Error));
    return saved;
}

QString TOrbTranslate::CleanStr(const QString& text) { return orb::cleanStr(text); }
QString TOrbTranslate::RestoreStr(const QString& text) { return orb::restoreStr(text); }
QString TOrbTranslate::DeleteAmpersand(const QString& text) { return orb::deleteAmpersand(text); }

TOrbTranslate* TranslateInstance()
{
    return translateInstance;
}

QString Translate(const QString& text)
{
    return translateInstance ? translateInstance->Translate(text) : text;
}

QString Translate(const char* utf8Text)
{
    return Translate(QString::fromUtf8(utf8Text));
}

QString Translate(const char16_t* text)
{
    return Translate(QString::fromUtf16(text));
}

QString Translate(const char32_t* text)
{
    return Translate(QString::fromUcs4(text));
}

QString Translate(const wchar_t* text)
{
    return Translate(QString::fromWCharArray(text));
}

void Register()
{
    qRegisterMetaType<TOrbTranslate*>();
}

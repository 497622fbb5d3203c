#pragma once

#include "LangDict.h"
#include "orbtranslatetoolkit_export.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;
struct TOrbTranslatePrivate;
namespace orb {
class DictionaryTranslator;
}

// Run-time translation of a Qt application's user interface from an XML dictionary.
//
// A host creates one instance owned by its main window. Its one-time start-up (the first
// pass of the event loop, or the host's first call that needs the dictionary, whichever
// comes first) loads DictName from the executable's directory and hooks window activation
// and tooltips. SetLangID then picks the language; the unit-level Translate() translates
// the host's own literals and learns texts it has never seen.
class ORBTRANSLATETOOLKIT_EXPORT TOrbTranslate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString DictName READ DictName WRITE SetDictName)
    Q_PROPERTY(bool UseOnShowHint READ UseOnShowHint WRITE SetUseOnShowHint)
    Q_PROPERTY(bool UseOnActiveFormChange READ UseOnActiveFormChange WRITE SetUseOnActiveFormChange)
    Q_PROPERTY(bool SuppressMessage READ SuppressMessage WRITE SetSuppressMessage)
    Q_PROPERTY(bool UseQtTranslator READ UseQtTranslator WRITE SetUseQtTranslator)

public:
    // Becomes the instance that serves the unit-level Translate().
    Q_INVOKABLE explicit TOrbTranslate(QObject* owner = nullptr);
    // Leaves no hook and no TranslateInstance() pointing at this instance.
    ~TOrbTranslate() override;

    // File name of the dictionary relative to the executable's directory ("\" works as "/").
    // Changing it does not reload.
    QString DictName() const;
    void SetDictName(const QString& name);
    // Whether start-up hooks tooltips / window activation; read at start-up only.
    bool UseOnShowHint() const;
    void SetUseOnShowHint(bool use);
    bool UseOnActiveFormChange() const;
    void SetUseOnActiveFormChange(bool use);
    // Whether start-up installs a QTranslator that answers tr() and QCoreApplication::translate
    // (Qt's own dialogs included) from the dictionary; read at start-up only. With it,
    // SetLangID also sends QEvent::LanguageChange, so that changeEvent/retranslateUi
    // handlers run, after the walk. A source text with %n is looked up as written; Qt puts
    // the number in afterwards, so each language holds one text for every count.
    bool UseQtTranslator() const;
    void SetUseQtTranslator(bool use);
    // No message boxes from loading and saving (the SetLangIDDefault message is still shown).
    bool SuppressMessage() const;
    void SetSuppressMessage(bool suppress);
    // In design mode the start-up neither loads nor hooks anything.
    bool IsDesignMode() const;
    void SetDesignMode(bool designMode);

    // The one-time start-up; does nothing in design mode or when it has run already.
    Q_INVOKABLE void DefineProperties();
    // True once the start-up has run.
    bool Initialized() const;

    // (Re)loads the dictionary file. False, with a message unless suppressed, when the file
    // is missing (dictionary untouched), not a dictionary (untouched), lacks charsets
    // (languages kept, no phrases) or cannot be read (what was read so far is kept).
    bool InitDictionary();
    // Empties the in-memory dictionary.
    void FreeDictionary();
    // Index of the first language with exactly this identifier, or -1.
    int GetIndLangID(const QString& langId);
    // Replaces the list's contents with the identifiers in language order; nullptr is ignored.
    void GetLangIDs(QStringList* list);
    // Selects the language with this identifier or display name (exact, then without "&"),
    // sets the application's layout direction (right to left for the Hebrew and Arabic
    // charsets, 177 and 178, left to right for any other) and retranslates the application
    // title and every top-level window. False, with nothing changed, when no language matches.
    bool SetLangID(const QString& value);
    // Sets the language whose texts stand in for blank ones; the identifier is matched
    // ignoring case. False, after a message that is never suppressed, when it is not found.
    bool SetLangIDDefault(const QString& langId);
    // The current language's identifier; empty before the first successful SetLangID.
    QString CurrentLangID();
    // Display name of the first language with exactly this identifier; empty if none.
    QString GetLangName(const QString& langId);

    // The text in the current language. A text found in no language is returned without
    // carriage returns restored to CR LF and is learned (appended as a row to every language).
    QString Translate(const QString& text);
    // As Translate, but never learns.
    QString TranslateNotSave(const QString& text);
    // The language whose identifier equals langId ignoring case, or nullptr. The pointer is
    // valid until the dictionary is next loaded or freed.
    const TLangDict* GetDictLang(const QString& langId);
    // Writes the in-memory dictionary back to the file it was loaded from, replacing it
    // atomically; when that is the one beside the executable and it cannot be written, to
    // UserDictionaryPath instead. False, with nothing written, when DictName is empty or there
    // is no language; false with "Error at saving" (unless suppressed) and the files as they
    // were when neither can be written.
    bool SaveDictionary();

    // The text without carriage returns.
    static QString CleanStr(const QString& text);
    // The text with a carriage return before every line feed that lacks one.
    static QString RestoreStr(const QString& text);
    // The text without "&" characters.
    static QString DeleteAmpersand(const QString& text);

    // Excludes the object's own texts and font from translation; what it owns is still
    // translated. Objects are compared by identity and never followed; an object's entry
    // goes when the object is destroyed. nullptr is ignored.
    void AddNotTranslate(QObject* object);
    // TranslateAllComponents of the window; nullptr is ignored.
    void TranslateForm(QWidget* form);
    // Translates the object and, depth first, everything it owns (QObject::children()), each
    // before what it owns. A failure in one object ends only that object's own properties.
    void TranslateAllComponents(QObject* component);
    // Translates the object's own texts: every readable, writable QString property but the
    // content of text-entry widgets and the properties that hold no text for people (the
    // lists in TranslateWalk.cpp), QStringList properties line by line, the items of combo
    // boxes, list, tree and table widgets (texts and tips, headers included), the tabs of tab
    // widgets and the pages of tool boxes, and, recursively, objects its properties refer
    // to; an object holding a QFont property gets the current charset in its dynamic
    // property "charset". A value is written back only when its translation differs, with
    // line feeds alone; a button keeps a shortcut that was not its text's mnemonic. Qt's
    // helper objects (named "qt_...", rich-text documents and their controls) are left alone.
    void TranslateComponent(QObject* object);
    // TranslateNotSave with line breaks as Qt widgets want them: line feeds alone.
    QString TranslateForWidget(const QString& text);
    // Window activation: translates the active window.
    void OnActiveFormChange(QObject* sender);
    // Tooltips: the text is replaced by its translation (never learned), line feeds alone.
    void OnShowHint(QString& hintText);

    // True once a phrase has been learned; nothing clears it.
    bool Modified() const;
    // Charset number of the current language (0 before one is chosen).
    quint8 CurCharset() const;
    // The fallback language identifier as set by SetLangIDDefault; empty if none.
    QString DefaultLangID() const;
    // The language in which the last successful search found its text; -1 at first.
    int LastLangIndex() const;
    // The full path of the dictionary beside the executable.
    QString DictionaryPath() const;
    // Where SaveDictionary keeps the dictionary when DictionaryPath's folder cannot be written
    // (an installed application): DictName under the user's QStandardPaths::AppLocalDataLocation.
    // Loading takes this copy instead unless the one beside the executable is newer (an
    // update of the application), or when that one is missing.
    QString UserDictionaryPath() const;

private:
    friend class orb::DictionaryTranslator;
    // TranslateForWidget without the start-up for a text the dictionary holds; false, with
    // translated untouched, for one it does not. Never learns.
    bool translateForQt(QStringView text, QString& translated);
    bool hasDictionary() const;
    void installQtTranslator();
    void removeQtTranslator();
    void sendLanguageChange();
    void ensureStarted();
    void installHooks();
    void walk(QObject* component, QSet<const QObject*>& visited);
    void translateObject(QObject* object, QSet<const QObject*>& visited);
    void giveCurrentCharset(QObject* object);
    bool loadDictionary();
    // The file loading reads: the user's copy when it is newer, else the one beside the executable.
    QString pathToLoad() const;
    void refreshLookup();
    void showMessage(const QString& text, int icon);

    std::unique_ptr<TOrbTranslatePrivate> d;
};

// The instance constructed last (and not yet destroyed), or nullptr.
ORBTRANSLATETOOLKIT_EXPORT TOrbTranslate* TranslateInstance();

// Translates a text through TranslateInstance(), learning unseen texts; returns the text
// unchanged when there is no instance.
ORBTRANSLATETOOLKIT_EXPORT QString Translate(const QString& text);
// The same for a UTF-8 literal, for hosts that write Translate("...").
ORBTRANSLATETOOLKIT_EXPORT QString Translate(const char* utf8Text);
// The same for the other kinds of C++ string literal (u"...", U"...", L"...", u8"..."), so that
// a literal of any kind can be wrapped in Translate(...) as it is written.
ORBTRANSLATETOOLKIT_EXPORT QString Translate(const char16_t* text);
ORBTRANSLATETOOLKIT_EXPORT QString Translate(const char32_t* text);
ORBTRANSLATETOOLKIT_EXPORT QString Translate(const wchar_t* text);
#if defined(__cpp_char8_t)
inline QString Translate(const char8_t* utf8Text)
{
    return Translate(reinterpret_cast<const char*>(utf8Text));
}
#endif

// Makes TOrbTranslate creatable by name through Qt's meta-type system
// (QMetaType::fromName("TOrbTranslate*").metaObject()->newInstance(...)).
ORBTRANSLATETOOLKIT_EXPORT void Register();

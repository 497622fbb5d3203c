// The editor's interface language: the language menu, the choice remembered in Settings.ini
// beside the executable, and every window, dialog and message in each interface language.
//
// This test has a directory of its own (with the editor's interface dictionary), because
// the Settings.ini it writes beside its executable would change how other tests start.
#include "editor/AddLang.h"
#include "editor/DictGridModel.h"
#include "editor/EditCell.h"
#include "EditorTestHelpers.h"
#include "wizard/FindWords.h"
#include "editor/Main.h"
#include "component/OrbTranslate.h"
#include "editor/QtTranslations.h"
#include "RecordingPrompter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;
using editortest::idle;
using editortest::onNextDialog;

namespace {

QString settingsPath()
{
    return TfrmMain::settingsPath();
}

void removeSettings()
{
    QFile::remove(settingsPath());
    QDir(settingsPath()).removeRecursively();
}

void writeSettings(const QByteArray& contents)
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray settingsContents()
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool holdsCyrillic(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

// Every text an object shows: its string properties (objectName is a name, not a text) and
// the items of lists and combo boxes, as "Class.property: text" for the failure message.
QStringList shownTexts(const QObject* object)
{
    QStringList texts;
    const QString who = QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (qstrcmp(property.name(), "objectName") == 0 || !property.isReadable())
            continue;
        const QVariant value = property.read(object);
        if (value.metaType() == QMetaType::fromType<QString>())
            texts << who + u'.' + QString::fromLatin1(property.name()) + u": "_s + value.toString();
        else if (value.metaType() == QMetaType::fromType<QStringList>())
            texts << who + u'.' + QString::fromLatin1(property.name()) + u": "_s + value.toStringList().join(u'|');
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(object)) {
        for (int i = 0; i < combo->count(); ++i)
            texts << who + u" item: "_s + combo->itemText(i);
    }
    if (const auto* list = qobject_cast<const QListWidget*>(object)) {
        for (int i = 0; i < list->count(); ++i)
            texts << who + u" item: "_s + list->item(i)->text();
    }
    return texts;
}

// The texts of a window and of everything it owns, except the given objects.
QStringList windowTexts(const QObject* window, const QList<QAction*>& except = {})
{
    QStringList texts = shownTexts(window);
    for (const QObject* child : window->findChildren<QObject*>()) {
        if (!except.contains(child))
            texts << shownTexts(child);
    }
    return texts;
}

// A dialog is translated when it becomes the active window; its texts are read after that.
QStringList activeDialogTexts(QDialog* dialog)
{
    if (!QTest::qWaitForWindowActive(dialog))
        return {u"never active: "_s + dialog->objectName()};
    idle();
    return windowTexts(dialog);
}

// The texts among them still in Russian. A language's own name is no interface text: the
// language dialog offers "Русский" as the display name of the language it proposes.
QStringList russianTexts(const QStringList& texts)
{
    QStringList russian;
    for (const QString& text : texts) {
        if (holdsCyrillic(text) && !text.endsWith(u": Русский"_s))
            russian << text;
    }
    return russian;
}

// The labels, buttons and title of a window that are narrower than their texts (with the
// style's margins for a button). A title needs room beside it for at least three title-bar
// buttons of a text line's height.
QStringList cutTexts(const QWidget* window)
{
    QStringList cut;
    const QFontMetrics titleFont(QApplication::font("QMdiSubWindowTitleBar"));
    if (window->width() < titleFont.horizontalAdvance(window->windowTitle()) + 3 * titleFont.height())
        cut << u"title: "_s + window->windowTitle();
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->wordWrap() && label->width() < label->sizeHint().width())
            cut << u"label "_s + label->objectName() + u": "_s + label->text();
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const auto* tool = qobject_cast<const QToolButton*>(button);
        if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            continue;
        QString text = button->text();
        text.remove(u'&');
        const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        if (button->isVisible() && button->width() < button->fontMetrics().horizontalAdvance(text) + margins)
            cut << u"button "_s + button->objectName() + u": "_s + button->text();
    }
    return cut;
}

// Qt's own translations, as the tests of Qt's texts in the interface language need them.
bool qtTranslationsInstalled()
{
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_de.qm"_s);
}
const char* const kWithoutQtTranslations = "Qt's translations are not installed (Debian package qt6-translations-l10n)";

// One data row "langId" per interface language.
void interfaceLanguageRows(std::initializer_list<const char*> langIds)
{
    QTest::addColumn<QByteArray>("langId");
    for (const char* langId : langIds)
        QTest::newRow(langId) << QByteArray(langId);
}

const QString kAsciiDictionary =
    u"<Varnok_translation_toolkit_dictionary_file>"
    "<Languages><en Name=\"Britsh\"/><fr Name=\"French\"/></Languages>"
    "<Charsets><en Charset=\"0\"/><fr Charset=\"0\"/></Charsets>"
    "<Item><en Message=\"Line one\nline two\"/><fr Message=\"Ligne\"/></Item>"
    "<Item><en Message=\"Second\"/><fr Message=\"Deux\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>"_s;

// A project for the harvest: a unit with a literal to wrap, a form with a text to add, a link
// to a unit outside it, a link to nothing, passed over, and a file too large to read. Its
// texts are not Cyrillic, so that what the questions quote of them is not taken for an
// untranslated interface text.
QString writeHarvestProject(const QString& folder)
{
    QDir().mkpath(folder);
    editortest::writeTextFile(folder, u"A.dfm"_s, u"object Form1: TForm1\n  Caption = 'Öffnen'\nend\n"_s);
    editortest::writeTextFile(folder, u"B.pas"_s, u"uses Forms;\nbegin\n  ShowMessage('Schließen');\nend.\n"_s);
    QDir().mkpath(folder + u"-outside"_s);
    editortest::writeTextFile(folder + u"-outside"_s, u"Out.pas"_s, u"uses Forms;\nbegin\n  ShowMessage('Grüße');\nend.\n"_s);
    QFile::link(folder + u"-outside/Out.pas"_s, folder + u"/B2.pas"_s);
    QFile::link(u"missing.pas"_s, folder + u"/C.pas"_s);
    QFile huge(folder + u"/D.pas"_s);
    if (!huge.open(QIODevice::WriteOnly) || !huge.resize(orb::kMaxSourceFileBytes + 1))
        qFatal("cannot make a file too large to harvest");
    return folder;
}

// The harvest window in view, while one of its questions is open.
TfrmFindWords* harvestWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* harvest = qobject_cast<TfrmFindWords*>(widget))
            return harvest;
    }
    return nullptr;
}

} // namespace

class TestInterfaceLanguage : public QObject
{
    Q_OBJECT

    std::unique_ptr<orb::RecordingPrompter> prompter;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<QTemporaryDir> files;

    void start()
    {
        window = std::make_unique<TfrmMain>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        idle();
    }

    // Starts the window in the interface language remembered in Settings.ini.
    void startIn(const QByteArray& langId)
    {
        writeSettings("[Settings]\nLangID=" + langId + "\n");
        start();
    }

    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }

    QStringList entryNames() const
    {
        QStringList names;
        for (QAction* entry : window->languageMenu()->actions())
            names << entry->text();
        return names;
    }

    QStringList checkedEntries() const
    {
        QStringList names;
        for (QAction* entry : window->languageMenu()->actions()) {
            if (entry->isChecked())
                names << entry->text();
        }
        return names;
    }

    void choose(const QString& name)
    {
        for (QAction* entry : window->languageMenu()->actions()) {
            if (entry->text() == name) {
                entry->trigger();
                return;
            }
        }
        QFAIL(qPrintable(u"no entry "_s + name));
    }

    QString writeFile(const QString& name, const QString& text)
    {
        return editortest::writeTextFile(files->path(), name, text);
    }

    // Runs a command as a click would: after the idle pass that enables it.
    void trigger(const char* name)
    {
        idle();
        QVERIFY2(action(name)->isEnabled(), name);
        action(name)->trigger();
    }

    // What the status bar says with the pointer over each widget of the window in view.
    QStringList statusTexts() const
    {
        QStringList texts;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!widget->isVisible())
                continue;
            QCursor::setPos(widget->mapToGlobal(widget->rect().center()));
            idle();
            texts << u"status over "_s + widget->objectName() + u": "_s + window->statusBar()->currentMessage();
        }
        return texts;
    }

    // The texts of the next modal dialog that the command opens; the dialog is then closed.
    QStringList dialogTexts(const char* command)
    {
        QStringList texts;
        onNextDialog([&texts](QDialog* dialog) {
            texts = activeDialogTexts(dialog);
            texts << u"dialog"_s; // a dialog was seen at all
            dialog->reject();
        });
        trigger(command);
        return texts;
    }

    // Runs the wizard on the project; inDialog sees the dialog first (after its warning for an
    // empty path), duringQuestion the harvest window at its first question.
    void harvestProject(const QString& folder, std::function<void(QDialog*)> inDialog,
                        std::function<void(TfrmFindWords*)> duringQuestion)
    {
        onNextDialog([folder, inDialog](QDialog* dialog) {
            inDialog(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            dialog->findChild<QLineEdit*>(u"dedProjectPath"_s)->setText(folder);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        prompter->whileAsked << [duringQuestion] {
            TfrmFindWords* harvest = harvestWindow();
            QVERIFY(harvest);
            QApplication::setActiveWindow(harvest);
            QVERIFY(QTest::qWaitForWindowActive(harvest));
            idle();
            duringQuestion(harvest);
        };
        trigger("actWizard");
    }

private slots:
    void initTestCase()
    {
        // As at the program's start: before any window's component installs its dictionary.
        orb::loadQtTranslations(QString());
    }

    void init()
    {
        removeSettings();
        files = std::make_unique<QTemporaryDir>();
        QVERIFY(files->isValid());
        prompter = std::make_unique<orb::RecordingPrompter>();
    }

    void cleanup()
    {
        window.reset();
        prompter.reset();
        removeSettings();
    }

    void firstStartIsUntranslatedWithRussianChecked()
    {
        start();
        QCOMPARE(window->translator()->CurrentLangID(), QString());
        QCOMPARE(action("actNewDict")->text(), u"Новый"_s);
        QCOMPARE(entryNames(), (QStringList{u"Русский"_s, u"English"_s, u"Deutsch"_s}));
        QCOMPARE(checkedEntries(), QStringList{u"Русский"_s});
        // Starting and closing write nothing.
        QVERIFY(window->close());
        QVERIFY(!QFile::exists(settingsPath()));
        QVERIFY(prompter->messages.isEmpty());
    }

    void languageButtonDropsDownTheMenu()
    {
        start();
        auto* button = qobject_cast<QToolButton*>(window->findChild<QToolBar*>(u"ToolBar1"_s)->widgetForAction(action("actLanguages")));
        QVERIFY(button);
        QCOMPARE(button->objectName(), u"tbLanguages"_s);
        QCOMPARE(button->defaultAction()->menu(), window->languageMenu());
        QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
        QCOMPARE(window->languageMenu()->objectName(), u"pmLanguages"_s);
        QVERIFY(button->isEnabled());
        for (QAction* entry : window->languageMenu()->actions())
            QVERIFY(entry->isCheckable());
    }

    void rememberedLanguageStartsTheInterface()
    {
        writeSettings("[Settings]\nLangID=German\n");
        start();
        QCOMPARE(window->translator()->CurrentLangID(), u"German"_s);
        QCOMPARE(action("actNewDict")->text(), u"Neu"_s);
        QCOMPARE(action("actImport")->toolTip(), u"Wörterbuch importieren"_s);
        QCOMPARE(checkedEntries(), QStringList{u"Deutsch"_s});
        QVERIFY(window->close());
        QCOMPARE(settingsContents(), QByteArray("[Settings]\nLangID=German\n"));
    }

    void unknownLanguageLeavesTheInterfaceUntranslated()
    {
        writeSettings("[Settings]\nLangID=Klingon\n");
        start();
        QCOMPARE(window->translator()->CurrentLangID(), QString());
        QCOMPARE(action("actNewDict")->text(), u"Новый"_s);
        QCOMPARE(checkedEntries(), QStringList{u"Русский"_s});
        QVERIFY(prompter->messages.isEmpty());
    }

    void choosingSwitchesEveryWindowAndIsWrittenAtOnce()
    {
        start();
        QWidget other;
        auto* label = new QLabel(u"Сохранить"_s, &other);
        other.show();
        choose(u"English"_s);
        QCOMPARE(window->translator()->CurrentLangID(), u"English"_s);
        QCOMPARE(action("actSaveDict")->text(), u"Save"_s);
        QCOMPARE(label->text(), u"Save"_s);
        QCOMPARE(checkedEntries(), QStringList{u"English"_s});
        const QByteArray written = settingsContents();
        QVERIFY2(written.contains("[Settings]") && written.contains("LangID=English"), written.constData());

        choose(u"Deutsch"_s);
        QCOMPARE(label->text(), u"Speichern"_s);
        QCOMPARE(checkedEntries(), QStringList{u"Deutsch"_s});
        QVERIFY(settingsContents().contains("LangID=German"));
        // The entries keep their own names in every interface language.
        QCOMPARE(entryNames(), (QStringList{u"Русский"_s, u"English"_s, u"Deutsch"_s}));

        choose(u"Русский"_s);
        QCOMPARE(action("actSaveDict")->text(), u"Сохранить"_s);
        QCOMPARE(label->text(), u"Сохранить"_s);
        QVERIFY(settingsContents().contains("LangID=Russian"));
        QCOMPARE(entryNames(), (QStringList{u"Русский"_s, u"English"_s, u"Deutsch"_s}));

        // The next start comes back in the last choice.
        window.reset();
        start();
        QCOMPARE(window->translator()->CurrentLangID(), u"Russian"_s);
        QCOMPARE(checkedEntries(), QStringList{u"Русский"_s});
    }

    void choosingTheCheckedEntryUnchecksItAndWritesAgain()
    {
        writeSettings("[Settings]\nLangID=German\n");
        start();
        QVERIFY(QFile::remove(settingsPath()));
        choose(u"Deutsch"_s);
        QCOMPARE(checkedEntries(), QStringList());
        QCOMPARE(window->translator()->CurrentLangID(), u"German"_s);
        QCOMPARE(action("actNewDict")->text(), u"Neu"_s);
        QVERIFY(settingsContents().contains("LangID=German"));
        // Another choice checks again.
        choose(u"English"_s);
        QCOMPARE(checkedEntries(), QStringList{u"English"_s});
    }

    void unwritableSettingsFailSilently()
    {
        // A directory where the file should be: nothing can be read or written there, even
        // by root.
        QVERIFY(QDir().mkpath(settingsPath()));
        start();
        QCOMPARE(window->translator()->CurrentLangID(), QString());
        choose(u"English"_s);
        QCOMPARE(action("actNewDict")->text(), u"New"_s);
        QVERIFY(prompter->messages.isEmpty());
        // Nothing was remembered. (A second start in this process would not show that: Qt
        // keeps the unwritten value in its per-process cache of the file.)
        QVERIFY(QFileInfo(settingsPath()).isDir());
        QVERIFY(QDir(settingsPath()).isEmpty());
    }

    void messageBoxButtonsFollowTheInterfaceLanguage()
    {
        start();
        choose(u"Deutsch"_s);
        prompter.reset(); // the real message boxes
        QStringList buttons;
        onNextDialog([&buttons](QDialog* dialog) {
            if (!QTest::qWaitForWindowActive(dialog))
                return;
            idle();
            for (const QPushButton* button : dialog->findChildren<QPushButton*>())
                buttons << button->text();
        });
        orb::Prompter::current().messageBox(window.get(), u"caption"_s, u"text"_s, orb::Prompter::Icon::Question,
                                       orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Ok | orb::Prompter::Cancel);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{u"&Ja"_s, u"&Nein"_s, u"Abbrechen"_s, u"OK"_s}));
    }

    // Qt's texts that the interface dictionary lacks (Close, Apply) come from Qt's translations
    // of the language the window starts in or is switched to; the dictionary's own (Cancel),
    // from the dictionary, asked first.
    void qtsOwnTextsFollowTheInterfaceLanguage_data()
    {
        QTest::addColumn<QByteArray>("startId");
        QTest::addColumn<QString>("chosen"); // an entry of the language menu, or none
        QTest::addColumn<QStringList>("buttons"); // Cancel, Close, Apply
        QTest::newRow("German") << "German"_ba << QString() << QStringList{u"Abbrechen"_s, u"Schließen"_s, u"Anwenden"_s};
        QTest::newRow("German, then English")
            << "German"_ba << u"English"_s << QStringList{u"Cancel"_s, u"Close"_s, u"Apply"_s};
        QTest::newRow("English, then Russian")
            << "English"_ba << u"Русский"_s << QStringList{u"Отмена"_s, u"Закрыть"_s, u"Применить"_s};
    }
    void qtsOwnTextsFollowTheInterfaceLanguage()
    {
        QFETCH(QByteArray, startId);
        QFETCH(QString, chosen);
        QFETCH(QStringList, buttons);
        if (!qtTranslationsInstalled())
            QSKIP(kWithoutQtTranslations);
        startIn(startId);
        if (!chosen.isEmpty())
            choose(chosen);
        const QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Close | QDialogButtonBox::Apply);
        QCOMPARE((QStringList{box.button(QDialogButtonBox::Cancel)->text(), box.button(QDialogButtonBox::Close)->text(),
                              box.button(QDialogButtonBox::Apply)->text()}),
                 buttons);
    }

    void theDictionaryAnswersBeforeQtsTranslations()
    {
        if (!qtTranslationsInstalled())
            QSKIP(kWithoutQtTranslations);
        startIn("German");
        // Qt's menu entry on macOS: Qt's German for it is "Über", the dictionary's "Über das Programm".
        QCOMPARE(QCoreApplication::translate("QCocoaMenuItem", "About"), u"Über das Programm"_s);
    }

    // The identifiers of interface languages are English names or locale codes.
    void interfaceLanguageLocales_data()
    {
        QTest::addColumn<QString>("langId");
        QTest::addColumn<QString>("locale");
        QTest::newRow("name") << u"German"_s << u"de_DE"_s;
        QTest::newRow("name in another case") << u"russian"_s << u"ru_RU"_s;
        QTest::newRow("code") << u"fr"_s << u"fr_FR"_s;
        QTest::newRow("code with territory") << u"pt_BR"_s << u"pt_BR"_s;
        QTest::newRow("neither") << u"Pseudo"_s << u"C"_s;
        QTest::newRow("none") << QString() << u"C"_s;
    }
    void interfaceLanguageLocales()
    {
        QFETCH(QString, langId);
        QFETCH(QString, locale);
        QCOMPARE(orb::interfaceLanguageLocale(langId).name(), locale);
    }

    // The dialogs are translated when they are activated; what they were given to edit is
    // the user's, even where it is an interface text of the dictionary.
    void dialogsKeepTheTextsGivenToThem()
    {
        start();
        choose(u"English"_s);
        auto acceptOnceActive = [] {
            onNextDialog([](QDialog* dialog) {
                QApplication::setActiveWindow(dialog);
                QVERIFY(QTest::qWaitForWindowActive(dialog));
                QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            });
        };
        QString cell = u"Открыть"_s;
        acceptOnceActive();
        ExecuteEditCell(cell);
        QCOMPARE(cell, u"Открыть"_s);

        TLang lang{u"Russian"_s, u"Сохранить"_s, u"RUSSIAN_CHARSET"_s};
        acceptOnceActive();
        QVERIFY(LangPropertyDialog(lang, window.get()));
        QCOMPARE(lang.LangID, u"Russian"_s);
        QCOMPARE(lang.LangDisplay, u"Сохранить"_s);
        QCOMPARE(lang.LangCharset, u"RUSSIAN_CHARSET"_s);
    }

    void productNameIsShownAsWritten_data()
    {
        interfaceLanguageRows({"English", "German"});
    }
    void productNameIsShownAsWritten()
    {
        QFETCH(QByteArray, langId);
        startIn(langId);
        const QString name = u"Varnok Translation Toolkit"_s;
        QCOMPARE(window->windowTitle(), name);
        QString productLabel;
        onNextDialog([&productLabel](QDialog* dialog) {
            if (QTest::qWaitForWindowActive(dialog))
                productLabel = dialog->findChild<QLabel*>(u"lblProductName"_s)->text();
        });
        trigger("actAbout");
        QCOMPARE(productLabel, name);
        prompter.reset(); // a real message box, translated when it becomes active
        QString caption;
        onNextDialog([&caption](QDialog* dialog) {
            if (QTest::qWaitForWindowActive(dialog))
                caption = dialog->windowTitle();
        });
        orb::Prompter::current().messageBox(window.get(), name, u"text"_s, orb::Prompter::Icon::Information, orb::Prompter::Ok);
        QCOMPARE(caption, name);
    }

    void everyTextFitsItsWidget_data()
    {
        interfaceLanguageRows({"Russian", "English", "German"});
    }
    void everyTextFitsItsWidget()
    {
        QFETCH(QByteArray, langId);
        startIn(langId);
        QCOMPARE(window->translator()->CurrentLangID(), QString::fromLatin1(langId));
        QStringList cut;
        // Each dialog is measured once the language has reached it, when it became active.
        auto measure = [&cut](QDialog* dialog) {
            if (!QTest::qWaitForWindowActive(dialog))
                cut << u"never active: "_s + dialog->objectName();
            idle();
            cut << cutTexts(dialog);
        };
        onNextDialog(measure);
        trigger("actAbout");
        onNextDialog(measure);
        trigger("actNewDict");

        prompter->fileAnswers << writeFile(u"ascii.lng"_s, kAsciiDictionary);
        trigger("actOpenDict");
        QVERIFY(window->dictionaryOpen());
        trigger("actFind"); // the find bar shown, its texts measured with the window's
        idle();
        cut << cutTexts(window.get());
        window->Grid()->setCurrentCell(0, 1);
        for (const char* command : {"actNewLang", "actLangProperty", "actPseudo", "actSort"}) {
            onNextDialog(measure);
            trigger(command);
        }
        onNextDialog(measure);
        window->sbtnEditCellClick();
        prompter->fileAnswers << writeFile(u"import.lng"_s, kAsciiDictionary);
        onNextDialog(measure);
        trigger("actImport");
        harvestProject(writeHarvestProject(files->filePath(u"project"_s)), measure,
                       [&cut](TfrmFindWords* harvest) { cut << cutTexts(harvest); });
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
    }

    // The harvest window's notes are set from code, after the walk has seen the window.
    void harvestNotesAreTranslated_data()
    {
        interfaceLanguageRows({"English", "German"});
    }
    void harvestNotesAreTranslated()
    {
        QFETCH(QByteArray, langId);
        startIn(langId);
        for (const orb::HarvestNote note : {orb::HarvestNote::NotWholeLiteral, orb::HarvestNote::NoQStringHere, orb::HarvestNote::NothingToAdd}) {
            const QString translated = window->translator()->TranslateNotSave(noteSource(note));
            QVERIFY2(!holdsCyrillic(translated), qPrintable(translated));
            QCOMPARE(translated.contains(u"<%s>"_s), noteSource(note).contains(u"<%s>"_s));
        }
    }

    void everyWindowAndMessageIsTranslated_data()
    {
        interfaceLanguageRows({"English", "German"});
    }

    void everyWindowAndMessageIsTranslated()
    {
        QFETCH(QByteArray, langId);
        startIn(langId);
        QCOMPARE(window->translator()->CurrentLangID(), QString::fromLatin1(langId));
        const QList<QAction*> languageEntries = window->languageMenu()->actions();
        QStringList russian = russianTexts(windowTexts(window.get(), languageEntries));
        russian << russianTexts(statusTexts());

        // The About box, and the dialogs of a new dictionary.
        QStringList seen = dialogTexts("actAbout");
        QVERIFY(seen.contains(u"dialog"_s));
        russian << russianTexts(seen);
        seen = dialogTexts("actNewDict");
        QVERIFY(seen.contains(u"dialog"_s));
        russian << russianTexts(seen);

        // A document open: the window again, the language dialogs, the cell editor.
        prompter->fileAnswers << writeFile(u"ascii.lng"_s, kAsciiDictionary);
        trigger("actOpenDict");
        QVERIFY(window->dictionaryOpen());
        idle();
        russian << russianTexts(windowTexts(window.get(), languageEntries));
        russian << russianTexts(statusTexts());
        window->Grid()->setCurrentCell(0, 1);
        for (const char* command : {"actNewLang", "actLangProperty", "actPseudo", "actSort"}) {
            seen = dialogTexts(command);
            QVERIFY2(seen.contains(u"dialog"_s), command);
            russian << russianTexts(seen);
        }
        QStringList cellEditor;
        onNextDialog([&cellEditor](QDialog* dialog) {
            cellEditor = activeDialogTexts(dialog);
            dialog->reject();
        });
        window->sbtnEditCellClick();
        QVERIFY(!cellEditor.isEmpty());
        russian << russianTexts(cellEditor);

        // The language dialog's own warnings: no identifier, one that is no XML name, one
        // that the dictionary has already, no display name.
        onNextDialog([](QDialog* dialog) {
            for (const QString& id : {QString(), u"1 de"_s, u"en"_s}) {
                dialog->findChild<QComboBox*>(u"cbxLangID"_s)->setEditText(id);
                QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            }
            dialog->findChild<QComboBox*>(u"cbxLangID"_s)->setEditText(u"xx"_s);
            dialog->findChild<QLineEdit*>(u"edtLangDisplay"_s)->clear();
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        trigger("actNewLang");

        // The pseudo-translation dialog's warnings (no identifier, one that is no XML name, the
        // source's own) and the question before it replaces a column's own texts.
        onNextDialog([](QDialog* dialog) {
            for (const QString& id : {QString(), u"1 de"_s, u"en"_s, u"fr"_s}) {
                dialog->findChild<QLineEdit*>(u"edtTargetID"_s)->setText(id);
                QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            }
        });
        prompter->answers << orb::Prompter::Ok << orb::Prompter::Ok << orb::Prompter::Ok << orb::Prompter::No;
        trigger("actPseudo");

        // Every question, each answered so that nothing changes.
        prompter->answers << orb::Prompter::Cancel << orb::Prompter::No;
        trigger("actDeleteLine");
        trigger("actDeleteLang");
        window->Grid()->dictModel()->setData(window->Grid()->dictModel()->cellIndex(0, 1), u"changed"_s);
        prompter->answers << orb::Prompter::Cancel;
        QVERIFY(!window->close());

        // The failures of reading and writing.
        prompter->answers << orb::Prompter::Cancel;
        prompter->fileAnswers << writeFile(u"other.lng"_s, u"<other/>"_s);
        trigger("actOpenDict");
        prompter->answers << orb::Prompter::Cancel;
        prompter->fileAnswers << writeFile(u"broken.lng"_s, u"<Varnok_translation_toolkit_dictionary_file><Languages>"_s);
        trigger("actOpenDict");
        // The open document's file turned into a place nothing can be written to.
        const QString bound = files->filePath(u"ascii.lng"_s);
        QVERIFY(QFile::remove(bound));
        QVERIFY(QDir().mkpath(bound + u"/inside"_s));
        prompter->answers << orb::Prompter::Yes; // replace what changed on disk: the write fails
        trigger("actSaveDict");

        // The import dialog, its three warnings, the failures of an import, and the question
        // before Save As replaces a file.
        prompter->fileAnswers << writeFile(u"import.lng"_s, kAsciiDictionary);
        seen = dialogTexts("actImport");
        QVERIFY(seen.contains(u"dialog"_s));
        russian << russianTexts(seen);
        prompter->fileAnswers << writeFile(u"german.lng"_s, u"<Varnok_translation_toolkit_dictionary_file>"
            "<Languages><de Name=\"Deutsch\"/></Languages></Varnok_translation_toolkit_dictionary_file>"_s);
        onNextDialog([](QDialog* dialog) {
            auto* ok = dialog->findChild<QPushButton*>(u"btnOK"_s);
            QTest::mouseClick(ok, Qt::LeftButton);
            dialog->findChild<QComboBox*>(u"cbxKeyLanguage"_s)->setCurrentIndex(0);
            QTest::mouseClick(ok, Qt::LeftButton);
            dialog->findChild<QComboBox*>(u"cbxImportLanguage"_s)->setCurrentIndex(0);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        trigger("actImport");
        prompter->fileAnswers << files->filePath(u"other.lng"_s);
        trigger("actImport");
        prompter->fileAnswers << files->filePath(u"broken.lng"_s);
        trigger("actImport");
        prompter->fileAnswers << writeFile(u"extra.lng"_s, u"<Varnok_translation_toolkit_dictionary_file>"
            "<Languages><en Name=\"Britsh\"/><de Name=\"Deutsch\"/><xx Name=\"Extra\"/></Languages>"
            "<Charsets><en Charset=\"0\"/><de Charset=\"0\"/><xx Charset=\"0\"/></Charsets>"
            "</Varnok_translation_toolkit_dictionary_file>"_s);
        onNextDialog([](QDialog* dialog) {
            dialog->findChild<QComboBox*>(u"cbxKeyLanguage"_s)->setCurrentIndex(0);
            dialog->findChild<QComboBox*>(u"cbxImportLanguage"_s)->setCurrentIndex(0);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        trigger("actImport");
        QCOMPARE(window->dictFile(), bound);
        prompter->answers << orb::Prompter::No;
        prompter->fileAnswers << files->filePath(u"extra.lng"_s);
        trigger("actSaveAs");

        // The wizard with its warning, and a harvest through every question to its failure; B.pas
        // changes on disk while its save question is open.
        const QString project = writeHarvestProject(files->filePath(u"project"_s));
        harvestProject(project,
                       [&russian](QDialog* dialog) { russian << russianTexts(activeDialogTexts(dialog)); },
                       [&russian, project, this](TfrmFindWords* harvest) {
                           prompter->whileAsked << [] {} << [] {} << [project] {
                               editortest::writeTextFile(project, u"B.pas"_s, u"uses Forms;\nend.\n"_s);
                           };
                           QStringList texts = windowTexts(harvest);
                           // The file's own text is no interface text.
                           texts.removeIf([](const QString& text) { return text.startsWith(u"QPlainTextEdit mmModule"); });
                           russian << russianTexts(texts);
                       });

        QStringList messageTexts;
        for (const orb::RecordingPrompter::Message& message : std::as_const(prompter->messages))
            messageTexts << u"message: "_s + message.text << u"caption: "_s + message.caption;
        QVERIFY2(prompter->messages.size() == 33, qPrintable(messageTexts.join(u'\n')));
        russian << russianTexts(messageTexts);
        for (const QString& filter : std::as_const(prompter->fileFilters)) {
            russian << russianTexts({u"filter: "_s + filter});
            QVERIFY2(filter.endsWith(u" (*)"_s), qPrintable(filter)); // all files, dot or none
        }
        QVERIFY2(russian.isEmpty(), qPrintable(russian.join(u'\n')));
        // Every text was in the dictionary: nothing had to be learned.
        QVERIFY(!window->translator()->Modified());
    }
};

QTEST_MAIN(TestInterfaceLanguage)
#include "tst_interface_language.moc"

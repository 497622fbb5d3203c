// The editor's main window with real widgets: commands and their enabling, the document's
// files, languages, phrase rows, the grid's editing and the status bar. Every prompt and
// file dialog is answered through the recording prompter; modal dialogs by onNextDialog.
#include "editor/DictGridModel.h"
#include "dictionary/DictTable.h"
#include "DictTableContents.h"
#include "dictionary/DictionaryGridIO.h"
#include "EditorTestHelpers.h"
#include "editor/Main.h"
#include "component/OrbTranslate.h"
#include "RecordingPrompter.h"
#include "SyntheticDictionary.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;
using editortest::rowsOf;
using editortest::headersOf;
using editortest::idle;
using editortest::language;
using editortest::onNextDialog;

namespace {

const QString kThreeLanguages = u"<Varnok_translation_toolkit_dictionary_file>"
    "<Languages><English Name=\"English\"/><German Name=\"Deutsch\"/><Russian Name=\"Русский\"/></Languages>"
    "<Charsets><English Charset=\"0\"/><German Charset=\"1\"/><Russian Charset=\"204\"/></Charsets>"
    "<Item><English Message=\"File\"/><German Message=\"Datei\"/><Russian Message=\"Файл\"/></Item>"
    "<Item><English Message=\"Open\"/><German Message=\"Öffnen\"/><Russian Message=\"Открыть\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>"_s;


// Fills the pseudo-translation dialog and accepts it: the source column's position, then
// the identifiers tried in turn.
std::function<void(QDialog*)> pseudo(int source, const QStringList& targetIds)
{
    return [=](QDialog* dialog) {
        dialog->findChild<QComboBox*>(u"cbxSourceLanguage"_s)->setCurrentIndex(source);
        for (const QString& id : targetIds) {
            dialog->findChild<QLineEdit*>(u"edtTargetID"_s)->setText(id);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        }
    };
}

// Reads the sort dialog's prompt and its checked choices (by name) into state, and cancels it.
std::function<void(QDialog*)> readSortDialog(QStringList& state)
{
    return [&state](QDialog* dialog) {
        state = QStringList{dialog->findChild<QLabel*>(u"lblPrompt"_s)->text()};
        for (const QRadioButton* choice : dialog->findChildren<QRadioButton*>()) {
            if (choice->isChecked())
                state << choice->objectName();
        }
        dialog->reject();
    };
}

// Chooses the direction and the order in the sort dialog and accepts it.
std::function<void(QDialog*)> sortAs(const char* direction, const char* order)
{
    return [=](QDialog* dialog) {
        for (const char* name : {direction, order})
            dialog->findChild<QRadioButton*>(QLatin1String(name))->click();
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
    };
}

// A failed read's or write's message: its text, then the file and the reason.
QString failure(const QString& text, const QString& path, const QString& reason)
{
    return text + u'\n' + path + u": "_s + reason;
}

// The URL the link asked the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

class TestEditorWindow : public QObject, editortest::WindowUnderTest
{
    Q_OBJECT

    QAction* action(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    // Runs a command as a click would: after the idle pass that enables it.
    void trigger(const char* name)
    {
        idle();
        QVERIFY2(action(name)->isEnabled(), name);
        action(name)->trigger();
    }
    QStatusBar* statusBar() { return window->findChild<QStatusBar*>(u"sbStatusBar"_s); }

    QString write(const QString& name, const QString& text)
    {
        return editortest::writeTextFile(files->path(), name, text);
    }
    QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList enabledButtons()
    {
        QStringList names;
        const auto* toolbar = window->findChild<QToolBar*>(u"ToolBar1"_s);
        for (QAction* a : toolbar->actions()) {
            if (a->isSeparator())
                continue;
            QWidget* button = toolbar->widgetForAction(a);
            if (button->isEnabled())
                names << button->objectName();
        }
        return names;
    }

    void newDictionary(const QString& id, const QString& name, const QString& charset)
    {
        onNextDialog(language(id, name, charset));
        trigger("actNewDict");
    }

    bool open(const QString& path)
    {
        prompter->fileAnswers << path;
        trigger("actOpenDict");
        return window->dictFile() == QFileInfo(path).absoluteFilePath();
    }

    // Types into a phrase cell's in-place editor and finishes with Enter.
    void typeIntoCell(int col, int row, const QString& text)
    {
        orb::DictGrid* grid = window->Grid();
        grid->setFocus();
        grid->setCurrentCell(col, row);
        const QModelIndex index = grid->dictModel()->cellIndex(col, row);
        grid->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(index));
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        idle();
    }

    void hoverOver(QWidget* widget, QPoint local)
    {
        QCursor::setPos(widget->mapToGlobal(local));
        idle();
    }

    // Runs the Edit menu's undo (redo) until it is disabled.
    void undoAll(const char* command = "actUndo")
    {
        for (idle(); action(command)->isEnabled(); idle())
            action(command)->trigger();
    }

    // Every kind of change a user makes to an open three.lng.
    using Change = std::pair<const char*, std::function<void()>>;
    QList<Change> documentChanges()
    {
        const QString english = u"English(English)"_s;
        return {
            {"typed into a cell", [this] { typeIntoCell(1, 1, u"!"_s); }},
            {"typed at the bottom right", [this] { typeIntoCell(2, 2, u"b"_s); }},
            {"phrase row added", [this] { trigger("actNewLine"); }},
            {"phrase row deleted", [this] {
                 window->Grid()->setCurrentCell(0, 1);
                 prompter->answers << orb::Prompter::Ok;
                 trigger("actDeleteLine");
             }},
            {"column sorted", [this] {
                 window->Grid()->setCurrentCell(2, 1);
                 onNextDialog([](QDialog* dialog) {
                     QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
                 });
                 trigger("actSort");
             }},
            {"language added", [this] {
                 onNextDialog(language(u"fr"_s, u"Français"_s, u"ANSI_CHARSET"_s));
                 trigger("actNewLang");
             }},
            {"language described", [this] {
                 window->Grid()->setCurrentCell(1, 1);
                 onNextDialog(language(u"nl"_s, u"Nederlands"_s, u"ANSI_CHARSET"_s));
                 trigger("actLangProperty");
             }},
            {"language deleted", [this] {
                 window->Grid()->setCurrentCell(1, 1);
                 prompter->answers << orb::Prompter::Yes;
                 trigger("actDeleteLang");
             }},
            {"column dragged", [this] { window->Grid()->horizontalHeader()->moveSection(0, 2); }},
            {"pseudo-translated", [this] {
                 onNextDialog(pseudo(0, {u"pseudo"_s}));
                 trigger("actPseudo");
             }},
            {"phrases harvested", [this, english] {
                 window->AddPhrase(english, u"Save"_s);
                 window->AddPhrase(english, u"Close"_s);
             }},
        };
    }

private slots:
    void init() { QVERIFY(start()); }
    void cleanup() { stop(); }

    void everyChangeIsUndoneToTheCleanStateAndRedone_data()
    {
        QTest::addColumn<int>("change");
        const QList<Change> changes = documentChanges();
        for (int i = 0; i < changes.size(); ++i)
            QTest::newRow(changes[i].first) << i;
    }
    void everyChangeIsUndoneToTheCleanStateAndRedone()
    {
        QFETCH(int, change);
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        const QStringList headers = headersOf(window->Dictionary());
        const QList<QStringList> rows = rowsOf(window->Dictionary());
        documentChanges()[change].second();
        idle();
        QVERIFY(window->Modified());
        QVERIFY(window->isWindowModified());
        const QStringList changedHeaders = headersOf(window->Dictionary());
        const QList<QStringList> changedRows = rowsOf(window->Dictionary());
        QVERIFY(changedHeaders != headers || changedRows != rows);

        undoAll();
        QCOMPARE(headersOf(window->Dictionary()), headers);
        QCOMPARE(rowsOf(window->Dictionary()), rows);
        QVERIFY(!window->Modified());
        QVERIFY(!window->isWindowModified());
        undoAll("actRedo");
        QCOMPARE(headersOf(window->Dictionary()), changedHeaders);
        QCOMPARE(rowsOf(window->Dictionary()), changedRows);
        QVERIFY(window->Modified());
        QVERIFY(prompter->messages.size() <= 1); // the change's own question
    }

    void theSavedStateIsTheCleanOne()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        typeIntoCell(0, 1, u"1"_s);
        trigger("actSaveDict");
        QVERIFY(!window->Modified());
        trigger("actUndo");
        QCOMPARE(window->Dictionary().cell(0, 1), u"File"_s);
        QVERIFY(window->Modified());
        trigger("actRedo");
        QVERIFY(!window->Modified());
        // Opening another document forgets the history of this one.
        QVERIFY(open(path));
        idle();
        QVERIFY(!action("actUndo")->isEnabled());
    }

    void theLastLanguageDeletedComesBackWithItsGrid()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        prompter->answers << orb::Prompter::Yes;
        trigger("actDeleteLang");
        QVERIFY(!window->dictionaryOpen());
        trigger("actUndo");
        QVERIFY(window->dictionaryOpen());
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(English)/0"_s}));
        // A new dictionary was never saved: back where it began, it still differs from any file.
        QVERIFY(window->Modified());
    }

    void findsInEveryLanguageOrInOneAndFiltersWorkLeft()
    {
        QVERIFY(open(write(u"find.lng"_s, u"<Varnok_translation_toolkit_dictionary_file>"
            "<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages>"
            "<Charsets><en Charset=\"0\"/><de Charset=\"0\"/></Charsets>"
            "<Item><en Message=\"Open file\"/><de Message=\"Datei öffnen\"/></Item>"
            "<Item><en Message=\"Close\"/><de Message=\"\"/></Item>"
            "<Item><en Message=\"Save file\"/><de Message=\"\"/></Item>"
            "</Varnok_translation_toolkit_dictionary_file>"_s)));
        orb::DictGrid* grid = window->Grid();
        trigger("actFind");
        auto* text = window->findChild<QLineEdit*>(u"edtFind"_s);
        QVERIFY(text->isVisible());
        QVERIFY(text->hasFocus());
        QTest::keyClicks(text, u"FILE"_s);
        auto current = [grid] { return std::pair{grid->currentCol(), grid->currentRow()}; };
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(current(), std::pair(0, 3)); // after the current cell, case folded
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(current(), std::pair(0, 1)); // round the end
        QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(current(), std::pair(0, 3));
        QVERIFY(window->findNext(false));
        QCOMPARE(current(), std::pair(0, 1));

        auto* where = window->findChild<QComboBox*>(u"cbxFindLanguage"_s);
        where->setCurrentIndex(where->findText(u"Deutsch(de)"_s));
        text->setText(u"Open"_s);
        QVERIFY(!window->findNext(true)); // English only
        QVERIFY(window->findChild<QLabel*>(u"lblNotFound"_s)->isVisible());
        text->setText(u"ÖFFNEN"_s);
        QVERIFY(window->findNext(true));
        QCOMPARE(current(), std::pair(1, 1));

        // The filter shows what is left to translate into German, and the search keeps to it.
        auto* filter = window->findChild<QComboBox*>(u"cbxFilter"_s);
        filter->setCurrentIndex(2);
        QCOMPARE(filter->currentText(), u"Без текста: Deutsch(de)"_s);
        orb::DictGridModel* model = grid->dictModel();
        auto shownRows = [model] {
            QList<int> rows;
            for (int row = 0; row < model->rowCount(); ++row)
                rows << model->tableRow(row);
            return rows;
        };
        QCOMPARE(shownRows(), (QList<int>{2, 3}));
        where->setCurrentIndex(0);
        text->setText(u"file"_s);
        QVERIFY(window->findNext(true));
        QCOMPARE(current(), std::pair(0, 3));
        QVERIFY(window->findNext(true));
        QCOMPARE(current(), std::pair(0, 3));
        typeIntoCell(1, 2, u"Schließen"_s);
        QCOMPARE(shownRows(), (QList<int>{2, 3})); // not while it is being translated
        trigger("actNewLine");
        QCOMPARE(shownRows(), (QList<int>{3, 4})); // a new row lacks every text
        QCOMPARE(grid->currentRow(), 4);
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!text->isVisible());
        QCOMPARE(shownRows(), (QList<int>{1, 2, 3, 4}));
        trigger("actFindNext"); // opens the bar again, as it was
        QCOMPARE(shownRows(), (QList<int>{3, 4}));
        // The bar and its filter go with the document.
        prompter->answers << orb::Prompter::No;
        trigger("actCloseDict");
        idle();
        QVERIFY(!text->isVisible());
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        QCOMPARE(shownRows(), (QList<int>{1, 2}));
    }

    void recentFilesAreRememberedAndReopened()
    {
        const QString first = QFileInfo(write(u"first.lng"_s, kThreeLanguages)).absoluteFilePath();
        const QString second = QFileInfo(write(u"second.lng"_s, kThreeLanguages)).absoluteFilePath();
        QVERIFY(open(first));
        QVERIFY(open(second));
        QVERIFY(open(first));
        QCOMPARE(window->recentFiles().mid(0, 2), (QStringList{first, second}));
        auto* recent = window->findChild<QMenu*>(u"mnuRecent"_s);
        QCOMPARE(recent->actions().value(1)->text(), u"&2 second.lng"_s);
        recent->actions().value(1)->trigger();
        QCOMPARE(window->dictFile(), second);
        // The next start offers the same files; one gone since is reported and forgotten.
        stop();
        QVERIFY(start());
        QCOMPARE(window->recentFiles().mid(0, 2), (QStringList{second, first}));
        QVERIFY(!QFile::exists(first)); // its folder went with the last window
        window->findChild<QMenu*>(u"mnuRecent"_s)->actions().value(1)->trigger();
        QCOMPARE(prompter->messages.size(), 1);
        QVERIFY(!window->recentFiles().contains(first));
    }

    void droppedFileIsOpened()
    {
        const QString path = QFileInfo(write(u"dropped.lng"_s, kThreeLanguages)).absoluteFilePath();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QTRY_COMPARE(window->dictFile(), path);
    }

    void saveAsBindsTheNewFileAndCloseEmptiesTheWindow()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        typeIntoCell(0, 1, u"!"_s);
        const QString copy = files->path() + u"/copy.lng"_s;
        prompter->fileAnswers << files->path() + u"/copy"_s;
        trigger("actSaveAs");
        QCOMPARE(window->dictFile(), copy);
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit - copy.lng[*]"_s);
        QVERIFY(!window->Modified());
        QCOMPARE(contents(path), kThreeLanguages.toUtf8()); // the first file as it was
        typeIntoCell(0, 1, u"?"_s);
        prompter->answers << orb::Prompter::Cancel;
        trigger("actCloseDict");
        QVERIFY(window->dictionaryOpen());
        prompter->answers << orb::Prompter::No;
        trigger("actCloseDict");
        QVERIFY(!window->dictionaryOpen());
        QCOMPARE(window->dictFile(), QString());
        QCOMPARE(prompter->texts(), QStringList(2, u"Сохранить измененный словарь ?"_s));
    }

    void saveAsAsksBeforeReplacingAFile_data()
    {
        QTest::addColumn<orb::Prompter::Button>("answer");
        QTest::newRow("yes replaces it") << orb::Prompter::Yes;
        QTest::newRow("no keeps it") << orb::Prompter::No;
    }

    void saveAsAsksBeforeReplacingAFile()
    {
        QFETCH(orb::Prompter::Button, answer);
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        const QString other = write(u"other.lng"_s, u"not a dictionary"_s);
        QVERIFY(open(path));
        typeIntoCell(0, 1, u"!"_s);
        prompter->answers << answer;
        prompter->fileAnswers << files->path() + u"/other.txt"_s; // the extension becomes .lng
        trigger("actSaveAs");
        QCOMPARE(prompter->messages.size(), 1);
        const orb::RecordingPrompter::Message question = prompter->messages.first();
        QCOMPARE(question.text, u"Файл уже существует:\n"_s + other + u"\nЗаменить его?"_s);
        QCOMPARE(question.buttons, orb::Prompter::Yes | orb::Prompter::No);
        QCOMPARE(question.defaultButton, int(orb::Prompter::No));
        const bool replaced = answer == orb::Prompter::Yes;
        QCOMPARE(contents(other) == "not a dictionary", !replaced);
        QCOMPARE(window->dictFile(), replaced ? other : QFileInfo(path).absoluteFilePath());
        QCOMPARE(window->Modified(), !replaced);
        QCOMPARE(contents(path), kThreeLanguages.toUtf8());
    }

    void saveAsksBeforeReplacingAFileChangedOnDisk_data()
    {
        QTest::addColumn<orb::Prompter::Button>("answer");
        QTest::newRow("yes replaces it") << orb::Prompter::Yes;
        QTest::newRow("no saves elsewhere") << orb::Prompter::No;
        QTest::newRow("cancel saves nothing") << orb::Prompter::Cancel;
    }

    void saveAsksBeforeReplacingAFileChangedOnDisk()
    {
        QFETCH(orb::Prompter::Button, answer);
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        typeIntoCell(0, 1, u"!"_s);
        // Another program's save: same name, other bytes.
        QString theirs = kThreeLanguages;
        theirs.replace(u"Open"_s, u"Opened elsewhere"_s);
        write(u"three.lng"_s, theirs);
        const QString elsewhere = files->filePath(u"elsewhere.lng"_s);
        prompter->answers << answer;
        prompter->fileAnswers << elsewhere;
        trigger("actSaveDict");
        QCOMPARE(prompter->messages.size(), 1);
        const orb::RecordingPrompter::Message question = prompter->messages.first();
        QVERIFY2(question.text.contains(u'\n' + path + u'\n'), qPrintable(question.text));
        QCOMPARE(question.buttons, orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel);
        QCOMPARE(question.defaultButton, int(orb::Prompter::Cancel));
        QCOMPARE(contents(path) == theirs.toUtf8(), answer != orb::Prompter::Yes);
        QCOMPARE(QFile::exists(elsewhere), answer == orb::Prompter::No);
        QCOMPARE(window->Modified(), answer == orb::Prompter::Cancel);
        if (answer == orb::Prompter::Cancel)
            return;
        // What the editor wrote itself is what it expects there next time.
        prompter->clear();
        typeIntoCell(0, 1, u"?"_s);
        trigger("actSaveDict");
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(!window->Modified());
    }

    void commandsHaveTheDesktopsStandardKeys()
    {
        const std::tuple<const char*, QKeySequence::StandardKey, QString> keys[] = {
            {"actNewDict", QKeySequence::New, {}},          {"actOpenDict", QKeySequence::Open, {}},
            {"actSaveDict", QKeySequence::Save, {}},        {"actSaveAs", QKeySequence::SaveAs, u"Ctrl+Shift+S"_s},
            {"actCloseDict", QKeySequence::Close, {}},      {"actQuit", QKeySequence::Quit, u"Ctrl+Q"_s},
            {"actUndo", QKeySequence::Undo, {}},            {"actRedo", QKeySequence::Redo, {}},
            {"actFind", QKeySequence::Find, {}},            {"actFindNext", QKeySequence::FindNext, {}},
            {"actFindPrevious", QKeySequence::FindPrevious, {}},
        };
        for (const auto& [name, key, otherwise] : keys) {
            const QList<QKeySequence> bound = QKeySequence::keyBindings(key);
            QCOMPARE(action(name)->shortcuts(), bound.isEmpty() ? QList<QKeySequence>{QKeySequence(otherwise)} : bound);
            QVERIFY2(!action(name)->shortcuts().value(0).isEmpty(), name);
            QVERIFY2(!action(name)->associatedObjects().isEmpty(), name); // in a menu
        }
    }

    void statusBarShowsPhrasesAndCompleteness()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        auto* figures = statusBar()->findChild<QLabel*>(u"lblStatistics"_s);
        QVERIFY(figures);
        QTRY_VERIFY(figures->text().contains(u"Deutsch⁩ 100%"_s));
        window->Grid()->dictModel()->setCell(1, 1, QString());
        QTRY_COMPARE(figures->text().remove(QChar(0x2068)).remove(QChar(0x2069)),
                     u"Фраз: 2   English 100%   Deutsch 50%   Русский 100%"_s);
    }

    void startsWithTheInterfaceDictionaryAndFourCommands()
    {
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(window->translator()->Initialized());
        QStringList ids;
        window->translator()->GetLangIDs(&ids);
        QCOMPARE(ids, (QStringList{u"Russian"_s, u"English"_s, u"German"_s}));
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit"_s);
        QVERIFY(!window->dictionaryOpen());
        QCOMPARE(enabledButtons(), (QStringList{u"tbCreate"_s, u"tbOpen"_s, u"tbLanguages"_s, u"tbAbout"_s}));
        QVERIFY(action("actBrowseURL")->isEnabled());
    }

    void commandTableTexts()
    {
        const QList<std::tuple<const char*, QString, QString>> table = {
            {"actNewDict", u"Новый"_s, u"Новый"_s},       {"actOpenDict", u"Открыть"_s, u"Открыть"_s},
            {"actSaveDict", u"Сохранить"_s, u"Сохранить"_s}, {"actNewLang", u"Новый язык"_s, u"Новый язык"_s},
            {"actDeleteLang", u"Удалить язык"_s, u"Удалить язык"_s}, {"actNewLine", u"Новая фраза"_s, u"Новая фраза"_s},
            {"actDeleteLine", u"Удалить фразу"_s, u"Удалить фразу"_s}, {"actWizard", u"Мастер"_s, u"Мастер"_s},
            {"actSort", u"Сортировать"_s, u"Сортировать"_s}, {"actAbout", u"О программе"_s, u"О программе"_s},
            {"actLanguages", u"Язык"_s, u"Язык"_s},        {"actImport", u"Импорт"_s, u"Импорт словаря"_s},
            {"actLangProperty", u"Свойства языка"_s, u"Свойства языка"_s}, {"actBrowseURL", u"&Browse URL"_s, u"Browse URL"_s},
            {"actPseudo", u"Псевдоперевод"_s, u"Заполнить язык псевдопереводом"_s},
        };
        for (const auto& [name, caption, hint] : table) {
            QVERIFY2(action(name), name);
            QCOMPARE(action(name)->text(), caption);
            QCOMPARE(action(name)->toolTip(), hint);
            QCOMPARE(action(name)->icon().isNull(), std::string_view(name) == "actBrowseURL");
        }
        QStringList order;
        const auto* toolbar = window->findChild<QToolBar*>(u"ToolBar1"_s);
        for (QAction* a : toolbar->actions())
            order << (a->isSeparator() ? u"|"_s : toolbar->widgetForAction(a)->objectName());
        QCOMPARE(order.join(u' '), u"tbCreate tbOpen tbSave tbImport | tbAddLanguage tbDeleteLanguage tbLangProperty "
                                   "tbAddLine tbDeleteLine | tbSort tbWizard tbPseudo tbLanguages | tbAbout"_s);
        QCOMPARE(toolbar->widgetForAction(action("actSaveDict"))->toolTip(), u"Сохранить"_s);
    }

    void newDictionary()
    {
        newDictionary(u"Russian"_s, u"Русский"_s, u"RUSSIAN_CHARSET"_s);
        QVERIFY(window->dictionaryOpen());
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"Русский(Russian)/204"_s}));
        QCOMPARE(rowsOf(window->Dictionary()), (QList<QStringList>{{QString()}}));
        QVERIFY(window->Modified());
        QCOMPARE(window->dictFile(), QString());
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit[*]"_s);
        idle();
        // Every command, save and sort included: the document is new and column 0 current.
        QCOMPARE(enabledButtons().size(), 14);
        QVERIFY(action("actSort")->isEnabled());
        QVERIFY(prompter->messages.isEmpty());
    }

    void cancelledNewDialogChangesNothing()
    {
        onNextDialog([](QDialog* dialog) { dialog->reject(); });
        trigger("actNewDict");
        QVERIFY(!window->dictionaryOpen());
        QVERIFY(!window->Modified());
    }

    void newAsksBeforeGivingUpChanges()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        bool opened = false;
        QPointer<QTimer> watch = onNextDialog([&](QDialog*) { opened = true; });
        prompter->answers << orb::Prompter::Cancel;
        trigger("actNewDict");
        delete watch.data();
        QVERIFY(!opened);
        QCOMPARE(prompter->texts(), (QStringList{u"Сохранить измененный словарь ?"_s}));
        QCOMPARE(prompter->messages[0].icon, orb::Prompter::Icon::Information);
        QCOMPARE(prompter->messages[0].buttons, int(orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel));
        QCOMPARE(prompter->messages[0].owner, window.get());
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(English)/0"_s}));

        // No: straight on to the language of the new dictionary.
        prompter->clear();
        prompter->answers << orb::Prompter::No;
        newDictionary(u"German"_s, u"Deutsch"_s, u"DEFAULT_CHARSET"_s);
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"Deutsch(German)/1"_s}));
        QVERIFY(prompter->fileCaptions.isEmpty());

        // Yes: the save dialog first.
        prompter->clear();
        prompter->answers << orb::Prompter::Yes;
        prompter->fileAnswers << files->filePath(u"before-new"_s);
        newDictionary(u"French"_s, u"Français"_s, u"ANSI_CHARSET"_s);
        QVERIFY(QFile::exists(files->filePath(u"before-new.lng"_s)));
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"Français(French)/0"_s}));
        QCOMPARE(window->dictFile(), QString());
        QVERIFY(window->Modified());
    }

    void openReadsAndBindsTheFile()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        QCOMPARE(headersOf(window->Dictionary()),
                 (QStringList{u"English(English)/0"_s, u"Deutsch(German)/1"_s, u"Русский(Russian)/204"_s}));
        QCOMPARE(rowsOf(window->Dictionary()),
                 (QList<QStringList>{{u"File"_s, u"Datei"_s, u"Файл"_s}, {u"Open"_s, u"Öffnen"_s, u"Открыть"_s}}));
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit - three.lng[*]"_s);
        QVERIFY(!window->Modified());
        idle();
        QVERIFY(!action("actSaveDict")->isEnabled());
        QCOMPARE(enabledButtons().size(), 13);

        typeIntoCell(1, 1, u"X"_s);
        QVERIFY(window->Modified());
        QCOMPARE(window->Dictionary().cell(1, 1), u"DateiX"_s);
        idle();
        QVERIFY(action("actSaveDict")->isEnabled());
        trigger("actSaveDict");
        QVERIFY(!window->Modified());
        QVERIFY(prompter->fileCaptions.size() == 1); // the open dialog only
        QVERIFY(QString::fromUtf8(contents(path)).contains(u"Message=\"DateiX\""_s));
        idle();
        QVERIFY(!action("actSaveDict")->isEnabled());
        QVERIFY(prompter->messages.isEmpty());
    }

    // As the command line and a file manager give it: a path relative to the working folder.
    void fileGivenToTheProgramIsOpened()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QFileInfo(path).path()));
        QVERIFY(window->openGivenDictionary(u"three.lng"_s));
        QCOMPARE(window->dictFile(), QFileInfo(path).absoluteFilePath());
        QCOMPARE(window->Dictionary().columnCount(), 3);
        QVERIFY(!window->openGivenDictionary(u"missing.lng"_s));
        QCOMPARE(window->dictFile(), QFileInfo(path).absoluteFilePath());
        QCOMPARE(prompter->messages.size(), 1);
        QDir::setCurrent(before);
    }

    void openQuestionCancelStillOpens()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        prompter->answers << orb::Prompter::Cancel;
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        QCOMPARE(prompter->texts(), (QStringList{u"Сохранить измененный словарь ?"_s}));
        QCOMPARE(prompter->messages[0].buttons, int(orb::Prompter::Ok | orb::Prompter::Cancel));
        QCOMPARE(prompter->fileCaptions.size(), 1);
        QCOMPARE(window->Dictionary().columnCount(), 3);
    }

    void cancelledOpenDialogChangesNothing()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        QVERIFY(!open(QString()));
        QCOMPARE(window->Dictionary().columnCount(), 3);
        QVERIFY(prompter->messages.isEmpty());
    }

    void failedOpenKeepsTheDocument_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<orb::Prompter::Icon>("icon");
        QTest::newRow("another root") << u"<Other><Languages><E Name=\"e\"/></Languages></Other>"_s << u"Неизвестный файл"_s
                                      << u"the root element is not Varnok_translation_toolkit_dictionary_file"_s << orb::Prompter::Icon::Warning;
        QTest::newRow("empty Languages") << u"<Varnok_translation_toolkit_dictionary_file><Languages/></Varnok_translation_toolkit_dictionary_file>"_s
                                         << u"Неизвестный файл"_s << u"the Languages element lists no language"_s << orb::Prompter::Icon::Warning;
        QTest::newRow("no Charsets") << u"<Varnok_translation_toolkit_dictionary_file><Languages><E Name=\"e\"/></Languages></Varnok_translation_toolkit_dictionary_file>"_s
                                     << u"Ошибка при открытии"_s << u"there is no Charsets element"_s << orb::Prompter::Icon::Error;
        QTest::newRow("no Message") << u"<Varnok_translation_toolkit_dictionary_file><Languages><E Name=\"e\"/></Languages>"
                                       "<Charsets><E Charset=\"0\"/></Charsets><Item><E/></Item></Varnok_translation_toolkit_dictionary_file>"_s
                                    << u"Ошибка при открытии"_s << u"the Message of the language \"E\" in item 1 is missing or not UTF-8"_s
                                    << orb::Prompter::Icon::Error;
        QTest::newRow("not XML") << u"<Varnok_translation_toolkit_dictionary_file"_s << u"Ошибка при открытии"_s
                                 << u"Error parsing start element tag at line 1"_s << orb::Prompter::Icon::Error;
        // The line is the file's, however the parser has changed its text meanwhile.
        QTest::newRow("not XML on line 4") << u"<Varnok_translation_toolkit_dictionary_file>\r\n<Item><E Message=\"a&#10;b\r\nc\"/>\r\n<Item"_s
                                           << u"Ошибка при открытии"_s << u"Error parsing start element tag at line 4"_s << orb::Prompter::Icon::Error;
        QTest::newRow("missing file") << QString() << QString() << QString() << orb::Prompter::Icon::None;
    }
    void failedOpenKeepsTheDocument()
    {
        QFETCH(QString, body);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        QFETCH(orb::Prompter::Icon, icon);
        const QString good = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(good));
        typeIntoCell(0, 1, u"!"_s);
        const QList<QStringList> before = rowsOf(window->Dictionary());
        prompter->answers << orb::Prompter::Cancel; // to the save question: go on without saving

        const QString bad = body.isEmpty() ? files->filePath(u"absent.lng"_s) : write(u"bad.lng"_s, body);
        QVERIFY(!open(bad));
        QCOMPARE(prompter->messages.takeFirst().text, u"Сохранить измененный словарь ?"_s);
        if (message.isEmpty()) {
            QVERIFY(prompter->messages.isEmpty());
        } else {
            QCOMPARE(prompter->texts(), QStringList{failure(message, bad, reason)});
            QCOMPARE(prompter->messages[0].icon, icon);
            QCOMPARE(prompter->messages[0].caption, u"Varnok Translation Toolkit"_s);
        }
        QCOMPARE(rowsOf(window->Dictionary()), before);
        QCOMPARE(window->Dictionary().columnCount(), 3);
        QCOMPARE(window->dictFile(), QFileInfo(good).absoluteFilePath());
        QVERIFY(window->Modified());
        QVERIFY(window->dictionaryOpen());
    }

    void saveNewDictionaryForcesTheExtension()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        prompter->fileAnswers << files->filePath(u"dict.xml"_s);
        trigger("actSaveDict");
        const QString saved = files->filePath(u"dict.lng"_s);
        QVERIFY(QFile::exists(saved));
        QVERIFY(!QFile::exists(files->filePath(u"dict.xml"_s)));
        QCOMPARE(window->dictFile(), saved);
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit - dict.lng[*]"_s);
        QVERIFY(!window->Modified());
        // Bound now: the next save asks nothing.
        trigger("actNewLine");
        trigger("actSaveDict");
        QCOMPARE(prompter->fileCaptions.size(), 1);
    }

    void cancelledSaveDialogWritesNothing()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        trigger("actSaveDict");
        QCOMPARE(prompter->fileCaptions.size(), 1);
        QVERIFY(window->Modified());
        QCOMPARE(window->dictFile(), QString());
    }

    void failedSaveKeepsStateAndFile()
    {
        // Two languages with one identifier: the file reads, but no file could hold both.
        QString twice = kThreeLanguages;
        twice.replace(u"<German Name"_s, u"<English Name"_s);
        const QString path = write(u"twice.lng"_s, twice);
        QVERIFY(open(path));
        const QByteArray before = contents(path);
        trigger("actNewLine");
        trigger("actSaveDict");
        QCOMPARE(prompter->texts(),
                 QStringList{failure(u"Ощибка при сохранении"_s, path, u"two languages have the identifier \"English\""_s)});
        QCOMPARE(prompter->messages[0].icon, orb::Prompter::Icon::Error);
        QCOMPARE(contents(path), before);
        QVERIFY(window->Modified());
        QCOMPARE(window->dictFile(), QFileInfo(path).absoluteFilePath());
    }

    void allFilesFilterShowsFilesWithoutADot()
    {
        trigger("actOpenDict");
        const QString allFiles = prompter->fileFilters.last().split(u";;"_s).last();
        QCOMPARE(allFiles, u"All files (*)"_s); // "*.*" would hide README and the like
    }

    void fileDialogsStartInTheDocumentsOrTheLastGoodFolder()
    {
        trigger("actOpenDict");
        QCOMPARE(prompter->fileDirectories.takeLast(), QDir::homePath());
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        trigger("actOpenDict");
        QCOMPARE(prompter->fileDirectories.takeLast(), files->path());

        // A new document has no folder of its own; a failed save into another one leaves the
        // last good folder as it was.
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        QVERIFY(QDir(files->path()).mkdir(u"full"_s));
        const QString failedFolder = files->filePath(u"full/missing"_s);
        prompter->fileAnswers << failedFolder + u"/new.lng"_s;
        trigger("actSaveDict");
        QCOMPARE(prompter->fileDirectories.takeLast(), files->path());
        QCOMPARE(prompter->messages.size(), 1); // the failure
        trigger("actSaveDict");
        QCOMPARE(prompter->fileDirectories.takeLast(), files->path());

        prompter->fileAnswers << files->filePath(u"full/new.lng"_s);
        trigger("actSaveDict");
        QVERIFY(!window->Modified());
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        trigger("actSaveDict");
        QCOMPARE(prompter->fileDirectories.takeLast(), files->filePath(u"full"_s));
    }

    void closeQuestion()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        prompter->answers << orb::Prompter::Cancel;
        QVERIFY(!window->close());
        QCOMPARE(prompter->messages[0].buttons, int(orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel));
    }

    void cancelledSaveDialogStopsTheCommandThatAsked_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<orb::Prompter::Button>("yes");
        QTest::newRow("close") << QByteArray() << orb::Prompter::Yes;
        QTest::newRow("new") << QByteArray("actNewDict") << orb::Prompter::Yes;
        QTest::newRow("open") << QByteArray("actOpenDict") << orb::Prompter::Ok;
    }
    void cancelledSaveDialogStopsTheCommandThatAsked()
    {
        QFETCH(QByteArray, command);
        QFETCH(orb::Prompter::Button, yes);
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        prompter->answers << yes; // and no answer to the save dialog: it is cancelled
        bool languageAsked = false;
        QPointer<QTimer> watch = onNextDialog([&languageAsked](QDialog*) { languageAsked = true; });
        if (command.isEmpty())
            QVERIFY(!window->close());
        else
            trigger(command.constData());
        delete watch.data();
        QVERIFY(!languageAsked);
        QCOMPARE(prompter->fileCaptions.size(), 1); // the save dialog, no open dialog after it
        QVERIFY(window->isVisible());
        QVERIFY(window->Modified());
        QVERIFY(window->dictionaryOpen());
        QCOMPARE(QDir(files->path()).entryList(QDir::Files), QStringList());
    }

    void failedSaveStopsTheCommandThatAsked()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        // A file nobody may write: its content and stamp stay what was read.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        window->Grid()->setCurrentCell(0, 1);
        window->Grid()->dictModel()->setData(window->Grid()->dictModel()->cellIndex(0, 1), u"changed"_s);
        QVERIFY(window->Modified());
        const QStringList questionAndFailure{u"Сохранить измененный словарь ?"_s,
                                             failure(u"Ощибка при сохранении"_s, path, u"Permission denied"_s)};

        prompter->answers << orb::Prompter::Yes;
        QVERIFY(!window->close());
        QCOMPARE(prompter->texts(), questionAndFailure);
        prompter->messages.clear();

        prompter->answers << orb::Prompter::Yes;
        bool languageAsked = false;
        QPointer<QTimer> watch = onNextDialog([&languageAsked](QDialog*) { languageAsked = true; });
        trigger("actNewDict");
        delete watch.data();
        QVERIFY(!languageAsked);
        QCOMPARE(prompter->texts(), questionAndFailure);
        QCOMPARE(window->Dictionary().cell(0, 1), u"changed"_s);
        prompter->messages.clear();

        prompter->answers << orb::Prompter::Ok;
        prompter->fileCaptions.clear();
        trigger("actOpenDict");
        QCOMPARE(prompter->texts(), questionAndFailure);
        QVERIFY(prompter->fileCaptions.isEmpty());
        QVERIFY(window->Modified());

        // No still gives the changes up.
        prompter->answers << orb::Prompter::No;
        QVERIFY(window->close());
    }

    // A large file is read on another thread: the window keeps painting and takes a close,
    // which it carries out once the document is open.
    void closeDuringALongReadWaitsForIt()
    {
        const QString path = files->filePath(u"large.lng"_s);
        orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(100000, 4), path);
        bool closedDuringTheRead = false;
        idle(); // the open command enabled, so that the next pass of the loop is the read's
        QTimer::singleShot(0, window.get(), [&] {
            closedDuringTheRead = window->dictFile().isEmpty();
            window->close();
        });
        prompter->fileAnswers << path;
        action("actOpenDict")->trigger();
        QCOMPARE(window->dictFile(), QFileInfo(path).absoluteFilePath());
        QVERIFY(closedDuringTheRead);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(prompter->messages.isEmpty());
    }

    void closeWithoutChangesAsksNothing()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        QVERIFY(window->close());
        QVERIFY(prompter->messages.isEmpty());
    }

    void deletePhraseRow()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        trigger("actDeleteLine");
        QVERIFY(prompter->messages.isEmpty());

        prompter->answers << orb::Prompter::Cancel; // the new dictionary is not saved
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        prompter->clear();
        window->Grid()->setCurrentCell(0, 1);
        prompter->answers << orb::Prompter::Cancel;
        trigger("actDeleteLine");
        QCOMPARE(window->Dictionary().rowCount(), 3);
        QVERIFY(!window->Modified());
        QCOMPARE(prompter->texts(), (QStringList{u"Удалить текущую фразу ?"_s}));
        QCOMPARE(prompter->messages[0].icon, orb::Prompter::Icon::Warning);
        QCOMPARE(prompter->messages[0].buttons, int(orb::Prompter::Ok | orb::Prompter::Cancel));
        trigger("actDeleteLine");
        QCOMPARE(rowsOf(window->Dictionary()), (QList<QStringList>{{u"Open"_s, u"Öffnen"_s, u"Открыть"_s}}));
        QVERIFY(window->Modified());

        // The new row after a deletion starts empty.
        trigger("actNewLine");
        QCOMPARE(rowsOf(window->Dictionary()).last(), (QStringList{QString(), QString(), QString()}));
        QCOMPARE(window->Grid()->currentRow(), 2);
    }

    void sortCommand()
    {
        QVERIFY(open(write(u"sort.lng"_s,
            u"<Varnok_translation_toolkit_dictionary_file><Languages><A Name=\"a\"/><B Name=\"b\"/></Languages><Charsets/>"
            "<Item><A Message=\"b\"/><B Message=\"1\"/></Item><Item/><Item/>"
            "<Item><A Message=\"B\"/><B Message=\"2\"/></Item><Item><A Message=\"a\"/><B Message=\"3\"/></Item>"
            "<Item><A Message=\"\"/><B Message=\"4\"/></Item></Varnok_translation_toolkit_dictionary_file>"_s)));
        window->Grid()->setCurrentCell(0, 4);
        QStringList offered;
        onNextDialog(readSortDialog(offered));
        trigger("actSort");
        QCOMPARE(offered, (QStringList{u"Отсортировать текущий столбец ?"_s, u"rbAscending"_s, u"rbCodePoint"_s}));
        QCOMPARE(window->Dictionary().rowCount(), 7);
        QVERIFY(!window->Modified());

        onNextDialog(sortAs("rbAscending", "rbCodePoint"));
        trigger("actSort");
        QCOMPARE(rowsOf(window->Dictionary()),
                 (QList<QStringList>{{QString(), u"4"_s}, {u"B"_s, u"2"_s}, {u"a"_s, u"3"_s}, {u"b"_s, u"1"_s}}));
        QVERIFY(window->Modified());
        QCOMPARE(window->Grid()->currentCol(), 0);
        QCOMPARE(window->Grid()->currentRow(), 4);

        // In the user's language a letter's cases stand together; the choice is offered again.
        QLocale::setDefault(QLocale(u"en_US"_s));
        onNextDialog(sortAs("rbDescending", "rbLocale"));
        trigger("actSort");
        QLocale::setDefault(QLocale::system());
        QCOMPARE(rowsOf(window->Dictionary()),
                 (QList<QStringList>{{u"B"_s, u"2"_s}, {u"b"_s, u"1"_s}, {u"a"_s, u"3"_s}, {QString(), u"4"_s}}));
        onNextDialog(readSortDialog(offered));
        trigger("actSort");
        QCOMPARE(offered, (QStringList{u"Отсортировать текущий столбец ?"_s, u"rbDescending"_s, u"rbLocale"_s}));
        QVERIFY(prompter->messages.isEmpty());
    }

    void pseudoTranslationCommand()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        window->Grid()->setCurrentCell(2, 2);
        QString offered;
        onNextDialog([&offered](QDialog* dialog) {
            offered = dialog->findChild<QComboBox*>(u"cbxSourceLanguage"_s)->currentText() + u' '
                      + dialog->findChild<QLineEdit*>(u"edtTargetID"_s)->text();
            dialog->reject();
        });
        trigger("actPseudo");
        QCOMPARE(offered, u"Русский(Russian) pseudo"_s);
        QVERIFY(!window->Modified());

        // The source's own identifier is refused, and the dialog stays open for another.
        onNextDialog(pseudo(0, {u"English"_s, u"pseudo"_s}));
        trigger("actPseudo");
        QCOMPARE(prompter->texts(), QStringList{u"Псевдоперевод нельзя записать в исходный язык"_s});
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(English)/0"_s, u"Deutsch(German)/1"_s,
                                                               u"Русский(Russian)/204"_s, u"Pseudo(pseudo)/0"_s}));
        QCOMPARE(rowsOf(window->Dictionary()), (QList<QStringList>{{u"File"_s, u"Datei"_s, u"Файл"_s, u"[Fîļé··]"_s},
                                                                    {u"Open"_s, u"Öffnen"_s, u"Открыть"_s, u"[Öpéñ··]"_s}}));
        const QAbstractItemModel* grid = window->Grid()->model();
        QCOMPARE(grid->headerData(3, Qt::Horizontal).toString(), u"Pseudo(pseudo)"_s);
        QCOMPARE(grid->index(1, 3).data().toString(), u"[Öpéñ··]"_s);
        QVERIFY(window->Modified());
        QCOMPARE(window->Grid()->currentCol(), 3);
        QCOMPARE(window->Grid()->currentRow(), 2);

        // Real translations are replaced only when the user agrees; pseudo ones without a question.
        prompter->clear();
        prompter->answers << orb::Prompter::No << orb::Prompter::Yes;
        for (int i = 0; i < 2; ++i) {
            onNextDialog(pseudo(2, {u"German"_s}));
            trigger("actPseudo");
            QCOMPARE(window->Dictionary().cell(1, 1), i == 0 ? u"Datei"_s : u"[Файл··]"_s);
        }
        QCOMPARE(prompter->texts(), QStringList(2, u"Заменить тексты языка Deutsch(German) ?"_s));
        QCOMPARE(prompter->messages[0].icon, orb::Prompter::Icon::Warning);
        QCOMPARE(prompter->messages[0].defaultButton, int(orb::Prompter::No));
        onNextDialog(pseudo(2, {u"pseudo"_s}));
        trigger("actPseudo");
        QCOMPARE(prompter->messages.size(), 2);
        QCOMPARE(window->Dictionary().cell(3, 2), u"[Открыть···]"_s);
    }

    void deleteLanguages()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        window->Grid()->setCurrentCell(1, 1);
        prompter->answers << orb::Prompter::No;
        trigger("actDeleteLang");
        QCOMPARE(window->Dictionary().columnCount(), 3);
        QVERIFY(!window->Modified());
        QCOMPARE(prompter->texts(), (QStringList{u"Удалить язык Deutsch(German) ?"_s}));
        QCOMPARE(prompter->messages[0].icon, orb::Prompter::Icon::Warning);
        QCOMPARE(prompter->messages[0].buttons, int(orb::Prompter::Yes | orb::Prompter::No));
        QCOMPARE(prompter->messages[0].defaultButton, int(orb::Prompter::No));

        prompter->answers << orb::Prompter::Yes;
        trigger("actDeleteLang");
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(English)/0"_s, u"Русский(Russian)/204"_s}));
        QCOMPARE(rowsOf(window->Dictionary()), (QList<QStringList>{{u"File"_s, u"Файл"_s}, {u"Open"_s, u"Открыть"_s}}));
        QVERIFY(window->Modified());
        QCOMPARE(window->Grid()->currentCol(), 1);

        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes;
        trigger("actDeleteLang");
        trigger("actDeleteLang");
        QVERIFY(!window->dictionaryOpen());
        idle();
        // Back to the start set: nothing would write the deleted column.
        QCOMPARE(enabledButtons(), (QStringList{u"tbCreate"_s, u"tbOpen"_s, u"tbLanguages"_s, u"tbAbout"_s}));
        prompter->clear();
        const qsizetype dialogs = prompter->fileCaptions.size();
        window->actSaveDictExecute();
        QVERIFY(prompter->messages.isEmpty());
        QCOMPARE(prompter->fileCaptions.size(), dialogs);
        QVERIFY(window->close());
        QVERIFY(prompter->messages.isEmpty());
    }

    void newLanguageColumns()
    {
        newDictionary(u"English"_s, u"English"_s, u"ANSI_CHARSET"_s);
        onNextDialog([](QDialog* dialog) { QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton); });
        trigger("actNewLang");
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(English)/0"_s, u"Русский(Russian)/1"_s}));
        QCOMPARE(window->Grid()->currentCol(), 1);

        onNextDialog(language(u"Ukrainian"_s, u"Українська"_s, u"RUSSIAN_CHARSET"_s));
        trigger("actNewLang");
        QCOMPARE(window->Dictionary().column(2).charset, 204);
        QString shown;
        onNextDialog([&](QDialog* dialog) {
            shown = dialog->windowTitle() + u' ' + dialog->findChild<QComboBox*>(u"cbxLangCharset"_s)->currentText()
                + u' ' + dialog->findChild<QPlainTextEdit*>(u"mmCharsetHelp"_s)->toPlainText();
            dialog->reject();
        });
        trigger("actLangProperty");
        QCOMPARE(shown, u"Свойства языка RUSSIAN_CHARSET Cyrillic Russia, Belarus, Ukraine and some other slavic countries"_s);
    }

    void languageDialogsRefuseAnotherColumnsIdentifier()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        window->Grid()->setCurrentCell(1, 1);
        auto tryIdentifiers = [](const QStringList& ids) {
            return [ids](QDialog* dialog) {
                for (const QString& id : ids) {
                    dialog->findChild<QComboBox*>(u"cbxLangID"_s)->setEditText(id);
                    QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
                }
            };
        };
        const QString taken = u"Этот идентификатор уже есть у другого языка словаря"_s;
        onNextDialog(tryIdentifiers({u"Russian"_s, u"German"_s}));
        trigger("actLangProperty");
        QCOMPARE(prompter->texts(), QStringList{taken});
        QCOMPARE(window->Dictionary().headerText(1), u"Deutsch(German)"_s);
        prompter->clear();
        onNextDialog(tryIdentifiers({u"English"_s, u"Dutch"_s}));
        trigger("actNewLang");
        QCOMPARE(prompter->texts(), QStringList{taken});
        QCOMPARE(window->Dictionary().headerText(3), u"Русский(Dutch)"_s);
    }

    void propertiesOfAnUnknownCharsetNumber()
    {
        QVERIFY(open(write(u"100.lng"_s,
            u"<Varnok_translation_toolkit_dictionary_file><Languages><Greek Name=\"Ελληνικά (GR)\"/></Languages>"
            "<Charsets><Greek Charset=\"100\"/></Charsets></Varnok_translation_toolkit_dictionary_file>"_s)));
        QCOMPARE(window->Dictionary().headerText(0), u"Ελληνικά (GR)(Greek)"_s);
        QString id, name, charset;
        onNextDialog([&](QDialog* dialog) {
            id = dialog->findChild<QComboBox*>(u"cbxLangID"_s)->currentText();
            name = dialog->findChild<QLineEdit*>(u"edtLangDisplay"_s)->text();
            charset = dialog->findChild<QComboBox*>(u"cbxLangCharset"_s)->currentText();
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        trigger("actLangProperty");
        // The display name with its parenthesis comes back whole.
        QCOMPARE(id, u"Greek"_s);
        QCOMPARE(name, u"Ελληνικά (GR)"_s);
        QCOMPARE(charset, u"DEFAULT_CHARSET"_s);
        QCOMPARE(window->Dictionary().column(0).charset, 1);
        QVERIFY(window->Modified());
    }

    void editingTheBottomRightCellOpensARow()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        typeIntoCell(0, 1, u"a"_s);
        QCOMPARE(window->Dictionary().rowCount(), 3);
        typeIntoCell(2, 2, u"b"_s);
        QCOMPARE(window->Dictionary().rowCount(), 4);
        QCOMPARE(window->Dictionary().cell(2, 2), u"Открытьb"_s);
        QCOMPARE(window->Grid()->currentRow(), 3);
        QCOMPARE(window->Grid()->currentCol(), 2);
        QVERIFY(window->Modified());
    }

    void openingAndClosingTheEditorSetsTheModifiedFlag()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        typeIntoCell(0, 1, QString());
        QVERIFY(window->Modified());
        QCOMPARE(window->Dictionary().cell(0, 1), u"File"_s);
    }

    void escapeGivesTheCellBackItsText()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        orb::DictGrid* grid = window->Grid();
        grid->setFocus();
        grid->setCurrentCell(0, 1);
        QTest::keyClicks(grid, u"x"_s); // a typed key opens the in-place editor
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
        QVERIFY(editor);
        QTest::keyClicks(editor, u"yz"_s);
        QCOMPARE(window->Dictionary().cell(0, 1), u"xyz"_s);
        QTest::keyClick(editor, Qt::Key_Escape);
        idle();
        QVERIFY(!grid->indexWidget(grid->currentIndex()));
        QCOMPARE(window->Dictionary().cell(0, 1), u"File"_s);
        QCOMPARE(window->Dictionary().rowCount(), 3);
    }

    void editCellButton()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        orb::DictGrid* grid = window->Grid();
        grid->setFocus();
        grid->setCurrentCell(1, 2);
        idle();
        auto* button = window->findChild<QToolButton*>(u"sbtnEditCell"_s);
        QCOMPARE(button->parentWidget(), grid);
        QVERIFY(button->isVisible());
        const QRect cell = grid->cellRect(1, 2);
        QCOMPARE(button->geometry().topRight(), QPoint(cell.right(), cell.top()));
        QCOMPARE(button->size(), QSize(18, 18));

        onNextDialog([](QDialog* dialog) { QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton); });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!window->Modified());

        onNextDialog([](QDialog* dialog) {
            auto* memo = dialog->findChild<QPlainTextEdit*>(u"mmMemo"_s);
            memo->setPlainText(memo->toPlainText() + u"\nzwei"_s);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(window->Modified());
        QCOMPARE(window->Dictionary().cell(1, 2), u"Öffnen\nzwei"_s);

        // The button follows the current cell.
        grid->setCurrentCell(2, 1);
        QCOMPARE(button->geometry().topRight(), QPoint(grid->cellRect(2, 1).right(), grid->cellRect(2, 1).top()));
    }

    void editCellButtonHidesWithItsCell()
    {
        QString items;
        for (int row = 0; row < 200; ++row)
            items += u"<Item><E Message=\"%1\"/></Item>"_s.arg(row);
        QVERIFY(open(write(u"long.lng"_s, u"<Varnok_translation_toolkit_dictionary_file><Languages><E Name=\"e\"/></Languages>"
                                             "<Charsets><E Charset=\"0\"/></Charsets>%1</Varnok_translation_toolkit_dictionary_file>"_s
                                                 .arg(items))));
        orb::DictGrid* grid = window->Grid();
        grid->setFocus();
        grid->setCurrentCell(0, 2);
        auto* button = window->findChild<QToolButton*>(u"sbtnEditCell"_s);
        QVERIFY(button->isVisible());
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QVERIFY(!button->isVisible());
        grid->verticalScrollBar()->setValue(2); // the cell one row above the first in view
        QVERIFY(!button->isVisible());
        grid->verticalScrollBar()->setValue(1); // the cell the first in view
        QVERIFY(button->isVisible());
    }

    void addPhrase()
    {
        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        window->AddPhrase(u"Nowhere(X)"_s, u"text"_s);
        window->AddPhrase(u"Deutsch(German)"_s, u"Datei"_s);
        QVERIFY(!window->Modified());
        QCOMPARE(window->Dictionary().rowCount(), 3);
        QVERIFY(window->PhraseExists(u"Deutsch(German)"_s, u"Öffnen"_s));
        QVERIFY(!window->PhraseExists(u"Deutsch(German)"_s, u"Open"_s));

        window->AddPhrase(u"Deutsch(German)"_s, u"Speichern"_s);
        QVERIFY(window->Modified());
        QCOMPARE(rowsOf(window->Dictionary()).last(), (QStringList{QString(), u"Speichern"_s, QString()}));
        QCOMPARE(window->Grid()->currentCol(), 1);
        QCOMPARE(window->Grid()->currentRow(), 3);

        // An empty last row is filled, not followed by another.
        trigger("actNewLine");
        window->AddPhrase(u"Русский(Russian)"_s, u"Сохранить"_s);
        QCOMPARE(window->Dictionary().rowCount(), 5);
        QCOMPARE(rowsOf(window->Dictionary()).last(), (QStringList{QString(), QString(), u"Сохранить"_s}));
        int col = -1;
        QVERIFY(window->FindLangColumn(u"Русский(Russian)"_s, col));
        QCOMPARE(col, 2);
        QCOMPARE(window->FindLangIDColumn(u"German"_s), 1);
        QCOMPARE(window->headerTexts(), (QStringList{u"English(English)"_s, u"Deutsch(German)"_s, u"Русский(Russian)"_s}));
    }

    void statusBarShowsWhatIsUnderThePointer()
    {
        const QString longText = u"a text much wider than the column can show, so only the status bar shows it whole"_s;
        QVERIFY(open(write(u"long.lng"_s,
            u"<Varnok_translation_toolkit_dictionary_file><Languages><E Name=\"e\"/></Languages><Charsets/>"
            "<Item><E Message=\""_s + longText + u"\"/></Item></Varnok_translation_toolkit_dictionary_file>"_s)));
        auto* toolbar = window->findChild<QToolBar*>(u"ToolBar1"_s);
        QWidget* save = toolbar->widgetForAction(action("actSaveDict"));
        hoverOver(save, save->rect().center());
        QCOMPARE(statusBar()->currentMessage(), u"Сохранить"_s);
        idle();
        QCOMPARE(statusBar()->currentMessage(), u"Сохранить"_s);

        orb::DictGrid* grid = window->Grid();
        hoverOver(grid, grid->cellRect(0, 1).center());
        QCOMPARE(statusBar()->currentMessage(), longText);
        QCOMPARE(grid->hint(), longText);
        hoverOver(grid, grid->cellRect(0, 0).center());
        QCOMPARE(statusBar()->currentMessage(), u"e(E)"_s);
    }

    void draggedColumnIsSavedInItsNewPlace()
    {
        const QString path = write(u"three.lng"_s, kThreeLanguages);
        QVERIFY(open(path));
        orb::DictGrid* grid = window->Grid();
        grid->setColumnWidth(0, 111);
        // What a drag of the first header to the last place does.
        grid->horizontalHeader()->moveSection(0, 2);
        QCOMPARE(window->headerTexts(), (QStringList{u"Deutsch(German)"_s, u"Русский(Russian)"_s, u"English(English)"_s}));
        QCOMPARE(grid->horizontalHeader()->visualIndex(2), 2);
        QCOMPARE(grid->columnWidth(2), 111);
        QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), u"English(English)"_s);
        // The next save would write another order: that is a change to be saved.
        QVERIFY(window->Modified());
        trigger("actSaveDict");
        orb::DictTable back;
        QCOMPARE(orb::readDictionaryGrid(path, back), orb::GridRead::Ok);
        QCOMPARE(headersOf(back), (QStringList{u"Deutsch(German)/1"_s, u"Русский(Russian)/204"_s, u"English(English)/0"_s}));
        QCOMPARE(rowsOf(back).first(), (QStringList{u"Datei"_s, u"Файл"_s, u"File"_s}));
    }

    void roundTripThroughTheCommands()
    {
        newDictionary(u"English"_s, u"English (UK)"_s, u"ANSI_CHARSET"_s);
        onNextDialog(language(u"Russian"_s, u"Русский"_s, u"RUSSIAN_CHARSET"_s));
        trigger("actNewLang");
        onNextDialog(language(u"German"_s, u"Deutsch"_s, u"EASTEUROPE_CHARSET"_s));
        trigger("actNewLang");

        typeIntoCell(0, 1, u"First line"_s);
        auto* button = window->findChild<QToolButton*>(u"sbtnEditCell"_s);
        auto editWith = [&](int col, int row, const QString& text) {
            window->Grid()->setCurrentCell(col, row);
            onNextDialog([text](QDialog* dialog) {
                dialog->findChild<QPlainTextEdit*>(u"mmMemo"_s)->setPlainText(text);
                QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            });
            QTest::mouseClick(button, Qt::LeftButton);
        };
        editWith(0, 1, u"First line\nsecond line"_s);
        editWith(1, 1, u"Первая строка\nвторая"_s);
        editWith(2, 1, u"Erste Zeile\nzweite"_s);
        trigger("actNewLine");
        trigger("actNewLine");
        editWith(1, 3, u"Только\r\nрусский"_s);
        window->Grid()->horizontalHeader()->moveSection(2, 0);

        prompter->fileAnswers << files->filePath(u"round"_s);
        trigger("actSaveDict");
        const QString path = files->filePath(u"round.lng"_s);
        QCOMPARE(window->dictFile(), path);
        const QStringList headers = headersOf(window->Dictionary());
        const QList<QStringList> rows = rowsOf(window->Dictionary());
        QCOMPARE(headers, (QStringList{u"Deutsch(German)/238"_s, u"English (UK)(English)/0"_s, u"Русский(Russian)/204"_s}));
        // The empty row between the two phrases went with the save.
        QCOMPARE(rows, (QList<QStringList>{{u"Erste Zeile\nzweite"_s, u"First line\nsecond line"_s, u"Первая строка\nвторая"_s},
                                           {QString(), QString(), u"Только\nрусский"_s}}));

        window.reset();
        window = std::make_unique<TfrmMain>();
        QVERIFY(open(path));
        QCOMPARE(headersOf(window->Dictionary()), headers);
        QCOMPARE(rowsOf(window->Dictionary()), rows);
        QCOMPARE(window->Dictionary().column(1).langName, u"English (UK)"_s);
        QCOMPARE(window->Dictionary().column(1).langId, u"English"_s);
        QVERIFY(!window->Modified());
        QVERIFY(prompter->messages.isEmpty());
    }

    void englishInterface()
    {
        QVERIFY(window->translator()->SetLangID(u"English"_s));
        QCOMPARE(action("actSaveDict")->text(), u"Save"_s);
        QCOMPARE(action("actImport")->toolTip(), u"Import dictionary"_s);
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit"_s);

        QVERIFY(open(write(u"three.lng"_s, kThreeLanguages)));
        prompter->answers << orb::Prompter::Cancel << orb::Prompter::No << orb::Prompter::Cancel << orb::Prompter::Cancel;
        trigger("actDeleteLine");
        trigger("actDeleteLang");
        typeIntoCell(0, 1, u"!"_s);
        QVERIFY(!window->close());
        const QString bad = write(u"bad.lng"_s, u"<x/>"_s);
        QVERIFY(!open(bad));
        QCOMPARE(prompter->texts(), (QStringList{u"Delete the current phrase?"_s,
                                                 u"Delete language English(English) ?"_s, u"Save the changed dictionary?"_s,
                                                 u"Save the changed dictionary?"_s,
                                                 failure(u"Unknown file"_s, bad, u"the root element is not Varnok_translation_toolkit_dictionary_file"_s)}));
        QString caption, okText;
        onNextDialog([&](QDialog* dialog) {
            caption = dialog->windowTitle();
            dialog->reject();
        });
        trigger("actNewLang");
        QCOMPARE(caption, u"Add language"_s);
        QStringList sortPrompt;
        onNextDialog(readSortDialog(sortPrompt));
        trigger("actSort");
        QCOMPARE(sortPrompt.value(0), u"Sort the current column?"_s);
        // Every text the editor showed was in its dictionary: nothing had to be learned.
        QVERIFY(!window->translator()->Modified());
    }

    void linkOpensTheWebAddress()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
        auto* link = window->findChild<QLabel*>(u"lblTarsova"_s);
        QCOMPARE(link->text(), u"www.varnok.example.org"_s);
        QVERIFY(link->font().bold() && link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(catcher.urls, (QList<QUrl>{QUrl(u"https://www.varnok.example.org"_s)}));
    }

    void aboutBoxIsAFreshModalWindow()
    {
        QString className;
        onNextDialog([&](QDialog* dialog) { className = QString::fromLatin1(dialog->metaObject()->className()); });
        trigger("actAbout");
        QCOMPARE(className, u"TAboutBox"_s);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editor_window.moc"

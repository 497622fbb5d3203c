// The project wizard's windows with real widgets: the dialog, the harvest window over a project
// in a temporary directory, its questions beside it, and the main window around them. The
// questions are answered through the recording prompter, which also does what the user does
// while one is open; the real non-modal question is checked on its own.
//
// This test has a directory of its own: the wizard remembers its code page in the Settings.ini
// beside the executable.
#include "editor/DictGridModel.h"
#include "DictTableContents.h"
#include "EditorTestHelpers.h"
#include "wizard/FindWords.h"
#include "wizard/Harvest.h"
#include "editor/Main.h"
#include "RecordingPrompter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;
using editortest::idle;
using editortest::onNextDialog;
using editortest::rowsOf;

namespace {

const QString kTwoLanguages = u"<Varnok_translation_toolkit_dictionary_file>"
    "<Languages><Russian Name=\"Русский\"/><English Name=\"English\"/></Languages>"
    "<Charsets><Russian Charset=\"204\"/><English Charset=\"0\"/></Charsets>"
    "<Item><Russian Message=\"Файл\"/><English Message=\"File\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>"_s;
const QString kRussian = u"Русский(Russian)"_s;

const QString kUnit = u"unit Unit1;\n\ninterface\n\nuses\n  Windows, Forms;\n\nimplementation\n\n"
                      "procedure Done;\nbegin\n  ShowMessage('Готово');\nend;\n\nend.\n"_s;
const QString kUnitRewritten = u"unit Unit1;\n\ninterface\n\nuses\n  Windows, Forms, OrbTranslate;\n\nimplementation\n\n"
                               "procedure Done;\nbegin\n  ShowMessage(Translate('Готово'));\nend;\n\nend.\n"_s;
const QString kForm = u"object Form1: TForm1\n  Caption = 'Привет'\nend\n"_s;

// The commands a running harvest keeps waiting.
const char* const kDocumentCommands[] = {"actNewDict", "actOpenDict", "actImport", "actWizard", "actNewLang",
                                         "actDeleteLang", "actLangProperty", "actNewLine", "actDeleteLine", "actSort"};

QList<TfrmFindWords*> harvestWindows()
{
    QList<TfrmFindWords*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* harvest = qobject_cast<TfrmFindWords*>(widget))
            found << harvest;
    }
    return found;
}

TfrmFindWords* harvestWindow()
{
    const QList<TfrmFindWords*> found = harvestWindows();
    return found.size() == 1 ? found.front() : nullptr;
}

QPlainTextEdit* harvestView()
{
    TfrmFindWords* harvest = harvestWindow();
    return harvest ? harvest->findChild<QPlainTextEdit*>(u"mmModule"_s) : nullptr;
}

// Selects the first occurrence of the text in the harvest window's view, as the user would.
void selectInView(const QString& text)
{
    QPlainTextEdit* view = harvestView();
    QVERIFY(view);
    const int start = int(view->toPlainText().indexOf(text));
    QVERIFY2(start >= 0, qPrintable(text));
    QTextCursor cursor(view->document());
    cursor.setPosition(start);
    cursor.setPosition(start + int(text.size()), QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
}

QString prompt(orb::PromptKind kind, const QString& argument)
{
    return promptText(kind, promptSource(kind), argument);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the action on the next message box in view that is not modal, then answers it No if
// the action left it open.
void onNextQuestion(std::function<void(QMessageBox*)> action)
{
    editortest::onNextWindow<QMessageBox>(
        [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                    return box;
            }
            return static_cast<QMessageBox*>(nullptr);
        },
        std::move(action), [](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
}

} // namespace

class TestWizardWindows : public QObject, editortest::WindowUnderTest
{
    Q_OBJECT

    QString project;

    QAction* action(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    void trigger(const char* name)
    {
        idle();
        QVERIFY2(action(name)->isEnabled(), name);
        action(name)->trigger();
    }

    QString writeProjectFile(const QString& name, const QString& text)
    {
        const QString path = project + u'/' + name;
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            qFatal("cannot create the folder of %s", qPrintable(path));
        return editortest::writeTextFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), text);
    }

    // Opens the wizard, lets the action fill in the dialog, and runs what it starts.
    void runWizard(std::function<void(QDialog*)> fill)
    {
        onNextDialog(std::move(fill));
        trigger("actWizard");
    }
    // The wizard accepted on the project directory and the given language column.
    void harvest(int language = 0)
    {
        runWizard([this, language](QDialog* dialog) {
            dialog->findChild<QComboBox*>(u"cbxLanguages"_s)->setCurrentIndex(language);
            dialog->findChild<QLineEdit*>(u"dedProjectPath"_s)->setText(project);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
    }

    QStringList column(int col) const
    {
        QStringList texts;
        for (const QStringList& row : rowsOf(window->Dictionary()))
            texts << row[col];
        return texts;
    }

    QStringList enabledDocumentCommands()
    {
        QStringList enabled;
        for (const char* name : kDocumentCommands) {
            if (action(name)->isEnabled())
                enabled << QString::fromLatin1(name);
        }
        return enabled;
    }

    void removeSettings() { QFile::remove(TfrmMain::settingsPath()); }

private slots:
    void init()
    {
        removeSettings();
        QVERIFY(start());
        project = files->filePath(u"project"_s);
        QVERIFY(QDir().mkpath(project));
        QVERIFY(window->ReadDictionary(editortest::writeTextFile(files->path(), u"two.lng"_s, kTwoLanguages)));
    }
    void cleanup()
    {
        stop();
        removeSettings();
        QVERIFY(harvestWindows().isEmpty());
    }

    // ---- the dialog ----

    void dialogShowsItsControlsInTabOrder()
    {
        QStringList order;
        QString title;
        QString intro;
        bool introBoldCentred = false;
        QSize picture;
        bool languagesEditable = true;
        runWizard([&](QDialog* dialog) {
            title = dialog->windowTitle();
            const auto* label = dialog->findChild<QLabel*>(u"Label1"_s);
            intro = label->text();
            introBoldCentred = label->font().bold() && label->alignment() == Qt::AlignCenter;
            picture = dialog->findChild<QLabel*>(u"Image1"_s)->pixmap().size();
            languagesEditable = dialog->findChild<QComboBox*>(u"cbxLanguages"_s)->isEditable();
            QWidget* widget = dialog->findChild<QComboBox*>(u"cbxLanguages"_s);
            for (int i = 0; i < 7; ++i, widget = widget->nextInFocusChain()) {
                while (!(widget->focusPolicy() & Qt::TabFocus))
                    widget = widget->nextInFocusChain();
                order << widget->objectName();
            }
        });
        QCOMPARE(title, u"Мастер"_s);
        QCOMPARE(intro, u"Мастер поможет добавить в\nсловарь слова (не английские) \nиз вашего Delphi проекта."_s);
        QVERIFY(introBoldCentred);
        QCOMPARE(picture, QSize(30, 30));
        QVERIFY(!languagesEditable);
        QCOMPARE(order, (QStringList{u"cbxLanguages"_s, u"dedProjectPath"_s, u"btnProjectPath"_s, u"cbxEncoding"_s,
                                     u"cbxCppOffer"_s, u"btnOK"_s, u"btnCancel"_s}));
    }

    void dialogOffersTheHeadersFirstSelected()
    {
        QStringList offered;
        int selected = -1;
        runWizard([&](QDialog* dialog) {
            const auto* languages = dialog->findChild<QComboBox*>(u"cbxLanguages"_s);
            for (int i = 0; i < languages->count(); ++i)
                offered << languages->itemText(i);
            selected = languages->currentIndex();
        });
        QCOMPARE(offered, window->headerTexts());
        QCOMPARE(selected, 0);
    }

    void singleLanguageIsOfferedSelected()
    {
        window->ClearGrid();
        window->Grid()->dictModel()->setColumn(0, {u"Russian"_s, u"Русский"_s, 204});
        QStringList offered;
        runWizard([&](QDialog* dialog) {
            const auto* languages = dialog->findChild<QComboBox*>(u"cbxLanguages"_s);
            offered << languages->currentText() << QString::number(languages->count());
        });
        QCOMPARE(offered, (QStringList{kRussian, u"1"_s}));
    }

    void emptyPathWarnsAndKeepsTheDialogOpen()
    {
        bool openAfterOk = false;
        const QWidget* shown = nullptr;
        runWizard([&](QDialog* dialog) {
            shown = dialog;
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
            openAfterOk = dialog->isVisible();
        });
        QVERIFY(openAfterOk);
        QCOMPARE(prompter->messages.size(), 1);
        const orb::RecordingPrompter::Message warning = prompter->messages.front();
        QCOMPARE(warning.text, u"Введите путь к Delphi проекту"_s);
        QCOMPARE(warning.caption, u"Varnok Translation Toolkit"_s);
        QCOMPARE(warning.icon, orb::Prompter::Icon::Warning);
        QCOMPARE(warning.buttons, int(orb::Prompter::Ok));
        QCOMPARE(warning.owner, shown);
        QVERIFY(harvestWindows().isEmpty());
    }

    void chooserWritesTheDirectoryIntoTheField()
    {
        prompter->fileAnswers << project;
        QString field;
        runWizard([&](QDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QToolButton*>(u"btnProjectPath"_s), Qt::LeftButton);
            field = dialog->findChild<QLineEdit*>(u"dedProjectPath"_s)->text();
        });
        QCOMPARE(field, project);
        QCOMPARE(prompter->fileCaptions, QStringList{u"Путь к Delphi проекту"_s});
    }

    void codePageAndCppOfferAreRememberedForTheNextRun()
    {
        QString offeredFirst;
        int cppOfferFirst = -1;
        runWizard([&](QDialog* dialog) {
            auto* encodings = dialog->findChild<QComboBox*>(u"cbxEncoding"_s);
            auto* cppOffer = dialog->findChild<QComboBox*>(u"cbxCppOffer"_s);
            offeredFirst = encodings->currentText();
            cppOfferFirst = cppOffer->currentIndex();
            encodings->setCurrentIndex(encodings->findText(u"KOI8-R"_s));
            cppOffer->setCurrentIndex(1);
            dialog->findChild<QLineEdit*>(u"dedProjectPath"_s)->setText(project);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        QCOMPARE(offeredFirst, u"windows-1251"_s);
        QCOMPARE(cppOfferFirst, 0); // non-ASCII literals only, as in a Delphi project
        const QSettings settings(TfrmMain::settingsPath(), QSettings::IniFormat);
        QCOMPARE(settings.value(u"Wizard/LegacyEncoding"_s).toString(), u"KOI8-R"_s);
        QCOMPARE(settings.value(u"Wizard/CppOffer"_s).toString(), u"WithLetter"_s);
        QString offeredNext;
        int cppOfferNext = -1;
        runWizard([&](QDialog* dialog) {
            offeredNext = dialog->findChild<QComboBox*>(u"cbxEncoding"_s)->currentText();
            cppOfferNext = dialog->findChild<QComboBox*>(u"cbxCppOffer"_s)->currentIndex();
        });
        QCOMPARE(offeredNext, u"KOI8-R"_s);
        QCOMPARE(cppOfferNext, 1);
    }

    void cancelledDialogScansNothing()
    {
        writeProjectFile(u"Unit1.pas"_s, kUnit);
        runWizard([this](QDialog* dialog) {
            dialog->findChild<QLineEdit*>(u"dedProjectPath"_s)->setText(project);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnCancel"_s), Qt::LeftButton);
        });
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(!window->Modified());
    }

    // ---- the harvest ----

    void acceptedLiteralsReachTheGridAndTheUnit()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, kUnit);
        const QString form = writeProjectFile(u"Form1.dfm"_s, kForm);
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes;
        harvest();
        const QList<QPair<int, QString>> expected = {
            {orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel, prompt(orb::PromptKind::AddPhrase, u"Привет"_s)},
            {orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel, prompt(orb::PromptKind::WrapLiteral, u"Готово"_s)},
            {orb::Prompter::Yes | orb::Prompter::No, prompt(orb::PromptKind::AddUses, u"OrbTranslate"_s)},
            {orb::Prompter::Yes | orb::Prompter::No, prompt(orb::PromptKind::SaveFile, unit)},
        };
        QCOMPARE(prompter->messages.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const orb::RecordingPrompter::Message& asked = prompter->messages[i];
            QCOMPARE(asked.text, expected[i].second);
            QCOMPARE(asked.buttons, expected[i].first);
            QCOMPARE(asked.caption, u"Varnok Translation Toolkit"_s);
            QCOMPARE(asked.icon, orb::Prompter::Icon::Question);
            QVERIFY(asked.nonModal);
        }
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Привет"_s, u"Готово"_s}));
        QVERIFY(window->Modified());
        QCOMPARE(contents(unit), kUnitRewritten.toUtf8());
        QCOMPARE(contents(form), kForm.toUtf8());
        QVERIFY(harvestWindows().isEmpty());
    }

    void phrasesGoToTheChosenColumn()
    {
        writeProjectFile(u"Form1.dfm"_s, kForm);
        prompter->answers << orb::Prompter::Yes;
        harvest(1);
        QCOMPARE(rowsOf(window->Dictionary()), (QList<QStringList>{{u"Файл"_s, u"File"_s}, {QString(), u"Привет"_s}}));
    }

    void answeredNoLeavesTheUnitAsItWas()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, kUnit);
        prompter->answers << orb::Prompter::Yes << orb::Prompter::No << orb::Prompter::No;
        harvest();
        QCOMPARE(prompter->messages.size(), 3);
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Готово"_s}));
        QCOMPARE(contents(unit), kUnit.toUtf8());
    }

    void harvestWindowShowsTheFileWithTheLiteralSelected()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, kUnit);
        QString title;
        QRect geometry;
        QString box;
        QString selected;
        bool readOnly = false;
        bool noWrap = false;
        bool bothBars = false;
        bool selectionKeepsColour = false;
        bool busyOverQuestion = true;
        QString rewrittenSoFar;
        prompter->whileAsked << [&] {
            TfrmFindWords* harvest = harvestWindow();
            QVERIFY(harvest);
            title = harvest->windowTitle();
            geometry = QRect(harvest->pos(), harvest->size());
            box = harvest->findChild<QGroupBox*>(u"gbxModule"_s)->title();
            QPlainTextEdit* view = harvestView();
            selected = view->textCursor().selectedText();
            readOnly = view->isReadOnly();
            noWrap = view->lineWrapMode() == QPlainTextEdit::NoWrap;
            bothBars = view->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn
                       && view->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
            const QPalette palette = view->palette();
            selectionKeepsColour = palette.color(QPalette::Inactive, QPalette::Highlight)
                                       == palette.color(QPalette::Active, QPalette::Highlight)
                                   && palette.color(QPalette::Inactive, QPalette::HighlightedText)
                                          == palette.color(QPalette::Active, QPalette::HighlightedText);
            busyOverQuestion = QGuiApplication::overrideCursor() != nullptr;
        };
        // At the uses question the view shows the literal wrapped, as the scanner has it.
        prompter->whileAsked << [&] { rewrittenSoFar = harvestView()->toPlainText(); };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::No;
        harvest();
        QCOMPARE(title, u"Поиск слов в проекте"_s);
        QCOMPARE(geometry, QRect(196, 0, 463, 249));
        QCOMPARE(box, unit);
        QCOMPARE(selected, u"'Готово'"_s);
        QVERIFY(readOnly);
        QVERIFY(noWrap);
        QVERIFY(bothBars);
        QVERIFY(selectionKeepsColour);
        QVERIFY(!busyOverQuestion);
        QCOMPARE(rewrittenSoFar, QString(kUnit).replace(u"('Готово')"_s, u"(Translate('Готово'))"_s));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void viewScrollsOneLineBeyondTheLiteral()
    {
        QString text;
        for (int line = 0; line < 200; ++line)
            text += u"  x := %1;\n"_s.arg(line);
        text += u"  ShowMessage('Далеко');\n"_s;
        for (int line = 0; line < 200; ++line)
            text += u"  y := %1;\n"_s.arg(line);
        writeProjectFile(u"Far.pas"_s, text);
        int linesBelow = -1;
        prompter->whileAsked << [&] {
            QPlainTextEdit* view = harvestView();
            const int lineHeight = view->fontMetrics().lineSpacing();
            linesBelow = (view->viewport()->height() - view->cursorRect().bottom()) / lineHeight;
        };
        prompter->answers << orb::Prompter::No;
        harvest();
        QCOMPARE(linesBelow, 1);
    }

    void selectionChangedDuringTheQuestionIsAskedAbout()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, u"uses A;\nbegin\n  ShowMessage('Файл ' + 'открыт');\nend.\n"_s);
        prompter->whileAsked << [] { selectInView(u"'Файл ' + 'открыт'"_s); };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::No << orb::Prompter::No;
        harvest();
        QCOMPARE(prompter->texts().mid(0, 2), (QStringList{prompt(orb::PromptKind::WrapLiteral, u"Файл "_s),
                                                          prompt(orb::PromptKind::WrapLiteral, u"Файл открыт"_s)}));
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Файл открыт"_s}));
        QCOMPARE(contents(unit), QByteArray("uses A;\nbegin\n  ShowMessage('Файл ' + 'открыт');\nend.\n"));
    }

    // A word selected inside a literal: asked about as a phrase to add, added, the source kept,
    // and the window says so under the text.
    void aWordSelectedIsAddedWithANote()
    {
        const QString source = u"uses A;\nbegin\n  ShowMessage('Файл открыт');\n  ShowMessage('Готово');\nend.\n"_s;
        const QString unit = writeProjectFile(u"Unit1.pas"_s, source);
        QString note;
        prompter->whileAsked << [] { selectInView(u"открыт"_s); } << [] {}
                             << [&note] { note = harvestWindow()->findChild<QLabel*>(u"lblNote"_s)->text(); };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::No;
        harvest();
        QCOMPARE(prompter->texts(), (QStringList{prompt(orb::PromptKind::WrapLiteral, u"Файл открыт"_s),
                                                 prompt(orb::PromptKind::AddPhrase, u"открыт"_s),
                                                 prompt(orb::PromptKind::WrapLiteral, u"Готово"_s)}));
        QCOMPARE(note, promptText(orb::PromptKind::AddPhrase, noteSource(orb::HarvestNote::NotWholeLiteral), u"открыт"_s));
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"открыт"_s}));
        QCOMPARE(contents(unit), source.toUtf8());
    }

    void commandsWaitWhileTheScanRuns()
    {
        writeProjectFile(u"Form1.dfm"_s, kForm);
        QStringList enabledDuring;
        bool cellsEditable = false;
        bool saveEnabled = false;
        prompter->whileAsked << [&] {
            window->AddPhrase(kRussian, u"изменено"_s); // a change, so that saving is possible
            idle();
            enabledDuring = enabledDocumentCommands();
            cellsEditable = window->findChild<QToolButton*>(u"sbtnEditCell"_s)->isEnabled()
                            && (window->Grid()->dictModel()->flags(window->Grid()->dictModel()->cellIndex(0, 1))
                                & Qt::ItemIsEditable);
            saveEnabled = action("actSaveDict")->isEnabled();
        };
        prompter->answers << orb::Prompter::Yes;
        harvest();
        QCOMPARE(enabledDuring, QStringList());
        QVERIFY(cellsEditable);
        QVERIFY(saveEnabled);
        idle();
        QCOMPARE(enabledDocumentCommands().size(), qsizetype(std::size(kDocumentCommands)));
    }

    void onlyOneHarvestWindowAtATime()
    {
        writeProjectFile(u"Form1.dfm"_s, kForm);
        const QString other = files->filePath(u"other"_s);
        QVERIFY(QDir().mkpath(other));
        editortest::writeTextFile(other, u"Form2.dfm"_s, u"object Form2: TForm2\n  Caption = 'Второй'\nend\n"_s);
        qsizetype windowsDuringNested = 0;
        bool windowAfterNested = false;
        prompter->whileAsked << [&] {
            prompter->whileAsked << [&] { windowsDuringNested = harvestWindows().size(); };
            // The language of the running scan stays: the nested call's is not used.
            ScanProjectDir(u"English(English)"_s, other, *window, {"windows-1251"});
            windowAfterNested = harvestWindow() != nullptr;
        };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes;
        harvest();
        QCOMPARE(windowsDuringNested, 1);
        QVERIFY(windowAfterNested);
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Второй"_s, u"Привет"_s}));
    }

    // After a scan started from one of its questions, a unit's scan goes on with its own file.
    void scanFromAQuestionComesBackToItsFile()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, kUnit);
        const QString other = files->filePath(u"other"_s);
        QVERIFY(QDir().mkpath(other));
        editortest::writeTextFile(other, u"Form2.dfm"_s, u"object Form2: TForm2\n  Caption = 'Второй'\nend\n"_s);
        QString viewAfterNested;
        prompter->whileAsked << [&] {
            ScanProjectDir(kRussian, other, *window, {"windows-1251"});
            viewAfterNested = harvestView()->toPlainText();
        };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::No;
        harvest();
        QCOMPARE(viewAfterNested, kUnit);
        QCOMPARE(prompter->messages.size(), 4);
        QVERIFY2(prompter->messages.back().details.contains(u"+  ShowMessage(Translate('Готово'));\n"_s),
                 qPrintable(prompter->messages.back().details));
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Второй"_s, u"Готово"_s}));
        QCOMPARE(contents(unit), kUnit.toUtf8());
    }

    void closingTheHarvestWindowEndsTheScan()
    {
        const QString unit = writeProjectFile(u"A.pas"_s, kUnit);
        writeProjectFile(u"B.dfm"_s, kForm);
        prompter->whileAsked << [] { harvestWindow()->close(); };
        prompter->answers << orb::Prompter::Yes;
        harvest();
        QCOMPARE(prompter->messages.size(), 1);
        QCOMPARE(prompter->answers.size(), 1); // the question was not answered by the user
        QCOMPARE(column(0), QStringList{u"Файл"_s});
        QCOMPARE(contents(unit), kUnit.toUtf8());
        QVERIFY(harvestWindows().isEmpty());
    }

    void closingTheMainWindowEndsTheScanThenAsksToSave()
    {
        writeProjectFile(u"A.dfm"_s, kForm);
        writeProjectFile(u"B.dfm"_s, u"object Form2: TForm2\n  Caption = 'Второй'\nend\n"_s);
        writeProjectFile(u"C.dfm"_s, u"object Form3: TForm3\n  Caption = 'Третий'\nend\n"_s);
        bool closed = true;
        prompter->whileAsked << [] {} << [&] { closed = window->close(); };
        // Yes to the first form, Cancel to the question about the changed dictionary.
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Cancel;
        harvest();
        QVERIFY(!closed);
        QCOMPARE(prompter->texts(), (QStringList{prompt(orb::PromptKind::AddPhrase, u"Привет"_s),
                                                 prompt(orb::PromptKind::AddPhrase, u"Второй"_s),
                                                 u"Сохранить измененный словарь ?"_s}));
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Привет"_s}));
        QVERIFY(harvestWindows().isEmpty());
        idle();
        QVERIFY(action("actWizard")->isEnabled());
    }

    void unusableFileEndsTheWalkWithItsMessage_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("too large") << u"too large to show"_s;
        // While the save question was open, the file was made read-only.
        QTest::newRow("unwritable") << u"cannot write: Permission denied"_s;
        // Laying it out would take the view longer than the user would wait.
        QTest::newRow("too long a line") << u"line 2 is 70003 characters long"_s;
    }
    void unusableFileEndsTheWalkWithItsMessage()
    {
        QFETCH(QString, reason);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString saved = writeProjectFile(u"A.pas"_s, kUnit);
        const QString broken = project + u"/B.pas"_s;
        if (tag == u"unwritable") {
            writeProjectFile(u"B.pas"_s, kUnit);
        } else if (tag == u"too long a line") {
            writeProjectFile(u"B.pas"_s, u"unit B;\n'"_s + QString(70000, u'Ж') + u"';\nend.\n"_s);
        } else {
            QFile huge(broken);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(orb::kMaxSourceFileBytes + 1));
        }
        writeProjectFile(u"C.dfm"_s, kForm);
        const QWidget* harvestShown = nullptr;
        prompter->whileAsked << [&] { harvestShown = harvestWindow(); } << [] {} << [] {} << [] {} << [] {}
                             << [&] { QVERIFY(QFile::setPermissions(broken, QFileDevice::ReadOwner)); };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes  // A.pas, saved
                          << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes; // B.pas, if it can be read
        harvest();
        const orb::RecordingPrompter::Message failure = prompter->messages.back();
        const QString lead = u"Поиск слов в проекте прерван\n"_s + broken + u": "_s;
        QVERIFY2(failure.text.startsWith(lead + reason), qPrintable(failure.text));
        QCOMPARE(failure.icon, orb::Prompter::Icon::Error);
        QCOMPARE(failure.buttons, int(orb::Prompter::Ok));
        QVERIFY(harvestShown);
        QCOMPARE(failure.owner, harvestShown);
        // What came before stays; nothing after it is visited.
        QCOMPARE(contents(saved), kUnitRewritten.toUtf8());
        QVERIFY(column(0).contains(u"Готово"_s));
        QVERIFY(!column(0).contains(u"Привет"_s));
        QVERIFY(harvestWindows().isEmpty());
    }

    void saveQuestionOffersTheChanges()
    {
        const QString unit = writeProjectFile(u"Unit1.pas"_s, kUnit);
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::No;
        harvest();
        QCOMPARE(prompter->messages.size(), 3);
        QCOMPARE(prompter->messages[0].details, QString());
        QCOMPARE(prompter->messages[1].details, QString());
        QCOMPARE(prompter->messages[2].details,
                 u"--- a/Unit1.pas\n+++ b/Unit1.pas\n@@ -3,13 +3,13 @@\n interface\n \n uses\n"
                 "-  Windows, Forms;\n+  Windows, Forms, OrbTranslate;\n \n implementation\n \n procedure Done;\n begin\n"
                 "-  ShowMessage('Готово');\n+  ShowMessage(Translate('Готово'));\n end;\n \n end.\n"_s);
        QCOMPARE(contents(unit), kUnit.toUtf8());
    }

    // A unit the user saves in an IDE while its save question is open, a unit outside the
    // project, a link to nothing: each is named, the first two at once, the last at the end.
    void filesLeftAloneAreNamed()
    {
        const QString unit = writeProjectFile(u"A.pas"_s, kUnit);
        const QString outside = files->filePath(u"outside"_s);
        QVERIFY(QDir().mkpath(outside));
        editortest::writeTextFile(outside, u"Out.pas"_s, kUnit);
        QVERIFY(QFile::link(outside + u"/Out.pas"_s, project + u"/B.pas"_s));
        QVERIFY(QFile::link(u"missing.pas"_s, project + u"/C.pas"_s));
        const QString edited = kUnit + u"// saved in the IDE\n"_s;
        const QWidget* harvestShown = nullptr;
        prompter->whileAsked << [] {} << [] {} << [&] {
            harvestShown = harvestWindow();
            writeProjectFile(u"A.pas"_s, edited);
        };
        prompter->answers << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Yes << orb::Prompter::Ok << orb::Prompter::Yes;
        harvest();
        QCOMPARE(prompter->texts().mid(3), (QStringList{
            u"Файл изменён на диске после чтения и не перезаписан, чтобы не потерять эти изменения:\n"_s + unit,
            prompt(orb::PromptKind::WrapLiteral, u"Готово"_s),
            u"Файл лежит вне папки проекта (к нему ведёт ссылка): его фразы добавлены в словарь, но сам файл не изменён:\n"_s
                + project + u"/B.pas"_s,
            u"Пропущены элементы, которые не являются файлами (ссылки в никуда, каналы, устройства):\n"_s
                + project + u"/C.pas"_s}));
        QCOMPARE(prompter->messages[3].icon, orb::Prompter::Icon::Warning);
        QVERIFY(harvestShown);
        QCOMPARE(prompter->messages[3].owner, harvestShown);
        QCOMPARE(contents(unit), edited.toUtf8());
        QCOMPARE(contents(outside + u"/Out.pas"_s), kUnit.toUtf8());
        QCOMPARE(column(0), (QStringList{u"Файл"_s, u"Готово"_s}));
    }

    void missingDirectoryScansNothingSilently()
    {
        project = files->filePath(u"nowhere"_s);
        harvest();
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(!window->Modified());
        QVERIFY(harvestWindows().isEmpty());
    }

    // ---- the real question ----

    void questionBlocksNoWindow()
    {
        prompter.reset();
        QWidget beside;
        beside.show();
        QVERIFY(QTest::qWaitForWindowExposed(&beside));
        bool blocksNothing = false;
        bool onTop = false;
        bool ownerless = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        onNextQuestion([&](QMessageBox* box) {
            blocksNothing = box->windowModality() == Qt::NonModal && !QApplication::activeModalWidget()
                            && beside.isEnabled();
            onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
            ownerless = !box->parentWidget();
            icon = box->icon();
            box->button(QMessageBox::Yes)->click();
        });
        QCOMPARE(orb::Prompter::current().nonModalQuestion(&beside, u"caption"_s, u"text"_s,
                                                      orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel),
                 orb::Prompter::Yes);
        QVERIFY(blocksNothing);
        QVERIFY(onTop);
        QVERIFY(ownerless);
        QCOMPARE(icon, QMessageBox::Question);
    }

    void questionShowsItsDetailsOnDemand()
    {
        prompter.reset();
        QString details;
        bool shownAtOnce = true;
        onNextQuestion([&](QMessageBox* box) {
            details = box->detailedText();
            for (const QWidget* child : box->findChildren<QTextEdit*>())
                shownAtOnce = shownAtOnce && child->isVisible();
        });
        orb::Prompter::current().nonModalQuestion(nullptr, u"caption"_s, u"Replace?"_s, orb::Prompter::Yes | orb::Prompter::No,
                                             u"-old\n+new\n"_s);
        QCOMPARE(details, u"-old\n+new\n"_s);
        QVERIFY(!shownAtOnce);
    }

    void shortQuestionIsAsWideAsItsCaption()
    {
        prompter.reset();
        const QString caption = u"Varnok Translation Toolkit"_s;
        QFont captionFont = QApplication::font("QMdiSubWindowTitleBar");
        captionFont.setBold(true);
        const QFontMetrics metrics(captionFont);
        int width = 0;
        onNextQuestion([&width](QMessageBox* box) { width = box->width(); });
        orb::Prompter::current().nonModalQuestion(nullptr, caption, u"Replace?"_s, orb::Prompter::Yes | orb::Prompter::No);
        // Room for the caption in bold, and beside it for the title bar's icon and buttons.
        QVERIFY2(width >= metrics.horizontalAdvance(caption) + 5 * metrics.height(), qPrintable(QString::number(width)));
    }

    void questionEndsWhenItsWindowCloses()
    {
        prompter.reset();
        QWidget beside;
        beside.show();
        QVERIFY(QTest::qWaitForWindowExposed(&beside));
        QPointer<QMessageBox> asked;
        onNextQuestion([&](QMessageBox* box) {
            asked = box;
            beside.close();
        });
        QCOMPARE(orb::Prompter::current().nonModalQuestion(&beside, u"caption"_s, u"text"_s, orb::Prompter::Yes | orb::Prompter::No),
                 orb::Prompter::Cancel);
        QVERIFY(!asked);
    }
};

QTEST_MAIN(TestWizardWindows)
#include "tst_wizard_windows.moc"

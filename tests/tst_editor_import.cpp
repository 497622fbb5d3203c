// Importing one language of another dictionary file through a key language: the merge on
// the table as data, then the dialog, the command and its messages in the real window.
#include "editor/DictGridModel.h"
#include "DictTableContents.h"
#include "dictionary/DictionaryImport.h"
#include "EditorTestHelpers.h"
#include "editor/Main.h"
#include "RecordingPrompter.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using editortest::headersOf;
using editortest::idle;
using editortest::onNextDialog;
using editortest::rowsOf;

using Rows = QList<QStringList>;

namespace {

const QString kLanguages = u"<Languages><English Name=\"English\"/><German Name=\"German\"/><Russian Name=\"Русский\"/></Languages>"_s;
const QString kCharsets = u"<Charsets><English Charset=\"0\"/><German Charset=\"1\"/><Russian Charset=\"204\"/></Charsets>"_s;

QString dictionaryFile(const QString& body)
{
    return u"<Varnok_translation_toolkit_dictionary_file>"_s + body + u"</Varnok_translation_toolkit_dictionary_file>"_s;
}

// An item of the usual three languages; a null text leaves the language's cell out.
QString item(const QString& english, const QString& german, const QString& russian = u"-"_s)
{
    QString cells;
    const std::pair<const char*, QString> languages[] = {{"English", english}, {"German", german}, {"Russian", russian}};
    for (const auto& [langId, text] : languages) {
        if (!text.isNull())
            cells += u"<%1 Message=\"%2\"/>"_s.arg(QString::fromLatin1(langId), text);
    }
    return u"<Item>"_s + cells + u"</Item>"_s;
}

QString threeLanguages(const QString& items)
{
    return dictionaryFile(kLanguages + kCharsets + items);
}

// A document of the given columns ("name(id)") and rows.
orb::DictTable document(const QStringList& headers, const Rows& rows)
{
    orb::DictTable table;
    std::vector<orb::LangColumn> columns;
    for (const QString& header : headers)
        columns.push_back({orb::HeaderPart(0, header), orb::HeaderPart(1, header), 0});
    table.resetColumns(columns);
    for (int r = 0; r < rows.size(); ++r) {
        if (r > 0)
            table.appendRow();
        for (int c = 0; c < rows[r].size(); ++c)
            table.setCell(c, r + 1, rows[r][c]);
    }
    return table;
}

} // namespace

class TestEditorImport : public QObject, editortest::WindowUnderTest
{
    Q_OBJECT

    QString write(const QString& name, const QString& text) { return editortest::writeTextFile(files->path(), name, text); }
    QComboBox* combo(QDialog* dialog, const QString& name) { return dialog->findChild<QComboBox*>(name); }
    QStringList items(QComboBox* box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    void trigger(const char* name)
    {
        idle();
        QAction* command = window->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY2(command->isEnabled(), name);
        command->trigger();
    }
    // Opens a dictionary of English(en) and Deutsch(de) phrases as the document.
    void openDocument()
    {
        prompter->fileAnswers << write(u"doc.lng"_s, dictionaryFile(
            u"<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages><Charsets><en Charset=\"0\"/><de Charset=\"0\"/></Charsets>"
            "<Item><en Message=\"File\"/><de Message=\"\"/></Item><Item><en Message=\"Open\"/><de Message=\"Öffnen\"/></Item>"_s));
        trigger("actOpenDict");
        QVERIFY(window->dictionaryOpen());
    }
    // Imports the file, choosing the imported language by its entry text in the dialog.
    void import(const QString& path, const QString& importEntry)
    {
        prompter->fileAnswers << path;
        // A file refused before the dialog leaves the watch waiting for another test's dialog.
        const QPointer<QTimer> watch = onNextDialog([this, importEntry](QDialog* dialog) {
            QComboBox* imported = combo(dialog, u"cbxImportLanguage"_s);
            imported->setCurrentIndex(imported->findText(importEntry));
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        trigger("actImport");
        delete watch;
    }
    void verifyDocumentUntouched()
    {
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(en)/0"_s, u"Deutsch(de)/0"_s}));
        QCOMPARE(rowsOf(window->Dictionary()), (Rows{{u"File"_s, QString()}, {u"Open"_s, u"Öffnen"_s}}));
        QVERIFY(!window->Modified());
        QCOMPARE(window->dictFile(), files->filePath(u"doc.lng"_s));
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit - doc.lng[*]"_s);
    }

private slots:
    void init() { QVERIFY(start()); }
    void cleanup() { stop(); }

    // ---- the merge on the table ------------------------------------------------------------

    void mergesThroughTheKeyLanguage_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expectedHeaders");
        QTest::addColumn<Rows>("expectedRows");
        const QStringList english{u"English(en)"_s};
        QTest::newRow("a new column at the right end, unmatched rows left empty")
            << english << Rows{{u"File"_s}, {u"Open"_s}, {u"Save"_s}}
            << threeLanguages(item(u"File"_s, u"Datei"_s) + item(u"Open"_s, u"Öffnen"_s) + item(u"Quit"_s, u"Ende"_s))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s}
            << Rows{{u"File"_s, u"Datei"_s}, {u"Open"_s, u"Öffnen"_s}, {u"Save"_s, QString()}};
        QTest::newRow("the column with exactly the header overwritten, never cleared")
            << QStringList{u"English(en)"_s, u"German(German)"_s, u"German(de)"_s}
            << Rows{{u"File"_s, u"alt"_s, u"d"_s}, {u"Open"_s, u"bleibt"_s, u"d"_s}}
            << threeLanguages(item(u"File"_s, u"Datei"_s) + item(u"Open"_s, QString(u""_s)))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s, u"German(de)/0"_s}
            << Rows{{u"File"_s, u"Datei"_s, u"d"_s}, {u"Open"_s, u"bleibt"_s, u"d"_s}};
        QTest::newRow("German(de) is not the target")
            << QStringList{u"English(en)"_s, u"German(de)"_s} << Rows{{u"File"_s, u"d"_s}}
            << threeLanguages(item(u"File"_s, u"Datei"_s))
            << QStringList{u"English(en)/0"_s, u"German(de)/0"_s, u"German(German)/1"_s}
            << Rows{{u"File"_s, u"d"_s, u"Datei"_s}};
        QTest::newRow("equal keys all receive the last item's text")
            << english << Rows{{u"File"_s}, {u"File"_s}}
            << threeLanguages(item(u"File"_s, u"erste"_s) + item(u"File"_s, u"letzte"_s) + item(u"File"_s, u""_s))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s}
            << Rows{{u"File"_s, u"letzte"_s}, {u"File"_s, u"letzte"_s}};
        QTest::newRow("an empty key fills the rows with an empty key cell")
            << english << Rows{{u"File"_s}, {QString()}}
            << threeLanguages(item(u""_s, u"leer"_s))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s}
            << Rows{{u"File"_s, QString()}, {QString(), u"leer"_s}};
        QTest::newRow("cells found by identifier in any order")
            << english << Rows{{u"File"_s}}
            << threeLanguages(u"<Item><Russian Message=\"Файл\"/><German Message=\"Datei\"/><English Message=\"File\"/></Item>"_s)
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s} << Rows{{u"File"_s, u"Datei"_s}};
        QTest::newRow("an item without a needed cell is skipped")
            << english << Rows{{u"File"_s}, {u"Open"_s}}
            << threeLanguages(item(u"File"_s, QString()) + item(QString(), u"Öffnen"_s))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s} << Rows{{u"File"_s, QString()}, {u"Open"_s, QString()}};
        QTest::newRow("the header row is never compared")
            << english << Rows{{u"File"_s}}
            << threeLanguages(item(u"English(en)"_s, u"Kopf"_s) + item(u"German(German)"_s, u"Kopf"_s))
            << QStringList{u"English(en)/0"_s, u"German(German)/1"_s} << Rows{{u"File"_s, QString()}};
    }

    void mergesThroughTheKeyLanguage()
    {
        QFETCH(QStringList, headers);
        QFETCH(Rows, rows);
        QFETCH(QString, file);
        orb::DictTable table = document(headers, rows);
        orb::ImportSource source;
        QCOMPARE(source.open(write(u"import.lng"_s, file)), orb::GridRead::Ok);
        QCOMPARE(source.entryTexts(), (QStringList{u"English(English)"_s, u"German(German)"_s, u"Русский(Russian)"_s}));
        orb::ImportPlan plan;
        QString error;
        QVERIFY2(source.plan(table, 0, 0, 1, plan, &error), qPrintable(error));
        orb::applyImportPlan(table, plan);
        QTEST(headersOf(table), "expectedHeaders");
        QTEST(rowsOf(table), "expectedRows");
    }

    // ---- the dialog ----------------------------------------------------------------------

    void dialogPreselectsAnEnglishKeyAndOffersTheOthers_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("fileLanguages");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("matched by display name, ASCII case ignored")
            << u"<Deutsch Name=\"Deutsch\"/><en Name=\"ENGLISH\"/>"_s
            << u"<English Name=\"english\"/><German Name=\"German\"/><Russian Name=\"Русский\"/>"_s << u"ENGLISH(en)"_s
            << QStringList{u"German(German)"_s, u"Русский(Russian)"_s};
        QTest::newRow("no English column: nothing selected, every named language offered")
            << u"<de Name=\"Deutsch\"/>"_s << u"<English Name=\"English\"/><German Name=\"German\"/><Bare Name=\"\"/>"_s
            << QString() << QStringList{u"English(English)"_s, u"German(German)"_s};
    }

    void dialogPreselectsAnEnglishKeyAndOffersTheOthers()
    {
        QFETCH(QString, document);
        QFETCH(QString, fileLanguages);
        prompter->fileAnswers << write(u"doc.lng"_s, dictionaryFile(u"<Languages>"_s + document + u"</Languages><Charsets/>"_s));
        trigger("actOpenDict");
        const QString path = write(u"import.lng"_s, dictionaryFile(u"<Languages>"_s + fileLanguages + u"</Languages>"_s + kCharsets));
        prompter->fileAnswers << path;
        QString key;
        QStringList offered;
        int importSelected = 0;
        onNextDialog([&](QDialog* dialog) {
            key = combo(dialog, u"cbxKeyLanguage"_s)->currentText();
            offered = items(combo(dialog, u"cbxImportLanguage"_s));
            importSelected = combo(dialog, u"cbxImportLanguage"_s)->currentIndex();
        });
        trigger("actImport");
        QTEST(key, "key");
        QTEST(offered, "offered");
        QCOMPARE(importSelected, -1);
        QVERIFY(!window->Modified());
    }

    void changingTheKeyRefillsTheOffers()
    {
        openDocument();
        prompter->fileAnswers << write(u"import.lng"_s, dictionaryFile(
            u"<Languages><English Name=\"English\"/><ru Name=\"русский\"/><de Name=\"DEUTSCH\"/></Languages>"_s));
        QStringList offered;
        onNextDialog([&](QDialog* dialog) {
            combo(dialog, u"cbxKeyLanguage"_s)->setCurrentIndex(1); // Deutsch(de)
            offered = items(combo(dialog, u"cbxImportLanguage"_s));
        });
        trigger("actImport");
        QCOMPARE(offered, (QStringList{u"English(English)"_s, u"русский(ru)"_s}));
    }

    // Русский(ru) finds no русский(Russian) in the file: only ASCII capitals are folded.
    void okRefusesWithoutAChoiceOrAKnownKey()
    {
        prompter->fileAnswers << write(u"doc.lng"_s, dictionaryFile(
            u"<Languages><ru Name=\"Русский\"/></Languages><Charsets/>"_s));
        trigger("actOpenDict");
        prompter->fileAnswers << write(u"import.lng"_s, dictionaryFile(
            u"<Languages><English Name=\"English\"/><Russian Name=\"русский\"/></Languages>"_s + kCharsets));
        bool stayedOpen = true;
        onNextDialog([&](QDialog* dialog) {
            auto* ok = dialog->findChild<QPushButton*>(u"btnOK"_s);
            QTest::mouseClick(ok, Qt::LeftButton);
            combo(dialog, u"cbxKeyLanguage"_s)->setCurrentIndex(0);
            QTest::mouseClick(ok, Qt::LeftButton);
            combo(dialog, u"cbxImportLanguage"_s)->setCurrentIndex(0);
            QTest::mouseClick(ok, Qt::LeftButton);
            stayedOpen = dialog->isVisible();
        });
        trigger("actImport");
        QVERIFY(stayedOpen);
        QCOMPARE(prompter->texts(), (QStringList{u"Выберите ключевой язык!"_s, u"Выберите импортируемый язык!"_s,
                                                 u"Ключевой язык Русский(ru) не найден в импортируемом файле!"_s}));
        for (const orb::RecordingPrompter::Message& message : std::as_const(prompter->messages)) {
            QCOMPARE(message.caption, u"Импорт"_s);
            QCOMPARE(message.icon, orb::Prompter::Icon::Warning);
            QCOMPARE(message.buttons, int(orb::Prompter::Ok));
        }
        QCOMPARE(rowsOf(window->Dictionary()), (Rows{{QString()}}));
    }

    // ---- the command -----------------------------------------------------------------------

    // The imported file is only read: Save writes the merge into the document's own file.
    void importMergesIntoTheDocumentAndKeepsItsFile()
    {
        openDocument();
        const QString docPath = files->filePath(u"doc.lng"_s);
        const QString path = write(u"import.lng"_s, dictionaryFile(
            u"<Languages><en Name=\"English\"/><German Name=\"German\"/><fr Name=\"French\"/></Languages>"
            "<Charsets><en Charset=\"0\"/><German Charset=\"1\"/><fr Charset=\"0\"/></Charsets>"_s
            + u"<Item><en Message=\"Open\"/><German Message=\"Öffnen!\"/><fr Message=\"Ouvrir\"/></Item>"
              "<Item><en Message=\"Only here\"/><German Message=\"Nur hier\"/><fr Message=\"\"/></Item>"_s));
        const QByteArray importedBytes = editortest::fileBytes(path);
        import(path, u"German(German)"_s);
        QCOMPARE(headersOf(window->Dictionary()), (QStringList{u"English(en)/0"_s, u"Deutsch(de)/0"_s, u"German(German)/1"_s}));
        QCOMPARE(rowsOf(window->Dictionary()), (Rows{{u"File"_s, QString(), QString()}, {u"Open"_s, u"Öffnen"_s, u"Öffnen!"_s}}));
        QVERIFY(window->Modified());
        QCOMPARE(window->dictFile(), docPath);
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit - doc.lng[*]"_s);
        QVERIFY(prompter->messages.isEmpty());

        // Undo and redo move the content alone.
        trigger("actUndo");
        QCOMPARE(rowsOf(window->Dictionary()), (Rows{{u"File"_s, QString()}, {u"Open"_s, u"Öffnen"_s}}));
        QVERIFY(!window->Modified());
        trigger("actRedo");
        QCOMPARE(window->Dictionary().columnCount(), 3);
        QCOMPARE(window->dictFile(), docPath);

        const orb::DictTable merged = window->Dictionary();
        trigger("actSaveDict");
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(!window->Modified());
        QCOMPARE(editortest::fileBytes(path), importedBytes);
        prompter->fileAnswers << docPath;
        trigger("actOpenDict");
        QCOMPARE(headersOf(window->Dictionary()), headersOf(merged));
        QCOMPARE(rowsOf(window->Dictionary()), rowsOf(merged));
    }

    void importIntoANewDocumentLeavesItUnnamed()
    {
        openDocument();
        trigger("actCloseDict");
        onNextDialog(editortest::language(u"en"_s, u"English"_s, u"ANSI_CHARSET"_s));
        trigger("actNewDict");
        QVERIFY(window->dictionaryOpen());
        window->Grid()->dictModel()->setData(window->Grid()->dictModel()->cellIndex(0, 1), u"Open"_s);
        const QString path = write(u"import.lng"_s, threeLanguages(item(u"Open"_s, u"Öffnen!"_s)));
        const QByteArray importedBytes = editortest::fileBytes(path);
        import(path, u"German(German)"_s);
        QCOMPARE(window->Dictionary().columnCount(), 2);
        QVERIFY(window->dictFile().isEmpty());
        QCOMPARE(window->windowTitle(), u"Varnok Translation Toolkit[*]"_s);

        const QString named = files->filePath(u"named.lng"_s);
        prompter->fileAnswers << named;
        trigger("actSaveDict");
        QCOMPARE(prompter->fileAnswers.size(), 0); // the save dialog was asked
        QCOMPARE(window->dictFile(), named);
        QCOMPARE(editortest::fileBytes(path), importedBytes);
    }

    void failedImportsLeaveTheDocument_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        const QString unknown = u"Неизвестный файл"_s;
        const QString error = u"Ошибка при импорте"_s;
        const QString items = item(u"Open"_s, u"Öffnen!"_s);
        QTest::newRow("missing file") << QString() << QString() << QString();
        QTest::newRow("another root") << u"<other/>"_s << unknown << u"root element"_s;
        QTest::newRow("no Languages") << dictionaryFile(kCharsets) << unknown << u"no language"_s;
        QTest::newRow("empty Languages") << dictionaryFile(u"<Languages/>"_s + kCharsets) << unknown << u"no language"_s;
        QTest::newRow("not well-formed") << u"<Varnok_translation_toolkit_dictionary_file>"_s << error << u"line 1"_s;
        QTest::newRow("an entity declaration") << u"<!DOCTYPE d [<!ENTITY e \"x\">]>"_s + threeLanguages(items) << error
                                               << QString();
        QTest::newRow("a language without Name") << dictionaryFile(u"<Languages><German/></Languages>"_s + kCharsets)
                                                 << error << u"Name of the language \"German\""_s;
        // Found only after the dialog, once the grid could have been changed.
        QTest::newRow("no Charsets") << dictionaryFile(kLanguages + items) << error << u"no Charsets"_s;
        QTest::newRow("no Charsets entry of the imported language")
            << dictionaryFile(kLanguages + u"<Charsets><English Charset=\"0\"/></Charsets>"_s + items) << error
            << u"Charset of the language \"German\""_s;
        QTest::newRow("a Charset that is no number")
            << dictionaryFile(kLanguages + u"<Charsets><German Charset=\"x1\"/></Charsets>"_s + items) << error
            << u"Charset of the language \"German\""_s;
        QTest::newRow("a key cell without Message after good items")
            << threeLanguages(items + u"<Item><English/><German Message=\"a\"/></Item>"_s) << error << u"item 2"_s;
        QTest::newRow("an imported cell without Message after good items")
            << threeLanguages(items + u"<Item><English Message=\"File\"/><German/></Item>"_s) << error << u"item 2"_s;
    }

    void failedImportsLeaveTheDocument()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        openDocument();
        const QString path = file.isNull() ? files->filePath(u"none.lng"_s) : write(u"import.lng"_s, file);
        import(path, u"German(German)"_s);
        verifyDocumentUntouched();
        if (message.isEmpty()) {
            QVERIFY(prompter->messages.isEmpty());
            return;
        }
        QCOMPARE(prompter->messages.size(), 1);
        const orb::RecordingPrompter::Message shown = prompter->messages.first();
        QVERIFY2(shown.text.startsWith(message + u'\n' + path + u": "_s), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
        QCOMPARE(shown.caption, u"Varnok Translation Toolkit"_s);
        QCOMPARE(shown.icon, message == u"Неизвестный файл"_s ? orb::Prompter::Icon::Warning : orb::Prompter::Icon::Error);
        QCOMPARE(shown.owner, window.get());
    }

    void cancelledDialogChangesNothing()
    {
        openDocument();
        prompter->fileAnswers << write(u"import.lng"_s, threeLanguages(item(u"File"_s, u"Datei"_s)));
        onNextDialog([](QDialog* dialog) { dialog->findChild<QPushButton*>(u"btnCancel"_s)->click(); });
        trigger("actImport");
        verifyDocumentUntouched();
        QVERIFY(prompter->messages.isEmpty());
    }
};

QTEST_MAIN(TestEditorImport)
#include "tst_editor_import.moc"

// Importing one language of another dictionary file through a key language: the merge on
// the table as data, then the dialog, the command and its messages in the real window.
#include "DictGridModel.h"
#include "DictTableContents.h"
#include "DictionaryImport.h"
#include "EditorTestHelpers.h"
#include "Main.h"
#include "RecordingPrompter.h"

#include <QComboBox>
#include <QFile>
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
DictTable document(const QStringList& headers, const Rows& rows)
{
    DictTable table;
    std::vector<LangColumn> columns;
    for (const QString& header : headers)
        columns.push_back({HeaderPart(0, header), HeaderPart(1, header), 0});
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

class TestEditorImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<RecordingPrompter> prompter;
    std::unique_ptr<TfrmMain> window;

    QString write(const QString& name, const QString& text) { return editortest::writeTextFile(m_files->path(), name, text); }
private slots:
    void init()
    {
        m_files = std::make_unique<QTemporaryDir>();
        QVERIFY(m_files->isValid());
        prompter = std::make_unique<RecordingPrompter>();
        window = std::make_unique<TfrmMain>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        idle();
    }

    void cleanup()
    {
        window.reset();
        prompter.reset();
        m_files.reset();
    }

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
        DictTable table = document(headers, rows);
        ImportSource source;
        QCOMPARE(source.open(write(u"import.lng"_s, file)), GridRead::Ok);
        QCOMPARE(source.entryTexts(), (QStringList{u"English(English)"_s, u"German(German)"_s, u"Русский(Russian)"_s}));
        ImportPlan plan;
        QString error;
        QVERIFY2(source.plan(table, 0, 0, 1, plan, &error), qPrintable(error));
        applyImportPlan(table, plan);
        QTEST(headersOf(table), "expectedHeaders");
        QTEST(rowsOf(table), "expectedRows");
    }

    void unusableFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<GridRead>("read");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not well-formed") << u"<Varnok_translation_toolkit_dictionary_file><Languages>"_s << GridRead::ReadError
                                         << u"line 1"_s;
        QTest::newRow("another root") << u"<other/>"_s << GridRead::UnknownFile << u"root element"_s;
        QTest::newRow("no Languages") << dictionaryFile(kCharsets) << GridRead::UnknownFile << u"no language"_s;
        QTest::newRow("empty Languages") << dictionaryFile(u"<Languages/>"_s + kCharsets) << GridRead::UnknownFile
                                         << u"no language"_s;
        QTest::newRow("a language without Name") << dictionaryFile(u"<Languages><English/></Languages>"_s + kCharsets)
                                                 << GridRead::ReadError << u"Name of the language \"English\""_s;
        QTest::newRow("an entity declaration") << u"<!DOCTYPE d [<!ENTITY e \"x\">]>"_s + threeLanguages(QString())
                                               << GridRead::ReadError << QString();
    }

    void unusableFiles()
    {
        QFETCH(QString, file);
        ImportSource source;
        QString error;
        QTEST(source.open(write(u"bad.lng"_s, file), &error), "read");
        QFETCH(QString, reason);
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(source.open(m_files->filePath(u"none.lng"_s)), GridRead::Missing);
    }

    void failedPlansLeaveTheTable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString items = item(u"File"_s, u"Datei"_s);
        QTest::newRow("no Charsets") << dictionaryFile(kLanguages + items) << u"no Charsets"_s;
        QTest::newRow("no Charsets entry of the imported language")
            << dictionaryFile(kLanguages + u"<Charsets><English Charset=\"0\"/><Russian Charset=\"204\"/></Charsets>"_s + items)
            << u"Charset of the language \"German\""_s;
        QTest::newRow("a Charset that is no number")
            << dictionaryFile(kLanguages + u"<Charsets><English Charset=\"0\"/><German Charset=\"x1\"/></Charsets>"_s + items)
            << u"Charset of the language \"German\""_s;
        QTest::newRow("a key cell without Message")
            << threeLanguages(items + u"<Item><English/><German Message=\"a\"/></Item>"_s) << u"item 2"_s;
        QTest::newRow("an imported cell without Message")
            << threeLanguages(items + u"<Item><English Message=\"a\"/><German/></Item>"_s) << u"item 2"_s;
    }

    void failedPlansLeaveTheTable()
    {
        QFETCH(QString, file);
        ImportSource source;
        QCOMPARE(source.open(write(u"bad.lng"_s, file)), GridRead::Ok);
        const DictTable table = document({u"English(en)"_s}, {{u"File"_s}});
        ImportPlan plan;
        QString error;
        QVERIFY(!source.plan(table, 0, 0, 1, plan, &error));
        QFETCH(QString, reason);
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
};

QTEST_MAIN(TestEditorImport)
#include "tst_editor_import.moc"

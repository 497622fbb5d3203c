// orb-lng export, import and qm run as programs on dictionaries in a temporary directory,
// with the files they write checked and converted by gettext's and Qt Linguist's own tools.
#include "dictionary/DictTable.h"
#include "DictTableContents.h"
#include "dictionary/DictionaryGridIO.h"
#include "interop/Interop.h"
#include "OrbLngRun.h"
#include "WizardTestHelpers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;
using editortest::headersOf;
using editortest::makeTable;
using editortest::rowsOf;
using orblngtest::orbLng;
using orblngtest::Run;
using wizardtest::readFile;

namespace {

// Texts whose characters each format escapes its own way.
const QStringList kTrickyTexts = {
    u"Line one\nLine two\nLine three"_s,
    u"ends with a break\n"_s,
    u"\nstarts with a break"_s,
    u"Windows\r\nline end"_s,
    u"say \"hi\" and 'bye'"_s,
    u"back\\slash, \\n is no break, \\\" no quote"_s,
    u"tab\there\t"_s,
    u"&amp; is not & and &#65; is not A, &lt;"_s,
    u"<b>bold</b> & <i>x</i> > y ]]> <!-- -->"_s,
    u"Größe — Привет — 日本語 — שלום — 😀"_s,
    u"  blanks around  "_s,
    u"a text long enough that gettext's tools wrap it over several lines when they write it out again, "
    "with words, commas and even more words"_s,
};

// The translation each tricky text gets: different, yet starting and ending as the source does,
// as msgfmt --check wants of line breaks.
QString translationOf(const QString& text)
{
    return text.toUpper();
}

QStringList trickyRow(const QString& text)
{
    return {text, translationOf(text)};
}

// A tool of gettext or Qt Linguist: on PATH, or where Debian puts Qt 6's; empty when missing.
QString tool(const QString& name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, {u"/usr/lib/qt6/bin"_s}) : onPath;
}

#define REQUIRE_TOOL(name)                                                                                         \
    do {                                                                                                           \
        if (tool(name).isEmpty())                                                                                  \
            QSKIP(qPrintable(name + u" is not installed"_s));                                                      \
    } while (false)

// Runs a tool; its error output on failure, empty on success.
QString runTool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(tool(name), arguments);
    if (!process.waitForFinished(-1))
        return name + u" did not run"_s;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    return name + u": "_s + QString::fromUtf8(process.readAllStandardError());
}

QStringList columnOf(const QString& dictionary, const QString& langId)
{
    orb::DictTable table;
    if (orb::readDictionaryGrid(dictionary, table) != orb::GridRead::Ok)
        return {u"unreadable"_s};
    const int col = table.findLangIdColumn(langId);
    if (col < 0)
        return {u"no column "_s + langId};
    QStringList texts;
    for (int row = 1; row < table.rowCount(); ++row)
        texts << table.cell(col, row);
    return texts;
}

// The lines of the error output that name the file, with the file's directory left out.
QStringList diagnostics(const Run& run, const QString& dir)
{
    QStringList lines;
    for (const QString& line : run.err.split(u'\n', Qt::SkipEmptyParts))
        lines << QString(line).remove(dir + u'/');
    return lines;
}

// A .ts file whose messages (from line 4 on) are in one context C.
QByteArray ts(const QByteArray& messages)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TS version=\"2.1\" language=\"de_DE\">\n<context><name>C</name>\n"
           + messages + "</context>\n</TS>\n";
}

// A .po file whose entries start on line 5.
QByteArray po(const QByteArray& entries)
{
    return "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries;
}

const QList<QStringList> kReportRows = {
    {u"Open"_s, u"Öffnen"_s},
    {u"Save"_s, u""_s},
    {u"Close"_s, u"Schließen"_s},
    {u"Save"_s, u""_s},
};

} // namespace

class TestInterop : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    void writeDictionary(const QString& name, const QList<QStringList>& rows)
    {
        QVERIFY(writeDictionaryGrid(makeTable({u"en"_s, u"de"_s}, rows), path(name)));
    }

    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("exported");
        QTest::addColumn<QStringList>("exportOptions");
        QTest::addColumn<QString>("converter");
        QTest::addColumn<QString>("imported");

        QTest::newRow("po") << u"de.po"_s << QStringList{} << QString() << u"de.po"_s;
        QTest::newRow("ts") << u"de.ts"_s << QStringList{} << QString() << u"de.ts"_s;
        QTest::newRow("ts named .xml") << u"de.xml"_s << QStringList{u"--to"_s, u"ts"_s} << QString() << u"de.xml"_s;
        QTest::newRow("po named .txt") << u"de.txt"_s << QStringList{u"--to"_s, u"po"_s} << QString() << u"de.txt"_s;
        QTest::newRow("po in a context") << u"de.po"_s << QStringList{u"--context"_s, u"MainWindow"_s} << QString()
                                         << u"de.po"_s;
        QTest::newRow("ts in a context") << u"de.ts"_s << QStringList{u"--context"_s, u"MainWindow"_s} << QString()
                                         << u"de.ts"_s;
        QTest::newRow("ts, lconvert to po") << u"de.ts"_s << QStringList{} << u"lconvert"_s << u"out.po"_s;
        QTest::newRow("ts, lconvert to ts") << u"de.ts"_s << QStringList{} << u"lconvert"_s << u"out.ts"_s;
        QTest::newRow("po, lconvert to ts") << u"de.po"_s << QStringList{} << u"lconvert"_s << u"out.ts"_s;
        QTest::newRow("po, msgcat wrapping lines") << u"de.po"_s << QStringList{} << u"msgcat"_s << u"out.po"_s;
    }

    // Export and import again, straight or through a tool, give back every text as it was;
    // every .po written passes msgfmt --check.
    void roundTrip()
    {
        QFETCH(QString, exported);
        QFETCH(QStringList, exportOptions);
        QFETCH(QString, converter);
        QFETCH(QString, imported);
        if (!converter.isEmpty())
            REQUIRE_TOOL(converter);
        QList<QStringList> rows;
        for (const QString& text : kTrickyTexts)
            rows << trickyRow(text);
        rows << QStringList{u"untranslated"_s, u""_s};
        writeDictionary(u"dict.lng"_s, rows);

        const Run exporting = orbLng(QStringList{u"export"_s, path(u"dict.lng"_s), u"--language"_s, u"de"_s,
                                                 u"--source"_s, u"en"_s, u"-o"_s, path(exported)}
                                     + exportOptions);
        QCOMPARE(exporting.err, QString());
        QCOMPARE(exporting.exitCode, 0);
        if (readFile(path(exported)).startsWith("msgid")) {
            REQUIRE_TOOL(u"msgfmt"_s);
            QCOMPARE(runTool(u"msgfmt"_s, {u"--check"_s, u"-o"_s, u"/dev/null"_s, path(exported)}), QString());
        }
        if (converter == u"lconvert")
            QCOMPARE(runTool(converter, {u"-i"_s, path(exported), u"-o"_s, path(imported)}), QString());
        else if (converter == u"msgcat")
            QCOMPARE(runTool(converter, {u"-w"_s, u"40"_s, u"-o"_s, path(imported), path(exported)}), QString());

        const Run importing = orbLng({u"import"_s, path(u"dict.lng"_s), path(imported), u"--language"_s, u"back"_s});
        QCOMPARE(importing.err, QString());
        QCOMPARE(importing.exitCode, 0);
        QCOMPARE(columnOf(path(u"dict.lng"_s), u"back"_s), columnOf(path(u"dict.lng"_s), u"de"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path(u"dict.lng"_s), table), orb::GridRead::Ok);
        QCOMPARE(headersOf(table).last(), u"de(back)/0"_s); // named after the file's language
    }

    // The .qm lrelease compiles from the export gives a QTranslator the dictionary's texts in the
    // context the program asks in; an empty translation gives none, so that Qt shows the source.
    void qmForQTranslator_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("context");
        QTest::newRow("default context") << QStringList{} << u"dict"_s;
        QTest::newRow("--context") << QStringList{u"--context"_s, u"MainWindow"_s} << u"MainWindow"_s;
    }

    void qmForQTranslator()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, context);
        REQUIRE_TOOL(u"lrelease"_s);
        QList<QStringList> rows;
        for (const QString& text : kTrickyTexts)
            rows << trickyRow(text);
        rows << QStringList{u"untranslated"_s, u""_s};
        writeDictionary(u"dict.lng"_s, rows);
        const Run run = orbLng(QStringList{u"qm"_s, path(u"dict.lng"_s), u"--language"_s, u"de"_s, u"-o"_s,
                                           path(u"de.qm"_s)} + options);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QTranslator translator;
        QVERIFY(translator.load(path(u"de.qm"_s)));
        for (const QString& text : kTrickyTexts)
            QCOMPARE(translator.translate(qPrintable(context), text.toUtf8().constData()), translationOf(text));
        QCOMPARE(translator.translate(qPrintable(context), "untranslated"), QString());
    }

    void qmWithoutLrelease()
    {
        writeDictionary(u"dict.lng"_s, {{u"Open"_s, u"Öffnen"_s}});
        const Run run = orbLng({u"qm"_s, path(u"dict.lng"_s), u"--language"_s, u"de"_s, u"-o"_s, path(u"de.qm"_s)},
                               {{u"ORB_LRELEASE"_s, path(u"no-lrelease"_s)}});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, u"orb-lng: Qt's lrelease is not installed (Debian: apt-get install qt6-l10n-tools)\n"_s);
        QVERIFY(!QFile::exists(path(u"de.qm"_s)));
    }

    // A source text in several rows is one message, with the first row's translation; the
    // others, and a translation without a source text, are reported.
    void exportReportsRepeatedSources()
    {
        writeDictionary(u"dict.lng"_s, {{u"Save"_s, u"Sichern"_s}, {u"Save"_s, u"Speichern"_s}, {u""_s, u"Waise"_s}});
        const Run run = orbLng({u"export"_s, path(u"dict.lng"_s), u"--language"_s, u"de"_s, u"-o"_s, path(u"de.po"_s)});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(diagnostics(run, m_dir->path()),
                 (QStringList{u"dict.lng: row 2: the source text of row 1 again; only row 1's translation is written: \"Save\""_s,
                              u"dict.lng: row 3: a translation without a source text, not written: \"Waise\""_s}));
        const QByteArray written = readFile(path(u"de.po"_s));
        QCOMPARE(written.count("msgid \"Save\""), 1);
        QVERIFY(written.contains("msgid \"Save\"\nmsgstr \"Sichern\"\n"));
        QVERIFY(!written.contains("Speichern"));
    }

    // A .po file keeps the texts as they are, but says which messages msgfmt --check will refuse.
    void exportReportsWhatMsgfmtRefuses()
    {
        REQUIRE_TOOL(u"msgfmt"_s);
        writeDictionary(u"dict.lng"_s, {{u"Done\n"_s, u"Fertig"_s}, {u"\nMore"_s, u"Mehr"_s}, {u"Open\n"_s, u""_s}});
        const Run run = orbLng({u"export"_s, path(u"dict.lng"_s), u"--language"_s, u"de"_s, u"-o"_s, path(u"de.po"_s)});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(diagnostics(run, m_dir->path()),
                 (QStringList{u"dict.lng: row 1: the translation and its source text do not both end with a line "
                              "break, which msgfmt --check refuses: \"Fertig\""_s,
                              u"dict.lng: row 2: the translation and its source text do not both begin with a line "
                              "break, which msgfmt --check refuses: \"Mehr\""_s}));
        QVERIFY(!runTool(u"msgfmt"_s, {u"--check"_s, u"-o"_s, u"/dev/null"_s, path(u"de.po"_s)}).isEmpty());
        QCOMPARE(orbLng({u"import"_s, path(u"dict.lng"_s), path(u"de.po"_s), u"--language"_s, u"back"_s}).exitCode, 0);
        QCOMPARE(columnOf(path(u"dict.lng"_s), u"back"_s), columnOf(path(u"dict.lng"_s), u"de"_s));
    }

    // A file beyond the size bound is refused before it is read.
    void importRefusesHugeFile()
    {
        writeDictionary(u"dict.lng"_s, kReportRows);
        QFile huge(path(u"huge.po"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(orb::kMaxInteropFileBytes + 1)); // sparse: no disk taken
        huge.close();
        const Run run = orbLng({u"import"_s, path(u"dict.lng"_s), path(u"huge.po"_s), u"--language"_s, u"de"_s});
        QCOMPARE(diagnostics(run, m_dir->path()), QStringList{u"huge.po: the file is larger than 256 MiB"_s});
        QCOMPARE(run.exitCode, 2);
    }

    void importReports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("expectedDiagnostics");
        QTest::addColumn<QList<QStringList>>("expectedRows");

        const QList<QStringList> untouched = kReportRows;
        auto withDe = [](QList<QStringList> rows, int row, const QString& text) {
            rows[row][1] = text;
            return rows;
        };

        QTest::newRow("every row with the source")
            << u"in.ts"_s << ts("<message><source>Save</source><translation>Sichern</translation></message>\n")
            << QStringList{} << QStringList{}
            << withDe(withDe(untouched, 1, u"Sichern"_s), 3, u"Sichern"_s);
        QTest::newRow("ts unfinished")
            << u"in.ts"_s
            << ts("<message><source>Open</source><translation type=\"unfinished\">Auf</translation></message>\n")
            << QStringList{}
            << QStringList{u"in.ts:4: an unfinished translation, left out (--keep-unfinished takes it): \"Open\""_s}
            << untouched; // the translation the dictionary has stays
        QTest::newRow("ts unfinished kept")
            << u"in.ts"_s
            << ts("<message><source>Open</source><translation type=\"unfinished\">Auf</translation></message>\n")
            << QStringList{u"--keep-unfinished"_s} << QStringList{} << withDe(untouched, 0, u"Auf"_s);
        QTest::newRow("po fuzzy")
            << u"in.po"_s << po("#, fuzzy\nmsgid \"Open\"\nmsgstr \"Auf\"\n") << QStringList{}
            << QStringList{u"in.po:6: an unfinished translation, left out (--keep-unfinished takes it): \"Open\""_s}
            << untouched;
        QTest::newRow("po keywords followed by tabs")
            << u"in.po"_s << po("msgid\t\"Open\"\nmsgstr\t\"Auf machen\"\n") << QStringList{} << QStringList{}
            << withDe(untouched, 0, u"Auf machen"_s);
        QTest::newRow("po fuzzy kept")
            << u"in.po"_s << po("#, fuzzy, c-format\nmsgid \"Open\"\nmsgstr \"Auf\"\n")
            << QStringList{u"--keep-unfinished"_s} << QStringList{} << withDe(untouched, 0, u"Auf"_s);
        QTest::newRow("ts plural")
            << u"in.ts"_s
            << ts("<message numerus=\"yes\"><source>Save</source><translation>"
                  "<numerusform>Sichern</numerusform><numerusform>Sicherns</numerusform></translation></message>\n")
            << QStringList{} << QStringList{u"in.ts:4: plural forms: only the singular form is taken: \"Save\""_s}
            << withDe(withDe(untouched, 1, u"Sichern"_s), 3, u"Sichern"_s);
        QTest::newRow("po plural")
            << u"in.po"_s
            << po("msgid \"Save\"\nmsgid_plural \"Saves\"\nmsgstr[0] \"Sichern\"\nmsgstr[1] \"Sicherns\"\n")
            << QStringList{} << QStringList{u"in.po:5: plural forms: only the singular form is taken: \"Save\""_s}
            << withDe(withDe(untouched, 1, u"Sichern"_s), 3, u"Sichern"_s);
        QTest::newRow("ts obsolete and vanished")
            << u"in.ts"_s
            << ts("<message><source>Open</source><translation type=\"obsolete\">Alt</translation></message>\n"
                  "<message><source>Close</source><translation type=\"vanished\">Alt</translation></message>\n")
            << QStringList{} << QStringList{u"in.ts: obsolete messages skipped: 2"_s} << untouched;
        QTest::newRow("po obsolete")
            << u"in.po"_s << po("#~ msgid \"Open\"\n#~ msgstr \"Alt\"\n") << QStringList{}
            << QStringList{u"in.po: obsolete messages skipped: 1"_s} << untouched;
        QTest::newRow("one source, two contexts, two translations")
            << u"in.ts"_s
            << ts("<message><source>Save</source><translation>Sichern</translation></message>\n"
                  "</context><context><name>D</name>\n"
                  "<message><source>Save</source><translation>Speichern</translation></message>\n")
            << QStringList{}
            << QStringList{u"in.ts:6: the source text again (context D) with another translation; the one of line 4 "
                           "is kept: \"Save\""_s}
            << withDe(withDe(untouched, 1, u"Sichern"_s), 3, u"Sichern"_s);
        QTest::newRow("one source, two contexts, one translation")
            << u"in.po"_s
            << po("msgctxt \"A\"\nmsgid \"Save\"\nmsgstr \"Sichern\"\n\nmsgctxt \"B\"\nmsgid \"Save\"\nmsgstr \"Sichern\"\n")
            << QStringList{} << QStringList{} << withDe(withDe(untouched, 1, u"Sichern"_s), 3, u"Sichern"_s);
        QTest::newRow("unmatched")
            << u"in.po"_s << po("msgid \"Quit\"\nmsgstr \"Beenden\"\n") << QStringList{}
            << QStringList{u"in.po:5: no row has this source text (--add-missing adds one): \"Quit\""_s} << untouched;
        QTest::newRow("--add-missing")
            << u"in.po"_s << po("msgid \"Quit\"\nmsgstr \"Beenden\"\n\nmsgid \"Help\"\nmsgstr \"\"\n")
            << QStringList{u"--add-missing"_s}
            << QStringList{u"in.po:5: no row had this source text; row 5 added: \"Quit\""_s,
                           u"in.po:8: no row had this source text; row 6 added: \"Help\""_s}
            << untouched + QList<QStringList>{{u"Quit"_s, u"Beenden"_s}, {u"Help"_s, u""_s}};
    }

    // What the file holds beyond one translation per source text is reported, line by line.
    void importReports()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, options);
        QFETCH(QStringList, expectedDiagnostics);
        QFETCH(QList<QStringList>, expectedRows);
        writeDictionary(u"dict.lng"_s, kReportRows);
        writeBytes(name, content);
        const Run run = orbLng(QStringList{u"import"_s, path(u"dict.lng"_s), path(name), u"--language"_s, u"de"_s}
                               + options);
        QCOMPARE(diagnostics(run, m_dir->path()), expectedDiagnostics);
        QCOMPARE(run.exitCode, 0);
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path(u"dict.lng"_s), table), orb::GridRead::Ok);
        QCOMPARE(rowsOf(table), expectedRows);
    }

    // Each note of the library says what it is about by its code; the options that do
    // something about it are orb-lng's to name, not the library's.
    void notesCarryCodesAndNameNoOption()
    {
        using Code = orb::InteropNote::Code;
        const auto message = [](const QString& source, const QString& translation, int line) {
            orb::InteropMessage made{u"C"_s, source, translation};
            made.line = line;
            return made;
        };
        orb::InteropCatalog catalog;
        catalog.messages = {message(u""_s, u"Waise"_s, 1), message(u"Open"_s, u"Auf"_s, 2), message(u"Save"_s, u"Sichern"_s, 3),
                            message(u"Save"_s, u"Speichern"_s, 4), message(u"Quit"_s, u"Beenden"_s, 5)};
        catalog.messages[1].unfinished = true;
        catalog.messages[2].plural = true;
        const auto codesOf = [](const std::vector<orb::InteropNote>& notes) {
            QList<Code> codes;
            for (const orb::InteropNote& note : notes)
                codes << note.code;
            return codes;
        };
        for (const bool addMissing : {false, true}) {
            orb::DictTable table = makeTable({u"en"_s, u"de"_s}, kReportRows);
            std::vector<orb::InteropNote> notes;
            orb::importCatalog(table, catalog, 0, u"de"_s, {addMissing, false}, notes);
            QCOMPARE(codesOf(notes), (QList<Code>{Code::MessageWithoutSource, Code::UnfinishedLeftOut, Code::PluralForms,
                                                  Code::SourceAgain, addMissing ? Code::RowAdded : Code::NoRowForSource}));
            QVERIFY(std::none_of(notes.begin(), notes.end(), [](const orb::InteropNote& note) { return note.message.contains(u"--"_s); }));
        }
        std::vector<orb::InteropNote> notes;
        orb::catalogFromTable(makeTable({u"en"_s, u"de"_s}, {{u"Save"_s, u"Sichern"_s}, {u"Save"_s, u""_s}, {u""_s, u"Waise"_s}}), 1, 0,
                         u"C"_s, notes);
        QCOMPARE(codesOf(notes), (QList<Code>{Code::SourceRepeated, Code::TranslationWithoutSource}));
    }

    void malformedInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");

        QTest::newRow("po unterminated string")
            << u"in.po"_s << QByteArray("msgid \"abc\nmsgstr \"\"\n") << u"in.po: line 1: an unterminated string"_s;
        QTest::newRow("po bad escape")
            << u"in.po"_s << QByteArray("msgid \"\"\nmsgstr \"\"\n\nmsgid \"a\\qb\"\nmsgstr \"\"\n")
            << u"in.po: line 4: a bad escape \\q"_s;
        QTest::newRow("po msgstr without msgid")
            << u"in.po"_s << QByteArray("# comment\nmsgstr \"x\"\n") << u"in.po: line 2: a msgstr without a msgid"_s;
        QTest::newRow("po msgid without msgstr")
            << u"in.po"_s << QByteArray("msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n")
            << u"in.po: line 1: a msgid without its msgstr (line 2 starts another entry)"_s;
        QTest::newRow("po msgid without msgstr at the end")
            << u"in.po"_s << QByteArray("msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\n")
            << u"in.po: line 4: a msgid without its msgstr"_s;
        QTest::newRow("po text after the string")
            << u"in.po"_s << QByteArray("msgid \"a\" b\nmsgstr \"\"\n") << u"in.po: line 1: text after the closing quote"_s;
        QTest::newRow("po string outside an entry")
            << u"in.po"_s << QByteArray("\"loose\"\n") << u"in.po: line 1: a string outside an entry"_s;
        QTest::newRow("po unknown keyword")
            << u"in.po"_s << QByteArray("msgid \"a\"\nmsgtxt \"b\"\n") << u"in.po: line 2: an unknown keyword msgtxt"_s;
        QTest::newRow("po other charset")
            << u"in.po"_s << QByteArray("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n")
            << u"in.po: line 1: the charset ISO-8859-1 is not UTF-8 (msgconv --to-code=UTF-8 converts the file)"_s;
        QTest::newRow("po not UTF-8")
            << u"in.po"_s << QByteArray("msgid \"Gr\xf6\xdf\x65\"\nmsgstr \"\"\n") << u"in.po: line 1: a text that is not UTF-8"_s;
        QTest::newRow("ts entity declaration")
            << u"in.ts"_s << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE TS [<!ENTITY a \"aaaa\">]>\n<TS/>\n")
            << u"in.ts: line 2: a document type declaration is not accepted in a .ts file"_s;
        QTest::newRow("ts not well-formed")
            << u"in.ts"_s << QByteArray("<TS version=\"2.1\">\n<context>\n</TS>\n")
            << u"in.ts: line 3: Opening and ending tag mismatch."_s;
        QTest::newRow("ts undeclared entity")
            << u"in.ts"_s << ts("<message><source>&foo;</source></message>\n")
            << u"in.ts: line 4: Entity 'foo' not declared."_s;
        QTest::newRow("ts message without source")
            << u"in.ts"_s << ts("<message>\n<translation>x</translation></message>\n")
            << u"in.ts: line 4: a message without its <source>"_s;
        QTest::newRow("ts byte of half a character")
            << u"in.ts"_s << ts("<message><source>a<byte value=\"xd800\"/></source></message>\n")
            << u"in.ts: line 4: a <byte> without a character value"_s;
        QTest::newRow("ts other root")
            << u"in.ts"_s << QByteArray("<html/>\n") << u"in.ts: line 1: not a Qt Linguist file (its root element is <html>, not <TS>)"_s;
        QTest::newRow("missing file") << u"in.po"_s << QByteArray() << u"in.po: no such file"_s;
    }

    // A file that is not what it claims to be is refused with its line and the reason, and
    // leaves the dictionary as it was.
    void malformedInput()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        writeDictionary(u"dict.lng"_s, kReportRows);
        const QByteArray before = readFile(path(u"dict.lng"_s));
        if (!content.isEmpty())
            writeBytes(name, content);
        const Run run = orbLng({u"import"_s, path(u"dict.lng"_s), path(name), u"--language"_s, u"de"_s});
        QCOMPARE(diagnostics(run, m_dir->path()), QStringList{expected});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(readFile(path(u"dict.lng"_s)), before);
    }

    // The language attributes keep what an XML reader would turn into blanks.
    void tsAttributesKeepBlanks()
    {
        orb::InteropCatalog catalog;
        catalog.language = u"de\tAT\r\nx"_s;
        catalog.sourceLanguage = u"en\nGB"_s;
        orb::InteropCatalog read;
        QString error;
        QVERIFY2(orb::readTs(orb::writeTs(catalog), read, &error), qPrintable(error));
        QCOMPARE(read.language, catalog.language);
        QCOMPARE(read.sourceLanguage, catalog.sourceLanguage);
    }

    void unusableOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("export unknown language")
            << QStringList{u"export"_s, u"dict.lng"_s, u"--language"_s, u"fr"_s, u"-o"_s, u"out.po"_s}
            << u"dict.lng: no language fr"_s;
        QTest::newRow("export unknown source")
            << QStringList{u"export"_s, u"dict.lng"_s, u"--language"_s, u"de"_s, u"--source"_s, u"fr"_s, u"-o"_s, u"out.po"_s}
            << u"dict.lng: no language fr"_s;
        QTest::newRow("export unknown format")
            << QStringList{u"export"_s, u"dict.lng"_s, u"--language"_s, u"de"_s, u"-o"_s, u"out.xliff"_s}
            << u"orb-lng: --to xliff: ts or po"_s;
        QTest::newRow("import unknown source")
            << QStringList{u"import"_s, u"dict.lng"_s, u"in.po"_s, u"--language"_s, u"de"_s, u"--source"_s, u"fr"_s}
            << u"dict.lng: no language fr"_s;
        QTest::newRow("import into the source")
            << QStringList{u"import"_s, u"dict.lng"_s, u"in.po"_s, u"--language"_s, u"en"_s}
            << u"dict.lng: en is the source language"_s;
        QTest::newRow("import no language")
            << QStringList{u"import"_s, u"dict.lng"_s, u"in.po"_s} << u"orb-lng: import needs --language"_s;
    }

    void unusableOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        writeDictionary(u"dict.lng"_s, kReportRows);
        writeBytes(u"in.po"_s, po("msgid \"Open\"\nmsgstr \"Auf\"\n"));
        for (QString& argument : arguments) {
            if (argument.contains(u'.'))
                argument = path(argument);
        }
        const Run run = orbLng(arguments);
        QCOMPARE(diagnostics(run, m_dir->path()), QStringList{expected});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!QFile::exists(path(u"out.po"_s)));
    }

    // What gettext's tools make of a program's sources and of our export: a template from
    // The German catalogue of a program installed here, as its translators wrote it, made a
    // dictionary and exported again: msgfmt accepts the result, and a plain message keeps
    // its translation.
    void realCatalogueOfAnInstalledProgram()
    {
        REQUIRE_TOOL(u"msgunfmt"_s);
        QString catalogue;
        for (const char* name : {"apt", "coreutils", "dpkg", "bash", "tar", "gzip"}) {
            const QString candidate = u"/usr/share/locale/de/LC_MESSAGES/"_s + QLatin1String(name) + u".mo"_s;
            if (QFile::exists(candidate)) {
                catalogue = candidate;
                break;
            }
        }
        if (catalogue.isEmpty())
            QSKIP("no German catalogue of an installed program here");
        QCOMPARE(runTool(u"msgunfmt"_s, {u"-o"_s, path(u"real.po"_s), catalogue}), QString());
        writeDictionary(u"real.lng"_s, {{u""_s, u""_s}});
        const Run imported = orbLng({u"import"_s, path(u"real.lng"_s), path(u"real.po"_s), u"--language"_s, u"de"_s,
                                     u"--add-missing"_s});
        QCOMPARE(imported.exitCode, 0);
        const QStringList sources = columnOf(path(u"real.lng"_s), u"en"_s);
        QVERIFY2(sources.size() > 50, qPrintable(catalogue));
        QCOMPARE(orbLng({u"export"_s, path(u"real.lng"_s), u"--language"_s, u"de"_s, u"-o"_s, path(u"back.po"_s)}).exitCode, 0);
        QCOMPARE(runTool(u"msgfmt"_s, {u"--check"_s, u"-o"_s, u"/dev/null"_s, path(u"back.po"_s)}), QString());
        // The first message of one line each, without context or plural, as msgunfmt wrote it.
        QFile real(path(u"real.po"_s));
        QVERIFY(real.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(real.readAll());
        const QRegularExpression plain(u"\n\nmsgid (\"[^\n]+\")\nmsgstr (\"[^\n]+\")\n"_s);
        const QRegularExpressionMatch pair = plain.match(text);
        QVERIFY(pair.hasMatch());
        QFile back(path(u"back.po"_s));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(back.readAll()).contains(u"msgid "_s + pair.captured(1) + u"\nmsgstr "_s + pair.captured(2)),
                 qPrintable(pair.captured(0)));
    }

    // xgettext (charset placeholder, fuzzy header, plural forms) and a catalogue msgmerge
    // updated (fuzzy matches, untranslated, obsolete messages).
    void importFromGettextTools()
    {
        REQUIRE_TOOL(u"xgettext"_s);
        REQUIRE_TOOL(u"msgmerge"_s);
        writeBytes(u"main.c"_s, "#include <libintl.h>\n#include <stdio.h>\n#define _(s) gettext(s)\n"
                                "int main(int n) {\n"
                                "    puts(_(\"Open\"));\n"
                                "    puts(_(\"Save the file\"));\n"
                                "    puts(_(\"Quit\\tnow\"));\n"
                                "    printf(ngettext(\"%d file\", \"%d files\", n), n);\n"
                                "    return 0;\n}\n");
        QCOMPARE(runTool(u"xgettext"_s, {u"-k_"_s, u"-o"_s, path(u"main.pot"_s), path(u"main.c"_s)}), QString());
        writeDictionary(u"old.lng"_s, {{u"Open"_s, u"Öffnen"_s}, {u"Save the files"_s, u"Die Dateien sichern"_s},
                                       {u"Removed long ago"_s, u"Längst entfernt"_s}});
        QCOMPARE(orbLng({u"export"_s, path(u"old.lng"_s), u"--language"_s, u"de"_s, u"-o"_s, path(u"old.po"_s)}).exitCode, 0);
        QCOMPARE(runTool(u"msgmerge"_s, {u"-q"_s, u"-o"_s, path(u"merged.po"_s), path(u"old.po"_s), path(u"main.pot"_s)}),
                 QString());

        // The template makes a dictionary of the program's texts.
        writeDictionary(u"dict.lng"_s, {{u""_s, u""_s}});
        const Run fromTemplate = orbLng({u"import"_s, path(u"dict.lng"_s), path(u"main.pot"_s), u"--language"_s,
                                         u"de"_s, u"--add-missing"_s});
        QCOMPARE(fromTemplate.exitCode, 0);
        QVERIFY2(fromTemplate.err.contains(u"plural forms: only the singular form is taken: \"%d file\""_s),
                 qPrintable(fromTemplate.err));
        QCOMPARE(columnOf(path(u"dict.lng"_s), u"en"_s),
                 (QStringList{u"Open"_s, u"Save the file"_s, u"Quit\tnow"_s, u"%d file"_s}));

        // The merged catalogue into the program's dictionary.
        writeDictionary(u"dict.lng"_s, {{u"Open"_s, u""_s}, {u"Save the file"_s, u""_s}, {u"Quit\tnow"_s, u"alt"_s}});
        const Run merged = orbLng({u"import"_s, path(u"dict.lng"_s), path(u"merged.po"_s), u"--language"_s, u"de"_s});
        QCOMPARE(merged.exitCode, 0);
        QVERIFY2(merged.err.contains(u"an unfinished translation, left out (--keep-unfinished takes it): "
                                     "\"Save the file\""_s),
                 qPrintable(merged.err));
        QVERIFY2(merged.err.contains(u"merged.po: obsolete messages skipped: 1"_s), qPrintable(merged.err));
        QVERIFY2(merged.err.contains(u"no row has this source text (--add-missing adds one): \"%d file\""_s),
                 qPrintable(merged.err));
        // An untranslated message takes no translation away.
        QCOMPARE(columnOf(path(u"dict.lng"_s), u"de"_s), (QStringList{u"Öffnen"_s, u""_s, u"alt"_s}));
    }

    void help_data()
    {
        QTest::addColumn<QString>("subcommand");
        QTest::addColumn<QString>("option");
        QTest::newRow("export") << u"export"_s << u"--to <format>"_s;
        QTest::newRow("import") << u"import"_s << u"--add-missing"_s;
        QTest::newRow("qm") << u"qm"_s << u"--context <name>"_s;
    }

    void help()
    {
        QFETCH(QString, subcommand);
        QFETCH(QString, option);
        const Run run = orbLng({subcommand, u"--help"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(QString::fromUtf8(run.out).contains(option), run.out.constData());
        QVERIFY(QString::fromUtf8(orbLng({u"--help"_s}).out).contains(u"  "_s + subcommand));
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"

// orb-lng harvest and pseudo run as a program on a copy of examples/delphi.
#include "dictionary/DictTable.h"
#include "DictTableContents.h"
#include "dictionary/DictionaryGridIO.h"
#include "OrbLngRun.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using orblngtest::orbLng;
using orblngtest::Run;
using wizardtest::encoded;
using wizardtest::readFile;

namespace {

const QString kLanguage = u"Russian(ru)"_s;
const QStringList kSources = {u"Greeting.pas"_s, u"Main.dfm"_s, u"Main.pas"_s, u"Project1.dpr"_s,
                              u"Reports/Reports.pas"_s, u"dictionary.lng"_s};

// The example's bytes with texts replaced, in the file's code page.
QByteArray exampleWith(const QString& name, const char* encoding, const QList<std::pair<QString, QString>>& replacements)
{
    QByteArray bytes = readFile(QStringLiteral(ORB_EXAMPLE_DIR "/") + name);
    for (const auto& [before, after] : replacements) {
        const QByteArray from = encoded(encoding, before);
        if (!bytes.contains(from))
            qFatal("%s does not hold %s", qPrintable(name), qPrintable(before));
        bytes.replace(from, encoded(encoding, after));
    }
    return bytes;
}

// A file the harvest cannot read, whoever runs it (as root, too).
void makeTooLarge(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(orb::kMaxSourceFileBytes + 1))
        qFatal("cannot make %s", qPrintable(path));
}

QStringList columnTexts(const QString& dictionary, const QString& language = kLanguage)
{
    orb::DictTable table;
    if (orb::readDictionaryGrid(dictionary, table) != orb::GridRead::Ok)
        return {u"unreadable"_s};
    const int column = table.findLangColumn(language);
    QStringList texts;
    for (int row = 1; row < table.rowCount(); ++row)
        texts << table.cell(column, row);
    return texts;
}

} // namespace

class TestOrbLng : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString project() const { return m_dir->filePath(u"delphi"_s); }
    QString dictionary() const { return m_dir->filePath(u"delphi/dictionary.lng"_s); }

    Run harvest(const QStringList& options)
    {
        return orbLng(QStringList{u"harvest"_s, project(), u"--language"_s, kLanguage, u"--dictionary"_s, dictionary()}
                      + options);
    }

    // Each JSON line as "kind file:line:column phrase answer", the file relative to the project.
    QStringList reports(const QByteArray& out) const
    {
        QStringList lines;
        for (const QByteArray& line : out.split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error;
            const QJsonObject report = QJsonDocument::fromJson(line, &error).object();
            if (error.error != QJsonParseError::NoError)
                return {u"not JSON: "_s + QString::fromUtf8(line)};
            lines << u"%1 %2:%3:%4 %5 %6"_s.arg(report[u"kind"].toString(),
                                                  QDir(project()).relativeFilePath(report[u"file"].toString()))
                         .arg(report[u"line"].toInt()).arg(report[u"column"].toInt())
                         .arg(report[u"phrase"].toString(), report[u"answer"].toString());
        }
        return lines;
    }

    void verifySourcesUntouched()
    {
        for (const QString& name : kSources)
            QCOMPARE(readFile(project() + u'/' + name), readFile(QStringLiteral(ORB_EXAMPLE_DIR "/") + name));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QDirIterator it(QStringLiteral(ORB_EXAMPLE_DIR), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString copy = project() + u'/' + QDir(QStringLiteral(ORB_EXAMPLE_DIR)).relativeFilePath(source);
            QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
            QVERIFY(QFile::copy(source, copy));
        }
    }

    void listReportsWithoutWriting()
    {
        const Run run = harvest({u"--list"_s});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(reports(run.out), (QStringList{
            u"offer Greeting.pas:15:15 Grüß Gott! no"_s,
            u"offer Greeting.pas:17:22 Привет, %s! no"_s,
            u"offer Main.dfm:6:13 Главное окно no"_s,
            u"offer Main.dfm:12:12 Открыть файл данных no"_s,
            u"offer Main.dfm:18:15 Строка 1 no"_s,
            u"offer Main.dfm:18:31 Строка 2 no"_s,
            u"wrapped Main.pas:24:24 Главное окно "_s,
            u"wrapped Main.pas:25:34 Строка 1\nСтрока 2 "_s,
            u"offer Main.pas:27:17 Файл 'data.txt' не найден no"_s,
            u"offer Main.pas:29:17 Готово no"_s,
            u"offer Main.pas:29:37 Можно продолжать no"_s,
            u"wrapped Reports/Reports.pas:14:21 Отчёт "_s,
            u"offer Reports/Reports.pas:15:11 Итого:  no"_s,
        }));
        verifySourcesUntouched();
    }

    void pathWithPlaceholdersReportedAsItIs()
    {
        const QString renamed = m_dir->filePath(u"50%3 %1"_s);
        QVERIFY(QDir().rename(project(), renamed));
        const Run run = orbLng({u"harvest"_s, renamed, u"--language"_s, kLanguage, u"--dictionary"_s,
                                renamed + u"/dictionary.lng"_s, u"--list"_s});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject first = QJsonDocument::fromJson(run.out.split('\n').first()).object();
        QCOMPARE(first[u"file"].toString(), renamed + u"/Greeting.pas"_s);
        QCOMPARE(first[u"line"].toInt(), 15);
    }

    void answerNoKeepsOnlyWrappedLiterals()
    {
        const Run run = harvest({u"--answer"_s, u"no"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(columnTexts(dictionary()), (QStringList{u"Открыть"_s, u"Отчёт"_s, u"Главное окно"_s, u"Строка 1\nСтрока 2"_s}));
        for (const QString& name : kSources.first(5))
            QCOMPARE(readFile(project() + u'/' + name), readFile(QStringLiteral(ORB_EXAMPLE_DIR "/") + name));
    }

    void answerYesAddsAndRewrites()
    {
        const Run run = harvest({u"--answer"_s, u"yes"_s});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = reports(run.out);
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[8], u"offer Main.pas:27:17 Файл 'data.txt' не найден yes"_s);
        QCOMPARE(lines[10], u"offer Main.pas:29:48 Можно продолжать yes"_s);
        QCOMPARE(columnTexts(dictionary()), (QStringList{
            u"Открыть"_s, u"Отчёт"_s, u"Grüß Gott!"_s, u"Привет, %s!"_s, u"Главное окно"_s,
            u"Открыть файл данных"_s, u"Строка 1"_s, u"Строка 2"_s, u"Строка 1\nСтрока 2"_s,
            u"Файл 'data.txt' не найден"_s, u"Готово"_s, u"Можно продолжать"_s, u"Итого: "_s}));
        QCOMPARE(readFile(project() + u"/Main.pas"_s), exampleWith(u"Main.pas"_s, "windows-1251", {
            {u"Dialogs;"_s, u"Dialogs, OrbTranslate;"_s},
            {u"ShowMessage('Файл ''data.txt'' не найден')"_s, u"ShowMessage(Translate('Файл ''data.txt'' не найден'))"_s},
            {u"ShowMessage('Готово' + #13#10 + 'Можно продолжать')"_s,
             u"ShowMessage(Translate('Готово') + #13#10 + Translate('Можно продолжать'))"_s}}));
        QCOMPARE(readFile(project() + u"/Greeting.pas"_s), exampleWith(u"Greeting.pas"_s, "UTF-8", {
            {u"SysUtils;"_s, u"SysUtils, OrbTranslate;"_s},
            {u"'Grüß Gott!'"_s, u"Translate('Grüß Gott!')"_s},
            {u"Format('Привет, %s!'"_s, u"Format(Translate('Привет, %s!')"_s}}));
        QCOMPARE(readFile(project() + u"/Reports/Reports.pas"_s), exampleWith(u"Reports/Reports.pas"_s, "windows-1251", {
            {u"WriteLn('Итого: '"_s, u"WriteLn(Translate('Итого: ')"_s}}));
        QCOMPARE(readFile(project() + u"/Main.dfm"_s), readFile(QStringLiteral(ORB_EXAMPLE_DIR "/Main.dfm")));
    }

    // The diff, applied by patch to the units decoded into UTF-8, gives what --answer yes writes.
    void diffPrintsTheRewriteAndWritesNothing()
    {
        const Run run = harvest({u"--diff"_s});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        verifySourcesUntouched();
        QVERIFY(run.out.startsWith("--- a/Greeting.pas\n+++ b/Greeting.pas\n@@ "));
        const QList<std::pair<QString, const char*>> units = {
            {u"Greeting.pas"_s, "UTF-8"}, {u"Main.pas"_s, "windows-1251"}, {u"Reports/Reports.pas"_s, "windows-1251"}};
        const auto decoded = [](const QByteArray& bytes, const char* encoding) {
            return QString(QStringDecoder(encoding).decode(bytes)).toUtf8();
        };
        const QString patched = m_dir->filePath(u"patched"_s);
        for (const auto& [name, encoding] : units) {
            QVERIFY(QDir().mkpath(QFileInfo(patched + u'/' + name).path()));
            wizardtest::writeFile(patched + u'/' + name, decoded(readFile(project() + u'/' + name), encoding));
        }
        wizardtest::writeFile(m_dir->filePath(u"harvest.diff"_s), run.out);
        QProcess patch;
        patch.start(u"patch"_s, {u"--binary"_s, u"-s"_s, u"-p1"_s, u"-d"_s, patched, u"-i"_s, m_dir->filePath(u"harvest.diff"_s)});
        QVERIFY(patch.waitForFinished());
        QVERIFY2(patch.exitCode() == 0, patch.readAll().constData());
        QCOMPARE(harvest({u"--answer"_s, u"yes"_s}).exitCode, 0);
        for (const auto& [name, encoding] : units)
            QCOMPARE(readFile(patched + u'/' + name), decoded(readFile(project() + u'/' + name), encoding));
    }

    void lastRowTakesThePhraseOnlyWhenEmpty_data()
    {
        QTest::addColumn<QString>("lastItem");
        QTest::addColumn<QStringList>("column");
        QTest::addColumn<QStringList>("english");
        QTest::newRow("empty last row") << u"<Item/>"_s
            << QStringList{u"Открыть"_s, u"Главное окно"_s, u"Строка 1\nСтрока 2"_s, u"Отчёт"_s}
            << QStringList{u"Open"_s, QString(), QString(), QString()};
        QTest::newRow("last row with text in another column") << u"<Item><en Message=\"Close\"/></Item>"_s
            << QStringList{u"Открыть"_s, QString(), u"Главное окно"_s, u"Строка 1\nСтрока 2"_s, u"Отчёт"_s}
            << QStringList{u"Open"_s, u"Close"_s, QString(), QString(), QString()};
    }
    void lastRowTakesThePhraseOnlyWhenEmpty()
    {
        QFETCH(QString, lastItem);
        wizardtest::writeFile(dictionary(), (u"<Varnok_translation_toolkit_dictionary_file>"
            "<Languages><ru Name=\"Russian\"/><en Name=\"English\"/></Languages>"
            "<Charsets><ru Charset=\"204\"/><en Charset=\"0\"/></Charsets>"
            "<Item><ru Message=\"Открыть\"/><en Message=\"Open\"/></Item>"_s
            + lastItem + u"</Varnok_translation_toolkit_dictionary_file>"_s).toUtf8());
        QCOMPARE(harvest({u"--answer"_s, u"no"_s}).exitCode, 0);
        QTEST(columnTexts(dictionary()), "column");
        QTEST(columnTexts(dictionary(), u"English(en)"_s), "english");
    }

    void unusableInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString dir = u"PROJECT"_s;
        const QString dict = u"DICTIONARY"_s;
        QTest::newRow("missing directory") << QStringList{u"harvest"_s, u"PROJECT/none"_s, u"--language"_s, kLanguage, u"--dictionary"_s, dict}
                                           << u"PROJECT/none: no such directory\n"_s;
        QTest::newRow("missing dictionary") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, u"PROJECT/none.lng"_s}
                                            << u"PROJECT/none.lng: no such file\n"_s;
        QTest::newRow("missing dictionary's folder") << QStringList{u"pseudo"_s, u"PROJECT/none/d.lng"_s, u"--from"_s, u"en"_s}
                                                     << u"PROJECT/none/d.lng: no such file\n"_s;
        QTest::newRow("missing column") << QStringList{u"harvest"_s, dir, u"--language"_s, u"German(de)"_s, u"--dictionary"_s, dict}
                                        << u"DICTIONARY: no language column German(de)\n"_s;
        QTest::newRow("unreadable source") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, dict, u"--answer"_s, u"yes"_s}
                                           << u"PROJECT/Huge.pas: too large to show"_s;
        QTest::newRow("answer neither yes nor no") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, dict, u"--answer"_s, u"maybe"_s}
                                                   << u"orb-lng: --answer is yes or no, not maybe\n"_s;
        QTest::newRow("answer and list") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, dict, u"--answer"_s, u"no"_s, u"--list"_s}
                                         << u"orb-lng: --answer, --list and --diff exclude each other\n"_s;
        QTest::newRow("answer and diff") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, dict, u"--answer"_s, u"yes"_s, u"--diff"_s}
                                         << u"orb-lng: --answer, --list and --diff exclude each other\n"_s;
        QTest::newRow("unknown code page") << QStringList{u"harvest"_s, dir, u"--language"_s, kLanguage, u"--dictionary"_s, dict, u"--encoding"_s, u"no-such"_s}
                                           << u"orb-lng: unknown code page no-such\n"_s;
        QTest::newRow("no language") << QStringList{u"harvest"_s, dir, u"--dictionary"_s, dict}
                                     << u"orb-lng: harvest needs --language and --dictionary\n"_s;
        QTest::newRow("unknown subcommand") << QStringList{u"frobnicate"_s} << u"orb-lng: unknown subcommand frobnicate\n"_s;
    }
    void unusableInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        makeTooLarge(project() + u"/Huge.pas"_s);
        arguments.replaceInStrings(u"PROJECT"_s, project()).replaceInStrings(u"DICTIONARY"_s, dictionary());
        message.replace(u"PROJECT"_s, project()).replace(u"DICTIONARY"_s, dictionary());
        const Run run = orbLng(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err.left(message.size()), message);
    }

    void phrasesBeforeAFailureKept()
    {
        makeTooLarge(project() + u"/Missing.pas"_s);
        const Run run = harvest({u"--answer"_s, u"yes"_s});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(columnTexts(dictionary()).mid(2, 5), (QStringList{u"Grüß Gott!"_s, u"Привет, %s!"_s, u"Главное окно"_s,
                                                              u"Открыть файл данных"_s, u"Строка 1"_s}));
        QVERIFY(readFile(project() + u"/Greeting.pas"_s).contains("Translate("));
    }

    // A literal that cannot be rewritten is added all the same, and a note on standard error
    // says where and why the source stayed as it was.
    void notesSayWhatWasNotRewritten()
    {
        wizardtest::writeFile(project() + u"/Bytes.cpp"_s, u"void f() {\n  b.startsWith(\"Да\"); l->setText(\"Нет\");\n}\n"_s.toUtf8());
        const Run run = harvest({u"--answer"_s, u"yes"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, project() + u"/Bytes.cpp:2:16: note: added to the dictionary, not rewritten: no QString can stand here: \"Да\"\n"_s);
        QCOMPARE(readFile(project() + u"/Bytes.cpp"_s),
                 u"#include <OrbTranslate.h>\nvoid f() {\n  b.startsWith(\"Да\"); l->setText(Translate(\"Нет\"));\n}\n"_s.toUtf8());
        QVERIFY(columnTexts(dictionary()).contains(u"Да"_s));
    }

    void pseudoFillsAColumn()
    {
        Run run = orbLng({u"pseudo"_s, dictionary(), u"--from"_s, u"en"_s});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(dictionary(), table), orb::GridRead::Ok);
        QCOMPARE(editortest::headersOf(table), (QStringList{u"Russian(ru)/204"_s, u"English(en)/0"_s, u"Pseudo(pseudo)/0"_s}));
        QCOMPARE(columnTexts(dictionary(), u"Pseudo(pseudo)"_s), (QStringList{u"[Öpéñ··]"_s, u"[Ŕépöŕţ··]"_s}));
        // An existing language is filled in place.
        run = orbLng({u"pseudo"_s, dictionary(), u"--from"_s, u"ru"_s, u"--to"_s, u"en"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(columnTexts(dictionary(), u"English(en)"_s), (QStringList{u"[Открыть···]"_s, u"[Отчёт··]"_s}));
        QCOMPARE(columnTexts(dictionary(), u"Pseudo(pseudo)"_s), (QStringList{u"[Öpéñ··]"_s, u"[Ŕépöŕţ··]"_s}));
    }

    void pseudoRefusalLeavesTheFile_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown source") << QStringList{u"--from"_s, u"xx"_s} << u"DICTIONARY: no language xx\n"_s;
        QTest::newRow("no source") << QStringList{u"--to"_s, u"xx"_s} << u"orb-lng: pseudo needs --from\n"_s;
        QTest::newRow("target no identifier") << QStringList{u"--from"_s, u"en"_s, u"--to"_s, u"1 x"_s}
                                              << u"orb-lng: --to 1 x is no language identifier (an XML element name)\n"_s;
        QTest::newRow("target is the source") << QStringList{u"--from"_s, u"en"_s, u"--to"_s, u"en"_s}
                                              << u"orb-lng: --from and --to name the same language\n"_s;
    }
    void pseudoRefusalLeavesTheFile()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const QByteArray before = readFile(dictionary());
        const Run run = orbLng(QStringList{u"pseudo"_s, dictionary()} + options);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, message.replace(u"DICTIONARY"_s, dictionary()));
        QCOMPARE(readFile(dictionary()), before);
    }

    // The example dictionary (Russian first, then English) with one more row of the given texts.
    void writeDictionaryWithRow(const QString& russian, const QString& english)
    {
        wizardtest::writeFile(dictionary(), (u"<Varnok_translation_toolkit_dictionary_file>"
            "<Languages><ru Name=\"Russian\"/><en Name=\"English\"/></Languages>"
            "<Charsets><ru Charset=\"204\"/><en Charset=\"0\"/></Charsets>"
            "<Item><ru Message=\"Открыть\"/><en Message=\"Open\"/></Item>"
            "<Item><ru Message=\""_s + russian + u"\"/><en Message=\""_s + english
            + u"\"/></Item></Varnok_translation_toolkit_dictionary_file>"_s).toUtf8());
    }

    void checkExitStatus_data()
    {
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("clean") << u"Файл %1"_s << u"File %1"_s << QStringList() << 0
                               << u"DICTIONARY: en: 100.0 % translated (2 of 2 rows)"_s;
        QTest::newRow("error") << u"Файл %1"_s << u"File"_s << QStringList() << 1
                               << u"DICTIONARY:2: en: error: placeholders differ: %1 in the source, none here"_s;
        QTest::newRow("warning") << u"Файл"_s << QString() << QStringList() << 0
                                 << u"DICTIONARY:2: en: warning: not translated"_s;
        QTest::newRow("warning, strict") << u"Файл"_s << QString() << QStringList{u"--strict"_s} << 1
                                         << u"DICTIONARY:2: en: warning: not translated"_s;
        QTest::newRow("against English") << u"Файл"_s << u"File %1"_s << QStringList{u"--source"_s, u"en"_s} << 1
                                         << u"DICTIONARY:2: ru: error: placeholders differ: %1 in the source, none here"_s;
        QTest::newRow("json") << u"Файл %1"_s << u"File"_s << QStringList{u"--format"_s, u"json"_s} << 1
                              << u"{\"kind\":\"finding\",\"file\":\"DICTIONARY\",\"row\":2,\"language\":\"en\",\"severity\":\"error\","
                                 "\"rule\":\"placeholders\",\"message\":\"placeholders differ: %1 in the source, none here\"}"_s;
        QTest::newRow("unknown source") << u"Файл"_s << u"File"_s << QStringList{u"--source"_s, u"xx"_s} << 2 << QString();
    }
    void checkExitStatus()
    {
        QFETCH(QString, russian);
        QFETCH(QString, english);
        QFETCH(QStringList, options);
        QFETCH(QString, firstLine);
        writeDictionaryWithRow(russian, english);
        const Run run = orbLng(QStringList{u"check"_s, dictionary()} + options);
        QTEST(run.exitCode, "exitCode");
        QCOMPARE(QString::fromUtf8(run.out).section(u'\n', 0, 0), firstLine.replace(u"DICTIONARY"_s, dictionary()));
    }

    // The dictionaries this project ships hold no fault a translator would have to mend.
    void shippedDictionariesCheckClean_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"resources/language.lng", "examples/demo/language.lng", "examples/qtapp/notes.lng",
                                 "examples/delphi/dictionary.lng", "examples/sample.lng"})
            QTest::newRow(file) << QStringLiteral(ORB_SOURCE_DIR "/") + QLatin1String(file);
    }
    void shippedDictionariesCheckClean()
    {
        QFETCH(QString, file);
        const Run run = orbLng({u"check"_s, file});
        QVERIFY2(run.exitCode == 0, run.out.constData());
    }

    void statsCountsWhatIsTranslated()
    {
        writeDictionaryWithRow(u"Файл"_s, QString());
        const Run run = orbLng({u"stats"_s, dictionary()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.out), dictionary() + u": 2 rows, 2 languages, source ru\nen (English): 50.0 % (1 of 2 rows)\n"_s);
        QCOMPARE(orbLng({u"stats"_s, m_dir->filePath(u"missing.lng"_s)}).exitCode, 2);
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("program") << QStringList{u"--help"_s} << u"harvest"_s;
        QTest::newRow("harvest") << QStringList{u"harvest"_s, u"--help"_s} << u"--dictionary <file>"_s;
        QTest::newRow("pseudo listed") << QStringList{u"--help"_s} << u"pseudo"_s;
        QTest::newRow("pseudo") << QStringList{u"pseudo"_s, u"--help"_s} << u"--from <id>"_s;
        QTest::newRow("check") << QStringList{u"check"_s, u"--help"_s} << u"--strict"_s;
    }
    void help()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const Run run = orbLng(arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(QString::fromUtf8(run.out).contains(mentions), run.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestOrbLng)
#include "tst_orb_lng.moc"

// orb-lng as a writer, run as child processes: two writers of one dictionary at once, a
// harvest killed at many moments, sources and dictionaries changed by other programs while a
// harvest runs, dictionaries reached through chains of links and with names as long as the
// file system allows.
#include "dictionary/DictTable.h"
#include "dictionary/DictionaryGridIO.h"
#include "cli/LockedDictionary.h"
#include "OrbLngRun.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <QSet>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using orblngtest::orbLng;
using orblngtest::Run;
using wizardtest::readFile;
using wizardtest::writeFile;

namespace {

const QString kRussian = u"Russian(ru)"_s;
constexpr int kUnits = 30;
constexpr int kLiteralsPerUnit = 40;

// English first (the source of imports), Russian second; rows enough that reading and writing
// the file take a while, so that two writers started together overlap.
QByteArray dictionaryBytes(int fillerRows)
{
    QString xml = u"<Varnok_translation_toolkit_dictionary_file>"
                  "<Languages><en Name=\"English\"/><ru Name=\"Russian\"/></Languages>"
                  "<Charsets><en Charset=\"0\"/><ru Charset=\"204\"/></Charsets>"
                  "<Item><en Message=\"Open\"/><ru Message=\"Открыть\"/></Item>"_s;
    for (int row = 0; row < fillerRows; ++row)
        xml += u"<Item><en Message=\"Row %1\"/><ru Message=\"Строка %1\"/></Item>"_s.arg(row);
    return (xml + u"</Varnok_translation_toolkit_dictionary_file>"_s).toUtf8();
}

QByteArray poFile(const QString& translation)
{
    return (u"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\nmsgid \"Open\"\nmsgstr \"%1\"\n"_s
                .arg(translation))
        .toUtf8();
}

QByteArray unitBytes(int unit)
{
    QByteArray bytes = "unit U" + QByteArray::number(unit) + ";\ninterface\nuses Forms;\nimplementation\nbegin\n";
    for (int literal = 0; literal < kLiteralsPerUnit; ++literal)
        bytes += "  ShowMessage('Сообщение " + QByteArray::number(unit) + "." + QByteArray::number(literal) + "');\n";
    return bytes + "end.\n";
}

QString unitPath(const QString& project, int unit)
{
    return project + u"/U%1.pas"_s.arg(unit, 2, 10, QChar(u'0'));
}

void writeProject(const QString& project)
{
    QVERIFY(QDir().mkpath(project));
    for (int unit = 0; unit < kUnits; ++unit)
        writeFile(unitPath(project, unit), unitBytes(unit));
}

QStringList harvestArguments(const QString& project, const QString& dictionary)
{
    return {u"harvest"_s, project, u"--language"_s, kRussian, u"--dictionary"_s, dictionary, u"--answer"_s, u"yes"_s};
}

// The text of the row whose English text is key, in the language langId; "missing" when
// the language or the row is not there, "unreadable" for a file the editor refuses.
QString textOf(const QString& dictionary, const QString& langId, const QString& key = u"Open"_s)
{
    orb::DictTable table;
    if (orb::readDictionaryGrid(dictionary, table) != orb::GridRead::Ok)
        return u"unreadable"_s;
    const int col = table.findLangIdColumn(langId);
    const int en = table.findLangIdColumn(u"en");
    for (int row = 1; col >= 0 && row < table.rowCount(); ++row) {
        if (table.cell(en, row) == key)
            return table.cell(col, row);
    }
    return u"missing"_s;
}

// What is wrong on disk: a Translate('...') in a unit whose phrase the dictionary lacks, or a
// dictionary the editor cannot read. Empty when nothing is.
QString inconsistency(const QString& project, const QString& dictionary)
{
    orb::DictTable table;
    if (orb::readDictionaryGrid(dictionary, table) != orb::GridRead::Ok)
        return u"the dictionary is unreadable"_s;
    const int ru = table.findLangIdColumn(u"ru");
    QSet<QString> phrases;
    for (int row = 1; row < table.rowCount(); ++row)
        phrases.insert(table.cell(ru, row));
    static const QRegularExpression call(u"Translate\\('((?:[^']|'')*)'\\)"_s);
    for (int unit = 0; unit < kUnits; ++unit) {
        const QString text = QString::fromUtf8(readFile(unitPath(project, unit)));
        for (const QRegularExpressionMatch& match : call.globalMatch(text)) {
            const QString phrase = match.captured(1).replace(u"''"_s, u"'"_s);
            if (!phrases.contains(phrase))
                return unitPath(project, unit) + u" calls Translate('"_s + phrase + u"'), which the dictionary lacks"_s;
        }
    }
    return {};
}

int unitsRewritten(const QString& project)
{
    int rewritten = 0;
    for (int unit = 0; unit < kUnits; ++unit)
        rewritten += readFile(unitPath(project, unit)).contains("Translate(");
    return rewritten;
}

std::unique_ptr<QProcess> startOrbLng(const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(ORB_LNG_EXECUTABLE), arguments);
    if (!process->waitForStarted())
        qFatal("orb-lng did not start");
    return process;
}

int finish(QProcess& process)
{
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        qFatal("orb-lng did not finish");
    return process.exitCode();
}

// The hidden files a writer leaves beside the dictionary: locks and temporaries.
QStringList leftBehind(const QString& folder)
{
    return QDir(folder).entryList({u".*"_s}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestOrbLngWriters : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& relative) const { return m_dir->filePath(relative); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // Each writer reads the dictionary, changes it and writes it back; started together, the
    // second waits for the first, so that neither's work is lost.
    void twoWritersAtOnceBothKeepTheirWork_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        const QStringList importGerman = {u"import"_s, u"DICT"_s, u"DIR/de.po"_s, u"--language"_s, u"de"_s};
        const QStringList importFrench = {u"import"_s, u"DICT"_s, u"DIR/fr.po"_s, u"--language"_s, u"fr"_s};
        QTest::newRow("two imports") << importGerman << importFrench;
        QTest::newRow("import and pseudo") << importGerman << QStringList{u"pseudo"_s, u"DICT"_s, u"--from"_s, u"en"_s};
        QTest::newRow("through a link and by its name")
            << QStringList{u"import"_s, u"DIR/link.lng"_s, u"DIR/de.po"_s, u"--language"_s, u"de"_s} << importFrench;
        QTest::newRow("harvest and import") << harvestArguments(u"DIR/project"_s, u"DICT"_s) << importGerman;
    }
    void twoWritersAtOnceBothKeepTheirWork()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        for (int round = 0; round < 4; ++round) {
            const QString dir = path(u"round%1"_s.arg(round));
            const QString dictionary = dir + u"/d.lng"_s;
            writeProject(dir + u"/project"_s);
            writeFile(dictionary, dictionaryBytes(20000));
            writeFile(dir + u"/de.po"_s, poFile(u"Öffnen"_s));
            writeFile(dir + u"/fr.po"_s, poFile(u"Ouvrir"_s));
            QVERIFY(QFile::link(u"d.lng"_s, dir + u"/link.lng"_s));
            const auto placed = [&](QStringList arguments) {
                return arguments.replaceInStrings(u"DICT"_s, dictionary).replaceInStrings(u"DIR"_s, dir);
            };
            const std::unique_ptr<QProcess> one = startOrbLng(placed(first));
            const std::unique_ptr<QProcess> two = startOrbLng(placed(second));
            QCOMPARE(finish(*one), 0);
            QCOMPARE(finish(*two), 0);
            const QString tag = QString::fromLatin1(QTest::currentDataTag());
            QCOMPARE(textOf(dictionary, u"de"_s), u"Öffnen"_s);
            if (tag == u"import and pseudo")
                QCOMPARE(textOf(dictionary, u"pseudo"_s), u"[Öpéñ··]"_s);
            else if (tag == u"harvest and import")
                QCOMPARE(inconsistency(dir + u"/project"_s, dictionary), QString());
            else
                QCOMPARE(textOf(dictionary, u"fr"_s), u"Ouvrir"_s);
            QVERIFY(QFileInfo(dir + u"/link.lng"_s).isSymLink());
            QCOMPARE(leftBehind(dir), QStringList());
        }
    }

    void lockHeldTooLongFailsNamingIt()
    {
        const QString dictionary = path(u"d.lng"_s);
        const QByteArray before = dictionaryBytes(10);
        writeFile(dictionary, before);
        QLockFile held(orb::LockedDictionary::lockPathOf(dictionary));
        QVERIFY(held.tryLock(0));
        const Run run = orbLng({u"pseudo"_s, dictionary, u"--from"_s, u"en"_s});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, dictionary + u": another orb-lng is writing it and holds the lock "_s
                              + orb::LockedDictionary::lockPathOf(dictionary)
                              + u"; try again when it has finished (remove the lock if no orb-lng runs on any machine)\n"_s);
        QCOMPARE(readFile(dictionary), before);
    }

    // Whatever moment a kill comes, every Translate('...') on disk has its phrase in the
    // dictionary on disk: the dictionary is written before the units.
    void killedHarvestLeavesNoCallWithoutItsPhrase()
    {
        int round = 0;
        const auto prepare = [&] {
            const QString project = path(u"kill%1"_s.arg(round++));
            writeProject(project);
            writeFile(project + u"/d.lng"_s, dictionaryBytes(10));
            return project;
        };
        // Once to its end, to learn how long a harvest takes.
        const QString whole = prepare();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(orbLng(harvestArguments(whole, whole + u"/d.lng"_s)).exitCode, 0);
        const qint64 harvestUs = timer.nsecsElapsed() / 1000;
        QCOMPARE(unitsRewritten(whole), kUnits);
        QCOMPARE(inconsistency(whole, whole + u"/d.lng"_s), QString());

        int betweenUnits = 0;
        QString lastKilled;
        // At increasing delays, then as soon as so many units are rewritten.
        for (int kill = 0; kill < 2 * kUnits; ++kill) {
            const QString project = prepare();
            const std::unique_ptr<QProcess> harvest = startOrbLng(harvestArguments(project, project + u"/d.lng"_s));
            if (kill < kUnits) {
                QThread::usleep(std::uint64_t(harvestUs * kill / kUnits));
            } else {
                // waitForFinished(0) lets the process's end be noticed.
                while (!harvest->waitForFinished(0) && unitsRewritten(project) < kill - kUnits + 1) {
                }
            }
            harvest->kill();
            harvest->waitForFinished();
            QVERIFY2(inconsistency(project, project + u"/d.lng"_s).isEmpty(),
                     qPrintable(u"kill %1: "_s.arg(kill) + inconsistency(project, project + u"/d.lng"_s)));
            const int rewritten = unitsRewritten(project);
            betweenUnits += rewritten > 0 && rewritten < kUnits;
            lastKilled = project;
        }
        QVERIFY2(betweenUnits > 0, "no kill landed while the units were written");
        // The next harvest takes over the lock the killed one left, and ends the work.
        QCOMPARE(orbLng(harvestArguments(lastKilled, lastKilled + u"/d.lng"_s)).exitCode, 0);
        QCOMPARE(unitsRewritten(lastKilled), kUnits);
        QCOMPARE(inconsistency(lastKilled, lastKilled + u"/d.lng"_s), QString());
        QCOMPARE(leftBehind(lastKilled), QStringList());
    }

    // Another program writes a unit, or the dictionary, while the harvest runs. The harvest
    // tells when it has read the first unit by the note on the named pipe after it; the large
    // unit after that keeps it busy while the test makes the change.
    void changeDuringTheHarvestIsKept_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("a unit") << u"U00.pas"_s << 1;
        QTest::newRow("the dictionary") << u"d.lng"_s << 2;
    }
    void changeDuringTheHarvestIsKept()
    {
        QFETCH(QString, changed);
        const QString project = path(u"project"_s);
        writeProject(project);
        const QString dictionary = project + u"/d.lng"_s;
        writeFile(dictionary, dictionaryBytes(10));
        const QString pipe = unitPath(project, 0) + u"-pipe.pas"_s;
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QByteArray large = "unit Z;\nuses Forms;\nbegin\n";
        for (int literal = 0; literal < 100000; ++literal)
            large += "  ShowMessage('Последнее " + QByteArray::number(literal) + "');\n";
        writeFile(project + u"/Z.pas"_s, large + "end.\n");

        const std::unique_ptr<QProcess> harvest = startOrbLng(harvestArguments(project, dictionary));
        while (!harvest->readAllStandardError().contains("-pipe.pas"))
            QVERIFY(harvest->waitForReadyRead(10000) || harvest->state() == QProcess::Running);
        const QByteArray edited = readFile(project + u'/' + changed) + (changed.endsWith(u".pas") ? "// edited\n" : "\n");
        writeFile(project + u'/' + changed, edited);
        QFETCH(int, exitCode);
        QCOMPARE(finish(*harvest), exitCode);
        const QString err = QString::fromUtf8(harvest->readAllStandardError());
        QVERIFY2(err.contains(project + u'/' + changed + u": changed on disk since it was read"_s), qPrintable(err));
        QCOMPARE(readFile(project + u'/' + changed), edited);
        // A refused dictionary keeps every unit as it was: their phrases are not on disk.
        QCOMPARE(unitsRewritten(project), changed == u"d.lng" ? 0 : kUnits - 1);
        QCOMPARE(inconsistency(project, dictionary), QString());
    }

    void dictionaryThroughAChainOfLinks_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("langId");
        QTest::addColumn<QString>("text");
        QTest::newRow("pseudo") << QStringList{u"pseudo"_s, u"LINK"_s, u"--from"_s, u"en"_s} << u"pseudo"_s << u"[Öpéñ··]"_s;
        QTest::newRow("import") << QStringList{u"import"_s, u"LINK"_s, u"DIR/de.po"_s, u"--language"_s, u"de"_s}
                                << u"de"_s << u"Öffnen"_s;
        // The harvest's phrases are there when every call it wrote finds its own.
        QTest::newRow("harvest") << harvestArguments(u"DIR/project"_s, u"LINK"_s) << u"ru"_s << u"Открыть"_s;
    }
    void dictionaryThroughAChainOfLinks()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(QDir().mkpath(path(u"real"_s)));
        writeFile(path(u"real/d.lng"_s), dictionaryBytes(10));
        writeFile(path(u"de.po"_s), poFile(u"Öffnen"_s));
        writeProject(path(u"project"_s));
        QVERIFY(QFile::link(u"real/d.lng"_s, path(u"link2"_s)));
        QVERIFY(QFile::link(u"link2"_s, path(u"link1"_s)));
        arguments.replaceInStrings(u"LINK"_s, path(u"link1"_s)).replaceInStrings(u"DIR"_s, m_dir->path());
        const Run run = orbLng(arguments);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QFETCH(QString, langId);
        QTEST(textOf(path(u"real/d.lng"_s), langId), "text");
        if (arguments.first() == u"harvest") {
            QCOMPARE(unitsRewritten(path(u"project"_s)), kUnits);
            QCOMPARE(inconsistency(path(u"project"_s), path(u"real/d.lng"_s)), QString());
        }
        QCOMPARE(QFileInfo(path(u"link1"_s)).symLinkTarget(), path(u"link2"_s));
        QCOMPARE(QFileInfo(path(u"link2"_s)).symLinkTarget(), path(u"real/d.lng"_s));
        QCOMPARE(leftBehind(path(u"real"_s)), QStringList());
    }

    // A name of 254 bytes: the temporary beside it and the lock are named within the limit.
    void dictionaryWithTheLongestName()
    {
        const QString dictionary = path(QString(250, u'd') + u".lng"_s);
        QCOMPARE(QFile::encodeName(QFileInfo(dictionary).fileName()).size(), 254);
        writeFile(dictionary, dictionaryBytes(10));
        writeFile(path(u"de.po"_s), poFile(u"Öffnen"_s));
        const Run run = orbLng({u"import"_s, dictionary, path(u"de.po"_s), u"--language"_s, u"de"_s});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(textOf(dictionary, u"de"_s), u"Öffnen"_s);
        QVERIFY(QFileInfo(orb::LockedDictionary::lockPathOf(dictionary)).fileName().size() < 40);
        QCOMPARE(leftBehind(m_dir->path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestOrbLngWriters)
#include "tst_orb_lng_writers.moc"

// Saves killed with SIGKILL at random moments: the file must afterwards hold the old content
// or the new, byte for byte, and the next save that succeeds must leave no temporary behind.
// The save runs in a child process, which is this executable started with --save.

#include "DictTable.h"
#include "DictionaryFile.h"
#include "DictionaryGridIO.h"
#include "PhraseTable.h"
#include "SafeFile.h"
#include "SourceFile.h"
#include "SyntheticDictionary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kKills = 50;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The child's part: load the new content from source, say so, then save it to target the
// way the writer under test does.
int saveInChild(const QString& writer, const QString& source, const QString& target)
{
    bool saved = false;
    if (writer == u"component") {
        orb::PhraseTable table;
        if (orb::readDictionaryFile(source, table) != orb::ReadResult::Ok)
            return 3;
        std::puts("saving");
        std::fflush(stdout);
        saved = orb::writeDictionaryFile(table.languages(), target, orb::Layout::Compact);
    } else if (writer == u"editor") {
        DictTable table;
        if (readDictionaryGrid(source, table) != GridRead::Ok)
            return 3;
        std::puts("saving");
        std::fflush(stdout);
        saved = writeDictionaryGrid(table, target);
    } else if (writer == u"wizard") {
        // A unit rewritten as the harvest rewrites one: the same lines, literals wrapped.
        SourceFile unit;
        QString error;
        if (!ReadSourceFile(source, "windows-1251", unit, &error))
            return 3;
        const QString text = QString(unit.text).replace(u"'"_s, u"''"_s);
        std::puts("saving");
        std::fflush(stdout);
        saved = WriteSourceFile(target, unit, text, &error);
    }
    return saved ? 0 : 4;
}

} // namespace

class CrashConsistencyTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source; // the new content, as the dictionary writers read it
    QString m_unit;   // the unit the wizard's writer rewrites

    QProcess* startSave(const QString& writer, const QString& target)
    {
        auto* child = new QProcess(this);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString source = writer == u"wizard" ? m_unit : m_source;
        child->start(QCoreApplication::applicationFilePath(), {u"--save"_s, writer, source, target});
        if (!child->waitForStarted() || !child->waitForReadyRead(120000))
            qFatal("the saving child did not start");
        return child;
    }

    // Runs one save to its end; returns how long the save itself took.
    qint64 saveToTheEnd(const QString& writer, const QString& target)
    {
        QProcess* child = startSave(writer, target);
        QElapsedTimer timer;
        timer.start();
        child->waitForFinished(120000);
        const qint64 elapsed = timer.elapsed();
        if (child->exitStatus() != QProcess::NormalExit || child->exitCode() != 0)
            qFatal("the saving child failed");
        delete child;
        return elapsed;
    }

    // Any file named after the target but the target itself: what a writer left behind.
    QStringList temporariesBeside(const QString& target) const
    {
        const QString name = QFileInfo(target).fileName();
        QStringList left = QDir(m_dir.path()).entryList({u'*' + name + u'*'}, QDir::Files | QDir::Hidden);
        left.removeAll(name);
        return left;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_source = m_dir.filePath(u"new-source.lng"_s);
        synthetic::writeDictionary(synthetic::makeDictionary(100000, 4, 7), m_source);
        QVERIFY(QFileInfo(m_source).size() > 25'000'000);
        m_unit = m_dir.filePath(u"Unit1.pas"_s);
        QFile unit(m_unit);
        QVERIFY(unit.open(QIODevice::WriteOnly));
        for (int line = 0; line < 600000; ++line)
            unit.write("  ShowMessage('\xcf\xf0\xe8\xe2\xe5\xf2 " + QByteArray::number(line) + "');\r\n");
    }

    void killedSaveLeavesOldOrNewFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::newRow("component") << u"component"_s;
        QTest::newRow("editor") << u"editor"_s;
        QTest::newRow("wizard") << u"wizard"_s;
    }

    void killedSaveLeavesOldOrNewFile()
    {
        QFETCH(QString, writer);
        const QString target = m_dir.filePath(writer + (writer == u"wizard" ? u".pas"_s : u".lng"_s));
        const qint64 saveTime = saveToTheEnd(writer, target);
        const QByteArray newContent = readAll(target);
        QByteArray oldContent;
        if (writer == u"wizard") {
            oldContent = readAll(m_unit);
        } else {
            const QString oldPath = m_dir.filePath(u"old.lng"_s);
            synthetic::writeDictionary(synthetic::makeDictionary(90000, 4, 3), oldPath);
            oldContent = readAll(oldPath);
        }
        QVERIFY(oldContent != newContent);

        int keptOld = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            writeAll(target, oldContent);
            QProcess* child = startSave(writer, target);
            QThread::msleep(QRandomGenerator::global()->bounded(int(saveTime + saveTime / 4) + 1));
            child->kill();
            child->waitForFinished();
            delete child;
            const QByteArray after = readAll(target);
            QVERIFY2(after == oldContent || after == newContent,
                     qPrintable(u"kill %1 left %2 bytes"_s.arg(kill).arg(after.size())));
            keptOld += after == oldContent;
        }
        QVERIFY2(keptOld > 0, "no kill landed during the save");

        saveToTheEnd(writer, target);
        QCOMPARE(readAll(target), newContent);
        QCOMPARE(temporariesBeside(target), QStringList());
    }

    // A temporary that a running save holds is not an abandoned one.
    void savingLeavesRunningSavesTemporariesAlone()
    {
        const QString target = m_dir.filePath(u"shared.lng"_s);
        orb::SafeFile running(target);
        QVERIFY(running.open());
        QVERIFY(running.write("running", 7));
        orb::SafeFile other(target);
        QVERIFY(other.open());
        QVERIFY(other.write("other", 5));
        QVERIFY(other.commit());
        QCOMPARE(temporariesBeside(target).size(), 1);
        QVERIFY(running.commit());
        QCOMPARE(readAll(target), "running"_ba);
        QCOMPARE(temporariesBeside(target), QStringList());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"--save")
        return saveInChild(args[2], args[3], args[4]);
    CrashConsistencyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash_consistency.moc"

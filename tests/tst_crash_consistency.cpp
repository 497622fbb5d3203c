// Saves killed with SIGKILL at random moments: the file must afterwards hold the old content
// or the new, byte for byte, and the next save that succeeds must leave no temporary behind.
// The content is loaded once; each save runs in a child forked from the test, which is
// killed while it writes.

#include "dictionary/DictTable.h"
#include "component/DictionaryFile.h"
#include "dictionary/DictionaryGridIO.h"
#include "component/PhraseTable.h"
#include "component/SafeFile.h"
#include "wizard/SourceFile.h"
#include "SyntheticDictionary.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

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

// Starts the save in a child process; the child leaves with 0 when it saved.
pid_t startSave(const std::function<bool()>& save)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(save() ? 0 : 4);
    if (child < 0)
        qFatal("cannot fork");
    return child;
}

// Runs a save to its end; returns how long it took, in milliseconds.
qint64 saveToTheEnd(const std::function<bool()>& save)
{
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    waitpid(startSave(save), &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("the saving child failed");
    return timer.elapsed();
}

} // namespace

class CrashConsistencyTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_unit;            // the unit the wizard's writer rewrites
    orb::PhraseTable m_phrases; // the new content, as the component holds it
    orb::DictTable m_table;          // and as the editor holds it
    orb::SourceFile m_source;        // the unit as read
    QString m_rewritten;        // and as rewritten

    // Any file named after the target but the target itself: what a writer left behind.
    QStringList temporariesBeside(const QString& target) const
    {
        const QString name = QFileInfo(target).fileName();
        QStringList left = QDir(m_dir.path()).entryList({u'*' + name + u'*'}, QDir::Files | QDir::Hidden);
        left.removeAll(name);
        return left;
    }

    std::function<bool()> saveOf(const QString& writer, const QString& target)
    {
        if (writer == u"component")
            return [=, this] { return writeDictionaryFile(m_phrases.languages(), target, orb::Layout::Compact); };
        if (writer == u"editor")
            return [=, this] { return writeDictionaryGrid(m_table, target); };
        return [=, this] {
            QString error;
            return wizardtest::writeRewriteOver(target, m_source, m_rewritten, &error);
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString dictionary = m_dir.filePath(u"new-source.lng"_s);
        orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(100000, 4, 7), dictionary);
        QVERIFY(QFileInfo(dictionary).size() > 25'000'000);
        QCOMPARE(orb::readDictionaryFile(dictionary, m_phrases), orb::ReadResult::Ok);
        QCOMPARE(orb::readDictionaryGrid(dictionary, m_table), orb::GridRead::Ok);

        m_unit = m_dir.filePath(u"Unit1.pas"_s);
        QFile unit(m_unit);
        QVERIFY(unit.open(QIODevice::WriteOnly));
        for (int line = 0; line < 600000; ++line)
            unit.write("  ShowMessage('\xcf\xf0\xe8\xe2\xe5\xf2 " + QByteArray::number(line) + "');\r\n");
        unit.close();
        QString error;
        QVERIFY(orb::readSourceFile(m_unit, "windows-1251", m_source, &error));
        // A unit rewritten as the harvest rewrites one: the same lines, literals wrapped.
        m_rewritten = QString(m_source.text).replace(u"ShowMessage('"_s, u"ShowMessage(Translate('"_s);
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
        const std::function<bool()> save = saveOf(writer, target);
        const qint64 saveTime = saveToTheEnd(save);
        const QByteArray newContent = readAll(target);
        QByteArray oldContent;
        if (writer == u"wizard") {
            oldContent = readAll(m_unit);
        } else {
            const QString oldPath = m_dir.filePath(u"old.lng"_s);
            orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(90000, 4, 3), oldPath);
            oldContent = readAll(oldPath);
        }
        QVERIFY(oldContent != newContent);

        int keptOld = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            writeAll(target, oldContent);
            const pid_t child = startSave(save);
            QThread::msleep(QRandomGenerator::global()->bounded(int(saveTime + saveTime / 4) + 1));
            ::kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const QByteArray after = readAll(target);
            QVERIFY2(after == oldContent || after == newContent,
                     qPrintable(u"kill %1 left %2 bytes"_s.arg(kill).arg(after.size())));
            keptOld += after == oldContent;
        }
        QVERIFY2(keptOld > 0, "no kill landed during the save");

        saveToTheEnd(save);
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

QTEST_GUILESS_MAIN(CrashConsistencyTest)
#include "tst_crash_consistency.moc"

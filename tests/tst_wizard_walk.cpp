// The walk over a project directory, and the harvest of the files it meets.
#include "wizard/Harvest.h"
#include "wizard/SourceFile.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <utility>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using wizardtest::readFile;
using wizardtest::RecordingSink;
using wizardtest::ScriptedPrompt;
using wizardtest::writeFile;

Q_DECLARE_METATYPE(orb::HarvestStep)

namespace {

// Writes down the files the walk hands over, relative to the tree's root, and ends the walk
// with the given step at one of them.
class RecordingHarvester : public orb::ProjectHarvester
{
public:
    RecordingHarvester(QString root, QString endAt = {}, orb::HarvestStep endStep = orb::HarvestStep::Continue)
        : m_root(std::move(root)), m_endAt(std::move(endAt)), m_endStep(endStep)
    {
    }

    QStringList met;

    orb::HarvestStep harvestUnit(const QString& path) override { return meet(u"unit "_s, path); }
    orb::HarvestStep harvestForm(const QString& path) override { return meet(u"form "_s, path); }
    orb::HarvestStep harvestCppSource(const QString& path) override { return meet(u"cpp "_s, path); }
    orb::HarvestStep harvestDesignerForm(const QString& path) override { return meet(u"qt-form "_s, path); }

private:
    orb::HarvestStep meet(const QString& kind, const QString& path)
    {
        const QString relative = QDir(m_root).relativeFilePath(path);
        met << kind + relative;
        return relative == m_endAt ? m_endStep : orb::HarvestStep::Continue;
    }

    QString m_root;
    QString m_endAt;
    orb::HarvestStep m_endStep;
};

// Asks to stop while going on, as a window closed during a question does.
class StoppingHarvester : public RecordingHarvester
{
public:
    StoppingHarvester(const QString& root, QString stopAt) : RecordingHarvester(root), m_stopAt(std::move(stopAt)) {}

    orb::HarvestStep harvestUnit(const QString& path) override
    {
        if (path.endsWith(m_stopAt))
            requestStop();
        return RecordingHarvester::harvestUnit(path);
    }

private:
    QString m_stopAt;
};

const QStringList kWholeTree = {
    u"unit .Hidden.pas"_s,
    u"form Form1.dfm"_s,
    u"unit Old.pas/Inner.pas"_s,
    u"unit UNIT1.PAS"_s,
    u"unit Unit1.Pas"_s,
    u"unit Unit1.pas"_s,
    u"unit b/Later.pas"_s,
    u"unit b/deep/Deep.pas"_s,
    u"form b/deep/Form2.DFM"_s,
    u"unit zLast.pas"_s,
};

const QByteArray kUnit = "uses A;\nx := 'Привет';\n";

// Lets another program change the first unit while its save question is open.
class ChangingPrompt : public ScriptedPrompt
{
public:
    ChangingPrompt(QStringList script, std::function<void()> change)
        : ScriptedPrompt(std::move(script)), m_change(std::move(change))
    {
    }

    orb::Answer ask(orb::PromptKind kind, const QString& argument, orb::Selection& selection) override
    {
        if (kind == orb::PromptKind::SaveFile && m_change)
            std::exchange(m_change, {})();
        return ScriptedPrompt::ask(kind, argument, selection);
    }

private:
    std::function<void()> m_change;
};

bool runningAsRoot()
{
    return geteuid() == 0;
}

} // namespace

class TestWizardWalk : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tree;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    QString fileIn(const QString& relative, const QByteArray& bytes) const
    {
        const QString file = path(relative);
        writeFile(file, bytes);
        return file;
    }

    // A project: every case of the extensions, files that are no sources, a directory with a
    // source's name, nested folders, a link back to the root and one to a walked folder.
    void buildTree()
    {
        m_tree = path(u"tree"_s);
        QDir root(m_tree);
        QVERIFY(root.mkpath(u"Old.pas"_s));
        QVERIFY(root.mkpath(u"b/deep"_s));
        for (const QString& name : {u".Hidden.pas"_s, u"Form1.dfm"_s, u"Old.pas/Inner.pas"_s, u"Project1.dpr"_s,
                                    u"UNIT1.PAS"_s, u"Unit1.Pas"_s, u"Unit1.inc"_s, u"Unit1.pas"_s, u"Unit1.~pas"_s,
                                    u"b/Later.pas"_s, u"b/deep/Deep.pas"_s, u"b/deep/Form2.DFM"_s, u"zLast.pas"_s})
            writeFile(root.filePath(name), kUnit);
        QVERIFY(QFile::link(u"../.."_s, root.filePath(u"b/deep/loop"_s)));
        QVERIFY(QFile::link(u"b"_s, root.filePath(u"z"_s)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        buildTree();
    }

    void walksSourcesInNameOrder()
    {
        RecordingHarvester harvester(m_tree);
        QCOMPARE(orb::walkProjectDir(m_tree, harvester), orb::HarvestStep::Continue);
        QCOMPARE(harvester.met, kWholeTree);
    }

    void trailingSeparatorWalksTheSame()
    {
        RecordingHarvester harvester(m_tree);
        QCOMPARE(orb::walkProjectDir(m_tree + u'/', harvester), orb::HarvestStep::Continue);
        QCOMPARE(harvester.met, kWholeTree);
    }

    void endingStepStopsEveryLevel_data()
    {
        QTest::addColumn<QString>("endAt");
        QTest::addColumn<orb::HarvestStep>("step");
        QTest::addColumn<int>("filesMet");
        QTest::newRow("cancel deep inside") << u"b/deep/Deep.pas"_s << orb::HarvestStep::Cancelled << 8;
        QTest::newRow("failure deep inside") << u"b/deep/Deep.pas"_s << orb::HarvestStep::Failed << 8;
        QTest::newRow("cancel at the first file") << u".Hidden.pas"_s << orb::HarvestStep::Cancelled << 1;
        QTest::newRow("cancel in a directory named like a unit") << u"Old.pas/Inner.pas"_s << orb::HarvestStep::Cancelled << 3;
    }
    void endingStepStopsEveryLevel()
    {
        QFETCH(QString, endAt);
        QFETCH(orb::HarvestStep, step);
        QFETCH(int, filesMet);
        RecordingHarvester harvester(m_tree, endAt, step);
        QCOMPARE(orb::walkProjectDir(m_tree, harvester), step);
        QCOMPARE(harvester.met, kWholeTree.first(filesMet));
    }

    void requestedStopEndsBeforeTheNextEntry()
    {
        StoppingHarvester harvester(m_tree, u"/Later.pas"_s);
        QCOMPARE(orb::walkProjectDir(m_tree, harvester), orb::HarvestStep::Cancelled);
        QCOMPARE(harvester.met, kWholeTree.first(7));
    }

    void missingDirectoryScansNothing()
    {
        RecordingHarvester harvester(m_tree);
        QCOMPARE(orb::walkProjectDir(path(u"missing"_s), harvester), orb::HarvestStep::Continue);
        QVERIFY(harvester.met.isEmpty());
    }

    void unlistableDirectoryPassedOver()
    {
        if (runningAsRoot())
            QSKIP("root lists every directory");
        const QString locked = path(u"locked"_s);
        QVERIFY(QDir().mkpath(locked + u"/inner"_s));
        writeFile(locked + u"/inner/Unit1.pas"_s, kUnit);
        writeFile(locked + u"/zz.pas"_s, kUnit);
        QVERIFY(QFile::setPermissions(locked + u"/inner"_s, QFileDevice::Permissions()));
        RecordingHarvester harvester(locked);
        const orb::HarvestStep step = orb::walkProjectDir(locked, harvester);
        QFile::setPermissions(locked + u"/inner"_s, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(step, orb::HarvestStep::Continue);
        QCOMPARE(harvester.met, QStringList{u"unit zz.pas"_s});
    }

    void filesHarvestedThroughTheWalk()
    {
        const QString project = path(u"project"_s);
        QVERIFY(QDir().mkpath(project + u"/sub"_s));
        writeFile(project + u"/A.pas"_s, kUnit);
        writeFile(project + u"/sub/Form1.dfm"_s, "  Caption = #1044#1072\n");
        ScriptedPrompt prompt({u"yes"_s, u"no"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Continue);
        QCOMPARE(prompt.files, (QStringList{project + u"/A.pas"_s, project + u"/sub/Form1.dfm"_s}));
        QCOMPARE(prompt.log, (QStringList{u"wrap Привет"_s, u"uses OrbTranslate"_s, u"save "_s + project + u"/A.pas"_s,
                                          u"add Да"_s}));
        QCOMPARE(sink.added, (QStringList{u"Привет"_s, u"Да"_s}));
        QCOMPARE(readFile(project + u"/A.pas"_s), QByteArray("uses A;\nx := Translate('Привет');\n"));
        QCOMPARE(readFile(project + u"/sub/Form1.dfm"_s), QByteArray("  Caption = #1044#1072\n"));
    }

    void cancelInAQuestionEndsTheWalk()
    {
        const QString project = path(u"cancelled"_s);
        QVERIFY(QDir().mkpath(project));
        writeFile(project + u"/A.pas"_s, kUnit);
        writeFile(project + u"/B.pas"_s, kUnit);
        ScriptedPrompt prompt({u"cancel"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Cancelled);
        QCOMPARE(prompt.files, QStringList{project + u"/A.pas"_s});
        QVERIFY(harvester.errorText().isEmpty());
    }

    void binaryFormPassedOver_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("resource header") << QByteArray("\xFF\x0A\x00\x54\x46\x4F\x52\x4D\x31\x00'\xC4\xE0'\n", 15);
        QTest::newRow("signature") << QByteArray("TPF0\x06TForm1\x05""Form1\x07""Caption\x06\x02\xC4\xE0'\xC4\xE0'\n");
    }
    void binaryFormPassedOver()
    {
        QFETCH(QByteArray, bytes);
        const QString form = fileIn(u"Binary.dfm"_s, bytes);
        ScriptedPrompt prompt({});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(harvester.harvestForm(form), orb::HarvestStep::Continue);
        QVERIFY(prompt.files.isEmpty());
        QVERIFY(prompt.log.isEmpty());
    }

    void unusableFileEndsTheWalk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no read permission") << u"Locked.pas"_s << u"cannot read: Permission denied"_s;
        QTest::newRow("too large") << u"Huge.pas"_s << u"too large to show (67108865 bytes, at most 67108864)"_s;
    }
    void unusableFileEndsTheWalk()
    {
        QFETCH(QString, name);
        const QString project = path(u"unusable-"_s + name);
        QVERIFY(QDir().mkpath(project));
        const QString file = project + u'/' + name;
        if (name == u"Locked.pas") {
            if (runningAsRoot())
                QSKIP("root reads every file");
            writeFile(file, kUnit);
            QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
        } else {
            QFile huge(file);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(orb::kMaxSourceFileBytes + 1));
        }
        writeFile(project + u"/Zed.pas"_s, kUnit);
        ScriptedPrompt prompt({});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Failed);
        QFETCH(QString, reason);
        QCOMPARE(harvester.errorText(), file + u": "_s + reason);
        QVERIFY(prompt.files.isEmpty());
    }

    void entryThatIsNoFilePassedOver_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("dangling link") << u"Dangling.pas"_s;
        QTest::newRow("named pipe") << u"Pipe.pas"_s;
        QTest::newRow("named pipe named like a form") << u"Pipe.dfm"_s;
    }
    void entryThatIsNoFilePassedOver()
    {
        QFETCH(QString, name);
        const QString project = path(u"no-file-"_s + name);
        QVERIFY(QDir().mkpath(project));
        const QString entry = project + u'/' + name;
        if (name.startsWith(u"Dangling"))
            QVERIFY(QFile::link(u"missing.pas"_s, entry));
        else
            QCOMPARE(mkfifo(QFile::encodeName(entry).constData(), 0600), 0);
        writeFile(project + u"/Zed.pas"_s, kUnit);
        ScriptedPrompt prompt({u"no"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Continue);
        QCOMPARE(prompt.notes, QStringList{u"not-a-file "_s + entry});
        QCOMPARE(prompt.files, QStringList{project + u"/Zed.pas"_s});
    }

    // Units reached through links to outside the project give their phrases and are never
    // written; a link to a unit inside is followed, and that unit harvested once.
    void linksOutOfTheProjectAreNotWritten()
    {
        const QString outside = path(u"links/outside"_s);
        const QString project = path(u"links/project"_s);
        QVERIFY(QDir().mkpath(outside + u"/folder"_s));
        QVERIFY(QDir().mkpath(project));
        const QByteArray far = "uses A;\nx := 'Далеко';\n";
        writeFile(outside + u"/Out.pas"_s, far);
        writeFile(outside + u"/folder/Deep.pas"_s, far);
        writeFile(project + u"/In.pas"_s, kUnit);
        QVERIFY(QFile::link(u"In.pas"_s, project + u"/Alias.pas"_s));
        QVERIFY(QFile::link(outside + u"/Out.pas"_s, project + u"/Out.pas"_s));
        QVERIFY(QFile::link(u"../outside/folder"_s, project + u"/sub"_s));
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Continue);
        QCOMPARE(prompt.log, (QStringList{u"wrap Привет"_s, u"uses OrbTranslate"_s, u"save "_s + project + u"/Alias.pas"_s,
                                          u"wrap Далеко"_s, u"wrap Далеко"_s}));
        QCOMPARE(prompt.notes, (QStringList{u"outside "_s + project + u"/Out.pas"_s,
                                            u"outside "_s + project + u"/sub/Deep.pas"_s}));
        QCOMPARE(sink.added, (QStringList{u"Привет"_s, u"Далеко"_s, u"Далеко"_s}));
        QCOMPARE(readFile(outside + u"/Out.pas"_s), far);
        QCOMPARE(readFile(outside + u"/folder/Deep.pas"_s), far);
        QCOMPARE(readFile(project + u"/In.pas"_s), QByteArray("uses A, OrbTranslate;\nx := Translate('Привет');\n"));
        QVERIFY(QFileInfo(project + u"/Alias.pas"_s).isSymLink());
    }

    // Another program saves the unit after the harvest read it: the save leaves that alone.
    void unitChangedSinceItWasReadIsNotWritten_data()
    {
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("change");
        for (const bool kept : {false, true}) {
            const char* when = kept ? "kept for later, " : "written at once, ";
            for (const char* change : {"appended", "same size, same time", "replaced", "removed"})
                QTest::addRow("%s%s", when, change) << kept << QString::fromLatin1(change);
        }
    }
    void unitChangedSinceItWasReadIsNotWritten()
    {
        QFETCH(bool, kept);
        QFETCH(QString, change);
        const QString project = path(u"changed-%1-%2"_s.arg(kept).arg(change));
        QVERIFY(QDir().mkpath(project));
        const QString unit = project + u"/A.pas"_s;
        writeFile(unit, kUnit);
        writeFile(project + u"/B.pas"_s, kUnit);
        QByteArray edited = kUnit;
        const auto editElsewhere = [&] {
            if (change == u"appended") {
                edited += "// saved in the IDE\n";
                writeFile(unit, edited);
            } else if (change == u"replaced") {
                edited = "uses B;\n";
                writeFile(unit + u".new"_s, edited);
                QCOMPARE(::rename(QFile::encodeName(unit + u".new"_s).constData(), QFile::encodeName(unit).constData()), 0);
            } else if (change == u"removed") {
                edited.clear();
                QVERIFY(QFile::remove(unit));
            } else {
                // In place, within the clock tick of the read: only the bytes tell.
                struct stat before {};
                QCOMPARE(::stat(QFile::encodeName(unit).constData(), &before), 0);
                edited.replace("uses A;", "uses Z;");
                QFile file(unit);
                QVERIFY(file.open(QIODevice::ReadWrite) && file.write(edited) == edited.size());
                file.close();
                const struct timespec times[2] = {before.st_atim, before.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(unit).constData(), times, 0), 0);
            }
        };
        ChangingPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s}, kept ? std::function<void()>() : editElsewhere);
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251"});
        if (kept)
            harvester.keepRewrites();
        QCOMPARE(orb::walkProjectDir(project, harvester), orb::HarvestStep::Continue);
        if (kept) {
            QCOMPARE(readFile(unit), kUnit); // nothing written yet
            editElsewhere();
            QCOMPARE(harvester.writeKeptRewrites(), orb::HarvestStep::Continue);
        }
        QCOMPARE(prompt.notes, QStringList{u"changed "_s + unit});
        QCOMPARE(readFile(unit), edited);
        QCOMPARE(QFileInfo::exists(unit), change != u"removed");
        // The walk went on, and the next unit was written.
        QCOMPARE(harvester.savedFiles(), QStringList{project + u"/B.pas"_s});
        QCOMPARE(readFile(project + u"/B.pas"_s), QByteArray("uses A, OrbTranslate;\nx := Translate('Привет');\n"));
    }
};

QTEST_GUILESS_MAIN(TestWizardWalk)
#include "tst_wizard_walk.moc"

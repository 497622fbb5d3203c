// Every writer on a full disk and in a folder it may not write to: a message that says so,
// the file as it was, and what was being saved still there to be saved again.

#include "EditorTestHelpers.h"
#include "wizard/Harvest.h"
#include "component/OrbTranslate.h"
#include "widgets/SettingsLocation.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QSet>
#include <QSettings>

#include <csignal>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using editortest::WindowUnderTest;

namespace {

const QString kDictionary = uR"(<?xml version="1.0" encoding="UTF-8"?>
<Varnok_translation_toolkit_dictionary_file><Languages><en Name="English"/><ru Name="Русский"/></Languages>
<Charsets><en Charset="0"/><ru Charset="204"/></Charsets>
<Item><en Message="Open"/><ru Message="Открыть"/></Item></Varnok_translation_toolkit_dictionary_file>
)"_s;

const QByteArray kUnit = "unit Unit1;\r\ninterface\r\nuses Forms;\r\nimplementation\r\n"
                         "procedure Hello; begin ShowMessage('\xcf\xf0\xe8\xe2\xe5\xf2'); end;\r\nend.\r\n";

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder in which no file may be made, root or not: root ignores permissions, so for root
// the folder is made immutable (ext4 and most Linux file systems have the flag).
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(QFile::encodeName(path))
    {
        m_locked = geteuid() == 0 ? setImmutable(true) : ::chmod(m_path.constData(), 0555) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (m_locked && geteuid() == 0)
            setImmutable(false);
        else if (m_locked)
            ::chmod(m_path.constData(), 0755);
    }
    bool locked() const { return m_locked; }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (set) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            set = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return set;
    }

    QByteArray m_path;
    bool m_locked = false;
};

// A disk on which no file grows beyond a few kilobytes: the kernel refuses, root or not.
class FullDisk
{
public:
    FullDisk()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// A user who says Yes to every question of the harvest.
class AgreeingUser : public orb::HarvestPrompt, public orb::PhraseSink
{
public:
    orb::Answer ask(orb::PromptKind, const QString&, orb::Selection&) override { return orb::Answer::Yes; }
    bool phraseExists(const QString& phrase) const override { return phrases.contains(phrase); }
    void addPhrase(const QString& phrase) override { phrases.insert(phrase); }
    QSet<QString> phrases;
};

} // namespace

class UnwritableTest : public QObject
{
    Q_OBJECT

    WindowUnderTest m_test;

    QString folder() const { return m_test.files->path(); }

    // Runs the save under the condition; false when this machine cannot make it.
    template <typename Save>
    bool underCondition(const QString& condition, Save save)
    {
        if (condition == u"full disk") {
            FullDisk disk;
            save();
            return true;
        }
        ReadOnlyFolder locked(folder());
        if (!locked.locked())
            return false;
        save();
        return true;
    }

    static void addConditions()
    {
        QTest::addColumn<QString>("condition");
        for (const char* condition : {"full disk", "read-only folder"})
            QTest::newRow(condition) << QString::fromLatin1(condition);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(m_test.start()); }
    void cleanup() { m_test.stop(); }

    void componentSaveFails_data() { addConditions(); }
    void componentSaveFails()
    {
        QFETCH(QString, condition);
        const QString path = editortest::writeTextFile(folder(), u"host.lng"_s, kDictionary);
        const QByteArray before = contents(path);
        TOrbTranslate component;
        component.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        component.DefineProperties();
        QVERIFY(component.SetLangID(u"ru"_s));
        component.Translate(u"A text the host learns"_s);
        m_test.prompter->clear();
        const QString userCopy = component.UserDictionaryPath();
        QFile::remove(userCopy); // left by a run that failed
        bool saved = true;
        if (!underCondition(condition, [&] { saved = component.SaveDictionary(); }))
            QSKIP("this machine cannot make a folder read-only for this user");
        QCOMPARE(contents(path), before);
        if (condition == u"full disk") {
            QVERIFY(!saved);
            QCOMPARE(m_test.prompter->texts(), QStringList{u"Error at saving"_s});
            QVERIFY(!QFile::exists(userCopy));
            QVERIFY(component.SaveDictionary()); // the learned text was kept for the next try
            QVERIFY(QString::fromUtf8(contents(path)).contains(u"A text the host learns"_s));
            return;
        }
        // An installed application: the user's own copy keeps what was learned, and the next
        // start reads it.
        QVERIFY(saved);
        QCOMPARE(m_test.prompter->texts(), QStringList());
        QVERIFY(QString::fromUtf8(contents(userCopy)).contains(u"A text the host learns"_s));
        TOrbTranslate next;
        next.SetDictName(component.DictName());
        QVERIFY(next.SetLangID(u"ru"_s));
        QCOMPARE(next.GetDictLang(u"en"_s)->Phrases.size(), 2);
        // An update of the installed dictionary, newer than the copy, is read instead.
        QFile copy(userCopy);
        QVERIFY(copy.open(QIODevice::ReadWrite));
        QVERIFY(copy.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        copy.close();
        next.InitDictionary();
        QCOMPARE(next.GetDictLang(u"en"_s)->Phrases.size(), 1);
        QVERIFY(QFile::remove(userCopy));
    }

    void settingsGoWhereTheUserMayWrite()
    {
        QCOMPARE(orb::settingsFilePath(folder()), folder() + u"/Settings.ini"_s);
        ReadOnlyFolder locked(folder());
        if (!locked.locked())
            QSKIP("this machine cannot make a folder read-only for this user");
        const QString path = orb::settingsFilePath(folder());
        QCOMPARE(path, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/Settings.ini"_s);
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(u"Language/Current"_s, u"en"_s);
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
    }

    void editorSaveFails_data() { addConditions(); }
    void editorSaveFails()
    {
        QFETCH(QString, condition);
        const QString path = editortest::writeTextFile(folder(), u"document.lng"_s, kDictionary);
        const QByteArray before = contents(path);
        m_test.prompter->fileAnswers << path;
        m_test.window->findChild<QAction*>(u"actOpenDict"_s)->trigger();
        QCOMPARE(m_test.window->dictFile(), QFileInfo(path).absoluteFilePath());
        m_test.window->AddPhrase(u"English(en)"_s, u"Save"_s);
        m_test.prompter->clear();
        editortest::idle(); // which enables the save
        if (!underCondition(condition, [&] { m_test.window->findChild<QAction*>(u"actSaveDict"_s)->trigger(); }))
            QSKIP("this machine cannot make a folder read-only for this user");
        QCOMPARE(m_test.prompter->messages.size(), 1);
        QCOMPARE(m_test.prompter->messages[0].icon, orb::Prompter::Icon::Error);
        const QString message = m_test.prompter->messages[0].text;
        QVERIFY2(message.contains(QFileInfo(path).absoluteFilePath() + u": "_s) && !message.endsWith(u": "_s),
                 qPrintable(message));
        QCOMPARE(contents(path), before);
        QVERIFY(m_test.window->Modified());
        QVERIFY(m_test.window->PhraseExists(u"English(en)"_s, u"Save"_s));
    }

    void wizardRewriteFails_data() { addConditions(); }
    void wizardRewriteFails()
    {
        QFETCH(QString, condition);
        const QString path = folder() + u"/Unit1.pas"_s;
        QFile unit(path);
        QVERIFY(unit.open(QIODevice::WriteOnly) && unit.write(kUnit) == kUnit.size());
        unit.close();
        AgreeingUser user;
        orb::FileHarvester harvester(user, user, {"windows-1251"});
        orb::HarvestStep step = orb::HarvestStep::Continue;
        if (!underCondition(condition, [&] { step = harvester.harvestUnit(path); }))
            QSKIP("this machine cannot make a folder read-only for this user");
        QCOMPARE(step, orb::HarvestStep::Failed);
        QVERIFY2(harvester.errorText().startsWith(path + u": "_s), qPrintable(harvester.errorText()));
        QCOMPARE(contents(path), kUnit);
        QCOMPARE(user.phrases, QSet<QString>{u"Привет"_s}); // accepted before the write failed
    }
};

QTEST_MAIN(UnwritableTest)
#include "tst_unwritable.moc"

// What every writer (the component's, the editor's, the wizard's rewrite of a unit) keeps of
// the file it replaces: its mode, the links that lead to it, a name as long as the file
// system allows; and what it refuses: a file nobody may write, one changed since it was read.

#include "dictionary/DictTable.h"
#include "component/DictionaryFile.h"
#include "dictionary/DictionaryGridIO.h"
#include "component/FileStamp.h"
#include "component/SafeFile.h"
#include "wizard/SourceFile.h"
#include "SyntheticDictionary.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

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

mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// A save of the writer's content to a path, with an optional guard.
using Save = std::function<bool(const QString& path, orb::SaveGuard* guard, QString* error)>;

} // namespace

class SaveSafetyTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<TLangDict> m_languages;
    orb::DictTable m_table;
    orb::SourceFile m_source;
    QString m_rewritten;

    Save saveOf(const QString& writer)
    {
        if (writer == u"component")
            return [this](const QString& path, orb::SaveGuard* guard, QString* error) {
                return writeDictionaryFile(m_languages, path, orb::Layout::Compact, error, guard);
            };
        if (writer == u"editor")
            return [this](const QString& path, orb::SaveGuard* guard, QString* error) {
                return writeDictionaryGrid(m_table, path, error, guard);
            };
        // The unit's rewrite takes no guard: the harvest checks its units itself.
        return [this](const QString& path, orb::SaveGuard*, QString* error) {
            return wizardtest::writeRewriteOver(path, m_source, m_rewritten, error);
        };
    }

    // The old content of a target, which each writer may replace.
    QByteArray oldContent(const QString& writer) const
    {
        return writer == u"wizard" ? m_source.bytes : "<old/>"_ba;
    }

    static void addWriters()
    {
        QTest::addColumn<QString>("writer");
        for (const char* writer : {"component", "editor", "wizard"})
            QTest::newRow(writer) << QString::fromLatin1(writer);
    }

    QString freshFolder(const QString& writer, const char* test)
    {
        const QString folder = m_dir.filePath(writer + u'-' + QLatin1String(test));
        QDir().mkpath(folder);
        return folder;
    }

    QStringList namesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_languages = orb::synthetic::makeDictionary(20, 3);
        const QString dictionary = m_dir.filePath(u"source.lng"_s);
        orb::synthetic::writeDictionary(m_languages, dictionary);
        QCOMPARE(orb::readDictionaryGrid(dictionary, m_table), orb::GridRead::Ok);
        const QString unit = m_dir.filePath(u"Unit1.pas"_s);
        writeAll(unit, "begin\r\n  ShowMessage('\xcf\xf0\xe8\xe2\xe5\xf2');\r\nend.\r\n");
        QString error;
        QVERIFY(orb::readSourceFile(unit, "windows-1251", m_source, &error));
        m_rewritten = QString(m_source.text).replace(u"ShowMessage('"_s, u"ShowMessage(Translate('"_s);
    }

    void keepsTheMode_data() { addWriters(); }
    void keepsTheMode()
    {
        QFETCH(QString, writer);
        const QString folder = freshFolder(writer, "mode");
        for (const mode_t mode : {mode_t(0600), mode_t(0664), mode_t(0640)}) {
            const QString path = folder + u"/file"_s;
            writeAll(path, oldContent(writer));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
            QString error;
            QVERIFY2(saveOf(writer)(path, nullptr, &error), qPrintable(error));
            QCOMPARE(modeOf(path) & 07777, mode);
            QVERIFY(readAll(path) != oldContent(writer));
        }
    }

    // link1 -> link2 -> real/file: the real file gets the content, both links stay links.
    void followsAChainOfLinks_data() { addWriters(); }
    void followsAChainOfLinks()
    {
        QFETCH(QString, writer);
        const QString folder = freshFolder(writer, "links");
        QDir().mkpath(folder + u"/real"_s);
        const QString real = folder + u"/real/file"_s;
        writeAll(real, oldContent(writer));
        QVERIFY(QFile::link(u"real/file"_s, folder + u"/link2"_s)); // relative, as users make them
        QVERIFY(QFile::link(folder + u"/link2"_s, folder + u"/link1"_s));
        QString error;
        QVERIFY2(saveOf(writer)(folder + u"/link1"_s, nullptr, &error), qPrintable(error));
        QVERIFY(S_ISLNK(modeOf(folder + u"/link1"_s)));
        QVERIFY(S_ISLNK(modeOf(folder + u"/link2"_s)));
        QVERIFY(readAll(real) != oldContent(writer));
        QCOMPARE(readAll(folder + u"/link1"_s), readAll(real));
        QCOMPARE(namesIn(folder + u"/real"_s), QStringList{u"file"_s});
    }

    // As long as a name may be (255 bytes), in letters of one byte and of two.
    void savesUnderTheLongestName_data()
    {
        addWriters();
    }
    void savesUnderTheLongestName()
    {
        QFETCH(QString, writer);
        const QString folder = freshFolder(writer, "long");
        for (const QString& name : {QString(255, u'a'), QString(127, u'ж') + u'b'}) {
            QCOMPARE(QFile::encodeName(name).size(), 255);
            const QString path = folder + u'/' + name;
            writeAll(path, oldContent(writer));
            QString error;
            QVERIFY2(saveOf(writer)(path, nullptr, &error), qPrintable(error));
            QVERIFY(readAll(path) != oldContent(writer));
        }
        QCOMPARE(namesIn(folder).size(), 2); // no temporary left
    }

    // The folder may be written, the file not: the rename would replace it all the same.
    void refusesAFileNobodyMayWrite_data() { addWriters(); }
    void refusesAFileNobodyMayWrite()
    {
        QFETCH(QString, writer);
        const QString folder = freshFolder(writer, "readonly");
        const QString path = folder + u"/file"_s;
        writeAll(path, oldContent(writer));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        QString error;
        QVERIFY(!saveOf(writer)(path, nullptr, &error));
        QVERIFY2(error.contains(u"Permission denied"_s), qPrintable(error));
        QCOMPARE(readAll(path), oldContent(writer));
        QCOMPARE(namesIn(folder), QStringList{u"file"_s});
    }

    void refusesAFileChangedSinceItWasRead_data()
    {
        QTest::addColumn<QString>("writer");
        for (const char* writer : {"component", "editor"})
            QTest::newRow(writer) << QString::fromLatin1(writer);
    }
    void refusesAFileChangedSinceItWasRead()
    {
        QFETCH(QString, writer);
        const QString folder = freshFolder(writer, "changed");
        const QString path = folder + u"/file"_s;
        writeAll(path, "<read/>");
        orb::SaveGuard guard = orb::SaveGuard::unchangedSince(orb::FileStamp::of(path));
        writeAll(path, "<theirs/>"); // another program's save
        QString error;
        QVERIFY(!saveOf(writer)(path, &guard, &error));
        QVERIFY(guard.changedOnDisk);
        QCOMPARE(readAll(path), "<theirs/>"_ba);
        QCOMPARE(namesIn(folder), QStringList{u"file"_s});

        // A stamp of what is there now lets the save through, and tells what it wrote.
        guard = orb::SaveGuard::unchangedSince(orb::FileStamp::of(path));
        QVERIFY2(saveOf(writer)(path, &guard, &error), qPrintable(error));
        QVERIFY(!guard.changedOnDisk);
        QCOMPARE(guard.written, orb::FileStamp::of(path));

        // A file that was not there when the save began must not be there at its end.
        const QString fresh = folder + u"/fresh"_s;
        guard = orb::SaveGuard::unchangedSince(orb::FileStamp::of(fresh));
        writeAll(fresh, "<theirs/>");
        QVERIFY(!saveOf(writer)(fresh, &guard, &error));
        QCOMPARE(readAll(fresh), "<theirs/>"_ba);
    }
};

QTEST_GUILESS_MAIN(SaveSafetyTest)
#include "tst_save_safety.moc"

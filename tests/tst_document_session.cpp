// The document's tie to its file without the main window: the model, the session and a
// prompter that answers for the user.
#include "editor/DictGridModel.h"
#include "editor/DocumentSession.h"
#include "RecordingPrompter.h"
#include "widgets/ResponsiveWork.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kDictionary =
    "<Varnok_translation_toolkit_dictionary_file><Languages><en Name=\"English\"/></Languages>"
    "<Charsets><en Charset=\"0\"/></Charsets><Item><en Message=\"Open\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>";

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

} // namespace

class TestDocumentSession : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QWidget m_owner;
    orb::RecordingPrompter m_prompter;
    orb::ResponsiveWork m_work;

private slots:
    void init() { m_prompter.clear(); }

    // Saved through a link, the file it leads to is written and the link kept; once that file
    // may not be written, the save says so, naming the file, and the changes stay.
    void savesThroughLinksAndRefusesWhatMayNotBeWritten()
    {
        const QString real = m_dir.filePath(u"real.lng"_s);
        const QString link = m_dir.filePath(u"link.lng"_s);
        writeAll(real, kDictionary);
        QVERIFY(QFile::link(real, link));
        orb::DictGridModel model;
        orb::DocumentSession session(model, &m_owner, m_work, [] { return true; });
        QVERIFY(session.open(link));
        QCOMPARE(session.file(), link);
        model.setCell(0, 1, u"Close"_s);
        QVERIFY(session.save());
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(readAll(real).contains("Close"));
        QVERIFY(m_prompter.messages.isEmpty());

        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0444) == 0);
        model.setCell(0, 1, u"Quit"_s);
        QVERIFY(!session.save());
        QCOMPARE(m_prompter.texts(), QStringList{u"Ощибка при сохранении\n"_s + link + u": Permission denied"_s});
        QVERIFY(session.modified());
        QVERIFY(readAll(real).contains("Close"));
    }

    // What the user saved elsewhere on the question about a changed file is the document's
    // file from then on; the changed one is left as the other program wrote it.
    void aChangedFileSavedElsewhereRebindsTheDocument()
    {
        const QString path = m_dir.filePath(u"changed.lng"_s);
        const QString elsewhere = m_dir.filePath(u"elsewhere.lng"_s);
        writeAll(path, kDictionary);
        orb::DictGridModel model;
        orb::DocumentSession session(model, &m_owner, m_work, [] { return true; });
        QVERIFY(session.open(path));
        writeAll(path, "theirs");
        m_prompter.answers << orb::Prompter::No;
        m_prompter.fileAnswers << elsewhere;
        QVERIFY(session.save());
        QCOMPARE(session.file(), elsewhere);
        QCOMPARE(readAll(path), "theirs"_ba);
        QVERIFY(!session.modified());
    }
};

QTEST_MAIN(TestDocumentSession)
#include "tst_document_session.moc"

// Files made to exhaust the readers: each must be read within a bounded multiple of its size
// or refused with the normal failure, never kill the process. Each read runs in a child
// process (this executable started with --read), which reports its outcome and peak memory.

#include "dictionary/DictTable.h"
#include "component/DictionaryFile.h"
#include "dictionary/DictionaryGridIO.h"
#include "dictionary/DictionaryImport.h"
#include "wizard/Harvest.h"
#include "component/PhraseTable.h"
#include "SyntheticDictionary.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

qint64 peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// What the readers need, made before the limit on memory is set, so that only the readers
// themselves can run out.
// A user who answers No to every question, with an empty dictionary column.
class DecliningUser : public orb::HarvestPrompt, public orb::PhraseSink
{
public:
    orb::Answer ask(orb::PromptKind, const QString&, orb::Selection&) override { return orb::Answer::No; }
    bool phraseExists(const QString&) const override { return false; }
    void addPhrase(const QString&) override {}
};

struct Readers
{
    DecliningUser user;
    orb::FileHarvester harvester{user, user, {"windows-1251"}};
    orb::PhraseTable phrases;
    orb::DictTable table;
    orb::ImportSource source;
    orb::ImportPlan plan;
};

// True when the reader accepted the file.
bool readWith(Readers& readers, const QString& reader, const QString& path)
{
    if (reader == u"component")
        return orb::readDictionaryFile(path, readers.phrases) == orb::ReadResult::Ok;
    if (reader == u"editor")
        return orb::readDictionaryGrid(path, readers.table) == orb::GridRead::Ok;
    if (reader == u"form")
        return readers.harvester.harvestForm(path) == orb::HarvestStep::Continue;
    if (readers.source.open(path) != orb::GridRead::Ok)
        return false;
    return readers.source.plan(readers.table, 0, 0, int(readers.source.languages().size()) - 1, readers.plan);
}

// Leaves the process that much more address space than it has now.
void limitAddressSpace(qint64 extraMiB)
{
    if (extraMiB <= 0)
        return;
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/statm");
    const rlim_t now = rlim_t(statm.readAll().split(' ').value(0).toLongLong()) * rlim_t(sysconf(_SC_PAGESIZE));
    const rlimit limit{now + (rlim_t(extraMiB) << 20), now + (rlim_t(extraMiB) << 20)};
    setrlimit(RLIMIT_AS, &limit);
}

// The child's part of a write: reads source, then writes it to target within the limit.
int writeInChild(const QString& writer, const QString& source, const QString& target, qint64 addressSpaceMiB)
{
    Readers readers;
    if (!readWith(readers, writer, source))
        return 3;
    malloc_trim(0); // what the read freed would otherwise be the write's reserve
    limitAddressSpace(addressSpaceMiB);
    const bool written = writer == u"component"
        ? writeDictionaryFile(readers.phrases.languages(), target, orb::Layout::Compact)
        : writeDictionaryGrid(readers.table, target);
    std::printf("%s\n", written ? "written" : "failed");
    return 0;
}

// The child's part: prints "read" or "refused" and the memory the read added, in KiB.
int readInChild(const QString& reader, const QString& path, qint64 addressSpaceMiB)
{
    Readers readers;
    readers.table.setColumn(0, orb::LangColumn{u"en"_s, u"English"_s, 0});
    const QByteArray outcome[] = {"refused", "read"};
    const qint64 before = peakResidentKiB();
    limitAddressSpace(addressSpaceMiB);
    const bool read = readWith(readers, reader, path);
    std::printf("%s %lld\n", outcome[read].constData(), static_cast<long long>(peakResidentKiB() - before));
    return 0;
}

struct ChildRead
{
    bool exitedNormally = false;
    QString outcome;
    qint64 addedKiB = 0;
};

ChildRead runChild(const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(600000);
    ChildRead result;
    result.exitedNormally = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    const QList<QByteArray> words = child.readAllStandardOutput().trimmed().split(' ');
    if (words.size() == 2) {
        result.outcome = QString::fromLatin1(words[0]);
        result.addedKiB = words[1].toLongLong();
    } else {
        result.outcome = QString::fromLatin1(words[0]);
    }
    return result;
}

ChildRead readInChildProcess(const QString& reader, const QString& path, qint64 addressSpaceMiB = 0)
{
    return runChild({u"--read"_s, reader, path, QString::number(addressSpaceMiB)});
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const std::function<void(QFile&)>& fill)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    fill(file);
}

QByteArray head(int languages)
{
    QByteArray names;
    QByteArray charsets;
    for (int i = 0; i < languages; ++i) {
        const QByteArray id = i == 0 ? "en"_ba : "l" + QByteArray::number(i);
        names += "<" + id + " Name=\"" + id + "\"/>";
        charsets += "<" + id + " Charset=\"0\"/>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Varnok_translation_toolkit_dictionary_file><Languages>" + names
         + "</Languages><Charsets>" + charsets + "</Charsets>";
}

const QByteArray kTail = "</Varnok_translation_toolkit_dictionary_file>\n";

void repeat(QFile& file, const QByteArray& unit, qint64 times)
{
    QByteArray block;
    for (int i = 0; i < 4096; ++i)
        block += unit;
    for (qint64 done = 0; done < times; done += 4096)
        file.write(times - done >= 4096 ? block : unit.repeated(int(times - done)));
}

} // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A dictionary of 30 MB, written once.
    QString largeDictionary()
    {
        const QString path = m_dir.filePath(u"large.lng"_s);
        if (!QFile::exists(path))
            orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(100000, 4), path);
        return path;
    }

private slots:
    void boundedOrRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mayBeRead");
        const auto addFor = [&](std::initializer_list<const char*> readers, const char* name, const char* extension,
                                bool mayBeRead, const std::function<void(QFile&)>& fill) {
            const QString path = m_dir.filePath(QString::fromLatin1(name).replace(u' ', u'-') + QString::fromLatin1(extension));
            writeFile(path, fill);
            for (const char* reader : readers)
                QTest::addRow("%s, %s", name, reader) << path << mayBeRead;
        };
        const auto add = [&](const char* name, bool mayBeRead, const std::function<void(QFile&)>& fill) {
            addFor({"component", "editor", "import"}, name, ".lng", mayBeRead, fill);
        };
        // Far larger than any dictionary: refused before anything is read (the file is sparse).
        add("gigabyte attribute", false, [](QFile& file) {
            file.write(head(1) + "<Item><en Message=\"");
            file.resize(qint64(1) << 30);
            file.seek(file.size());
            file.write("\"/></Item>" + kTail);
        });
        add("ten million empty items", true, [](QFile& file) {
            file.write(head(2));
            repeat(file, "<Item/>", 10'000'000);
            file.write(kTail);
        });
        // A billion cells, nearly all missing, in four megabytes: a grid of them is refused,
        // the import, which takes two of its languages, reads it.
        add("2000 languages of 500000 items", true, [](QFile& file) {
            file.write(head(2000));
            repeat(file, "<Item/>", 500'000);
            file.write(kTail);
        });
        add("nesting 100000 deep", true, [](QFile& file) {
            file.write(head(1) + "<Item><en Message=\"x\">");
            repeat(file, "<a>", 100'000);
            repeat(file, "</a>", 100'000);
            file.write("</en></Item>");
            repeat(file, "<b>", 100'000);
            repeat(file, "</b>", 100'000);
            file.write(kTail);
        });
        // Scanned as any other form (the harvest window refuses to show such a line).
        addFor({"form"}, "form of one 50 MB line", ".dfm", true, [](QFile& file) {
            file.write("object Form1: TForm1\n  Caption = ");
            repeat(file, "#1055'\xc6'+", 50'000'000 / 9);
            file.write("''\nend\n");
        });
    }

    void boundedOrRefused()
    {
        QFETCH(QString, file);
        QFETCH(bool, mayBeRead);
        const QString reader = QString::fromLatin1(QTest::currentDataTag()).section(u", "_s, -1);
        const ChildRead read = readInChildProcess(reader, file);
        QVERIFY2(read.exitedNormally, "the reader did not survive the file");
        QCOMPARE(read.outcome, mayBeRead ? read.outcome : u"refused"_s);
        QVERIFY(!read.outcome.isEmpty());
        // The parse tree, the cells and their texts, with room for the allocator's slack.
        const qint64 bound = 48 * QFileInfo(file).size() / 1024 + (kSanitized ? 1024 : 64) * 1024;
        qInfo("%lld KiB added for %lld bytes", read.addedKiB, QFileInfo(file).size());
        QVERIFY2(read.addedKiB <= bound, qPrintable(u"%1 KiB added for a file of %2 bytes"_s
                                                         .arg(read.addedKiB)
                                                         .arg(QFileInfo(file).size())));
    }

    // Running out of memory anywhere in a read, on either of the component's loader threads
    // included, is a failed read, not an abort.
    void exhaustedMemoryIsAFailedRead()
    {
        if (kSanitized)
            QSKIP("the address sanitizer reserves more address space than any limit here allows");
        const QString path = largeDictionary();
        int refused = 0;
        for (const QString& reader : {u"component"_s, u"editor"_s, u"import"_s}) {
            for (qint64 limitMiB = 5; limitMiB <= 160; limitMiB += 5) {
                const ChildRead read = readInChildProcess(reader, path, limitMiB);
                QVERIFY2(read.exitedNormally,
                         qPrintable(u"%1 aborted with %2 MiB of address space to spare"_s.arg(reader).arg(limitMiB)));
                refused += read.outcome == u"refused";
            }
        }
        QVERIFY2(refused > 0, "no limit was low enough to make a read fail");
    }

    // A write that runs out of memory fails with the file as it was: never a shorter file.
    void exhaustedMemoryIsAFailedWrite()
    {
        if (kSanitized)
            QSKIP("the address sanitizer reserves more address space than any limit here allows");
        const QString source = largeDictionary();
        const QString target = m_dir.filePath(u"target.lng"_s);
        for (const QString& writer : {u"component"_s, u"editor"_s}) {
            QCOMPARE(runChild({u"--write"_s, writer, source, target, u"0"_s}).outcome, u"written"_s);
            const QByteArray whole = readAll(target);
            int failed = 0;
            for (qint64 limitMiB = 1; limitMiB <= 60; limitMiB += 3) {
                QFile::remove(target);
                const ChildRead write = runChild({u"--write"_s, writer, source, target, QString::number(limitMiB)});
                QVERIFY2(write.exitedNormally,
                         qPrintable(u"%1 aborted with %2 MiB of address space to spare"_s.arg(writer).arg(limitMiB)));
                if (write.outcome == u"failed")
                    QVERIFY2(!QFile::exists(target), qPrintable(u"%1 left a file"_s.arg(writer)));
                else
                    QVERIFY2(readAll(target) == whole, qPrintable(u"%1 wrote another file"_s.arg(writer)));
                failed += write.outcome == u"failed";
            }
            QVERIFY2(failed > 0, "no limit was low enough to make a write fail");
        }
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"--read")
        return readInChild(args[2], args[3], args[4].toLongLong());
    if (args.size() == 6 && args[1] == u"--write")
        return writeInChild(args[2], args[3], args[4], args[5].toLongLong());
    HostileInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_input.moc"

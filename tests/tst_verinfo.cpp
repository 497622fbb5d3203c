// The version reader on real executables (this test's own, one built without a block, one
// whose block has no product version, the editor Translate) and on ELF files written here
// byte by byte, where every way a block or a file can be damaged is one data row.
#include "about/VerInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// What the constructor did with a file: "read", or the exception's class and message.
QString outcome(const QString& path)
{
    try {
        TVerInfoRes reader(path);
        return u"read"_s;
    } catch (const ENoVerInfoError& e) {
        return u"ENoVerInfoError: "_s + QString::fromUtf8(e.what());
    } catch (const EVerInfoError& e) {
        return u"EVerInfoError: "_s + QString::fromUtf8(e.what());
    } catch (const eNoFixeVerInfo& e) {
        return u"eNoFixeVerInfo: "_s + QString::fromUtf8(e.what());
    }
}

const QString kNoInfo = u"ENoVerInfoError: No Version Info Available."_s;
const QString kCannotObtain = u"EVerInfoError: Cannot obtain version info."_s;
const QString kNoLanguage = u"EVerInfoError: No language info."_s;
const QString kNoFixed = u"eNoFixeVerInfo: No fixed file info"_s;

// Bytes in a chosen byte order.
class Bytes
{
public:
    explicit Bytes(bool bigEndian) : m_bigEndian(bigEndian) {}

    Bytes& number(quint64 value, int width)
    {
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (m_bigEndian ? width - 1 - i : i);
            m_bytes.append(char((value >> shift) & 0xFF));
        }
        return *this;
    }
    Bytes& raw(const QByteArray& bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    bool m_bigEndian;
    QByteArray m_bytes;
};

// A version block as orb_add_version_block() lays it out, every field settable.
struct Block
{
    QByteArray magic = "ORBVERS1";
    quint32 fixedSize = 52;
    quint32 fileVersionLS = 0x00070001;
    QList<std::pair<quint16, quint16>> translations = {{0x0419, 0x04E3}};
    quint32 translationCount = 1; // as written, which a damaged block may get wrong
    QByteArray strings{};

    QByteArray bytes(bool bigEndian) const
    {
        Bytes out(bigEndian);
        out.raw(magic).number(fixedSize, 4);
        Bytes fixed(bigEndian);
        fixed.number(0xFEEF04BD, 4).number(0x00010000, 4).number(0x00010000, 4).number(fileVersionLS, 4);
        fixed.raw(QByteArray(52 - 16, '\0'));
        // A damaged size may claim more than there is; only what exists is written.
        out.raw(fixed.bytes().left(qMin<quint32>(fixedSize, 52))).number(translationCount, 4);
        for (const auto& [language, codePage] : translations)
            out.number(language, 2).number(codePage, 2);
        return out.raw(strings).bytes();
    }
};

// One string table: its name, then key and value pairs, then the empty key.
QByteArray table(const QByteArray& name, const QList<std::pair<QByteArray, QByteArray>>& pairs)
{
    QByteArray bytes = name + '\0';
    for (const auto& [key, value] : pairs)
        bytes += key + '\0' + value + '\0';
    return bytes + '\0';
}

QByteArray standardStrings()
{
    return table("041904E3", {{"FileDescription", "Описание программы"},
                              {"FileVersion", "2.5.7.1"},
                              {"ProductVersion", "2.5"}})
           + '\0';
}

// An ELF file whose only content is one section; the fields a damaged file gets wrong can be
// overridden. Layout: header, section headers (null, names, the section), names, section.
struct Elf
{
    bool is64 = true;
    bool bigEndian = false;
    char elfClass = 0; // 0: from is64
    QByteArray sectionName = ".orb_version";
    quint32 sectionType = 1; // SHT_PROGBITS
    QByteArray section{};
    std::optional<quint64> sectionSize{}; // as written, when not section.size()
    std::optional<quint64> shoff{};
    std::optional<quint16> namesIndex{};

    QByteArray bytes() const
    {
        const int width = is64 ? 8 : 4;
        const qsizetype headerSize = is64 ? 64 : 52;
        const qsizetype entrySize = is64 ? 64 : 40;
        const QByteArray names = QByteArray(1, '\0') + ".shstrtab" + '\0' + sectionName + '\0';
        const quint64 namesOffset = headerSize + 3 * entrySize;
        const quint64 sectionOffset = namesOffset + names.size();

        Bytes out(bigEndian);
        out.raw("\x7F" "ELF").number(elfClass ? elfClass : (is64 ? 2 : 1), 1)
            .number(bigEndian ? 2 : 1, 1).number(1, 1).raw(QByteArray(9, '\0'));
        out.number(2, 2).number(62, 2).number(1, 4);             // type, machine, version
        out.number(0, width).number(0, width);                   // entry, program headers
        out.number(shoff.value_or(headerSize), width);           // section headers
        out.number(0, 4).number(headerSize, 2).number(0, 2).number(0, 2); // flags, sizes
        out.number(entrySize, 2).number(3, 2).number(namesIndex.value_or(1), 2);

        auto sectionHeader = [&](quint32 name, quint32 type, quint64 offset, quint64 size) {
            const qsizetype start = out.bytes().size();
            out.number(name, 4).number(type, 4).number(0, width).number(0, width)
                .number(offset, width).number(size, width);
            while (out.bytes().size() - start < entrySize)
                out.number(0, 1);
        };
        sectionHeader(0, 0, 0, 0);
        sectionHeader(1, 3, namesOffset, quint64(names.size())); // SHT_STRTAB
        sectionHeader(11, sectionType, sectionOffset, sectionSize.value_or(section.size()));
        return out.raw(names).raw(section).bytes();
    }
};

} // namespace

class TestVerInfo : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void ownExecutable()
    {
        TVerInfoRes reader(QCoreApplication::applicationFilePath());
        QCOMPARE(reader.FileName(), QCoreApplication::applicationFilePath());
        QCOMPARE(reader.GetVerValue(orb::vkFileDescription), u"Varnok Translation Toolkit"_s);
        QCOMPARE(reader.GetVerValue(orb::vkProductName), u"Varnok Translation Toolkit"_s);
        QCOMPARE(reader.GetVerValue(orb::vkFileVersion), QStringLiteral(ORB_PROJECT_VERSION));
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), QStringLiteral(ORB_PRODUCT_VERSION));
        QCOMPARE(reader.GetVerValue(orb::vkInternalName), u"tst_verinfo"_s);
        QCOMPARE(reader.GetVerValue(orb::vkCompanyName), QString());
        QCOMPARE(reader.GetVerValue(orb::vkComments), QString());
        QCOMPARE(reader.GetFileBuild(), quint16(ORB_PROJECT_VERSION_TWEAK));
    }

    // The released numbers, as the About box must show them.
    void projectVersionIsTheReleasedOne()
    {
        TVerInfoRes reader(QCoreApplication::applicationFilePath());
        QCOMPARE(reader.GetVerValue(orb::vkFileVersion), u"1.0.0.1"_s);
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), u"1.0"_s);
        QCOMPARE(reader.GetFileBuild(), quint16(1));
    }

    void keyTable()
    {
        QCOMPARE(orb::vkKeyCount, 10);
        QCOMPARE(QString(orb::kVerKeyNames[orb::vkCompanyName]), u"CompanyName"_s);
        QCOMPARE(QString(orb::kVerKeyNames[orb::vkProductVersion]), u"ProductVersion"_s);
        QCOMPARE(QString(orb::kVerKeyNames[orb::vkComments]), u"Comments"_s);
    }

    void indexOutsideKeyTableGivesEmptyText()
    {
        TVerInfoRes reader(QCoreApplication::applicationFilePath());
        QCOMPARE(reader.GetVerValue(-1), QString());
        QCOMPARE(reader.GetVerValue(orb::vkKeyCount), QString());
    }

    void programReaderIsReadOnce()
    {
        const TVerInfoRes* reader = orb::programVerInfo();
        QVERIFY(reader);
        QCOMPARE(reader->FileName(), QCoreApplication::applicationFilePath());
        QCOMPARE(reader->GetVerValue(orb::vkFileDescription), u"Varnok Translation Toolkit"_s);
        QCOMPARE(orb::programVerInfo(), reader);
    }

    void blockWithoutProductVersion()
    {
        TVerInfoRes reader(QStringLiteral(ORB_NOPRODUCT_EXECUTABLE));
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), QString());
        QCOMPARE(reader.GetVerValue(orb::vkFileDescription), u"Varnok Translation Toolkit"_s);
        QCOMPARE(reader.GetFileBuild(), quint16(ORB_PROJECT_VERSION_TWEAK));
    }

    void editorExecutable()
    {
        TVerInfoRes reader(QStringLiteral(ORB_EDITOR_EXECUTABLE));
        QCOMPARE(reader.GetVerValue(orb::vkFileDescription), u"Varnok Translation Toolkit"_s);
        QCOMPARE(reader.GetVerValue(orb::vkFileVersion), u"1.0.0.1"_s);
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), u"1.0"_s);
        QCOMPARE(reader.GetVerValue(orb::vkInternalName), u"Translate"_s);
        QCOMPARE(reader.GetFileBuild(), quint16(1));
    }

    // The program answers --version from its own version, with no display to open windows on.
    void editorTellsItsVersionWithoutADisplay()
    {
        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"QT_QPA_PLATFORM"_s);
        editor.setProcessEnvironment(environment);
        editor.start(QStringLiteral(ORB_EDITOR_EXECUTABLE), {u"--version"_s});
        QVERIFY(editor.waitForFinished());
        QCOMPARE(editor.exitCode(), 0);
        QCOMPARE(editor.readAllStandardOutput(), QByteArray("Translate " ORB_PROJECT_VERSION "\n"));
    }

    void filesWithoutBlock_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text file") << QByteArray("<?xml version=\"1.0\"?><Languages/>\n");
        QTest::newRow("ELF magic only") << QByteArray("\x7F" "ELF");
        QTest::newRow("executable cut after 100 bytes") << executablePrefix(100);
        QTest::newRow("executable cut in half") << executablePrefix(ownExecutableSize() / 2);
        QTest::newRow("executable without its last byte")
            << executablePrefix(ownExecutableSize() - 1);
    }

    void filesWithoutBlock()
    {
        QFETCH(QByteArray, contents);
        QCOMPARE(outcome(write(contents)), kNoInfo);
    }

    void missingFile() { QCOMPARE(outcome(m_dir.filePath(u"absent"_s)), kNoInfo); }

    void executableBuiltWithoutBlock()
    {
        QCOMPARE(outcome(QStringLiteral(ORB_PLAIN_EXECUTABLE)), kNoInfo);
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("expected");

        const Block good{.strings = standardStrings()};
        QTest::newRow("ELF64, little-endian") << elf(good) << u"read"_s;
        QTest::newRow("ELF32, big-endian") << elf(good, false, true) << u"read"_s;

        Elf otherName{.section = good.bytes(false)};
        otherName.sectionName = ".orb_versionx";
        QTest::newRow("no section of that name") << otherName.bytes() << kNoInfo;
        QTest::newRow("empty section") << Elf{}.bytes() << kNoInfo;
        Elf noBits{.sectionType = 8, .section = good.bytes(false)};
        QTest::newRow("section without file bytes") << noBits.bytes() << kNoInfo;
        Elf farHeaders{.section = good.bytes(false), .shoff = 1ull << 40};
        QTest::newRow("section headers beyond the end") << farHeaders.bytes() << kNoInfo;
        Elf badNames{.section = good.bytes(false), .namesIndex = 7};
        QTest::newRow("names section out of range") << badNames.bytes() << kNoInfo;
        Elf badClass{.elfClass = 3, .section = good.bytes(false)};
        QTest::newRow("unknown ELF class") << badClass.bytes() << kNoInfo;

        const QByteArray whole = elf(good);
        QTest::newRow("block cut off") << whole.left(whole.size() - 10) << kCannotObtain;
        Elf huge{.section = good.bytes(false), .sectionSize = 1ull << 62};
        QTest::newRow("section size beyond the file") << huge.bytes() << kCannotObtain;
        Elf oversized{.section = good.bytes(false) + QByteArray(0x10000, '\0')};
        QTest::newRow("section larger than a version block") << oversized.bytes() << kCannotObtain;
        Block badMagic = good;
        badMagic.magic = "ORBVERS9";
        QTest::newRow("not a version block") << elf(badMagic) << kCannotObtain;

        Block noTranslation = good;
        noTranslation.translations.clear();
        noTranslation.translationCount = 0;
        QTest::newRow("no translation") << elf(noTranslation) << kNoLanguage;
        Block countTooLarge = good;
        countTooLarge.translationCount = 100000;
        QTest::newRow("translation list beyond the block") << elf(countTooLarge) << kNoLanguage;
        Block fixedTooLarge = good;
        fixedTooLarge.fixedSize = 0xFFFFFFF0u;
        QTest::newRow("fixed information beyond the block") << elf(fixedTooLarge) << kNoLanguage;

        Block shortFixed = good;
        shortFixed.fixedSize = 40;
        QTest::newRow("fixed information too short") << elf(shortFixed) << kNoFixed;
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        QCOMPARE(outcome(write(contents)), expected);
    }

    void valuesInEitherByteOrder_data()
    {
        QTest::addColumn<bool>("is64");
        QTest::addColumn<bool>("bigEndian");
        QTest::newRow("ELF64, little-endian") << true << false;
        QTest::newRow("ELF64, big-endian") << true << true;
        QTest::newRow("ELF32, little-endian") << false << false;
        QTest::newRow("ELF32, big-endian") << false << true;
    }

    void valuesInEitherByteOrder()
    {
        QFETCH(bool, is64);
        QFETCH(bool, bigEndian);
        const Block block{.fileVersionLS = 0x00071234, .strings = standardStrings()};
        TVerInfoRes reader(write(elf(block, is64, bigEndian)));
        QCOMPARE(reader.GetVerValue(orb::vkFileDescription), u"Описание программы"_s);
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), u"2.5"_s);
        QCOMPARE(reader.GetVerValue(orb::vkCompanyName), QString());
        // The build is the low half of the less significant number only.
        QCOMPARE(reader.GetFileBuild(), quint16(0x1234));
    }

    // The values come from the table of the first translation, found by its upper-case name.
    void tableOfTheFirstTranslation()
    {
        Block block;
        block.translations = {{0x0409, 0x04B0}, {0x0419, 0x04E3}};
        block.translationCount = 2;
        block.strings = table("041904E3", {{"ProductVersion", "ru"}})
                        + table("040904b0", {{"ProductVersion", "lower"}})
                        + table("040904B0", {{"ProductVersion", "en"}}) + '\0';
        TVerInfoRes reader(write(elf(block)));
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), u"en"_s);
    }

    void noTableForTheTranslation()
    {
        const Block block{.strings = table("040904B0", {{"ProductVersion", "en"}}) + '\0'};
        TVerInfoRes reader(write(elf(block)));
        QCOMPARE(reader.GetVerValue(orb::vkProductVersion), QString());
    }

    void unterminatedStringsGiveEmptyText()
    {
        const Block block{.strings = QByteArray("041904E3\0FileDescription\0Varnok", 31)};
        TVerInfoRes reader(write(elf(block)));
        QCOMPARE(reader.GetVerValue(orb::vkFileDescription), QString());
        QCOMPARE(reader.GetFileBuild(), quint16(1));
    }

private:
    static QByteArray elf(const Block& block, bool is64 = true, bool bigEndian = false)
    {
        return Elf{.is64 = is64, .bigEndian = bigEndian, .section = block.bytes(bigEndian)}.bytes();
    }

    static qsizetype ownExecutableSize()
    {
        return QFileInfo(QCoreApplication::applicationFilePath()).size();
    }

    static QByteArray executablePrefix(qsizetype size)
    {
        QFile file(QCoreApplication::applicationFilePath());
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the test executable");
        return file.read(size);
    }

    QString write(const QByteArray& contents)
    {
        const QString path = m_dir.filePath(u"file%1"_s.arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            qFatal("cannot write the test file");
        return path;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

QTEST_GUILESS_MAIN(TestVerInfo)
#include "tst_verinfo.moc"

#include "about/VerInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Layout of the block; cmake/VersionBlock.cpp.in writes it.
constexpr QByteArrayView kMagic("ORBVERS1", 8);
constexpr qsizetype kFixedSizeOffset = 8;
constexpr qsizetype kFixedOffset = 12;
constexpr qsizetype kMinFixedSize = 52;
constexpr qsizetype kTranslationSize = 4;
constexpr quint64 kMaxBlockSize = 0xFFFF;
// Fixed file information: the less significant half of the file version, a.b.c.d's c.d.
constexpr qsizetype kFileVersionLSOffset = 12;

const QByteArrayView kSectionName(".orb_version");

// Where a section's bytes lie in an ELF file.
struct Section
{
    quint64 offset = 0;
    quint64 size = 0;
    bool bigEndian = false;
};

// Reads exactly size bytes at offset, or nothing: a short read means the file is cut off.
std::optional<QByteArray> readExactly(QFile& file, quint64 offset, quint64 size)
{
    const quint64 fileSize = quint64(file.size());
    if (offset > fileSize || size > fileSize - offset || !file.seek(qint64(offset)))
        return std::nullopt;
    QByteArray bytes = file.read(qint64(size));
    if (quint64(bytes.size()) != size)
        return std::nullopt;
    return bytes;
}

// Decodes the numbers of an ELF header or section header in the file's byte order. Every
// access is checked against the bytes at hand, so a damaged file reads as "no section".
class ElfBytes
{
public:
    ElfBytes(QByteArrayView bytes, bool bigEndian) : m_bytes(bytes), m_bigEndian(bigEndian) {}

    // The unsigned number of width 2, 4 or 8 at offset, or nothing past the end.
    std::optional<quint64> number(qsizetype offset, int width) const
    {
        if (offset < 0 || offset + width > m_bytes.size())
            return std::nullopt;
        const uchar* p = reinterpret_cast<const uchar*>(m_bytes.data()) + offset;
        switch (width) {
        case 2:
            return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
        case 4:
            return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        default:
            return m_bigEndian ? qFromBigEndian<quint64>(p) : qFromLittleEndian<quint64>(p);
        }
    }

private:
    QByteArrayView m_bytes;
    bool m_bigEndian;
};

// Where the ELF fields this reader needs lie, for 32-bit and 64-bit files.
struct ElfLayout
{
    qsizetype headerSize;
    qsizetype shoff;
    int addressWidth;
    qsizetype shentsize, shnum, shstrndx;
    qsizetype minEntrySize;
    qsizetype shName, shType, shOffset, shSize, shLink;
};

constexpr ElfLayout kElf32{52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 0x00, 0x04, 0x10, 0x14, 0x18};
constexpr ElfLayout kElf64{64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 0x00, 0x04, 0x18, 0x20, 0x28};

constexpr quint32 kSectionNoBits = 8;   // SHT_NOBITS: a section with no bytes in the file
constexpr quint64 kExtendedIndex = 0xFFFF; // SHN_XINDEX: the real index is in section 0

// Finds the version block's section through the ELF section headers. Nothing for a file that
// is no ELF file, is cut off before its section headers end, or has no such section.
std::optional<Section> findVersionSection(QFile& file)
{
    const std::optional<QByteArray> ident = readExactly(file, 0, 16);
    if (!ident || !ident->startsWith("\x7F" "ELF"))
        return std::nullopt;
    const char elfClass = ident->at(4);
    const char byteOrder = ident->at(5);
    if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2))
        return std::nullopt;
    const ElfLayout& layout = elfClass == 1 ? kElf32 : kElf64;
    const bool bigEndian = byteOrder == 2;

    const std::optional<QByteArray> headerBytes = readExactly(file, 0, quint64(layout.headerSize));
    if (!headerBytes)
        return std::nullopt;
    const ElfBytes header(*headerBytes, bigEndian);
    const quint64 shoff = *header.number(layout.shoff, layout.addressWidth);
    const quint64 entrySize = *header.number(layout.shentsize, 2);
    quint64 count = *header.number(layout.shnum, 2);
    quint64 namesIndex = *header.number(layout.shstrndx, 2);
    if (shoff == 0 || entrySize < quint64(layout.minEntrySize))
        return std::nullopt;

    // Files with very many sections keep the real count and names index in section 0.
    if (count == 0 || namesIndex == kExtendedIndex) {
        const std::optional<QByteArray> first = readExactly(file, shoff, entrySize);
        if (!first)
            return std::nullopt;
        const ElfBytes zero(*first, bigEndian);
        if (count == 0)
            count = *zero.number(layout.shSize, layout.addressWidth);
        if (namesIndex == kExtendedIndex)
            namesIndex = *zero.number(layout.shLink, 4);
    }
    if (count == 0 || count > quint64(file.size()) / entrySize || namesIndex >= count)
        return std::nullopt;

    const std::optional<QByteArray> tableBytes = readExactly(file, shoff, count * entrySize);
    if (!tableBytes)
        return std::nullopt;
    const ElfBytes table(*tableBytes, bigEndian);
    auto field = [&](quint64 index, qsizetype fieldOffset, int width) {
        return *table.number(qsizetype(index * entrySize) + fieldOffset, width);
    };

    const std::optional<QByteArray> names =
        readExactly(file, field(namesIndex, layout.shOffset, layout.addressWidth),
                    field(namesIndex, layout.shSize, layout.addressWidth));
    if (!names)
        return std::nullopt;
    for (quint64 i = 0; i < count; ++i) {
        const quint64 nameOffset = field(i, layout.shName, 4);
        if (nameOffset >= quint64(names->size()))
            continue;
        const QByteArrayView rest = QByteArrayView(*names).sliced(qsizetype(nameOffset));
        const qsizetype end = rest.indexOf('\0');
        if (end < 0 || rest.first(end) != kSectionName)
            continue;
        if (field(i, layout.shType, 4) == kSectionNoBits)
            return std::nullopt;
        return Section{field(i, layout.shOffset, layout.addressWidth),
                       field(i, layout.shSize, layout.addressWidth), bigEndian};
    }
    return std::nullopt;
}

// The zero-terminated text at offset and the offset after its terminator, or nothing when the
// terminator is missing.
std::optional<std::pair<QByteArrayView, qsizetype>> cString(QByteArrayView data, qsizetype offset)
{
    if (offset >= data.size())
        return std::nullopt;
    const qsizetype end = data.indexOf('\0', offset);
    if (end < 0)
        return std::nullopt;
    return std::pair{data.sliced(offset, end - offset), end + 1};
}

} // namespace

TVerInfoRes::TVerInfoRes(const QString& fileName) : FFileName(fileName)
{
    QFile file(fileName);
    const std::optional<Section> section =
        file.open(QIODevice::ReadOnly) ? findVersionSection(file) : std::nullopt;
    if (!section || section->size == 0)
        throw ENoVerInfoError("No Version Info Available.");
    // A version resource is at most 64 KiB (its length field has 16 bits); anything larger is
    // not one, and reading it would only cost memory.
    if (section->size > kMaxBlockSize)
        throw EVerInfoError("Cannot obtain version info.");

    const std::optional<QByteArray> data = readExactly(file, section->offset, section->size);
    if (!data || !data->startsWith(kMagic))
        throw EVerInfoError("Cannot obtain version info.");
    FData = *data;
    FBigEndian = section->bigEndian;

    QByteArrayView value;
    if (!QueryValue(u"\\VarFileInfo\\Translation", &value) || value.size() < kTranslationSize)
        throw EVerInfoError("No language info.");
    FTranslation = value.data() - FData.constData();

    if (!QueryValue(u"\\", &value) || value.size() < kMinFixedSize)
        throw eNoFixeVerInfo("No fixed file info");
    FFixedInfo = value.data() - FData.constData();
}

QString TVerInfoRes::GetVerValue(int index) const
{
    if (index < 0 || index >= orb::vkKeyCount)
        return {};
    auto hex4 = [](quint16 number) {
        return QString::number(number, 16).toUpper().rightJustified(4, u'0');
    };
    const QString path = u"\\StringFileInfo\\"_s + hex4(Number16(FTranslation))
                         + hex4(Number16(FTranslation + 2)) + u'\\' + orb::kVerKeyNames[index];
    QByteArrayView value;
    if (!QueryValue(path, &value))
        return {};
    return QString::fromUtf8(value);
}

quint16 TVerInfoRes::GetFileBuild() const
{
    return quint16(Number32(FFixedInfo + kFileVersionLSOffset) & 0xFFFF);
}

QString TVerInfoRes::FileName() const
{
    return FFileName;
}

bool TVerInfoRes::QueryValue(QStringView path, QByteArrayView* value) const
{
    const QByteArrayView data(FData);
    if (data.size() < kFixedOffset)
        return false;
    const qsizetype fixedSize = Number32(kFixedSizeOffset);
    if (fixedSize > data.size() - kFixedOffset)
        return false;
    if (path == u"\\") {
        *value = data.sliced(kFixedOffset, fixedSize);
        return true;
    }

    const qsizetype countOffset = kFixedOffset + fixedSize;
    if (countOffset + 4 > data.size())
        return false;
    const qsizetype translations = countOffset + 4;
    const quint64 count = Number32(countOffset);
    if (count == 0 || count > quint64(data.size() - translations) / kTranslationSize)
        return false;
    if (path == u"\\VarFileInfo\\Translation") {
        *value = data.sliced(translations, qsizetype(count) * kTranslationSize);
        return true;
    }

    const QStringView prefix = u"\\StringFileInfo\\";
    if (!path.startsWith(prefix))
        return false;
    const QStringView rest = path.sliced(prefix.size());
    const qsizetype separator = rest.indexOf(u'\\');
    if (separator < 0)
        return false;
    return QueryString(rest.first(separator), rest.sliced(separator + 1), value);
}

bool TVerInfoRes::QueryString(QStringView table, QStringView key, QByteArrayView* value) const
{
    const QByteArrayView data(FData);
    // QueryValue has checked the fixed information and the translation list before this.
    const qsizetype translations = kFixedOffset + Number32(kFixedSizeOffset) + 4;
    qsizetype offset = translations + qsizetype(Number32(translations - 4)) * kTranslationSize;
    // Tables follow each other until an empty name; a text without terminator ends the search.
    for (;;) {
        const auto name = cString(data, offset);
        if (!name || name->first.isEmpty())
            return false;
        offset = name->second;
        const bool wanted = QString::fromUtf8(name->first) == table;
        for (;;) {
            const auto entryKey = cString(data, offset);
            if (!entryKey)
                return false;
            offset = entryKey->second;
            if (entryKey->first.isEmpty())
                break;
            const auto entryValue = cString(data, offset);
            if (!entryValue)
                return false;
            offset = entryValue->second;
            if (wanted && QString::fromUtf8(entryKey->first) == key) {
                *value = entryValue->first;
                return true;
            }
        }
        if (wanted)
            return false;
    }
}

quint32 TVerInfoRes::Number32(qsizetype offset) const
{
    const uchar* p = reinterpret_cast<const uchar*>(FData.constData()) + offset;
    return FBigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
}

quint16 TVerInfoRes::Number16(qsizetype offset) const
{
    const uchar* p = reinterpret_cast<const uchar*>(FData.constData()) + offset;
    return FBigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
}

const TVerInfoRes* orb::programVerInfo()
{
    static const std::unique_ptr<const TVerInfoRes> reader = []() -> std::unique_ptr<const TVerInfoRes> {
        try {
            return std::make_unique<const TVerInfoRes>(QCoreApplication::applicationFilePath());
        } catch (const std::runtime_error&) {
            return nullptr;
        }
    }();
    return reader.get();
}

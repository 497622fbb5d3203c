#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <stdexcept>

// Failures of TVerInfoRes's constructor; what() is the message. None derives from another,
// so catching one of them never catches the others.
class EVerInfoError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class ENoVerInfoError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class eNoFixeVerInfo : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

namespace orb {

// Indexes into kVerKeyNames, the argument of TVerInfoRes::GetVerValue.
enum VerKey : int {
    vkCompanyName,
    vkFileDescription,
    vkFileVersion,
    vkInternalName,
    vkLegalCopyright,
    vkLegalTrademarks,
    vkOriginalFilename,
    vkProductName,
    vkProductVersion,
    vkComments,
    vkKeyCount
};

// The key table: the standard string names of a version block, indexed by VerKey.
inline constexpr QLatin1String kVerKeyNames[vkKeyCount] = {
    QLatin1String("CompanyName"),     QLatin1String("FileDescription"),
    QLatin1String("FileVersion"),     QLatin1String("InternalName"),
    QLatin1String("LegalCopyright"),  QLatin1String("LegalTrademarks"),
    QLatin1String("OriginalFilename"), QLatin1String("ProductName"),
    QLatin1String("ProductVersion"),  QLatin1String("Comments"),
};

} // namespace orb

// The version block of an executable file, the one orb_add_version_block()
// (cmake/VersionBlock.cmake) builds into the ".orb_version" section of an ELF file.
class TVerInfoRes
{
public:
    // Reads the file's version block at once. Throws ENoVerInfoError "No Version Info
    // Available." when the file cannot be opened, is no ELF file, or has no version block;
    // EVerInfoError "Cannot obtain version info." when the block is cut off or is no version
    // block, "No language info." when it lists no translation; eNoFixeVerInfo "No fixed file
    // info" when its fixed file information is shorter than 52 bytes.
    explicit TVerInfoRes(const QString& fileName);

    // The string named kVerKeyNames[index] in the table of the first translation; empty when
    // the block has no such string or index is outside the key table.
    QString GetVerValue(int index) const;
    // The build: the fourth number d of the file version a.b.c.d.
    quint16 GetFileBuild() const;
    // The file the block was read from, as given to the constructor.
    QString FileName() const;

private:
    // The value at a query path, as the version resource's own queries name them: "\" (the
    // fixed file information), "\VarFileInfo\Translation" or
    // "\StringFileInfo\<language><code page>\<key>". False when there is none.
    bool QueryValue(QStringView path, QByteArrayView* value) const;
    bool QueryString(QStringView table, QStringView key, QByteArrayView* value) const;
    // A 32-bit or 16-bit number of the block at offset, in the file's byte order; the caller
    // has checked that it lies inside the block.
    quint32 Number32(qsizetype offset) const;
    quint16 Number16(qsizetype offset) const;

    QString FFileName;
    QByteArray FData;
    bool FBigEndian = false;
    // Offsets into FData of the first translation entry and of the fixed file information.
    qsizetype FTranslation = 0;
    qsizetype FFixedInfo = 0;
};

namespace orb {

// The version block of the running program's own executable, read on the first call and kept
// until the program ends (call it in main, once the application object exists, to read it at
// start-up); nullptr when the
// executable has no usable block, so that a damaged file costs the About box its texts rather
// than the program its start.
const TVerInfoRes* programVerInfo();

} // namespace orb

#include "wizard/SourceFile.h"

#include "component/SafeFile.h"
#include "wizard/UnifiedDiff.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>

#endif

namespace orb {

using namespace Qt::StringLiterals;

namespace {

const QByteArray kUtf8 = QByteArrayLiteral("UTF-8");
const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

bool isBinaryForm(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\x0A") || bytes.startsWith("TPF0");
}

// Turns every line end of the text (CR LF, LF or CR) into LF in place, and notes each as it was.
// Lines move as a whole, and not at all while no CR LF has been met.
void splitLineEnds(QString& text, QByteArray& lineEnds)
{
    lineEnds.clear();
    QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    QChar* out = begin;
    const QChar* line = begin;
    while (line != end) {
        const QChar* lineEnd = line;
        while (lineEnd != end && *lineEnd != u'\r' && *lineEnd != u'\n')
            ++lineEnd;
        if (out != line)
            std::copy(line, lineEnd, out);
        out += lineEnd - line;
        if (lineEnd == end)
            break;
        const bool crLf = *lineEnd == u'\r' && lineEnd + 1 != end && lineEnd[1] == u'\n';
        lineEnds.append(crLf ? 'R' : *lineEnd == u'\r' ? 'r' : 'n');
        *out++ = u'\n';
        line = lineEnd + (crLf ? 2 : 1);
    }
    text.truncate(out - begin);
}

// The text with each LF given back the line end it had in the file.
QString joinLineEnds(QStringView text, const QByteArray& lineEnds)
{
    QString joined;
    joined.reserve(text.size() + lineEnds.count('R'));
    qsizetype lineStart = 0;
    for (const char lineEnd : lineEnds) {
        const qsizetype lineBreak = text.indexOf(u'\n', lineStart);
        joined.append(text.sliced(lineStart, lineBreak - lineStart));
        joined.append(lineEnd == 'R' ? QStringView(u"\r\n") : lineEnd == 'r' ? QStringView(u"\r") : QStringView(u"\n"));
        lineStart = lineBreak + 1;
    }
    joined.append(text.sliced(lineStart));
    return joined;
}

// Decodes valid UTF-8 (the byte-order mark stripped and noted), or nothing.
bool decodeUtf8(const QByteArray& bytes, QString& decoded, bool& byteOrderMark)
{
    byteOrderMark = bytes.startsWith(kByteOrderMark);
    const QByteArrayView body = QByteArrayView(bytes).sliced(byteOrderMark ? kByteOrderMark.size() : 0);
    if (!body.isValidUtf8())
        return false;
    // A second mark after the first is text, kept so that it is written back.
    decoded = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom).decode(body);
    return true;
}

// Valid UTF-8 always comes back; a legacy code page may have decoded bytes it leaves undefined
// into a replacement, or dropped an incomplete character at the end.
bool encodesBackFaithfully(const SourceFile& file)
{
    return QByteArray(QStringEncoder(file.encoding.constData()).encode(joinLineEnds(file.text, file.lineEnds)))
        == file.bytes;
}

// The line ends with one for a line break added at index: its neighbour's.
QByteArray withAddedLineBreak(QByteArray lineEnds, qsizetype index)
{
    if (index < 0)
        return lineEnds;
    index = std::min<qsizetype>(index, lineEnds.size());
    const char neighbour = index < lineEnds.size() ? lineEnds[index] : lineEnds.isEmpty() ? 'n' : lineEnds.back();
    lineEnds.insert(index, neighbour);
    return lineEnds;
}

// Whether the file is still the one read: the same stamp (so no save replaced it) and the
// same bytes (a save within the clock tick of the read leaves the stamp as it was).
bool stillAsRead(const SourceRewrite& rewrite)
{
    if (orb::FileStamp::of(rewrite.path) != rewrite.stamp)
        return false;
    if (!rewrite.stamp.exists)
        return true; // there was no file, and there is none
    QFile now(rewrite.path);
    return now.open(QIODevice::ReadOnly) && now.readAll() == rewrite.original;
}

QString changedOnDiskText()
{
    return QStringLiteral("changed on disk since it was read; not replaced, so that those changes are kept");
}

} // namespace

QStringList legacyEncodings()
{
    return {QStringLiteral("windows-1251"), QStringLiteral("windows-1250"),
            QStringLiteral("windows-1252"), QStringLiteral("KOI8-R"), QStringLiteral("ISO-8859-5")};
}

bool readSourceFile(const QString& path, const QByteArray& legacyEncoding, SourceFile& file,
                    QString* error)
{
    // A named pipe or a device would keep the harvest waiting for data that never comes.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = QStringLiteral("not a regular file");
        return false;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read: %1").arg(in.errorString());
        return false;
    }
    // Before the bytes are read: a save that lands while they are read changes the stamp.
    file.stamp = orb::FileStamp::ofDescriptor(int(in.handle()));
    if (in.size() > kMaxSourceFileBytes) {
        *error = QStringLiteral("too large to show (%1 bytes, at most %2)")
                     .arg(in.size()).arg(kMaxSourceFileBytes);
        return false;
    }
    file.bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot read: %1").arg(in.errorString());
        return false;
    }

    file.binaryForm = isBinaryForm(file.bytes);
    if (decodeUtf8(file.bytes, file.text, file.byteOrderMark)) {
        file.encoding = kUtf8;
    } else {
        QStringDecoder decoder(legacyEncoding.constData());
        if (!decoder.isValid()) {
            *error = QStringLiteral("unknown code page %1").arg(QString::fromLatin1(legacyEncoding));
            return false;
        }
        file.text = decoder.decode(file.bytes);
        file.encoding = legacyEncoding;
        file.byteOrderMark = false;
    }
    splitLineEnds(file.text, file.lineEnds);
    return true;
}

bool prepareRewrite(const QString& path, const SourceFile& file, const QString& text, SourceRewrite& rewrite,
                    QString* error, qsizetype addedLineBreak)
{
    if (file.encoding != kUtf8 && !encodesBackFaithfully(file)) {
        *error = QStringLiteral("not replaced: its bytes do not all decode in %1, "
                                "and writing it back would change them")
                     .arg(QString::fromLatin1(file.encoding));
        return false;
    }
    const QByteArray lineEnds = withAddedLineBreak(file.lineEnds, addedLineBreak);
    if (text.count(u'\n') != lineEnds.size()) {
        *error = QStringLiteral("not replaced: the rewritten text has %1 line breaks, the file %2")
                     .arg(text.count(u'\n')).arg(lineEnds.size());
        return false;
    }
    QStringEncoder encoder(file.encoding.constData());
    QByteArray bytes = encoder.encode(joinLineEnds(text, lineEnds));
    if (encoder.hasError()) {
        *error = QStringLiteral("not replaced: the text cannot be written in %1")
                     .arg(QString::fromLatin1(file.encoding));
        return false;
    }
    if (file.byteOrderMark)
        bytes.prepend(kByteOrderMark);
    rewrite = {path, file.encoding, file.stamp, file.bytes, bytes};
    return true;
}

RewriteOutcome writeRewrite(const SourceRewrite& rewrite, QString* error)
{
    if (!stillAsRead(rewrite)) {
        *error = changedOnDiskText();
        return RewriteOutcome::ChangedOnDisk;
    }
    orb::SafeFile out(rewrite.path);
    out.requireUnchanged(rewrite.stamp);
    if (out.open() && out.write(rewrite.replacement.constData(), rewrite.replacement.size()) && out.commit())
        return RewriteOutcome::Written;
    if (out.changedOnDisk()) {
        *error = changedOnDiskText();
        return RewriteOutcome::ChangedOnDisk;
    }
    *error = QStringLiteral("cannot write: %1").arg(out.errorString());
    return RewriteOutcome::Failed;
}

QString rewriteDiff(const SourceRewrite& rewrite, const QString& name)
{
    const auto decoded = [&](const QByteArray& bytes) {
        return QString(QStringDecoder(rewrite.encoding.constData()).decode(bytes));
    };
    return unifiedDiff(decoded(rewrite.original), decoded(rewrite.replacement), u"a/"_s + name, u"b/"_s + name);
}

void keepFreedMemoryForTheNextFile()
{
#ifdef __GLIBC__
    // Large blocks from the heap rather than each from its own mapping, and freed memory at the
    // heap's top kept up to the size a few buffers of the largest source file take.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, int(4 * kMaxSourceFileBytes));
#endif
}

} // namespace orb

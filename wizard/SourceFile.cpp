#include "SourceFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QByteArray kUtf8 = QByteArrayLiteral("UTF-8");
const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

bool isBinaryForm(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\x0A") || bytes.startsWith("TPF0");
}

// The text with every line end (CR LF, LF or CR) turned into LF, and the line ends as they were.
void splitLineEnds(QStringView decoded, SourceFile& file)
{
    file.text.clear();
    file.text.reserve(decoded.size());
    file.lineEnds.clear();
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar ch = decoded[i];
        if (ch == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n') {
            file.lineEnds.append('R');
            ++i;
        } else if (ch == u'\r') {
            file.lineEnds.append('r');
        } else if (ch == u'\n') {
            file.lineEnds.append('n');
        } else {
            file.text.append(ch);
            continue;
        }
        file.text.append(u'\n');
    }
}

// The text with each LF given back the line end it had in the file.
QString joinLineEnds(QStringView text, const QByteArray& lineEnds)
{
    QString joined;
    joined.reserve(text.size() + lineEnds.count('R'));
    qsizetype lineBreak = 0;
    for (const QChar ch : text) {
        if (ch != u'\n') {
            joined.append(ch);
            continue;
        }
        switch (lineEnds.at(lineBreak++)) {
        case 'R': joined.append(u"\r\n"); break;
        case 'r': joined.append(u'\r'); break;
        default: joined.append(u'\n'); break;
        }
    }
    return joined;
}

// Decodes valid UTF-8 (the byte-order mark stripped and noted), or nothing.
bool decodeUtf8(const QByteArray& bytes, QString& decoded, bool& byteOrderMark)
{
    byteOrderMark = bytes.startsWith(kByteOrderMark);
    const QByteArrayView body = QByteArrayView(bytes).sliced(byteOrderMark ? kByteOrderMark.size() : 0);
    // A second mark after the first is text, kept so that it is written back.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    decoded = decoder.decode(body);
    return !decoder.hasError();
}

} // namespace

QStringList LegacyEncodings()
{
    return {QStringLiteral("windows-1251"), QStringLiteral("windows-1250"),
            QStringLiteral("windows-1252"), QStringLiteral("KOI8-R"), QStringLiteral("ISO-8859-5")};
}

bool ReadSourceFile(const QString& path, const QByteArray& legacyEncoding, SourceFile& file,
                    QString* error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read: %1").arg(in.errorString());
        return false;
    }
    if (in.size() > kMaxSourceFileBytes) {
        *error = QStringLiteral("too large to show (%1 bytes, at most %2)")
                     .arg(in.size()).arg(kMaxSourceFileBytes);
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot read: %1").arg(in.errorString());
        return false;
    }

    QString decoded;
    file.binaryForm = isBinaryForm(bytes);
    file.lossyDecoding = false;
    if (decodeUtf8(bytes, decoded, file.byteOrderMark)) {
        file.encoding = kUtf8;
    } else {
        QStringDecoder decoder(legacyEncoding.constData());
        if (!decoder.isValid()) {
            *error = QStringLiteral("unknown code page %1").arg(QString::fromLatin1(legacyEncoding));
            return false;
        }
        decoded = decoder.decode(bytes);
        file.encoding = legacyEncoding;
        file.byteOrderMark = false;
        // Bytes the code page leaves undefined do not come back from the decoded text.
        file.lossyDecoding = QStringEncoder(legacyEncoding.constData()).encode(decoded) != bytes;
    }
    splitLineEnds(decoded, file);
    return true;
}

bool WriteSourceFile(const QString& path, const SourceFile& file, const QString& text,
                     QString* error)
{
    if (file.lossyDecoding) {
        *error = QStringLiteral("not replaced: it holds bytes that %1 does not define, "
                                "which writing it back would change")
                     .arg(QString::fromLatin1(file.encoding));
        return false;
    }
    if (text.count(u'\n') != file.lineEnds.size()) {
        *error = QStringLiteral("not replaced: the rewritten text has %1 line breaks, the file %2")
                     .arg(text.count(u'\n')).arg(file.lineEnds.size());
        return false;
    }
    QStringEncoder encoder(file.encoding.constData());
    QByteArray bytes = encoder.encode(joinLineEnds(text, file.lineEnds));
    if (encoder.hasError()) {
        *error = QStringLiteral("not replaced: the text cannot be written in %1")
                     .arg(QString::fromLatin1(file.encoding));
        return false;
    }
    if (file.byteOrderMark)
        bytes.prepend(kByteOrderMark);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = QStringLiteral("cannot write: %1").arg(out.errorString());
        return false;
    }
    return true;
}

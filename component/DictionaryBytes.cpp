#include "component/DictionaryBytes_p.h"

#include "component/DictionaryFormat.h"
#include "component/TextRoutines.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <pugixml.hpp>

#include <cstring>
#include <initializer_list>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orb {

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char c : prefix) {
        if (static_cast<unsigned char>(bytes[i++]) != c)
            return false;
    }
    return true;
}

// The encoding named by the XML declaration of an ASCII-compatible file, or empty.
QByteArray declaredEncoding(const QByteArray& bytes)
{
    if (!bytes.startsWith("<?xml"))
        return {};
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0)
        return {};
    const QByteArray declaration = bytes.left(end);
    const qsizetype key = declaration.indexOf("encoding");
    if (key < 0)
        return {};
    qsizetype i = key + 8;
    while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '=' ||
                                      declaration[i] == '\t' || declaration[i] == '\r' ||
                                      declaration[i] == '\n'))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return {};
    const char quote = declaration[i];
    const qsizetype close = declaration.indexOf(quote, i + 1);
    if (close < 0)
        return {};
    return declaration.mid(i + 1, close - i - 1).trimmed().toLower();
}

// The character a reference "&#...;" at p names, or -1 when it is no well-formed one (which
// the parser reports in its own words).
long long referencedCode(const unsigned char* p, const unsigned char* end)
{
    p += 2; // "&#"
    const bool hex = p < end && *p == 'x';
    p += hex;
    long long code = 0;
    int digits = 0;
    for (; p < end && *p != ';'; ++p, ++digits) {
        const int c = *p;
        const int value = c >= '0' && c <= '9' ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (value < 0 || digits > 8)
            return -1;
        code = code * (hex ? 16 : 10) + value;
    }
    return p < end && digits > 0 ? code : -1;
}

// What the byte at p begins, when it is a character no dictionary may hold: a control
// character (raw or referenced), a surrogate (UTF-8 may not encode one), U+FFFE or U+FFFF.
// pugixml takes all of them, and the one that refers to U+0000 even ends a value there.
std::optional<char32_t> nonXmlCharAt(const unsigned char* p, const unsigned char* end)
{
    const unsigned char c = *p;
    if (c < 0x20)
        return isXmlChar(c) ? std::nullopt : std::optional<char32_t>(c);
    if (c == '&' && end - p > 2 && p[1] == '#') {
        const long long code = referencedCode(p, end);
        if (code >= 0 && (code > 0x10FFFF || !isXmlChar(char32_t(code))))
            return char32_t(std::min(code, 0x10FFFFLL + 1));
    } else if (c == 0xED && end - p > 2 && p[1] >= 0xA0) {
        return char32_t(0xD000 | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
    } else if (c == 0xEF && end - p > 2 && p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF)) {
        return char32_t(p[2] == 0xBE ? 0xFFFE : 0xFFFF);
    }
    return std::nullopt;
}

// What pugixml spends on an element and an attribute of the tree (its node and attribute
// structures, with its pages' overhead), and a reader on a cell of its table while the values
// are copied out (a text, a view of its bytes, the index's share).
constexpr qint64 kTreeBytesPerElement = 72;
constexpr qint64 kTreeBytesPerAttribute = 48;
constexpr qint64 kBytesPerCell = 48;
// Besides the tree and the cells: the file's bytes, the values copied out of the tree and the
// texts decoded from them, each about the file's size or twice it.
constexpr qint64 kFileCopies = 4;

// The elements and attributes the parse tree will hold, counted on the bytes to be parsed:
// an element begins with "<" and a name, an attribute ends with "=" and a quote.
std::pair<qint64, qint64> treeSize(const char* text, std::size_t size)
{
    qint64 elements = 0, attributes = 0;
    const char* end = text + size;
    for (const char* p = static_cast<const char*>(std::memchr(text, '<', size)); p;
         p = static_cast<const char*>(std::memchr(p + 1, '<', std::size_t(end - p - 1)))) {
        if (p + 1 == end)
            break;
        const unsigned char next = static_cast<unsigned char>(p[1]);
        if (next == '/' || next == '!' || next == '?')
            continue;
        ++elements;
        // The attributes of this element: up to its end, quoted values passed over.
        for (const char* q = p + 1; q < end && *q != '>' && *q != '<'; ++q) {
            if (*q == '"' || *q == '\'') {
                const char* close = static_cast<const char*>(std::memchr(q + 1, *q, std::size_t(end - q - 1)));
                if (!close)
                    break;
                ++attributes;
                q = close;
            }
        }
    }
    return {elements, attributes};
}

} // namespace

Sniffed sniffEncoding(const QByteArray& bytes, QByteArray* legacyName)
{
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return Sniffed::Utf8WithBom;
    // UTF-16 and UTF-32, with or without a byte-order mark: pugixml converts these itself.
    if (startsWith(bytes, {0xFE, 0xFF}) || startsWith(bytes, {0xFF, 0xFE})
        || startsWith(bytes, {0x00, 0x00}) || startsWith(bytes, {0x3C, 0x00})
        || startsWith(bytes, {0x00, 0x3C}))
        return Sniffed::Unicode;
    const QByteArray declared = declaredEncoding(bytes);
    if (declared.isEmpty() || declared == "utf-8" || declared == "utf8")
        return Sniffed::Utf8;
    *legacyName = declared;
    return Sniffed::Legacy;
}

QByteArray parsedText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = file.readAll();
    QByteArray legacyName;
    switch (sniffEncoding(text, &legacyName)) {
    case Sniffed::Legacy:
        return QString(QStringDecoder(legacyName.constData()).decode(text)).toUtf8();
    case Sniffed::Unicode:
        return QString(QStringDecoder(QStringDecoder::encodingForData(text, u'<').value_or(QStringConverter::Utf16))
                           .decode(text))
            .toUtf8();
    case Sniffed::Utf8:
    case Sniffed::Utf8WithBom:
        break;
    }
    return text;
}

// The first character of the text that no dictionary may hold. Every file read goes through
// this, so blocks without a byte that could begin one are passed over sixteen at a time.
NonXmlChar findNonXmlChar(const char* text, std::size_t size)
{
    auto p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + size;
    const unsigned char* block = p;
#ifdef __SSE2__
    const __m128i controlTop = _mm_set1_epi8(0x1F);
    for (; end - block >= 16; block += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(v, controlTop), controlTop);
        const __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')),
                                                          _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                             _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        const __m128i marks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xED)))),
                                           _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xEF))));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(allowed, control), marks)));
        for (; mask; mask &= mask - 1) {
            const unsigned char* at = block + std::countr_zero(mask);
            if (const std::optional<char32_t> code = nonXmlCharAt(at, end))
                return {at - p, *code};
        }
    }
#endif
    for (const unsigned char* at = block; at < end; ++at) {
        if (const std::optional<char32_t> code = nonXmlCharAt(at, end))
            return {at - p, *code};
    }
    return {};
}

PugiBuffer::PugiBuffer(std::size_t bytes)
    : data(pugi::get_memory_allocation_function()(bytes ? bytes : 1)), size(bytes)
{
}

PugiBuffer::~PugiBuffer()
{
    if (data)
        pugi::get_memory_deallocation_function()(data);
}

QString characterName(char32_t code)
{
    return code > 0x10FFFF ? QStringLiteral("a code point beyond U+10FFFF")
                           : QStringLiteral("the character U+") + QString::number(uint(code), 16).rightJustified(4, u'0').toUpper();
}

bool decodeStrictly(const QByteArray& bytes, Sniffed sniffed, const QByteArray& legacyName, PugiBuffer& buffer,
                    QString& why)
{
    QString text;
    if (sniffed == Sniffed::Legacy) {
        if (legacyName.startsWith("utf-16") || legacyName.startsWith("utf-32"))
            return (why = QStringLiteral("declared encoding does not match the bytes")), false;
        QStringDecoder decoder(legacyName.constData());
        if (!decoder.isValid())
            return (why = QStringLiteral("unknown encoding ") + QString::fromLatin1(legacyName)), false;
        text = decoder.decode(bytes);
        QStringEncoder encoder(legacyName.constData());
        if (decoder.hasError() || encoder.encode(text) != bytes || encoder.hasError())
            return (why = QStringLiteral("bytes invalid in the declared encoding %1").arg(QString::fromLatin1(legacyName))), false;
    } else {
        QStringDecoder decoder(QStringDecoder::encodingForData(bytes, u'<').value_or(QStringConverter::Utf16));
        text = decoder.decode(bytes);
        if (decoder.hasError())
            return (why = QStringLiteral("invalid %1").arg(QString::fromLatin1(decoder.name()))), false;
    }
    // UTF-8 cannot hold a surrogate without its partner, which UTF-16 decodes without a word.
    if (const qsizetype at = firstNonXmlChar(text); at >= 0)
        return (why = QStringLiteral("%1, which a dictionary cannot hold, at line %2")
                          .arg(characterName(text[at].unicode()))
                          .arg(text.first(at).count(u'\n') + 1)),
               false;
    const QByteArray utf8 = text.toUtf8();
    PugiBuffer converted(std::size_t(utf8.size()));
    if (!converted.data)
        return (why = outOfMemoryText()), false;
    std::memcpy(converted.data, utf8.constData(), std::size_t(utf8.size()));
    std::swap(buffer.data, converted.data);
    buffer.size = converted.size;
    return true;
}

TreeSize parseTreeSize(const char* text, std::size_t size)
{
    const auto [elements, attributes] = treeSize(text, size);
    return {elements, elements * kTreeBytesPerElement + attributes * kTreeBytesPerAttribute};
}

qint64 budgetForTree(qint64 fileBytes)
{
    return readBudget(fileBytes) - kFileCopies * fileBytes;
}

qint64 readBudget(qint64 fileBytes)
{
    return 10 * fileBytes + (qint64(32) << 20);
}

bool gridFitsFile(qint64 rows, qint64 languages, qint64 fileBytes)
{
    if (rows == 0 || languages == 0)
        return true;
    return rows <= budgetForTree(fileBytes) / kBytesPerCell / languages;
}

} // namespace orb

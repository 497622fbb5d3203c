#include "component/DictionaryFormat.h"

#include "component/SafeFile.h"
#include "component/TextRoutines.h"
#include "component/Utf8Scratch.h"

#include <QFile>
#include <QStringDecoder>

#include <QStringEncoder>

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>

#endif

namespace orb {

namespace {

constexpr char kLanguages[] = "Languages";
constexpr char kCharsets[] = "Charsets";
constexpr char kItem[] = "Item";
constexpr char kName[] = "Name";
constexpr char kCharset[] = "Charset";
constexpr char kMessage[] = "Message";

bool setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

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

enum class Sniffed { Utf8, Utf8WithBom, Unicode, Legacy };

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

// The file's text in the UTF-8 that pugixml parsed, so that offsets into the one are offsets
// into the other; line ends are as the file has them.
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

// A character no dictionary may hold, where the parsed text has it.
struct NonXmlChar
{
    std::ptrdiff_t offset = -1; // -1: none
    char32_t code = 0;
};

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

// A buffer that pugixml takes over with load_buffer_inplace_own.
struct PugiBuffer
{
    void* data = nullptr;
    std::size_t size = 0;
    explicit PugiBuffer(std::size_t bytes) : data(pugi::get_memory_allocation_function()(bytes ? bytes : 1)), size(bytes) {}
    ~PugiBuffer()
    {
        if (data)
            pugi::get_memory_deallocation_function()(data);
    }
    void* release()
    {
        void* d = data;
        data = nullptr;
        return d;
    }
};

QString characterName(char32_t code)
{
    return code > 0x10FFFF ? QStringLiteral("a code point beyond U+10FFFF")
                           : QStringLiteral("the character U+") + QString::number(uint(code), 16).rightJustified(4, u'0').toUpper();
}

// A file not in UTF-8 turned into the UTF-8 that is parsed. A legacy code page must give the
// file's bytes back when the text is encoded again: a byte it leaves undefined would be read
// as a replacement character and lost at the next save.
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

bool hasEntityDeclarations(const pugi::xml_document& doc)
{
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_doctype && std::strstr(node.value(), "ENTITY"))
            return true;
    }
    return false;
}

bool hasChildElement(pugi::xml_node node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            return true;
    }
    return false;
}

bool isElement(pugi::xml_node node, const char* name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

pugi::xml_node firstChildElement(pugi::xml_node node, const char* name)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, name))
            return child;
    }
    return {};
}

bool isFormatAttribute(const char* name)
{
    return std::strcmp(name, kName) == 0 || std::strcmp(name, kCharset) == 0 || std::strcmp(name, kMessage) == 0;
}

// Cells are matched to languages by element name; they almost always stand in language
// order, so the expected position is tried before a scan. firstWithSameId keeps the "first
// language with that identifier" rule when identifiers repeat.
class LanguageMatcher
{
public:
    explicit LanguageMatcher(const std::vector<QByteArray>& ids) : m_ids(ids)
    {
        for (std::size_t i = 0; i < m_ids.size(); ++i)
            m_firstWithSameId.push_back(int(std::find(m_ids.begin(), m_ids.begin() + i + 1, m_ids[i]) - m_ids.begin()));
    }
    int languageOf(const char* name, std::size_t expected) const
    {
        if (expected < m_ids.size() && std::strcmp(name, m_ids[expected].constData()) == 0)
            return m_firstWithSameId[expected];
        for (std::size_t i = 0; i < m_ids.size(); ++i) {
            if (std::strcmp(name, m_ids[i].constData()) == 0)
                return int(i);
        }
        return -1;
    }

private:
    const std::vector<QByteArray>& m_ids;
    std::vector<int> m_firstWithSameId;
};

// Appends <name attribute="value"/> to parent. False when pugixml ran out of memory: it
// reports that only through empty handles, and a document saved without noticing would lose
// every element that failed.
bool appendValueElement(pugi::xml_node parent, const char* name, const char* attribute, const char* value,
                        std::size_t length)
{
    pugi::xml_node element = parent.append_child(name);
    pugi::xml_attribute added = element.append_attribute(attribute);
    return added && added.set_value(value, length);
}

class SaveFileWriter : public pugi::xml_writer
{
public:
    explicit SaveFileWriter(SafeFile& file) : m_file(file) {}
    void write(const void* data, std::size_t size) override
    {
        if (m_ok)
            m_ok = m_file.write(static_cast<const char*>(data), qint64(size));
    }
    bool ok() const { return m_ok; }

private:
    SafeFile& m_file;
    bool m_ok = true;
};

} // namespace

QString outOfMemoryText()
{
    return QStringLiteral("out of memory");
}

bool decodeUtf8(const char* text, QString& out)
{
    return decodeUtf8(QByteArrayView(text, qsizetype(std::strlen(text))), out);
}

namespace {

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

qint64 readBudget(qint64 fileBytes)
{
    return 10 * fileBytes + (qint64(32) << 20);
}

bool gridFitsFile(qint64 rows, qint64 languages, qint64 fileBytes)
{
    if (rows == 0 || languages == 0)
        return true;
    const qint64 spare = readBudget(fileBytes) - kFileCopies * fileBytes;
    return rows <= spare / kBytesPerCell / languages;
}

int FormatElement::line() const
{
    return m_document.lineAt(m_node.offset_debug());
}

std::vector<std::pair<const char*, const char*>> FormatElement::extraAttributes() const
{
    std::vector<std::pair<const char*, const char*>> extra;
    for (pugi::xml_attribute attribute : m_node.attributes()) {
        if (!isFormatAttribute(attribute.name()))
            extra.emplace_back(attribute.name(), attribute.value());
    }
    return extra;
}

DictionaryHeadSink::~DictionaryHeadSink() = default;
DictionaryItemSink::~DictionaryItemSink() = default;
DictionarySource::~DictionarySource() = default;

struct DictionaryDocument::Private
{
    pugi::xml_document doc;
    pugi::xml_node root;
    std::vector<pugi::xml_node> rootElements;
    QString path;
    // Where each line of the parsed text begins, made when a line is first asked for.
    mutable std::once_flag linesMade;
    mutable std::vector<std::ptrdiff_t> lineStarts;
};

DictionaryDocument::DictionaryDocument() : d(std::make_unique<Private>()) {}

DictionaryDocument::~DictionaryDocument() = default;

bool DictionaryDocument::load(const QString& path, QString* error, Utf8Check check)
{
    d = std::make_unique<Private>();
    d->path = path;
    pugi::xml_document& doc = d->doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return setError(error, file.errorString());
    if (file.size() > kMaxDictionaryFileBytes)
        return setError(error, QStringLiteral("the file is larger than %1 MiB").arg(kMaxDictionaryFileBytes >> 20));
    // The file goes straight into the buffer that pugixml parses in place: a dictionary of
    // tens of megabytes is then held once, not three times.
    PugiBuffer buffer(std::size_t(file.size()));
    if (!buffer.data)
        return setError(error, outOfMemoryText());
    if (file.read(static_cast<char*>(buffer.data), qint64(buffer.size)) != qint64(buffer.size))
        return setError(error, file.errorString());
    file.close();

    const qint64 fileBytes = qint64(buffer.size);
    const QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(buffer.data), qsizetype(buffer.size));
    QByteArray legacyName;
    const Sniffed sniffed = sniffEncoding(bytes, &legacyName);
    if (sniffed == Sniffed::Legacy || sniffed == Sniffed::Unicode) {
        QString why;
        if (!decodeStrictly(bytes, sniffed, legacyName, buffer, why))
            return setError(error, why);
    } else if (check == Utf8Check::WholeFile) {
        const qsizetype skip = sniffed == Sniffed::Utf8WithBom ? 3 : 0;
        if (!QByteArrayView(bytes).sliced(skip).isValidUtf8())
            return setError(error, QStringLiteral("invalid UTF-8"));
    }
    // Read back, such a character would be altered or cut; a file that holds one is refused
    // as one that is not well-formed is.
    if (const NonXmlChar found = findNonXmlChar(static_cast<const char*>(buffer.data), buffer.size); found.offset >= 0)
        return setError(error, QStringLiteral("%1, which a dictionary cannot hold, at line %2")
                                   .arg(characterName(found.code))
                                   .arg(lineAt(found.offset)));

    const auto [elements, attributes] = treeSize(static_cast<const char*>(buffer.data), buffer.size);
    const qint64 treeBytes = elements * kTreeBytesPerElement + attributes * kTreeBytesPerAttribute;
    if (treeBytes > readBudget(fileBytes) - kFileCopies * fileBytes)
        return setError(error, QStringLiteral("%1 elements make a parse tree of %2 MiB, more than a file of %3 bytes may take")
                                   .arg(elements)
                                   .arg(treeBytes >> 20)
                                   .arg(fileBytes));

    const std::size_t size = buffer.size;
    const pugi::xml_parse_result result = doc.load_buffer_inplace_own(
        buffer.release(), size, pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
    if (!result) {
        doc.reset();
        return setError(error, QStringLiteral("%1 at line %2")
                                   .arg(QString::fromUtf8(result.description()))
                                   .arg(lineAt(result.offset)));
    }
    if (hasEntityDeclarations(doc)) {
        doc.reset();
        return setError(error, QStringLiteral("entity declarations are not accepted"));
    }
    d->root = firstChildElement(doc, kRootElement);
    for (pugi::xml_node child = d->root.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            d->rootElements.push_back(child);
    }
    return true;
}

void DictionaryDocument::release()
{
    const QString path = d->path;
    d = std::make_unique<Private>();
    d->path = path;
}

bool DictionaryDocument::hasRoot() const
{
    return bool(d->root);
}

bool DictionaryDocument::hasLanguages() const
{
    return hasChildElement(firstChildElement(d->root, kLanguages));
}

bool DictionaryDocument::hasCharsets() const
{
    return bool(firstChildElement(d->root, kCharsets));
}

bool DictionaryDocument::hasCharsetEntries() const
{
    return hasChildElement(firstChildElement(d->root, kCharsets));
}

namespace {

template <typename Visit>
bool walkEntries(pugi::xml_node list, Visit visit)
{
    int position = 0;
    for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && !visit(position++, child))
            return false;
    }
    return true;
}

std::vector<QByteArray> entryNames(pugi::xml_node list)
{
    std::vector<QByteArray> names;
    walkEntries(list, [&](int, pugi::xml_node child) {
        names.emplace_back(child.name());
        return true;
    });
    return names;
}

const char* valueOrNull(pugi::xml_node node, const char* attribute)
{
    const pugi::xml_attribute found = node.attribute(attribute);
    return found ? found.value() : nullptr;
}

} // namespace

bool DictionaryDocument::walkLanguages(DictionaryHeadSink& sink) const
{
    return walkEntries(firstChildElement(d->root, kLanguages), [&](int position, pugi::xml_node child) {
        return sink.language(position, valueOrNull(child, kName), FormatElement(child, *this));
    });
}

bool DictionaryDocument::walkCharsets(DictionaryHeadSink& sink) const
{
    return walkEntries(firstChildElement(d->root, kCharsets), [&](int position, pugi::xml_node child) {
        return sink.charset(position, valueOrNull(child, kCharset), FormatElement(child, *this));
    });
}

std::vector<QByteArray> DictionaryDocument::languageIds() const
{
    return entryNames(firstChildElement(d->root, kLanguages));
}

std::vector<QByteArray> DictionaryDocument::charsetIds() const
{
    return entryNames(firstChildElement(d->root, kCharsets));
}

qsizetype DictionaryDocument::rootElementCount() const
{
    return qsizetype(d->rootElements.size());
}

qsizetype DictionaryDocument::itemCount() const
{
    return std::count_if(d->rootElements.begin(), d->rootElements.end(),
                         [](pugi::xml_node node) { return isElement(node, kItem); });
}

bool DictionaryDocument::walkItems(qsizetype first, qsizetype end, const std::vector<QByteArray>& ids,
                                   DictionaryItemSink& sink, int& rows) const
{
    const LanguageMatcher languages(ids);
    rows = 0;
    for (qsizetype i = first; i < end; ++i) {
        const pugi::xml_node item = d->rootElements[std::size_t(i)];
        if (!isElement(item, kItem))
            continue;
        const int row = rows++;
        std::size_t expected = 0;
        for (pugi::xml_node cell = item.first_child(); cell; cell = cell.next_sibling()) {
            if (cell.type() != pugi::node_element)
                continue;
            const int language = languages.languageOf(cell.name(), expected++);
            if (language >= 0 && !sink.cell(row, language, valueOrNull(cell, kMessage), FormatElement(cell, *this)))
                return false;
        }
    }
    return true;
}

int DictionaryDocument::lineAt(std::ptrdiff_t offset) const
{
    if (offset < 0)
        return 0;
    std::call_once(d->linesMade, [this] {
        const QByteArray text = parsedText(d->path);
        d->lineStarts.push_back(0);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == '\n')
                d->lineStarts.push_back(i + 1);
        }
    });
    return int(std::upper_bound(d->lineStarts.begin(), d->lineStarts.end(), offset) - d->lineStarts.begin());
}

namespace {

// The values of the Items' cells, pointing into the tree, a row per Item.
class CellCollector : public DictionaryItemSink
{
public:
    CellCollector(QByteArrayView* values, std::size_t languageCount) : m_values(values), m_languageCount(languageCount)
    {
    }
    CellCollection collection;

    bool cell(int row, int language, const char* message, const FormatElement&) override
    {
        if (!message)
            return stop(CellCollection::Stop::MissingMessage, language);
        QByteArrayView& value = m_values[std::size_t(row) * m_languageCount + std::size_t(language)];
        // A later cell of the same language wins, but the text it replaces must still have
        // been valid.
        if (!value.isNull() && !value.isValidUtf8())
            return stop(CellCollection::Stop::InvalidUtf8, language);
        value = QByteArrayView(message, qsizetype(std::strlen(message)));
        return true;
    }

private:
    bool stop(CellCollection::Stop why, int language)
    {
        collection.stop = why;
        collection.stopLanguage = language;
        return false;
    }

    QByteArrayView* m_values;
    std::size_t m_languageCount;
};

// Points the values at copies of their bytes, held by bytes.
void copyValues(QByteArrayView* values, std::size_t count, std::unique_ptr<char[]>& bytes)
{
    qsizetype total = 0;
    for (std::size_t i = 0; i < count; ++i)
        total += values[i].size();
    bytes.reset(new char[std::size_t(total)]);
    char* copy = bytes.get();
    for (std::size_t i = 0; i < count; ++i) {
        QByteArrayView& value = values[i];
        if (value.isNull())
            continue;
        std::memcpy(copy, value.data(), std::size_t(value.size()));
        value = QByteArrayView(copy, value.size());
        copy += value.size();
    }
}

} // namespace

CellCollection collectCells(const DictionaryDocument& doc, qsizetype first, qsizetype end,
                            const std::vector<QByteArray>& ids, QByteArrayView* values, std::unique_ptr<char[]>& bytes)
{
    CellCollector collector(values, ids.size());
    doc.walkItems(first, end, ids, collector, collector.collection.rows);
    if (collector.collection.stop != CellCollection::Stop::InvalidUtf8)
        copyValues(values, std::size_t(collector.collection.rows) * ids.size(), bytes);
    return collector.collection;
}

namespace {

bool checkIdentifiers(const DictionarySource& source, std::vector<QByteArray>& ids, QString* error)
{
    for (int language = 0; language < source.languageCount(); ++language) {
        const QString langId = source.languageId(language);
        if (!isValidXmlName(langId))
            return setError(error, QStringLiteral("the language identifier \"%1\" is not a valid XML element name").arg(langId));
        // Cells are read back by identifier: a second language with the same one would give
        // its texts to the first and lose its own.
        if (std::find(ids.begin(), ids.end(), langId.toUtf8()) != ids.end())
            return setError(error, QStringLiteral("two languages have the identifier \"%1\"").arg(langId));
        ids.push_back(langId.toUtf8());
    }
    return true;
}

// A text that no dictionary can hold would be written as a file our reader refuses, or be
// altered on the way; empty when the text can be written.
QString unwritable(QStringView text, const QString& where)
{
    const qsizetype at = firstNonXmlChar(text);
    if (at < 0)
        return {};
    return QStringLiteral("%1 holds %2, which a dictionary cannot hold").arg(where, characterName(text[at].unicode()));
}

// Builds the document; false, with why, for a text no dictionary can hold. Throws
// std::bad_alloc when memory runs out, pugixml's included.
bool buildDocument(const DictionarySource& source, const std::vector<QByteArray>& ids, pugi::xml_document& doc,
                   QString& why)
{
    Utf8Scratch utf8;
    std::size_t length = 0;
    const int languageCount = source.languageCount();
    pugi::xml_node root = doc.append_child(kRootElement);
    pugi::xml_node languages = root.append_child(kLanguages);
    bool built = bool(languages);
    for (int language = 0; language < languageCount && built; ++language) {
        const QString name = source.languageName(language);
        why = unwritable(name, QStringLiteral("the name of the language \"%1\"").arg(source.languageId(language)));
        if (!why.isEmpty())
            return false;
        const char* bytes = utf8.convert(name, length);
        built = appendValueElement(languages, ids[std::size_t(language)].constData(), kName, bytes, length);
    }
    pugi::xml_node charsets = root.append_child(kCharsets);
    built = built && charsets;
    for (int language = 0; language < languageCount && built; ++language) {
        const QByteArray number = QByteArray::number(source.charset(language));
        built = appendValueElement(charsets, ids[std::size_t(language)].constData(), kCharset, number.constData(),
                                   std::size_t(number.size()));
    }
    const qsizetype rows = source.rowCount();
    for (qsizetype row = 0; row < rows && built; ++row) {
        pugi::xml_node item = root.append_child(kItem);
        built = bool(item);
        for (int language = 0; language < languageCount && built; ++language) {
            const QStringView text = source.cell(language, row);
            if (firstNonXmlChar(text) >= 0) {
                why = unwritable(text, QStringLiteral("the text of phrase %1 in the language \"%2\"")
                                           .arg(row + 1)
                                           .arg(source.languageId(language)));
                return false;
            }
            const char* bytes = utf8.convert(text, length);
            built = appendValueElement(item, ids[std::size_t(language)].constData(), kMessage, bytes, length);
        }
    }
    if (!built)
        throw std::bad_alloc();
    return true;
}

bool saveDocument(const pugi::xml_document& doc, const QString& path, Layout layout, QString* error,
                  SaveGuard* guard)
{
    SafeFile file(path);
    if (guard && guard->checkUnchanged)
        file.requireUnchanged(guard->expected);
    if (!file.open())
        return setError(error, file.errorString());
    SaveFileWriter writer(file);
    const unsigned flags = layout == Layout::Indented ? pugi::format_indent : pugi::format_raw;
    doc.save(writer, "  ", flags, pugi::encoding_utf8);
    const bool committed = writer.ok() && file.commit();
    if (guard) {
        guard->changedOnDisk = file.changedOnDisk();
        guard->written = file.committedStamp();
    }
    return committed || setError(error, file.errorString());
}

} // namespace

bool writeDictionary(const DictionarySource& source, const QString& path, Layout layout, QString* error,
                     SaveGuard* guard)
{
    std::vector<QByteArray> ids;
    if (!checkIdentifiers(source, ids, error))
        return false;
    try {
        pugi::xml_document doc;
        QString why;
        if (!buildDocument(source, ids, doc, why))
            return setError(error, why);
        return saveDocument(doc, path, layout, error, guard);
    } catch (const std::bad_alloc&) {
        return setError(error, outOfMemoryText());
    }
}

} // namespace orb

#include "DictionaryFormat.h"

#include "SafeFile.h"
#include "TextRoutines.h"
#include "Utf8Scratch.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

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

bool gridFitsFile(qint64 rows, qint64 languages, qint64 fileBytes)
{
    // Small files may be sparse: a few thousand rows of dozens of languages, each row one text.
    constexpr qint64 kAlwaysAllowed = 1 << 16;
    if (rows == 0 || languages == 0)
        return true;
    const qint64 allowed = std::max(kAlwaysAllowed, fileBytes);
    return rows <= allowed / languages;
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

    const QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(buffer.data), qsizetype(buffer.size));
    QByteArray legacyName;
    const Sniffed sniffed = sniffEncoding(bytes, &legacyName);
    if (sniffed == Sniffed::Legacy) {
        if (legacyName.startsWith("utf-16") || legacyName.startsWith("utf-32"))
            return setError(error, QStringLiteral("declared encoding does not match the bytes"));
        QStringDecoder decoder(legacyName.constData());
        if (!decoder.isValid())
            return setError(error, QStringLiteral("unknown encoding ") + QString::fromLatin1(legacyName));
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return setError(error, QStringLiteral("bytes invalid in the declared encoding"));
        const QByteArray utf8 = text.toUtf8();
        PugiBuffer converted(std::size_t(utf8.size()));
        if (!converted.data)
            return setError(error, outOfMemoryText());
        std::memcpy(converted.data, utf8.constData(), std::size_t(utf8.size()));
        std::swap(buffer.data, converted.data);
        buffer.size = converted.size;
    } else if (sniffed != Sniffed::Unicode && check == Utf8Check::WholeFile) {
        const qsizetype skip = sniffed == Sniffed::Utf8WithBom ? 3 : 0;
        if (!QByteArrayView(bytes).sliced(skip).isValidUtf8())
            return setError(error, QStringLiteral("invalid UTF-8"));
    }

    const pugi::xml_encoding encoding =
        sniffed == Sniffed::Unicode ? pugi::encoding_auto : pugi::encoding_utf8;
    const std::size_t size = buffer.size;
    const pugi::xml_parse_result result = doc.load_buffer_inplace_own(
        buffer.release(), size, pugi::parse_default | pugi::parse_doctype, encoding);
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

// Throws std::bad_alloc when memory runs out, pugixml's included.
void buildDocument(const DictionarySource& source, const std::vector<QByteArray>& ids, pugi::xml_document& doc)
{
    Utf8Scratch utf8;
    std::size_t length = 0;
    const int languageCount = source.languageCount();
    pugi::xml_node root = doc.append_child(kRootElement);
    pugi::xml_node languages = root.append_child(kLanguages);
    bool built = bool(languages);
    for (int language = 0; language < languageCount && built; ++language) {
        const char* name = utf8.convert(source.languageName(language), length);
        built = appendValueElement(languages, ids[std::size_t(language)].constData(), kName, name, length);
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
            const char* text = utf8.convert(source.cell(language, row), length);
            built = appendValueElement(item, ids[std::size_t(language)].constData(), kMessage, text, length);
        }
    }
    if (!built)
        throw std::bad_alloc();
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
        buildDocument(source, ids, doc);
        return saveDocument(doc, path, layout, error, guard);
    } catch (const std::bad_alloc&) {
        return setError(error, outOfMemoryText());
    }
}

} // namespace orb

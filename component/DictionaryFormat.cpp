#include "component/DictionaryFormat.h"
#include "component/DictionaryBytes_p.h"

#include "component/SafeFile.h"
#include "component/TextRoutines.h"
#include "component/Utf8Scratch.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

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

    const TreeSize tree = parseTreeSize(static_cast<const char*>(buffer.data), buffer.size);
    if (tree.bytes > budgetForTree(fileBytes))
        return setError(error, QStringLiteral("%1 elements make a parse tree of %2 MiB, more than a file of %3 bytes may take")
                                   .arg(tree.elements)
                                   .arg(tree.bytes >> 20)
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

#include "DictionaryFile.h"

#include "PhraseTable.h"
#include "SafeFile.h"
#include "TextRoutines.h"
#include "Utf8Scratch.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <new>
#include <limits>
#include <memory>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace orb {

namespace {

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

// The line of a parse error. pugixml reports the error's offset in the UTF-8 text it parsed,
// and by then it has changed that text in place (references expanded, line ends folded), so
// the file is read again and brought into the same UTF-8 to count its line feeds.
qsizetype lineOfParseError(const QString& path, std::ptrdiff_t offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QByteArray text = file.readAll();
    QByteArray legacyName;
    switch (sniffEncoding(text, &legacyName)) {
    case Sniffed::Legacy:
        text = QString(QStringDecoder(legacyName.constData()).decode(text)).toUtf8();
        break;
    case Sniffed::Unicode:
        text = QString(QStringDecoder(QStringDecoder::encodingForData(text, u'<').value_or(QStringConverter::Utf16))
                           .decode(text))
                   .toUtf8();
        break;
    case Sniffed::Utf8:
    case Sniffed::Utf8WithBom:
        break;
    }
    return 1 + text.first(std::clamp(qsizetype(offset), qsizetype(0), text.size())).count('\n');
}

bool hasEntityDeclarations(const pugi::xml_document& doc)
{
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_doctype && std::strstr(node.value(), "ENTITY"))
            return true;
    }
    return false;
}

bool parseDecimal(const char* text, int& value)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    long long magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        magnitude = magnitude * 10 + (*p++ - '0');
        if (magnitude > (long long)std::numeric_limits<int>::max() + 1)
            return false;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0')
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max())
        return false;
    value = int(signedValue);
    return true;
}

bool hasChildElement(pugi::xml_node node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            return true;
    }
    return false;
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

bool loadXmlFile(const QString& path, pugi::xml_document& doc, QString* error, Utf8Check check)
{
    doc.reset();
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
                                   .arg(lineOfParseError(path, result.offset)));
    }
    if (hasEntityDeclarations(doc)) {
        doc.reset();
        return setError(error, QStringLiteral("entity declarations are not accepted"));
    }
    return true;
}

bool appendValueElement(pugi::xml_node parent, const char* name, const char* attribute, const char* value,
                        std::size_t length)
{
    pugi::xml_node element = parent.append_child(name);
    pugi::xml_attribute added = element.append_attribute(attribute);
    return added && added.set_value(value, length);
}

QString outOfMemoryText()
{
    return QStringLiteral("out of memory");
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

bool decodeUtf8(const char* text, QString& out)
{
    return decodeUtf8(QByteArrayView(text, qsizetype(std::strlen(text))), out);
}

pugi::xml_node firstChildElement(pugi::xml_node node, const char* name)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && std::strcmp(child.name(), name) == 0)
            return child;
    }
    return {};
}

namespace {

// A value whose bytes are not UTF-8 makes the file as unreadable as a syntax error does, so
// it leaves the table as it was; every other failure keeps what was read before it.
// Refused: the table is left untouched, as for bad encoding.
enum class Step { Done, Failed, BadEncoding, Refused };

// The cell texts of the Item elements, still UTF-8, copied out of the parse tree: the tree
// can then be freed before the texts are converted, so that the phrases reuse its memory
// instead of being placed after it and keeping it from being given back.
struct ItemCells
{
    int rows = 0;                       // rows read, a row that failed included
    std::vector<QByteArrayView> texts;  // per row, one per language, in bytes; null = no cell
    std::unique_ptr<char[]> bytes[2];   // what texts point into, a block per half
};

Step readLanguages(const pugi::xml_node root, PhraseTable& table, ReadResult& result)
{
    const pugi::xml_node languages = firstChildElement(root, "Languages");
    for (pugi::xml_node child : languages.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const pugi::xml_attribute name = child.attribute("Name");
        QString langId, langName;
        if (!decodeUtf8(child.name(), langId) || (name && !decodeUtf8(name.value(), langName)))
            return Step::BadEncoding;
        if (!name) {
            result = ReadResult::ReadError;
            return Step::Failed;
        }
        table.addLanguage(langId, langName);
    }

    const pugi::xml_node charsets = firstChildElement(root, "Charsets");
    if (!hasChildElement(charsets)) {
        result = ReadResult::UnknownCharset;
        return Step::Failed;
    }
    int position = 0;
    for (pugi::xml_node child : charsets.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (position >= table.languageCount())
            break; // surplus entries name no language
        const pugi::xml_attribute charset = child.attribute("Charset");
        int value = 0;
        QString langId;
        if (!decodeUtf8(child.name(), langId))
            return Step::BadEncoding;
        if (!charset || !parseDecimal(charset.value(), value)) {
            result = ReadResult::ReadError;
            return Step::Failed;
        }
        table.setLanguageId(position, langId);
        table.setCharset(position, quint8(value & 0xFF));
        ++position;
    }
    return Step::Done;
}

bool isItem(pugi::xml_node node)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), "Item") == 0;
}

// Cells are matched to languages by element name; they almost always stand in language
// order, so the expected position is tried before a scan. firstWithSameId keeps the "first
// language with that identifier" rule when identifiers repeat.
class LanguageMatcher
{
public:
    explicit LanguageMatcher(const PhraseTable& table)
    {
        for (int i = 0; i < table.languageCount(); ++i) {
            m_ids.push_back(table.languages()[i].LangID.toUtf8());
            int first = i;
            for (int j = 0; j < i; ++j) {
                if (m_ids[j] == m_ids[i]) {
                    first = j;
                    break;
                }
            }
            m_firstWithSameId.push_back(first);
        }
    }
    int count() const { return int(m_ids.size()); }
    int languageOf(const char* name, int expected) const
    {
        if (expected < count() && std::strcmp(name, m_ids[expected].constData()) == 0)
            return m_firstWithSameId[expected];
        for (int i = 0; i < count(); ++i) {
            if (std::strcmp(name, m_ids[i].constData()) == 0)
                return i;
        }
        return -1;
    }

private:
    std::vector<QByteArray> m_ids;
    std::vector<int> m_firstWithSameId;
};

// The values of the Items' cells, pointing into the tree, a row per Item from values on.
Step collectItemValues(const pugi::xml_node* nodes, int count, const LanguageMatcher& languages,
                       QByteArrayView* values, int& rows, ReadResult& result)
{
    for (const pugi::xml_node item : std::span(nodes, std::size_t(count))) {
        if (!isItem(item))
            continue;
        QByteArrayView* row = values + std::size_t(rows++) * std::size_t(languages.count());
        int expected = 0;
        for (pugi::xml_node cell = item.first_child(); cell; cell = cell.next_sibling()) {
            if (cell.type() != pugi::node_element)
                continue;
            const int language = languages.languageOf(cell.name(), expected++);
            if (language < 0)
                continue;
            const pugi::xml_attribute message = cell.attribute("Message");
            if (!message) {
                result = ReadResult::ReadError;
                return Step::Failed;
            }
            // A later cell of the same language wins, but the text it replaces must still
            // have been valid.
            if (!row[language].isNull() && !row[language].isValidUtf8())
                return Step::BadEncoding;
            const char* text = message.value();
            row[language] = QByteArrayView(text, qsizetype(std::strlen(text)));
        }
    }
    return Step::Done;
}

// Points the values at copies of their bytes, held by bytes.
void copyValues(std::span<QByteArrayView> values, std::unique_ptr<char[]>& bytes)
{
    qsizetype total = 0;
    for (QByteArrayView value : values)
        total += value.size();
    bytes.reset(new char[std::size_t(total)]);
    char* copy = bytes.get();
    for (QByteArrayView& value : values) {
        if (value.isNull())
            continue;
        std::memcpy(copy, value.data(), std::size_t(value.size()));
        value = QByteArrayView(copy, value.size());
        copy += value.size();
    }
}

// The cells of the Items among the nodes, one row of values per Item; rows counts the rows
// read, a row that failed included. The values are then copied out of the tree into bytes.
Step collectItems(const pugi::xml_node* nodes, int count, const LanguageMatcher& languages,
                  QByteArrayView* values, int& rows, ReadResult& result, std::unique_ptr<char[]>& bytes)
{
    rows = 0;
    const Step step = collectItemValues(nodes, count, languages, values, rows, result);
    if (step != Step::BadEncoding)
        copyValues(std::span(values, std::size_t(rows) * std::size_t(languages.count())), bytes);
    return step;
}

Step collectItemCells(const pugi::xml_node root, const PhraseTable& table, ItemCells& cells,
                      ReadResult& result, qint64 fileBytes)
{
    const LanguageMatcher languages(table);
    const std::size_t languageCount = std::size_t(languages.count());
    // The element children only: telling the Items among them reads each one's name, far
    // apart in the file, and that is left to the two threads below.
    std::vector<pugi::xml_node> nodes;
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            nodes.push_back(child);
    }
    if (!gridFitsFile(qint64(nodes.size()), qint64(languageCount), fileBytes)) {
        result = ReadResult::ReadError;
        return Step::Refused;
    }
    // Walking the cells is the larger part of this: the second half of the nodes is walked
    // on another thread. Its outcome counts only when the first half read without failure.
    const int firstHalf = int(nodes.size() / 2);
    std::vector<QByteArrayView>& values = cells.texts;
    values.resize(nodes.size() * languageCount);

    int secondRows = 0;
    ReadResult secondResult = ReadResult::Ok;
    Step second = Step::Done;
    QByteArrayView* secondValues = values.data() + std::size_t(firstHalf) * languageCount;
    auto walkSecondHalf = [&] {
        second = collectItems(nodes.data() + firstHalf, int(nodes.size()) - firstHalf, languages,
                              secondValues, secondRows, secondResult, cells.bytes[1]);
    };
    // The halves write apart from each other, so without a second thread they run in turn.
    // What the second thread throws (an allocation that failed) is thrown again here, once
    // both halves are done.
    std::exception_ptr secondFailure;
    int rows = 0;
    Step step = Step::Done;
    {
        std::jthread secondWalk;
        try {
            secondWalk = std::jthread([&] {
                try {
                    walkSecondHalf();
                } catch (...) {
                    secondFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            walkSecondHalf();
        }
        result = ReadResult::Ok;
        step = collectItems(nodes.data(), firstHalf, languages, values.data(), rows, result, cells.bytes[0]);
    }
    if (secondFailure)
        std::rethrow_exception(secondFailure);
    if (step == Step::Done) {
        // The second half's rows follow the first half's, which may be fewer than its nodes.
        std::copy(secondValues, secondValues + std::size_t(secondRows) * languageCount,
                  values.data() + std::size_t(rows) * languageCount);
        step = second;
        result = secondResult;
        rows += secondRows;
    }
    if (step == Step::BadEncoding)
        return step;
    cells.rows = rows;
    values.resize(std::size_t(rows) * languageCount);
    return step;
}

// Indexes the rows on a second thread while they are being filled.
class BackgroundIndexer
{
public:
    explicit BackgroundIndexer(const PhraseTable& table)
    {
        // Without a second thread the rows stay pending, and the first lookup indexes them.
        try {
            m_thread = std::thread([this, &table] {
                try {
                    table.indexRowsAsFilled(m_filledRows, m_finished);
                } catch (...) {
                    m_failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
        }
    }
    ~BackgroundIndexer() { stop(); }
    void publish(int filledRows) { m_filledRows.store(filledRows, std::memory_order_release); }
    // Waits for the last rows to be indexed; throws what failed on the thread.
    void finish()
    {
        stop();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    void stop()
    {
        m_finished.store(true, std::memory_order_release);
        if (m_thread.joinable())
            m_thread.join();
    }

    std::atomic<int> m_filledRows{0};
    std::atomic<bool> m_finished{false};
    std::exception_ptr m_failure;
    std::thread m_thread;
};

// False when a text is not valid UTF-8.
bool fillItemCells(const ItemCells& cells, PhraseTable& table)
{
    const int languageCount = table.languageCount();
    table.reserveRows(cells.rows);
    // All rows are appended before the indexer starts: appending row by row would write the
    // lists' sizes, which the indexer keeps reading, and the cores would trade those lines.
    const int firstRow = table.appendEmptyRows(cells.rows);
    BackgroundIndexer indexer(table);
    const QByteArrayView* bytes = cells.texts.data();
    for (int row = firstRow; row < firstRow + cells.rows; ++row) {
        for (int language = 0; language < languageCount; ++language, ++bytes) {
            if (bytes->isNull())
                continue;
            QString text;
            if (!decodeUtf8(*bytes, text))
                return false;
            table.setCell(language, row, std::move(text));
        }
        // In batches: the two threads would otherwise contend for the counter's cache line
        // and for the lines of the rows being written.
        if ((row + 1) % 256 == 0)
            indexer.publish(row + 1);
    }
    indexer.publish(table.rowCount());
    indexer.finish();
    return true;
}

// The reader's steps; releaseTree is called once the document is no longer needed.
template <typename ReleaseTree>
ReadResult readDocument(const pugi::xml_document& doc, PhraseTable& table, qint64 fileBytes,
                        ReleaseTree releaseTree)
{
    const pugi::xml_node root = firstChildElement(doc, kRootElement);
    if (!root || !hasChildElement(firstChildElement(root, "Languages")))
        return ReadResult::UnknownFile;
    PhraseTable fresh;
    ReadResult result = ReadResult::ReadError;
    Step step = readLanguages(root, fresh, result);
    ItemCells cells;
    if (step == Step::Done)
        step = collectItemCells(root, fresh, cells, result, fileBytes);
    releaseTree();
    if (step == Step::BadEncoding || step == Step::Refused || !fillItemCells(cells, fresh))
        return ReadResult::ReadError;
    fresh.indexPendingRows();
    table = std::move(fresh);
    return result;
}

} // namespace

ReadResult readDictionary(const pugi::xml_document& doc, PhraseTable& table)
{
    // A document built in memory has already been paid for by its maker.
    try {
        return readDocument(doc, table, std::numeric_limits<qint64>::max(), [] {});
    } catch (const std::bad_alloc&) {
        return ReadResult::ReadError;
    }
}

ReadResult readDictionaryFile(const QString& path, PhraseTable& table)
{
    // A file that needs more memory than there is fails like a damaged one, leaving the table.
    try {
        pugi::xml_document doc;
        const qint64 fileBytes = QFileInfo(path).size();
        if (!loadXmlFile(path, doc, nullptr, Utf8Check::Values))
            return ReadResult::ReadError;
        return readDocument(doc, table, fileBytes, [&doc] { doc.reset(); });
    } catch (const std::bad_alloc&) {
        return ReadResult::ReadError;
    }
}

bool buildDictionaryDocument(const QList<TLangDict>& languages, pugi::xml_document& doc)
{
    doc.reset();
    std::vector<QByteArray> ids;
    for (const TLangDict& language : languages) {
        const QByteArray id = language.LangID.toUtf8();
        // Cells are read back by identifier: a second language with the same one would give
        // its texts to the first and lose its own.
        if (!isValidXmlName(language.LangID) || std::find(ids.begin(), ids.end(), id) != ids.end())
            return false;
        ids.push_back(id);
    }

    Utf8Scratch scratch;
    std::size_t length = 0;
    pugi::xml_node root = doc.append_child(kRootElement);
    pugi::xml_node names = root.append_child("Languages");
    bool built = bool(names);
    for (qsizetype i = 0; i < languages.size() && built; ++i) {
        const char* value = scratch.convert(languages[i].LangName, length);
        built = appendValueElement(names, ids[i].constData(), "Name", value, length);
    }
    pugi::xml_node charsets = root.append_child("Charsets");
    built = built && charsets;
    for (qsizetype i = 0; i < languages.size() && built; ++i) {
        const QByteArray number = QByteArray::number(unsigned(languages[i].Charset));
        built = appendValueElement(charsets, ids[i].constData(), "Charset", number.constData(), std::size_t(number.size()));
    }

    const qsizetype rows = languages.isEmpty() ? 0 : languages.first().Phrases.size();
    for (qsizetype row = 0; row < rows && built; ++row) {
        pugi::xml_node item = root.append_child("Item");
        built = bool(item);
        for (qsizetype i = 0; i < languages.size() && built; ++i) {
            const QStringList& phrases = languages[i].Phrases;
            const char* value = row < phrases.size() ? scratch.convert(phrases[row], length) : "";
            if (row >= phrases.size())
                length = 0;
            built = appendValueElement(item, ids[i].constData(), "Message", value, length);
        }
    }
    if (!built)
        throw std::bad_alloc();
    return true;
}

bool saveXmlFile(const pugi::xml_document& doc, const QString& path, Layout layout, QString* error,
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

bool writeDictionaryFile(const QList<TLangDict>& languages, const QString& path, Layout layout,
                         QString* error, SaveGuard* guard)
{
    try {
        pugi::xml_document doc;
        if (!buildDictionaryDocument(languages, doc))
            return setError(error, QStringLiteral("a language identifier is not a valid XML element name, or two languages share one"));
        return saveXmlFile(doc, path, layout, error, guard);
    } catch (const std::bad_alloc&) {
        return setError(error, outOfMemoryText());
    }
}

} // namespace orb

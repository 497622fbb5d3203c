#include "component/DictionaryFile.h"

#include "component/PhraseTable.h"
#include "component/TextRoutines.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace orb {

namespace {

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

// Languages and Charsets into the table: identifiers from Charsets, the charset's low 8 bits.
class HeadReader : public DictionaryHeadSink
{
public:
    HeadReader(PhraseTable& table, ReadResult& result) : m_table(table), m_result(result) {}
    Step step = Step::Done;

    bool language(int, const char* name, const FormatElement& element) override
    {
        QString langId, langName;
        if (!decodeUtf8(element.name(), langId) || (name && !decodeUtf8(name, langName)))
            return stop(Step::BadEncoding);
        if (!name)
            return fail();
        m_table.addLanguage(langId, langName);
        return true;
    }

    bool charset(int position, const char* charset, const FormatElement& element) override
    {
        if (position >= m_table.languageCount())
            return false; // surplus entries name no language
        int value = 0;
        QString langId;
        if (!decodeUtf8(element.name(), langId))
            return stop(Step::BadEncoding);
        if (!charset || !parseDecimal(charset, value))
            return fail();
        m_table.setLanguageId(position, langId);
        m_table.setCharset(position, quint8(value & 0xFF));
        return true;
    }

private:
    bool stop(Step why)
    {
        step = why;
        return false;
    }
    bool fail()
    {
        m_result = ReadResult::ReadError;
        return stop(Step::Failed);
    }

    PhraseTable& m_table;
    ReadResult& m_result;
};

Step readLanguages(const DictionaryDocument& doc, PhraseTable& table, ReadResult& result)
{
    HeadReader reader(table, result);
    if (!doc.walkLanguages(reader))
        return reader.step;
    if (!doc.hasCharsetEntries()) {
        result = ReadResult::UnknownCharset;
        return Step::Failed;
    }
    doc.walkCharsets(reader);
    return reader.step;
}

// The cells of the Items among root elements [first, end), one row of values per Item; rows
// counts the rows read, a row that failed included.
Step collectItems(const DictionaryDocument& doc, qsizetype first, qsizetype end, const std::vector<QByteArray>& ids,
                  QByteArrayView* values, int& rows, ReadResult& result, std::unique_ptr<char[]>& bytes)
{
    const CellCollection collected = collectCells(doc, first, end, ids, values, bytes);
    rows = collected.rows;
    switch (collected.stop) {
    case CellCollection::Stop::Done:
        result = ReadResult::Ok;
        return Step::Done;
    case CellCollection::Stop::MissingMessage:
        result = ReadResult::ReadError;
        return Step::Failed;
    case CellCollection::Stop::InvalidUtf8:
        break;
    }
    return Step::BadEncoding;
}

Step collectItemCells(const DictionaryDocument& doc, const PhraseTable& table, ItemCells& cells,
                      ReadResult& result, qint64 fileBytes)
{
    std::vector<QByteArray> ids;
    for (const TLangDict& language : table.languages())
        ids.push_back(language.LangID.toUtf8());
    const std::size_t languageCount = ids.size();
    // Telling the Items among the root's elements reads each one's name, far apart in the
    // file, and that is left to the two threads below.
    const qsizetype nodes = doc.rootElementCount();
    if (!gridFitsFile(nodes, qint64(languageCount), fileBytes)) {
        result = ReadResult::ReadError;
        return Step::Refused;
    }
    // Walking the cells is the larger part of this: the second half of the nodes is walked
    // on another thread. Its outcome counts only when the first half read without failure.
    const qsizetype firstHalf = nodes / 2;
    std::vector<QByteArrayView>& values = cells.texts;
    values.resize(std::size_t(nodes) * languageCount);

    int secondRows = 0;
    ReadResult secondResult = ReadResult::Ok;
    Step second = Step::Done;
    QByteArrayView* secondValues = values.data() + std::size_t(firstHalf) * languageCount;
    auto walkSecondHalf = [&] {
        second = collectItems(doc, firstHalf, nodes, ids, secondValues, secondRows, secondResult, cells.bytes[1]);
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
        step = collectItems(doc, 0, firstHalf, ids, values.data(), rows, result, cells.bytes[0]);
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

// The reader's steps; the document's tree is freed once the texts are copied out of it.
ReadResult readDocument(DictionaryDocument& doc, PhraseTable& table, qint64 fileBytes)
{
    if (!doc.hasRoot() || !doc.hasLanguages())
        return ReadResult::UnknownFile;
    PhraseTable fresh;
    ReadResult result = ReadResult::ReadError;
    Step step = readLanguages(doc, fresh, result);
    ItemCells cells;
    if (step == Step::Done)
        step = collectItemCells(doc, fresh, cells, result, fileBytes);
    doc.release();
    if (step == Step::BadEncoding || step == Step::Refused || !fillItemCells(cells, fresh))
        return ReadResult::ReadError;
    fresh.indexPendingRows();
    table = std::move(fresh);
    return result;
}

// The component's languages as the writer reads them.
class LanguagesSource : public DictionarySource
{
public:
    explicit LanguagesSource(const QList<TLangDict>& languages) : m_languages(languages) {}
    int languageCount() const override { return int(m_languages.size()); }
    QString languageId(int language) const override { return m_languages[language].LangID; }
    QString languageName(int language) const override { return m_languages[language].LangName; }
    qint64 charset(int language) const override { return m_languages[language].Charset; }
    qsizetype rowCount() const override { return m_languages.isEmpty() ? 0 : m_languages.first().Phrases.size(); }
    QStringView cell(int language, qsizetype row) const override
    {
        const QStringList& phrases = m_languages[language].Phrases;
        return row < phrases.size() ? QStringView(phrases[row]) : QStringView();
    }

private:
    const QList<TLangDict>& m_languages;
};

} // namespace

ReadResult readDictionaryFile(const QString& path, PhraseTable& table)
{
    // A file that needs more memory than there is fails like a damaged one, leaving the table.
    try {
        DictionaryDocument doc;
        const qint64 fileBytes = QFileInfo(path).size();
        if (!doc.load(path, nullptr, Utf8Check::Values))
            return ReadResult::ReadError;
        return readDocument(doc, table, fileBytes);
    } catch (const std::bad_alloc&) {
        return ReadResult::ReadError;
    }
}

bool writeDictionaryFile(const QList<TLangDict>& languages, const QString& path, Layout layout, QString* error,
                         SaveGuard* guard)
{
    return writeDictionary(LanguagesSource(languages), path, layout, error, guard);
}

} // namespace orb

#include "component/PhraseTable.h"

#include "component/TextRoutines.h"

#include <cstring>
#include <thread>

namespace orb {

namespace {

// Whether the text holds an ampersand, four units to a word: a lane of w ^ ('&' * ones) is
// zero where the unit is one, and (v - ones) & ~v has a lane's top bit set when some lane is
// zero. Every miss asks, and on texts of a few dozen units this costs less than the call
// QStringView::contains makes to search for a substring of one character.
bool holdsAmpersand(QStringView text)
{
    constexpr std::uint64_t ones = 0x0001000100010001ull;
    constexpr std::uint64_t tops = 0x8000800080008000ull;
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    std::uint64_t found = 0;
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, p + i, sizeof w);
        w ^= u'&' * ones;
        found |= (w - ones) & ~w;
    }
    if (found & tops)
        return true;
    for (; i < n; ++i) {
        if (p[i] == u'&')
            return true;
    }
    return false;
}

} // namespace

void PhraseTable::clear()
{
    m_languages.clear();
    m_cellFlags.clear();
    m_slots.clear();
    m_usedSlots = 0;
    m_indexedRows = 0;
}

void PhraseTable::addLanguage(const QString& langId, const QString& langName)
{
    TLangDict language;
    language.LangID = langId;
    language.LangName = langName;
    // A language added to a table that already has rows gets empty texts for them, so the
    // table stays rectangular; the empty texts are indexed like any other.
    const int rows = rowCount();
    for (int r = 0; r < rows; ++r)
        language.Phrases.append(QString());
    m_languages.append(std::move(language));
    m_cellFlags.emplace_back(std::size_t(m_indexedRows), std::uint8_t(BlankCell));
    if (rows > 0) {
        const int index = languageCount() - 1;
        insert(foldedHash(QStringView()), index, 0);
    }
}

void PhraseTable::setLanguageId(int language, const QString& langId)
{
    m_languages[language].LangID = langId;
}

void PhraseTable::setCharset(int language, quint8 charset)
{
    m_languages[language].Charset = charset;
}

int PhraseTable::appendEmptyRows(int count)
{
    const int first = rowCount();
    for (TLangDict& language : m_languages)
        language.Phrases.resize(first + count);
    return first;
}

void PhraseTable::setCell(int language, int row, QString text)
{
    Q_ASSERT(row >= m_indexedRows);
    m_languages[language].Phrases[row] = std::move(text);
}

void PhraseTable::appendRowInEveryLanguage(const QString& text)
{
    for (TLangDict& language : m_languages)
        language.Phrases.append(text);
}

void PhraseTable::reserveRows(int rows)
{
    const int total = rowCount() + rows;
    for (int language = 0; language < languageCount(); ++language) {
        m_languages[language].Phrases.reserve(total);
        m_cellFlags[language].resize(std::size_t(total));
    }
    reserveEntries(m_usedSlots + std::size_t(rows) * std::size_t(languageCount()));
}

// The index is kept at most two thirds full, so that probe runs stay short; its size need
// not be a power of two, as a hash is mapped onto the slots by multiplication.
void PhraseTable::reserveEntries(std::size_t entries) const
{
    if (entries * 3 > m_slots.size() * 2)
        growIndex(std::max<std::size_t>(16, entries * 5 / 3 + 1));
}

void PhraseTable::growIndex(std::size_t slotCount) const
{
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(slotCount, Slot{nullptr, 0, 0, -1, -1});
    m_usedSlots = 0;
    // Entries are unique already: re-placing them needs no text comparison.
    for (const Slot& slot : old) {
        if (slot.language < 0)
            continue;
        std::size_t i = homeSlot(slot.hash);
        while (m_slots[i].language >= 0)
            i = nextSlot(i);
        m_slots[i] = slot;
        ++m_usedSlots;
    }
}

void PhraseTable::insert(std::uint32_t hash, int language, int row) const
{
    // Growing by half again keeps the cost of learning one text at a time constant.
    if ((m_usedSlots + 1) * 3 > m_slots.size() * 2)
        reserveEntries((m_usedSlots + 1) * 3 / 2);
    const QString& text = m_languages[language].Phrases[row];
    for (std::size_t i = homeSlot(hash);; i = nextSlot(i)) {
        Slot& slot = m_slots[i];
        if (slot.language < 0) {
            const std::uint32_t size =
                text.size() < qsizetype(kLongText) ? std::uint32_t(text.size()) : kLongText;
            slot = Slot{QStringView(text).utf16(), size, hash,
                        std::int32_t(language), std::int32_t(row)};
            ++m_usedSlots;
            return;
        }
        // Only the first row of a text in a language is kept: that is the row a scan finds.
        if (slot.hash == hash && slot.language == language && equalsFolded(slotText(slot), text))
            return;
    }
}

void PhraseTable::indexAppendedRows() const
{
    const int rows = rowCount();
    const int languages = languageCount();
    reserveEntries(m_usedSlots + std::size_t(rows - m_indexedRows) * std::size_t(languages));
    for (int language = 0; language < languages; ++language) {
        if (m_cellFlags[language].size() < std::size_t(rows))
            m_cellFlags[language].resize(std::size_t(rows));
    }
    indexRows(m_indexedRows, rows);
    m_indexedRows = rows;
}

void PhraseTable::indexRowsAsFilled(const std::atomic<int>& filledRows,
                                    const std::atomic<bool>& finished) const
{
    int indexed = m_indexedRows;
    for (;;) {
        // finished first: once it is seen, the count read after it is the final one.
        const bool last = finished.load(std::memory_order_acquire);
        const int filled = filledRows.load(std::memory_order_acquire);
        if (filled > indexed) {
            indexRows(indexed, filled);
            indexed = filled;
        } else if (last) {
            break;
        } else {
            std::this_thread::yield();
        }
    }
    m_indexedRows = indexed;
}

void PhraseTable::indexRows(int fromRow, int toRow) const
{
    // The slots of neighbouring cells lie far apart in a large table: hashing a batch of
    // cells and asking for all their slots before using the first lets the cache misses
    // overlap instead of coming one after another.
    const int languages = languageCount();
    constexpr int batchRows = 16;
    std::uint32_t hashes[batchRows * 8];
    const int languagesPerPass = std::min(languages, 8);
    for (int firstLanguage = 0; firstLanguage < languages; firstLanguage += languagesPerPass) {
        const int lastLanguage = std::min(languages, firstLanguage + languagesPerPass);
        for (int first = fromRow; first < toRow; first += batchRows) {
            const int last = std::min(toRow, first + batchRows);
            std::uint32_t* hash = hashes;
            for (int row = first; row < last; ++row) {
                for (int language = firstLanguage; language < lastLanguage; ++language) {
                    const QString& text = m_languages[language].Phrases[row];
                    m_cellFlags[language][row] = std::uint8_t((isBlank(text) ? BlankCell : 0)
                                                              | (text.contains(u'\n') ? HoldsLineFeed : 0));
                    *hash = foldedHash(text);
                    __builtin_prefetch(&m_slots[homeSlot(*hash)]);
                    ++hash;
                }
            }
            hash = hashes;
            for (int row = first; row < last; ++row) {
                for (int language = firstLanguage; language < lastLanguage; ++language)
                    insert(*hash++, language, row);
            }
        }
    }
}

int PhraseTable::findInLanguage(int language, QStringView key) const
{
    indexPendingRows();
    if (m_slots.empty())
        return -1;
    const std::uint32_t hash = foldedHash(key);
    for (std::size_t i = homeSlot(hash); m_slots[i].language >= 0; i = nextSlot(i)) {
        const Slot& slot = m_slots[i];
        if (slot.hash == hash && slot.language == language && equalsFolded(slotText(slot), key))
            return slot.row;
    }
    return -1;
}

int PhraseTable::findPhrase(QStringView key, int& lastLanguage, int resultLanguage) const
{
    indexPendingRows();
    if (m_slots.empty())
        return -1;
    const bool lastIsValid = lastLanguage >= 0 && lastLanguage < languageCount();
    const std::uint32_t hash = foldedHash(key);
    // One pass over the probe run answers both steps of the search: the entry of the last
    // language if there is one, else the entry of the lowest language.
    int firstLanguage = -1;
    int firstRow = -1;
    for (std::size_t i = homeSlot(hash); m_slots[i].language >= 0; i = nextSlot(i)) {
        const Slot& slot = m_slots[i];
        if (slot.hash != hash || (firstLanguage >= 0 && slot.language > firstLanguage
                                  && !(lastIsValid && slot.language == lastLanguage)))
            continue;
        // The caller will read this row in its own language: fetch its flags and text while
        // the candidate is compared, so that the cache misses overlap.
        if (resultLanguage >= 0) {
            __builtin_prefetch(&m_cellFlags[resultLanguage][slot.row]);
            // Copying the result writes its reference count: ask for that line to write.
            const QString& result = m_languages[resultLanguage].Phrases[slot.row];
            __builtin_prefetch(const_cast<QString&>(result).data_ptr().d_ptr(), 1);
        }
        if (!equalsFolded(slotText(slot), key))
            continue;
        if (lastIsValid && slot.language == lastLanguage)
            return slot.row;
        if (firstLanguage < 0 || slot.language < firstLanguage) {
            firstLanguage = slot.language;
            firstRow = slot.row;
        }
    }
    if (firstLanguage >= 0)
        lastLanguage = firstLanguage;
    return firstRow;
}

int PhraseTable::findLanguageIgnoringCase(const QString& langId) const
{
    const QString wanted = langId.toLower();
    for (int i = 0; i < languageCount(); ++i) {
        if (m_languages[i].LangID.toLower() == wanted)
            return i;
    }
    return -1;
}

QString PhraseTable::translate(const QString& text, const Lookup& lookup, int& lastLanguage,
                               bool learn, bool* learned)
{
    if (learned)
        *learned = false;
    const int row = findRow(text, lookup, lastLanguage);
    if (row >= 0)
        return translated(row, text, lookup);
    if (text.isEmpty() || lookup.current < 0 || lookup.current >= languageCount())
        return text;
    const QString key = text.contains(u'\r') ? cleanStr(text) : text;
    // A text no dictionary file can hold (a control character, a lone surrogate) would make
    // every later save of the dictionary fail: it is translated as it is, never learned.
    if (learn && firstNonXmlChar(key) < 0) {
        appendRowInEveryLanguage(key);
        if (learned)
            *learned = true;
    }
    return restoreStr(key);
}

int PhraseTable::findRow(QStringView text, const Lookup& lookup, int& lastLanguage) const
{
    if (text.isEmpty() || lookup.current < 0 || lookup.current >= languageCount())
        return -1;
    // Most texts hold no carriage return and are looked up as they are, without a copy.
    QString cleaned;
    if (text.contains(u'\r')) {
        cleaned = text.toString();
        cleaned.remove(u'\r');
        text = cleaned;
    }
    const int row = findPhrase(text, lastLanguage, lookup.current);
    // Without an ampersand the retry would repeat the same search, which changes nothing.
    if (row >= 0 || !holdsAmpersand(text))
        return row;
    QString withoutAmpersands = text.toString();
    withoutAmpersands.remove(u'&');
    return findPhrase(withoutAmpersands, lastLanguage, lookup.current);
}

// The current language's text of a found row, with the fallback for blank texts.
QString PhraseTable::translated(int row, QStringView text, const Lookup& lookup, LineBreaks lineBreaks) const
{
    const bool lineFeedAlone = lineBreaks == LineBreaks::LineFeedAlone;
    int language = lookup.current;
    if (m_cellFlags[language][row] & BlankCell) {
        if (!lookup.fallbackSet)
            return lineFeedAlone ? cleanStr(text.toString()) : restoreStr(text.toString());
        if (lookup.fallback >= 0 && lookup.fallback < languageCount())
            language = lookup.fallback;
    }
    const QString& result = m_languages[language].Phrases[row];
    const std::uint8_t flags = m_cellFlags[language][row];
    if (lineFeedAlone)
        return cleanStr(result);
    return (flags & HoldsLineFeed) ? restoreStr(result) : result;
}

} // namespace orb

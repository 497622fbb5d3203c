#pragma once

#include "component/LangDict.h"

#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

namespace orb {

// The component's in-memory dictionary: languages with parallel phrase lists, and an index
// that finds the first row holding a text in a language without scanning the lists.
// Rows are only ever appended, so the index stays exact as long as cells are written only
// in rows that were not yet indexed (the reader fills each row before the next lookup).
class PhraseTable
{
public:
    const QList<TLangDict>& languages() const { return m_languages; }
    int languageCount() const { return int(m_languages.size()); }
    // The number of phrase rows: the length of the first language's list (0 without languages).
    int rowCount() const { return m_languages.isEmpty() ? 0 : int(m_languages.first().Phrases.size()); }

    // Drops every language, row and index entry.
    void clear();
    // Appends a language with an empty phrase list of the current row count's length.
    void addLanguage(const QString& langId, const QString& langName);
    // Identifier and charset may change after creation; the index does not depend on them.
    void setLanguageId(int language, const QString& langId);
    void setCharset(int language, quint8 charset);
    // Appends rows of empty texts to every language and returns the index of the first.
    int appendEmptyRows(int count);
    // Writes a cell of a row that is not yet indexed (see the class comment).
    void setCell(int language, int row, QString text);
    // Appends one row that holds the text in every language (learning).
    void appendRowInEveryLanguage(const QString& text);
    // Reserves room for that many more rows, index included: loading then never rehashes,
    // and appending them moves no text, so another thread may index rows meanwhile.
    void reserveRows(int rows);

    // Indexes the rows appended since the last call; lookups call it themselves, so the check
    // is inline.
    void indexPendingRows() const
    {
        if (m_indexedRows < rowCount())
            indexAppendedRows();
    }
    // Runs on a thread of its own while another one fills rows appended before it started
    // and publishes how many are complete in filledRows: indexes them as they come, until
    // finished is set and every published row is indexed. The table must not be used
    // otherwise until this returns.
    void indexRowsAsFilled(const std::atomic<int>& filledRows, const std::atomic<bool>& finished) const;

    // The first row of the language whose text equals the key case-insensitively, or -1.
    int findInLanguage(int language, QStringView key) const;
    // The phrase search: the language lastLanguage first (when it is a valid index), then
    // every language in order; a hit outside lastLanguage moves lastLanguage there.
    // resultLanguage, when given, is the language whose text of the row the caller reads next.
    int findPhrase(QStringView key, int& lastLanguage, int resultLanguage = -1) const;

    // The index of the first language whose lower-cased identifier equals the lower-cased
    // langId, or -1.
    int findLanguageIgnoringCase(const QString& langId) const;

    struct Lookup
    {
        int current = -1;       // language to translate into; -1 = no current language
        int fallback = -1;      // language used for blank texts when a fallback is set
        bool fallbackSet = false; // a fallback identifier is set (even one that is not found)
    };
    // Translates the text into the current language; on a miss, learns it when learn is true
    // (and reports that through learned). lastLanguage is the search state of findPhrase.
    QString translate(const QString& text, const Lookup& lookup, int& lastLanguage, bool learn,
                      bool* learned = nullptr);
    // The two halves of translate without learning, for callers that must tell a miss from a
    // hit: the row that answers the text (as written but for carriage returns, then without
    // ampersands), -1 on a miss or without a current language; and that row's text.
    // Line breaks as the dictionary's callers want them: CR LF for the host's Translate(),
    // a line feed alone for Qt's widgets.
    enum class LineBreaks { CrLf, LineFeedAlone };
    int findRow(QStringView text, const Lookup& lookup, int& lastLanguage) const;
    QString translated(int row, QStringView text, const Lookup& lookup,
                       LineBreaks lineBreaks = LineBreaks::CrLf) const;

    // Memory held by the index, for measurements.
    qsizetype indexBytes() const { return qsizetype(m_slots.size() * sizeof(Slot)); }

private:
    // What a hit needs to know of its result cell without reading the text itself.
    enum CellFlag : std::uint8_t {
        BlankCell = 1,     // isBlank: the fallback applies
        HoldsLineFeed = 2, // restoreStr may change the text
    };

    // A slot points at its text's characters itself, so that a comparison does not first
    // have to fetch the QString from the language's list: on a large table that is one
    // cache miss less per lookup. Indexed texts are never changed, so the pointer stays valid.
    struct Slot
    {
        const char16_t* chars;
        std::uint32_t size; // kLongText: too long to tell here, ask the QString
        std::uint32_t hash;
        std::int32_t language; // -1 marks an empty slot
        std::int32_t row;
    };
    static constexpr std::uint32_t kLongText = 0xFFFFFFFFu;

    void indexAppendedRows() const;
    void indexRows(int fromRow, int toRow) const;
    void insert(std::uint32_t hash, int language, int row) const;
    // Makes room for that many entries in all without another growth.
    void reserveEntries(std::size_t entries) const;
    void growIndex(std::size_t slotCount) const;
    // The first slot a hash probes, and the one after a slot.
    std::size_t homeSlot(std::uint32_t hash) const
    {
        return std::size_t((std::uint64_t(hash) * m_slots.size()) >> 32);
    }
    std::size_t nextSlot(std::size_t i) const { return i + 1 == m_slots.size() ? 0 : i + 1; }
    QStringView slotText(const Slot& slot) const
    {
        if (slot.size == kLongText)
            return m_languages[slot.language].Phrases[slot.row];
        return QStringView(slot.chars, qsizetype(slot.size));
    }

    QList<TLangDict> m_languages;
    // Per language, the CellFlags of every indexed row.
    mutable std::vector<std::vector<std::uint8_t>> m_cellFlags;
    mutable std::vector<Slot> m_slots;
    mutable std::size_t m_usedSlots = 0;
    mutable int m_indexedRows = 0;
};

} // namespace orb

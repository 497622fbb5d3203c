#pragma once

#include "dictionary/DictTable.h"
#include "wizard/Harvest.h"

#include <cstdint>
#include <vector>

namespace orb {

// The target language column of an open dictionary, as the harvest fills it: a phrase goes into
// the last row unless that row holds text, then into a new one. The column's texts are indexed
// by their rows, so that a phrase costs the same whatever the column's length.
class ColumnSink : public PhraseSink
{
public:
    ColumnSink(DictTable& table, int column);

    // At least one phrase was added.
    bool changed() const { return m_changed; }

    bool phraseExists(const QString& phrase) const override;
    void addPhrase(const QString& phrase) override;

private:
    // An open-addressing index of rows by their text's hash: it holds no copy of a text, and a
    // probe compares hashes before it reads a cell.
    struct Slot
    {
        std::uint32_t hash = 0;
        int row = 0; // 0: empty
    };
    class RowIndex
    {
    public:
        explicit RowIndex(std::size_t size);
        // The row whose text is text, or 0.
        int find(const DictTable& table, int column, const QString& text, std::uint32_t hash) const;
        // Adds a row whose text the index lacks; false when it grew full (add ignores nothing).
        void add(std::uint32_t hash, int row);

    private:
        bool taken(std::size_t slot) const { return m_taken[slot / 64] >> (slot % 64) & 1; }
        void grow();

        std::vector<Slot> m_slots;
        // A bit for each slot that is taken: read before the slot, so that a probe for a text
        // the index lacks, as most of a harvest's are, reads a few bytes that stay in the
        // cache instead of a slot that seldom does.
        std::vector<std::uint64_t> m_taken;
        std::size_t m_used = 0;
    };
    static std::uint32_t hashOf(const QString& text);
    int rowOf(const QString& text, std::uint32_t hash) const;

    DictTable& m_table;
    int m_column;
    // The column's texts as the sink found them, which a harvest only reads, and the phrases it
    // added since, few enough to stay in the cache while the sources stream through it.
    RowIndex m_found;
    RowIndex m_added;
    bool m_changed = false;
};

} // namespace orb

#pragma once

#include "DictTable.h"
#include "Harvest.h"

#include <cstdint>
#include <vector>

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
    // probe compares hashes before it reads a cell, so that the scan's phrases, which the
    // index mostly lacks, cost one cache miss each.
    struct Slot
    {
        std::uint32_t hash = 0;
        int row = 0; // 0: empty
    };
    static std::uint32_t hashOf(const QString& text);
    // The slot that holds the text, or the empty one where it belongs.
    std::size_t slotFor(const QString& text, std::uint32_t hash) const;
    void index(std::size_t slot, std::uint32_t hash, int row);
    void grow();

    DictTable& m_table;
    int m_column;
    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
    bool m_changed = false;
};

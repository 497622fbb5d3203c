#include "ColumnSink.h"

#include <QHash>

#include <bit>

ColumnSink::ColumnSink(DictTable& table, int column) : m_table(table), m_column(column)
{
    // Room for as many new phrases as the column holds, so that a harvest seldom makes the
    // index grow.
    m_slots.resize(std::bit_ceil(std::size_t(4 * table.rowCount()) + 16));
    for (int row = 1; row < table.rowCount(); ++row) {
        // Empty cells are no phrases: left out, the last row can be filled without the index
        // holding a text that is gone.
        const QString& text = table.cell(column, row);
        if (text.isEmpty())
            continue;
        const std::uint32_t hash = hashOf(text);
        const std::size_t slot = slotFor(text, hash);
        if (m_slots[slot].row == 0)
            index(slot, hash, row);
    }
}

std::uint32_t ColumnSink::hashOf(const QString& text)
{
    const std::size_t hash = qHash(text);
    return std::uint32_t(hash ^ (hash >> 32));
}

std::size_t ColumnSink::slotFor(const QString& text, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.row == 0 || (slot.hash == hash && m_table.cell(m_column, slot.row) == text))
            return i;
    }
}

void ColumnSink::index(std::size_t slot, std::uint32_t hash, int row)
{
    m_slots[slot] = {hash, row};
    if (2 * ++m_used > m_slots.size())
        grow();
}

void ColumnSink::grow()
{
    std::vector<Slot> old(2 * m_slots.size());
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.row == 0)
            continue;
        std::size_t i = slot.hash & mask;
        while (m_slots[i].row != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

bool ColumnSink::phraseExists(const QString& phrase) const
{
    return m_slots[slotFor(phrase, hashOf(phrase))].row != 0;
}

void ColumnSink::addPhrase(const QString& phrase)
{
    if (phrase.isEmpty())
        return;
    const std::uint32_t hash = hashOf(phrase);
    const std::size_t slot = slotFor(phrase, hash);
    if (m_slots[slot].row != 0)
        return;
    const int last = m_table.rowCount() - 1;
    if (!m_table.isRowEmpty(last))
        m_table.appendRow();
    const int row = m_table.rowCount() - 1;
    m_table.setCell(m_column, row, phrase);
    index(slot, hash, row);
    m_changed = true;
}

#include "cli/ColumnSink.h"

#include <QHash>

#include <bit>

namespace orb {

namespace {

std::size_t slotsFor(int texts)
{
    return std::bit_ceil(std::size_t(2 * texts) + 16);
}

} // namespace

ColumnSink::RowIndex::RowIndex(std::size_t size) : m_slots(size), m_taken((size + 63) / 64)
{
}

int ColumnSink::RowIndex::find(const DictTable& table, int column, const QString& text, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask; taken(i); i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.hash == hash && table.cell(column, slot.row) == text)
            return slot.row;
    }
    return 0;
}

void ColumnSink::RowIndex::add(std::uint32_t hash, int row)
{
    if (2 * (m_used + 1) > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    while (taken(i))
        i = (i + 1) & mask;
    m_slots[i] = {hash, row};
    m_taken[i / 64] |= std::uint64_t(1) << (i % 64);
    ++m_used;
}

void ColumnSink::RowIndex::grow()
{
    RowIndex larger(2 * m_slots.size());
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (taken(i))
            larger.add(m_slots[i].hash, m_slots[i].row);
    }
    *this = std::move(larger);
}

ColumnSink::ColumnSink(DictTable& table, int column)
    : m_table(table), m_column(column), m_found(slotsFor(table.rowCount())), m_added(4096)
{
    for (int row = 1; row < table.rowCount(); ++row) {
        // Empty cells are no phrases: left out, the last row can be filled without the index
        // holding a text that is gone.
        const QString& text = table.cell(column, row);
        if (text.isEmpty())
            continue;
        const std::uint32_t hash = hashOf(text);
        if (m_found.find(table, column, text, hash) == 0)
            m_found.add(hash, row);
    }
}

std::uint32_t ColumnSink::hashOf(const QString& text)
{
    const std::size_t hash = qHash(text);
    return std::uint32_t(hash ^ (hash >> 32));
}

int ColumnSink::rowOf(const QString& text, std::uint32_t hash) const
{
    if (const int row = m_found.find(m_table, m_column, text, hash))
        return row;
    return m_added.find(m_table, m_column, text, hash);
}

bool ColumnSink::phraseExists(const QString& phrase) const
{
    return rowOf(phrase, hashOf(phrase)) != 0;
}

void ColumnSink::addPhrase(const QString& phrase)
{
    if (phrase.isEmpty())
        return;
    const std::uint32_t hash = hashOf(phrase);
    if (rowOf(phrase, hash) != 0)
        return;
    const int last = m_table.rowCount() - 1;
    if (!m_table.isRowEmpty(last))
        m_table.appendRow();
    const int row = m_table.rowCount() - 1;
    m_table.setCell(m_column, row, phrase);
    m_added.add(hash, row);
    m_changed = true;
}

} // namespace orb

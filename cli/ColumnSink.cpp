#include "ColumnSink.h"

ColumnSink::ColumnSink(DictTable& table, int column) : m_table(table), m_column(column)
{
    // Room for as many new phrases as the column holds, so that a harvest seldom makes the hash
    // grow, which rehashes every text of the column at once.
    m_held.reserve(2 * qsizetype(table.rowCount()));
    for (int row = 1; row < table.rowCount(); ++row)
        m_held.insert(table.cell(column, row));
}

bool ColumnSink::phraseExists(const QString& phrase) const
{
    return m_held.contains(phrase);
}

void ColumnSink::addPhrase(const QString& phrase)
{
    const qsizetype held = m_held.size();
    m_held.insert(phrase);
    if (m_held.size() == held)
        return;
    const int last = m_table.rowCount() - 1;
    if (!m_table.isRowEmpty(last))
        m_table.appendRow();
    m_table.setCell(m_column, m_table.rowCount() - 1, phrase);
    m_changed = true;
}

#include "ColumnSink.h"

ColumnSink::ColumnSink(DictTable& table, int column) : m_table(table), m_column(column)
{
    m_held.reserve(table.rowCount());
    for (int row = 1; row < table.rowCount(); ++row)
        m_held.insert(table.cell(column, row));
}

bool ColumnSink::phraseExists(const QString& phrase) const
{
    return m_held.contains(phrase);
}

void ColumnSink::addPhrase(const QString& phrase)
{
    if (m_held.contains(phrase))
        return;
    const int last = m_table.rowCount() - 1;
    if (!m_table.isRowEmpty(last))
        m_table.appendRow();
    m_table.setCell(m_column, m_table.rowCount() - 1, phrase);
    m_held.insert(phrase);
    m_changed = true;
}

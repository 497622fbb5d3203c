#include "dictionary/DictSearch.h"

namespace orb {

namespace {

bool holds(const DictTable& table, const CellSearch& search, int col, int row)
{
    if (search.col >= 0 && col != search.col)
        return false;
    return table.cell(col, row).contains(search.text, Qt::CaseInsensitive);
}

} // namespace

std::optional<CellPos> findCell(const DictTable& table, const CellSearch& search, CellPos from)
{
    const int cols = table.columnCount();
    const int rows = table.rowCount() - 1;
    if (search.text.isEmpty() || rows < 1)
        return std::nullopt;
    // Cells numbered in reading order; a start outside the table counts as before the first.
    const long long count = (long long)(rows) * cols;
    long long start = (long long)(from.row - 1) * cols + from.col;
    if (from.row < 1 || from.row > rows || from.col < 0 || from.col >= cols)
        start = search.forward ? count - 1 : 0;
    const long long step = search.forward ? 1 : count - 1;
    for (long long i = 1; i <= count; ++i) {
        const long long at = (start + i * step) % count;
        const int row = int(at / cols) + 1;
        if (search.rowShown && !search.rowShown(row))
            continue;
        const int col = int(at % cols);
        if (holds(table, search, col, row))
            return CellPos{col, row};
    }
    return std::nullopt;
}

Completeness completenessOf(const DictTable& table)
{
    Completeness result;
    result.filled.assign(std::size_t(table.columnCount()), 0);
    for (int row = 1; row < table.rowCount(); ++row) {
        if (table.isRowEmpty(row))
            continue;
        ++result.phrases;
        for (int col = 0; col < table.columnCount(); ++col) {
            if (!table.cell(col, row).isEmpty())
                ++result.filled[std::size_t(col)];
        }
    }
    return result;
}

int percentFilled(const Completeness& completeness, int col)
{
    if (col < 0 || std::size_t(col) >= completeness.filled.size())
        return 0;
    if (completeness.phrases == 0)
        return 100;
    return int((long long)(completeness.filled[std::size_t(col)]) * 100 / completeness.phrases);
}

} // namespace orb

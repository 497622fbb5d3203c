#include "dictionary/DictTable.h"

#include <QCollator>

#include <algorithm>
#include <utility>

namespace orb {

QString languageHeader(const QString& langName, const QString& langId)
{
    return langName + u'(' + langId + u')';
}

QString HeaderPart(int part, const QString& header)
{
    const qsizetype open = header.indexOf(u'(');
    if (part == 1)
        return open < 0 ? header : header.left(open);
    if (part != 0 || open < 0)
        return QString();
    const qsizetype close = header.indexOf(u')', open + 1);
    return close < 0 ? QString() : header.mid(open + 1, close - open - 1);
}

namespace {

// UTF-16 code units ordered as the code points they encode: surrogates, which encode the
// code points above U+FFFF, move above the rest of the Basic Multilingual Plane.
inline char16_t inCodePointOrder(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit >= 0xE000 ? char16_t(unit - 0x800) : char16_t(unit + 0x2000);
}

// The phrase rows 1 .. rows in the order of their keys (keyOf(row)) under less. Ascending
// keeps rows with equal keys in their order. Descending gives what inserting each row
// before every row whose key is greater or equal gives: equal keys come out in reverse.
template <typename KeyOf, typename Less>
std::vector<int> stableRowOrder(int rows, bool ascending, const KeyOf& keyOf, const Less& less)
{
    struct Entry
    {
        decltype(keyOf(1)) key;
        int row;
    };
    std::vector<Entry> entries;
    entries.reserve(std::size_t(rows));
    for (int row = 1; row <= rows; ++row)
        entries.push_back({keyOf(row), row});
    if (ascending) {
        std::stable_sort(entries.begin(), entries.end(),
                         [&less](const Entry& a, const Entry& b) { return less(a.key, b.key); });
    } else {
        std::reverse(entries.begin(), entries.end());
        std::stable_sort(entries.begin(), entries.end(),
                         [&less](const Entry& a, const Entry& b) { return less(b.key, a.key); });
    }
    std::vector<int> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries)
        order.push_back(entry.row);
    return order;
}

} // namespace

bool lessByCodePoint(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const auto [ia, ib] = std::mismatch(a.utf16(), a.utf16() + common, b.utf16());
    if (ia == a.utf16() + common)
        return a.size() < b.size();
    return inCodePointOrder(*ia) < inCodePointOrder(*ib);
}

DictTable::DictTable()
{
    clear();
}

void DictTable::countInIndex(int col, const QString& text, int delta) const
{
    if (col < 0 || col != m_indexedCol)
        return;
    const auto found = m_index.find(text);
    if (found == m_index.end())
        m_index.insert(text, delta);
    else if ((*found += delta) == 0)
        m_index.erase(found);
}

void DictTable::dropIndex()
{
    m_indexedCol = -1;
    m_index.clear();
}

void DictTable::setColumn(int col, const LangColumn& language)
{
    if (col >= 0 && col < columnCount())
        m_columns[std::size_t(col)] = language;
}

QString DictTable::headerText(int col) const
{
    const LangColumn& language = column(col);
    return languageHeader(language.langName, language.langId);
}

const QString& DictTable::cell(int col, int row) const
{
    static const QString none;
    return isPhraseCell(col, row) ? m_cells[at(col, row)] : none;
}

void DictTable::setCell(int col, int row, const QString& text)
{
    if (!isPhraseCell(col, row))
        return;
    QString& cell = m_cells[at(col, row)];
    countInIndex(col, cell, -1);
    cell = text;
    countInIndex(col, cell, +1);
}

bool DictTable::isRowEmpty(int row) const
{
    if (row < 1 || row > m_rows)
        return false;
    const auto first = m_cells.begin() + qsizetype(at(0, row));
    return std::all_of(first, first + columnCount(), [](const QString& text) { return text.isEmpty(); });
}

void DictTable::clear()
{
    resetColumns({LangColumn{}});
}

void DictTable::resetColumns(std::vector<LangColumn> columns)
{
    if (columns.empty())
        columns.push_back(LangColumn{});
    m_columns = std::move(columns);
    m_cells.assign(m_columns.size(), QString());
    m_rows = 1;
    dropIndex();
}

void DictTable::reserveRows(int rows)
{
    m_cells.reserve(std::size_t(rows) * m_columns.size());
}

void DictTable::appendRow()
{
    m_cells.resize(m_cells.size() + m_columns.size());
    ++m_rows;
    countInIndex(m_indexedCol, QString(), +1);
}

void DictTable::insertRow(int row, std::vector<QString> cells)
{
    if (row < 1 || row > m_rows + 1)
        return;
    cells.resize(m_columns.size());
    m_cells.insert(m_cells.begin() + qsizetype(at(0, row)), std::make_move_iterator(cells.begin()),
                   std::make_move_iterator(cells.end()));
    ++m_rows;
    // The index counts texts, not places: a harvest that adds row after row keeps it.
    countInIndex(m_indexedCol, cell(m_indexedCol, row), +1);
}

std::vector<QString> DictTable::rowCells(int row) const
{
    if (row < 1 || row > m_rows)
        return {};
    const auto first = m_cells.begin() + qsizetype(at(0, row));
    return {first, first + columnCount()};
}

bool DictTable::deleteRow(int row)
{
    if (m_rows <= 1 || row < 1 || row > m_rows)
        return false;
    countInIndex(m_indexedCol, cell(m_indexedCol, row), -1);
    const auto first = m_cells.begin() + qsizetype(at(0, row));
    m_cells.erase(first, first + columnCount());
    --m_rows;
    return true;
}

int DictTable::deleteEmptyRows()
{
    // One pass that keeps the non-empty rows in order: removing rows one by one would move
    // the rest of the table once for every removed row.
    const std::size_t width = m_columns.size();
    int kept = 0;
    for (int row = 1; row <= m_rows; ++row) {
        if (isRowEmpty(row))
            continue;
        ++kept;
        if (kept != row)
            std::move(m_cells.begin() + qsizetype(at(0, row)), m_cells.begin() + qsizetype(at(0, row) + width),
                      m_cells.begin() + qsizetype(at(0, kept)));
    }
    // With no text anywhere the first row, never moved from, stays as the one phrase row.
    const int rows = std::max(kept, 1);
    const int removed = m_rows - rows;
    m_cells.resize(std::size_t(rows) * width);
    m_rows = rows;
    dropIndex();
    return removed;
}

std::vector<int> DictTable::emptyRows() const
{
    std::vector<int> rows;
    for (int row = 1; row <= m_rows; ++row) {
        if (isRowEmpty(row))
            rows.push_back(row);
    }
    return rows;
}

void DictTable::insertEmptyRows(const std::vector<int>& rows)
{
    const int total = m_rows + int(rows.size());
    if (rows.empty() || !std::is_sorted(rows.begin(), rows.end()) || rows.front() < 1 || rows.back() > total
        || std::adjacent_find(rows.begin(), rows.end()) != rows.end())
        return;
    const std::size_t width = m_columns.size();
    std::vector<QString> cells(std::size_t(total) * width);
    auto next = rows.begin();
    int from = 1;
    for (int row = 1; row <= total; ++row) {
        if (next != rows.end() && *next == row) {
            ++next;
            continue;
        }
        const auto source = m_cells.begin() + qsizetype(at(0, from++));
        std::move(source, source + qsizetype(width), cells.begin() + qsizetype(std::size_t(row - 1) * width));
    }
    m_cells = std::move(cells);
    m_rows = total;
    for (std::size_t i = 0; i < rows.size(); ++i)
        countInIndex(m_indexedCol, QString(), +1);
}

std::vector<int> DictTable::sortColumn(int col, bool ascending, SortOrder order)
{
    if (col < 0 || col >= columnCount())
        return {};
    deleteEmptyRows();

    const auto text = [this, col](int row) { return QStringView(m_cells[at(col, row)]); };
    std::vector<int> rows;
    if (order == SortOrder::CodePoint) {
        rows = stableRowOrder(m_rows, ascending, text, lessByCodePoint);
    } else {
        // A collator's sort key is made once per row; comparing two keys is then a byte
        // comparison, where comparing two texts would work out their weights every time.
        const QCollator collator;
        rows = stableRowOrder(m_rows, ascending, [&](int row) { return collator.sortKey(m_cells[at(col, row)]); },
                              [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    }
    reorderRows(rows);
    return rows;
}

void DictTable::reorderRows(const std::vector<int>& order)
{
    if (order.size() != std::size_t(m_rows))
        return;
    std::vector<bool> taken(std::size_t(m_rows) + 1);
    for (const int row : order) {
        if (row < 1 || row > m_rows || taken[std::size_t(row)])
            return;
        taken[std::size_t(row)] = true;
    }
    const std::size_t width = m_columns.size();
    std::vector<QString> sorted(m_cells.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto from = m_cells.begin() + qsizetype(at(0, order[i]));
        std::move(from, from + qsizetype(width), sorted.begin() + qsizetype(i * width));
    }
    m_cells = std::move(sorted); // the same texts: the index stays true
}

void DictTable::appendColumn(const LangColumn& language)
{
    insertColumn(columnCount(), language);
}

void DictTable::insertColumn(int col, const LangColumn& language, std::vector<QString> cells)
{
    if (col < 0 || col > columnCount())
        return;
    cells.resize(std::size_t(m_rows));
    const std::size_t oldWidth = m_columns.size();
    std::vector<QString> grown(std::size_t(m_rows) * (oldWidth + 1));
    for (int row = 0; row < m_rows; ++row) {
        const auto from = m_cells.begin() + qsizetype(std::size_t(row) * oldWidth);
        const auto to = grown.begin() + qsizetype(std::size_t(row) * (oldWidth + 1));
        std::move(from, from + col, to);
        to[col] = std::move(cells[std::size_t(row)]);
        std::move(from + col, from + qsizetype(oldWidth), to + col + 1);
    }
    m_cells = std::move(grown);
    m_columns.insert(m_columns.begin() + col, language);
    dropIndex();
}

std::vector<QString> DictTable::columnCells(int col) const
{
    std::vector<QString> cells;
    if (col < 0 || col >= columnCount())
        return cells;
    cells.reserve(std::size_t(m_rows));
    for (int row = 1; row <= m_rows; ++row)
        cells.push_back(m_cells[at(col, row)]);
    return cells;
}

bool DictTable::removeColumn(int col)
{
    if (columnCount() <= 1 || col < 0 || col >= columnCount())
        return false;
    const std::size_t oldWidth = m_columns.size();
    std::vector<QString> cells;
    cells.reserve(std::size_t(m_rows) * (oldWidth - 1));
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (i % oldWidth != std::size_t(col))
            cells.push_back(std::move(m_cells[i]));
    }
    m_cells = std::move(cells);
    m_columns.erase(m_columns.begin() + col);
    dropIndex();
    return true;
}

void DictTable::moveColumn(int from, int to)
{
    if (from < 0 || from >= columnCount() || to < 0 || to >= columnCount() || from == to)
        return;
    auto rotate = [from, to](auto first) {
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else
            std::rotate(first + to, first + from, first + from + 1);
    };
    rotate(m_columns.begin());
    for (int row = 1; row <= m_rows; ++row)
        rotate(m_cells.begin() + qsizetype(at(0, row)));
    dropIndex();
}

int DictTable::findLangColumn(const QString& header) const
{
    for (int col = 0; col < columnCount(); ++col) {
        if (headerText(col) == header)
            return col;
    }
    return -1;
}

int DictTable::findLangIdColumn(QStringView langId) const
{
    for (int col = 0; col < columnCount(); ++col) {
        if (m_columns[std::size_t(col)].langId == langId)
            return col;
    }
    return -1;
}

bool DictTable::phraseExists(const QString& header, const QString& text) const
{
    const int col = findLangColumn(header);
    if (col < 0)
        return false;
    if (col != m_indexedCol) {
        m_index.clear();
        m_index.reserve(m_rows);
        m_indexedCol = col;
        for (int row = 1; row <= m_rows; ++row)
            countInIndex(col, m_cells[at(col, row)], +1);
    }
    return m_index.contains(text);
}

} // namespace orb

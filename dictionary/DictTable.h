#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace orb {

// One language column of an open dictionary. Identifier and display name are kept apart so
// that a display name holding "(" survives a round trip; the header shows them joined.
struct LangColumn
{
    QString langId;   // element name in the file; may be empty or invalid until saved
    QString langName; // display name, free text
    int charset = 0;  // font charset number, kept as the whole integer the file gave
};

// The header text of a column: display name + "(" + identifier + ")", no blank.
QString languageHeader(const QString& langName, const QString& langId);
// part 1 gives the display name: the text before the first "(" (the whole header without
// one); part 0 the identifier: the text between the first "(" and the first ")" after it,
// empty when either is missing. Any other part gives an empty text.
QString HeaderPart(int part, const QString& header);

// True when a sorts before b by code point, which is the byte order of their UTF-8 forms:
// a prefix first, no case folding, no locale.
bool lessByCodePoint(QStringView a, QStringView b);

// How a sort compares texts: by code point (lessByCodePoint), or in the alphabetical order of
// the user's language, as QCollator of the default locale orders them (the system's locale
// unless the program set another), where "é" comes between "e" and "f".
enum class SortOrder { CodePoint, Locale };

// The open dictionary as a grid of texts, addressed as the editor's window addresses it:
// row 0 is the header row (one LangColumn per column), rows 1 .. rowCount()-1 are phrase
// rows. Cells lie in one array, row after row, so that a million cells cost one allocation
// and whole rows move cheaply. Out-of-range requests are ignored, never fatal.
class DictTable
{
public:
    // One column with an empty language and one empty phrase row.
    DictTable();

    int columnCount() const { return int(m_columns.size()); }
    // Header row included: a table always has at least two rows.
    int rowCount() const { return m_rows + 1; }

    const LangColumn& column(int col) const { return m_columns[std::size_t(col)]; }
    void setColumn(int col, const LangColumn& language);
    QString headerText(int col) const;

    // The text of a phrase cell; empty outside the phrase rows.
    const QString& cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);
    bool isRowEmpty(int row) const;

    // Back to one column with an empty language and one empty phrase row.
    void clear();
    // Replaces all columns; every phrase row gets empty cells. At least one column.
    void resetColumns(std::vector<LangColumn> columns);
    // Reserves room for the given number of phrase rows, for readers that know it.
    void reserveRows(int rows);
    void appendRow();
    // Puts a phrase row with the given cells (one per column, missing ones empty) at that
    // position, so that it becomes phrase row `row`; a position outside 1 .. rowCount() is
    // ignored.
    void insertRow(int row, std::vector<QString> cells);
    // The cells of a phrase row, one per column; empty outside the phrase rows.
    std::vector<QString> rowCells(int row) const;
    // Removes one phrase row. Refused (false) for the header row, a row outside the table
    // and the only phrase row.
    bool deleteRow(int row);
    // Removes every empty phrase row, keeping the order of the others; a table whose phrase
    // rows are all empty keeps one. Returns the number removed.
    int deleteEmptyRows();
    // The empty phrase rows, in order.
    std::vector<int> emptyRows() const;
    // Puts empty phrase rows back where deleteEmptyRows took them from: rows are the
    // positions they take in the result, ascending, as emptyRows() gave them.
    void insertEmptyRows(const std::vector<int>& rows);
    // Removes the empty phrase rows, then orders the phrase rows by the column's texts in the
    // given order. Ascending keeps rows with equal keys in their order; descending puts them
    // in reverse order. Nothing happens for a column outside the table. Returns the order
    // applied, as reorderRows takes it (empty when nothing happened).
    std::vector<int> sortColumn(int col, bool ascending, SortOrder order = SortOrder::CodePoint);
    // Puts the phrase rows in a new order: order[i] is the phrase row that becomes row i + 1.
    // An order that is not a permutation of the phrase rows is ignored.
    void reorderRows(const std::vector<int>& order);

    // Appends a column with empty cells.
    void appendColumn(const LangColumn& language);
    // Puts a column at position col (0 .. columnCount()) with the given phrase cells, one per
    // phrase row (missing ones empty).
    void insertColumn(int col, const LangColumn& language, std::vector<QString> cells = {});
    // The phrase cells of a column, one per phrase row.
    std::vector<QString> columnCells(int col) const;
    // Removes a column; refused (false) for the only column or one outside the table.
    bool removeColumn(int col);
    // Moves a column with its cells and language so that it ends up at position to.
    void moveColumn(int from, int to);

    // The first column whose header text equals the text exactly, or -1.
    int findLangColumn(const QString& header) const;
    // The first column whose identifier equals the text exactly, or -1.
    int findLangIdColumn(QStringView langId) const;
    // True when the column with that header holds the text in a phrase row. One hash
    // lookup once the column is indexed (see m_index).
    bool phraseExists(const QString& header, const QString& text) const;

private:
    std::size_t at(int col, int row) const
    {
        return std::size_t(row - 1) * m_columns.size() + std::size_t(col);
    }
    bool isPhraseCell(int col, int row) const
    {
        return col >= 0 && col < columnCount() && row >= 1 && row <= m_rows;
    }

    // Keeps the index current for a cell of text that is about to leave (delta -1) or has
    // come (+1).
    void countInIndex(int col, const QString& text, int delta) const;
    // Every change that is not one cell or one row forgets the index; the next lookup
    // builds it again.
    void dropIndex();

    std::vector<LangColumn> m_columns;
    std::vector<QString> m_cells; // m_rows rows of columnCount() cells each
    int m_rows = 0;               // phrase rows

    // The texts of one column with the number of phrase rows holding each, so that a harvest
    // asking thousands of times whether a phrase is there does not scan the column each time.
    // Built by the first lookup in a column; one column at a time, as one harvest targets one.
    mutable int m_indexedCol = -1;
    mutable QHash<QString, int> m_index;
};

} // namespace orb

#pragma once

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryImport.h"

#include <QAbstractTableModel>
#include <QUndoStack>

#include <functional>

namespace orb {

// The open dictionary as Qt's views see it: the header row of the table is the horizontal
// header, and model row r is phrase row r + 1 of the table. Every change goes through this
// class so that the views hear of it and the history records it; the table itself is
// reachable read-only. Each change is one step of history(), undone and redone there; its
// clean state is the state last saved.
class DictGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DictGridModel(QObject* parent = nullptr);

    const DictTable& table() const { return m_table; }
    QUndoStack* history() { return &m_history; }
    const QUndoStack* history() const { return &m_history; }
    // Replaces the whole document and starts its history afresh.
    void setTable(DictTable table);

    // Table addressing (row 0 the header row) for the window's operations.
    void setCell(int col, int row, const QString& text);
    void setColumn(int col, const LangColumn& language);
    void appendRow();
    bool deleteRow(int row);
    int deleteEmptyRows();
    // Removes the empty rows, then sorts: two steps of one change.
    void sortColumn(int col, bool ascending, SortOrder order = SortOrder::CodePoint);
    void appendColumn(const LangColumn& language);
    bool removeColumn(int col);
    void moveColumn(int from, int to);
    // Carries out an import planned for this table, its cells reported as one change.
    void applyImport(const ImportPlan& plan);
    // Puts a harvested phrase into the last row when that row is empty, else into a new row;
    // returns the row. The phrases of one harvest (the same batch, with no other change
    // between them) are one step.
    int addPhrase(int col, const QString& text, int batch);
    // A change outside the table that belongs to the document's history, such as the
    // window's file binding, undone and redone with the table's changes around it.
    void recordStep(std::function<void()> redo, std::function<void()> undo);
    // Ends a run of keystrokes in a cell: the next edit of the cell is a step of its own.
    void endTyping() { ++m_typingRun; }

    // Shows only the phrase rows without a text in the column (-1: every row): the work left
    // in a language. The rows shown stay as they are while their cells change (a row does not
    // vanish as it is translated) and are chosen again when rows come, go or move.
    void setRowFilter(int col);
    int rowFilter() const { return m_filterCol; }
    // The phrase row a model row shows, and the model row showing a phrase row (-1: hidden
    // by the filter or no phrase row).
    int tableRow(int modelRow) const;
    int modelRow(int tableRow) const;

    // The model index of a phrase cell given in table addressing; invalid for a hidden row.
    QModelIndex cellIndex(int col, int row) const { return index(modelRow(row), col); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Stores the text and reports the edit, whether or not the text changed: either way the
    // keystrokes of one run in one cell are one step.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // An in-place edit stored a text (table addressing).
    void cellEdited(int col, int row, const QString& text);
    // An undo or redo changed this cell, which the views should show.
    void cellRevisited(int col, int row);
    // The rows of the same document are about to be rebuilt at once, and have been: the
    // views keep their current cell and column widths across.
    void rowsAboutToBeRebuilt();
    void rowsRebuilt();

private:
    void recordCell(int col, int row, const QString& text, int typingRun);

    // The changes themselves, which the steps of the history carry out both ways.
    void putCell(int col, int row, const QString& text);
    void putColumn(int col, const LangColumn& language);
    void putRow(int row, std::vector<QString> cells);
    void dropRow(int row);
    void putEmptyRows(const std::vector<int>& rows);
    void dropEmptyRows();
    void putRowOrder(const std::vector<int>& order);
    void putColumnAt(int col, const LangColumn& language, std::vector<QString> cells);
    void dropColumn(int col);
    void shiftColumn(int from, int to);
    void putImport(const ImportPlan& plan);

    bool filtering() const { return m_filterCol >= 0; }
    // Chooses the rows the filter shows.
    void chooseShownRows();
    // Carries out a change of the rows: as its own fine-grained signals say (report) unless
    // a filter is on, when the rows shown are chosen again in one rebuild.
    void changeRows(const std::function<void()>& change, const std::function<void(bool before)>& report);

    DictTable m_table;
    int m_filterCol = -1;
    std::vector<int> m_shownRows; // ascending, while filtering
    QUndoStack m_history;
    int m_typingRun = 1;
};

} // namespace orb

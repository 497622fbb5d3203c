#pragma once

#include "DictTable.h"
#include "DictionaryImport.h"

#include <QAbstractTableModel>

// The open dictionary as Qt's views see it: the header row of the table is the horizontal
// header, and model row r is phrase row r + 1 of the table. Every change goes through this
// class so that the views hear of it; the table itself is reachable read-only.
class DictGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DictGridModel(QObject* parent = nullptr);

    const DictTable& table() const { return m_table; }
    // Replaces the whole document.
    void setTable(DictTable table);

    // Table addressing (row 0 the header row) for the window's operations.
    void setCell(int col, int row, const QString& text);
    void setColumn(int col, const LangColumn& language);
    void appendRow();
    bool deleteRow(int row);
    int deleteEmptyRows();
    void sortColumn(int col, bool ascending, SortOrder order = SortOrder::CodePoint);
    void appendColumn(const LangColumn& language);
    bool removeColumn(int col);
    void moveColumn(int from, int to);
    // Carries out an import planned for this table, its cells reported as one change.
    void applyImport(const ImportPlan& plan);

    // The model index of a phrase cell given in table addressing.
    QModelIndex cellIndex(int col, int row) const { return index(row - 1, col); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Stores the text and reports the edit, whether or not the text changed.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // An in-place edit stored a text (table addressing).
    void cellEdited(int col, int row, const QString& text);

private:
    DictTable m_table;
};

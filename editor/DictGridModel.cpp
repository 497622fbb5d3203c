#include "DictGridModel.h"

DictGridModel::DictGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void DictGridModel::setTable(DictTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

void DictGridModel::setCell(int col, int row, const QString& text)
{
    m_table.setCell(col, row, text);
    const QModelIndex changed = cellIndex(col, row);
    if (changed.isValid())
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void DictGridModel::setColumn(int col, const LangColumn& language)
{
    m_table.setColumn(col, language);
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void DictGridModel::appendRow()
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_table.appendRow();
    endInsertRows();
}

bool DictGridModel::deleteRow(int row)
{
    if (row < 1 || row >= m_table.rowCount() || m_table.rowCount() <= 2)
        return false;
    beginRemoveRows(QModelIndex(), row - 1, row - 1);
    m_table.deleteRow(row);
    endRemoveRows();
    return true;
}

int DictGridModel::deleteEmptyRows()
{
    bool any = false;
    for (int row = 1; row < m_table.rowCount() && !any; ++row)
        any = m_table.isRowEmpty(row);
    if (!any || m_table.rowCount() == 2)
        return 0;
    // Many scattered empty rows would mean as many removal signals, each costing the views
    // a pass over their rows; one reset is cheaper.
    beginResetModel();
    const int removed = m_table.deleteEmptyRows();
    endResetModel();
    return removed;
}

void DictGridModel::sortColumn(int col, bool ascending, SortOrder order)
{
    if (col < 0 || col >= m_table.columnCount())
        return;
    deleteEmptyRows();
    // The views keep their current cell where it stands: the selection does not follow the
    // rows.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_table.sortColumn(col, ascending, order);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DictGridModel::appendColumn(const LangColumn& language)
{
    const int col = columnCount();
    beginInsertColumns(QModelIndex(), col, col);
    m_table.appendColumn(language);
    endInsertColumns();
}

void DictGridModel::applyImport(const ImportPlan& plan)
{
    if (plan.targetCol == columnCount())
        appendColumn(plan.target);
    applyImportPlan(m_table, plan);
    emit headerDataChanged(Qt::Horizontal, plan.targetCol, plan.targetCol);
    if (!plan.cells.empty())
        emit dataChanged(cellIndex(plan.targetCol, plan.cells.front().first), cellIndex(plan.targetCol, plan.cells.back().first),
                         {Qt::DisplayRole, Qt::EditRole});
}

bool DictGridModel::removeColumn(int col)
{
    if (m_table.columnCount() <= 1 || col < 0 || col >= m_table.columnCount())
        return false;
    beginRemoveColumns(QModelIndex(), col, col);
    m_table.removeColumn(col);
    endRemoveColumns();
    return true;
}

void DictGridModel::moveColumn(int from, int to)
{
    const int count = m_table.columnCount();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    // Qt names the destination as the column the moved one is put before.
    if (!beginMoveColumns(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return;
    m_table.moveColumn(from, to);
    endMoveColumns();
}

int DictGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount() - 1;
}

int DictGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant DictGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_table.cell(index.column(), index.row() + 1);
}

bool DictGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int col = index.column();
    const int row = index.row() + 1;
    const QString text = value.toString();
    m_table.setCell(col, row, text);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit cellEdited(col, row, text);
    return true;
}

QVariant DictGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_table.columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_table.headerText(section);
}

Qt::ItemFlags DictGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

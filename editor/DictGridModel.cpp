#include "editor/DictGridModel.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace orb {

namespace {

// A change and its reverse.
class Step : public QUndoCommand
{
public:
    Step(std::function<void()> forward, std::function<void()> backward)
        : m_forward(std::move(forward)), m_backward(std::move(backward))
    {
    }
    void redo() override { m_forward(); }
    void undo() override { m_backward(); }

private:
    std::function<void()> m_forward;
    std::function<void()> m_backward;
};

enum StepId { TypingStep = 1, HarvestStep = 2 };

using PutCell = std::function<void(int col, int row, const QString& text)>;

// A cell's new text. The keystrokes of one run in one cell merge into one step. A run that
// changed nothing is a step too: opening the in-place editor and leaving it counts as an
// edit of the cell.
class CellStep : public QUndoCommand
{
public:
    CellStep(PutCell put, std::function<void(int, int)> revisit, int col, int row, QString before, QString after,
             int typingRun)
        : m_put(std::move(put)), m_revisit(std::move(revisit)), m_col(col), m_row(row), m_before(std::move(before)),
          m_after(std::move(after)), m_typingRun(typingRun)
    {
    }
    int id() const override { return m_typingRun ? TypingStep : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const CellStep*>(other);
        if (next->m_col != m_col || next->m_row != m_row || next->m_typingRun != m_typingRun)
            return false;
        m_after = next->m_after;
        return true;
    }
    void redo() override
    {
        m_put(m_col, m_row, m_after);
        if (std::exchange(m_done, true))
            m_revisit(m_col, m_row);
    }
    void undo() override
    {
        m_put(m_col, m_row, m_before);
        m_revisit(m_col, m_row);
    }

private:
    PutCell m_put;
    std::function<void(int, int)> m_revisit;
    int m_col;
    int m_row;
    QString m_before;
    QString m_after;
    int m_typingRun; // 0: not typed, never merged
    bool m_done = false;
};

// The phrases one harvest put into a column, each into an empty last row or a new one.
class PhraseStep : public QUndoCommand
{
public:
    struct Phrase
    {
        int row;
        bool newRow;
        QString text;
    };
    struct Table
    {
        PutCell put;
        std::function<void()> appendRow;
        std::function<void(int row)> dropRow;
    };

    PhraseStep(Table table, int col, int batch, Phrase phrase) : m_table(std::move(table)), m_col(col), m_batch(batch)
    {
        m_phrases.push_back(std::move(phrase));
    }
    int id() const override { return HarvestStep; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const PhraseStep*>(other);
        if (next->m_batch != m_batch || next->m_col != m_col)
            return false;
        m_phrases.insert(m_phrases.end(), next->m_phrases.begin(), next->m_phrases.end());
        return true;
    }
    void redo() override
    {
        for (const Phrase& phrase : m_phrases) {
            if (phrase.newRow)
                m_table.appendRow();
            m_table.put(m_col, phrase.row, phrase.text);
        }
    }
    void undo() override
    {
        for (auto phrase = m_phrases.rbegin(); phrase != m_phrases.rend(); ++phrase) {
            m_table.put(m_col, phrase->row, QString());
            if (phrase->newRow)
                m_table.dropRow(phrase->row);
        }
    }

private:
    Table m_table;
    int m_col;
    int m_batch;
    std::vector<Phrase> m_phrases;
};

std::vector<int> inverseOrder(const std::vector<int>& order)
{
    std::vector<int> inverse(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        inverse[std::size_t(order[i] - 1)] = int(i) + 1;
    return inverse;
}

} // namespace

DictGridModel::DictGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void DictGridModel::setTable(DictTable table)
{
    // Clearing keeps a clean state the stack had left (resetClean), as a new document has.
    m_history.clear();
    m_history.setClean();
    beginResetModel();
    m_table = std::move(table);
    chooseShownRows();
    endResetModel();
}

// ---- recorded changes --------------------------------------------------------------------

void DictGridModel::setCell(int col, int row, const QString& text)
{
    recordCell(col, row, text, 0);
}

void DictGridModel::recordCell(int col, int row, const QString& text, int typingRun)
{
    const bool phraseCell = col >= 0 && col < m_table.columnCount() && row >= 1 && row < m_table.rowCount();
    if (!phraseCell || (!typingRun && m_table.cell(col, row) == text))
        return;
    m_history.push(new CellStep([this](int c, int r, const QString& t) { putCell(c, r, t); },
                                [this](int c, int r) { emit cellRevisited(c, r); }, col, row, m_table.cell(col, row),
                                text, typingRun));
}

void DictGridModel::setColumn(int col, const LangColumn& language)
{
    if (col < 0 || col >= m_table.columnCount())
        return;
    const LangColumn before = m_table.column(col);
    recordStep([this, col, language] { putColumn(col, language); }, [this, col, before] { putColumn(col, before); });
}

void DictGridModel::appendRow()
{
    const int row = m_table.rowCount();
    recordStep([this, row] { putRow(row, {}); }, [this, row] { dropRow(row); });
}

bool DictGridModel::deleteRow(int row)
{
    if (row < 1 || row >= m_table.rowCount() || m_table.rowCount() <= 2)
        return false;
    std::vector<QString> cells = m_table.rowCells(row);
    recordStep([this, row] { dropRow(row); }, [this, row, cells] { putRow(row, cells); });
    return true;
}

int DictGridModel::deleteEmptyRows()
{
    std::vector<int> rows = m_table.emptyRows();
    // A table whose rows are all empty keeps its first.
    if (!rows.empty() && int(rows.size()) == m_table.rowCount() - 1)
        rows.erase(rows.begin());
    if (rows.empty())
        return 0;
    recordStep([this] { dropEmptyRows(); }, [this, rows] { putEmptyRows(rows); });
    return int(rows.size());
}

void DictGridModel::sortColumn(int col, bool ascending, SortOrder order)
{
    if (col < 0 || col >= m_table.columnCount())
        return;
    m_history.beginMacro(QString());
    deleteEmptyRows();
    // The first run finds the order; the history keeps it, so that redoing needs no sort.
    auto rows = std::make_shared<std::vector<int>>();
    recordStep(
        [this, col, ascending, order, rows] {
            if (!rows->empty()) {
                putRowOrder(*rows);
                return;
            }
            emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
            *rows = m_table.sortColumn(col, ascending, order);
            chooseShownRows();
            emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        },
        [this, rows] { putRowOrder(inverseOrder(*rows)); });
    m_history.endMacro();
}

void DictGridModel::appendColumn(const LangColumn& language)
{
    const int col = m_table.columnCount();
    recordStep([this, col, language] { putColumnAt(col, language, {}); }, [this, col] { dropColumn(col); });
}

bool DictGridModel::removeColumn(int col)
{
    if (m_table.columnCount() <= 1 || col < 0 || col >= m_table.columnCount())
        return false;
    const LangColumn language = m_table.column(col);
    std::vector<QString> cells = m_table.columnCells(col);
    recordStep([this, col] { dropColumn(col); },
               [this, col, language, cells] { putColumnAt(col, language, cells); });
    return true;
}

void DictGridModel::moveColumn(int from, int to)
{
    const int count = m_table.columnCount();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    recordStep([this, from, to] { shiftColumn(from, to); }, [this, from, to] { shiftColumn(to, from); });
}

void DictGridModel::applyImport(const ImportPlan& plan)
{
    if (plan.targetCol < 0 || plan.targetCol > m_table.columnCount())
        return;
    if (plan.targetCol == m_table.columnCount()) {
        recordStep([this, plan] { putImport(plan); }, [this, col = plan.targetCol] { dropColumn(col); });
        return;
    }
    ImportPlan before{plan.targetCol, m_table.column(plan.targetCol), {}};
    before.cells.reserve(plan.cells.size());
    for (const auto& [row, text] : plan.cells)
        before.cells.emplace_back(row, m_table.cell(plan.targetCol, row));
    recordStep([this, plan] { putImport(plan); }, [this, before] { putImport(before); });
}

int DictGridModel::addPhrase(int col, const QString& text, int batch)
{
    const int last = m_table.rowCount() - 1;
    const bool newRow = !m_table.isRowEmpty(last);
    const int row = newRow ? last + 1 : last;
    PhraseStep::Table table{[this](int c, int r, const QString& t) { putCell(c, r, t); },
                            [this] { putRow(m_table.rowCount(), {}); }, [this](int r) { dropRow(r); }};
    m_history.push(new PhraseStep(std::move(table), col, batch, {row, newRow, text}));
    return row;
}

void DictGridModel::recordStep(std::function<void()> redo, std::function<void()> undo)
{
    m_history.push(new Step(std::move(redo), std::move(undo)));
}

// ---- the changes -------------------------------------------------------------------------

void DictGridModel::putCell(int col, int row, const QString& text)
{
    m_table.setCell(col, row, text);
    const QModelIndex changed = cellIndex(col, row);
    if (changed.isValid())
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void DictGridModel::putColumn(int col, const LangColumn& language)
{
    m_table.setColumn(col, language);
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void DictGridModel::changeRows(const std::function<void()>& change, const std::function<void(bool before)>& report)
{
    if (!filtering()) {
        report(true);
        change();
        report(false);
        return;
    }
    emit rowsAboutToBeRebuilt();
    beginResetModel();
    change();
    chooseShownRows();
    endResetModel();
    emit rowsRebuilt();
}

void DictGridModel::putRow(int row, std::vector<QString> cells)
{
    changeRows([&] { m_table.insertRow(row, std::move(cells)); }, [&](bool before) {
        if (before)
            beginInsertRows(QModelIndex(), row - 1, row - 1);
        else
            endInsertRows();
    });
}

void DictGridModel::dropRow(int row)
{
    changeRows([&] { m_table.deleteRow(row); }, [&](bool before) {
        if (before)
            beginRemoveRows(QModelIndex(), row - 1, row - 1);
        else
            endRemoveRows();
    });
}

// Many scattered rows would mean as many insertion or removal signals, each costing the
// views a pass over their rows; one reset is cheaper.
void DictGridModel::putEmptyRows(const std::vector<int>& rows)
{
    emit rowsAboutToBeRebuilt();
    beginResetModel();
    m_table.insertEmptyRows(rows);
    chooseShownRows();
    endResetModel();
    emit rowsRebuilt();
}

void DictGridModel::dropEmptyRows()
{
    emit rowsAboutToBeRebuilt();
    beginResetModel();
    m_table.deleteEmptyRows();
    chooseShownRows();
    endResetModel();
    emit rowsRebuilt();
}

void DictGridModel::putRowOrder(const std::vector<int>& order)
{
    // The views keep their current cell where it stands: the selection does not follow the
    // rows.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_table.reorderRows(order);
    chooseShownRows();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---- the filter --------------------------------------------------------------------------

void DictGridModel::setRowFilter(int col)
{
    const int filter = col >= 0 && col < m_table.columnCount() ? col : -1;
    if (filter == m_filterCol && !filtering())
        return;
    emit rowsAboutToBeRebuilt();
    beginResetModel();
    m_filterCol = filter;
    chooseShownRows();
    endResetModel();
    emit rowsRebuilt();
}

void DictGridModel::chooseShownRows()
{
    m_shownRows.clear();
    if (m_filterCol >= m_table.columnCount())
        m_filterCol = -1;
    if (!filtering())
        return;
    for (int row = 1; row < m_table.rowCount(); ++row) {
        if (m_table.cell(m_filterCol, row).isEmpty())
            m_shownRows.push_back(row);
    }
}

int DictGridModel::tableRow(int modelRow) const
{
    if (!filtering())
        return modelRow >= 0 && modelRow < m_table.rowCount() - 1 ? modelRow + 1 : -1;
    return modelRow >= 0 && std::size_t(modelRow) < m_shownRows.size() ? m_shownRows[std::size_t(modelRow)] : -1;
}

int DictGridModel::modelRow(int tableRow) const
{
    if (!filtering())
        return tableRow >= 1 && tableRow < m_table.rowCount() ? tableRow - 1 : -1;
    const auto found = std::lower_bound(m_shownRows.begin(), m_shownRows.end(), tableRow);
    return found != m_shownRows.end() && *found == tableRow ? int(found - m_shownRows.begin()) : -1;
}

void DictGridModel::putColumnAt(int col, const LangColumn& language, std::vector<QString> cells)
{
    beginInsertColumns(QModelIndex(), col, col);
    m_table.insertColumn(col, language, std::move(cells));
    endInsertColumns();
}

void DictGridModel::dropColumn(int col)
{
    beginRemoveColumns(QModelIndex(), col, col);
    m_table.removeColumn(col);
    endRemoveColumns();
}

void DictGridModel::shiftColumn(int from, int to)
{
    // Qt names the destination as the column the moved one is put before.
    if (!beginMoveColumns(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return;
    m_table.moveColumn(from, to);
    endMoveColumns();
}

void DictGridModel::putImport(const ImportPlan& plan)
{
    if (plan.targetCol == columnCount())
        putColumnAt(plan.targetCol, plan.target, {});
    applyImportPlan(m_table, plan);
    emit headerDataChanged(Qt::Horizontal, plan.targetCol, plan.targetCol);
    if (!plan.cells.empty() && rowCount() > 0)
        emit dataChanged(index(0, plan.targetCol), index(rowCount() - 1, plan.targetCol), {Qt::DisplayRole, Qt::EditRole});
}

// ---- what the views read -----------------------------------------------------------------

int DictGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return filtering() ? int(m_shownRows.size()) : m_table.rowCount() - 1;
}

int DictGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant DictGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_table.cell(index.column(), tableRow(index.row()));
}

bool DictGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int col = index.column();
    const int row = tableRow(index.row());
    const QString text = value.toString();
    recordCell(col, row, text, m_typingRun);
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

} // namespace orb

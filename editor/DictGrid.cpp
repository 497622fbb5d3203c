#include "editor/DictGrid.h"

#include "editor/DictGridModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace orb {

namespace {

const int kDefaultColumnWidth = 230;
const int kRowHeight = 18;
const char kTextAtStart[] = "textAtStart";

// Stores the editor's text on every keystroke, so that the model reports each one, as the
// closing of the editor does once more with the final text.
class LiveEditDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            auto* self = const_cast<LiveEditDelegate*>(this);
            connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
            line->setProperty(kTextAtStart, index.data(Qt::EditRole));
        }
        return editor;
    }

    // The cell already holds what was typed, so Escape has to store the text the edit began
    // with before the editor closes; otherwise Escape would keep the typing.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* line = qobject_cast<QLineEdit*>(object);
        if (line && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            const QString atStart = line->property(kTextAtStart).toString();
            if (line->text() != atStart) {
                line->setText(atStart);
                emit commitData(line);
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    // The view hands every stored text back to the open editor; setting the text it already
    // shows would move the caret to the end while the user types.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }
};

} // namespace

DictGrid::DictGrid(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new LiveEditDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setShowGrid(true);
    viewport()->setMouseTracking(true);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    // Fixed heights keep a view of a hundred thousand rows from measuring any of them.
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    header->setDefaultSectionSize(kDefaultColumnWidth);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->viewport()->setMouseTracking(true);
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionMoved, this, &DictGrid::moveColumnInModel);

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &DictGrid::topLeftChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DictGrid::topLeftChanged);
}

void DictGrid::setDictModel(DictGridModel* model)
{
    m_model = model;
    setModel(model);
    connect(model, &DictGridModel::rowsAboutToBeRebuilt, this, [this] { m_rebuildState = viewState(); });
    connect(model, &DictGridModel::rowsRebuilt, this, [this] { restoreViewState(m_rebuildState); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    emit cellSelected(current.column(), m_model->tableRow(current.row()));
            });
}

int DictGrid::currentCol() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

int DictGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && m_model ? m_model->tableRow(current.row()) : -1;
}

void DictGrid::setCurrentCell(int col, int row)
{
    const QModelIndex cell = m_model ? m_model->cellIndex(col, row) : QModelIndex();
    if (cell.isValid())
        setCurrentIndex(cell);
}

QRect DictGrid::cellRect(int col, int row) const
{
    QRect rect;
    if (row == 0) {
        const QHeaderView* header = horizontalHeader();
        rect = QRect(header->sectionViewportPosition(col), 0, header->sectionSize(col), header->height());
        return rect.translated(header->geometry().topLeft());
    }
    rect = visualRect(m_model ? m_model->cellIndex(col, row) : QModelIndex());
    return rect.translated(viewport()->geometry().topLeft());
}

DictGrid::ViewState DictGrid::viewState() const
{
    ViewState state{currentCol(), currentRow(), {}};
    for (int col = 0; col < horizontalHeader()->count(); ++col)
        state.widths.append(columnWidth(col));
    return state;
}

void DictGrid::restoreViewState(const ViewState& state)
{
    if (state.widths.size() == horizontalHeader()->count()) {
        for (int col = 0; col < state.widths.size(); ++col)
            setColumnWidth(col, state.widths[col]);
    }
    if (!m_model || state.col < 0)
        return;
    setCurrentCell(state.col, std::min(state.row, m_model->table().rowCount() - 1));
}

void DictGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (m_model)
        m_model->endTyping();
}

void DictGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    emit entered();
}

void DictGrid::mouseMoveEvent(QMouseEvent* event)
{
    QTableView::mouseMoveEvent(event);
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell.isValid())
        m_hint = cell.data(Qt::DisplayRole).toString();
}

bool DictGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseMove) {
        const int col = horizontalHeader()->logicalIndexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (col >= 0 && m_model)
            m_hint = m_model->table().headerText(col);
    }
    return QTableView::eventFilter(watched, event);
}

void DictGrid::moveColumnInModel(int, int oldVisualIndex, int newVisualIndex)
{
    // The header has moved only its section; undoing that and moving the column in the
    // model instead keeps visual and model order the same, and the model's order is the
    // language order that is saved.
    {
        const QSignalBlocker blocker(horizontalHeader());
        horizontalHeader()->moveSection(newVisualIndex, oldVisualIndex);
    }
    m_model->moveColumn(oldVisualIndex, newVisualIndex);
}

} // namespace orb

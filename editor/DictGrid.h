#pragma once

#include <QList>
#include <QTableView>

namespace orb {

class DictGridModel;

// The dictionary grid: a table view over a DictGridModel whose header row is the horizontal
// header. Cells are addressed as the model's table addresses them (row 0 the header row).
// Every keystroke in the in-place editor is stored at once, so the model reports each one;
// dragging a column header moves the column in the model, so that what is seen is what is
// saved. The grid shows no tooltips: hint() carries the text of the cell last under the
// pointer, for the window's status bar.
class DictGrid : public QTableView
{
    Q_OBJECT

public:
    explicit DictGrid(QWidget* parent = nullptr);

    void setDictModel(DictGridModel* model);
    DictGridModel* dictModel() const { return m_model; }

    // The current cell; -1 for each part when there is none.
    int currentCol() const;
    int currentRow() const;
    // Makes a phrase cell current; a cell outside the table is ignored.
    void setCurrentCell(int col, int row);
    // The rectangle of a cell, the header row's included, in this widget's coordinates.
    QRect cellRect(int col, int row) const;

    // The full text of the cell (or header) the pointer last moved over.
    QString hint() const { return m_hint; }

    // Current cell and column widths, to be put back after the model was reset for the same
    // document (removing empty rows resets it).
    struct ViewState
    {
        int col = -1;
        int row = -1;
        QList<int> widths;
    };
    ViewState viewState() const;
    void restoreViewState(const ViewState& state);

signals:
    // The grid received the focus.
    void entered();
    // The current cell moved to the given cell.
    void cellSelected(int col, int row);
    // The grid scrolled.
    void topLeftChanged();

protected:
    // One opening of the in-place editor is one change of the cell, however many keys it
    // stored.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveColumnInModel(int logicalIndex, int oldVisualIndex, int newVisualIndex);

    DictGridModel* m_model = nullptr;
    QString m_hint;
    ViewState m_rebuildState;
};

} // namespace orb

#pragma once

#include "widgets/FixedDialog.h"

#include <memory>

namespace Ui {
class frmEditCell;
}

// The multi-line editor of one cell's text, with the text's size in pixels in the dialog's
// own font. Cell texts break lines with a line feed; the memo shows them as lines.
class TfrmEditCell : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmEditCell(QWidget* parent = nullptr);
    ~TfrmEditCell() override;

    // Shows a cell's text in the memo (every line feed becomes a line break there).
    void SetCellText(const QString& text);
    // The memo's text in cell form: lines separated by line feeds, no carriage return.
    QString GetCellText() const;

private:
    QString memoText() const;
    void mmMemoChange();

    std::unique_ptr<Ui::frmEditCell> ui;
};

// Edits the text in the dialog; the text is replaced only when the user confirms.
void ExecuteEditCell(QString& text);

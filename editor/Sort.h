#pragma once

#include "dictionary/DictTable.h"
#include "widgets/FixedDialog.h"

#include <memory>

namespace Ui {
class frmSort;
}

// How the sort command orders the current column: what the sort dialog offers, and what the
// window keeps for the next sort of the session.
struct SortChoice
{
    bool ascending = true;
    SortOrder order = SortOrder::CodePoint;
};

// The sort command's confirmation, which also asks in which direction and order to sort.
class TfrmSort : public TFixedDialog
{
    Q_OBJECT

public:
    explicit TfrmSort(QWidget* parent = nullptr);
    ~TfrmSort() override;

    void setChoice(const SortChoice& choice);
    SortChoice choice() const;

private:
    std::unique_ptr<Ui::frmSort> ui;
};

// Shows the dialog with choice offered; on acceptance stores the choice made and returns true.
bool SortDialog(QWidget* owner, SortChoice& choice);

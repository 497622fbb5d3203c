#pragma once

#include "dictionary/DictTable.h"
#include "widgets/FixedDialog.h"

#include <memory>

namespace Ui {
class frmSort;
}

namespace orb {

// How the sort command orders the current column: what the sort dialog offers, and what the
// window keeps for the next sort of the session.
struct SortChoice
{
    bool ascending = true;
    SortOrder order = SortOrder::CodePoint;
};

} // namespace orb

// The sort command's confirmation, which also asks in which direction and order to sort.
class TfrmSort : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmSort(QWidget* parent = nullptr);
    ~TfrmSort() override;

    void setChoice(const orb::SortChoice& choice);
    orb::SortChoice choice() const;

private:
    std::unique_ptr<Ui::frmSort> ui;
};

namespace orb {

// Shows the dialog with choice offered; on acceptance stores the choice made and returns true.
bool sortDialog(QWidget* owner, SortChoice& choice);

} // namespace orb

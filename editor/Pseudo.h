#pragma once

#include "widgets/FixedDialog.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class frmPseudo;
}

namespace orb {

// What the pseudo-translation dialog hands back when accepted.
struct PseudoChoice
{
    int sourceCol = -1; // the grid column whose texts are pseudo-translated
    QString targetId;   // the identifier of the column they go to, new or not
};

} // namespace orb

// The dialog that chooses the source language among the grid's columns and names the pseudo
// language by its identifier. The texts themselves are made by pseudoTranslate.
class TfrmPseudo : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmPseudo(QWidget* parent = nullptr);
    ~TfrmPseudo() override;

    // headers and langIds: the grid's columns in order; currentCol is offered as the source.
    void setLanguages(const QStringList& headers, const QStringList& langIds, int currentCol);
    orb::PseudoChoice choice() const;

private:
    // Accepts the dialog, or says why not and leaves the focus on the identifier.
    void btnOKClick();
    void refuse(const QString& message);

    std::unique_ptr<Ui::frmPseudo> ui;
    QStringList m_langIds;
};

namespace orb {

// Shows the dialog; on acceptance fills choice and returns true.
bool pseudoDialog(QWidget* owner, const QStringList& headers, const QStringList& langIds, int currentCol,
                  PseudoChoice& choice);

} // namespace orb

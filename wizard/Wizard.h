#pragma once

#include "wizard/CppHarvest.h"
#include "widgets/FixedDialog.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace orb {
class HarvestTarget;
}

namespace Ui {
class frmWizard;
}

// The project wizard's dialog: the language column to harvest into, the project's directory
// (Delphi or Qt), the code page of its files that are not UTF-8 and which C++ literals to offer.
class TfrmWizard : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmWizard(QWidget* parent = nullptr);
    ~TfrmWizard() override;

    // Offers the header texts in their order, the first selected.
    void setLanguages(const QStringList& headers);
    // Selects the code page; one not offered leaves the default selected.
    void setLegacyEncoding(const QString& encoding);
    void setCppOffer(orb::CppOffer offer);

    QString language() const;
    QString projectPath() const;
    QByteArray legacyEncoding() const;
    orb::CppOffer cppOffer() const;

private:
    void FormCreate();
    // Accepts the dialog unless the path is empty, which is said and keeps it open.
    void btnOKClick();
    void dedProjectPathButtonClick();

    std::unique_ptr<Ui::frmWizard> ui;
};

// The wizard command: asks for the language (one of headers, the texts of the dictionary's
// header row) and the project, then harvests the project into that column of target. Nothing
// happens for an empty list or a cancelled dialog. The code page and the C++ offer chosen are
// remembered in the settings file.
void RunProjectWizard(const QStringList& headers, orb::HarvestTarget& target, QWidget* owner,
                      const QString& settingsPath);

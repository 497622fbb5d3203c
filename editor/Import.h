#pragma once

#include "widgets/FixedDialog.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace Ui {
class frmImport;
}

namespace orb {

// What the import dialog hands back when accepted. Name parts are those of importNamePart.
struct ImportChoice
{
    QString keyName;
    QString keyEntry;
    int keyPosition = -1; // of the file's language with the key's name part
    QString importName;
    QString importEntry;
    int importPosition = -1; // of the file's language with the imported one's name part
    int keyColumn = -1;      // the key list's selected position, which is the grid column
};

} // namespace orb

// The dialog that chooses the key language among the grid's columns and the language to take
// from the file. The file's language that shares the key's display name is never offered.
class TfrmImport : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmImport(QWidget* parent = nullptr);
    ~TfrmImport() override;

    // keyEntries: the grid's header texts in column order; fileEntries: the file's languages.
    void setLanguages(const QStringList& keyEntries, const QStringList& fileEntries);
    const orb::ImportChoice& choice() const { return m_choice; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct FileLang
    {
        QString namePart;
        QString entry;
        int position;
    };

    // Takes the file's languages from the imported list and preselects an English key.
    void FormShow();
    void FillImportLanguages();
    void cbxKeyLanguageChange();
    // Accepts the dialog, or says what is missing and leaves it open.
    void btnOKClick();
    void refuse(const QString& message, QWidget* field);
    // The last file language with that name part, or -1.
    int fileLangPosition(const QString& namePart) const;

    std::unique_ptr<Ui::frmImport> ui;
    std::vector<FileLang> FileLangs;
    orb::ImportChoice m_choice;
};

namespace orb {

// Shows the import dialog; on acceptance fills choice and returns true.
bool importDialog(QWidget* owner, const QStringList& keyEntries, const QStringList& fileEntries, ImportChoice& choice);

} // namespace orb

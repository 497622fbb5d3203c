#pragma once

#include "editor/DictGrid.h"
#include "wizard/HarvestTarget.h"
#include "widgets/ResponsiveWork.h"
#include "editor/Sort.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QTimer;
class TOrbTranslate;

namespace orb {
class DictGridModel;
class DictTable;
class DocumentSession;
class InterfaceLanguage;
class RecentFiles;
} // namespace orb

namespace Ui {
class frmMain;
}

// The editor's main window: the grid, which is the open document (there is no other copy of
// it), the commands and their enabling, which runs when the event loop is about to wait. The
// document's tie to its file is its DocumentSession's; the recent files and the interface
// language have classes of their own.
//
// Grid rows count the header row as row 0, phrase rows from 1.
class TfrmMain : public QMainWindow, public orb::HarvestTarget
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // A dictionary is open exactly while the grid is shown.
    bool dictionaryOpen() const;
    const orb::DictTable& Dictionary() const;
    orb::DictGrid* Grid() const;
    QString dictFile() const;
    // The document differs from its file: changed since it was read or written, or never saved.
    bool Modified() const;
    TOrbTranslate* translator() const { return OrbTranslate; }
    // The header texts of the language columns, in column order.
    QStringList headerTexts() const;

    // Opens a path from the command line or a file manager as the document, replacing the
    // open one without asking; false, with the reason shown, when it names no file or one
    // that cannot be read (the open document stays).
    bool openGivenDictionary(const QString& path);
    // One language column without a language, one empty phrase row, the grid shown.
    void ClearGrid();
    bool FindLangColumn(const QString& header, int& col) const;
    int FindLangIDColumn(const QString& langId) const;
    bool PhraseExists(const QString& header, const QString& text) const override;
    // Puts a phrase into the last row of the column with that header (a new row when the
    // last one holds any text) unless the column holds it already or there is no column.
    void AddPhrase(const QString& header, const QString& text) override;
    void DeleteRow(int row);
    // Removes the empty phrase rows; the current cell and column widths stay.
    void DeleteEmptyRows();
    void SortColumn(int col, const orb::SortChoice& choice);
    // Puts the edit-cell button into the top-right corner of a cell.
    void PlaceEditButton(int col, int row);

    void UpdateCaption(const QString& path);
    // Reads a dictionary file into the grid as the document, bound to it. A failed read shows
    // its message (none for a missing file) and leaves the open document as it was.
    bool ReadDictionary(const QString& path);
    // Writes the grid to a file, after removing its empty rows; the document stays bound to
    // its own file. A failed write shows its message and leaves the file as it was.
    bool WriteDictionary(const QString& path);

    // Enables the commands and refreshes the status bar; runs whenever the event loop is
    // about to wait, the local loops of the harvest's questions included.
    void updateCommands();

    void actNewDictExecute();
    void actOpenDictExecute();
    void actSaveDictExecute();
    // Saves to a file the user names, which the document is then bound to.
    void actSaveAsExecute();
    // Closes the document (after the save question), leaving the window empty.
    void actCloseDictExecute();
    // Shows the find bar with the focus in its text.
    void actFindExecute();
    // Makes the next (previous) cell holding the find bar's text current; false when none.
    bool findNext(bool forward);
    // Shows only the rows without a text in the column (-1: every row).
    void applyFilter(int col);
    void actImportExecute();
    void actNewLangExecute();
    void actLangPropertyExecute();
    void actDeleteLangExecute();
    void actNewLineExecute();
    void actDeleteLineExecute();
    void actSortExecute();
    void actWizardExecute();
    // Fills a language column, new or not, with the pseudo-translation of another.
    void actPseudoExecute();
    void actAboutExecute();
    void actBrowseURLExecute();
    void sbtnEditCellClick();
    void pmLanguages_Click();

    // The interface-language menu: one checkable entry per language of the interface
    // dictionary, each showing its own display name.
    QMenu* languageMenu() const { return pmLanguages; }
    // The files last opened or saved, the latest first.
    QStringList recentFiles() const;
    // Where the chosen interface language is remembered: beside the executable.
    static QString settingsPath();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A dictionary file dropped from a file manager is opened as from the open command.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    // The open command for a path the user gave otherwise (recent files, a drop): the save
    // question first.
    void openOtherDictionary(const QString& path);
    // The find bar's language lists and the status bar's figures, whose texts the window
    // makes itself, in the interface language.
    void refreshOwnTexts();
    void updateStatistics();
    void setupMenus();
    void setupFindBar();
    void setupStatusBar();
    void BuildLanguageMenu();
    void LoadInterfaceLanguage();
    void sgDictGridSetEditText(int col, int row, const QString& text);
    void showDocument();
    // The identifiers of the language columns but the given one (-1: of all of them).
    QStringList langIdsExcept(int col) const;
    QString hintUnderPointer() const;
    void lblTarsovaClick();

    std::unique_ptr<Ui::frmMain> ui;
    orb::DictGridModel* m_model;
    TOrbTranslate* OrbTranslate;
    orb::ResponsiveWork m_work;
    orb::DocumentSession* m_session;
    orb::RecentFiles* m_recent;
    orb::InterfaceLanguage* m_interfaceLanguage;
    QMenu* pmLanguages;

    QString FTitle;
    int FEditCol = 0;
    int FEditRow = 0;
    QString FEditText;
    int m_harvestBatch = 0;    // the harvest under way, whose phrases are one change
    QLabel* m_statistics;      // the phrase count and each language's completeness
    QTimer* m_statisticsTimer; // counts once after a burst of changes
    orb::SortChoice m_sortChoice; // the last one made, offered by the next sort
};

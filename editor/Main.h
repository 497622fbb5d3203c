#pragma once

#include "DictGrid.h"
#include "DictionaryGridIO.h"
#include "FileStamp.h"
#include "HarvestTarget.h"
#include "Prompter.h"
#include "Sort.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class DictGridModel;
class DictTable;
class QActionGroup;
class QLabel;
class QMenu;
class QTimer;
class TOrbTranslate;

namespace Ui {
class frmMain;
}

// The editor's main window. The grid is the open document (there is no other copy of it);
// the window keeps beside it the file it is bound to and whether it has changed. Commands
// are enabled when the event loop is about to wait, from the state they read.
//
// Grid rows count the header row as row 0, phrase rows from 1.
class TfrmMain : public QMainWindow, public HarvestTarget
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // A dictionary is open exactly while the grid is shown.
    bool DictionaryOpen() const;
    const DictTable& Dictionary() const;
    TDictGrid* Grid() const;
    QString DictFile() const { return FDictFile; }
    // The document differs from its file: changed since it was read or written, or never saved.
    bool Modified() const;
    TOrbTranslate* Translator() const { return OrbTranslate; }
    // The header texts of the language columns, in column order.
    QStringList HeaderTexts() const;

    // Opens the file as the document, replacing the open one without asking; false, with the
    // reason shown, when it cannot be read (the open document stays).
    bool OpenDictionary(const QString& path);
    // The same for a path from the command line or a file manager, which may name no file:
    // that is reported too.
    bool OpenGivenDictionary(const QString& path);
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
    void SortColumn(int col, const SortChoice& choice);
    // Puts the edit-cell button into the top-right corner of a cell.
    void PlaceEditButton(int col, int row);

    void UpdateCaption(const QString& path);
    // Reads a dictionary file into the grid. A failed read shows its message (none for a
    // missing file) and leaves the open document as it was.
    bool ReadDictionary(const QString& path);
    // Writes the grid to a file, after removing its empty rows. A failed write shows its
    // message and leaves the file as it was. guard: see orb::saveXmlFile.
    bool WriteDictionary(const QString& path, orb::SaveGuard* guard = nullptr);

    // Enables the commands and refreshes the status bar; runs whenever the event loop is
    // about to wait, the local loops of the harvest's questions included.
    void UpdateCommands();

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
    bool FindNext(bool forward);
    // Shows only the rows without a text in the column (-1: every row).
    void ApplyFilter(int col);
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
    QMenu* LanguageMenu() const { return pmLanguages; }
    // The files last opened or saved, the latest first.
    QStringList RecentFiles() const { return m_recentFiles; }
    // Where the chosen interface language is remembered: beside the executable.
    static QString SettingsPath();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A dictionary file dropped from a file manager is opened as from the open command.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    // The save question; false when the user chose to stop.
    enum class SaveQuestion { YesNoCancel, OkCancel };
    bool AskToSave(SaveQuestion form);
    // Saves to the bound file, or to one the user names; false unless the file was written.
    // A bound file that changed on disk since it was read or saved is replaced only when the
    // user says so.
    bool SaveDocument();
    // Saves to a file the user names, asking before an existing one is replaced; false
    // unless the file was written.
    bool SaveDocumentAs();
    // Yes: replace the file all the same, No: save elsewhere, Cancel (the default): do not save.
    Prompter::Button AskAboutChangedFile(const QString& path);
    bool ConfirmReplacing(const QString& path);
    // Writes the file, replacing it only while it is what the guard expects, and binds the
    // document to it.
    bool SaveTo(const QString& path, orb::SaveGuard guard);
    // The open command for a path the user gave otherwise (recent files, a drop): the save
    // question first.
    void OpenOtherDictionary(const QString& path);
    // Shows the message of a read that failed (none for a missing file): errorText for a
    // damaged file. True when the read succeeded.
    bool ReadSucceeded(GridRead result, const QString& path, const QString& reason, const QString& errorText);
    // Merges one language of a dictionary file into the grid, through the dialog's choice;
    // the document stays bound to its own file. False, with the document as it was, when the
    // file is missing, cannot be used or the dialog is cancelled.
    bool ImportDictionary(const QString& path);
    // Binds the document to a file it was read from or written to, as the stamp says it was.
    void BindFile(const QString& path, const orb::FileStamp& stamp);
    void RememberRecentFile(const QString& path);
    void ForgetRecentFile(const QString& path);
    void SaveRecentFiles();
    void BuildRecentMenu();
    // The find bar's language lists and the status bar's figures, whose texts the window
    // makes itself, in the interface language.
    void RefreshOwnTexts();
    void UpdateStatistics();
    void SetupMenus();
    void SetupFindBar();
    void SetupStatusBar();
    // Where the file dialogs start: the document's folder, else the last one a file was read
    // from or written to, else home. Never where a save failed: a dialog opened in a folder
    // it cannot list (/proc) blocks the editor.
    QString DialogFolder() const;
    // Runs work (a read or write of a whole file) on a thread of its own under the busy
    // cursor, while the window repaints and takes a close, which is carried out afterwards.
    void WorkWhileResponsive(const std::function<void()>& work);
    void sgDictGridSetEditText(int col, int row, const QString& text);
    void ShowDocument();
    // The identifiers of the language columns but the given one (-1: of all of them).
    QStringList LangIDsExcept(int col) const;
    QString HintUnderPointer() const;
    void lblTarsovaClick();
    void BuildLanguageMenu();
    void CheckCurrentLanguage();
    void LoadInterfaceLanguage();
    void SaveInterfaceLanguage();

    std::unique_ptr<Ui::frmMain> ui;
    DictGridModel* m_model;
    TOrbTranslate* OrbTranslate;
    QMenu* pmLanguages;
    QActionGroup* m_languageGroup;

    QString FTitle;
    QString FDictFile;
    bool m_working = false;       // WorkWhileResponsive runs
    bool m_closeAfterWork = false; // a close came meanwhile
    int FEditCol = 0;
    int FEditRow = 0;
    QString FEditText;
    QString m_lastFolder; // of the last file read or written
    orb::FileStamp m_fileStamp; // of the bound file, when it was last read or written
    QStringList m_recentFiles;
    int m_harvestBatch = 0;    // the harvest under way, whose phrases are one change
    QLabel* m_statistics;      // the phrase count and each language's completeness
    QTimer* m_statisticsTimer; // counts once after a burst of changes
    SortChoice m_sortChoice; // the last one made, offered by the next sort
};

#pragma once

#include "dictionary/DictionaryGridIO.h"
#include "component/FileStamp.h"
#include "component/Prompter.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace orb {

class DictGridModel;
class DictTable;
class ResponsiveWork;

// The open document's tie to its file: which file it is bound to and what that file was when
// it was last read or written, whether the document differs from it, and the commands that
// move it between the two (open, save, save as, the save question, import). It keeps the
// user's files safe: it writes only the bound file or one the user names, asks before it
// replaces a file that exists or that changed on disk since, and an import only reads. Every
// question and message goes through the Prompter, owned by the window given.
class DocumentSession : public QObject
{
    Q_OBJECT

public:
    // documentShown: whether a document is open, which the window knows (a document whose
    // last language was deleted is shown no more, and saves nothing).
    DocumentSession(DictGridModel& model, QWidget* owner, ResponsiveWork& work, std::function<bool()> documentShown);

    // The bound file, absolute; empty for a document never saved.
    QString file() const { return m_file; }
    // The document differs from its file: changed since it was read or written, or never saved.
    bool modified() const;
    // Where the file dialogs start: the document's folder, else the last one a file was read
    // from or written to, else home. Never where a save failed: a dialog opened in a folder
    // it cannot list (/proc) blocks the editor.
    QString dialogFolder() const;

    // The table becomes a new document, bound to no file and counting as changed.
    void startNew(DictTable table);
    // No document any more.
    void close();
    // Reads the file as the document, replacing the open one without asking; false, with the
    // reason shown (nothing for a missing file), when it cannot be read: the document stays.
    bool open(const QString& path);
    // The same for a path from the command line or a file manager, which may name no file:
    // that is reported too.
    bool openGiven(const QString& path);

    enum class SaveQuestion { YesNoCancel, OkCancel };
    // The save question, when a document is open and changed; false when the user chose to
    // stop. A Yes that saved nothing (a cancelled file dialog, a failed write) stops too.
    bool askToSave(SaveQuestion form);
    // Saves to the bound file, or to one the user names; false unless the file was written.
    // A bound file that changed on disk since is replaced only when the user says so.
    bool save();
    // Saves to a file the user names, asking before an existing one is replaced; false
    // unless the file was written.
    bool saveAs();
    // Merges one language of a dictionary file into the document, through the import
    // dialog's choice; the document stays bound to its own file. False, with the document as
    // it was, when the file is missing, cannot be used or the dialog is cancelled.
    bool import(const QString& path);
    // Writes the document after removing its empty rows, binding it to nothing; a failed
    // write shows its message and leaves the file as it was. guard: see writeDictionary.
    bool write(const QString& path, SaveGuard* guard = nullptr);

signals:
    // The document was bound to another file, or to none.
    void fileChanged(const QString& path);
    // A file was read or written as the document: it belongs among the recent files.
    void fileUsed(const QString& path);

private:
    void bind(const QString& path, const FileStamp& stamp);
    // Yes: replace the file all the same, No: save elsewhere, Cancel (the default): do not save.
    Prompter::Button askAboutChangedFile(const QString& path);
    bool confirmReplacing(const QString& path);
    // Writes the file, replacing it only while it is what the guard expects, and binds the
    // document to it.
    bool saveTo(const QString& path, SaveGuard guard);
    // Shows the message of a read that failed (none for a missing file): errorText for a
    // damaged file. True when the read succeeded.
    bool readSucceeded(GridRead result, const QString& path, const QString& reason, const QString& errorText);
    void showFailure(const QString& text, const QString& path, const QString& reason, Prompter::Icon icon);

    DictGridModel& m_model;
    QWidget* m_owner;
    ResponsiveWork& m_work;
    std::function<bool()> m_documentShown;
    QString m_file;
    FileStamp m_stamp;    // of the bound file, when it was last read or written
    QString m_lastFolder; // of the last file read or written
};

// The file dialogs' filter of dictionaries, before translation.
QString dictionaryFilter();

} // namespace orb

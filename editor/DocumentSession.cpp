#include "editor/DocumentSession.h"

#include "component/BusyCursor.h"
#include "editor/DictGridModel.h"
#include "dictionary/DictionaryImport.h"
#include "editor/Import.h"
#include "widgets/MessageCaption.h"
#include "component/OrbTranslate.h"
#include "widgets/ResponsiveWork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoStack>

namespace orb {

namespace {

// The message of a failed read or write: its text in the interface language, then the file
// and the reason, in the words of the system or of the XML parser.
QString failureText(const QString& text, const QString& path, const QString& reason)
{
    return Translate(text) + u'\n' + QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

} // namespace

QString dictionaryFilter()
{
    // "*.*" would hide every file without a dot in its name, as Linux names many.
    return QStringLiteral("Dictionary (*.lng);;All files (*)");
}

DocumentSession::DocumentSession(DictGridModel& model, QWidget* owner, ResponsiveWork& work,
                                 std::function<bool()> documentShown)
    : QObject(owner), m_model(model), m_owner(owner), m_work(work), m_documentShown(std::move(documentShown))
{
}

bool DocumentSession::modified() const
{
    return !m_model.history()->isClean();
}

QString DocumentSession::dialogFolder() const
{
    if (!m_file.isEmpty())
        return QFileInfo(m_file).absolutePath();
    return m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
}

void DocumentSession::bind(const QString& path, const FileStamp& stamp)
{
    m_stamp = stamp;
    if (path.isEmpty()) {
        m_file.clear();
    } else {
        const QFileInfo file(path);
        m_file = file.absoluteFilePath();
        m_lastFolder = file.absolutePath();
    }
    emit fileChanged(m_file);
}

void DocumentSession::startNew(DictTable table)
{
    bind(QString(), {});
    m_model.setTable(std::move(table));
    // A document never saved differs from every file.
    m_model.history()->resetClean();
}

void DocumentSession::close()
{
    m_model.setTable(DictTable());
    bind(QString(), {});
}

bool DocumentSession::askToSave(SaveQuestion form)
{
    if (!m_documentShown() || !modified())
        return true;
    const int buttons = form == SaveQuestion::YesNoCancel ? Prompter::Yes | Prompter::No | Prompter::Cancel
                                                          : Prompter::Ok | Prompter::Cancel;
    const Prompter::Button answer = Prompter::current().messageBox(
        m_owner, messageCaption(), Translate(QStringLiteral("Сохранить измененный словарь ?")),
        Prompter::Icon::Information, buttons);
    // A user who answered Yes asked to keep the changes: unless they are saved, be it through
    // a cancelled file dialog or a failed write, the command that asked stops.
    if (answer == Prompter::Yes || answer == Prompter::Ok)
        return save();
    // The open command's Cancel means "go on without saving".
    return answer == Prompter::No || form == SaveQuestion::OkCancel;
}

bool DocumentSession::openGiven(const QString& path)
{
    // The open dialog offers only files that exist; a path from outside may name none.
    if (QFile missing(path); !missing.exists()) {
        missing.open(QIODevice::ReadOnly); // for the system's own words
        showFailure(QStringLiteral("Ошибка при открытии"), path, missing.errorString(), Prompter::Icon::Error);
        return false;
    }
    return open(path);
}

bool DocumentSession::open(const QString& path)
{
    // Taken before the read: a file written while it is read counts as changed at Save.
    const FileStamp stamp = FileStamp::of(path);
    DictTable table;
    GridRead result;
    QString reason;
    m_work.run([&] { result = readDictionaryGrid(path, table, &reason); });
    if (!readSucceeded(result, path, reason, QStringLiteral("Ошибка при открытии")))
        return false;
    m_model.setTable(std::move(table));
    bind(path, stamp);
    emit fileUsed(m_file);
    return true;
}

bool DocumentSession::save()
{
    // With the last language deleted nothing is shown, and nothing is written.
    if (!m_documentShown())
        return false;
    if (m_file.isEmpty())
        return saveAs();
    SaveGuard guard = SaveGuard::unchangedSince(m_stamp);
    const FileStamp onDisk = FileStamp::of(m_file);
    if (onDisk != m_stamp) {
        switch (askAboutChangedFile(m_file)) {
        case Prompter::Yes:
            guard.expected = onDisk;
            break;
        case Prompter::No:
            return saveAs();
        default:
            return false;
        }
    }
    return saveTo(m_file, guard);
}

bool DocumentSession::saveAs()
{
    if (!m_documentShown())
        return false;
    const QString chosen = Prompter::current().saveFileName(m_owner, QString(), dialogFolder(), Translate(dictionaryFilter()));
    if (chosen.isEmpty())
        return false;
    // The question is about the file that will be written, extension and all.
    const QString path = QFileInfo(withLngExtension(chosen)).absoluteFilePath();
    const FileStamp onDisk = FileStamp::of(path);
    if (onDisk.exists && !confirmReplacing(path))
        return false;
    return saveTo(path, SaveGuard::unchangedSince(onDisk));
}

Prompter::Button DocumentSession::askAboutChangedFile(const QString& path)
{
    const QString question =
        Translate(QStringLiteral("Файл изменён на диске после того, как был прочитан или сохранён:")) + u'\n'
        + QDir::toNativeSeparators(path) + u'\n'
        + Translate(QStringLiteral("Да — заменить его словарём, Нет — сохранить словарь в другой файл, Отмена — не сохранять."));
    return Prompter::current().messageBoxWithDefault(m_owner, messageCaption(), question, Prompter::Icon::Warning,
                                                     Prompter::Yes | Prompter::No | Prompter::Cancel,
                                                     Prompter::Cancel);
}

bool DocumentSession::confirmReplacing(const QString& path)
{
    const QString question = Translate(QStringLiteral("Файл уже существует:")) + u'\n'
                             + QDir::toNativeSeparators(path) + u'\n' + Translate(QStringLiteral("Заменить его?"));
    return Prompter::current().messageBoxWithDefault(m_owner, messageCaption(), question, Prompter::Icon::Warning,
                                                     Prompter::Yes | Prompter::No, Prompter::No)
           == Prompter::Yes;
}

bool DocumentSession::saveTo(const QString& path, SaveGuard guard)
{
    if (!write(path, &guard))
        return false;
    m_model.history()->setClean();
    bind(path, guard.written);
    emit fileUsed(m_file);
    return true;
}

bool DocumentSession::write(const QString& path, SaveGuard* guard)
{
    bool written = false;
    QString reason;
    m_model.deleteEmptyRows();
    m_work.run([&] { written = writeDictionaryGrid(m_model.table(), path, &reason, guard); });
    if (!written)
        showFailure(QStringLiteral("Ощибка при сохранении"), path, reason, Prompter::Icon::Error);
    return written;
}

bool DocumentSession::import(const QString& path)
{
    ImportSource source;
    GridRead read;
    QString reason;
    m_work.run([&] { read = source.open(path, &reason); });
    const QString importError = QStringLiteral("Ошибка при импорте");
    if (!readSucceeded(read, path, reason, importError))
        return false;
    QStringList headers;
    for (int col = 0; col < m_model.table().columnCount(); ++col)
        headers.append(m_model.table().headerText(col));
    ImportChoice choice;
    if (!importDialog(m_owner, headers, source.entryTexts(), choice))
        return false;
    // Everything is read and checked before the document changes: a damaged file leaves it
    // as it was, not half merged.
    ImportPlan plan;
    bool planned = false;
    m_work.run([&] {
        planned = source.plan(m_model.table(), choice.keyColumn, choice.keyPosition, choice.importPosition, plan, &reason);
    });
    if (!planned)
        return readSucceeded(GridRead::ReadError, path, reason, importError);
    const BusyCursor busy;
    // The document's content changes, never its file: the imported file is only read.
    m_model.applyImport(plan);
    m_lastFolder = QFileInfo(path).absolutePath();
    return true;
}

bool DocumentSession::readSucceeded(GridRead result, const QString& path, const QString& reason,
                                    const QString& errorText)
{
    switch (result) {
    case GridRead::Missing:
        return false;
    case GridRead::UnknownFile:
        showFailure(QStringLiteral("Неизвестный файл"), path, reason, Prompter::Icon::Warning);
        return false;
    case GridRead::ReadError:
        showFailure(errorText, path, reason, Prompter::Icon::Error);
        return false;
    case GridRead::Ok:
        break;
    }
    return true;
}

void DocumentSession::showFailure(const QString& text, const QString& path, const QString& reason, Prompter::Icon icon)
{
    Prompter::current().messageBox(m_owner, messageCaption(), failureText(text, path, reason), icon, Prompter::Ok);
}

} // namespace orb

#pragma once

#include "component/FileStamp.h"

#include <QString>

namespace orb {

// Replaces a file as a whole or not at all. The new content goes to a temporary file beside
// the target, which is synced and renamed over it, so that a save killed at any moment leaves
// the old file or the new one. The temporary is locked while it is written: a save that was
// killed leaves an unlocked one, and the next successful save of the same file removes it.
// (QSaveFile leaves such a file behind when killed between naming its temporary and renaming
// it, under a name no later save can tell from the user's own files.) Every write reaches the
// file at once, so that a disk that fills up fails the write that met it. Symbolic links are
// followed to the end of their chain: the file the last one points to is replaced, every link
// stays a link. A file its user may not write (mode 0444, say) is refused, although the
// rename would replace it: the directory's permission is not the file's.
class SafeFile
{
public:
    explicit SafeFile(const QString& path);
    // Without a successful commit the temporary is removed and the target left alone.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Refuses an existing target that may not be written, and a directory.
    bool open();
    bool write(const char* data, qint64 size);
    // commit then refuses to replace the target unless it is still what the stamp says (a
    // stamp of no file: that there still is none), and says changedOnDisk().
    void requireUnchanged(const FileStamp& stamp);
    // Keeps the target's permissions and owner (a new file gets the usual ones), syncs, renames.
    bool commit();
    // Why the last step failed, as the system says it.
    QString errorString() const { return m_error; }
    // The commit failed because the target changed since the stamp it was given.
    bool changedOnDisk() const { return m_changedOnDisk; }
    // The file that was written, as it stands after a successful commit.
    FileStamp committedStamp() const { return m_committed; }
    // The file a save of path replaces: the end of its chain of links.
    static QString resolvedTarget(const QString& path);

private:
    bool fail(int error);
    // fail, and the temporary removed.
    bool abandon(int error);
    void discard();

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    bool m_failed = false;
    QString m_error;
    bool m_checkUnchanged = false;
    FileStamp m_expected;
    bool m_changedOnDisk = false;
    FileStamp m_committed;
};

// The name prefix of the temporaries of saves of the named file, in its directory; short
// enough that a temporary's name stays within the file system's limit however long the
// file's own name is.
QString safeFileTemporaryPrefix(const QString& fileName);

} // namespace orb

#pragma once

#include "orbtranslatetoolkit_export.h"

#include <QString>

namespace orb {

// Replaces a file as a whole or not at all. The new content goes to a temporary file beside
// the target, which is synced and renamed over it, so that a save killed at any moment leaves
// the old file or the new one. The temporary is locked while it is written: a save that was
// killed leaves an unlocked one, and the next successful save of the same file removes it.
// (QSaveFile leaves such a file behind when killed between naming its temporary and renaming
// it, under a name no later save can tell from the user's own files.) Every write reaches the
// file at once, so that a disk that fills up fails the write that met it. A symbolic link is
// followed: the file it points to is replaced, the link stays.
class ORBTRANSLATETOOLKIT_EXPORT SafeFile
{
public:
    explicit SafeFile(const QString& path);
    // Without a successful commit the temporary is removed and the target left alone.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    // Keeps the target's permissions (a new file gets the usual ones), syncs, renames.
    bool commit();
    // Why the last step failed, as the system says it.
    QString errorString() const { return m_error; }

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
};

// The name prefix of the temporaries of saves of the named file, in its directory.
ORBTRANSLATETOOLKIT_EXPORT QString safeFileTemporaryPrefix(const QString& fileName);

} // namespace orb

#include "cli/LockedDictionary.h"

#include "cli/Diagnostics.h"
#include "dictionary/DictionaryGridIO.h"
#include "component/SafeFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace orb {

namespace {

QString lockProblem(QLockFile::LockError error, const QString& lockPath)
{
    switch (error) {
    case QLockFile::LockFailedError:
        return QStringLiteral("another orb-lng is writing it and holds the lock %1; try again when it has "
                              "finished (remove the lock if no orb-lng runs on any machine)")
            .arg(lockPath);
    case QLockFile::PermissionError:
        return QStringLiteral("cannot create the lock %1: permission denied").arg(lockPath);
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("cannot create the lock %1").arg(lockPath);
}

} // namespace

LockedDictionary::LockedDictionary() = default;
LockedDictionary::~LockedDictionary() = default;

// Beside the file rather than in the user's runtime folder: a save writes its temporary into
// that folder anyway, so a lock there needs no permission the save does not, and it is seen by
// every user and every machine that can write the file, which a per-user, per-machine runtime
// folder is not. Named by a hash of the real path, so that every way of naming the file
// (through links, relative or absolute) meets one lock, and so that the name stays short
// however long the file's own name is.
QString LockedDictionary::lockPathOf(const QString& dictionary)
{
    const QFileInfo target(orb::SafeFile::resolvedTarget(dictionary));
    const QString real = target.canonicalFilePath().isEmpty() ? target.absoluteFilePath() : target.canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(real), QCryptographicHash::Sha256).toHex().left(16);
    return QFileInfo(real).absolutePath() + QStringLiteral("/.orb-lng-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

bool LockedDictionary::open(const QString& path)
{
    m_path = path;
    // Said as it is, rather than as a lock that cannot be made in a folder that is not there.
    if (!QFileInfo::exists(path))
        return loadDictionary(path, m_table);
    const QString lockPath = lockPathOf(path);
    m_lock = std::make_unique<QLockFile>(lockPath);
    // A lock is stale only when the process that took it is gone: a harvest may hold one for
    // minutes, and taking it from a live process because of its age is what the lock prevents.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(kLockWaitMs)) {
        reportProblem(path, lockProblem(m_lock->error(), lockPath));
        return false;
    }
    // Taken before the read: a save that lands while the file is read changes it.
    m_stamp = orb::FileStamp::of(path);
    return loadDictionary(path, m_table);
}

bool LockedDictionary::save()
{
    orb::SaveGuard guard;
    guard.checkUnchanged = true;
    guard.expected = m_stamp;
    QString error;
    if (writeDictionaryGrid(m_table, m_path, &error, &guard)) {
        m_stamp = guard.written;
        return true;
    }
    reportProblem(m_path, guard.changedOnDisk
                              ? QStringLiteral("changed on disk since it was read (by a program that takes no lock, "
                                               "such as the editor); not replaced, so that those changes are kept")
                              : error);
    return false;
}

} // namespace orb

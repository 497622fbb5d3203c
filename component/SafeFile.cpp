#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file a save replaces: the target of a link, so that the link is kept.
QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

QString randomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 8; ++i)
        suffix.append(QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]));
    return suffix;
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0
        && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

void syncDirectory(const QString& directory)
{
    const int fd = ::open(nativePath(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Removes the temporaries that killed saves of the file left: those no process holds locked.
void removeAbandonedTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QDir directory = info.absoluteDir();
    const QString prefix = safeFileTemporaryPrefix(info.fileName());
    const QStringList names = directory.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QByteArray path = nativePath(directory.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, path))
            ::unlink(path.constData());
        ::close(fd);
    }
}

} // namespace

QString safeFileTemporaryPrefix(const QString& fileName)
{
    return u'.' + fileName + QStringLiteral(".orb-save-");
}

SafeFile::SafeFile(const QString& path) : m_target(resolvedTarget(path)) {}

SafeFile::~SafeFile()
{
    discard();
}

bool SafeFile::fail(int error)
{
    m_failed = true;
    m_error = systemError(error);
    return false;
}

bool SafeFile::abandon(int error)
{
    fail(error);
    discard();
    return false;
}

void SafeFile::discard()
{
    if (m_fd < 0)
        return;
    ::unlink(nativePath(m_temporary).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool SafeFile::open()
{
    const QFileInfo target(m_target);
    if (target.isDir())
        return fail(EISDIR);
    const QString prefix = target.absoluteDir().filePath(safeFileTemporaryPrefix(target.fileName()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = prefix + randomSuffix();
        const QByteArray path = nativePath(m_temporary);
        // 0666 less the umask, as any new file gets; an existing target's mode is set at commit.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return fail(errno);
        }
        // Locked before anything is written. A save of the same file that found it unlocked
        // in the moment between may have removed it, hence the check that it is still ours.
        if (::flock(fd, LOCK_EX) != 0 || !sameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        m_fd = fd;
        return true;
    }
    return fail(EEXIST);
}

bool SafeFile::write(const char* data, qint64 size)
{
    if (m_fd < 0 || m_failed)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += written;
        size -= written;
    }
    return true;
}

bool SafeFile::commit()
{
    if (m_fd < 0 || m_failed) {
        discard();
        return false;
    }
    struct stat existing {};
    if (::stat(nativePath(m_target).constData(), &existing) == 0 && ::fchmod(m_fd, existing.st_mode & 07777) != 0)
        return abandon(errno);
    if (::fsync(m_fd) != 0)
        return abandon(errno);
    if (::rename(nativePath(m_temporary).constData(), nativePath(m_target).constData()) != 0)
        return abandon(errno);
    ::close(m_fd);
    m_fd = -1;
    syncDirectory(QFileInfo(m_target).absolutePath());
    removeAbandonedTemporaries(m_target);
    return true;
}

} // namespace orb

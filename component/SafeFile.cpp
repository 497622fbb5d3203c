#include "component/SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
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

// Where a link points, made absolute against the link's folder; empty when it cannot be read.
QString linkTarget(const QString& link)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(nativePath(link).constData(), buffer, sizeof buffer);
    if (length <= 0 || std::size_t(length) >= sizeof buffer)
        return {};
    const QString target = QFile::decodeName(QByteArray(buffer, length));
    return QDir::cleanPath(QFileInfo(link).absoluteDir().absoluteFilePath(target));
}

constexpr int kRandomLetters = 8;
constexpr char kTemporaryMark[] = ".orb-save-";

QString randomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < kRandomLetters; ++i)
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
    // Compared as text, not as a pattern: a file's name may hold * or [.
    const QStringList names = directory.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix))
            continue;
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
    constexpr int kNameMax = NAME_MAX; // bytes, on every file system Linux mounts read-write
    constexpr int kMarkBytes = int(sizeof kTemporaryMark) - 1;
    const QString whole = u'.' + fileName + QLatin1String(kTemporaryMark);
    if (nativePath(whole).size() + kRandomLetters <= kNameMax)
        return whole;
    // A long name is cut and told apart from other names cut alike by a hash of the whole.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(nativePath(fileName), QCryptographicHash::Sha1).toHex().left(8));
    const int budget = kNameMax - kRandomLetters - kMarkBytes - 1 - 1 - int(hash.size());
    QString cut = fileName;
    while (nativePath(cut).size() > budget)
        cut.chop(cut.size() >= 2 && cut.at(cut.size() - 1).isLowSurrogate() ? 2 : 1);
    return u'.' + cut + u'.' + hash + QLatin1String(kTemporaryMark);
}

QString SafeFile::resolvedTarget(const QString& path)
{
    QString current = path;
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own limit on a chain of links
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString next = linkTarget(current);
        if (next.isEmpty())
            return current;
        current = next;
    }
    return current;
}

SafeFile::SafeFile(const QString& path) : m_target(resolvedTarget(path)) {}

void SafeFile::requireUnchanged(const FileStamp& stamp)
{
    m_checkUnchanged = true;
    m_expected = stamp;
}

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
    struct stat existing {};
    if (::stat(nativePath(m_target).constData(), &existing) == 0) {
        // access() grants root everything; a file without a write bit is read-only to anyone.
        if ((existing.st_mode & 0222) == 0)
            return fail(EACCES);
        if (::access(nativePath(m_target).constData(), W_OK) != 0)
            return fail(errno);
    }
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
    if (::stat(nativePath(m_target).constData(), &existing) == 0) {
        if (::fchmod(m_fd, existing.st_mode & 07777) != 0)
            return abandon(errno);
        // Only root may give a file away; anyone else keeps what the rename gives.
        if (::fchown(m_fd, existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
            return abandon(errno);
    }
    if (::fsync(m_fd) != 0)
        return abandon(errno);
    // As late as can be: what another program writes after this is its own save's to lose.
    if (m_checkUnchanged && FileStamp::of(m_target) != m_expected) {
        m_changedOnDisk = true;
        abandon(ESTALE);
        m_error = QStringLiteral("the file was changed on disk since it was read");
        return false;
    }
    if (::rename(nativePath(m_temporary).constData(), nativePath(m_target).constData()) != 0)
        return abandon(errno);
    m_committed = FileStamp::ofDescriptor(m_fd);
    ::close(m_fd);
    m_fd = -1;
    syncDirectory(QFileInfo(m_target).absolutePath());
    removeAbandonedTemporaries(m_target);
    return true;
}

} // namespace orb

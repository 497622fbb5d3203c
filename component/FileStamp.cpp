#include "component/FileStamp.h"

#include <QFile>

#include <sys/stat.h>

namespace orb {

namespace {

FileStamp stampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = std::uint64_t(st.st_dev);
    stamp.inode = std::uint64_t(st.st_ino);
    stamp.size = std::int64_t(st.st_size);
    stamp.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

} // namespace

FileStamp FileStamp::of(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return stampOf(st);
}

FileStamp FileStamp::ofDescriptor(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return {};
    return stampOf(st);
}

} // namespace orb

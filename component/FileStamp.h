#pragma once


#include <QString>

#include <cstdint>

namespace orb {

// What a file was when it was read: enough to tell, before it is replaced, that someone else
// (another program, another window, a version-control checkout) has written it since. The
// modification time alone misses a rewrite within the file system's clock tick and a file
// put back by rename; the inode and size catch those. Links are followed.
struct FileStamp
{
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch

    // The stamp of the file at path now; exists is false when there is none (or it cannot be
    // examined), which differs from every stamp of an existing file.
    static FileStamp of(const QString& path);
    // The stamp of an open file.
    static FileStamp ofDescriptor(int fd);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What a save is to check of the file it replaces, and what it learns of the file it wrote.
struct SaveGuard
{
    bool checkUnchanged = false; // replace the file only while it is still `expected`
    FileStamp expected;
    bool changedOnDisk = false; // out: refused, since the file was not `expected` any more
    FileStamp written;          // out: the file as the save left it

    // A guard that lets a save replace only a file that is still as the stamp says.
    static SaveGuard unchangedSince(const FileStamp& stamp)
    {
        SaveGuard guard;
        guard.checkUnchanged = true;
        guard.expected = stamp;
        return guard;
    }
};

} // namespace orb

#pragma once

#include "dictionary/DictTable.h"
#include "component/FileStamp.h"

#include <QLockFile>
#include <QString>

#include <memory>

namespace orb {

// A dictionary a subcommand reads, changes and writes back. Another orb-lng doing the same to
// the same file would make one of the two lose its work, so the file is locked from before
// it is read until it has been written; a program that takes no lock (the editor) is caught
// at the write, which replaces the file only while it is still the one read.
class LockedDictionary
{
public:
    // How long another orb-lng may keep the file before this one gives up.
    static constexpr int kLockWaitMs = 2000;

    LockedDictionary();
    ~LockedDictionary();

    // Takes the lock (waiting up to kLockWaitMs) and reads the file; false, with the problem
    // reported as "file: reason", when either cannot be done.
    bool open(const QString& path);
    DictTable& table() { return m_table; }
    const QString& path() const { return m_path; }
    // Writes the table back atomically, unless the file changed since it was read; false with
    // the problem reported.
    bool save();

    // The lock file of a dictionary: in the folder of the file itself (the end of its chain of
    // links), named by a hash of its real path.
    static QString lockPathOf(const QString& dictionary);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    orb::FileStamp m_stamp;
    DictTable m_table;
};

} // namespace orb

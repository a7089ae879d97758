#pragma once
// One program at a time on a data folder: a lock on a file in it, held by the
// open file itself. The system drops it when the file closes or the process
// dies, on whatever host it ran, so nothing a crash leaves behind can refuse
// the folder; what the file contains does not matter.
#include <QString>

namespace fyn {

class FolderLock {
public:
    enum class Outcome {
        Held,        // this program holds the lock
        Busy,        // another open file holds it (a second copy)
        NoLocks,     // the file system cannot lock files
        NotWritable, // the folder, or the plain file that is its lock file,
                     // cannot be written (a medium mounted read-only, another
                     // user's files, no write permission): refused() names
                     // which, error() why
        Unusable,    // something is in the lock file's place that is no plain
                     // file (a folder, a link, a pipe): no lock can be had,
                     // and nothing may be written
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Opens (or creates) the file and takes its lock without waiting.
    Outcome acquire(const QString& path);
    void release();
    bool held() const { return fd_ >= 0; }
    // Why the last acquire() did not lock (an errno value), 0 when it did.
    int error() const { return error_; }
    // What refused to be written, the lock file or its folder (NotWritable).
    const QString& refused() const { return refused_; }

private:
    int fd_ = -1;
    int error_ = 0;
    QString refused_;
};

namespace folderlock_testing {
// While on, acquire() answers NoLocks, as on a file system without locks.
void setNoLocks(bool on);
} // namespace folderlock_testing

} // namespace fyn

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
        Held,     // this program holds the lock
        Busy,     // another open file holds it (a second copy)
        NoLocks,  // the file system cannot lock files
        NoFile,   // there is no lock file, and none can be made (a folder that
                  // cannot be written)
        Unusable, // something is in the lock file's place that cannot be opened
                  // and locked as a plain file (a folder, a link, a file this
                  // user may not open): no lock can be had, and nothing may
                  // be written
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

private:
    int fd_ = -1;
    int error_ = 0;
};

namespace folderlock_testing {
// While on, acquire() answers NoLocks, as on a file system without locks.
void setNoLocks(bool on);
} // namespace folderlock_testing

} // namespace fyn

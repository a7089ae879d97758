#pragma once
// A double of the data folder's writes that knows what a power cut would
// leave: the disk as ext4 keeps it (data=ordered). A file's bytes and length
// are on disk once a sync of the file succeeded; a name made, changed or
// removed is on disk once a sync of its folder succeeded. A sync that fails
// has lost what it covered, as on Linux: the pages count as written, a later
// sync of the file succeeds without them, and a power cut takes them.
//
// Any change can be made to fail (a full or failing disk); and it fails the
// journal's head once (its write, a write cut short, or its sync), as a
// failing stick does, whenever the journal writes one.
#include "platform/DataWrites.h"
#include "platform/testing/InstalledWrites.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace platform::testing {

class PowerCut final : public DataWrites {
public:
    enum class Op { Write, Sync, SyncFolder, Truncate, Reserve, Create, Rename, Unlink, Mkdir };
    // Asked before each change, with the file or folder it is made to (the
    // new name for a rename): an errno to fail it with, or 0.
    std::function<int(Op, const QString& path)> fault;
    // Told of each rename once it is made, with both names.
    std::function<void(const QString& from, const QString& to)> renamed;

    enum class HeadFault { None, Write, Short, Sync };
    HeadFault headFault = HeadFault::None;
    int faultErrno = EIO;
    bool faulted = false; // the head's fault has come
    // The next write into a file other than the journal fails once ("Disk full").
    bool failNextDataWrite = false;

    ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) override;
    int sync(int fd) override;
    int syncFolder(int fd) override;
    int truncate(int fd, off_t length) override;
    int reserve(int fd, off_t offset, off_t length) override;
    int openAt(int dir, const char* name, int flags, mode_t mode) override;
    int renameAt(int dir, const char* from, const char* to) override;
    int unlinkAt(int dir, const char* name, int flags) override;
    int mkdirAt(int dir, const char* name, mode_t mode) override;

    // What of the changes not synced a cut leaves: nothing (the default), or
    // the names only, or the files' bytes and lengths only.
    enum class Leave { Nothing, Names, Data };
    // The power goes: the files and folders become what the disk holds.
    // Nothing is followed afterwards; what is there then is on disk.
    void cut(Leave leave = Leave::Nothing);
    // Whether anything is not on disk yet.
    bool unsynced() const;

private:
    struct Inode {
        QString path;                                 // its name now
        QByteArray disk;                              // its bytes on disk, length and all
        std::vector<std::pair<qint64, qint64>> dirty; // written since its last sync
        bool lengthDirty = false;
        bool lost = false; // a sync failed: the file is not what the disk holds
    };
    struct NameChange {
        enum Kind { Create, Rename, Unlink, Mkdir, Rmdir } kind;
        QString dir;                    // the folder whose sync makes it stand
        QString path;                   // the name made, removed, or renamed from
        QString to;                     // a rename's new name
        std::optional<QByteArray> gone; // the file it removed or replaced, as on disk
        mode_t mode = 0644;
    };
    using Key = std::pair<dev_t, ino_t>;
    Inode& follow(int fd);
    int failed(Op op, const QString& path);
    void lose(Inode& node);
    QByteArray onDisk(const QString& path); // a file's bytes as the disk holds them

    std::map<Key, Inode> inodes_;
    std::vector<NameChange> names_;
    int faultFd_ = -1;       // a head written there; its sync fails
    bool shortRest_ = false; // the rest of a head cut short fails
};

using PowerCutInstalled = InstalledWrites<PowerCut>;

} // namespace platform::testing

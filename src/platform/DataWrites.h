#pragma once
// Every change the program makes in the data folder goes through here: the
// bytes written into its files (the journal, the data files and the files
// written whole), their lengths and the room reserved for them, the names
// made, changed and removed, and the syncs of files and folders; and so do
// the lookups of its names. A test can then make the disk fill up part way
// through a write, make an overwrite in place fail as it does on a full file
// system that copies what it overwrites (btrfs), fail a sync or a lookup as a
// failing stick does, or build what a power cut leaves of whatever was not
// synced.
//
// Names are given as an open folder and a name in it, as the *at calls take
// them; the folder may be AT_FDCWD and the name then a whole path.
#include <memory>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>

namespace platform {

class DataWrites {
public:
    virtual ~DataWrites() = default;
    // As pwritev(2): the bytes written, or -1 with errno set.
    virtual ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset);
    // As fdatasync(2), for a file.
    virtual int sync(int fd);
    // As fsync(2), for a folder.
    virtual int syncFolder(int fd);
    // As ftruncate(2).
    virtual int truncate(int fd, off_t length);
    // Reserves the blocks of [offset, offset + length) without changing the
    // file's length, as fallocate(2) with FALLOC_FL_KEEP_SIZE.
    virtual int reserve(int fd, off_t offset, off_t length);
    // As openat(2); called for the opens that may make or empty a file.
    virtual int openAt(int dir, const char* name, int flags, mode_t mode);
    // As renameat(2), both names in the one folder.
    virtual int renameAt(int dir, const char* from, const char* to);
    // As unlinkat(2) (flags: AT_REMOVEDIR for a folder).
    virtual int unlinkAt(int dir, const char* name, int flags);
    // As mkdirat(2).
    virtual int mkdirAt(int dir, const char* name, mode_t mode);
    // As fstatat(2). Not a change, but a failing disk answers a lookup with
    // an error as it does a write, and a test makes it do so here.
    virtual int statAt(int dir, const char* name, struct stat* st, int flags);
};

// The service: the system's own unless another is set.
DataWrites& dataWrites();
// Null puts the system's own back.
void setDataWrites(std::unique_ptr<DataWrites> s);

} // namespace platform

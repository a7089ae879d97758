#pragma once
// A double of the data folder's writes for a disk that fills up: a write that
// needs more new room than is left puts what fits and then fails with "Disk
// full" (ENOSPC), and so does a reservation of room. On a file system that
// writes what it overwrites to new blocks (btrfs), an overwrite in place needs
// room as well, and reserving room helps only past a file's end; elsewhere
// only the bytes past a file's end need room, and room reserved there is
// written without taking more.
#include "platform/DataWrites.h"
#include "platform/testing/InstalledWrites.h"

#include <map>
#include <sys/types.h>
#include <utility>

namespace platform::testing {

class FullDisk final : public DataWrites {
public:
    // Bytes of new room left; -1: as much as is wanted.
    long long room = -1;
    bool overwritesNeedRoom = false;
    int refused = 0; // writes that failed for want of room

    ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) override;
    int reserve(int fd, off_t offset, off_t length) override;

private:
    // Where the room reserved past each file's end ends.
    std::map<std::pair<dev_t, ino_t>, long long> reserved_;
};

using FullDiskInstalled = InstalledWrites<FullDisk>;

} // namespace platform::testing

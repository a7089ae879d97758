#pragma once
// A double of the data folder's writes for a disk that fills up: a write that
// needs more new room than is left puts what fits and then fails with "Disk
// full" (ENOSPC). On a file system that writes what it overwrites to new
// blocks (btrfs), an overwrite in place needs room as well; elsewhere only the
// bytes past a file's end do.
#include "platform/DataWrites.h"
#include "platform/testing/InstalledWrites.h"

namespace platform::testing {

class FullDisk final : public DataWrites {
public:
    // Bytes of new room left; -1: as much as is wanted.
    long long room = -1;
    bool overwritesNeedRoom = false;
    int refused = 0; // writes that failed for want of room

    ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) override;
};

using FullDiskInstalled = InstalledWrites<FullDisk>;

} // namespace platform::testing

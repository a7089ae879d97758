#pragma once
// The bytes written into the data folder's files (the journal, the data files
// and the files written whole) and their syncs go through here, so that a
// test can make the disk fill up part way through a write, make an overwrite
// in place fail as it does on a full file system that copies what it
// overwrites (btrfs), fail a sync as a failing stick does, or drop what was
// never synced, as a power cut does.
#include <memory>
#include <sys/types.h>
#include <sys/uio.h>

namespace platform {

class DataWrites {
public:
    virtual ~DataWrites() = default;
    // As pwritev(2): the bytes written, or -1 with errno set.
    virtual ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) = 0;
    // As fdatasync(2).
    virtual int sync(int fd);
};

// The service: the system's own unless another is set.
DataWrites& dataWrites();
// Null puts the system's own back.
void setDataWrites(std::unique_ptr<DataWrites> s);

} // namespace platform

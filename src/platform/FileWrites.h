#pragma once
// Writing files on a drive outside the data folder (a backup drive): the bytes,
// the syncs and the renames of a copy go through here, so that a test can make
// a drive fill up or go away part way through, or behave as a stick does.
#include <cstddef>
#include <memory>
#include <sys/types.h>

namespace platform {

class FileWrites {
public:
    virtual ~FileWrites() = default;
    // As write(2): the bytes written, or -1 with errno set.
    virtual ssize_t write(int fd, const void* data, size_t size) = 0;
    // As fsync(2).
    virtual int sync(int fd) = 0;
    // As renameat(2) within one folder, or with exchange as renameat2(2) with
    // RENAME_EXCHANGE, which a stick's file system refuses (EINVAL).
    virtual int rename(int dirFd, const char* from, const char* to, bool exchange) = 0;
};

// The service: the system's own unless another is set.
FileWrites& fileWrites();
// Null puts the system's own back.
void setFileWrites(std::unique_ptr<FileWrites> s);

} // namespace platform

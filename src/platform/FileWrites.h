#pragma once
// Writing files on a drive outside the data folder (a backup drive): the bytes
// and the syncs of a copy go through here, so that a test can make a drive fill
// up or go away part way through.
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
};

// The service: the system's own unless another is set.
FileWrites& fileWrites();
// Null puts the system's own back.
void setFileWrites(std::unique_ptr<FileWrites> s);

} // namespace platform

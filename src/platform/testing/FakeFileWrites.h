#pragma once
// A double of the drive writes: the bytes go to the file as the system's would,
// until a scripted point where the drive fills or goes away.
#include "platform/FileWrites.h"

#include <cerrno>

namespace platform::testing {

class FakeFileWrites final : public FileWrites {
public:
    // Bytes that are written before every further write fails (the write that
    // crosses the point puts its first part); -1: none fails.
    long long failAfterBytes = -1;
    int failErrno = ENOSPC;
    // Syncs from this one on (0-based) fail with failErrno; -1: none.
    int failSyncFrom = -1;

    // The drive cannot exchange two folders in one step, as a FAT or exFAT
    // stick cannot.
    bool noExchange = false;
    // The plain rename of this number (0-based) loses the files of the folder
    // it moves, as a faulty file system may; -1: none.
    int loseFilesOnRename = -1;
    int renames = 0; // plain renames so far

    long long bytesWritten = 0;
    int writes = 0;
    int syncs = 0;
    int failures = 0;

    ssize_t write(int fd, const void* data, size_t size) override;
    int sync(int fd) override;
    int rename(int dirFd, const char* from, const char* to, bool exchange) override;
};

} // namespace platform::testing

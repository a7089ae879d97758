#include "platform/testing/FakeFileWrites.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform::testing {

ssize_t FakeFileWrites::write(int fd, const void* data, size_t size) {
    ++writes;
    size_t allowed = size;
    if (failAfterBytes >= 0) {
        const long long left = failAfterBytes - bytesWritten;
        if (left <= 0) {
            ++failures;
            errno = failErrno;
            return -1;
        }
        if (static_cast<long long>(size) > left)
            allowed = static_cast<size_t>(left);
    }
    const ssize_t n = ::write(fd, data, allowed);
    if (n > 0)
        bytesWritten += n;
    return n;
}

int FakeFileWrites::sync(int fd) {
    const int n = syncs++;
    if (failSyncFrom >= 0 && n >= failSyncFrom) {
        ++failures;
        errno = failErrno;
        return -1;
    }
    return ::fsync(fd);
}

int FakeFileWrites::rename(int dirFd, const char* from, const char* to, bool exchange) {
    if (exchange) {
        if (noExchange) {
            errno = EINVAL;
            return -1;
        }
        return ::renameat2(dirFd, from, dirFd, to, RENAME_EXCHANGE);
    }
    if (::renameat(dirFd, from, dirFd, to) != 0)
        return -1;
    if (renames++ == loseFilesOnRename) {
        const int sub = ::openat(dirFd, to, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (sub >= 0) {
            if (DIR* d = ::fdopendir(sub)) {
                while (const dirent* e = ::readdir(d))
                    ::unlinkat(sub, e->d_name, 0); // folders stay: unlinkat refuses them
                ::closedir(d);
            } else {
                ::close(sub);
            }
        }
    }
    return 0;
}

} // namespace platform::testing

#include "platform/testing/FakeFileWrites.h"

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

} // namespace platform::testing

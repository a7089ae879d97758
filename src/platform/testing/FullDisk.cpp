#include "platform/testing/FullDisk.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace platform::testing {

ssize_t FullDisk::pwritev(int fd, const iovec* pieces, int count, off_t offset) {
    if (room < 0)
        return ::pwritev(fd, pieces, count, offset);
    long long size = 0;
    for (int i = 0; i < count; ++i)
        size += static_cast<long long>(pieces[i].iov_len);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    // What lies within the file already is written in place.
    const long long inPlace = std::clamp<long long>(st.st_size - offset, 0, size);
    const long long needed = overwritesNeedRoom ? size : size - inPlace;
    long long allowed = size;
    if (needed > room)
        allowed = overwritesNeedRoom ? room : inPlace + room;
    if (allowed <= 0) {
        ++refused;
        errno = ENOSPC;
        return -1;
    }
    std::vector<iovec> part(pieces, pieces + count);
    long long left = allowed;
    size_t used = 0;
    for (; used < part.size() && left > 0; ++used) {
        part[used].iov_len = size_t(std::min<long long>(left, (long long)part[used].iov_len));
        left -= static_cast<long long>(part[used].iov_len);
    }
    const ssize_t n = ::pwritev(fd, part.data(), int(used), offset);
    if (n > 0) {
        const long long fresh = overwritesNeedRoom ? n : std::max<long long>(0, n - inPlace);
        room = std::max<long long>(0, room - fresh);
    }
    if (n >= 0 && allowed < size)
        ++refused;
    return n;
}

} // namespace platform::testing

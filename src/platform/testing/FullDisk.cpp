#include "platform/testing/FullDisk.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace platform::testing {

ssize_t FullDisk::pwritev(int fd, const iovec* pieces, int count, off_t offset) {
    if (room < 0)
        return DataWrites::pwritev(fd, pieces, count, offset);
    long long size = 0;
    for (int i = 0; i < count; ++i)
        size += static_cast<long long>(pieces[i].iov_len);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    const long long end = st.st_size;
    const long long reservedEnd = std::max<long long>(end, reserved_[{st.st_dev, st.st_ino}]);
    // What the bytes from offset on cost, in order: those within the file
    // (an overwrite), those in room reserved past its end, those past both.
    auto cost = [&](long long from, long long to) {
        const long long inPlace = std::clamp(end, from, to) - from;
        const long long inReserve = std::clamp(reservedEnd, from, to) - std::clamp(end, from, to);
        const long long fresh = (to - from) - inPlace - inReserve;
        return fresh + (overwritesNeedRoom ? inPlace : 0);
    };
    long long allowed = size;
    if (cost(offset, offset + size) > room) {
        // The longest start of the write that the room takes.
        long long lo = 0, hi = size;
        while (lo < hi) {
            const long long mid = (lo + hi + 1) / 2;
            if (cost(offset, offset + mid) <= room)
                lo = mid;
            else
                hi = mid - 1;
        }
        allowed = lo;
    }
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
    const ssize_t n = DataWrites::pwritev(fd, part.data(), int(used), offset);
    if (n > 0)
        room = std::max<long long>(0, room - cost(offset, offset + n));
    if (n >= 0 && allowed < size)
        ++refused;
    return n;
}

int FullDisk::reserve(int fd, off_t offset, off_t length) {
    if (room < 0)
        return DataWrites::reserve(fd, offset, length);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    long long& reservedEnd = reserved_[{st.st_dev, st.st_ino}];
    const long long from = std::max<long long>(st.st_size, reservedEnd);
    const long long needed = std::max<long long>(0, offset + length - from);
    if (needed > room) {
        ++refused;
        errno = ENOSPC;
        return -1;
    }
    room -= needed;
    reservedEnd = std::max<long long>(reservedEnd, offset + length);
    return 0;
}

} // namespace platform::testing

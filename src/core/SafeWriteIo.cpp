#include "core/SafeWriteIo.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteTesting.h"
#include "platform/DataWrites.h"
#include "platform/SysError.h"

#include <QtGlobal>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace fyn {

namespace {
std::atomic<int> g_releasing{0}; // old files still being given back
} // namespace

namespace safewrite_testing {
namespace {
int g_crashAt = -1;
bool g_torn = true;
std::set<int> g_failAt;
int g_failFrom = -1;
long long g_wholeFrom = -1;
int g_failErrno = 0;
int g_passed = 0;
long long g_lastBytes = 0;
long long g_journalRead = 0;
} // namespace
void armCrash(int n, bool torn) {
    g_crashAt = n;
    g_torn = torn;
    g_failAt.clear();
    g_failFrom = -1;
    g_passed = 0;
}
void armFailure(std::set<int> points, int errnoValue, int from) {
    g_crashAt = -1;
    g_failAt = std::move(points);
    g_failFrom = from;
    g_failErrno = errnoValue;
    g_passed = 0;
}
int pointsPassed() {
    return g_passed;
}
long long lastCommitDataBytes() {
    return g_lastBytes;
}
long long journalBytesRead() {
    return g_journalRead;
}
void replaceWholeFrom(long long bytes) {
    g_wholeFrom = bytes;
}
void waitForReleases() {
    while (g_releasing > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
} // namespace safewrite_testing

namespace safewrite {

namespace sw = safewrite_testing;

void resetDataBytes() {
    sw::g_lastBytes = 0;
}
void countDataBytes(qint64 n) {
    sw::g_lastBytes += n;
}
void countJournalRead(qint64 n) {
    sw::g_journalRead += n;
}
qint64 testedWholeFrom() {
    return sw::g_wholeFrom;
}

Point nextPoint() {
    const int n = sw::g_passed++;
    if (n == sw::g_crashAt)
        return Point::Crash;
    if (sw::g_failAt.count(n) || (sw::g_failFrom >= 0 && n >= sw::g_failFrom))
        return Point::Fail;
    return Point::Go;
}

void fail(int e) {
    raiseErrno(e);
}

void fail(int e, const QString& path) {
    raiseErrno(e, path);
}

Fd::~Fd() {
    if (fd_ >= 0)
        ::close(fd_);
}

int openOrFail(const QString& path, int flags) {
    const int fd = safeOpen(path, flags);
    if (fd < 0) {
        // A missing folder on the way is "Path not found", as the runtime said.
        if (errno == ENOENT && (flags & O_CREAT))
            raiseError(platform::kPathNotFound);
        fail(errno, path);
    }
    return fd;
}

namespace {

// Writes the first limit bytes of the pieces at offset, as few calls as the
// system allows.
void writeVector(int fd, std::vector<iovec> pieces, qint64 offset, qint64 limit,
                 const QString& path) {
    size_t first = 0;
    for (qint64 left = limit; first < pieces.size() && left >= 0; ++first) {
        if (qint64(pieces[first].iov_len) >= left) {
            pieces[first].iov_len = size_t(left);
            pieces.resize(first + 1);
            break;
        }
        left -= qint64(pieces[first].iov_len);
    }
    size_t at = 0;
    while (at < pieces.size()) {
        const int count = int(qMin<size_t>(pieces.size() - at, IOV_MAX));
        const ssize_t n = platform::dataWrites().pwritev(fd, pieces.data() + at, count, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, path);
        }
        offset += n;
        for (size_t done = size_t(n); done > 0 && at < pieces.size();) {
            iovec& v = pieces[at];
            const size_t step = qMin(done, v.iov_len);
            v.iov_base = static_cast<char*>(v.iov_base) + step;
            v.iov_len -= step;
            done -= step;
            if (v.iov_len == 0)
                ++at;
        }
        while (at < pieces.size() && pieces[at].iov_len == 0)
            ++at;
    }
}

} // namespace

void writeAll(int fd, const char* data, qint64 size, qint64 offset, const QString& path) {
    while (size > 0) {
        iovec v{const_cast<char*>(data), size_t(size)};
        const ssize_t n = platform::dataWrites().pwritev(fd, &v, 1, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, path);
        }
        data += n;
        size -= n;
        offset += n;
    }
}

void pointWrite(int fd, const char* data, qint64 size, qint64 offset, const QString& path) {
    switch (nextPoint()) {
    case Point::Crash:
        if (sw::g_torn)
            writeAll(fd, data, size / 2, offset, path);
        throw sw::Crash{};
    case Point::Fail:
        writeAll(fd, data, size / 2, offset, path); // a disk fills in the middle of a write
        fail(sw::g_failErrno, path);
    case Point::Go:
        break;
    }
    writeAll(fd, data, size, offset, path);
}

void pointWriteVector(int fd, const std::vector<iovec>& pieces, qint64 size, qint64 offset,
                      const QString& path) {
    switch (nextPoint()) {
    case Point::Crash:
        if (sw::g_torn)
            writeVector(fd, pieces, offset, size / 2, path);
        throw sw::Crash{};
    case Point::Fail:
        writeVector(fd, pieces, offset, size / 2, path);
        fail(sw::g_failErrno, path);
    case Point::Go:
        break;
    }
    writeVector(fd, pieces, offset, size, path);
}

void pointStep(const QString& path) {
    switch (nextPoint()) {
    case Point::Crash:
        throw sw::Crash{};
    case Point::Fail:
        if (path.isEmpty())
            fail(sw::g_failErrno);
        fail(sw::g_failErrno, path);
    case Point::Go:
        break;
    }
}

bool syncData(int fd) {
    // A descriptor that cannot be synced at all (EINVAL: no such file system
    // call) has nothing better to offer.
    return platform::dataWrites().sync(fd) == 0 || errno == EINVAL;
}

void syncFile(int fd, const QString& path) {
    pointStep(path);
    if (!syncData(fd))
        fail(errno, path);
}

void syncFolderOrFail(const QString& dir) {
    pointStep(dir);
    Fd fd(safeOpen(dir, O_RDONLY | O_DIRECTORY));
    if (fd.get() < 0 || (platform::dataWrites().syncFolder(fd.get()) != 0 && errno != EINVAL))
        fail(errno, dir);
}

// Open until here, so that the rename did not have to give back the old file's
// blocks and cached pages; for a large file that takes as long as writing it
// did, and is done by another thread.
void releaseLater(int fd, qint64 size) {
    constexpr qint64 kLarge = 4 * 1024 * 1024;
    if (fd < 0)
        return;
    if (size < kLarge) {
        ::close(fd);
        return;
    }
    try {
        ++g_releasing;
        std::thread([fd] {
            ::close(fd);
            --g_releasing;
        }).detach();
    } catch (const std::system_error&) {
        --g_releasing;
        ::close(fd);
    }
}

void setLength(int fd, qint64 size, const QString& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(errno, path);
    if (st.st_size == size)
        return;
    pointStep(path);
    if (platform::dataWrites().truncate(fd, size) != 0)
        fail(errno, path);
}

void reserveRoom(int fd, qint64 offset, qint64 length, const QString& path) {
    if (length <= 0)
        return;
    pointStep(path);
    if (platform::dataWrites().reserve(fd, offset, length) == 0)
        return;
    // A file system that cannot reserve (FAT through FUSE, say) writes in place.
    if (errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL)
        return;
    fail(errno, path);
}

QByteArray readAt(int fd, qint64 offset, qint64 size) {
    QByteArray out(size, Qt::Uninitialized);
    const qint64 got = readFully(fd, out.data(), size, offset);
    if (got < 0)
        fail(errno);
    out.truncate(got);
    return out;
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

bool isFolder(const QString& path) {
    struct stat st {};
    return safeLstat(path, st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace safewrite
} // namespace fyn

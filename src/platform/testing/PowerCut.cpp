#include "platform/testing/PowerCut.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace platform::testing {

namespace {

QString pathOf(int fd) {
    char link[PATH_MAX];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(proc.constData(), link, sizeof link - 1);
    return n > 0 ? QFile::decodeName(QByteArray(link, int(n))) : QString();
}

bool isJournal(int fd) {
    return pathOf(fd).endsWith(QStringLiteral("/.journal"));
}

constexpr size_t kHead = 24; // the part of the journal's head that means anything

} // namespace

ssize_t PowerCut::pwritev(int fd, const iovec* pieces, int count, off_t offset) {
    size_t size = 0;
    for (int i = 0; i < count; ++i)
        size += pieces[i].iov_len;
    const bool journal = isJournal(fd);
    if (journal && offset == kHead / 2 && shortRest_) {
        shortRest_ = false;
        errno = faultErrno;
        return -1;
    }
    if (journal && offset == 0 && size == kHead && headFault != HeadFault::None && !faulted) {
        faulted = true;
        if (headFault == HeadFault::Write) {
            errno = faultErrno;
            return -1;
        }
        if (headFault == HeadFault::Short) {
            shortRest_ = true;
            iovec half{pieces[0].iov_base, kHead / 2};
            return pwritev(fd, &half, 1, offset);
        }
        faultFd_ = fd;
    }
    if (!journal && failNextDataWrite) {
        failNextDataWrite = false;
        errno = ENOSPC;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    Unsynced u{st.st_dev, st.st_ino, pathOf(fd), offset, {}, st.st_size};
    if (offset < st.st_size) {
        // The program's descriptor may be open for writing only.
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
        const int in = ::open(proc.constData(), O_RDONLY | O_CLOEXEC);
        if (in < 0)
            return -1;
        u.old.resize(qsizetype(std::min<off_t>(off_t(size), st.st_size - offset)));
        const ssize_t got = ::pread(in, u.old.data(), size_t(u.old.size()), offset);
        ::close(in);
        if (got != u.old.size())
            return -1;
    }
    const ssize_t n = ::pwritev(fd, pieces, count, offset);
    if (n > 0)
        unsynced_.push_back(std::move(u));
    return n;
}

int PowerCut::sync(int fd) {
    if (fd == faultFd_) {
        faultFd_ = -1;
        errno = faultErrno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        std::erase_if(unsynced_,
                      [&](const Unsynced& u) { return u.dev == st.st_dev && u.ino == st.st_ino; });
    return DataWrites::sync(fd);
}

void PowerCut::cut() {
    for (auto it = unsynced_.rbegin(); it != unsynced_.rend(); ++it) {
        const int fd = ::open(QFile::encodeName(it->path).constData(), O_WRONLY);
        if (fd < 0)
            continue; // removed since: nothing of it is left to lose
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_dev == it->dev && st.st_ino == it->ino) {
            (void)::pwrite(fd, it->old.constData(), size_t(it->old.size()), it->offset);
            if (st.st_size > it->oldLength)
                (void)::ftruncate(fd, it->oldLength);
        }
        ::close(fd);
    }
    unsynced_.clear();
}

} // namespace platform::testing

#include "core/FolderLock.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace fyn {

namespace {
bool g_noLocks = false;
} // namespace

namespace folderlock_testing {
void setNoLocks(bool on) {
    g_noLocks = on;
}
} // namespace folderlock_testing

FolderLock::~FolderLock() {
    release();
}

FolderLock::Outcome FolderLock::acquire(const QString& path) {
    release();
    // A link in the lock file's place is not followed out of the folder.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return Outcome::NoFile;
    // An open file description lock belongs to this open file, not to the
    // process: a second open in the same process conflicts with it too.
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    int err = 0;
    if (g_noLocks)
        err = ENOLCK;
    else if (::fcntl(fd, F_OFD_SETLK, &fl) != 0)
        err = errno;
    if (err == 0) {
        fd_ = fd;
        return Outcome::Held;
    }
    ::close(fd);
    // Anything but a conflict means that this file system cannot lock
    // (ENOLCK, EOPNOTSUPP, EINVAL on some network and FUSE file systems).
    return err == EAGAIN || err == EACCES ? Outcome::Busy : Outcome::NoLocks;
}

void FolderLock::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace fyn

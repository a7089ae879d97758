#include "core/FolderLock.h"

#include "platform/DataWrites.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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
    error_ = 0;
    refused_.clear();
    const QByteArray name = QFile::encodeName(path);
    const QString folder = QFileInfo(path).absolutePath();
    // A link in the lock file's place is not followed out of the folder, and
    // a pipe or a device in it does not keep the start waiting. Making it is a
    // change of the data folder like any other.
    const int fd = platform::dataWrites().openAt(
        AT_FDCWD, name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        error_ = errno;
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0) {
            // No lock file, and the folder will not take one: it cannot be
            // written at all.
            refused_ = folder;
            return Outcome::NotWritable;
        }
        if (S_ISREG(st.st_mode)) {
            refused_ = path; // a plain file that this user may not write
            return Outcome::NotWritable;
        }
        error_ = S_ISLNK(st.st_mode) ? ELOOP : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return Outcome::Unusable;
    }
    struct stat st {};
    const bool stated = ::fstat(fd, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        error_ = stated ? EINVAL : errno; // a pipe, a device, a socket
        ::close(fd);
        return Outcome::Unusable;
    }
    // A lock file that opens in a folder that cannot be written would let the
    // program start and then refuse every edit.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) !=
        0) {
        error_ = errno;
        refused_ = folder;
        ::close(fd);
        return Outcome::NotWritable;
    }
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
    error_ = err;
    if (err == EAGAIN || err == EACCES)
        return Outcome::Busy;
    // What a file system without locks answers (ENOLCK, EOPNOTSUPP, EINVAL
    // on some network and FUSE file systems); anything else leaves the file
    // unusable as a lock.
    if (err == ENOLCK || err == EOPNOTSUPP || err == EINVAL || err == ENOSYS)
        return Outcome::NoLocks;
    return Outcome::Unusable;
}

void FolderLock::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace fyn

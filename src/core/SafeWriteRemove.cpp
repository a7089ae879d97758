// Names removed or changed outside a commit. Each is synced into its folder
// before the next step, so that a power cut leaves every step before it done
// and none after it.
#include "core/SafeWrite.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"
#include "platform/DataWrites.h"
#include "platform/SysError.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fyn {

using namespace safewrite;

namespace {

// Deeper than any folder the program makes; a deeper tree is not its own.
constexpr int kMaxDepth = 16;

void syncOpenFolder(int fd, const QString& path) {
    pointStep(path);
    if (platform::dataWrites().syncFolder(fd) != 0 && errno != EINVAL)
        fail(errno, path);
}

// The names in the open folder, "." and ".." left out.
std::vector<QByteArray> namesIn(int dir, const QString& path) {
    const int own = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = own >= 0 ? ::fdopendir(own) : nullptr;
    if (!d) {
        const int error = errno;
        if (own >= 0)
            ::close(own);
        fail(error, path);
    }
    std::vector<QByteArray> names;
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(d);
    if (error != 0)
        fail(error, path);
    return names;
}

// Empties the open folder: a folder in it (never a link) is emptied and
// removed in turn, anything else removed as it is.
void emptyFolder(int dir, const QString& path, int depth) {
    for (const QByteArray& name : namesIn(dir, path)) {
        const QString inner = path + QLatin1Char('/') + QFile::decodeName(name);
        struct stat st {};
        if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            fail(errno, inner);
        }
        int flags = 0;
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxDepth)
                raiseErrno(ELOOP, inner);
            Fd sub(
                ::openat(dir, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (sub.get() < 0)
                fail(errno, inner);
            emptyFolder(sub.get(), inner, depth + 1);
            flags = AT_REMOVEDIR;
        }
        pointStep(inner);
        if (platform::dataWrites().unlinkAt(dir, name.constData(), flags) != 0 && errno != ENOENT)
            fail(errno, inner);
        syncOpenFolder(dir, path);
    }
}

} // namespace

void removeFile(const QString& path) {
    if (journal().files.journalHolds(path))
        checkpoint();
    pointStep(path);
    if (safeUnlink(path) != 0) {
        if (errno == ENOENT)
            return;
        fail(errno, path);
    }
    syncFolderOrFail(parentOf(path));
}

void renameFolder(const QString& from, const QString& to) {
    pointStep(from);
    if (safeRename(from, to) != 0)
        fail(errno, from);
    syncFolderOrFail(dataRoot());
}

void removeFolderTree(const QString& path) {
    const QString rel = relativeToDataRoot(path);
    if (rel.isEmpty() || rel.contains(QLatin1Char('/')))
        raiseError(platform::kBadFileName);
    const QString root = dataRoot();
    // The data folder itself may be a link the user made (to a stick, say).
    Fd rootFd(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (rootFd.get() < 0)
        fail(errno, root);
    const QByteArray name = QFile::encodeName(rel);
    Fd folder(
        ::openat(rootFd.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        if (errno == ENOENT)
            return;
        if (errno == ELOOP || errno == ENOTDIR) {
            RuntimeError e(platform::kPathFileAccess);
            e.setPath(path);
            throw e;
        }
        fail(errno, path);
    }
    emptyFolder(folder.get(), path, 0);
    pointStep(path);
    if (platform::dataWrites().unlinkAt(rootFd.get(), name.constData(), AT_REMOVEDIR) != 0 &&
        errno != ENOENT)
        fail(errno, path);
    syncOpenFolder(rootFd.get(), root);
}

} // namespace fyn

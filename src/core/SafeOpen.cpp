#include "core/SafeOpen.h"

#include "platform/DataWrites.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace fyn {

namespace {

QString g_root; // absolute and clean, no trailing "/"

// Repeated and trailing slashes go; nothing else is resolved, so a ".." stays
// visible to the component check.
QString tidy(const QString& path) {
    QString p;
    p.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i)
        if (path[i] != QLatin1Char('/') || p.isEmpty() || !p.endsWith(QLatin1Char('/')))
            p.append(path[i]);
    if (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString absTidy(const QString& path) {
    return tidy(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
}

class Dir {
public:
    Dir() = default;
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    ~Dir() {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
};

// The folder that holds path, opened without following links inside the data
// folder, and the last component. Outside it: the working folder and the path.
bool openParent(const QString& path, Dir& dir, QByteArray& leaf, int& at) {
    const QString rel = relativeToDataRoot(path);
    if (rel.isEmpty()) {
        const bool inside = insideDataRoot(path);
        if (inside && absTidy(path) != g_root) {
            errno = EINVAL; // a "..", "." or empty component
            return false;
        }
        at = AT_FDCWD; // outside, or the data folder itself
        leaf = QFile::encodeName(inside ? g_root : path);
        return true;
    }
    const QStringList parts = rel.split(QLatin1Char('/'));
    dir.fd = ::open(QFile::encodeName(g_root).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0)
        return false;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int next = ::openat(dir.fd, QFile::encodeName(parts[i]).constData(),
                                  O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return false; // a link on the way reads as "not a folder"
        ::close(dir.fd);
        dir.fd = next;
    }
    at = dir.fd;
    leaf = QFile::encodeName(parts.last());
    return true;
}

} // namespace

void setDataRoot(const QString& folder) {
    g_root = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

QString dataRoot() {
    return g_root;
}

namespace {
bool inside(const QString& tidied) {
    return !g_root.isEmpty() &&
           (tidied == g_root || (tidied.startsWith(g_root) && tidied.size() > g_root.size() &&
                                 tidied[g_root.size()] == QLatin1Char('/')));
}
} // namespace

bool insideDataRoot(const QString& path) {
    return inside(absTidy(path));
}

QString relativeToDataRoot(const QString& path) {
    const QString p = absTidy(path);
    if (!inside(p))
        return {};
    const QString rel = p.mid(g_root.size() + 1);
    return isPlainRelativePath(rel) ? rel : QString();
}

bool isPlainRelativePath(const QString& rel) {
    if (rel.isEmpty())
        return false;
    for (const QString& part : rel.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        if (part.contains(QLatin1Char('\\')) || part.contains(QChar(0)))
            return false;
    }
    return true;
}

int safeOpen(const QString& path, int flags, mode_t mode) {
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(path, dir, leaf, at))
        return -1;
    if (at != AT_FDCWD)
        flags |= O_NOFOLLOW;
    const bool folder = (flags & O_DIRECTORY) != 0;
    // Without waiting: a named pipe or a device in a file's place must not
    // hold the program up (a plain file ignores the flag).
    // What may make or empty a file is a change of the data folder.
    const int how = flags | O_CLOEXEC | (folder ? 0 : O_NONBLOCK);
    const int fd = (flags & (O_CREAT | O_TRUNC))
                       ? platform::dataWrites().openAt(at, leaf.constData(), how, mode)
                       : ::openat(at, leaf.constData(), how, mode);
    if (fd < 0 || folder)
        return fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = kNotAPlainFile;
        return -1;
    }
    return fd;
}

int safeMkdir(const QString& path, mode_t mode) {
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(path, dir, leaf, at))
        return -1;
    return platform::dataWrites().mkdirAt(at, leaf.constData(), mode);
}

int safeUnlink(const QString& path) {
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(path, dir, leaf, at))
        return -1;
    return platform::dataWrites().unlinkAt(at, leaf.constData(), 0);
}

int safeRmdir(const QString& path) {
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(path, dir, leaf, at))
        return -1;
    return platform::dataWrites().unlinkAt(at, leaf.constData(), AT_REMOVEDIR);
}

int safeLstat(const QString& path, struct stat& st) {
    // The data folder itself may be a link the user made (to a stick, say).
    if (insideDataRoot(path) && absTidy(path) == g_root)
        return platform::dataWrites().statAt(AT_FDCWD, QFile::encodeName(g_root).constData(), &st,
                                             0);
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(path, dir, leaf, at))
        return -1;
    return platform::dataWrites().statAt(at, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW);
}

int safeRename(const QString& from, const QString& to) {
    Dir dir;
    QByteArray leaf;
    int at = AT_FDCWD;
    if (!openParent(from, dir, leaf, at))
        return -1;
    Dir dir2;
    QByteArray leaf2;
    int at2 = AT_FDCWD;
    if (!openParent(to, dir2, leaf2, at2))
        return -1;
    // One folder: the name changes in place, never moves elsewhere.
    struct stat a {
    }, b{};
    if (at != at2 && (::fstat(at, &a) != 0 || ::fstat(at2, &b) != 0 || a.st_dev != b.st_dev ||
                      a.st_ino != b.st_ino)) {
        errno = EXDEV;
        return -1;
    }
    return platform::dataWrites().renameAt(at, leaf.constData(), leaf2.constData());
}

long long readFully(int fd, char* dst, long long size, long long offset) {
    long long got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, dst + got, size_t(size - got), offset + got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

} // namespace fyn

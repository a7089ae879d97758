#include "core/FileIdentity.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {

namespace {

bool statOf(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

bool same(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool liesInDataFolder(const QString& path) {
    struct stat data {};
    const QString folder = dataFolder();
    if (path.isEmpty() || !statOf(folder, data))
        return false;
    // The deepest part of the path that exists, its links resolved; then its
    // folders up to the root, one by one.
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString real = QFileInfo(at).canonicalFilePath();
    while (real.isEmpty() && at != QLatin1String("/") && !at.isEmpty()) {
        at = QFileInfo(at).absolutePath();
        real = QFileInfo(at).canonicalFilePath();
    }
    for (QString p = real; !p.isEmpty();) {
        struct stat st {};
        if (statOf(p, st) && S_ISDIR(st.st_mode) && same(st, data))
            return true;
        if (p == QLatin1String("/"))
            break;
        p = QFileInfo(p).absolutePath();
    }
    return false;
}

QString mountPointOf(const QString& path) {
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    while (!statOf(at, st) && at != QLatin1String("/"))
        at = QFileInfo(at).absolutePath();
    at = QFileInfo(at).canonicalFilePath();
    if (at.isEmpty())
        return QStringLiteral("/");
    // Up while the parent is on the same device.
    while (at != QLatin1String("/")) {
        const QString parent = QFileInfo(at).absolutePath();
        struct stat up {};
        if (!statOf(parent, up) || up.st_dev != st.st_dev)
            break;
        at = parent;
    }
    return at;
}

bool isOpenInProgram(const QString& path) {
    struct stat target {};
    if (path.isEmpty() || !statOf(path, target))
        return false;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return false;
    const int own = ::dirfd(fds);
    bool found = false;
    while (const dirent* e = ::readdir(fds)) {
        char* end = nullptr;
        const long fd = std::strtol(e->d_name, &end, 10);
        if (end == e->d_name || *end != '\0' || fd == own)
            continue;
        struct stat st {};
        if (::fstat(int(fd), &st) == 0 && same(st, target)) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

} // namespace fyn

#include "platform/testing/PowerCut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
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
    if (fd == AT_FDCWD)
        return QDir::currentPath();
    char link[PATH_MAX];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(proc.constData(), link, sizeof link - 1);
    return n > 0 ? QFile::decodeName(QByteArray(link, int(n))) : QString();
}

QString join(int dir, const char* name) {
    const QString leaf = QFile::decodeName(name);
    return QDir::isAbsolutePath(leaf) ? leaf : pathOf(dir) + QLatin1Char('/') + leaf;
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

bool isJournal(int fd) {
    return pathOf(fd).endsWith(QStringLiteral("/.journal"));
}

QByteArray readAll(int fd);

// What a descriptor's file holds, though it may be open for writing only.
QByteArray readThrough(int fd) {
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const int in = ::open(proc.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return {};
    QByteArray out = readAll(in);
    ::close(in);
    return out;
}

QByteArray readAll(int fd) {
    QByteArray out;
    char buf[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n <= 0)
            break;
        out.append(buf, qsizetype(n));
        at += n;
    }
    return out;
}

// Writes bytes as the whole of the file at path (made when missing).
void putFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0)
        return;
    for (qsizetype at = 0; at < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + at, size_t(bytes.size() - at), at);
        if (n <= 0)
            break;
        at += n;
    }
    ::close(fd);
}

constexpr size_t kHead = 24; // the part of the journal's head that means anything

} // namespace

PowerCut::Inode& PowerCut::follow(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    const Key key{st.st_dev, st.st_ino};
    auto it = inodes_.find(key);
    if (it == inodes_.end()) {
        // First seen: what it holds now is on disk.
        Inode node;
        node.path = pathOf(fd);
        node.disk = readThrough(fd);
        it = inodes_.emplace(key, std::move(node)).first;
    }
    return it->second;
}

int PowerCut::failed(Op op, const QString& path) {
    const int e = fault ? fault(op, path) : 0;
    errno = e;
    return e;
}

// A sync that failed: what it covered counts as written and is gone.
void PowerCut::lose(Inode& node) {
    node.dirty.clear();
    node.lengthDirty = false;
    node.lost = true;
}

QByteArray PowerCut::onDisk(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    ::fstat(fd, &st);
    auto it = inodes_.find({st.st_dev, st.st_ino});
    QByteArray bytes = it != inodes_.end() ? it->second.disk : readAll(fd);
    ::close(fd);
    return bytes;
}

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
    if (failed(Op::Write, pathOf(fd)))
        return -1;
    Inode& node = follow(fd);
    const ssize_t n = ::pwritev(fd, pieces, count, offset);
    if (n > 0)
        node.dirty.emplace_back(offset, n);
    return n;
}

int PowerCut::sync(int fd) {
    Inode& node = follow(fd);
    if (fd == faultFd_ || failed(Op::Sync, pathOf(fd))) {
        const int e = fd == faultFd_ ? faultErrno : errno;
        faultFd_ = fd == faultFd_ ? -1 : faultFd_;
        lose(node);
        errno = e;
        return -1;
    }
    if (::fdatasync(fd) != 0)
        return -1;
    const QByteArray now = readThrough(fd);
    if (node.lengthDirty || !node.dirty.empty()) {
        node.disk.resize(now.size(), '\0');
        for (const auto& [at, len] : node.dirty) {
            const qint64 end = std::min<qint64>(at + len, now.size());
            if (end > at)
                std::copy(now.begin() + at, now.begin() + end, node.disk.begin() + at);
        }
    }
    node.dirty.clear();
    node.lengthDirty = false;
    return 0;
}

int PowerCut::syncFolder(int fd) {
    const QString dir = pathOf(fd);
    if (failed(Op::SyncFolder, dir))
        return -1;
    if (::fsync(fd) != 0)
        return -1;
    std::erase_if(names_, [&](const NameChange& c) { return c.dir == dir; });
    return 0;
}

int PowerCut::truncate(int fd, off_t length) {
    if (failed(Op::Truncate, pathOf(fd)))
        return -1;
    Inode& node = follow(fd);
    if (::ftruncate(fd, length) != 0)
        return -1;
    node.lengthDirty = true;
    return 0;
}

int PowerCut::reserve(int fd, off_t offset, off_t length) {
    if (failed(Op::Reserve, pathOf(fd)))
        return -1;
    return DataWrites::reserve(fd, offset, length);
}

int PowerCut::openAt(int dir, const char* name, int flags, mode_t mode) {
    const QString path = join(dir, name);
    struct stat st {};
    const bool existed = ::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existed && (flags & O_CREAT) && failed(Op::Create, path))
        return -1;
    // Emptied: the bytes it held stay on disk until a sync.
    std::optional<QByteArray> before;
    if (existed && (flags & O_TRUNC) && S_ISREG(st.st_mode))
        before = onDisk(path);
    const int fd = ::openat(dir, name, flags, mode);
    if (fd < 0)
        return fd;
    if (!existed && (flags & O_CREAT)) {
        names_.push_back({NameChange::Create, folderOf(path), path, {}, {}, mode});
        Inode& node = follow(fd);
        node.disk.clear();
    } else if (before) {
        struct stat now {};
        ::fstat(fd, &now);
        Inode& node = inodes_[{now.st_dev, now.st_ino}];
        node.path = path;
        node.disk = *before;
        node.lengthDirty = true;
    }
    return fd;
}

int PowerCut::renameAt(int dir, const char* from, const char* to) {
    const QString fromPath = join(dir, from);
    const QString toPath = join(dir, to);
    if (failed(Op::Rename, toPath))
        return -1;
    struct stat moved {
    }, replaced{};
    const bool movedThere = ::fstatat(dir, from, &moved, AT_SYMLINK_NOFOLLOW) == 0;
    const bool replacing = ::fstatat(dir, to, &replaced, AT_SYMLINK_NOFOLLOW) == 0;
    NameChange c{NameChange::Rename,      folderOf(toPath), fromPath, toPath, {},
                 replaced.st_mode & 07777};
    if (replacing && S_ISREG(replaced.st_mode))
        c.gone = onDisk(toPath);
    if (::renameat(dir, from, dir, to) != 0)
        return -1;
    if (movedThere)
        if (auto it = inodes_.find({moved.st_dev, moved.st_ino}); it != inodes_.end())
            it->second.path = toPath;
    names_.push_back(std::move(c));
    if (renamed)
        renamed(fromPath, toPath);
    return 0;
}

int PowerCut::unlinkAt(int dir, const char* name, int flags) {
    const QString path = join(dir, name);
    if (failed(Op::Unlink, path))
        return -1;
    struct stat st {};
    const bool there = ::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    NameChange c{(flags & AT_REMOVEDIR) ? NameChange::Rmdir : NameChange::Unlink,
                 folderOf(path),
                 path,
                 {},
                 {},
                 st.st_mode & 07777};
    if (there && S_ISREG(st.st_mode))
        c.gone = onDisk(path);
    if (::unlinkat(dir, name, flags) != 0)
        return -1;
    names_.push_back(std::move(c));
    return 0;
}

int PowerCut::mkdirAt(int dir, const char* name, mode_t mode) {
    const QString path = join(dir, name);
    if (failed(Op::Mkdir, path))
        return -1;
    if (::mkdirat(dir, name, mode) != 0)
        return -1;
    names_.push_back({NameChange::Mkdir, folderOf(path), path, {}, {}, mode});
    return 0;
}

bool PowerCut::unsynced() const {
    return !names_.empty() || std::any_of(inodes_.begin(), inodes_.end(), [](const auto& n) {
        return !n.second.dirty.empty() || n.second.lengthDirty || n.second.lost;
    });
}

void PowerCut::cut(Leave leave) {
    if (leave != Leave::Data) {
        // Every file as the disk holds it: bytes and length.
        for (auto& [key, node] : inodes_) {
            const int fd = ::open(QFile::encodeName(node.path).constData(), O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            struct stat st {};
            if (::fstat(fd, &st) == 0 && st.st_dev == key.first && st.st_ino == key.second) {
                (void)::ftruncate(fd, node.disk.size());
                (void)::pwrite(fd, node.disk.constData(), size_t(node.disk.size()), 0);
            }
            ::close(fd);
        }
    }
    if (leave != Leave::Names) {
        // The names not on disk, taken back newest first.
        for (auto it = names_.rbegin(); it != names_.rend(); ++it) {
            const QString& path = it->path;
            const QByteArray p = QFile::encodeName(path);
            switch (it->kind) {
            case NameChange::Create:
                (void)::unlink(p.constData());
                break;
            case NameChange::Rename:
                (void)::rename(QFile::encodeName(it->to).constData(), p.constData());
                if (it->gone)
                    putFile(it->to, *it->gone, it->mode);
                break;
            case NameChange::Unlink:
                if (it->gone)
                    putFile(path, *it->gone, it->mode);
                break;
            case NameChange::Mkdir:
                QDir(path).removeRecursively();
                break;
            case NameChange::Rmdir:
                (void)::mkdir(p.constData(), it->mode);
                break;
            }
        }
    }
    inodes_.clear();
    names_.clear();
    faultFd_ = -1;
}

} // namespace platform::testing

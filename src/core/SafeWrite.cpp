#include "core/SafeWrite.h"

#include "core/Errors.h"
#include "core/SafeWriteTesting.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// The journal is a redo log: each commit appends one entry holding, for every
// file it touches, the new bytes, and syncs it. That sync is the commit. The files are then written
// without a sync of their own; a checkpoint syncs them and empties the journal now and then.
// Recovery replays every whole entry, so a crash gives the state after the last
// synced commit; a torn last entry was never committed and is ignored. When
// writing the files fails, the commit is undone from its old bytes and an
// abort entry cancels it in the journal.

namespace fyn {

namespace safewrite_testing {
namespace {
int g_crashAt = -1;
bool g_torn = true;
int g_passed = 0;
long long g_lastBytes = 0;
} // namespace
void armCrash(int n, bool torn) {
    g_crashAt = n;
    g_torn = torn;
    g_passed = 0;
}
int pointsPassed() {
    return g_passed;
}
long long lastCommitDataBytes() {
    return g_lastBytes;
}
} // namespace safewrite_testing

namespace {

using safewrite_testing::g_crashAt;
using safewrite_testing::g_passed;
using safewrite_testing::g_torn;

QString g_journalPath;
// Files written since the last checkpoint; they are synced by it.
std::set<QString> g_unsynced;
// Past this the journal is emptied after a commit.
constexpr qint64 kCheckpointBytes = 32 * 1024 * 1024;

bool crashHere() {
    const bool crash = g_passed == g_crashAt;
    ++g_passed;
    return crash;
}

QByteArray nativePath(const QString& p) {
    return QFile::encodeName(p);
}

[[noreturn]] void fail(int e) {
    raiseErrno(e);
}

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

int openOrFail(const QString& path, int flags) {
    const int fd = ::open(nativePath(path).constData(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A missing folder on the way is "Path not found", as the runtime said.
        if (errno == ENOENT && (flags & O_CREAT))
            raiseError(platform::kPathNotFound);
        fail(errno);
    }
    return fd;
}

void writeAll(int fd, const char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        data += n;
        size -= n;
        offset += n;
    }
}

// A write point around a data or journal write.
void pointWrite(int fd, const char* data, qint64 size, qint64 offset) {
    if (crashHere()) {
        if (g_torn)
            writeAll(fd, data, size / 2, offset);
        throw safewrite_testing::Crash{};
    }
    writeAll(fd, data, size, offset);
}

void pointStep() {
    if (crashHere())
        throw safewrite_testing::Crash{};
}

void syncFd(int fd) {
    pointStep();
    if (::fdatasync(fd) != 0 && errno != EINVAL)
        fail(errno);
}

void syncDir(const QString& dir) {
    pointStep();
    const int fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // nothing to sync on a folder we cannot open
    ::fsync(fd);
    ::close(fd);
}

QByteArray readAt(int fd, qint64 offset, qint64 size) {
    QByteArray out(size, Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, out.data() + got, size_t(size - got), offset + got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            break;
        got += n;
    }
    out.truncate(got);
    return out;
}

// ---- Journal entries -----------------------------------------------------------

struct Region {
    qint64 offset = 0;
    QByteArray now; // what the commit writes
    QByteArray was; // what it replaces inside the old length; not journaled
};

struct FileChange {
    QString path;
    bool existed = false;
    qint64 oldSize = 0;
    qint64 newSize = 0;
    std::vector<Region> regions;
};

struct Entry {
    enum Kind : quint8 { Commit = 1, Abort = 2 };
    Kind kind = Commit;
    std::vector<QString> folders; // made by the commit, in order
    std::vector<FileChange> files;
};

constexpr char kMagic[4] = {'F', 'Y', 'N', 'W'};
constexpr char kEnd[4] = {'D', 'O', 'N', 'E'};

// FNV-1a over 8 bytes at a time, then the tail.
quint64 checksum(const char* p, qsizetype n) {
    quint64 h = 1469598103934665603ULL;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 1099511628211ULL;
    }
    for (; n > 0; ++p, --n)
        h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ULL;
    return h;
}

template <class T> void put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void putBytes(QByteArray& out, const QByteArray& b) {
    put<quint32>(out, quint32(b.size()));
    out += b;
}

template <class T> bool take(const QByteArray& in, qsizetype& at, T& v) {
    if (at + qsizetype(sizeof v) > in.size())
        return false;
    std::memcpy(&v, in.constData() + at, sizeof v);
    at += sizeof v;
    return true;
}

bool takeBytes(const QByteArray& in, qsizetype& at, QByteArray& b) {
    quint32 len = 0;
    if (!take(in, at, len) || at + qsizetype(len) > in.size())
        return false;
    b = in.mid(at, len);
    at += len;
    return true;
}

QString journalDir() {
    return QFileInfo(g_journalPath).absolutePath();
}

QByteArray encodeEntry(const Entry& e) {
    const QDir base(journalDir());
    qsizetype size = 64;
    for (const FileChange& f : e.files)
        for (const Region& r : f.regions)
            size += r.now.size() + 16;
    QByteArray out;
    out.reserve(size + 1024);
    out.append(kMagic, 4);
    put<quint64>(out, 0); // the body's length, filled in below
    const qsizetype bodyAt = out.size();
    put<quint8>(out, e.kind);
    put<quint32>(out, quint32(e.folders.size()));
    for (const QString& f : e.folders)
        putBytes(out, base.relativeFilePath(f).toUtf8());
    put<quint32>(out, quint32(e.files.size()));
    for (const FileChange& f : e.files) {
        putBytes(out, base.relativeFilePath(f.path).toUtf8());
        put<quint8>(out, f.existed ? 1 : 0);
        put<qint64>(out, f.oldSize);
        put<qint64>(out, f.newSize);
        put<quint32>(out, quint32(f.regions.size()));
        for (const Region& r : f.regions) {
            put<qint64>(out, r.offset);
            putBytes(out, r.now);
        }
    }
    const quint64 bodyLength = quint64(out.size() - bodyAt);
    std::memcpy(out.data() + 4, &bodyLength, sizeof bodyLength);
    put<quint64>(out, checksum(out.constData() + bodyAt, qsizetype(bodyLength)));
    out.append(kEnd, 4);
    return out;
}

// The whole entries of a journal, in order; a torn tail is left out.
std::vector<Entry> decodeJournal(const QByteArray& in) {
    std::vector<Entry> entries;
    const QDir base(journalDir());
    qsizetype at = 0;
    while (at + 12 <= in.size()) {
        if (std::memcmp(in.constData() + at, kMagic, 4) != 0)
            break;
        quint64 len = 0;
        qsizetype p = at + 4;
        if (!take(in, p, len) || p + qsizetype(len) + 12 > in.size())
            break;
        const QByteArray body = in.mid(p, len);
        p += len;
        quint64 sum = 0;
        take(in, p, sum);
        if (sum != checksum(body.constData(), body.size()) ||
            std::memcmp(in.constData() + p, kEnd, 4) != 0)
            break;
        at = p + 4;

        Entry e;
        qsizetype q = 0;
        quint8 kind = 0;
        quint32 nfolders = 0, nfiles = 0;
        bool ok = take(body, q, kind) && take(body, q, nfolders);
        e.kind = Entry::Kind(kind);
        for (quint32 i = 0; ok && i < nfolders; ++i) {
            QByteArray path;
            ok = takeBytes(body, q, path);
            e.folders.push_back(base.absoluteFilePath(QString::fromUtf8(path)));
        }
        ok = ok && take(body, q, nfiles);
        for (quint32 i = 0; ok && i < nfiles; ++i) {
            FileChange f;
            QByteArray path;
            quint8 existed = 0;
            quint32 nregions = 0;
            ok = takeBytes(body, q, path) && take(body, q, existed) && take(body, q, f.oldSize) &&
                 take(body, q, f.newSize) && take(body, q, nregions);
            f.path = base.absoluteFilePath(QString::fromUtf8(path));
            f.existed = existed != 0;
            for (quint32 k = 0; ok && k < nregions; ++k) {
                Region r;
                ok = take(body, q, r.offset) && takeBytes(body, q, r.now);
                f.regions.push_back(std::move(r));
            }
            e.files.push_back(std::move(f));
        }
        if (!ok)
            break;
        entries.push_back(std::move(e));
    }
    return entries;
}

// ---- Applying and undoing ---------------------------------------------------------

// Writes an entry's new state. Files are not synced here.
void applyEntry(const Entry& e, bool counted) {
    for (const QString& f : e.folders) {
        pointStep();
        if (::mkdir(nativePath(f).constData(), 0755) != 0 && errno != EEXIST)
            fail(errno);
        g_unsynced.insert(QFileInfo(f).absolutePath());
    }
    for (const FileChange& f : e.files) {
        Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
        for (const Region& r : f.regions) {
            pointWrite(fd.get(), r.now.constData(), r.now.size(), r.offset);
            if (counted)
                safewrite_testing::g_lastBytes += r.now.size();
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            fail(errno);
        if (st.st_size != f.newSize) {
            pointStep();
            if (::ftruncate(fd.get(), f.newSize) != 0)
                fail(errno);
        }
        g_unsynced.insert(f.path);
        if (!f.existed)
            g_unsynced.insert(QFileInfo(f.path).absolutePath());
    }
}

// Puts the old bytes back; a file the commit created is removed, then its
// folders. Goes on past a file it cannot restore and returns false then.
bool undoEntry(const Entry& e) {
    bool all = true;
    for (const FileChange& f : e.files) {
        try {
            if (!f.existed) {
                if (::unlink(nativePath(f.path).constData()) != 0 && errno != ENOENT)
                    fail(errno);
                continue;
            }
            Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
            for (const Region& r : f.regions)
                writeAll(fd.get(), r.was.constData(), r.was.size(), r.offset);
            struct stat st {};
            if (::fstat(fd.get(), &st) != 0)
                fail(errno);
            if (st.st_size != f.oldSize && ::ftruncate(fd.get(), f.oldSize) != 0)
                fail(errno);
            if (::fsync(fd.get()) != 0 && errno != EINVAL)
                fail(errno);
        } catch (const RuntimeError&) {
            all = false;
        }
    }
    for (auto it = e.folders.rbegin(); it != e.folders.rend(); ++it)
        if (::rmdir(nativePath(*it).constData()) != 0 && errno != ENOENT && errno != ENOTEMPTY &&
            errno != EEXIST)
            all = false;
    return all;
}

// Appends an entry to the journal and syncs it.
void appendEntry(const QByteArray& bytes) {
    struct stat st {};
    const bool existed = ::stat(nativePath(g_journalPath).constData(), &st) == 0;
    Fd fd(openOrFail(g_journalPath, O_WRONLY | O_CREAT));
    const qint64 at = existed ? st.st_size : 0;
    try {
        pointWrite(fd.get(), bytes.constData(), bytes.size(), at);
        syncFd(fd.get());
    } catch (const RuntimeError&) {
        // A journal that could not take the entry is cut back: nothing happened.
        if (::ftruncate(fd.get(), at) == 0)
            ::fdatasync(fd.get());
        throw;
    }
    if (!existed)
        syncDir(journalDir());
}

qint64 journalSize() {
    struct stat st {};
    return ::stat(nativePath(g_journalPath).constData(), &st) == 0 ? st.st_size : 0;
}

// Syncs every file written since the last checkpoint, then empties the journal.
void checkpointNow() {
    for (const QString& path : g_unsynced) {
        pointStep();
        const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    g_unsynced.clear();
    if (g_journalPath.isEmpty())
        return;
    const int fd = ::open(nativePath(g_journalPath).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    pointStep();
    if (::ftruncate(fd, 0) == 0)
        ::fdatasync(fd);
    ::close(fd);
}

} // namespace

void setJournalPath(const QString& path) {
    g_journalPath = path;
    g_unsynced.clear();
}
QString journalPath() {
    return g_journalPath;
}

WriteBatch::FilePlan& WriteBatch::plan(const QString& path) {
    const QString abs = QFileInfo(path).absoluteFilePath();
    for (FilePlan& f : files_)
        if (f.path == abs)
            return f;
    files_.push_back({abs, {}, -1});
    return files_.back();
}

void WriteBatch::write(const QString& path, qint64 offset, const QByteArray& bytes) {
    FilePlan& f = plan(path);
    qint64 start = offset;
    qint64 end = offset + bytes.size();
    // Take in every region that overlaps or touches the new one.
    auto it = f.regions.upper_bound(start);
    if (it != f.regions.begin()) {
        auto prev = std::prev(it);
        if (prev->first + prev->second.size() >= start)
            it = prev;
    }
    QByteArray merged;
    qint64 mergedStart = start;
    std::vector<std::pair<qint64, QByteArray>> taken;
    while (it != f.regions.end() && it->first <= end) {
        taken.emplace_back(it->first, it->second);
        it = f.regions.erase(it);
    }
    if (taken.empty()) {
        f.regions.emplace(start, bytes); // shared, not copied
        return;
    }
    for (const auto& [off, b] : taken) {
        mergedStart = qMin(mergedStart, off);
        end = qMax(end, off + b.size());
    }
    merged.fill(' ', end - mergedStart);
    for (const auto& [off, b] : taken)
        std::memcpy(merged.data() + (off - mergedStart), b.constData(), b.size());
    std::memcpy(merged.data() + (start - mergedStart), bytes.constData(), bytes.size());
    f.regions.emplace(mergedStart, std::move(merged));
}

void WriteBatch::createFolder(const QString& path) {
    const QString abs = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (std::find(folders_.begin(), folders_.end(), abs) == folders_.end())
        folders_.push_back(abs);
}

void WriteBatch::replaceFile(const QString& path, const QByteArray& bytes) {
    FilePlan& f = plan(path);
    f.regions.clear();
    if (!bytes.isEmpty())
        f.regions.emplace(0, bytes);
    f.replaceSize = bytes.size();
}

void WriteBatch::commit() {
    if (empty())
        return;
    std::vector<FilePlan> plans = std::move(files_);
    files_.clear();
    std::vector<QString> wanted = std::move(folders_);
    folders_.clear();
    if (g_journalPath.isEmpty())
        raiseError(platform::kPathNotFound);

    // 1. Everything is checked and the replaced bytes read; nothing is written.
    Entry entry;
    for (const QString& f : wanted) {
        const QFileInfo info(f);
        if (info.isDir())
            continue;
        if (info.exists())
            raiseError(platform::kPathFileAccess);
        const QString parent = info.absolutePath();
        if (!QFileInfo(parent).isDir() &&
            std::find(entry.folders.begin(), entry.folders.end(), parent) == entry.folders.end())
            raiseError(platform::kPathNotFound);
        entry.folders.push_back(f);
    }
    auto folderComing = [&](const QString& dir) {
        return std::find(entry.folders.begin(), entry.folders.end(), QDir::cleanPath(dir)) !=
               entry.folders.end();
    };
    for (FilePlan& p : plans) {
        FileChange c;
        c.path = p.path;
        struct stat st {};
        if (::stat(nativePath(p.path).constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                raiseError(platform::kPathFileAccess);
            c.existed = true;
            c.oldSize = st.st_size;
        } else if (errno != ENOENT) {
            fail(errno);
        } else if (!QFileInfo(QFileInfo(p.path).absolutePath()).isDir() &&
                   !folderComing(QFileInfo(p.path).absolutePath())) {
            raiseError(platform::kPathNotFound);
        }
        c.newSize = p.replaceSize;
        if (c.newSize < 0) {
            c.newSize = c.oldSize;
            if (!p.regions.empty()) {
                const auto& last = *p.regions.rbegin();
                c.newSize = qMax(c.newSize, last.first + last.second.size());
            }
            // Blanks in any gap between the old end and a write beyond it.
            qint64 at = c.oldSize;
            std::vector<std::pair<qint64, qint64>> gaps;
            for (const auto& [off, b] : p.regions) {
                if (off > at)
                    gaps.emplace_back(at, off - at);
                at = qMax(at, off + b.size());
            }
            for (const auto& [off, len] : gaps)
                p.regions.emplace(off, QByteArray(len, ' '));
        }
        Fd fd(c.existed ? openOrFail(p.path, O_RDONLY) : -1);
        for (const auto& [off, b] : p.regions) {
            Region r{off, b, {}};
            if (c.existed && off < c.oldSize)
                r.was = readAt(fd.get(), off, qMin<qint64>(b.size(), c.oldSize - off));
            c.regions.push_back(std::move(r));
        }
        if (c.existed && c.newSize < c.oldSize) // the cut-off tail
            c.regions.push_back(
                Region{c.newSize, {}, readAt(fd.get(), c.newSize, c.oldSize - c.newSize)});
        entry.files.push_back(std::move(c));
    }

    // 2. The entry, synced: from here on the commit stands.
    appendEntry(encodeEntry(entry));

    // 3. The files. When that fails, the commit is undone and cancelled.
    safewrite_testing::g_lastBytes = 0;
    try {
        applyEntry(entry, true);
    } catch (const RuntimeError&) {
        if (undoEntry(entry)) {
            Entry abort;
            abort.kind = Entry::Abort;
            try {
                appendEntry(encodeEntry(abort));
            } catch (const RuntimeError&) {
                // Recovery then redoes the commit: the state after it, not a mix.
            }
        }
        throw;
    }

    // 4. Now and then the files are synced and the journal emptied.
    if (journalSize() > kCheckpointBytes)
        checkpointNow();
}

void checkpoint() {
    checkpointNow();
}

void recoverJournal() {
    if (g_journalPath.isEmpty())
        return;
    QFile f(g_journalPath);
    if (!f.exists())
        return;
    if (!f.open(QIODevice::ReadOnly))
        raiseError(platform::kPermissionDenied);
    const QByteArray bytes = f.readAll();
    f.close();
    const std::vector<Entry> entries = decodeJournal(bytes);
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool aborted = i + 1 < entries.size() && entries[i + 1].kind == Entry::Abort;
        if (entries[i].kind == Entry::Commit && !aborted)
            applyEntry(entries[i], false);
    }
    checkpointNow();
    if (::unlink(nativePath(g_journalPath).constData()) != 0 && errno != ENOENT)
        fail(errno);
}

void ensureFileExists(const QString& path) {
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == ENOENT)
            raiseError(platform::kPathNotFound);
        fail(errno);
    }
    ::close(fd);
}

} // namespace fyn

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
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {

namespace safewrite_testing {
namespace {
int g_crashAt = -1;
bool g_torn = true;
int g_passed = 0;
} // namespace
void armCrash(int n, bool torn) {
    g_crashAt = n;
    g_torn = torn;
    g_passed = 0;
}
int pointsPassed() {
    return g_passed;
}
} // namespace safewrite_testing

namespace {

using safewrite_testing::g_crashAt;
using safewrite_testing::g_passed;
using safewrite_testing::g_torn;

QString g_journalPath;

// A write point: returns how many of n bytes to write; throws Crash after a torn write.
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
void pointWrite(int fd, const QByteArray& bytes, qint64 offset) {
    if (crashHere()) {
        if (g_torn)
            writeAll(fd, bytes.constData(), bytes.size() / 2, offset);
        throw safewrite_testing::Crash{};
    }
    writeAll(fd, bytes.constData(), bytes.size(), offset);
}

void pointStep() {
    if (crashHere())
        throw safewrite_testing::Crash{};
}

void syncFd(int fd) {
    pointStep();
    if (::fsync(fd) != 0)
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

// ---- The journal -----------------------------------------------------------
struct SavedFile {
    QString path;
    bool existed = false;
    qint64 oldSize = 0;
    std::vector<std::pair<qint64, QByteArray>> oldRegions;
};

constexpr char kMagic[4] = {'F', 'Y', 'N', 'J'};
constexpr char kEnd[4] = {'D', 'O', 'N', 'E'};

quint64 fnv1a(const QByteArray& b) {
    quint64 h = 1469598103934665603ULL;
    for (char c : b) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

template <class T> void put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <class T> bool take(const QByteArray& in, qsizetype& at, T& v) {
    if (at + qsizetype(sizeof v) > in.size())
        return false;
    std::memcpy(&v, in.constData() + at, sizeof v);
    at += sizeof v;
    return true;
}

QString journalDir() {
    return QFileInfo(g_journalPath).absolutePath();
}

QByteArray encodeJournal(const std::vector<SavedFile>& files, const std::vector<QString>& folders) {
    const QDir base(journalDir());
    QByteArray body(kMagic, 4);
    put<quint32>(body, quint32(folders.size()));
    for (const QString& f : folders) {
        const QByteArray p = base.relativeFilePath(f).toUtf8();
        put<quint32>(body, quint32(p.size()));
        body += p;
    }
    put<quint32>(body, quint32(files.size()));
    for (const SavedFile& f : files) {
        const QByteArray p = base.relativeFilePath(f.path).toUtf8();
        put<quint32>(body, quint32(p.size()));
        body += p;
        put<quint8>(body, f.existed ? 1 : 0);
        put<qint64>(body, f.oldSize);
        put<quint32>(body, quint32(f.oldRegions.size()));
        for (const auto& [off, bytes] : f.oldRegions) {
            put<qint64>(body, off);
            put<quint32>(body, quint32(bytes.size()));
            body += bytes;
        }
    }
    put<quint64>(body, fnv1a(body));
    body.append(kEnd, 4);
    return body;
}

// False for a journal that was not written to the end (its commit never began).
bool decodeJournal(const QByteArray& in, std::vector<SavedFile>& files,
                   std::vector<QString>& folders) {
    if (in.size() < 16 || std::memcmp(in.constData(), kMagic, 4) != 0 ||
        std::memcmp(in.constData() + in.size() - 4, kEnd, 4) != 0)
        return false;
    const QByteArray body = in.left(in.size() - 12);
    quint64 sum = 0;
    std::memcpy(&sum, in.constData() + in.size() - 12, sizeof sum);
    if (sum != fnv1a(body))
        return false;
    const QDir base(journalDir());
    qsizetype at = 4;
    quint32 nfolders = 0;
    if (!take(body, at, nfolders))
        return false;
    for (quint32 i = 0; i < nfolders; ++i) {
        quint32 plen = 0;
        if (!take(body, at, plen) || at + plen > body.size())
            return false;
        folders.push_back(base.absoluteFilePath(QString::fromUtf8(body.mid(at, plen))));
        at += plen;
    }
    quint32 count = 0;
    if (!take(body, at, count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        SavedFile f;
        quint32 plen = 0;
        quint8 existed = 0;
        quint32 nreg = 0;
        if (!take(body, at, plen) || at + plen > body.size())
            return false;
        f.path = base.absoluteFilePath(QString::fromUtf8(body.mid(at, plen)));
        at += plen;
        if (!take(body, at, existed) || !take(body, at, f.oldSize) || !take(body, at, nreg))
            return false;
        f.existed = existed != 0;
        for (quint32 k = 0; k < nreg; ++k) {
            qint64 off = 0;
            quint32 len = 0;
            if (!take(body, at, off) || !take(body, at, len) || at + len > body.size())
                return false;
            f.oldRegions.emplace_back(off, body.mid(at, len));
            at += len;
        }
        files.push_back(std::move(f));
    }
    return at == body.size();
}

// Puts the saved bytes back; a file the commit created is removed. Goes on past
// a file it cannot restore and returns false then, so the journal is kept for
// the next recovery.
bool rollBack(const std::vector<SavedFile>& files, const std::vector<QString>& folders) {
    bool all = true;
    for (const SavedFile& f : files) {
        try {
            if (!f.existed) {
                if (::unlink(nativePath(f.path).constData()) != 0 && errno != ENOENT)
                    fail(errno);
                continue;
            }
            Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
            for (const auto& [off, bytes] : f.oldRegions)
                writeAll(fd.get(), bytes.constData(), bytes.size(), off);
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
    // Made folders go last, newest first; one that holds anything else stays.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        if (::rmdir(nativePath(*it).constData()) != 0 && errno != ENOENT && errno != ENOTEMPTY &&
            errno != EEXIST)
            all = false;
    return all;
}

void removeJournal() {
    pointStep();
    ::unlink(nativePath(g_journalPath).constData());
    syncDir(journalDir());
}

} // namespace

void setJournalPath(const QString& path) {
    g_journalPath = path;
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

    // Folders to make: those that are not there yet, each under one that is or will be.
    std::vector<QString> folders;
    for (const QString& f : wanted) {
        const QFileInfo info(f);
        if (info.isDir())
            continue;
        if (info.exists())
            raiseError(platform::kPathFileAccess);
        const QString parent = info.absolutePath();
        if (!QFileInfo(parent).isDir() &&
            std::find(folders.begin(), folders.end(), parent) == folders.end())
            raiseError(platform::kPathNotFound);
        folders.push_back(f);
    }
    auto folderComing = [&](const QString& dir) {
        return std::find(folders.begin(), folders.end(), QDir::cleanPath(dir)) != folders.end();
    };

    // 1. Read what will be overwritten. Nothing is written yet.
    std::vector<SavedFile> saved;
    std::vector<qint64> newSizes;
    for (FilePlan& p : plans) {
        SavedFile s;
        s.path = p.path;
        struct stat st {};
        if (::stat(nativePath(p.path).constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                raiseError(platform::kPathFileAccess);
            s.existed = true;
            s.oldSize = st.st_size;
        } else if (errno != ENOENT) {
            fail(errno);
        } else if (!QFileInfo(QFileInfo(p.path).absolutePath()).isDir() &&
                   !folderComing(QFileInfo(p.path).absolutePath())) {
            raiseError(platform::kPathNotFound);
        }
        qint64 newSize = p.replaceSize;
        if (newSize < 0) {
            newSize = s.oldSize;
            if (!p.regions.empty()) {
                const auto& last = *p.regions.rbegin();
                newSize = qMax(newSize, last.first + last.second.size());
            }
            // Blanks in any gap between the old end and a write beyond it.
            qint64 at = s.oldSize;
            std::vector<std::pair<qint64, qint64>> gaps;
            for (const auto& [off, b] : p.regions) {
                if (off > at)
                    gaps.emplace_back(at, off - at);
                at = qMax(at, off + b.size());
            }
            for (const auto& [off, len] : gaps)
                p.regions.emplace(off, QByteArray(len, ' '));
        }
        if (s.existed) {
            Fd fd(openOrFail(p.path, O_RDONLY));
            for (const auto& [off, b] : p.regions) {
                if (off >= s.oldSize)
                    continue;
                const qint64 len = qMin<qint64>(b.size(), s.oldSize - off);
                s.oldRegions.emplace_back(off, readAt(fd.get(), off, len));
            }
            if (newSize < s.oldSize) // the cut-off tail
                s.oldRegions.emplace_back(newSize, readAt(fd.get(), newSize, s.oldSize - newSize));
        }
        saved.push_back(std::move(s));
        newSizes.push_back(newSize);
    }

    // 2. The journal, synced: from here on a crash is put back at recovery.
    {
        const QByteArray journal = encodeJournal(saved, folders);
        try {
            Fd fd(openOrFail(g_journalPath, O_WRONLY | O_CREAT | O_TRUNC));
            pointWrite(fd.get(), journal, 0);
            syncFd(fd.get());
        } catch (const RuntimeError&) {
            ::unlink(nativePath(g_journalPath).constData());
            throw;
        }
        syncDir(journalDir());
    }

    // 3. The folders, then the files themselves.
    try {
        for (const QString& f : folders) {
            pointStep();
            if (::mkdir(nativePath(f).constData(), 0755) != 0)
                fail(errno);
            syncDir(QFileInfo(f).absolutePath());
        }
        for (size_t i = 0; i < plans.size(); ++i) {
            const FilePlan& p = plans[i];
            Fd fd(openOrFail(p.path, O_WRONLY | O_CREAT));
            for (const auto& [off, b] : p.regions)
                pointWrite(fd.get(), b, off);
            if (newSizes[i] < saved[i].oldSize) {
                pointStep();
                if (::ftruncate(fd.get(), newSizes[i]) != 0)
                    fail(errno);
            }
            syncFd(fd.get());
            if (!saved[i].existed)
                syncDir(QFileInfo(p.path).absolutePath());
        }
    } catch (const RuntimeError&) {
        if (rollBack(saved, folders))
            ::unlink(nativePath(g_journalPath).constData());
        throw;
    }

    // 4. Done: the journal goes.
    removeJournal();
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
    std::vector<SavedFile> files;
    std::vector<QString> folders;
    if (decodeJournal(bytes, files, folders) && !rollBack(files, folders))
        raiseError(platform::kPathFileAccess); // the journal stays for the next try
    if (::unlink(nativePath(g_journalPath).constData()) != 0 && errno != ENOENT)
        fail(errno);
    syncDir(journalDir());
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

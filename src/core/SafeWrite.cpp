#include "core/SafeWrite.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteTesting.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// The journal is a redo log: each commit appends one entry holding, for every
// file it touches, the new bytes, and syncs it. That sync is the commit. The
// files are then written without a sync of their own; a checkpoint syncs them
// and empties the journal now and then. Recovery replays every whole entry, so
// a crash gives the state after the last synced commit; a torn last entry was
// never committed and is ignored.
//
// When writing the files fails, the commit is undone from its old bytes and
// its entry cut off the journal again, which needs no new space. Until both
// have succeeded nothing more is written: a later replay would otherwise
// bring back a commit the user was told had failed.
//
// The journal is read as untrusted input: it names files only relative to the
// data folder, and every name, length and offset is checked before anything is
// replayed. A journal that fails a check is set aside whole, not replayed.

namespace fyn {

namespace safewrite_testing {
namespace {
int g_crashAt = -1;
bool g_torn = true;
std::set<int> g_failAt;
int g_failFrom = -1;
int g_failErrno = 0;
int g_passed = 0;
long long g_lastBytes = 0;
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
} // namespace safewrite_testing

namespace {

namespace sw = safewrite_testing;

QString g_journalPath;
// Files written since the last checkpoint, with their sizes; synced by it.
std::map<QString, qint64> g_unsynced;
std::set<QString> g_unsyncedFolders;
qint64 g_journalBytes = 0;
// Past this the journal is emptied after a commit, whatever the files' size.
constexpr qint64 kCheckpointBytes = 32 * 1024 * 1024;
// Nothing the program writes comes near these; a journal that says more is not ours.
constexpr quint64 kMaxJournal = quint64(1) << 32;
constexpr qint64 kMaxFileSize = qint64(1) << 40;

enum class Point { Go, Crash, Fail };

Point nextPoint() {
    const int n = sw::g_passed++;
    if (n == sw::g_crashAt)
        return Point::Crash;
    if (sw::g_failAt.count(n) || (sw::g_failFrom >= 0 && n >= sw::g_failFrom))
        return Point::Fail;
    return Point::Go;
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
    const int fd = safeOpen(path, flags);
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
    switch (nextPoint()) {
    case Point::Crash:
        if (sw::g_torn)
            writeAll(fd, data, size / 2, offset);
        throw sw::Crash{};
    case Point::Fail:
        writeAll(fd, data, size / 2, offset); // a disk fills in the middle of a write
        fail(sw::g_failErrno);
    case Point::Go:
        break;
    }
    writeAll(fd, data, size, offset);
}

void pointStep() {
    switch (nextPoint()) {
    case Point::Crash:
        throw sw::Crash{};
    case Point::Fail:
        fail(sw::g_failErrno);
    case Point::Go:
        break;
    }
}

void syncFd(int fd) {
    pointStep();
    if (::fdatasync(fd) != 0 && errno != EINVAL)
        fail(errno);
}

void syncDir(const QString& dir) {
    pointStep();
    const int fd = safeOpen(dir, O_RDONLY | O_DIRECTORY);
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

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

bool isFolder(const QString& path) {
    struct stat st {};
    return safeLstat(path, st) == 0 && S_ISDIR(st.st_mode);
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
    bool skip = false; // replay: its folder is gone, or the file was removed
};

struct Entry {
    enum Kind : quint8 { Commit = 1, Abort = 2 };
    Kind kind = Commit;
    std::vector<QString> folders; // made by the commit, in order
    std::vector<bool> skipFolder; // replay: the folder that holds it is gone
    std::vector<FileChange> files;
};

// What must be put right before anything more is written.
std::optional<Entry> g_pendingUndo; // a failed commit whose old bytes are not back
std::optional<qint64> g_cutBackTo;  // the journal's length before a failed entry
bool g_setAsidePending = false;     // a damaged journal still in its place
QString g_stopText;                 // what the failure said

constexpr char kMagic[4] = {'F', 'Y', 'N', 'W'};
constexpr char kEnd[4] = {'D', 'O', 'N', 'E'};
constexpr qsizetype kHead = 12; // magic and the body's length
constexpr qsizetype kTail = 12; // checksum and end mark

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
    if (in.size() - at < qsizetype(sizeof v))
        return false;
    std::memcpy(&v, in.constData() + at, sizeof v);
    at += sizeof v;
    return true;
}

bool takeBytes(const QByteArray& in, qsizetype& at, QByteArray& b) {
    quint32 len = 0;
    if (!take(in, at, len) || quint64(in.size() - at) < len)
        return false;
    b = in.mid(at, len);
    at += len;
    return true;
}

// A path of the data folder as the journal names it: relative, plain components.
QByteArray journalName(const QString& path) {
    const QString rel = relativeToDataRoot(path);
    if (rel.isEmpty())
        raiseError(platform::kBadFileName); // never written outside the data folder
    return rel.toUtf8();
}

bool takePath(const QByteArray& in, qsizetype& at, QString& path) {
    QByteArray name;
    if (!takeBytes(in, at, name))
        return false;
    const QString rel = QString::fromUtf8(name);
    if (rel.toUtf8() != name || !isPlainRelativePath(rel))
        return false;
    path = dataRoot() + QLatin1Char('/') + rel;
    return true;
}

QByteArray encodeEntry(const Entry& e) {
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
        putBytes(out, journalName(f));
    put<quint32>(out, quint32(e.files.size()));
    for (const FileChange& f : e.files) {
        putBytes(out, journalName(f.path));
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

// One entry's body; false when it does not hold together.
bool decodeBody(const QByteArray& body, Entry& e) {
    qsizetype q = 0;
    quint8 kind = 0;
    quint32 nfolders = 0, nfiles = 0;
    if (!take(body, q, kind) || (kind != Entry::Commit && kind != Entry::Abort) ||
        !take(body, q, nfolders))
        return false;
    e.kind = Entry::Kind(kind);
    for (quint32 i = 0; i < nfolders; ++i) {
        QString path;
        if (!takePath(body, q, path))
            return false;
        e.folders.push_back(path);
    }
    e.skipFolder.assign(e.folders.size(), false);
    if (!take(body, q, nfiles))
        return false;
    for (quint32 i = 0; i < nfiles; ++i) {
        FileChange f;
        quint8 existed = 0;
        quint32 nregions = 0;
        if (!takePath(body, q, f.path) || !take(body, q, existed) || existed > 1 ||
            !take(body, q, f.oldSize) || !take(body, q, f.newSize) || !take(body, q, nregions))
            return false;
        if (f.oldSize < 0 || f.oldSize > kMaxFileSize || f.newSize < 0 ||
            f.newSize > kMaxFileSize || (!existed && f.oldSize != 0))
            return false;
        f.existed = existed != 0;
        for (quint32 k = 0; k < nregions; ++k) {
            Region r;
            if (!take(body, q, r.offset) || !takeBytes(body, q, r.now))
                return false;
            if (r.offset < 0 || r.offset > f.newSize || r.now.size() > f.newSize - r.offset)
                return false;
            f.regions.push_back(std::move(r));
        }
        e.files.push_back(std::move(f));
    }
    if (q != body.size())
        return false;
    return e.kind == Entry::Commit || (e.folders.empty() && e.files.empty());
}

struct Journal {
    std::vector<Entry> entries;
    bool damaged = false;
};

bool allZero(const char* p, qsizetype n) {
    return std::all_of(p, p + n, [](char c) { return c == 0; });
}

// The whole entries of a journal, in order. A torn last entry (a crash while it
// was written) is left out; anything else that fails a check marks the journal
// damaged.
Journal decodeJournal(const QByteArray& in) {
    Journal j;
    qsizetype at = 0;
    while (at < in.size()) {
        const qsizetype left = in.size() - at;
        if (left < kHead)
            break; // torn within the head
        if (std::memcmp(in.constData() + at, kMagic, 4) != 0) {
            j.damaged = !allZero(in.constData() + at, left); // zeros: a torn write
            break;
        }
        quint64 len = 0;
        std::memcpy(&len, in.constData() + at + 4, sizeof len);
        if (len > kMaxJournal) {
            j.damaged = true;
            break;
        }
        if (left < kHead + kTail || quint64(left - kHead - kTail) < len)
            break; // torn: its end was never written
        const qsizetype bodyAt = at + kHead;
        const qsizetype end = bodyAt + qsizetype(len) + kTail;
        quint64 sum = 0;
        std::memcpy(&sum, in.constData() + bodyAt + len, sizeof sum);
        if (sum != checksum(in.constData() + bodyAt, qsizetype(len)) ||
            std::memcmp(in.constData() + end - 4, kEnd, 4) != 0) {
            // Only the last entry can have been cut short by a crash.
            j.damaged = end != in.size();
            break;
        }
        Entry e;
        if (!decodeBody(in.mid(bodyAt, qsizetype(len)), e)) {
            j.damaged = true;
            break;
        }
        j.entries.push_back(std::move(e));
        at = end;
    }
    return j;
}

// Checks the entries against the files as they are: nothing is a link or
// anything but a plain file or folder, no file grows beyond what the entry
// writes. A file whose folder is gone (or that was removed outside the
// journal) is marked to be skipped. False when the journal cannot be ours.
bool checkAgainstFiles(std::vector<Entry>& entries) {
    std::map<QString, qint64> size; // as the replay leaves it so far
    std::set<QString> folders;      // made by the replay so far
    auto folderThere = [&](const QString& dir, bool& ok) {
        struct stat st {};
        if (folders.count(dir))
            return true;
        if (safeLstat(dir, st) == 0) {
            ok = ok && S_ISDIR(st.st_mode);
            return S_ISDIR(st.st_mode);
        }
        ok = ok && errno == ENOENT;
        return false;
    };
    for (Entry& e : entries) {
        bool ok = true;
        for (size_t i = 0; i < e.folders.size(); ++i) {
            const QString& f = e.folders[i];
            if (!folderThere(parentOf(f), ok)) {
                e.skipFolder[i] = true;
                continue;
            }
            struct stat st {};
            if (safeLstat(f, st) == 0)
                ok = ok && S_ISDIR(st.st_mode);
            folders.insert(f);
        }
        for (FileChange& f : e.files) {
            if (!folderThere(parentOf(f.path), ok)) {
                f.skip = true;
                continue;
            }
            qint64 now = 0;
            if (auto it = size.find(f.path); it != size.end()) {
                now = it->second;
            } else {
                struct stat st {};
                if (safeLstat(f.path, st) == 0) {
                    ok = ok && S_ISREG(st.st_mode);
                    now = st.st_size;
                } else if (errno != ENOENT) {
                    ok = false;
                } else if (f.existed) {
                    f.skip = true; // removed outside the journal: nothing to put back
                    continue;
                }
            }
            qint64 written = 0;
            for (const Region& r : f.regions)
                written = qMax(written, r.offset + r.now.size());
            ok = ok && f.newSize <= qMax(now, written);
            size[f.path] = f.newSize;
        }
        if (!ok)
            return false;
    }
    return true;
}

// ---- Applying and undoing ---------------------------------------------------------

// Writes an entry's new state. Files are not synced here.
void applyEntry(const Entry& e, bool counted) {
    for (size_t i = 0; i < e.folders.size(); ++i) {
        if (!e.skipFolder.empty() && e.skipFolder[i])
            continue;
        pointStep();
        if (safeMkdir(e.folders[i]) != 0 && errno != EEXIST)
            fail(errno);
        g_unsyncedFolders.insert(parentOf(e.folders[i]));
    }
    for (const FileChange& f : e.files) {
        if (f.skip)
            continue;
        Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
        for (const Region& r : f.regions) {
            pointWrite(fd.get(), r.now.constData(), r.now.size(), r.offset);
            if (counted)
                sw::g_lastBytes += r.now.size();
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            fail(errno);
        if (st.st_size != f.newSize) {
            pointStep();
            if (::ftruncate(fd.get(), f.newSize) != 0)
                fail(errno);
        }
        g_unsynced[f.path] = f.newSize;
        if (!f.existed)
            g_unsyncedFolders.insert(parentOf(f.path));
    }
}

// Puts the old bytes back; a file the commit created is removed, then its
// folders. Goes on past a file it cannot restore and returns false then.
bool undoEntry(const Entry& e) {
    bool all = true;
    for (const FileChange& f : e.files) {
        try {
            pointStep();
            if (!f.existed) {
                if (safeUnlink(f.path) != 0 && errno != ENOENT)
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
        if (safeRmdir(*it) != 0 && errno != ENOENT && errno != ENOTEMPTY && errno != EEXIST)
            all = false;
    return all;
}

// Cuts the journal back to length and syncs it; shrinking needs no new space.
bool cutBack(qint64 length) {
    const Point p = nextPoint();
    if (p == Point::Crash)
        throw sw::Crash{};
    if (p == Point::Fail)
        return false;
    Fd fd(safeOpen(g_journalPath, O_WRONLY));
    if (fd.get() < 0)
        return errno == ENOENT && length == 0;
    if (::ftruncate(fd.get(), length) != 0 || (::fdatasync(fd.get()) != 0 && errno != EINVAL))
        return false;
    g_journalBytes = length;
    return true;
}

// Appends an entry to the journal and syncs it; returns where it begins. A
// journal that could not take the entry is cut back: nothing happened.
qint64 appendEntry(const QByteArray& bytes) {
    struct stat st {};
    const bool existed = safeLstat(g_journalPath, st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        raiseError(platform::kPathFileAccess);
    Fd fd(openOrFail(g_journalPath, O_WRONLY | O_CREAT));
    if (::fstat(fd.get(), &st) != 0)
        fail(errno);
    const qint64 at = st.st_size;
    try {
        pointWrite(fd.get(), bytes.constData(), bytes.size(), at);
        syncFd(fd.get());
        if (!existed)
            syncDir(dataRoot());
    } catch (const RuntimeError& e) {
        if (!cutBack(at)) {
            g_cutBackTo = at; // a torn entry must not stay in front of the next one
            g_stopText = e.text();
        }
        throw;
    }
    g_journalBytes = at + bytes.size();
    return at;
}

bool stopped() {
    return g_pendingUndo || g_cutBackTo || g_setAsidePending;
}

// Syncs every file written since the last checkpoint, then empties the
// journal. The journal stays whole unless every file is on disk.
bool checkpointNow() {
    if (g_pendingUndo || g_setAsidePending)
        return false;
    bool synced = true;
    for (const auto& [path, size] : g_unsynced) {
        const Point p = nextPoint();
        if (p == Point::Crash)
            throw sw::Crash{};
        const int fd = safeOpen(path, O_RDONLY);
        if (fd < 0) {
            synced = synced && errno == ENOENT; // gone with its account
            continue;
        }
        synced = synced && p == Point::Go && (::fsync(fd) == 0 || errno == EINVAL);
        ::close(fd);
    }
    for (const QString& dir : g_unsyncedFolders) {
        const int fd = safeOpen(dir, O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    if (!synced)
        return false;
    if (!g_journalPath.isEmpty() && !cutBack(0))
        return false;
    g_unsynced.clear();
    g_unsyncedFolders.clear();
    g_cutBackTo.reset();
    return true;
}

// The first free name beside the journal for one that is set aside.
QString asideName() {
    const QString base = g_journalPath + QStringLiteral(".skadad");
    struct stat st {};
    QString name = base;
    for (int n = 2; safeLstat(name, st) == 0 || errno != ENOENT; ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

// A journal that is not ours, or damaged, is kept under another name for
// whoever wants to look at it; the user is told once.
void setAside() {
    const QString aside = asideName();
    if (safeRename(g_journalPath, aside) != 0) {
        g_setAsidePending = true;
        g_stopText = platform::sysErrorText(errno);
    } else {
        g_setAsidePending = false;
        syncDir(dataRoot());
    }
    platform::messages().show(
        QStringLiteral("En ändring som inte hann slutföras när programmet senast avslutades "
                       "kunde inte genomföras, eftersom programmets logg över pågående "
                       "ändringar är skadad eller inte kommer från programmet.\n\n") +
            (g_setAsidePending
                 ? QStringLiteral("Loggen ligger kvar som '.journal' i datamappen\n") +
                       QDir::toNativeSeparators(dataRoot()) +
                       QStringLiteral("\noch inget kan sparas förrän den har flyttats "
                                      "därifrån !")
                 : QStringLiteral("Loggen har sparats undan som '") + QFileInfo(aside).fileName() +
                       QStringLiteral("' i datamappen\n") + QDir::toNativeSeparators(dataRoot()) +
                       QStringLiteral(" .")) +
            QStringLiteral("\n\nKontrollera de senaste posterna i dina konton !"),
        platform::Buttons::Ok, platform::Icon::Warning, QStringLiteral("Ofullbordad ändring"));
}

// Puts right what a failed commit left, or says why nothing can be written.
void makeWritable() {
    if (g_pendingUndo) {
        if (!undoEntry(*g_pendingUndo))
            raiseError(g_stopText);
        g_pendingUndo.reset();
    }
    if (g_cutBackTo) {
        if (!cutBack(*g_cutBackTo))
            raiseError(g_stopText);
        g_cutBackTo.reset();
    }
    if (g_setAsidePending) {
        struct stat st {};
        if (safeLstat(g_journalPath, st) == 0 && safeRename(g_journalPath, asideName()) != 0)
            raiseError(g_stopText);
        g_setAsidePending = false;
    }
}

qint64 unsyncedBytes() {
    qint64 sum = 0;
    for (const auto& [path, size] : g_unsynced)
        sum += size;
    return sum;
}

} // namespace

void setJournalPath(const QString& path) {
    g_journalPath = path;
    setDataRoot(path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
    g_unsynced.clear();
    g_unsyncedFolders.clear();
    g_journalBytes = 0;
    g_pendingUndo.reset();
    g_cutBackTo.reset();
    g_setAsidePending = false;
}
QString journalPath() {
    return g_journalPath;
}

WriteBatch::FilePlan& WriteBatch::plan(const QString& path) {
    const QString abs =
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
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
    makeWritable();

    // 1. Everything is checked and the replaced bytes read; nothing is written.
    Entry entry;
    for (const QString& f : wanted) {
        if (relativeToDataRoot(f).isEmpty())
            raiseError(platform::kBadFileName);
        struct stat st {};
        if (safeLstat(f, st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            raiseError(platform::kPathFileAccess);
        }
        if (errno != ENOENT)
            fail(errno);
        const QString parent = parentOf(f);
        if (!isFolder(parent) &&
            std::find(entry.folders.begin(), entry.folders.end(), parent) == entry.folders.end())
            raiseError(platform::kPathNotFound);
        entry.folders.push_back(f);
    }
    auto folderComing = [&](const QString& dir) {
        return std::find(entry.folders.begin(), entry.folders.end(), QDir::cleanPath(dir)) !=
               entry.folders.end();
    };
    for (FilePlan& p : plans) {
        if (relativeToDataRoot(p.path).isEmpty())
            raiseError(platform::kBadFileName);
        FileChange c;
        c.path = p.path;
        struct stat st {};
        if (safeLstat(p.path, st) == 0) {
            // Only a plain file is written: never a folder, never through a link.
            if (!S_ISREG(st.st_mode))
                raiseError(platform::kPathFileAccess);
            c.existed = true;
            c.oldSize = st.st_size;
        } else if (errno != ENOENT) {
            fail(errno);
        } else if (!isFolder(parentOf(p.path)) && !folderComing(parentOf(p.path))) {
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
    const QByteArray bytes = encodeEntry(entry);

    for (int attempt = 1;; ++attempt) {
        try {
            // 2. The entry, synced: from here on the commit stands.
            const qint64 at = appendEntry(bytes);

            // 3. The files. When that fails, the commit is undone and cut off the
            // journal again.
            sw::g_lastBytes = 0;
            try {
                applyEntry(entry, true);
            } catch (const RuntimeError& e) {
                g_stopText = e.text();
                if (!undoEntry(entry)) {
                    g_pendingUndo = entry;
                    g_cutBackTo = at;
                } else if (!cutBack(at)) {
                    g_cutBackTo = at;
                }
                throw;
            }
            break;
        } catch (const RuntimeError& e) {
            // Short of space: the journal's room is given back and the commit
            // tried once more.
            if (attempt > 1 || e.text() != platform::kDiskFull || stopped() || !checkpointNow())
                throw;
        }
    }

    // 4. The journal is emptied before it outgrows the files it stands for.
    if (g_journalBytes > kCheckpointBytes || g_journalBytes > unsyncedBytes())
        checkpointNow();
}

void checkpoint() {
    if (!checkpointNow())
        raiseError(g_stopText.isEmpty() ? platform::kDeviceIo : g_stopText);
}

void recoverJournal() {
    if (g_journalPath.isEmpty())
        return;
    struct stat st {};
    if (safeLstat(g_journalPath, st) != 0) {
        if (errno == ENOENT)
            return;
        fail(errno);
    }
    if (!S_ISREG(st.st_mode) || quint64(st.st_size) > kMaxJournal) {
        setAside();
        return;
    }
    Fd fd(openOrFail(g_journalPath, O_RDONLY));
    const QByteArray bytes = readAt(fd.get(), 0, st.st_size);
    Journal journal = decodeJournal(bytes);
    if (journal.damaged || !checkAgainstFiles(journal.entries)) {
        setAside();
        return;
    }
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const bool aborted =
            i + 1 < journal.entries.size() && journal.entries[i + 1].kind == Entry::Abort;
        if (journal.entries[i].kind == Entry::Commit && !aborted)
            applyEntry(journal.entries[i], false);
    }
    if (!checkpointNow())
        raiseError(platform::kDeviceIo);
    if (safeUnlink(g_journalPath) != 0 && errno != ENOENT)
        fail(errno);
}

void syncFolder(const QString& path) {
    const int fd = safeOpen(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        fail(errno);
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int e = errno;
    ::close(fd);
    if (!ok)
        fail(e);
}

void ensureFileExists(const QString& path) {
    const int fd = safeOpen(path, O_RDONLY | O_CREAT);
    if (fd < 0) {
        if (errno == ENOENT)
            raiseError(platform::kPathNotFound);
        fail(errno);
    }
    ::close(fd);
}

} // namespace fyn

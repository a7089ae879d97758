#include "core/SafeWrite.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteTesting.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>
#include <utility>

// The journal is a redo log: each commit appends one entry holding, for every
// file it touches, the new bytes, and syncs it. That sync is the commit. The
// files are then written without a sync of their own; a checkpoint syncs them
// and empties the journal now and then. Recovery replays every whole entry, so
// a crash gives the state after the last synced commit; a torn last entry was
// never committed and is ignored.
//
// The journal opens with a head that names its epoch, and every entry carries
// the epoch it was written in. A checkpoint empties the journal by moving to
// the next epoch and writing from the start again over the old entries, which
// then no longer count: no blocks are given back and taken anew for every
// checkpoint. A checkpoint comes once the journal holds a few times the files
// it stands for (kRoom), and the file is cut down only when it holds twice
// that; what counts, never more than once.
//
// A commit that rewrites most of a large file held in memory writes the file
// anew instead, beside the old one, and syncs it; its entry only names it, and
// the new file takes the old one's place once the entry is synced. Replay
// puts it in place if it is still there, and skips what earlier entries wrote
// to the old file. The bytes are written once instead of twice.
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

namespace {
std::atomic<int> g_releasing{0}; // old files still being given back
} // namespace

namespace safewrite_testing {
namespace {
int g_crashAt = -1;
bool g_torn = true;
std::set<int> g_failAt;
int g_failFrom = -1;
long long g_wholeFrom = -1;
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
void replaceWholeFrom(long long bytes) {
    g_wholeFrom = bytes;
}
void waitForReleases() {
    while (g_releasing > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
} // namespace safewrite_testing

namespace {

namespace sw = safewrite_testing;

QString g_journalPath;
// Files written since the last checkpoint; synced by it.
std::set<QString> g_unsynced;
std::set<QString> g_unsyncedFolders;
// Where the next entry goes; 0 while the journal has no head of this run.
qint64 g_journalBytes = 0;
quint64 g_epoch = 0;
// The sizes of the files the journal has written to since the start: the
// account's own files, which the journal must not outgrow.
std::map<QString, qint64> g_fileSizes;
// Nothing the program writes comes near these; a journal that says more is not ours.
constexpr quint64 kMaxJournal = quint64(1) << 32;
constexpr qint64 kMaxFileSize = qint64(1) << 40;
// From this size a file mostly rewritten is written whole into a new file.
constexpr qint64 kWholeFrom = 1024 * 1024;
// A checkpoint syncs every file written since the last one: a file rewritten
// often pays for that sync once in some kRoom commits.
constexpr qint64 kRoom = kJournalRoom;

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
    int release() { return std::exchange(fd_, -1); }

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

// Writes the first limit bytes of the pieces at offset, as few calls as the
// system allows.
void writeVector(int fd, std::vector<iovec> pieces, qint64 offset, qint64 limit) {
    size_t first = 0;
    for (qint64 left = limit; first < pieces.size() && left >= 0; ++first) {
        if (qint64(pieces[first].iov_len) >= left) {
            pieces[first].iov_len = size_t(left);
            pieces.resize(first + 1);
            break;
        }
        left -= qint64(pieces[first].iov_len);
    }
    size_t at = 0;
    while (at < pieces.size()) {
        const int count = int(qMin<size_t>(pieces.size() - at, IOV_MAX));
        const ssize_t n = ::pwritev(fd, pieces.data() + at, count, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        offset += n;
        for (size_t done = size_t(n); done > 0 && at < pieces.size();) {
            iovec& v = pieces[at];
            const size_t step = qMin(done, v.iov_len);
            v.iov_base = static_cast<char*>(v.iov_base) + step;
            v.iov_len -= step;
            done -= step;
            if (v.iov_len == 0)
                ++at;
        }
        while (at < pieces.size() && pieces[at].iov_len == 0)
            ++at;
    }
}

void pointWriteVector(int fd, const std::vector<iovec>& pieces, qint64 size, qint64 offset) {
    switch (nextPoint()) {
    case Point::Crash:
        if (sw::g_torn)
            writeVector(fd, pieces, offset, size / 2);
        throw sw::Crash{};
    case Point::Fail:
        writeVector(fd, pieces, offset, size / 2);
        fail(sw::g_failErrno);
    case Point::Go:
        break;
    }
    writeVector(fd, pieces, offset, size);
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

// The same, where the sync is what makes a commit stand: its failure counts.
void syncDirOrFail(const QString& dir) {
    pointStep();
    Fd fd(safeOpen(dir, O_RDONLY | O_DIRECTORY));
    if (fd.get() < 0 || (::fsync(fd.get()) != 0 && errno != EINVAL))
        fail(errno);
}

// A file that a new one has taken the place of: open until here, so that the
// rename did not have to give back its blocks and cached pages. For a large
// file that takes as long as writing it did, and is done by another thread.
void releaseLater(int fd, qint64 size) {
    constexpr qint64 kLarge = 4 * 1024 * 1024;
    if (fd < 0)
        return;
    if (size < kLarge) {
        ::close(fd);
        return;
    }
    try {
        ++g_releasing;
        std::thread([fd] {
            ::close(fd);
            --g_releasing;
        }).detach();
    } catch (const std::system_error&) {
        --g_releasing;
        ::close(fd);
    }
}

QByteArray readAt(int fd, qint64 offset, qint64 size) {
    QByteArray out(size, Qt::Uninitialized);
    const qint64 got = readFully(fd, out.data(), size, offset);
    if (got < 0)
        fail(errno);
    out.truncate(got);
    return out;
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The new file a commit writes whole beside the old one: hidden, and named
// anew for every commit, so that a later commit's unfinished file is never
// taken for an earlier one's.
QString wholeFile(const QString& path, quint64 id) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.left(slash + 1) + QLatin1Char('.') + path.mid(slash + 1) + QLatin1Char('.') +
           QString::number(id, 16) + QStringLiteral(".ny");
}

bool isWholeFileName(const QString& name) {
    return name.startsWith(QLatin1Char('.')) && name.endsWith(QStringLiteral(".ny"));
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
    // Written whole into its new file beforehand (wholeFile()); the regions
    // are then not journaled, only kept for an undo and for writing it.
    bool whole = false;
    quint64 wholeId = 0;         // names that file (wholeFile())
    const char* known = nullptr; // the old bytes, for the stretches kept
    mode_t mode = 0644;
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

// Entries begin with "FYN2" and carry a checksum over four lanes, which runs
// at memory speed; "FYNW" entries (one lane) are still read.
// The journal's head: "FYNJ", a version, the epoch and a checksum, in the first
// sector of a block of its own. Entries begin with "FYN3" (an epoch in the
// body, four-lane checksum); a journal without a head holds "FYNW" entries,
// as earlier versions wrote them (no epoch, one lane).
constexpr char kHeadMagic[4] = {'F', 'Y', 'N', 'J'};
constexpr qint64 kJournalHead = 4096;
constexpr char kMagic[4] = {'F', 'Y', 'N', '3'};
constexpr char kMagicOneLane[4] = {'F', 'Y', 'N', 'W'};
constexpr char kEnd[4] = {'D', 'O', 'N', 'E'};
constexpr qsizetype kHead = 12; // magic and the body's length
constexpr qsizetype kTail = 12; // checksum and end mark
constexpr quint64 kFnvBasis = 1469598103934665603ULL;
constexpr quint64 kFnvPrime = 1099511628211ULL;

// FNV-1a over 8 bytes at a time, then the tail, from h.
quint64 fnvFrom(quint64 h, const char* p, qsizetype n) {
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * kFnvPrime;
    }
    for (; n > 0; ++p, --n)
        h = (h ^ static_cast<unsigned char>(*p)) * kFnvPrime;
    return h;
}

// One lane ("FYNW").
quint64 oneLaneChecksum(const char* p, qsizetype n) {
    return fnvFrom(kFnvBasis, p, n);
}

// The same step on four lanes of 8 bytes each, then the tail on the first
// lane, then the lanes folded into one ("FYN2"). Bytes may come in pieces.
class Checksum {
public:
    void add(const char* p, size_t n) {
        if (held_ > 0) {
            const size_t take = qMin(n, kBlock - held_);
            std::memcpy(block_ + held_, p, take);
            held_ += take;
            p += take;
            n -= take;
            if (held_ < kBlock)
                return;
            step(block_);
            held_ = 0;
        }
        for (; n >= kBlock; p += kBlock, n -= kBlock)
            step(p);
        std::memcpy(block_, p, n);
        held_ = n;
    }
    quint64 value() const {
        quint64 h = fnvFrom(lane_[0], block_, qsizetype(held_));
        for (int k = 1; k < 4; ++k)
            h = (h ^ lane_[k]) * kFnvPrime;
        return h;
    }

private:
    static constexpr size_t kBlock = 32;
    void step(const char* p) {
        for (int k = 0; k < 4; ++k) {
            quint64 w;
            std::memcpy(&w, p + 8 * k, 8);
            lane_[k] = (lane_[k] ^ w) * kFnvPrime;
        }
    }
    quint64 lane_[4] = {kFnvBasis, kFnvBasis ^ 1, kFnvBasis ^ 2, kFnvBasis ^ 3};
    char block_[kBlock] = {};
    size_t held_ = 0;
};

quint64 checksum(const char* p, qsizetype n) {
    Checksum sum;
    sum.add(p, size_t(n));
    return sum.value();
}

// An entry as the pieces it is written from: its own bytes (head, names,
// numbers) and, between them, the new bytes of the regions where they already
// lie in memory, so that a large edit is not copied once more.
class EncodedEntry {
public:
    template <class T> void put(T v) { meta(&v, sizeof v); }
    void putBytes(const QByteArray& b) {
        put<quint32>(quint32(b.size()));
        meta(b.constData(), size_t(b.size()));
    }
    // Region bytes: referred to, not copied; they must outlive the write.
    void putData(const QByteArray& b) {
        put<quint32>(quint32(b.size()));
        if (!b.isEmpty())
            pieces_.push_back({false, qsizetype(quintptr(b.constData())), b.size()});
        size_ += b.size();
    }
    void meta(const void* p, size_t n) {
        if (!pieces_.empty() && pieces_.back().own)
            pieces_.back().size += qsizetype(n);
        else
            pieces_.push_back({true, own_.size(), qsizetype(n)});
        own_.append(static_cast<const char*>(p), qsizetype(n));
        size_ += qsizetype(n);
    }
    qint64 size() const { return size_; }
    // The body's length, in the head written first.
    void patchLength(quint64 length) { std::memcpy(own_.data() + 4, &length, sizeof length); }
    // Where each piece lies; valid until the entry changes.
    std::vector<iovec> pieces() const {
        std::vector<iovec> v;
        v.reserve(pieces_.size());
        for (const Piece& p : pieces_) {
            const char* at = p.own ? own_.constData() + p.at : reinterpret_cast<const char*>(p.at);
            v.push_back({const_cast<char*>(at), size_t(p.size)});
        }
        return v;
    }

private:
    struct Piece {
        bool own; // in own_ (at is an offset), or elsewhere (at is the address)
        qsizetype at;
        qsizetype size;
    };
    QByteArray own_;
    std::vector<Piece> pieces_;
    qint64 size_ = 0;
};

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

EncodedEntry encodeEntry(const Entry& e, quint64 epoch) {
    EncodedEntry out;
    out.meta(kMagic, 4);
    out.put<quint64>(0); // the body's length, filled in below
    const qint64 bodyAt = out.size();
    out.put<quint64>(epoch);
    out.put<quint8>(e.kind);
    out.put<quint32>(quint32(e.folders.size()));
    for (const QString& f : e.folders)
        out.putBytes(journalName(f));
    out.put<quint32>(quint32(e.files.size()));
    for (const FileChange& f : e.files) {
        out.putBytes(journalName(f.path));
        out.put<quint8>((f.existed ? 1 : 0) | (f.whole ? 2 : 0));
        out.put<qint64>(f.oldSize);
        out.put<qint64>(f.newSize);
        out.put<quint32>(f.whole ? 0 : quint32(f.regions.size()));
        if (f.whole) {
            out.put<quint64>(f.wholeId);
            continue;
        }
        for (const Region& r : f.regions) {
            out.put<qint64>(r.offset);
            out.putData(r.now);
        }
    }
    const quint64 bodyLength = quint64(out.size() - bodyAt);
    Checksum sum;
    std::vector<iovec> pieces = out.pieces();
    qint64 skip = bodyAt;
    for (iovec& v : pieces) {
        const qint64 drop = qMin<qint64>(skip, qint64(v.iov_len));
        skip -= drop;
        sum.add(static_cast<const char*>(v.iov_base) + drop, v.iov_len - size_t(drop));
    }
    // The length goes in the head: the own bytes are patched where it stands.
    out.patchLength(bodyLength);
    out.put<quint64>(sum.value());
    out.meta(kEnd, 4);
    return out;
}

// One entry's body (after its epoch, when it has one); false when it does
// not hold together.
bool decodeBody(const QByteArray& body, qsizetype q, Entry& e) {
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
        if (!takePath(body, q, f.path) || !take(body, q, existed) || existed > 3 || existed == 2 ||
            !take(body, q, f.oldSize) || !take(body, q, f.newSize) || !take(body, q, nregions))
            return false;
        if (f.oldSize < 0 || f.oldSize > kMaxFileSize || f.newSize < 0 ||
            f.newSize > kMaxFileSize || (!(existed & 1) && f.oldSize != 0))
            return false;
        f.existed = (existed & 1) != 0;
        f.whole = (existed & 2) != 0;
        if (f.whole && (nregions != 0 || !take(body, q, f.wholeId)))
            return false;
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

// The whole entries of a journal without a head, in order. A torn last entry
// (a crash while it was written) is left out; anything else that fails a
// check marks the journal damaged.
Journal decodeOldJournal(const QByteArray& in) {
    Journal j;
    qsizetype at = 0;
    while (at < in.size()) {
        const qsizetype left = in.size() - at;
        if (left < kHead)
            break; // torn within the head
        if (std::memcmp(in.constData() + at, kMagicOneLane, 4) != 0) {
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
        if (sum != oneLaneChecksum(in.constData() + bodyAt, qsizetype(len)) ||
            std::memcmp(in.constData() + end - 4, kEnd, 4) != 0) {
            // Only the last entry can have been cut short by a crash.
            j.damaged = end != in.size();
            break;
        }
        Entry e;
        if (!decodeBody(in.mid(bodyAt, qsizetype(len)), 0, e)) {
            j.damaged = true;
            break;
        }
        j.entries.push_back(std::move(e));
        at = end;
    }
    return j;
}

QByteArray headBytes(quint64 epoch) {
    QByteArray head(kJournalHead, '\0');
    std::memcpy(head.data(), kHeadMagic, 4);
    const quint32 version = 1;
    std::memcpy(head.data() + 4, &version, 4);
    std::memcpy(head.data() + 8, &epoch, 8);
    const quint64 sum = checksum(head.constData(), 16);
    std::memcpy(head.data() + 16, &sum, 8);
    return head;
}

// The entries of the head's epoch, in order, up to the first that is not one
// (a torn entry, or what an earlier epoch left behind). An entry of the epoch
// that does not hold together, or a head that does not, marks it damaged.
Journal decodeJournal(const QByteArray& in) {
    if (in.size() < 24 || std::memcmp(in.constData(), kHeadMagic, 4) != 0)
        return decodeOldJournal(in);
    Journal j;
    quint64 epoch = 0;
    std::memcpy(&epoch, in.constData() + 8, 8);
    // Only the first sector of the head means anything; the rest is room.
    if (in.left(24) != headBytes(epoch).left(24)) {
        j.damaged = true;
        return j;
    }
    qsizetype at = kJournalHead;
    while (in.size() - at >= kHead + kTail) {
        if (std::memcmp(in.constData() + at, kMagic, 4) != 0)
            break;
        quint64 len = 0;
        std::memcpy(&len, in.constData() + at + 4, sizeof len);
        if (len < 8 || quint64(in.size() - at - kHead - kTail) < len)
            break;
        const qsizetype bodyAt = at + kHead;
        const qsizetype end = bodyAt + qsizetype(len) + kTail;
        quint64 sum = 0, entryEpoch = 0;
        std::memcpy(&sum, in.constData() + bodyAt + len, sizeof sum);
        std::memcpy(&entryEpoch, in.constData() + bodyAt, sizeof entryEpoch);
        if (sum != checksum(in.constData() + bodyAt, qsizetype(len)) ||
            std::memcmp(in.constData() + end - 4, kEnd, 4) != 0 || entryEpoch != epoch)
            break;
        Entry e;
        if (!decodeBody(in.mid(bodyAt, qsizetype(len)), 8, e)) {
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
            if (f.skip)
                continue; // a later entry puts a whole new file in its place
            if (!folderThere(parentOf(f.path), ok)) {
                f.skip = true;
                continue;
            }
            if (f.whole) {
                // Its new file, synced whole before the entry was, or already
                // in the old one's place.
                struct stat st {};
                if (safeLstat(wholeFile(f.path, f.wholeId), st) == 0) {
                    ok = ok && S_ISREG(st.st_mode) && st.st_size == f.newSize;
                } else if (errno != ENOENT) {
                    ok = false;
                } else if (safeLstat(f.path, st) == 0) {
                    ok = ok && S_ISREG(st.st_mode);
                } else if (errno == ENOENT) {
                    f.skip = true;
                    continue;
                } else {
                    ok = false;
                }
                size[f.path] = f.newSize;
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
        if (f.whole) {
            // The new file takes the old one's place; on a replay it may have
            // done so already.
            pointStep();
            const QString made = wholeFile(f.path, f.wholeId);
            Fd old(counted ? safeOpen(f.path, O_RDONLY) : -1);
            if (safeRename(made, f.path) != 0 && (counted || errno != ENOENT))
                fail(errno);
            releaseLater(old.release(), f.oldSize);
            g_unsyncedFolders.insert(parentOf(f.path));
            g_fileSizes[f.path] = f.newSize;
            if (counted)
                for (const Region& r : f.regions)
                    sw::g_lastBytes += r.now.size();
            continue;
        }
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
        g_unsynced.insert(f.path);
        g_fileSizes[f.path] = f.newSize;
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
            if (f.whole && safeUnlink(wholeFile(f.path, f.wholeId)) != 0 && errno != ENOENT)
                fail(errno);
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

// A commit whose old bytes could not be put back, kept for a later try with
// its own copy of them (memory may change before then).
void keepForLaterUndo(const Entry& entry) {
    g_pendingUndo = entry;
    for (FileChange& f : g_pendingUndo->files) {
        f.known = nullptr;
        for (Region& r : f.regions)
            r.was = QByteArray(r.was.constData(), r.was.size());
    }
}

// The pieces of a file's new bytes: the regions, and between them the old
// bytes kept. Empty when some of it is not in memory.
std::vector<iovec> wholePieces(const FileChange& f, qint64 knownSize) {
    std::vector<iovec> pieces;
    auto kept = [&](qint64 from, qint64 to) {
        if (to <= from)
            return true;
        if (to > knownSize)
            return false;
        pieces.push_back({const_cast<char*>(f.known + from), size_t(to - from)});
        return true;
    };
    qint64 at = 0;
    for (const Region& r : f.regions) {
        if (r.now.isEmpty())
            continue; // the cut-off tail
        if (!kept(at, r.offset))
            return {};
        pieces.push_back({const_cast<char*>(r.now.constData()), size_t(r.now.size())});
        at = r.offset + r.now.size();
    }
    if (at > f.newSize || !kept(at, f.newSize))
        return {};
    return pieces;
}

// Writes a file's new bytes whole into its new file and syncs it; when an
// entry will name the file, its folder too, so that the entry never names a
// file a crash can take away. A failure leaves no new file behind.
void writeWhole(const FileChange& f, bool named) {
    const QString made = wholeFile(f.path, f.wholeId);
    try {
        Fd fd(openOrFail(made, O_WRONLY | O_CREAT | O_TRUNC));
        (void)::fchmod(fd.get(), f.mode);
        pointWriteVector(fd.get(), wholePieces(f, f.oldSize), f.newSize, 0);
        syncFd(fd.get());
        if (named)
            syncDirOrFail(parentOf(made));
    } catch (const RuntimeError&) {
        (void)safeUnlink(made);
        throw;
    }
}

// A commit of one file written whole, that no entry of the journal wrote to
// since it was last emptied: the new file taking the old one's place is the
// commit, made to stand by syncing their folder; no entry is needed.
bool standsAlone(const Entry& e) {
    return e.folders.empty() && e.files.size() == 1 && e.files[0].whole &&
           !g_unsynced.count(e.files[0].path);
}

void replaceAlone(Entry& entry) {
    FileChange& f = entry.files[0];
    const QString made = wholeFile(f.path, f.wholeId);
    writeWhole(f, false);
    Fd old(safeOpen(f.path, O_RDONLY));
    try {
        pointStep();
        if (safeRename(made, f.path) != 0)
            fail(errno);
    } catch (const RuntimeError&) {
        (void)safeUnlink(made);
        throw;
    }
    try {
        syncDirOrFail(parentOf(f.path));
    } catch (const RuntimeError& e) {
        // Whether the new file stands is not known: the old bytes go back
        // into it, or nothing more is written until they have.
        g_stopText = e.text();
        if (!undoEntry(entry))
            keepForLaterUndo(entry);
        throw;
    }
    g_fileSizes[f.path] = f.newSize;
    for (const Region& r : f.regions)
        sw::g_lastBytes += r.now.size();
    releaseLater(old.release(), f.oldSize);
}

quint64 nextWholeId() {
    static quint64 id = 0;
    if (id == 0) {
        std::random_device random;
        id = quint64(random()) << 32 | random();
    }
    return ++id;
}

// Files written whole that never took their place: a crash came before their
// entry, or they were named by entries that have been replayed.
void removeWholeFiles() {
    const QString root = dataRoot();
    if (root.isEmpty())
        return;
    QStringList folders{root};
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << root + QLatin1Char('/') + name;
    for (const QString& folder : folders)
        for (const QString& name :
             QDir(folder).entryList({QStringLiteral(".*.ny")}, QDir::Files | QDir::Hidden))
            if (isWholeFileName(name))
                (void)safeUnlink(folder + QLatin1Char('/') + name);
}

qint64 filesBytes() {
    qint64 sum = 0;
    for (const auto& [path, size] : g_fileSizes)
        sum += size;
    return sum;
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
    g_journalBytes = length < kJournalHead ? 0 : length; // below the head: a journal anew
    return true;
}

// Empties the journal: the next epoch's head goes over the old one, and the
// entries before it no longer count. A journal without a head of this run is
// cut to nothing instead.
bool nextEpoch() {
    const Point p = nextPoint();
    if (p == Point::Crash)
        throw sw::Crash{};
    if (p == Point::Fail)
        return false;
    Fd fd(safeOpen(g_journalPath, O_WRONLY));
    if (fd.get() < 0)
        return errno == ENOENT;
    if (g_journalBytes == 0)
        return ::ftruncate(fd.get(), 0) == 0 && (::fdatasync(fd.get()) == 0 || errno == EINVAL);
    // The head's meaning lies in its first sector, which a disk writes whole.
    const QByteArray head = headBytes(g_epoch + 1).left(24);
    if (::pwrite(fd.get(), head.constData(), size_t(head.size()), 0) != head.size() ||
        (::fdatasync(fd.get()) != 0 && errno != EINVAL))
        return false;
    g_epoch += 1;
    g_journalBytes = kJournalHead;
    // Old entries may stay as room for the next ones, up to twice the room.
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > kJournalHead + 2 * kRoom * filesBytes())
        (void)::ftruncate(fd.get(), kJournalHead);
    return true;
}

quint64 freshEpoch() {
    std::random_device random;
    return (quint64(random()) << 32 | random()) | 1;
}

// Appends an entry to the journal and syncs it; returns where it begins. A
// journal that could not take the entry is cut back: nothing happened.
qint64 appendEntry(const EncodedEntry& entry) {
    struct stat st {};
    const bool existed = safeLstat(g_journalPath, st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        raiseError(platform::kPathFileAccess);
    Fd fd(openOrFail(g_journalPath, O_WRONLY | O_CREAT));
    // The first entry of a run goes in with the head; an earlier run's
    // journal was replayed when the program started.
    // A journal that lost its head under us (removed, cut) starts over.
    const bool fresh =
        g_journalBytes == 0 || ::fstat(fd.get(), &st) != 0 || st.st_size < g_journalBytes;
    const qint64 at = fresh ? 0 : g_journalBytes;
    const QByteArray head = fresh ? headBytes(g_epoch) : QByteArray();
    try {
        std::vector<iovec> pieces = entry.pieces();
        if (fresh)
            pieces.insert(pieces.begin(),
                          iovec{const_cast<char*>(head.constData()), size_t(head.size())});
        pointWriteVector(fd.get(), pieces, head.size() + entry.size(), at);
        syncFd(fd.get());
        // Nothing reads the journal back but a start after a crash: its pages
        // are given back at once, so that the next entry finds memory ready.
        ::posix_fadvise(fd.get(), at, head.size() + entry.size(), POSIX_FADV_DONTNEED);
        if (!existed)
            syncDir(dataRoot());
    } catch (const RuntimeError& e) {
        if (!cutBack(at)) {
            g_cutBackTo = at; // a torn entry must not stay in front of the next one
            g_stopText = e.text();
        }
        throw;
    }
    g_journalBytes = at + head.size() + entry.size();
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
    for (const QString& path : g_unsynced) {
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
    if (!g_journalPath.isEmpty() && !nextEpoch())
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
        g_journalBytes = 0;
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
        g_journalBytes = 0;
    }
}

} // namespace

void setJournalPath(const QString& path) {
    g_journalPath = path;
    setDataRoot(path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
    g_unsynced.clear();
    g_unsyncedFolders.clear();
    g_fileSizes.clear();
    g_journalBytes = 0;
    g_epoch = 0;
    g_pendingUndo.reset();
    g_cutBackTo.reset();
    g_setAsidePending = false;
}
QString journalPath() {
    return g_journalPath;
}

namespace {
QString absolute(const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}
} // namespace

WriteBatch::FilePlan& WriteBatch::plan(const QString& path) {
    // A batch of many writes names its files the same way each time: the
    // name as given is looked for before one is made absolute.
    for (FilePlan& f : files_)
        if (f.given == path)
            return f;
    const QString abs = absolute(path);
    for (FilePlan& f : files_)
        if (f.path == abs)
            return f;
    files_.push_back({abs, {}, -1, nullptr, -1, path});
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

void WriteBatch::knownContent(const QString& path, const char* data, qint64 size) {
    const QString abs = absolute(path);
    for (FilePlan& f : files_)
        if (f.path == abs) {
            f.known = data;
            f.knownSize = size;
        }
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
        // The bytes a rollback puts back: from memory when the file is there.
        const bool inMemory = p.known && p.knownSize == c.oldSize;
        Fd fd(c.existed && !inMemory ? openOrFail(p.path, O_RDONLY) : -1);
        auto old = [&](qint64 off, qint64 len) {
            return inMemory ? QByteArray::fromRawData(p.known + off, qsizetype(len))
                            : readAt(fd.get(), off, len);
        };
        for (const auto& [off, b] : p.regions) {
            Region r{off, b, {}};
            if (c.existed && off < c.oldSize)
                r.was = old(off, qMin<qint64>(b.size(), c.oldSize - off));
            c.regions.push_back(std::move(r));
        }
        if (c.existed && c.newSize < c.oldSize) // the cut-off tail
            c.regions.push_back(Region{c.newSize, {}, old(c.newSize, c.oldSize - c.newSize)});
        // Nearly all of a large file rewritten: written once, whole, into a new file.
        qint64 changed = 0;
        for (const Region& r : c.regions)
            changed += r.now.size();
        const qint64 wholeFrom = sw::g_wholeFrom >= 0 ? sw::g_wholeFrom : kWholeFrom;
        if (inMemory && c.existed && st.st_nlink == 1 && c.newSize >= wholeFrom &&
            4 * changed >= 3 * c.newSize) {
            c.known = p.known;
            if (!wholePieces(c, p.knownSize).empty() || c.newSize == 0) {
                c.whole = true;
                c.wholeId = nextWholeId();
                c.mode = st.st_mode & 07777;
            }
        }
        entry.files.push_back(std::move(c));
    }
    for (int attempt = 1;; ++attempt) {
        if (g_journalBytes == 0)
            g_epoch = freshEpoch();
        sw::g_lastBytes = 0;
        try {
            if (standsAlone(entry)) {
                replaceAlone(entry);
                break;
            }
            const EncodedEntry bytes = encodeEntry(entry, g_epoch);
            // 2. Files written whole, then the entry, synced: from here on the
            // commit stands.
            qint64 at = 0;
            try {
                for (const FileChange& f : entry.files)
                    if (f.whole)
                        writeWhole(f, true);
                at = appendEntry(bytes);
            } catch (const RuntimeError&) {
                for (const FileChange& f : entry.files)
                    if (f.whole)
                        (void)safeUnlink(wholeFile(f.path, f.wholeId));
                throw;
            }

            // 3. The files. When that fails, the commit is undone and cut off the
            // journal again.
            sw::g_lastBytes = 0;
            try {
                applyEntry(entry, true);
            } catch (const RuntimeError& e) {
                g_stopText = e.text();
                if (!undoEntry(entry)) {
                    keepForLaterUndo(entry);
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

    // 4. The journal is emptied before it outgrows its room. One entry that
    // rewrites a whole file is that file and a few bytes that describe it:
    // those few bytes are allowed for.
    constexpr qint64 kDescription = 4096;
    if (g_journalBytes - kJournalHead > kRoom * filesBytes() + kDescription)
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
        if (errno != ENOENT)
            fail(errno);
        removeWholeFiles();
        return;
    }
    if (!S_ISREG(st.st_mode) || quint64(st.st_size) > kMaxJournal) {
        setAside();
        return;
    }
    Fd fd(openOrFail(g_journalPath, O_RDONLY));
    const QByteArray bytes = readAt(fd.get(), 0, st.st_size);
    Journal journal = decodeJournal(bytes);
    std::vector<Entry>& entries = journal.entries;
    auto counts = [&](size_t i) {
        return entries[i].kind == Entry::Commit &&
               !(i + 1 < entries.size() && entries[i + 1].kind == Entry::Abort);
    };
    // What came before a file was written whole is in that file already.
    std::set<QString> replacedLater;
    for (size_t i = entries.size(); i-- > 0;) {
        if (!counts(i))
            continue;
        for (FileChange& f : entries[i].files) {
            f.skip = f.skip || replacedLater.count(f.path) > 0;
            if (f.whole)
                replacedLater.insert(f.path);
        }
    }
    if (journal.damaged || !checkAgainstFiles(entries)) {
        setAside();
        return;
    }
    for (size_t i = 0; i < entries.size(); ++i)
        if (counts(i))
            applyEntry(entries[i], false);
    if (!checkpointNow())
        raiseError(platform::kDeviceIo);
    if (safeUnlink(g_journalPath) != 0 && errno != ENOENT)
        fail(errno);
    g_journalBytes = 0;
    removeWholeFiles();
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

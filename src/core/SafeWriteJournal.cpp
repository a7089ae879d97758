#include "core/SafeWriteJournal.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteTesting.h"
#include "platform/SysError.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn::safewrite {

namespace sw = safewrite_testing;

// ---- What the journal stands for ----------------------------------------------

namespace {
// One name for a file however a caller spelled it: a replay names files from
// the data folder, a commit as its caller did.
QString key(const QString& path) {
    return QDir::cleanPath(path);
}
} // namespace

void EpochFiles::entered(const Entry& e) {
    for (const QString& f : e.folders)
        unsyncedFolders_.insert(parentOf(f));
    for (const FileChange& f : e.files) {
        held_.insert(key(f.path));
        sizes_[key(f.path)] = f.newSize;
        // A file put in place changes its folder; one written in place (or
        // made, or cut) is synced itself.
        if (f.whole || !f.existed)
            unsyncedFolders_.insert(parentOf(f.path));
        if (!f.whole)
            unsynced_.insert(f.path);
    }
}

void EpochFiles::replacedAlone(const QString& path, qint64 newSize) {
    // Synced, folder and all, before the commit returned: nothing to do at
    // the checkpoint, and no entry holds it.
    sizes_[key(path)] = newSize;
}

bool EpochFiles::journalHolds(const QString& path) const {
    return held_.count(key(path)) > 0;
}

qint64 EpochFiles::filesBytes() const {
    qint64 sum = 0;
    for (const auto& [path, size] : sizes_)
        sum += size;
    return sum;
}

void EpochFiles::emptied() {
    held_.clear();
    unsynced_.clear();
    unsyncedFolders_.clear();
}

void EpochFiles::clear() {
    emptied();
    sizes_.clear();
}

JournalState& journal() {
    static JournalState state;
    return state;
}

// ---- The journal file -------------------------------------------------------------

namespace {
// A checkpoint syncs every file written since the last one: a file rewritten
// often pays for that sync once in some kJournalRoom commits.
constexpr qint64 kRoom = kJournalRoom;
} // namespace

quint64 freshEpoch() {
    std::random_device random;
    return (quint64(random()) << 32 | random()) | 1;
}

bool cutBack(qint64 length) {
    JournalState& j = journal();
    const Point p = nextPoint();
    if (p == Point::Crash)
        throw sw::Crash{};
    if (p == Point::Fail)
        return false;
    Fd fd(safeOpen(j.path, O_WRONLY));
    if (fd.get() < 0)
        return errno == ENOENT && length == 0;
    if (::ftruncate(fd.get(), length) != 0 || (::fdatasync(fd.get()) != 0 && errno != EINVAL))
        return false;
    j.bytes = length < kJournalHead ? 0 : length; // below the head: a journal anew
    return true;
}

// The entries before the new head no longer count. A journal without a head
// of this run is cut to nothing instead.
bool nextEpoch() {
    JournalState& j = journal();
    const Point p = nextPoint();
    if (p == Point::Crash)
        throw sw::Crash{};
    if (p == Point::Fail)
        return false;
    Fd fd(safeOpen(j.path, O_WRONLY));
    if (fd.get() < 0)
        return errno == ENOENT;
    if (j.bytes == 0)
        return ::ftruncate(fd.get(), 0) == 0 && (::fdatasync(fd.get()) == 0 || errno == EINVAL);
    // The head's meaning lies in its first sector, which a disk writes whole.
    const QByteArray head = headBytes(j.epoch + 1).left(24);
    if (::pwrite(fd.get(), head.constData(), size_t(head.size()), 0) != head.size() ||
        (::fdatasync(fd.get()) != 0 && errno != EINVAL))
        return false;
    j.epoch += 1;
    j.bytes = kJournalHead;
    // Old entries may stay as room for the next ones, up to twice the room.
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > kJournalHead + 2 * kRoom * j.files.filesBytes())
        (void)::ftruncate(fd.get(), kJournalHead);
    return true;
}

qint64 appendEntry(const EncodedEntry& entry) {
    JournalState& j = journal();
    struct stat st {};
    const bool existed = safeLstat(j.path, st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        raiseError(platform::kPathFileAccess);
    Fd fd(openOrFail(j.path, O_WRONLY | O_CREAT));
    // The first entry of a run goes in with the head; an earlier run's
    // journal was replayed when the program started.
    // A journal that lost its head under us (removed, cut) starts over.
    const bool fresh = j.bytes == 0 || ::fstat(fd.get(), &st) != 0 || st.st_size < j.bytes;
    const qint64 at = fresh ? 0 : j.bytes;
    const QByteArray head = fresh ? headBytes(j.epoch) : QByteArray();
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
            j.cutBackTo = at; // a torn entry must not stay in front of the next one
            j.stopText = e.text();
            // It may stand whole all the same, its sync having failed after
            // the bytes: marked given up, it is not replayed at a start.
            Entry abort;
            abort.kind = Entry::Abort;
            (void)writeMarker(encodeEntry(abort, j.epoch), at + head.size() + entry.size());
        }
        throw;
    }
    j.bytes = at + head.size() + entry.size();
    return at;
}

bool writeMarker(const EncodedEntry& marker, qint64 at) {
    try {
        Fd fd(openOrFail(journal().path, O_WRONLY));
        pointWriteVector(fd.get(), marker.pieces(), marker.size(), at);
        syncFd(fd.get());
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

bool stopped() {
    const JournalState& j = journal();
    return j.pendingUndo || j.cutBackTo || j.setAsidePending;
}

bool checkpointNow() {
    JournalState& j = journal();
    if (j.pendingUndo || j.setAsidePending)
        return false;
    bool synced = true;
    for (const QString& path : j.files.unsyncedFiles()) {
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
    for (const QString& dir : j.files.unsyncedFolders()) {
        const int fd = safeOpen(dir, O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    if (!synced)
        return false;
    if (!j.path.isEmpty() && !nextEpoch())
        return false;
    j.files.emptied();
    j.cutBackTo.reset();
    return true;
}

} // namespace fyn::safewrite

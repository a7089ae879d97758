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

Cut cutBack(qint64 length) {
    JournalState& j = journal();
    const Point p = nextPoint();
    if (p == Point::Crash)
        throw sw::Crash{};
    if (p == Point::Fail)
        return Cut::Failed;
    Fd fd(safeOpen(j.path, O_WRONLY));
    if (fd.get() < 0)
        return errno == ENOENT && length == 0 ? Cut::Done : Cut::Failed;
    if (::ftruncate(fd.get(), length) != 0)
        return Cut::Failed;
    j.bytes = length < kJournalHead ? 0 : length; // below the head: a journal anew
    if (!syncData(fd.get())) {
        j.cutBackTo = length;
        return Cut::Unsynced;
    }
    return Cut::Done;
}

// The entries before the new head no longer count. A journal without a head
// of this run is cut to nothing instead. Every file the old entries wrote is
// synced before this is called: none of them is needed any more.
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
        return ::ftruncate(fd.get(), 0) == 0 && syncData(fd.get());
    // From here the head on disk may be the old one, the new one or a mix of
    // them: until a head is written and synced, the next entry starts the
    // journal anew instead of following entries under a head it may not match.
    j.bytes = 0;
    // The head's meaning lies in its first sector, which a disk writes whole.
    const QByteArray head = headBytes(j.epoch + 1).left(24);
    try {
        pointWrite(fd.get(), head.constData(), head.size(), 0);
        syncFd(fd.get());
    } catch (const RuntimeError&) {
        return false;
    }
    j.epoch += 1;
    j.bytes = kJournalHead;
    // Old entries may stay as room for the next ones, up to twice the room.
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > kJournalHead + 2 * kRoom * j.files.filesBytes())
        (void)::ftruncate(fd.get(), kJournalHead);
    return true;
}

namespace {
// The entry (after the head when it opens the journal) written at at and
// synced; written: its bytes all went in before anything failed.
qint64 putEntry(int fd, const EncodedEntry& entry, qint64 at, bool& written) {
    const QByteArray head = at == 0 ? headBytes(journal().epoch) : QByteArray();
    std::vector<iovec> pieces = entry.pieces();
    if (at == 0)
        pieces.insert(pieces.begin(),
                      iovec{const_cast<char*>(head.constData()), size_t(head.size())});
    const qint64 size = head.size() + entry.size();
    pointWriteVector(fd, pieces, size, at);
    written = true;
    syncFd(fd);
    return at + size;
}
} // namespace

void writeEntryAt(const EncodedEntry& entry, qint64 at) {
    Fd fd(openOrFail(journal().path, O_WRONLY | O_CREAT));
    bool written = false;
    journal().bytes = putEntry(fd.get(), entry, at, written);
}

qint64 appendEntry(const EncodedEntry& entry) {
    JournalState& j = journal();
    j.mayStandAt.reset();
    struct stat st {};
    const bool existed = safeLstat(j.path, st) == 0;
    // Never written through a hard link: it may lead out of the data folder.
    if (existed && (!S_ISREG(st.st_mode) || st.st_nlink > 1))
        raiseError(platform::kPathFileAccess);
    Fd fd(openOrFail(j.path, O_WRONLY | O_CREAT));
    // The first entry of a run goes in with the head; an earlier run's
    // journal was replayed when the program started.
    // A journal that lost its head under us (removed, cut) starts over.
    const bool fresh = j.bytes == 0 || ::fstat(fd.get(), &st) != 0 || st.st_size < j.bytes;
    const qint64 at = fresh ? 0 : j.bytes;
    // Whatever a journal begun anew still holds counts for nothing (its files
    // are synced): gone first, a new head cut short leaves only a piece of
    // itself, never a mix with the old one.
    if (fresh && st.st_size > 0 && ::ftruncate(fd.get(), 0) != 0)
        fail(errno);
    bool written = false;
    qint64 end = 0;
    try {
        end = putEntry(fd.get(), entry, at, written);
        // Nothing reads the journal back but a start after a crash: its pages
        // are given back at once, so that the next entry finds memory ready.
        ::posix_fadvise(fd.get(), at, end - at, POSIX_FADV_DONTNEED);
        if (!existed)
            syncDir(dataRoot());
    } catch (const RuntimeError& e) {
        if (cutBack(at) == Cut::Failed) {
            j.stopText = e.text();
            // A torn entry is never replayed, but it must not stay in front of
            // the next one.
            j.cutBackTo = at;
            // Whole, it may stand all the same, its sync having failed after
            // the bytes: marked given up, it is not replayed at a start.
            Entry abort;
            abort.kind = Entry::Abort;
            const qint64 after = at + (at == 0 ? kJournalHead : 0) + entry.size();
            if (written && !writeMarker(encodeEntry(abort, j.epoch), after)) {
                j.cutBackTo.reset();
                j.mayStandAt = at;
            }
        }
        throw;
    }
    j.bytes = end;
    return at;
}

bool writeMarker(const EncodedEntry& marker, qint64 at) {
    bool written = false;
    try {
        Fd fd(openOrFail(journal().path, O_WRONLY));
        pointWriteVector(fd.get(), marker.pieces(), marker.size(), at);
        written = true;
        syncFd(fd.get());
    } catch (const RuntimeError&) {
    }
    return written;
}

bool stopped() {
    const JournalState& j = journal();
    return j.pendingUndo || j.pendingFinish || j.cutBackTo || j.setAsidePending;
}

bool checkpointNow() {
    JournalState& j = journal();
    if (j.pendingUndo || j.pendingFinish || j.setAsidePending)
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
        synced = synced && p == Point::Go && syncData(fd);
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

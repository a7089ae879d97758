// Planning a commit and carrying it through: every file checked before
// anything is written, then the road each file takes (see SafeWriteRoads.h),
// then the journal emptied before it outgrows its room.
//
// The journal is a redo log: each commit appends one entry holding, for every
// file it touches, the new bytes, and syncs it. That sync is the commit. The
// files are then written without a sync of their own; a checkpoint syncs them
// and empties the journal now and then. Recovery replays every whole entry, so
// a crash gives the state after the last synced commit; a torn last entry was
// never committed and is ignored.
//
// A checkpoint empties the journal by moving to the next epoch and writing
// from the start again over the old entries, which then no longer count: no
// blocks are given back and taken anew for every checkpoint. A checkpoint
// comes once the journal holds a few times the files it stands for
// (kJournalRoom), and the file is cut down only when it holds twice that.
//
// A commit that rewrites most of a large file held in memory writes the file
// anew instead, beside the old one, and syncs it; its entry only names it, and
// the new file takes the old one's place once the entry is synced. Replay
// puts it in place if it is still there, and skips what earlier entries wrote
// to the old file. The bytes are written once instead of twice. Where the
// journal holds nothing for the file since it was last emptied, the new file
// taking the old one's place is the commit itself, without an entry.
//
// Room first: the journal entry's room and each file's growth are reserved
// before anything stands, so that on a disk that writes in place a full disk
// refuses the edit whole. Past its synced entry a commit is finished, never
// taken back: when its files cannot be written (a full disk that copies what
// it overwrites), the one state of a failure holds it until the road a start
// takes has finished it.
#include "core/SafeWrite.h"

#include "core/DataFileLimits.h"
#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"
#include "core/SafeWriteRoads.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fyn {

using namespace safewrite;

namespace {
// From this size a file mostly rewritten is written whole into a new file.
constexpr qint64 kWholeFrom = 1024 * 1024;
} // namespace

void setJournalPath(const QString& path) {
    journal() = JournalState{};
    journal().path = path;
    setDataRoot(path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
}
QString journalPath() {
    return journal().path;
}

namespace {
QString absolute(const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}

QString named(const QString& path) {
    return QFileInfo(path).fileName() + QStringLiteral(" (") + QDir::toNativeSeparators(path) +
           QLatin1Char(')');
}

// What the program never writes is refused before anything is written: a
// name it does not write, a file longer than it makes that kind, a length
// that is not a whole number of records, and a file with another name on the
// disk (a hard link may lead out of the data folder, and an edit written into
// it would land there).
void checkWritable(const QString& path, const struct stat* st, qint64 oldSize, qint64 newSize) {
    const FileLimit limit = fileLimit(relativeToDataRoot(path));
    if (!limit.writable)
        raiseError(platform::kBadFileName);
    if (st && st->st_nlink > 1)
        throw RuntimeError(
            platform::kPathFileAccess,
            named(path) + QStringLiteral(", som har fler än ett namn på disken (en hård länk): en "
                                         "ändring i den kunde hamna i en fil utanför datamappen, "
                                         "så programmet skriver inte i den. Kopiera filen och "
                                         "lägg kopian i dess ställe"));
    if (newSize > limit.maxBytes)
        throw RuntimeError(platform::kOverflow,
                           named(path) + QStringLiteral(", som skulle bli längre än programmet "
                                                        "gör en sådan fil (%1 byte)")
                                             .arg(limit.maxBytes));
    if (newSize != oldSize && !limit.wholeRecords(newSize))
        throw RuntimeError(platform::kBadRecordLength,
                           named(path) + QStringLiteral(", som skulle få en längd som inte är ett "
                                                        "helt antal poster"));
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

namespace {

// Room first: what the files written in place grow by is reserved before
// anything stands.
void reserveGrowth(const Entry& entry) {
    for (const FileChange& f : entry.files) {
        if (f.whole || !f.existed || f.newSize <= f.oldSize)
            continue;
        Fd fd(openOrFail(f.path, O_WRONLY));
        reserveRoom(fd.get(), f.oldSize, f.newSize - f.oldSize, f.path);
    }
}

void removeNewFiles(const Entry& entry) {
    for (const FileChange& f : entry.files)
        if (f.whole)
            (void)safeUnlink(wholeFile(f.path, f.wholeId));
}

} // namespace

void WriteBatch::commit() {
    if (empty())
        return;
    std::vector<FilePlan> plans = std::move(files_);
    files_.clear();
    std::vector<QString> wanted = std::move(folders_);
    folders_.clear();
    JournalState& j = journal();
    if (j.path.isEmpty())
        raiseError(platform::kPathNotFound);
    // What waits from an earlier failure is put right first; while it cannot
    // be, nothing more is written.
    if (j.unsettled)
        settleOrRefuse({}, {});

    // 1. Everything is checked; nothing is written.
    Entry entry;
    for (const QString& f : wanted) {
        if (relativeToDataRoot(f).isEmpty() || !fileLimit(relativeToDataRoot(f)).writable)
            raiseError(platform::kBadFileName);
        struct stat st {};
        if (safeLstat(f, st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            raiseError(platform::kPathFileAccess);
        }
        if (errno != ENOENT)
            fail(errno, f);
        const QString parent = parentOf(f);
        if (!isFolder(parent) &&
            std::find(entry.folders.begin(), entry.folders.end(), parent) == entry.folders.end())
            raiseError(platform::kPathNotFound);
        entry.folders.push_back(f);
    }
    entry.skipFolder.assign(entry.folders.size(), false);
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
            fail(errno, p.path);
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
        }
        // Never longer than the program reads back, nor than a replay takes.
        checkWritable(p.path, c.existed ? &st : nullptr, c.oldSize, c.newSize);
        if (p.replaceSize < 0) {
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
        for (const auto& [off, b] : p.regions)
            c.regions.push_back(Region{off, b});
        // Nearly all of a large file rewritten: written once, whole, into a new
        // file (one a commit, which takes its place last).
        qint64 changed = 0;
        for (const Region& r : c.regions)
            changed += r.now.size();
        const bool inMemory = p.known && p.knownSize == c.oldSize;
        const qint64 wholeFrom = testedWholeFrom() >= 0 ? testedWholeFrom() : kWholeFrom;
        const bool oneWhole = std::none_of(entry.files.begin(), entry.files.end(),
                                           [](const FileChange& e) { return e.whole; });
        if (oneWhole && inMemory && c.existed && c.newSize >= wholeFrom &&
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
        if (j.fresh)
            j.epoch = freshEpoch();
        resetDataBytes();
        try {
            if (standsAlone(entry)) {
                replaceAlone(entry);
                break;
            }
            const EncodedEntry bytes = encodeEntry(entry, j.epoch);
            // 2. Room, files written whole, then the entry, synced: from here
            // on the commit stands.
            qint64 at = 0;
            std::optional<RuntimeError> uncertain;
            try {
                reserveGrowth(entry);
                for (const FileChange& f : entry.files)
                    if (f.whole)
                        writeWhole(f, true);
                uncertain = appendEntry(bytes, at);
            } catch (const RuntimeError&) {
                removeNewFiles(entry);
                throw;
            }
            j.files.entered(entry);
            if (uncertain) {
                // It may stand or not: it is written again and synced before
                // anything else, and its files written then.
                bool settings = false;
                unsettle(*uncertain, describeChange(entry, settings), settings);
                j.unsettled->entry.emplace(at, entryBytes(bytes, at));
                tellUncertain(entry, *uncertain);
                break;
            }
            // 3. The files. Past its synced entry the commit is finished,
            // never taken back: when that fails here, it is finished later.
            resetDataBytes();
            try {
                applyEntry(entry, true);
            } catch (const RuntimeError& e) {
                bool settings = false;
                unsettle(e, describeChange(entry, settings), settings);
                tellFinishLater(entry, e);
            }
            break;
        } catch (const RuntimeError& e) {
            // Short of space: the journal's room is given back and the commit
            // tried once more.
            if (attempt > 1 || e.text() != platform::kDiskFull || j.unsettled)
                throw;
            try {
                settle();
            } catch (const RuntimeError&) {
                throw e;
            }
        }
    }

    // 4. The journal is emptied before it outgrows its room. One entry that
    // rewrites a whole file is that file and a few bytes that describe it:
    // those few bytes are allowed for. A failure here is quiet: what it
    // leaves is put right before anything more is written.
    constexpr qint64 kDescription = 4096;
    if (!j.unsettled && !j.fresh &&
        j.end - kJournalHead > kJournalRoom * j.files.filesBytes() + kDescription) {
        try {
            settle();
        } catch (const RuntimeError&) {
        }
    }
}

void checkpoint() {
    try {
        settle();
    } catch (const RuntimeError& e) {
        if (!journal().unsettled || !e.where().isEmpty())
            throw;
        // What waits is named, for "Felet finns i ...".
        RuntimeError named(e.text(), pendingChangeText());
        named.setPath(e.path());
        throw named;
    }
}

void syncFolder(const QString& path) {
    syncFolderOrFail(path);
}

int openMakingIt(const QString& path) {
    const int fd = safeOpen(path, O_RDONLY);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    Fd made(safeOpen(path, O_RDONLY | O_CREAT));
    if (made.get() >= 0)
        syncFolderOrFail(parentOf(path));
    return made.release();
}

void ensureFileExists(const QString& path) {
    const int fd = openMakingIt(path);
    if (fd < 0) {
        if (errno == ENOENT)
            raiseError(platform::kPathNotFound);
        fail(errno, path);
    }
    ::close(fd);
}

} // namespace fyn

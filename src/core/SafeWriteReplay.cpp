// Replay: what the journal's commits wrote is written again at the start (a
// crash may have left it half on disk). The journal is untrusted input: every
// name, length and offset is checked against the files first, and a journal
// that fails a check is set aside whole, not replayed.
#include "core/SafeWrite.h"
#include "core/SafeWriteRoads.h"

#include "core/DataFileLimits.h"
#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fyn {
namespace safewrite {

namespace {

// What a replay writes keeps to what the program writes: a name it writes,
// no longer than it makes that kind of file.
bool writableAs(const QString& path, qint64 size) {
    const FileLimit limit = fileLimit(relativeToDataRoot(path));
    return limit.writable && size <= limit.maxBytes;
}

// A file the replay puts in place: a plain file of the size its entry says,
// within what the program keeps for such a file, and linked nowhere else (a
// hard link could lead to a file outside the data folder, which every later
// edit would then write into).
bool fitToPutInPlace(const struct stat& st, const QString& path, qint64 size) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size == size && writableAs(path, size);
}

// Whether u is c's undo as the program writes it: the same folders and files
// in the same order, each going back to its old length, old bytes only where
// the commit wrote within that length.
bool undoes(const Entry& u, const Entry& c) {
    if (u.folders != c.folders || u.files.size() != c.files.size())
        return false;
    for (size_t k = 0; k < u.files.size(); ++k) {
        const FileChange& b = u.files[k];
        const FileChange& a = c.files[k];
        const qint64 old = a.existed ? a.oldSize : 0;
        if (b.path != a.path || b.existed != a.existed || b.oldSize != old || b.newSize != old ||
            (!a.existed && !b.regions.empty()))
            return false;
        for (const Region& r : b.regions) {
            const bool wrote =
                a.whole || std::any_of(a.regions.begin(), a.regions.end(),
                                       [&](const Region& w) { return w.offset == r.offset; });
            if (!wrote || r.offset + r.now.size() > old)
                return false;
        }
    }
    return true;
}

// The undo of a new file put in place without an entry (a posting file, the
// one file held in memory and so written whole): that file, back to its old
// bytes and length.
bool undoesAlone(const Entry& u) {
    if (!u.folders.empty() || u.files.size() != 1)
        return false;
    const FileChange& f = u.files[0];
    const QStringList parts = relativeToDataRoot(f.path).split(QLatin1Char('/'));
    return parts.size() == 2 && parts[1] == QLatin1String("KontoData") && f.existed &&
           f.oldSize == f.newSize &&
           std::all_of(f.regions.begin(), f.regions.end(),
                       [&](const Region& r) { return r.offset + r.now.size() <= f.oldSize; });
}

// The entries in the shapes the program writes them. A marker comes last of
// all (nothing more is written until what it stands for is put right): a
// commit given up right after that commit, the undo of a commit right after
// it, or the undo of a file put in place alone, which no entry before names.
// Any other order is not the program's.
bool inOurShape(const std::vector<Entry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.kind == Entry::Commit)
            continue;
        if (i + 1 != entries.size())
            return false;
        const Entry* before = i > 0 ? &entries[i - 1] : nullptr;
        const bool afterCommit = before && before->kind == Entry::Commit;
        if (e.kind == Entry::Abort)
            return afterCommit;
        if (afterCommit && undoes(e, *before))
            continue;
        if (!undoesAlone(e))
            return false;
        for (size_t k = 0; k < i; ++k)
            for (const FileChange& f : entries[k].files)
                if (f.path == e.files[0].path)
                    return false;
    }
    return true;
}

// Whether the commit at i is cancelled by the marker after it.
bool cancelled(const std::vector<Entry>& entries, size_t i) {
    if (i + 1 >= entries.size())
        return false;
    const Entry& next = entries[i + 1];
    return next.kind == Entry::Abort || (next.kind == Entry::Undo && undoes(next, entries[i]));
}

// A file a commit made, which its undo removes: it holds nothing but the
// commit's own bytes (or none yet), else it is not that file.
bool onlyCommitBytes(const QString& path, const FileChange& made) {
    Fd fd(safeOpen(path, O_RDONLY));
    if (fd.get() < 0)
        return errno == ENOENT;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || st.st_nlink != 1 || st.st_size > made.newSize)
        return false;
    // The commit's regions, in order and apart, as a commit writes them.
    std::vector<const Region*> regions;
    for (const Region& r : made.regions)
        regions.push_back(&r);
    std::sort(regions.begin(), regions.end(),
              [](const Region* a, const Region* b) { return a->offset < b->offset; });
    for (size_t k = 1; k < regions.size(); ++k)
        if (regions[k - 1]->offset + regions[k - 1]->now.size() > regions[k]->offset)
            return false;
    // Read a piece at a time: every byte is the commit's, or not written yet.
    constexpr qint64 kPiece = 1 << 16;
    size_t k = 0;
    for (qint64 at = 0; at < st.st_size; at += kPiece) {
        const QByteArray piece = readAt(fd.get(), at, qMin(kPiece, qint64(st.st_size) - at));
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const qint64 pos = at + i;
            while (k < regions.size() && regions[k]->offset + regions[k]->now.size() <= pos)
                ++k;
            const bool inRegion = k < regions.size() && regions[k]->offset <= pos;
            if (piece.at(i) != 0 &&
                (!inRegion || regions[k]->now.at(pos - regions[k]->offset) != piece.at(i)))
                return false;
        }
    }
    return true;
}

// Whether the regions cover every byte from `from` up to `to`: a file grows
// only by the bytes its entry writes, never by a hole.
bool covers(const std::vector<Region>& regions, qint64 from, qint64 to) {
    std::vector<std::pair<qint64, qint64>> spans;
    for (const Region& r : regions)
        spans.emplace_back(r.offset, r.offset + r.now.size());
    std::sort(spans.begin(), spans.end());
    qint64 at = from;
    for (const auto& [begin, end] : spans) {
        if (begin > at)
            break;
        at = qMax(at, end);
    }
    return at >= to;
}

// Checks the entries against the files as they are: nothing is a link or
// anything but a plain file or folder, nothing is written into a file with
// another name on the disk, no file grows beyond what the entry writes nor
// past what the program makes such a file. A file whose folder is gone (or
// that was removed outside the journal) is marked to be skipped. False when
// the journal cannot be ours.
bool checkAgainstFiles(std::vector<Entry>& entries) {
    if (!inOurShape(entries))
        return false;
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
    for (size_t i = 0; i < entries.size(); ++i) {
        Entry& e = entries[i];
        bool ok = true;
        for (const QString& f : e.folders)
            ok = ok && fileLimit(relativeToDataRoot(f)).writable;
        for (const FileChange& f : e.files)
            ok = ok && writableAs(f.path, f.newSize);
        if (!ok)
            return false;
        if (e.kind == Entry::Abort || (e.kind == Entry::Commit && cancelled(entries, i)))
            continue; // never applied
        for (size_t k = 0; k < e.folders.size(); ++k) {
            const QString& f = e.folders[k];
            if (!folderThere(parentOf(f), ok)) {
                e.skipFolder[k] = true;
                continue;
            }
            struct stat st {};
            if (safeLstat(f, st) == 0)
                ok = ok && S_ISDIR(st.st_mode);
            folders.insert(f);
        }
        for (size_t k = 0; k < e.files.size(); ++k) {
            FileChange& f = e.files[k];
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
                    ok = ok && fitToPutInPlace(st, f.path, f.newSize);
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
            bool there = false;
            if (auto it = size.find(f.path); it != size.end()) {
                now = it->second;
                there = true;
            } else {
                struct stat st {};
                if (safeLstat(f.path, st) == 0) {
                    // Written in place: only a plain file of one name.
                    ok = ok && S_ISREG(st.st_mode) && st.st_nlink == 1;
                    now = st.st_size;
                    there = true;
                } else if (errno != ENOENT) {
                    ok = false;
                } else if (f.existed) {
                    f.skip = true; // removed outside the journal: nothing to put back
                    continue;
                }
            }
            if (e.kind == Entry::Undo && !f.existed) {
                // Removed again: only the file its commit made.
                ok = ok && (!there || onlyCommitBytes(f.path, entries[i - 1].files[k]));
                size[f.path] = 0;
                continue;
            }
            const FileLimit limit = fileLimit(relativeToDataRoot(f.path));
            ok = ok && (f.newSize <= now ||
                        (covers(f.regions, now, f.newSize) && limit.wholeRecords(f.newSize)));
            size[f.path] = f.newSize;
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

QString asideName() {
    const QString base = journal().path + QStringLiteral(".skadad");
    struct stat st {};
    QString name = base;
    for (int n = 2; safeLstat(name, st) == 0 || errno != ENOENT; ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

// Kept under another name for whoever wants to look at it; the user is told once.
void setAside() {
    JournalState& j = journal();
    const QString aside = asideName();
    if (safeRename(j.path, aside) != 0) {
        j.setAsidePending = true;
        j.stopText = platform::sysErrorText(errno);
    } else {
        j.setAsidePending = false;
        j.bytes = 0;
        syncDir(dataRoot());
    }
    platform::messages().show(
        QStringLiteral("En ändring som inte hann slutföras när programmet senast avslutades "
                       "kunde inte genomföras, eftersom programmets logg över pågående "
                       "ändringar är skadad eller inte kommer från programmet.\n\n") +
            (j.setAsidePending
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

} // namespace safewrite

void recoverJournal() {
    using namespace safewrite;
    JournalState& j = journal();
    if (j.path.isEmpty())
        return;
    struct stat st {};
    if (safeLstat(j.path, st) != 0) {
        if (errno != ENOENT)
            fail(errno);
        removeWholeFiles();
        return;
    }
    if (!S_ISREG(st.st_mode) || quint64(st.st_size) > kMaxJournal) {
        setAside();
        return;
    }
    Fd fd(openOrFail(j.path, O_RDONLY));
    const QByteArray bytes = readAt(fd.get(), 0, st.st_size);
    Journal decoded = decodeJournal(bytes);
    std::vector<Entry>& entries = decoded.entries;
    // A commit given up, or undone by the entry after it, does not count.
    auto counts = [&](size_t i) {
        return entries[i].kind == Entry::Commit && !cancelled(entries, i);
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
    if (decoded.damaged || !checkAgainstFiles(entries)) {
        setAside();
        return;
    }
    try {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (counts(i))
                applyEntry(entries[i], false);
            else if (entries[i].kind == Entry::Undo)
                applyUndo(entries[i]);
            else
                continue;
            j.files.entered(entries[i]);
        }
        if (!checkpointNow())
            raiseError(platform::kDeviceIo);
    } catch (const RuntimeError& e) {
        // The journal stays: the next start tries again.
        throw RuntimeError(e.text(),
                           QStringLiteral("datamappens logg över påbörjade ändringar (.journal): "
                                          "en ändring kunde inte slutföras nu, och slutförs när "
                                          "programmet startar nästa gång"));
    }
    if (safeUnlink(j.path) != 0 && errno != ENOENT)
        fail(errno);
    j.bytes = 0;
    removeWholeFiles();
}

} // namespace fyn

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

// Whether u is c's undo as earlier versions wrote it: the same folders and
// files in the same order, each going back to its old length, old bytes only
// where the commit wrote within that length.
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
// one file held in memory and so written whole), as versions before those
// wrote it: that file, back to its old bytes and length.
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

// The entries in the shapes earlier versions wrote them. A marker comes last
// of all (nothing more was written until what it stood for was put right): a
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

// Whether the commit at i is taken back by the marker after it.
bool cancelled(const std::vector<Entry>& entries, size_t i) {
    if (i + 1 >= entries.size())
        return false;
    const Entry& next = entries[i + 1];
    return next.kind == Entry::Abort || (next.kind == Entry::Undo && undoes(next, entries[i]));
}

// Whether the entry at i writes anything: a commit that stands, or an undo.
bool applies(const std::vector<Entry>& entries, size_t i) {
    const Entry::Kind kind = entries[i].kind;
    return kind == Entry::Undo || (kind == Entry::Commit && !cancelled(entries, i));
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
        if (!applies(entries, i))
            continue;
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
                // Removed again: only the file its commit made (the shape
                // check keeps such an undo right after its commit).
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

// The most a journal of this data folder can hold: a few times the files it
// stands for. The program empties it once it holds kJournalRoom times the
// files, and cuts it down at twice that, so a journal that would need more
// than this is not ours (a sparse file of gigabytes, say), and is not read.
qint64 journalBudget() {
    const QString root = dataRoot();
    qint64 files = 0;
    QStringList folders{root};
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << root + QLatin1Char('/') + name;
    for (const QString& folder : folders) {
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
            // The journal itself, and the ones set aside, stand for nothing.
            if (folder == root && f.fileName().startsWith(QStringLiteral(".journal")))
                continue;
            if (!f.isSymLink())
                files += f.size();
        }
    }
    constexpr qint64 kSlack = 1 << 20; // the entries' own bytes: names, numbers
    return kJournalHead + (2 * kJournalRoom + 2) * files + kSlack;
}

// An undo earlier versions owed: the old bytes back, each file at its old
// length, a file the commit made removed, then its folders when empty.
void applyUndo(const Entry& e) {
    for (const FileChange& f : e.files) {
        if (f.skip)
            continue;
        if (!f.existed) {
            pointStep(f.path);
            if (safeUnlink(f.path) != 0 && errno != ENOENT)
                fail(errno, f.path);
            continue;
        }
        Fd fd(openOrFail(f.path, O_WRONLY));
        for (const Region& r : f.regions)
            pointWrite(fd.get(), r.now.constData(), r.now.size(), r.offset, f.path);
        setLength(fd.get(), f.newSize, f.path);
    }
    for (size_t i = e.folders.size(); i-- > 0;) {
        if (!e.skipFolder.empty() && e.skipFolder[i])
            continue;
        pointStep(e.folders[i]);
        // Kept when something else is in it.
        if (safeRmdir(e.folders[i]) != 0 && errno != ENOENT && errno != ENOTEMPTY &&
            errno != EEXIST)
            fail(errno, e.folders[i]);
    }
}

} // namespace

bool replayJournal(bool atStart) {
    JournalState& j = journal();
    Fd fd(safeOpen(j.path, O_RDONLY));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return atStart; // nothing to replay, unless this run's entries went missing
        fail(errno, j.path);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        fail(errno, j.path);
    if (st.st_nlink != 1)
        return false;
    Journal decoded = readJournal(
        st.st_size,
        [&](qint64 offset, qint64 size) {
            countJournalRead(size);
            return readAt(fd.get(), offset, size);
        },
        journalBudget());
    if (decoded.damaged)
        return false;
    if (!atStart && (decoded.epoch != j.epoch || decoded.end < j.end))
        return false; // not what this run wrote
    std::vector<Entry>& entries = decoded.entries;
    // What came before a file was written whole is in that file already.
    std::set<QString> replacedLater;
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].kind != Entry::Commit || cancelled(entries, i))
            continue;
        for (FileChange& f : entries[i].files) {
            f.skip = f.skip || replacedLater.count(f.path) > 0;
            if (f.whole)
                replacedLater.insert(f.path);
        }
    }
    if (!checkAgainstFiles(entries))
        return false;
    if (atStart) {
        // Until it is emptied the journal stands for its entries; one of
        // earlier versions has no epoch (0, which no head of ours carries).
        j.epoch = decoded.epoch;
        j.end = decoded.end;
        j.fresh = false;
        j.named = true;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!applies(entries, i))
            continue; // given up: never applied, or its old bytes back
        if (entries[i].kind == Entry::Undo)
            applyUndo(entries[i]);
        else
            applyEntry(entries[i], false);
        j.files.entered(entries[i]);
    }
    return true;
}

namespace {

// The most names tried; a data folder with that many journals set aside holds
// no free one worth finding.
constexpr int kMostAside = 1000;

// The first free name beside the journal. Any answer but "there" or "none"
// (a failing disk, a mount whose daemon died) ends the search as the failure
// it is, and so does a search that finds no free name.
QString asideName() {
    const QString base = journal().path + QStringLiteral(".skadad");
    struct stat st {};
    for (int n = 1; n <= kMostAside; ++n) {
        const QString name = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (safeLstat(name, st) == 0)
            continue;
        if (errno != ENOENT)
            fail(errno, name);
        return name;
    }
    fail(EEXIST, base);
}

} // namespace

QString moveAside() {
    JournalState& j = journal();
    const QString aside = asideName();
    pointStep(j.path);
    if (safeRename(j.path, aside) != 0 && errno != ENOENT)
        fail(errno, j.path);
    // A journal begun anew makes the name stand, and so does the checkpoint.
    j.fresh = true;
    j.named = false;
    j.files.clear();
    j.files.folderChanged(dataRoot());
    return aside;
}

// Kept under another name for whoever wants to look at it; the user is told once.
void setAside() {
    JournalState& j = journal();
    QString aside;
    QString refused; // what the disk answered, when the journal could not be moved
    try {
        aside = moveAside();
    } catch (const RuntimeError& e) {
        refused = e.text();
        j.unsettled.emplace();
        j.unsettled->aside = true;
        j.unsettled->text = e.text();
        j.unsettled->path = e.path();
        j.unsettled->what = QStringLiteral("datamappens logg över pågående ändringar (.journal), "
                                           "som är skadad och ännu inte har kunnat flyttas undan");
    }
    platform::messages().show(
        QStringLiteral("En ändring som inte hann slutföras när programmet senast avslutades "
                       "kunde inte genomföras, eftersom programmets logg över pågående "
                       "ändringar är skadad eller inte kommer från programmet.\n\n") +
            (aside.isEmpty()
                 ? QStringLiteral("Loggen ligger kvar som '.journal' i datamappen\n") +
                       QDir::toNativeSeparators(dataRoot()) +
                       QStringLiteral("\neftersom den inte kunde flyttas undan ('") + refused +
                       QStringLiteral("'), och inget kan sparas förrän den har flyttats "
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
            fail(errno, j.path);
        removeWholeFiles();
        return;
    }
    // Not a plain file of one name: moved aside untouched, before anything
    // is written (a hard link's other name may lie outside the data folder).
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1 || quint64(st.st_size) > kMaxJournal) {
        setAside();
        return;
    }
    bool replayed = false;
    try {
        if (!replayJournal(true)) {
            setAside();
            return;
        }
        replayed = true;
        settle();
    } catch (const RuntimeError& e) {
        // Every file and folder synced, only the new head failed: nothing
        // waits, and the next entry begins the journal anew.
        if (replayed && !j.unsettled) {
            j.fresh = true;
            removeWholeFiles();
            return;
        }
        // The journal stays whole, for the next start to finish.
        if (!j.unsettled && !j.fresh)
            unsettle(e,
                     QStringLiteral("en ändring som inte hann slutföras när programmet senast "
                                    "avslutades"),
                     false);
        RuntimeError reported(e.text(),
                              QStringLiteral("datamappens logg över påbörjade ändringar "
                                             "(.journal), där en ändring från förra gången inte "
                                             "kunde slutföras nu"));
        reported.setPath(e.path());
        throw reported;
    }
    // Emptied already; a removal that does not land leaves a journal of no entries.
    if (safeUnlink(j.path) != 0 && errno != ENOENT)
        fail(errno, j.path);
    j.fresh = true;
    j.named = false;
    j.files.folderChanged(dataRoot());
    removeWholeFiles();
}

} // namespace fyn

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
        for (const QString& f : e.folders)
            ok = ok && fileLimit(relativeToDataRoot(f)).writable;
        for (const FileChange& f : e.files)
            ok = ok && writableAs(f.path, f.newSize);
        if (!ok)
            return false;
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
            if (auto it = size.find(f.path); it != size.end()) {
                now = it->second;
            } else {
                struct stat st {};
                if (safeLstat(f.path, st) == 0) {
                    // Written in place: only a plain file of one name.
                    ok = ok && S_ISREG(st.st_mode) && st.st_nlink == 1;
                    now = st.st_size;
                } else if (errno != ENOENT) {
                    ok = false;
                } else if (f.existed) {
                    f.skip = true; // removed outside the journal: nothing to put back
                    continue;
                }
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
    for (const Entry& e : entries) {
        applyEntry(e, false);
        j.files.entered(e);
    }
    return true;
}

namespace {

QString asideName() {
    const QString base = journal().path + QStringLiteral(".skadad");
    struct stat st {};
    QString name = base;
    for (int n = 2; safeLstat(name, st) == 0 || errno != ENOENT; ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace

void moveAside() {
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
}

// Kept under another name for whoever wants to look at it; the user is told once.
void setAside() {
    JournalState& j = journal();
    QString aside;
    try {
        aside = asideName();
        moveAside();
    } catch (const RuntimeError& e) {
        aside.clear();
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

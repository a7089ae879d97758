// Replay: what the journal's commits wrote is written again at the start (a
// crash may have left it half on disk). The journal is untrusted input: every
// name, length and offset is checked against the files first, and a journal
// that fails a check is set aside whole, not replayed.
#include "core/SafeWrite.h"
#include "core/SafeWriteRoads.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fyn {
namespace safewrite {

namespace {

// A file the replay puts in place: a plain file of the size its entry says,
// within what the program keeps for a file, and linked nowhere else (a hard
// link could lead to a file outside the data folder, which every later edit
// would then write into).
bool fitToPutInPlace(const struct stat& st, qint64 size) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size == size && size <= kMaxFileBytes;
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
                    ok = ok && fitToPutInPlace(st, f.newSize);
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
        return entries[i].kind == Entry::Commit &&
               !(i + 1 < entries.size() && entries[i + 1].kind != Entry::Commit);
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
    if (safeUnlink(j.path) != 0 && errno != ENOENT)
        fail(errno);
    j.bytes = 0;
    removeWholeFiles();
}

} // namespace fyn

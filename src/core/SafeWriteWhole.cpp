// The whole-file road: a file mostly rewritten is written once, whole, into a
// new file beside the old one, which it then replaces. Named by an entry, or
// standing alone when the journal holds nothing for the file.
#include "core/SafeWriteRoads.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"

#include <QDir>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn::safewrite {

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

// When an entry will name the file, its folder is synced too, so that the
// entry never names a file a crash can take away.
void writeWhole(const FileChange& f, bool named) {
    const QString made = wholeFile(f.path, f.wholeId);
    try {
        Fd fd(openOrFail(made, O_WRONLY | O_CREAT | O_TRUNC));
        (void)::fchmod(fd.get(), f.mode);
        pointWriteVector(fd.get(), wholePieces(f, f.oldSize), f.newSize, 0, made);
        syncFile(fd.get(), made);
        if (named)
            syncFolderOrFail(parentOf(made));
    } catch (const RuntimeError&) {
        (void)safeUnlink(made);
        throw;
    }
}

bool standsAlone(const Entry& e) {
    return e.folders.empty() && e.files.size() == 1 && e.files[0].whole &&
           !journal().files.journalHolds(e.files[0].path);
}

// The new file taking the old one's place is the commit, made to stand by
// syncing their folder; no entry is needed.
void replaceAlone(Entry& entry) {
    JournalState& j = journal();
    FileChange& f = entry.files[0];
    const QString made = wholeFile(f.path, f.wholeId);
    writeWhole(f, false);
    Fd old(safeOpen(f.path, O_RDONLY));
    try {
        pointStep(f.path);
        if (safeRename(made, f.path) != 0)
            fail(errno, f.path);
    } catch (const RuntimeError&) {
        (void)safeUnlink(made);
        throw;
    }
    j.files.replacedAlone(f.path, f.newSize);
    for (const Region& r : f.regions)
        countDataBytes(r.now.size());
    releaseLater(old.release(), f.oldSize);
    try {
        syncFolderOrFail(parentOf(f.path));
    } catch (const RuntimeError& e) {
        // The new file is in its place, whole, but the name may not be on
        // disk: its folder's sync is done before anything more, and a power
        // cut before then may bring the old file back.
        j.files.folderChanged(parentOf(f.path));
        bool settings = false;
        unsettle(e, describeChange(entry, settings), settings);
        tellUncertain(entry, e);
    }
}

quint64 nextWholeId() {
    static quint64 id = 0;
    if (id == 0) {
        std::random_device random;
        id = quint64(random()) << 32 | random();
    }
    return ++id;
}

// A crash came before their entry, or they were named by entries that have
// been replayed.
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

} // namespace fyn::safewrite

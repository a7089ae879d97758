// Back again: a commit whose files could not be written is undone from its old
// bytes and cut off the journal. Until both are done nothing more is written
// and no file it touched is read, and the journal says that the commit was
// given up: a start after the program ended must not bring it back.
#include "core/SafeWrite.h"
#include "core/SafeWriteRoads.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteJournal.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {
namespace safewrite {

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
            setLength(fd.get(), f.oldSize);
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

// With its own copy of the old bytes: memory may change before then.
void keepForLaterUndo(const Entry& entry) {
    JournalState& j = journal();
    j.pendingUndo = entry;
    for (FileChange& f : j.pendingUndo->files) {
        f.known = nullptr;
        for (Region& r : f.regions)
            r.was = QByteArray(r.was.constData(), r.was.size());
    }
}

namespace {

// Tells the journal, after what stands in it now, that the failed commit does
// not count: a start replays the marker instead. On a disk that takes nothing
// at all it cannot be written, and the journal keeps the commit whole; that
// is still a state the files held, never a mix.
void markGivenUp(const Entry& marker, qint64 cutTo) {
    JournalState& j = journal();
    if (j.bytes == 0) {
        // No entry of this run yet (a commit that stood alone): the marker
        // opens the journal.
        j.epoch = freshEpoch();
        try {
            (void)appendEntry(encodeEntry(marker, j.epoch));
            j.files.entered(marker);
        } catch (const RuntimeError&) {
        }
    } else {
        const EncodedEntry bytes = encodeEntry(marker, j.epoch);
        if (writeMarker(bytes, j.bytes)) {
            j.bytes += bytes.size();
            j.files.entered(marker);
        }
    }
    // The marker comes off with the commit once the old bytes are back.
    j.cutBackTo = cutTo;
}

} // namespace

void giveUp(const Entry& entry, qint64 at, const QString& why) {
    JournalState& j = journal();
    if (undoEntry(entry)) {
        if (!cutBack(at)) {
            Entry abort;
            abort.kind = Entry::Abort;
            markGivenUp(abort, at);
        }
    } else {
        keepForLaterUndo(entry);
        markGivenUp(undoEntryOf(*j.pendingUndo), at);
    }
    j.stopText = why;
}

void giveUpAlone(Entry& entry, const QString& why) {
    JournalState& j = journal();
    if (!undoEntry(entry)) {
        keepForLaterUndo(entry);
        markGivenUp(undoEntryOf(*j.pendingUndo), j.bytes);
    }
    j.stopText = why;
}

void makeWritable() {
    JournalState& j = journal();
    if (j.pendingUndo) {
        if (!undoEntry(*j.pendingUndo))
            raiseError(j.stopText);
        j.pendingUndo.reset();
    }
    if (j.cutBackTo) {
        if (!cutBack(*j.cutBackTo))
            raiseError(j.stopText);
        j.cutBackTo.reset();
    }
    if (j.setAsidePending) {
        struct stat st {};
        if (safeLstat(j.path, st) == 0 && safeRename(j.path, asideName()) != 0)
            raiseError(j.stopText);
        j.setAsidePending = false;
        j.bytes = 0;
    }
}

void applyUndo(const Entry& e) {
    for (const FileChange& f : e.files) {
        if (f.skip)
            continue;
        pointStep();
        if (!f.existed) {
            if (safeUnlink(f.path) != 0 && errno != ENOENT)
                fail(errno);
            continue;
        }
        Fd fd(openOrFail(f.path, O_WRONLY));
        for (const Region& r : f.regions)
            pointWrite(fd.get(), r.now.constData(), r.now.size(), r.offset);
        setLength(fd.get(), f.newSize);
    }
    for (size_t i = e.folders.size(); i-- > 0;)
        if (e.skipFolder.empty() || !e.skipFolder[i])
            (void)safeRmdir(e.folders[i]); // kept when something else is in it
}

} // namespace safewrite

void settleBeforeReading(const QString& path) {
    safewrite::JournalState& j = safewrite::journal();
    if (!j.pendingUndo)
        return;
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    bool named = false;
    for (const safewrite::FileChange& f : j.pendingUndo->files)
        named = named || QDir::cleanPath(f.path) == file;
    if (!named)
        return;
    if (!safewrite::undoEntry(*j.pendingUndo))
        throw RuntimeError(
            j.stopText, QFileInfo(path).fileName() +
                            QStringLiteral(", där en ändring som misslyckades ännu inte har kunnat "
                                           "tas tillbaka. Filen läses inte förrän det är gjort: "
                                           "frigör utrymme på disken eller åtgärda felet, och "
                                           "försök sedan igen"));
    j.pendingUndo.reset();
}

} // namespace fyn

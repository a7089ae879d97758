// Back again: a commit whose files could not be written is undone from its old
// bytes and cut off the journal. Until both are done nothing more is written
// and no file it touched is read, and the journal says that the commit was
// given up: a start after the program ended must not bring it back. Where the
// journal cannot be told (a disk with no room left for a byte), the commit
// stands there all the same, so it is finished instead, and the user is told
// that it will be.
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
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {
namespace safewrite {

bool undoEntry(const Entry& e) {
    bool all = true;
    for (const FileChange& f : e.files) {
        // A file written whole takes its place last of all: a commit that
        // failed never got that far, and the old file is still there.
        if (f.whole)
            continue;
        try {
            pointStep();
            if (!f.existed) {
                if (safeUnlink(f.path) != 0 && errno != ENOENT)
                    fail(errno);
                continue;
            }
            Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
            for (const Region& r : f.regions)
                writeAll(fd.get(), r.was.constData(), r.was.size(), r.offset);
            setLength(fd.get(), f.oldSize);
            if (!syncData(fd.get()))
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

namespace {

// The copy a pending step keeps: memory may change before it is taken.
Entry ownCopy(const Entry& entry, bool keepOld) {
    Entry copy = entry;
    for (FileChange& f : copy.files) {
        f.known = nullptr;
        if (f.whole && !keepOld) {
            f.regions.clear(); // its new file holds them
            continue;
        }
        // An undo needs the old bytes, a finish the new ones.
        for (Region& r : f.regions) {
            r.now = keepOld ? QByteArray() : QByteArray(r.now.constData(), r.now.size());
            r.was = keepOld ? QByteArray(r.was.constData(), r.was.size()) : QByteArray();
        }
    }
    return copy;
}

// The new files of a commit given up, written whole, that never took their place.
void removeNewFiles(const Entry& entry) {
    for (const FileChange& f : entry.files)
        if (f.whole)
            (void)safeUnlink(wholeFile(f.path, f.wholeId));
}

// Tells the journal, after the failed commit, that it does not count: a start
// replays the marker instead. True when the marker is in the journal.
bool markGivenUp(const Entry& marker, qint64 cutTo) {
    JournalState& j = journal();
    const EncodedEntry bytes = encodeEntry(marker, j.epoch);
    if (!writeMarker(bytes, j.bytes))
        return false;
    j.bytes += bytes.size();
    j.files.entered(marker);
    // The marker comes off with the commit once the old bytes are back.
    j.cutBackTo = cutTo;
    return true;
}

QString finishLaterText(const QString& why) {
    const QString rest =
        QStringLiteral("\n\nTills dess sparas inget mer, och filerna som ändringen gäller "
                       "läses inte.");
    if (why == platform::kDiskFull)
        return QStringLiteral("Disken är full. Ändringen är påbörjad och slutförs när det finns "
                              "plats, senast när programmet startar nästa gång.") +
               rest + QStringLiteral(" Frigör utrymme på disken !");
    return QStringLiteral("Ändringen är påbörjad men kunde inte skrivas färdigt ('") + why +
           QStringLiteral("'). Den slutförs när felet är åtgärdat, senast när programmet startar "
                          "nästa gång.") +
           rest;
}

} // namespace

void keepForLaterUndo(const Entry& entry) {
    journal().pendingUndo = ownCopy(entry, true);
}

void finishLater(const Entry& entry, bool alone, std::optional<qint64> entryAt) {
    JournalState& j = journal();
    j.pendingFinish = PendingFinish{ownCopy(entry, false), alone, entryAt};
    platform::messages().show(finishLaterText(j.stopText), platform::Buttons::Ok,
                              platform::Icon::Warning, QStringLiteral("Ändringen slutförs senare"));
}

bool giveUp(const Entry& entry, qint64 at, const QString& why) {
    JournalState& j = journal();
    j.stopText = why;
    if (undoEntry(entry)) {
        Entry abort;
        abort.kind = Entry::Abort;
        if (cutBack(at) != Cut::Failed || markGivenUp(abort, at)) {
            removeNewFiles(entry);
            return true;
        }
    } else {
        keepForLaterUndo(entry);
        if (markGivenUp(undoEntryOf(*j.pendingUndo), at)) {
            removeNewFiles(entry);
            return true;
        }
        j.pendingUndo.reset();
    }
    // The journal keeps the commit whole, and a start would bring it back:
    // it is finished instead, and the user is told so.
    finishLater(entry, false, std::nullopt);
    return false;
}

void finishPending() {
    JournalState& j = journal();
    PendingFinish& f = *j.pendingFinish;
    if (f.alone) {
        syncDirOrFail(parentOf(f.entry.files.at(0).path));
    } else {
        if (f.entryAt) {
            writeEntryAt(encodeEntry(f.entry, j.epoch), *f.entryAt);
            f.entryAt.reset();
            j.files.entered(f.entry);
        }
        // Not counted: a new file that took its place already is no error.
        applyEntry(f.entry, false);
    }
    j.pendingFinish.reset();
}

void makeWritable() {
    JournalState& j = journal();
    if (j.pendingFinish) {
        try {
            finishPending();
        } catch (const RuntimeError& e) {
            throw RuntimeError(e.text(), QStringLiteral("en påbörjad ändring, som ännu inte har "
                                                        "kunnat slutföras"));
        }
    }
    if (j.pendingUndo) {
        if (!undoEntry(*j.pendingUndo))
            raiseError(j.stopText);
        j.pendingUndo.reset();
    }
    if (j.cutBackTo) {
        if (cutBack(*j.cutBackTo) != Cut::Done)
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
    using namespace safewrite;
    JournalState& j = journal();
    const Entry* pending = j.pendingFinish ? &j.pendingFinish->entry
                           : j.pendingUndo ? &*j.pendingUndo
                                           : nullptr;
    if (!pending)
        return;
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    bool named = false;
    for (const FileChange& f : pending->files)
        named = named || QDir::cleanPath(f.path) == file;
    if (!named)
        return;
    try {
        if (j.pendingFinish)
            finishPending();
        else if (undoEntry(*j.pendingUndo))
            j.pendingUndo.reset();
        else
            raiseError(j.stopText);
    } catch (const RuntimeError& e) {
        const QString what =
            j.pendingFinish
                ? QStringLiteral(", där en påbörjad ändring ännu inte har kunnat slutföras")
                : QStringLiteral(", där en ändring som misslyckades ännu inte har kunnat "
                                 "tas tillbaka");
        throw RuntimeError(e.text(), QFileInfo(path).fileName() + what +
                                         QStringLiteral(". Filen läses inte förrän det är gjort: "
                                                        "frigör utrymme på disken eller åtgärda "
                                                        "felet, och försök sedan igen"));
    }
}

} // namespace fyn

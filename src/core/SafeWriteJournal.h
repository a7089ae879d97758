#pragma once
// The journal file and what it stands for: where the next entry goes, its
// epoch, the files its entries of this epoch wrote or replaced, and what a
// failed commit left to put right before anything more is written.
#include "core/SafeWriteFormat.h"

#include <QString>
#include <map>
#include <optional>
#include <set>

namespace fyn::safewrite {

// Every file the journal has written or replaced since it was last emptied,
// whichever road the write took. A commit through the journal reports its
// entry once the entry is synced, a replay every entry it replays, and a file
// written whole past the journal reports itself: what a later commit may do,
// and what a checkpoint syncs, is read from here alone.
class EpochFiles {
public:
    // An entry of this epoch: its files and folders.
    void entered(const Entry& e);
    // A new file took the place of path without an entry.
    void replacedAlone(const QString& path, qint64 newSize);

    // Whether an entry of this epoch writes to the file or replaces it: a new
    // file put in its place past the journal would then be written over by a
    // replay of those entries, so it must go through the journal too.
    bool journalHolds(const QString& path) const;
    // Files written in place, which a checkpoint syncs.
    const std::set<QString>& unsyncedFiles() const { return unsynced_; }
    // Folders whose names changed (a file made, put in place, a folder made).
    const std::set<QString>& unsyncedFolders() const { return unsyncedFolders_; }
    // The bytes of the files the journal has stood for since the start: it
    // must not outgrow a few times them.
    qint64 filesBytes() const;

    // The journal moved to the next epoch, every file synced.
    void emptied();
    // Another journal (another data folder, or a new start).
    void clear();

private:
    std::set<QString> held_;
    std::set<QString> unsynced_;
    std::set<QString> unsyncedFolders_;
    std::map<QString, qint64> sizes_;
};

// A commit that stands (its entry synced, or its new file in place) but whose
// files could not all be written, and that could not be given up either: it
// is finished before anything more is written or any of its files is read,
// and a start finishes it too.
struct PendingFinish {
    Entry entry; // with its own copy of the new bytes
    // A new file put in place without an entry: only its folder's sync is left.
    bool alone = false;
    // The entry's bytes are in the journal but their sync failed: they are
    // written there again and synced before the files are.
    std::optional<qint64> entryAt;
};

struct JournalState {
    QString path;
    // Where the next entry goes; 0 while the journal has no head of this run.
    qint64 bytes = 0;
    quint64 epoch = 0;
    EpochFiles files;
    // What must be put right before anything more is written.
    std::optional<Entry> pendingUndo; // a failed commit whose old bytes are not back
    std::optional<PendingFinish> pendingFinish;
    std::optional<qint64> cutBackTo;  // the journal's length before a failed entry
    std::optional<qint64> mayStandAt; // where the last entry that failed may stand
    bool setAsidePending = false;     // a damaged journal still in its place
    QString stopText;                 // what the failure said
};

JournalState& journal();

// A random epoch for a journal begun anew.
quint64 freshEpoch();
// Appends an entry to the journal and syncs it; returns where it begins. A
// journal that could not take the entry is cut back: nothing happened. When
// it can be neither cut back nor told that the entry does not count, while
// the entry's bytes are all in it, the entry may stand: mayStandAt then says
// where it begins, and the caller must finish the commit.
qint64 appendEntry(const EncodedEntry& entry);
// Writes an entry at at (with the journal's head before it when at is 0) and
// syncs it: a RuntimeError when that fails.
void writeEntryAt(const EncodedEntry& entry, qint64 at);
// Writes a marker (a commit given up, or its undo) at at and syncs it. True
// when its bytes are all in the journal, even if their sync failed: a start
// then finds it, unless the power fails first. A torn marker is never replayed.
bool writeMarker(const EncodedEntry& marker, qint64 at);
// Cuts the journal back to length and syncs it; shrinking needs no new space.
// Done, or cut but not synced yet (the cut is then tried again before
// anything more is written: cutBackTo), or not cut at all.
enum class Cut { Done, Unsynced, Failed };
Cut cutBack(qint64 length);
// Empties the journal: the next epoch's head goes over the old one. After a
// failure at or past the head's write the head on disk is not known: the next
// entry then begins the journal anew, with a head of its own.
bool nextEpoch();
// Syncs every file written since the last checkpoint, then empties the
// journal. The journal stays whole unless every file is on disk.
bool checkpointNow();

// Whether a failed commit has left something to put right.
bool stopped();

} // namespace fyn::safewrite

#pragma once
// The journal file and what it stands for: where the next entry goes, its
// epoch, the files its entries of this epoch wrote or replaced, and the one
// state a failed step leaves: what waits to be put right, and why.
#include "core/Errors.h"
#include "core/SafeWriteFormat.h"

#include <QString>
#include <map>
#include <optional>
#include <set>

namespace fyn::safewrite {

// Every file the journal has written or replaced since it was last emptied,
// whichever road the write took, and every folder whose names changed. A
// commit through the journal reports its entry once the entry is written, a
// replay every entry it replays, and a file written whole past the journal
// reports itself: what a later commit may do, what a checkpoint syncs, and
// what is not read while a failure waits, is read from here alone.
class EpochFiles {
public:
    // An entry of this epoch: its files and folders.
    void entered(const Entry& e);
    // A new file took the place of path without an entry.
    void replacedAlone(const QString& path, qint64 newSize);
    // A name in the folder was made, changed or removed outside an entry.
    void folderChanged(const QString& dir);

    // Whether an entry of this epoch writes to the file or replaces it: a new
    // file put in its place past the journal would then be written over by a
    // replay of those entries, so it must go through the journal too.
    bool journalHolds(const QString& path) const;
    // Files written in place, which a checkpoint syncs.
    const std::set<QString>& unsyncedFiles() const { return unsynced_; }
    // Folders whose names changed, which a checkpoint syncs.
    const std::set<QString>& unsyncedFolders() const { return unsyncedFolders_; }
    // The bytes of the files the journal has stood for since the start: it
    // must not outgrow a few times them.
    qint64 filesBytes() const;

    // The journal moved to the next epoch, every file and folder synced.
    void emptied();
    // Another journal (another data folder, or a new start).
    void clear();

private:
    std::set<QString> held_;
    std::set<QString> unsynced_;
    std::set<QString> unsyncedFolders_;
    std::map<QString, qint64> sizes_;
};

// What a failed step left: until it is put right nothing more is written, and
// no file the journal holds is read (its bytes may not be what the program
// wrote). The one road out is the road a start takes (settle()).
struct Unsettled {
    // What failed last, as the system said it, and the file or folder it refused.
    QString text;
    QString path;
    // What waits, in the user's words ("ändringen i kontot 'Hem' (posterna)"),
    // and whether that is only the program's own settings.
    QString what;
    bool settingsOnly = false;
    // An entry whose bytes may not be on disk (its sync failed, and it could
    // not be cut off either): written again from here, at at, and synced,
    // before anything else; with the journal's head when at is 0.
    std::optional<std::pair<qint64, QByteArray>> entry;
    // A journal that is not ours, still in its place: moved aside first.
    bool aside = false;
};

struct JournalState {
    QString path;
    // The next entry begins the journal anew (cut to nothing, a head of its
    // own): nothing in the journal on disk is needed, every file it stood for
    // being synced, or the head on disk not known.
    bool fresh = true;
    qint64 end = 0; // where the next entry goes, when not fresh
    quint64 epoch = 0;
    // The journal's name is on disk: it was there at the start, or its
    // folder was synced once it was made. Until then no entry in it stands.
    bool named = false;
    EpochFiles files;
    std::optional<Unsettled> unsettled;
};

JournalState& journal();

// A random epoch for a journal begun anew.
quint64 freshEpoch();

// The journal opened for writing: only a plain file of one name (a hard link
// may lead out of the data folder, and a cut would land there).
int openJournal(int flags);

// Reserves the entry's room, writes it (after the journal's head when the
// journal begins anew) and syncs it; at is where it begins. A RuntimeError
// when it could not, and nothing of it can come back: the journal is cut
// back, or the entry was never whole. The error of its sync when it was
// written but that sync failed, and it could not be cut off again either: it
// may be on disk or not, and must be written again before anything else.
std::optional<RuntimeError> appendEntry(const EncodedEntry& entry, qint64& at);
// The entry's bytes as written at at, head and all: a copy of its own.
QByteArray entryBytes(const EncodedEntry& entry, qint64 at);

// Empties the journal: the next epoch's head goes over the old one, and the
// entries before it no longer count. Every file the old entries wrote must
// be synced before. A RuntimeError when the head could not be written and
// synced; the next entry then begins the journal anew.
void nextEpoch();

// The road a start takes, and the one road out of a failure: a journal not
// ours moved aside, an entry whose sync failed written again, the journal's
// entries written again from its own bytes (after a failure: a sync that
// failed may have lost them, even where a later one succeeds), then every
// file synced, every folder, then the head. A RuntimeError (what failed, the
// file named) when a step fails: the state stays, with that failure.
void settle();

// settle() where what waits must be put right before anything goes on: a
// failure that leaves it waiting is thrown as a refusal that names it, with
// the words before and after.
void settleOrRefuse(const QString& before, const QString& after);

// The failure a step left: the state to be put right, with its reason.
void unsettle(const RuntimeError& e, const QString& what, bool settingsOnly);

// What an entry changes, in the user's words; settingsOnly when that is only
// the program's own settings (the last account, the window positions).
QString describeChange(const Entry& e, bool& settingsOnly);

// Writes again every entry of the journal on disk (the journal's epoch, read
// back a piece at a time within what the program ever writes), each checked
// against the files first; every entry replayed is entered. False when the
// journal is not ours: damaged, too large, or not matching the files, or (not
// at the start) not what this run wrote.
bool replayJournal(bool atStart);

} // namespace fyn::safewrite

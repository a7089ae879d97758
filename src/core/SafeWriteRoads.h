#pragma once
// The roads a commit's bytes take to the files: through the journal (applied
// once the entry stands), whole into a new file that takes the old one's
// place, and back again when writing them failed (the undo).
#include "core/SafeWriteFormat.h"

#include <optional>
#include <vector>

namespace fyn::safewrite {

// ---- Through the journal (SafeWriteApply.cpp) ---------------------------------

// Writes an entry's new state (counted: a commit of this run, not a replay).
// Files are not synced here. A file written whole takes its place last, so
// that a failure before leaves it where it was.
void applyEntry(const Entry& e, bool counted);

// ---- Whole into a new file (SafeWriteWhole.cpp) ----------------------------------

// The pieces of a file's new bytes: the regions, and between them the old
// bytes kept. Empty when some of it is not in memory.
std::vector<iovec> wholePieces(const FileChange& f, qint64 knownSize);
// Writes a file's new bytes whole into its new file and syncs it; when an
// entry will name the file, its folder too. A failure leaves no new file behind.
void writeWhole(const FileChange& f, bool named);
// Whether a commit is one file written whole that no entry of this epoch
// holds: the new file taking the old one's place is then the commit itself.
bool standsAlone(const Entry& e);
void replaceAlone(Entry& entry);
quint64 nextWholeId();
// Files written whole that never took their place.
void removeWholeFiles();

// ---- Back again (SafeWriteUndo.cpp) ----------------------------------------------

// Puts the old bytes back; a file the commit created is removed, then its
// folders. Goes on past a file it cannot restore and returns false then.
bool undoEntry(const Entry& e);
// A commit whose files could not be written after its entry (at) stood: its
// old bytes go back and the entry comes off the journal again. What cannot be
// done now waits, and nothing more is written until it is done; meanwhile the
// journal is told, so that a start after the program ends does not bring the
// failed commit back. True when so given up; false when the journal could not
// be told, and the commit is to be finished instead (finishLater).
bool giveUp(const Entry& entry, qint64 at, const QString& why);
// Keeps a failed commit for a later undo, with its own copy of the old bytes.
void keepForLaterUndo(const Entry& entry);
// A commit that stands but whose files are not all written: it is finished
// before anything more is written or read, and the user is told so now.
void finishLater(const Entry& entry, bool alone, std::optional<qint64> entryAt);
// Finishes it; a RuntimeError while that cannot be done.
void finishPending();
// Puts right what a failed commit left, or says why nothing can be written.
void makeWritable();
// Replays the undo of a commit given up (Entry::Undo).
void applyUndo(const Entry& e);

// ---- Replay (SafeWriteReplay.cpp) -------------------------------------------------

// A journal that is not ours, or damaged, is kept under another name.
void setAside();
QString asideName();

} // namespace fyn::safewrite

#pragma once
// The roads a commit's bytes take to the files: through the journal (applied
// once the entry stands), whole into a new file that takes the old one's
// place; what the user is told when a commit stands but is not finished; and
// a journal that is not ours, moved aside.
#include "core/SafeWriteFormat.h"

#include <vector>

namespace fyn {
class RuntimeError;
}

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

// ---- A commit that stands but is not finished (SafeWriteSettle.cpp) ----------------

// Its entry is synced, but its files could not all be written: it is
// finished before anything more is written or its files are read, and at the
// latest by the next start. The user is told so, and what it is.
void tellFinishLater(const Entry& entry, const RuntimeError& why);
// Neither its entry nor the cut that takes it back could be synced (or the
// folder of its new file): it is written again and finished as soon as the
// disk takes it, but a power cut before then may lose it.
void tellUncertain(const Entry& entry, const RuntimeError& why);

// ---- Replay (SafeWriteReplay.cpp) -------------------------------------------------

// A journal that is not ours, or damaged, is kept under another name; the
// user is told once. Where that cannot be done, nothing is written until it is.
void setAside();
// The move itself, to the name it returns; a RuntimeError when it fails.
QString moveAside();

} // namespace fyn::safewrite

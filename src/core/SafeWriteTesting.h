#pragma once
// Crash injection for the tests of SafeWrite: every write point counts, and the
// armed one stops the commit dead, as a power cut would.
#include <set>

namespace fyn::safewrite_testing {

// Not a std::exception: no handler of the program catches it.
struct Crash {};

// Crash at write point n (0-based) of what follows; torn: a data or journal write
// at that point puts only half its bytes first. -1 disarms.
void armCrash(int n, bool torn);
// The given points fail with errnoValue (a disk that fills, a device that stops
// answering); a write there puts half its bytes first. from >= 0: every point
// from there on fails too.
void armFailure(std::set<int> points, int errnoValue, int from = -1);
// Write points passed since the last armCrash or armFailure.
int pointsPassed();

// The data bytes (not the journal's) that the last commit changed.
long long lastCommitDataBytes();
// The journal's bytes read since the program started (replays).
long long journalBytesRead();

// From which size a file mostly rewritten is written whole into a new file;
// -1: as the program does.
void replaceWholeFrom(long long bytes);

// Waits until the old files that whole rewrites replaced have been given
// back (that is done beside the program's work, not in it).
void waitForReleases();

} // namespace fyn::safewrite_testing

#pragma once
// Crash injection for the tests of SafeWrite: every write point counts, and the
// armed one stops the commit dead, as a power cut would.
namespace fyn::safewrite_testing {

// Not a std::exception: no handler of the program catches it.
struct Crash {};

// Crash at write point n (0-based) of what follows; torn: a data or journal write
// at that point puts only half its bytes first. -1 disarms.
void armCrash(int n, bool torn);
// Write points passed since the last armCrash.
int pointsPassed();

// The data bytes (not the journal's) that the last commit wrote.
long long lastCommitDataBytes();

} // namespace fyn::safewrite_testing

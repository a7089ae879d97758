#pragma once
// Crash injection for the tests of backup and restore: every step that leaves
// something on a drive or in the data folder passes a point, and the armed
// one stops the operation dead, as a power cut or a pulled stick would.
namespace fyn::backup_testing {

// Not a std::exception: no handler of the program catches it.
struct Crash {};

// Crash at point n (0-based) of what follows; -1 disarms.
void armCrash(int n);
// Points passed since the last armCrash.
int pointsPassed();

} // namespace fyn::backup_testing

#pragma once
// Work over many records shared among the machine's cores. An edit of a large
// posting file touches every later record in the same way (a balance moved by
// the same amount); those records do not depend on each other, so pieces of
// them are built side by side. Small ranges stay on the calling thread.
#include <exception>
#include <functional>
#include <vector>

namespace fyn::ledger {

// How many pieces count records are cut into (1 for a small range).
int piecesFor(long count);

// Runs work(piece, first, end) for each piece of [0, count), pieces in order
// of first, and waits for all. An exception in a piece is rethrown once all
// have ended: the one of the earliest piece, as a run in one go would have met
// it first.
void inPieces(long count, int pieces, const std::function<void(int, long, long)>& work);

// The same pieces but the last, which a first pass of two often has no use
// for (nothing comes after it): one thread fewer to start.
void inPiecesButLast(long count, int pieces, const std::function<void(int, long, long)>& work);

} // namespace fyn::ledger

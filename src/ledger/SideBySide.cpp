#include "ledger/SideBySide.h"

#include <algorithm>
#include <thread>

namespace fyn::ledger {

namespace {
// Below this a piece costs more to start than it saves.
constexpr long kMinPiece = 2048;
} // namespace

int piecesFor(long count) {
    static const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    // Two halves do not pay for the thread that one of them needs: its start
    // and the wait for it cost about what it saves.
    const long pieces = count / kMinPiece;
    return pieces < 3 || cores < 3 ? 1 : int(std::min<long>(pieces, cores));
}

void inPieces(long count, int pieces, const std::function<void(int, long, long)>& work) {
    if (pieces <= 1) {
        work(0, 0, count);
        return;
    }
    std::vector<std::exception_ptr> errors(static_cast<size_t>(pieces));
    auto run = [&](int p) {
        const long first = count * p / pieces;
        const long end = count * (p + 1) / pieces;
        try {
            work(p, first, end);
        } catch (...) {
            errors[size_t(p)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(size_t(pieces - 1));
    for (int p = 1; p < pieces; ++p)
        threads.emplace_back(run, p);
    run(0);
    for (std::thread& t : threads)
        t.join();
    for (const std::exception_ptr& e : errors)
        if (e)
            std::rethrow_exception(e);
}

void inPiecesButLast(long count, int pieces, const std::function<void(int, long, long)>& work) {
    inPieces(pieces - 1, pieces - 1, [&](int, long first, long end) {
        for (long p = first; p < end; ++p)
            work(int(p), count * p / pieces, count * (p + 1) / pieces);
    });
}

} // namespace fyn::ledger

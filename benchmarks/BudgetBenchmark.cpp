// Speed of the budgeting dialog's posting run: twelve months posted into a
// budget account of 1 000 to 1 000 000 postings, with the months before every
// posting (each later record moves) or after the last one, set against the
// floor: writing the bytes the run changed once, into a new file, with one
// fdatasync, timed right after it in the same iteration. ratio = median run /
// median floor.
//
//   cmake -S . -B build-bench -G Ninja -DFYN_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target budget_benchmark
//   build-bench/benchmarks/budget_benchmark
#include "BenchSupport.h"

#include "budget/Generator.h"
#include "core/SafeWrite.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace fyn;
using namespace fyn::bench;

namespace {

// Twelve months of an expense, paid on the 15th of a year before or after
// every posting of the file (1990-2026).
budget::Plan yearPlan(int year) {
    budget::MonthList list;
    for (int m = 1; m <= 12; ++m) {
        list[size_t(m)][1] = QStringLiteral("15");
        list[size_t(m)][2] = QStringLiteral("-1000");
    }
    return budget::planFrom(list, year, 3, kToday);
}

void run(benchmark::State& state, int year) {
    const long n = state.range(0);
    const auto scratch = std::make_unique<Scratch>(); // its own journal
    setJournalPath(scratch->path(".journal"));
    const QString data = scratch->path("KontoData");
    const QByteArray start = cachedPostingFile(ledger::Kind::Budget, n);
    const budget::Plan plan = yearPlan(year);
    Timings runs, floors;
    for (auto _ : state) {
        writeSynced(data, start);
        ledger::PostingFile f;
        f.open(data, ledger::Kind::Budget);
        if (!timeEdit(
                state, *scratch, runs, floors, [&] { return budget::postPlan(f, n, plan).ok(); },
                "the run was refused"))
            break;
    }
    finish(state, runs, floors);
}

void registerAll() {
    for (const auto& [where, year] : {std::pair{"front", 1989}, std::pair{"end", 2027}})
        for (long n : {1000L, 10000L, 100000L, 1000000L})
            registerTimed(std::string("budget/year_") + where, n, iterationsFor(n),
                          [year = year](benchmark::State& s) { run(s, year); });
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    return runRegistered(argc, argv);
}

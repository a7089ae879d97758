#pragma once
// What the benchmarks share: scratch folders, posting files of a given size,
// timings with their minimum and median, and the floor an edit is set against.
#include "ledger/PostingFile.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace fyn::bench {

inline constexpr long kSizes[] = {1000, 10000, 100000, 1000000};
inline const QString kToday = QStringLiteral("2026-12-10");

inline int iterationsFor(long n) {
    return n >= 1000000 ? 9 : 11;
}

// A benchmark of n postings, timed by hand, in milliseconds, over a fixed
// number of iterations.
void registerTimed(const std::string& name, long n, int iterations,
                   const std::function<void(benchmark::State&)>& body);
// Runs what the command line picks of the registered benchmarks.
int runRegistered(int argc, char** argv);

class Scratch {
public:
    Scratch();
    QString path(const char* name) const;
    QString root() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// n postings spread evenly from 1990-01-01 to 2026-12-01. Record 1 opens the
// account; then every tenth posting is neutral ("Övrigt", TransRef 4), the
// others alternate expense (3, odd records) and income (2). Every posting
// carries subtransaction 1; budget postings are confirmed.
const QByteArray& cachedPostingFile(ledger::Kind kind, long n);
// Transakt for those references.
QByteArray transaktFile();

// The data folder of Module1.BaseFolder holding the one account name of n
// postings (a budget account with a learnt template), current in KontoIni.
void writeDataFolder(const QString& name, ledger::Kind kind, long n);

// Writes the file whole and syncs it.
void writeSynced(const QString& path, const QByteArray& bytes);

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

class Timings {
public:
    void add(double seconds) { values_.push_back(seconds); }
    double min() const;
    double median() const;
    double mean() const;
    bool empty() const { return values_.empty(); }

private:
    std::vector<double> values_;
};

// Writing bytes into a new file of the scratch folder with one fdatasync.
double floorSeconds(const Scratch& scratch, long long bytes);

// min_ms, med_ms and, with floors, floor_min_ms, floor_med_ms and ratio.
void report(benchmark::State& state, const Timings& edits, const Timings& floors = {});

// Times one iteration's edit (false: it was refused), then the floor of the
// bytes it changed. False when refused: the benchmark is stopped with why.
bool timeEdit(benchmark::State& state, const Scratch& scratch, Timings& edits, Timings& floors,
              const std::function<bool()>& edit, const char* refused);
// The report, the megabytes the last edit changed, and no journal any more.
void finish(benchmark::State& state, const Timings& edits, const Timings& floors);

} // namespace fyn::bench

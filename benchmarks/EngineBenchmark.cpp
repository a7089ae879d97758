// Speed of the posting engine on posting files of 1 000, 10 000 and 100 000
// postings of each kind. Each edit is also set against the cost of writing the
// bytes it changes once with one sync ("ratio"): the journal, the balance
// arithmetic and the checks are what the edit costs beyond that.
//
//   cmake -S . -B build-bench -DFYN_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target engine_benchmark
//   build-bench/benchmarks/engine_benchmark
#include "core/Records.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "ledger/Engine.h"
#include "ledger/PostingFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

using namespace fyn;
using namespace fyn::ledger;

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    return dir;
}

QString dataPath() {
    return scratch().filePath(QStringLiteral("KontoData"));
}

// n postings, one a day from 1990 on, alternating income and expense.
QByteArray postingFile(Kind kind, long n) {
    QByteArray out;
    out.reserve(n * recordLength(kind));
    QDate d(1990, 1, 1);
    Amount bal, vbal;
    for (long i = 1; i <= n; ++i, d = d.addDays(1)) {
        const Amount a = i == 1 ? Amount() : Amount::parse(i % 2 ? "-95,5" : "120,25");
        bal += a;
        vbal += a + a;
        const QString date = d.toString(QStringLiteral("yyyy-MM-dd"));
        if (kind == Kind::Enkel) {
            out += encodeRecord(EnkelKontoPost{date, "2", a.storage(), bal.storage(), " ", "", ""});
        } else {
            out += encodeRecord(BudgetKontoPost{date, "2", a.storage(), (a + a).storage(),
                                                bal.storage(), vbal.storage(),
                                                (vbal - bal).storage(), " ", "*", "", ""});
        }
    }
    return out;
}

const QByteArray& cachedFile(Kind kind, long n) {
    static std::map<std::pair<int, long>, QByteArray> cache;
    QByteArray& f = cache[{int(kind), n}];
    if (f.isEmpty())
        f = postingFile(kind, n);
    return f;
}

void writeFresh(const QByteArray& bytes) {
    QFile f(dataPath());
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    f.close();
    ::sync();
}

// Writing bytes once at the start of a scratch file with one sync.
double writeAndSyncSeconds(qint64 bytes) {
    const QByteArray data(bytes, 'x');
    const QByteArray path = QFile::encodeName(scratch().filePath(QStringLiteral("Baseline")));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    QElapsedTimer t;
    t.start();
    if (::pwrite(fd, data.constData(), data.size(), 0) != data.size())
        std::abort();
    ::fsync(fd);
    const double s = t.nsecsElapsed() / 1e9;
    ::close(fd);
    return s;
}

enum class Op {
    Open,
    InsertEnd,
    InsertMiddle,
    InsertFront,
    Remove,
    Change,
    Move10,
    Check,
    Recount
};

void run(benchmark::State& state, Kind kind, Op op) {
    const long n = state.range(0);
    setJournalPath(scratch().filePath(QStringLiteral(".journal")));
    const QByteArray& base = cachedFile(kind, n);
    double editTotal = 0, baseTotal = 0;
    for (auto _ : state) {
        writeFresh(base);
        PostingFile f;
        BudgetTemplate t;
        if (op != Op::Open)
            f.open(dataPath(), kind);
        if (kind == Kind::Budget && op != Op::Open)
            t.open(scratch().filePath(QStringLiteral("B-mall")));
        const QString mid = f.isOpen() ? f.datum(n / 2) : QString();
        QElapsedTimer timer;
        timer.start();
        switch (op) {
        case Op::Open:
            f.open(dataPath(), kind);
            benchmark::DoNotOptimize(f.lastDated());
            break;
        case Op::InsertEnd:
            insertPosting(f, n, {"2999-01-01", 2, 0, "10", "10", "2026-12-09"}, &t);
            break;
        case Op::InsertMiddle:
            insertPosting(f, n, {mid, 2, 0, "10", "10", "2026-12-09"}, &t);
            break;
        case Op::InsertFront:
            insertPosting(f, n, {"1980-01-01", 2, 0, "10", "10", "2026-12-09"}, &t);
            break;
        case Op::Remove:
            removePosting(f, n, n / 2);
            break;
        case Op::Change:
            changePosting(f, n, n / 2, "11", "11", f.datum(n / 2), "2026-12-09", &t);
            break;
        case Op::Move10:
            movePostings(f, n, n / 2, n / 2 + 9, "2999-01-01", "2026-12-09", &t);
            break;
        case Op::Check:
            benchmark::DoNotOptimize(checkBalances(f, 1, n));
            break;
        case Op::Recount:
            recount(f, n / 2, n);
            break;
        }
        const double edit = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(edit);
        editTotal += edit;
        const bool writes = op != Op::Open && op != Op::Check && op != Op::Recount;
        if (writes)
            baseTotal += writeAndSyncSeconds(safewrite_testing::lastCommitDataBytes());
    }
    if (baseTotal > 0)
        state.counters["ratio"] = editTotal / baseTotal;
    state.counters["postings"] = double(n);
}

void registerAll() {
    const std::pair<const char*, Op> ops[] = {{"open", Op::Open},
                                              {"insert_end", Op::InsertEnd},
                                              {"insert_middle", Op::InsertMiddle},
                                              {"insert_front", Op::InsertFront},
                                              {"remove", Op::Remove},
                                              {"change", Op::Change},
                                              {"move10", Op::Move10},
                                              {"check", Op::Check},
                                              {"recount", Op::Recount}};
    for (const auto& [kindName, kind] :
         {std::pair{"enkel", Kind::Enkel}, std::pair{"budget", Kind::Budget}})
        for (const auto& [opName, op] : ops)
            benchmark::RegisterBenchmark(
                (std::string(kindName) + "/" + opName).c_str(),
                [kind = kind, op = op](benchmark::State& s) { run(s, kind, op); })
                ->Arg(1000)
                ->Arg(10000)
                ->Arg(100000)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(8);
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

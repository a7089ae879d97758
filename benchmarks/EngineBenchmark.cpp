// Speed of the posting engine's edits on posting files of 1 000 to 1 000 000
// postings of each kind, each set against its floor: writing the bytes the edit
// changed once, into a new file, with one fdatasync, timed right after it in
// the same iteration. ratio = median edit / median floor.
//
// Each benchmark has its own scratch folder and journal, so that no benchmark
// pays for another's checkpoint; within one, the journal carries over from
// iteration to iteration, so an edit pays its share of the checkpoints its own
// kind of edit causes. The posting file is written afresh (and synced) before
// each iteration, outside the timing.
//
//   cmake -S . -B build-bench -G Ninja -DFYN_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target engine_benchmark
//   build-bench/benchmarks/engine_benchmark [--benchmark_filter=budget/insert_middle]
#include "BenchSupport.h"

#include "core/Records.h"
#include "core/SafeWrite.h"
#include "ledger/Engine.h"
#include "ledger/PostingFile.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>

using namespace fyn;
using namespace fyn::ledger;
using namespace fyn::bench;

namespace {

enum class Op {
    InsertEnd,
    InsertMiddle,
    InsertFront,
    Remove,
    Change,
    Move10,
    Tick,
    Confirm,
    SwapOne,
    Resign,
    DeleteTransaction,
    ClearSubtransaction,
    Recount,
    Template,
};

struct OpInfo {
    const char* name;
    Op op;
    bool budgetOnly = false;
};

const OpInfo kOps[] = {
    {"insert_end", Op::InsertEnd},
    {"insert_middle", Op::InsertMiddle},
    {"insert_front", Op::InsertFront},
    {"remove", Op::Remove},
    {"change", Op::Change},
    {"move10", Op::Move10},
    {"tick", Op::Tick},
    {"confirm", Op::Confirm, true},
    {"swap_one", Op::SwapOne},
    {"resign", Op::Resign},
    {"delete_transaction", Op::DeleteTransaction},
    {"clear_subtransaction", Op::ClearSubtransaction},
    {"recount", Op::Recount},
    {"template", Op::Template, true},
};

// The file an edit starts from: recount gets one posting whose amount no
// longer matches its balance, so that every later balance is rewritten.
QByteArray startFile(Kind kind, long n, Op op) {
    QByteArray bytes = cachedPostingFile(kind, n);
    if (op == Op::Recount) {
        const int len = recordLength(kind);
        char* amount = bytes.data() + qint64(n / 2 - 1) * len + 14;
        std::memcpy(amount, "7          ", 11);
    }
    return bytes;
}

// False when the edit was refused (then it wrote nothing and means nothing here).
bool edit(Op op, PostingFile& f, BudgetTemplate* t, long n) {
    const QString today = kToday;
    switch (op) {
    case Op::InsertEnd:
        return insertPosting(f, n, {f.datum(n), 2, 0, "10", "10", today}, t).ok();
    case Op::InsertMiddle:
        return insertPosting(f, n, {f.datum(n / 2), 2, 0, "10", "10", today}, t).ok();
    case Op::InsertFront:
        return insertPosting(f, n, {"1980-01-01", 2, 0, "10", "10", today}, t).ok();
    case Op::Remove:
        return removePosting(f, n, n / 2).ok();
    case Op::Change:
        return changePosting(f, n, n / 2, "11", "11", f.datum(n / 2), today, t).ok();
    case Op::Move10:
        return movePostings(f, n, n / 2, n / 2 + 9, f.datum(n), today, t).ok();
    case Op::Tick:
        toggleTick(f, n / 2);
        return true;
    case Op::Confirm:
        confirmPosting(f, n - 1, t);
        return true;
    case Op::SwapOne: { // an expense posting becomes an income
        const long expense = n / 2 + ((n / 2) % 2 == 0 ? 1 : 0);
        return changeTransaction(f, n, {3, expense, 2, true, "+", true, today}, t).ok();
    }
    case Op::Resign: // every expense becomes an income
        return changeTransaction(f, n, {3, 0, 3, true, "+", true, today}, t).ok();
    case Op::DeleteTransaction: // a tenth of the postings
        return removeTransactionPostings(f, n, 4).ok();
    case Op::ClearSubtransaction: // carried by every posting
        return clearSubtransaction(f, n, 1) > 0;
    case Op::Recount:
        return recount(f, n / 2 - 1, n).ok();
    case Op::Template:
        buildTemplate(f, n, today, *t);
        return true;
    }
    return false;
}

void run(benchmark::State& state, Kind kind, Op op) {
    const long n = state.range(0);
    const auto scratch = std::make_unique<Scratch>(); // its own journal
    setJournalPath(scratch->path(".journal"));
    const QString data = scratch->path("KontoData");
    const QString mall = scratch->path("B-mall");
    const QByteArray start = startFile(kind, n, op);
    Timings edits, floors;
    for (auto _ : state) {
        writeSynced(data, start);
        QFile::remove(mall);
        PostingFile f;
        f.open(data, kind);
        BudgetTemplate t;
        if (kind == Kind::Budget)
            t.open(mall);
        if (!timeEdit(
                state, *scratch, edits, floors,
                [&] { return edit(op, f, kind == Kind::Budget ? &t : nullptr, n); },
                "the edit was refused"))
            break;
    }
    finish(state, edits, floors);
}

void registerAll() {
    for (const auto& [kindName, kind] :
         {std::pair{"enkel", Kind::Enkel}, std::pair{"budget", Kind::Budget}})
        for (const OpInfo& o : kOps) {
            if (o.budgetOnly && kind != Kind::Budget)
                continue;
            for (long n : kSizes)
                registerTimed(std::string(kindName) + "/" + o.name, n, iterationsFor(n),
                              [kind = kind, op = o.op](benchmark::State& s) { run(s, kind, op); });
        }
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    return runRegistered(argc, argv);
}

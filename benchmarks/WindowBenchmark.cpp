// Speed of the main window on accounts of 1 000 to 1 000 000 postings: opening
// the program on the account (Form_Load: the files read, the first page of the
// grid shown) and the refresh after an edit in the middle (the balance check
// from there to the end, the scroll bar, the grid and the lists), each as the
// window does it, on the offscreen platform.
//
//   cmake --build build-bench --target window_benchmark
//   build-bench/benchmarks/window_benchmark
#include "BenchSupport.h"

#include "core/Paths.h"
#include "core/Records.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HeadForm.h"
#include "platform/testing/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace fyn;
using namespace fyn::bench;

namespace {

// A data folder holding one account of n postings (with a learnt template),
// ready for the program to start on.
struct Program {
    Program(ledger::Kind kind, long n) {
        fakes.drives->root = scratch.root() + QLatin1Char('/');
        QDir::setCurrent(scratch.root());
        Module1 = SharedState{};
        Module1.BaseFolder = fakes.drives->root;
        writeDataFolder(name, kind, n);
    }
    ~Program() {
        window.reset();
        ledger::account().closeAll();
        setJournalPath(QString());
    }
    void start() {
        window.reset();
        ledger::account().closeAll();
        window = std::make_unique<HeadForm>();
        window->Form_Load();
    }

    const QString name = QStringLiteral("Hushåll");
    Scratch scratch;
    platform::testing::FakePlatform fakes;
    std::unique_ptr<HeadForm> window;
};

void openWindow(benchmark::State& state, ledger::Kind kind) {
    Program p(kind, state.range(0));
    Timings t;
    for (auto _ : state) {
        p.window.reset();
        ledger::account().closeAll();
        Stopwatch watch;
        p.start();
        const double s = watch.seconds();
        state.SetIterationTime(s);
        t.add(s);
    }
    report(state, t);
}

void refresh(benchmark::State& state, ledger::Kind kind) {
    const long n = state.range(0);
    Program p(kind, n);
    p.start();
    Timings t;
    for (auto _ : state) {
        Module1.PostNr = n / 2; // as after an edit in the middle
        Stopwatch watch;
        p.window->refreshWithCheck();
        const double s = watch.seconds();
        state.SetIterationTime(s);
        t.add(s);
    }
    report(state, t);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const auto& [kindName, kind] :
         {std::pair{"enkel", ledger::Kind::Enkel}, std::pair{"budget", ledger::Kind::Budget}}) {
        for (long n : kSizes) {
            registerTimed(std::string(kindName) + "/open_window", n, iterationsFor(n),
                          [kind = kind](benchmark::State& s) { openWindow(s, kind); });
            registerTimed(std::string(kindName) + "/refresh", n, iterationsFor(n),
                          [kind = kind](benchmark::State& s) { refresh(s, kind); });
        }
    }
    return runRegistered(argc, argv);
}

// Speed of the listings on accounts of 1 000 to 100 000 postings: a text-file
// listing of the whole account (the files read, the period's records found,
// the pages made and the file written and synced), set against writing the
// same bytes once; and a page of the screen listing, at the start and at the
// end of the account, through the dialog as its scroll button does it.
//
//   cmake --build build-bench --target output_benchmark
//   build-bench/benchmarks/output_benchmark
#include "BenchSupport.h"

#include "core/Paths.h"
#include "core/Records.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HeadForm.h"
#include "output/Listing.h"
#include "output/Period.h"
#include "output/TextListing.h"
#include "output/UtskrStatForm.h"
#include "platform/testing/FakeFileDialogs.h"
#include "platform/testing/FakePlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <memory>

using namespace fyn;
using namespace fyn::bench;

namespace {

constexpr long kOutputSizes[] = {1000, 10000, 100000};

// A data folder holding one account of n postings, the program started on it.
struct Program {
    Program(ledger::Kind kind, long n) {
        fakes.drives->root = scratch.root() + QLatin1Char('/');
        QDir::setCurrent(scratch.root());
        Module1 = SharedState{};
        Module1.BaseFolder = fakes.drives->root;
        QDir().mkpath(accountFolder(name));
        const bool budget = kind == ledger::Kind::Budget;
        writeSynced(accountFile(name, "KontoData"), cachedPostingFile(kind, n));
        writeSynced(accountFile(name, "Transakt"), transaktFile());
        writeSynced(accountFile(name, "Kategori"), encodeRecord(KategoriPost{"Mat"}));
        if (budget)
            writeSynced(accountFile(name, "B-mall"),
                        encodeRecord(BudgMallPost{"2", "120", "01", "05", "  "}));
        writeSynced(kontoFilPath(),
                    encodeRecord(KontoFilPost{name, "1", budget ? "Bg" : "Ek", "\\FynData\\"}));
        writeSynced(kontoIniPath(), "1\r\nAnna\r\n");
        window = std::make_unique<HeadForm>();
        window->Form_Load();
    }
    ~Program() {
        delete utskrStatForm();
        window.reset();
        ledger::account().closeAll();
        setJournalPath(QString());
    }

    const QString name = QStringLiteral("Hushåll");
    Scratch scratch;
    platform::testing::FakePlatform fakes;
    std::unique_ptr<HeadForm> window;
};

// The text file of every posting, from the account's files to the synced
// file, as "Utskrift" makes it; the widest variant of the kind.
void textListing(benchmark::State& state, ledger::Kind kind) {
    Program p(kind, state.range(0));
    const output::Variant v =
        kind == ledger::Kind::Budget ? output::Variant::Pr_5 : output::Variant::Pr_2;
    const QString file = p.scratch.path("Lista.txt");
    Timings listings, floors;
    long long bytes = 0;
    for (auto _ : state) {
        Stopwatch watch;
        output::AccountData data;
        data.load(accountFolder(p.name), kind);
        const int recCount = data.lastDated();
        const output::PeriodRange r =
            output::periodRange(data, recCount, output::DateParts::of(data.datum(1)),
                                output::DateParts::of(data.datum(recCount)));
        QByteArray out;
        output::TextProgress progress;
        output::writeTextListing(out, data, v, r.startRec, r.stopRec,
                                 output::pageHeaderPrefix(p.name, kToday), progress);
        output::saveTextFile(file, out);
        const double s = watch.seconds();
        state.SetIterationTime(s);
        listings.add(s);
        bytes = out.size();
        floors.add(floorSeconds(p.scratch, bytes));
    }
    state.counters["bytes"] = double(bytes);
    report(state, listings, floors);
}

// One page down with the scroll button, from the first page or from the
// page before the last: the same work at any depth.
void screenPage(benchmark::State& state, bool atEnd) {
    const long n = state.range(0);
    Program p(ledger::Kind::Budget, n);
    showUtskrStatForm(*p.window);
    UtskrStatForm& d = *utskrStatForm();
    d.Check1->setChecked(true);
    d.Check2->setChecked(true);
    d.Check3->setChecked(true);
    d.Option1->setChecked(true);
    d.Command1_Click();
    Timings t;
    for (auto _ : state) {
        d.TopRec = atEnd ? d.StopRec - 2 * output::kPageRows + 1 : d.StartRec;
        Stopwatch watch;
        d.Command7_MouseUp();
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
    installOutputDialog();
    for (long n : kOutputSizes) {
        for (const auto& [kindName, kind] :
             {std::pair{"enkel", ledger::Kind::Enkel}, std::pair{"budget", ledger::Kind::Budget}})
            benchmark::RegisterBenchmark(
                (std::string(kindName) + "/text_listing").c_str(),
                [kind = kind](benchmark::State& s) { textListing(s, kind); })
                ->Arg(n)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(11);
        for (const auto& [where, atEnd] : {std::pair{"first", false}, std::pair{"last", true}})
            benchmark::RegisterBenchmark(
                (std::string("budget/screen_page_") + where).c_str(),
                [atEnd = atEnd](benchmark::State& s) { screenPage(s, atEnd); })
                ->Arg(n)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(101);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

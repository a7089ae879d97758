// Speed of the listings on accounts of 1 000 to 100 000 postings: a text-file
// listing of the whole account (the files read, the period's records found,
// the pages made and the file written and synced), set against writing the
// same bytes once; a page of the screen listing, at the start and at the
// end of the account, through the dialog as its scroll button does it; the
// statistics of one transaction over the whole account, set against one pass
// over the records' references; and the widest listing printed into a PDF
// file through Qt, set against the PDF writer given the same texts alone.
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
#include "output/PrintListing.h"
#include "output/Statistics.h"
#include "output/TextListing.h"
#include "output/UtskrStatForm.h"
#include "platform/Printer.h"
#include "platform/testing/FakeFileDialogs.h"
#include "platform/testing/FakePlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPrinter>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <vector>

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
        writeDataFolder(name, kind, n);
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

// The statistics of the expense transaction (about 45 % of the postings):
// gathered and summed from the account's records, as "Utskrift" does before
// it draws; the floor is one pass that compares every record's reference.
void statistics(benchmark::State& state) {
    Program p(ledger::Kind::Budget, state.range(0));
    output::AccountData data;
    data.load(accountFolder(p.name), ledger::Kind::Budget);
    const int last = data.lastDated();
    Timings t, floors;
    int matches = 0;
    for (auto _ : state) {
        Stopwatch watch;
        output::StatProgress progress;
        const output::Statistics s = output::gatherStatistics(data, 3, 1, last, progress);
        const QString summary = output::statSummary(s.count(), s.total);
        const double seconds = watch.seconds();
        benchmark::DoNotOptimize(summary);
        state.SetIterationTime(seconds);
        t.add(seconds);
        matches = s.count();
        Stopwatch floor;
        int n = 0;
        for (int r = 1; r <= last; ++r)
            n += std::memcmp(data.record(r) + 10, "3   ", 4) == 0;
        benchmark::DoNotOptimize(n);
        floors.add(floor.seconds());
    }
    state.counters["matches"] = matches;
    report(state, t, floors);
}

// The same through the dialog: the transaction chosen, "Skärm" and
// "Utskrift", up to the first page of the table.
void statisticsOnScreen(benchmark::State& state) {
    Program p(ledger::Kind::Budget, state.range(0));
    showUtskrStatForm(*p.window);
    UtskrStatForm& d = *utskrStatForm();
    d.Text2_MouseUp();
    d.List4->setCurrentRow(2); // "Uttag"
    d.List4_MouseUp();
    d.Option1->setChecked(true);
    Timings t;
    for (auto _ : state) {
        Stopwatch watch;
        d.Command1_Click();
        const double s = watch.seconds();
        state.SetIterationTime(s);
        t.add(s);
    }
    state.counters["matches"] = d.StatCount + 1;
    report(state, t);
}

// A document that keeps its texts, to give the PDF writer alone the same
// work as a printout.
class Recorded final : public platform::PrintJob {
public:
    struct Op {
        int kind; // 0 font, 1 text, 2 new page
        double x, y;
        QString text;
        double points;
        bool bold;
    };
    void setOrientation(platform::Orientation o) override { orientation = o; }
    void setLogicalPage(int w, int h) override {
        width = w;
        height = h;
    }
    void setFont(const QString& family, double points, bool bold) override {
        ops.push_back({0, 0, 0, family, points, bold});
    }
    void text(double x, double y, const QString& s) override {
        ops.push_back({1, x, y, s, 0, false});
    }
    double textWidth(const QString& s) override { return 100.0 * double(s.size()); }
    void newPage() override { ops.push_back({2, 0, 0, {}, 0, false}); }
    void endDoc() override {}
    void abortDoc() override {}
    QString fileName() const override { return {}; }
    void replay(platform::PrintJob& job) const {
        job.setOrientation(orientation);
        job.setLogicalPage(width, height);
        for (const Op& op : ops) {
            if (op.kind == 0)
                job.setFont(op.text, op.points, op.bold);
            else if (op.kind == 1)
                job.text(op.x, op.y, op.text);
            else
                job.newPage();
        }
    }
    platform::Orientation orientation = platform::Orientation::Portrait;
    int width = 0, height = 0;
    std::vector<Op> ops;
};

// The widest budget listing (landscape, eight columns) of the whole account
// into a PDF file: the account's files read, the period found, the pages laid
// out and drawn, the file written, synced and renamed. The floor gives the PDF
// writer the same texts without our layout; layout_* is our layout alone.
void printPdf(benchmark::State& state) {
    Program p(ledger::Kind::Budget, state.range(0));
    const QString file = p.scratch.path("Lista.pdf");
    platform::setPrinters(platform::makeQtPrinters([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    }));
    const QString prefix = output::printHeaderPrefix(p.name, kToday);
    auto layOut = [&](platform::PrintJob& job) {
        output::AccountData data;
        data.load(accountFolder(p.name), ledger::Kind::Budget);
        const int recCount = data.lastDated();
        const output::PeriodRange r =
            output::periodRange(data, recCount, output::DateParts::of(data.datum(1)),
                                output::DateParts::of(data.datum(recCount)));
        output::PrintProgress progress;
        output::printListing(job, data, output::Variant::Pr_5, r.startRec, r.stopRec, prefix,
                             progress);
    };
    Recorded texts;
    layOut(texts);
    Timings prints, floors, layouts;
    for (auto _ : state) {
        Stopwatch watch;
        const std::unique_ptr<platform::PrintJob> job = platform::printers().setup(nullptr);
        layOut(*job);
        job->endDoc();
        const double s = watch.seconds();
        state.SetIterationTime(s);
        prints.add(s);

        Stopwatch floor;
        const std::unique_ptr<platform::PrintJob> alone = platform::printers().setup(nullptr);
        texts.replay(*alone);
        alone->endDoc();
        floors.add(floor.seconds());

        Stopwatch layout;
        Recorded discard;
        layOut(discard);
        layouts.add(layout.seconds());
    }
    state.counters["pages"] =
        double(std::count_if(texts.ops.begin(), texts.ops.end(),
                             [](const Recorded::Op& o) { return o.kind == 2; }) +
               1);
    state.counters["layout_min_ms"] = layouts.min() * 1000;
    state.counters["layout_med_ms"] = layouts.median() * 1000;
    report(state, prints, floors);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installOutputDialog();
    for (long n : kOutputSizes) {
        for (const auto& [kindName, kind] :
             {std::pair{"enkel", ledger::Kind::Enkel}, std::pair{"budget", ledger::Kind::Budget}})
            registerTimed(std::string(kindName) + "/text_listing", n, 11,
                          [kind = kind](benchmark::State& s) { textListing(s, kind); });
        for (const auto& [where, atEnd] : {std::pair{"first", false}, std::pair{"last", true}})
            registerTimed(std::string("budget/screen_page_") + where, n, 101,
                          [atEnd = atEnd](benchmark::State& s) { screenPage(s, atEnd); });
        registerTimed("budget/statistics", n, 11, statistics);
        registerTimed("budget/statistics_screen", n, 11, statisticsOnScreen);
        registerTimed("budget/print_pdf", n, n >= 100000 ? 3 : 5, printPdf);
    }
    return runRegistered(argc, argv);
}

#include "BenchSupport.h"

#include "core/Amount.h"
#include "core/Paths.h"
#include "core/Records.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <map>
#include <numeric>
#include <unistd.h>

namespace fyn::bench {

Scratch::Scratch() : dir_(QDir::currentPath() + QStringLiteral("/bench-XXXXXX")) {}

QString Scratch::path(const char* name) const {
    return dir_.filePath(QString::fromLatin1(name));
}

namespace {

QByteArray postingFile(ledger::Kind kind, long n) {
    QByteArray out;
    out.reserve(qsizetype(n) * ledger::recordLength(kind));
    const QDate first(1990, 1, 1);
    const qint64 days = first.daysTo(QDate(2026, 12, 1));
    // Amounts that vary from posting to posting (a move or a removal changes
    // every later balance), small enough that no edit here breaks the limit.
    auto amount = [](long i, long per, long step) {
        return Amount::fromRaw((i % per + 1) * step * 100);
    };
    Amount bal, vbal;
    for (long i = 1; i <= n; ++i) {
        const QString date =
            first.addDays(qint64(i - 1) * days / qMax(1L, n - 1)).toString(Qt::ISODate);
        const bool neutralOne = i % 10 == 0;
        const Amount a = i == 1       ? Amount()
                         : neutralOne ? -amount(i, 11, 10)
                         : i % 2      ? -amount(i, 29, 41)
                                      : amount(i, 37, 35);
        const QString ref = i == 1 ? "1" : neutralOne ? "4" : i % 2 ? "3" : "2";
        const QString sub = i == 1 ? QString() : QStringLiteral("1");
        bal += a;
        vbal += a + a;
        if (kind == ledger::Kind::Enkel)
            out +=
                encodeRecord(EnkelKontoPost{date, ref, a.storage(), bal.storage(), " ", sub, ""});
        else
            out += encodeRecord(BudgetKontoPost{date, ref, a.storage(), (a + a).storage(),
                                                bal.storage(), vbal.storage(),
                                                (vbal - bal).storage(), " ", "*", sub, ""});
    }
    return out;
}

} // namespace

const QByteArray& cachedPostingFile(ledger::Kind kind, long n) {
    static std::map<std::pair<int, long>, QByteArray> cache;
    QByteArray& f = cache[{int(kind), n}];
    if (f.isEmpty())
        f = postingFile(kind, n);
    return f;
}

QByteArray transaktFile() {
    QByteArray out;
    for (const auto& [name, sign] : {std::pair{"Kontostart", " "}, std::pair{"Insättning", "+"},
                                     std::pair{"Uttag", "-"}, std::pair{"Övrigt", " "}})
        out += encodeRecord(TransPost{QString::fromUtf8(name), QString::fromLatin1(sign)});
    return out;
}

void writeSynced(const QString& path, const QByteArray& bytes) {
    // Written over what is there, not truncated first: the file keeps its
    // cached pages, as a file that is edited again and again does.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (w <= 0)
            std::abort();
        done += w;
    }
    if (::ftruncate(fd, bytes.size()) != 0 || ::fdatasync(fd) != 0)
        std::abort();
    ::close(fd);
}

void writeDataFolder(const QString& name, ledger::Kind kind, long n) {
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
}

double Timings::min() const {
    return *std::min_element(values_.begin(), values_.end());
}

double Timings::mean() const {
    return std::accumulate(values_.begin(), values_.end(), 0.0) / double(values_.size());
}

double Timings::median() const {
    std::vector<double> v = values_;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double floorSeconds(const Scratch& scratch, long long bytes) {
    static QByteArray data;
    if (data.size() < bytes)
        data = QByteArray(qsizetype(bytes), 'x');
    const QByteArray path = QFile::encodeName(scratch.path("Floor"));
    ::unlink(path.constData());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Stopwatch watch;
    qint64 done = 0;
    while (done < bytes) {
        const ssize_t w = ::pwrite(fd, data.constData() + done, size_t(bytes - done), done);
        if (w <= 0)
            std::abort();
        done += w;
    }
    ::fdatasync(fd);
    const double s = watch.seconds();
    ::close(fd);
    return s;
}

void report(benchmark::State& state, const Timings& edits, const Timings& floors) {
    state.counters["min_ms"] = edits.min() * 1e3;
    state.counters["med_ms"] = edits.median() * 1e3;
    if (floors.empty())
        return;
    state.counters["floor_min_ms"] = floors.min() * 1e3;
    state.counters["floor_med_ms"] = floors.median() * 1e3;
    state.counters["ratio"] = edits.median() / floors.median();
    // What edits cost on average, the rare ones that empty the journal included.
    state.counters["mean_ratio"] = edits.mean() / floors.mean();
}

bool timeEdit(benchmark::State& state, const Scratch& scratch, Timings& edits, Timings& floors,
              const std::function<bool()>& edit, const char* refused) {
    safewrite_testing::armCrash(-1, false); // counts the bytes written
    // What the setup left for the file system to do (the posting file written
    // afresh, files removed and made, their times, an old file an earlier
    // edit replaced) is done before the clock starts: the edit's first sync
    // would otherwise commit it.
    safewrite_testing::waitForReleases();
    const int dir =
        ::open(QFile::encodeName(scratch.root()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::syncfs(dir) != 0)
        std::abort();
    ::close(dir);
    Stopwatch watch;
    const bool done = edit();
    const double seconds = watch.seconds();
    if (!done) {
        state.SkipWithError(refused);
        return false;
    }
    state.SetIterationTime(seconds);
    edits.add(seconds);
    floors.add(floorSeconds(scratch, safewrite_testing::lastCommitDataBytes()));
    return true;
}

void finish(benchmark::State& state, const Timings& edits, const Timings& floors) {
    report(state, edits, floors);
    state.counters["MB"] = double(safewrite_testing::lastCommitDataBytes()) / 1e6;
    setJournalPath(QString());
}

void registerTimed(const std::string& name, long n, int iterations,
                   const std::function<void(benchmark::State&)>& body) {
    benchmark::RegisterBenchmark(name.c_str(), [body](benchmark::State& s) { body(s); })
        ->Arg(n)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(iterations);
}

int runRegistered(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace fyn::bench

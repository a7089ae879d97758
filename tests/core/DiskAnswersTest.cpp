// A disk's answer is not taken at its word. Over a double that keeps what a
// power cut would leave (a file's bytes and length once its sync succeeded, a
// name once its folder's did, a failed sync's bytes lost for good), every
// change of a commit and of a checkpoint is made to fail in turn, and then the
// power goes: what the user was told holds.
#include "core/Errors.h"
#include "core/RecordFile.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "platform/testing/PowerCut.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
using platform::testing::PowerCut;
namespace sw = fyn::safewrite_testing;

namespace {

using Op = PowerCut::Op;
using Files = std::map<QString, std::optional<QByteArray>>;

enum class Told { Saved, Refused, Later, Uncertain };

const char* nameOf(Told t) {
    switch (t) {
    case Told::Saved:
        return "saved";
    case Told::Refused:
        return "refused";
    case Told::Later:
        return "finished later";
    case Told::Uncertain:
        return "not certain";
    }
    return "";
}

class DiskAnswers : public fyn::test::Sandbox {
protected:
    QString a = path("FynData/Konto/KontoData");
    QString b = path("FynData/KontoFil");
    QString c = path("FynData/Konto/Transakt"); // made by the commit
    QString d = path("FynData/KontoIni");       // replaced by a shorter text
    QString folder = path("FynData/Ny");        // made by the commit, with a file
    std::optional<platform::testing::PowerCutInstalled> disk;

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }
    void TearDown() override {
        sw::replaceWholeFrom(-1);
        disk.reset();
    }

    void writeOld() {
        QByteArray data;
        for (int i = 1; i <= 6; ++i)
            data += QByteArray::number(i).repeated(43);
        writeFile(a, data);
        writeFile(b, QByteArray(82, 'k'));
        QFile::remove(c);
        QDir(folder).removeRecursively();
        writeFile(d, "12\r\nEn lång användare\r\n");
        QFile::remove(journalPath());
        setJournalPath(journalPath());
    }

    Files files() const {
        Files f;
        for (const QString& p : {a, b, c, d, folder + "/KontoData"})
            f[p] = QFile::exists(p) ? std::optional(readFile(p)) : std::nullopt;
        return f;
    }

    // One user action of every kind of change: the posting file mostly
    // rewritten (whole, put in place by a rename: whole is true) or a few
    // records in place, a register record, a file made, a settings file cut
    // shorter, a folder made with a file in it.
    void commitAction(bool whole) {
        sw::replaceWholeFrom(whole ? 0 : -1);
        const QByteArray old = readFile(a);
        WriteBatch batch;
        batch.write(a, 0, QByteArray(43 * 5, 'W'));
        batch.write(a, 43 * 7, QByteArray(43, 'Z'));
        batch.knownContent(a, old.constData(), old.size());
        batch.write(b, 82, QByteArray(82, 'n'));
        batch.write(c, 0, QByteArray(36, 't'));
        batch.replaceFile(d, "3\r\nAnna\r\n");
        batch.createFolder(folder);
        batch.write(folder + "/KontoData", 0, QByteArray(43, 'y'));
        batch.commit();
    }

    // A smaller edit after it.
    void secondAction() {
        WriteBatch batch;
        batch.write(b, 0, "andra");
        batch.commit();
    }

    Told attempt(const std::function<void()>& action) {
        fakes.messages->calls.clear();
        try {
            action();
        } catch (const RuntimeError&) {
            EXPECT_TRUE(fakes.messages->calls.empty());
            return Told::Refused;
        }
        const auto& calls = fakes.messages->calls;
        if (calls.empty())
            return Told::Saved;
        EXPECT_EQ(calls.size(), 1u);
        if (calls.back().title == "Ändringen slutförs senare")
            return Told::Later;
        EXPECT_EQ(calls.back().title, "Ändringen är inte säkert sparad");
        EXPECT_TRUE(calls.back().text.contains("strömavbrott") &&
                    calls.back().text.contains("Kopiera datamappen"))
            << calls.back().text.toStdString();
        return Told::Uncertain;
    }

    // A new start after the power came back.
    void restart() {
        (*disk)->fault = nullptr;
        setJournalPath(journalPath());
        recoverJournal();
    }

    // Fails the changes numbered in failing (counted from 0 as they come).
    void failAt(const std::set<int>& failing, int error) {
        auto count = std::make_shared<int>(0);
        (*disk)->fault = [count, failing, error](Op, const QString&) {
            return failing.count((*count)++) ? error : 0;
        };
    }

    // The changes the action makes through the disk, in order.
    std::vector<Op> changesOf(const std::function<void()>& prepare,
                              const std::function<void()>& action) {
        disk.emplace();
        prepare();
        std::vector<Op> ops;
        (*disk)->fault = [&ops](Op op, const QString&) {
            ops.push_back(op);
            return 0;
        };
        action();
        disk.reset();
        return ops;
    }
};

// Each change of a commit fails (EIO, or ENOSPC: the disk full), alone or
// after a sync that failed; the power goes at once, or once the program has
// gone on and emptied its journal. Refused: the state before, even after the
// cut. Saved or finished later: the state after. Not certain: either, and
// after once the program went on. Both for a journal the commit makes and for
// one that holds an earlier commit.
TEST_F(DiskAnswers, WhatTheUserIsToldHoldsAfterAPowerCut) {
    int cases = 0;
    std::map<Told, int> seen;
    for (const bool whole : {false, true}) {
        for (const bool journalMade : {true, false}) {
            const auto prepare = [&] {
                writeOld();
                if (!journalMade)
                    secondAction();
            };
            const Files before = [&] {
                disk.emplace();
                prepare();
                const Files f = files();
                disk.reset();
                return f;
            }();
            const std::vector<Op> ops = changesOf(prepare, [&] { commitAction(whole); });
            const Files after = files();
            const int n = int(ops.size());
            ASSERT_GT(n, 8);
            // Each change alone; and after a sync that failed, each of the
            // changes that follow (what puts it right, among them).
            std::vector<std::set<int>> failures;
            for (int i = 0; i < n; ++i) {
                failures.push_back({i});
                if (ops[i] == Op::Sync || ops[i] == Op::SyncFolder)
                    for (int k = i + 1; k <= i + 6; ++k)
                        failures.push_back({i, k});
            }
            for (const std::set<int>& failing : failures) {
                for (const int error : {EIO, ENOSPC}) {
                    for (const bool goOn : {false, true}) {
                        for (const auto leave : {PowerCut::Leave::Nothing, PowerCut::Leave::Names,
                                                 PowerCut::Leave::Data}) {
                            std::string where = std::string(whole ? "whole" : "in place") +
                                                (journalMade ? ", journal made" : "") + ", failing";
                            for (int f : failing)
                                where += " " + std::to_string(f);
                            where += error == EIO ? " EIO" : " ENOSPC";
                            where += goOn ? ", went on" : "";
                            where += leave == PowerCut::Leave::Names  ? ", names left"
                                     : leave == PowerCut::Leave::Data ? ", data left"
                                                                      : "";
                            SCOPED_TRACE(where);
                            disk.emplace();
                            prepare();
                            failAt(failing, error);
                            const Told told = attempt([&] { commitAction(whole); });
                            ++seen[told];
                            (*disk)->fault = nullptr;
                            if (goOn) {
                                ASSERT_NO_THROW(checkpoint());
                            }
                            (*disk)->cut(leave);
                            restart();
                            const Files found = files();
                            const bool either = told == Told::Uncertain && !goOn;
                            EXPECT_TRUE(told == Told::Refused ? found == before
                                        : either              ? found == before || found == after
                                                              : found == after)
                                << nameOf(told) << ": a mix, or not as told";
                            EXPECT_TRUE(QDir(path("FynData/Konto"))
                                            .entryList({".*.ny"}, QDir::Files | QDir::Hidden)
                                            .isEmpty());
                            disk.reset();
                            ++cases;
                        }
                    }
                }
            }
        }
    }
    // Every kind of answer came up somewhere.
    EXPECT_GT(seen[Told::Saved], 0);
    EXPECT_GT(seen[Told::Refused], 0);
    EXPECT_GT(seen[Told::Later], 0);
    EXPECT_GT(seen[Told::Uncertain], 0);
    EXPECT_GT(cases, 1000);
}

// ---- The checkpoint ---------------------------------------------------------------

enum class Road { Periodic, Explicit, Start };

std::string nameOf(Road r) {
    return r == Road::Periodic ? "Periodic" : r == Road::Explicit ? "Explicit" : "Start";
}

// Edits that stay in the journal until a checkpoint: the posting file
// rewritten whole (put in place by a rename) or a record of it in place, and
// a name; what the saved ones made of the files is kept beside them.
class Checkpoints : public fyn::test::Sandbox, public ::testing::WithParamInterface<Road> {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString names = path("FynData/Konto/Transakt");
    std::map<QString, QByteArray> now;
    std::optional<platform::testing::PowerCutInstalled> disk;

    void SetUp() override {
        QDir(dir.path()).mkpath("FynData/Konto");
        sw::replaceWholeFrom(0);
    }
    void TearDown() override {
        sw::replaceWholeFrom(-1);
        disk.reset();
        setJournalPath(QString());
    }
    PowerCut& pc() { return **disk; }

    void fresh() {
        disk.reset();
        QFile::remove(journalPath());
        now = {{data, QByteArray(43 * 20, 'd')}, {names, QByteArray(36 * 5, 't')}};
        for (const auto& [file, bytes] : now)
            writeFile(file, bytes);
        setJournalPath(journalPath());
        disk.emplace();
    }

    // Edit n: even, the whole posting file; odd, one record of it.
    void edit(int n) {
        std::map<QString, QByteArray> next = now;
        WriteBatch batch;
        if (n % 2 == 0) {
            next[data] = QByteArray(43 * 20, char('a' + n % 26));
            batch.write(data, 0, next[data]);
            batch.knownContent(data, now[data].constData(), now[data].size());
        } else {
            const QByteArray record = QByteArray::number(n).leftJustified(43, '#');
            next[data].replace(qsizetype(n % 20) * 43, 43, record);
            batch.write(data, qint64(n % 20) * 43, record);
        }
        const QByteArray name = QByteArray::number(n).leftJustified(36, '*');
        next[names].replace(qsizetype(n % 5) * 36, 36, name);
        batch.write(names, qint64(n % 5) * 36, name);
        fakes.messages->calls.clear();
        batch.commit(); // refused: throws, and memory stays
        now = next;
    }

    std::map<QString, QByteArray> onDisk() const {
        std::map<QString, QByteArray> f;
        for (const auto& [file, bytes] : now)
            f[file] = readFile(file);
        return f;
    }
};

// Each change of a checkpoint fails in turn (EIO, or ENOSPC), on each road
// that checkpoints: at the end of an edit, at the program's own request (a
// backup, a restore, the exit: reported), and at a start. The program goes
// on (an edit, and the checkpoint of the exit), then the power goes: every
// edit reported saved is there. A sync that failed is never made good by a
// later one: what it covered is written again first.
TEST_P(Checkpoints, NoFailedSyncIsTakenAsDone) {
    const Road road = GetParam();
    // The edits before the checkpoint; for the periodic road, until it comes.
    auto upTo = [&](const std::function<bool()>& checkpointed) {
        int n = 0;
        if (road == Road::Periodic) {
            while (!checkpointed() && n < 500)
                edit(n++);
        } else {
            for (; n < 5; ++n)
                edit(n);
        }
        return n;
    };
    // The changes of the checkpoint, counted from its first sync of a data file.
    bool started = false;
    int counted = 0;
    std::optional<int> failAt;
    int error = EIO;
    auto watch = [&](Op op, const QString& p) {
        if (!started && op == Op::Sync && !p.endsWith("/.journal") && !p.endsWith(".ny"))
            started = true;
        if (!started)
            return 0;
        const int i = counted++;
        return failAt && i == *failAt ? error : 0;
    };
    auto checkpointRoad = [&] {
        if (road == Road::Explicit) {
            try {
                checkpoint();
            } catch (const RuntimeError&) {
            }
        } else if (road == Road::Start) {
            setJournalPath(journalPath()); // the program ended without a word
            try {
                recoverJournal();
            } catch (const RuntimeError&) {
            }
        }
    };
    fresh();
    pc().fault = watch;
    int n = upTo([&] { return started; });
    checkpointRoad();
    const int changes = counted;
    ASSERT_TRUE(started) << "no checkpoint";
    ASSERT_GT(changes, 2);
    for (const int e : {EIO, ENOSPC}) {
        for (int k = 0; k < changes; ++k) {
            for (const auto leave :
                 {PowerCut::Leave::Nothing, PowerCut::Leave::Names, PowerCut::Leave::Data}) {
                SCOPED_TRACE(nameOf(road) + ", change " + std::to_string(k) +
                             (e == EIO ? " EIO" : " ENOSPC") +
                             (leave == PowerCut::Leave::Names  ? ", names left"
                              : leave == PowerCut::Leave::Data ? ", data left"
                                                               : ""));
                fresh();
                started = false;
                counted = 0;
                failAt = k;
                error = e;
                pc().fault = watch;
                n = upTo([&] { return started; });
                checkpointRoad();
                pc().fault = nullptr;
                // The program goes on: an edit, and the exit's checkpoint.
                try {
                    edit(n);
                } catch (const RuntimeError&) {
                }
                try {
                    checkpoint();
                } catch (const RuntimeError&) {
                }
                pc().cut(leave);
                setJournalPath(journalPath());
                recoverJournal();
                EXPECT_TRUE(onDisk() == now) << "an edit reported saved is gone, or a mix";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, Checkpoints,
                         ::testing::Values(Road::Periodic, Road::Explicit, Road::Start),
                         [](const auto& info) { return nameOf(info.param); });

// ---- What a checkpoint reports -----------------------------------------------------

// A checkpoint refused at a file's sync, a folder's or the journal's head, on
// a full disk: reported as the disk being full, naming what was refused.
TEST_F(DiskAnswers, ACheckpointOnAFullDiskSaysSoAndNamesTheFile) {
    struct Case {
        const char* name;
        Op op;
        QString path; // refused, and named
    };
    const Case cases[] = {
        {"a file's sync", Op::Sync, b},
        {"a folder's sync", Op::SyncFolder, path("FynData/Konto")},
        {"the head's write", Op::Write, journalPath()},
        {"the head's sync", Op::Sync, journalPath()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        disk.emplace();
        writeOld();
        commitAction(true); // a file put in place: its folder is synced at the checkpoint
        bool once = true;
        (*disk)->fault = [&](Op op, const QString& p) {
            return op == c.op && p == c.path && std::exchange(once, false) ? ENOSPC : 0;
        };
        try {
            checkpoint();
            ADD_FAILURE() << "not refused";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Disk full");
            EXPECT_EQ(QDir::cleanPath(e.path()), QDir::cleanPath(c.path));
        }
        (*disk)->fault = nullptr;
        checkpoint(); // with room: done
        disk.reset();
    }
}

// ---- Files held open ---------------------------------------------------------------

// While a commit waits to be finished, nothing reads its files: not through a
// file opened afresh, nor through one the account holds open. Every read of a
// record file goes through one of these.
TEST_F(DiskAnswers, NothingReadsAFileWhoseChangeWaitsThroughAHeldHandle) {
    using Read = std::function<QByteArray(const RecordFile&)>;
    const std::pair<const char*, Read> reads[] = {
        {"count", [](const RecordFile& f) { return QByteArray::number(qint64(f.count())); }},
        {"sizeInBytes", [](const RecordFile& f) { return QByteArray::number(f.sizeInBytes()); }},
        {"readRaw", [](const RecordFile& f) { return f.readRaw(2); }},
        {"readRange", [](const RecordFile& f) { return f.readRange(1, 2); }},
        {"readInto",
         [](const RecordFile& f) {
             QByteArray out(72, ' ');
             f.readInto(out.data(), 0, out.size());
             return out;
         }},
        {"get", [](const RecordFile& f) { return f.get<TransPost>(2).TransNamn.toUtf8(); }},
        {"opened afresh", [this](const RecordFile&) { return RecordFile(c, 36).readRange(1, 2); }},
    };
    for (const auto& [name, read] : reads) {
        SCOPED_TRACE(name);
        disk.emplace();
        writeOld();
        writeFile(c, QByteArray(36, 'a'));
        const RecordFile held(c, 36); // as the account holds Transakt
        // The disk is full: the entry goes in, the name's record does not.
        bool full = true;
        (*disk)->fault = [&](Op op, const QString& p) {
            return full && op == Op::Write && p == c ? ENOSPC : 0;
        };
        EXPECT_EQ(attempt([&] {
                      WriteBatch batch;
                      batch.write(c, 36, QByteArray("El").leftJustified(36, ' '));
                      batch.commit();
                  }),
                  Told::Later);
        try {
            read(held);
            ADD_FAILURE() << "read while the change waits";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Disk full");
            EXPECT_TRUE(e.where().startsWith("Transakt, där ändringen i kontot 'Konto'"))
                << e.where().toStdString();
        }
        full = false; // room again: the change is finished before the read
        EXPECT_EQ(read(held), read(RecordFile(c, 36))) << "not as the file holds it";
        EXPECT_EQ(readFile(c), QByteArray(36, 'a') + QByteArray("El").leftJustified(36, ' '));
        disk.reset();
    }
}

} // namespace

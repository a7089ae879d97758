// A checkpoint whose journal head fails (its write, a write cut short, its
// sync), on every road that checkpoints, a start among them: the start goes
// on without a word, and the next commits stand all the same.
// After a crash at any write point of the very next edit, or a power cut
// after it, each file holds the state before that edit or after it, and
// every edit reported saved is there.
#include "core/Errors.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "platform/testing/PowerCut.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <map>
#include <utility>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
using platform::testing::PowerCut;
namespace sw = fyn::safewrite_testing;

namespace {

using Files = std::map<QString, QByteArray>;

enum class Road { Periodic, DiskFullRetry, Checkpoint, Start };

struct Case {
    Road road;
    PowerCut::HeadFault fault;
    int error;
};

std::string nameOf(const Case& c) {
    const char* road = c.road == Road::Periodic        ? "Periodic"
                       : c.road == Road::DiskFullRetry ? "DiskFullRetry"
                       : c.road == Road::Checkpoint    ? "Checkpoint"
                                                       : "Start";
    const char* fault = c.fault == PowerCut::HeadFault::Write   ? "Write"
                        : c.fault == PowerCut::HeadFault::Short ? "Short"
                                                                : "Sync";
    return std::string(road) + fault + (c.error == EIO ? "Eio" : "Enospc");
}

class JournalHead : public fyn::test::Sandbox, public ::testing::WithParamInterface<Case> {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString names = path("FynData/Konto/Transakt");
    Files now; // what the saved edits have made of the files

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }
    void TearDown() override {
        sw::armCrash(-1, false);
        setJournalPath(QString());
    }

    void fresh() {
        QFile::remove(path("FynData/.journal"));
        now = {{data, QByteArray(43 * 20, 'd')}, {names, QByteArray(36 * 5, 't')}};
        for (const auto& [file, bytes] : now)
            writeFile(file, bytes);
        setJournalPath(path("FynData/.journal"));
    }

    // Edit n: a posting and a name, both in one commit.
    static QByteArray posting(int n) { return QByteArray::number(n).leftJustified(43, '#'); }
    static QByteArray name(int n) { return QByteArray::number(n).leftJustified(36, '*'); }
    void put(Files& f, int n) const {
        f[data].replace(qsizetype(n % 20) * 43, 43, posting(n));
        f[names].replace(qsizetype(n % 5) * 36, 36, name(n));
    }
    // Saved: memory follows.
    void edit(int n) {
        WriteBatch batch;
        batch.write(data, qint64(n % 20) * 43, posting(n));
        batch.write(names, qint64(n % 5) * 36, name(n));
        batch.commit();
        put(now, n);
    }

    // Tries an edit that may be refused; saved or not, memory knows.
    void tryEdit(int n) {
        try {
            edit(n);
        } catch (const RuntimeError&) {
        }
    }

    Files onDisk() const {
        Files f;
        for (const auto& [file, bytes] : now)
            f[file] = readFile(file);
        return f;
    }

    void restart() {
        sw::armCrash(-1, false);
        setJournalPath(path("FynData/.journal"));
        recoverJournal();
    }

    // The road up to the failed head; returns the next edit's number.
    int road(PowerCut& disk) {
        const Case c = GetParam();
        disk.headFault = c.fault;
        disk.faultErrno = c.error;
        int n = 0;
        switch (c.road) {
        case Road::Periodic:
            while (!disk.faulted && n < 2000)
                edit(n++); // the checkpoint at the end of an edit is quiet
            break;
        case Road::DiskFullRetry: {
            for (; n < 3; ++n)
                edit(n);
            // The entry finds no room; the room a checkpoint gives back does not come.
            bool once = true;
            disk.fault = [&once](PowerCut::Op op, const QString& p) {
                return op == PowerCut::Op::Reserve && p.endsWith("/.journal") &&
                               std::exchange(once, false)
                           ? ENOSPC
                           : 0;
            };
            tryEdit(n++);
            disk.fault = nullptr;
            break;
        }
        case Road::Checkpoint:
            for (; n < 3; ++n)
                edit(n);
            EXPECT_THROW(checkpoint(), RuntimeError); // as a restore or the exit reports it
            break;
        case Road::Start:
            for (; n < 3; ++n)
                edit(n);
            // The program ended with its journal in place; the next start
            // finishes it, and only the new head fails.
            setJournalPath(path("FynData/.journal"));
            EXPECT_NO_THROW(recoverJournal());
            EXPECT_FALSE(changePending());
            break;
        }
        EXPECT_TRUE(disk.faulted) << "the head never failed";
        return n;
    }
};

TEST_P(JournalHead, EditsAfterAFailedHeadStandAfterACrashOrAPowerCut) {
    // The write points of the very next edit after the failed head.
    int points = 0;
    {
        platform::testing::PowerCutInstalled disk;
        fresh();
        const int n = road(*disk);
        sw::armCrash(-1, false);
        edit(n);
        points = sw::pointsPassed();
    }
    ASSERT_GT(points, 2);
    // A crash at every write point of that edit, torn or clean; then a power
    // cut once it was reported saved.
    for (int k = 0; k <= 2 * points; ++k) {
        const bool powerCut = k == 2 * points;
        const bool torn = k % 2 == 0;
        SCOPED_TRACE(powerCut ? std::string("power cut")
                              : "crash at " + std::to_string(k / 2) + (torn ? ", torn" : ""));
        platform::testing::PowerCutInstalled disk;
        fresh();
        const int n = road(*disk);
        const Files saved = now;
        Files after = saved;
        put(after, n);
        if (powerCut) {
            edit(n); // reported saved
            disk->cut();
        } else {
            sw::armCrash(k / 2, torn);
            EXPECT_THROW(edit(n), sw::Crash);
        }
        restart();
        const Files found = onDisk();
        EXPECT_TRUE(powerCut ? found == after : found == saved || found == after)
            << "a mix, or an edit reported saved lost";
        EXPECT_TRUE(fakes.messages->calls.empty()) << "the start said something";
    }
}

std::vector<Case> allCases() {
    std::vector<Case> out;
    for (Road r : {Road::Periodic, Road::DiskFullRetry, Road::Checkpoint, Road::Start})
        for (auto f :
             {PowerCut::HeadFault::Write, PowerCut::HeadFault::Short, PowerCut::HeadFault::Sync})
            for (int e : {EIO, ENOSPC})
                out.push_back({r, f, e});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Roads, JournalHead, ::testing::ValuesIn(allCases()),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace

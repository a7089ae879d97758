// The posting engine's edits in the orders a user makes them, the posting file
// taking every road of a commit (rewritten whole through the journal, whole
// past it, a few records in place) in one journal epoch; a crash at any point
// of the last edit gives the state before or after it, and the journal is never
// set aside as damaged.
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "ledger/Engine.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <functional>

using namespace fyn;
using namespace fyn::ledger;
using fyn::test::budget;
using fyn::test::enkel;
using fyn::test::readFile;
using fyn::test::writeFile;
namespace sw = fyn::safewrite_testing;

namespace {

constexpr char kToday[] = "2026-12-09";

class JournalRoads : public fyn::test::Sandbox {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString mall = path("FynData/Konto/B-mall");
    QString trans = path("FynData/Konto/Transakt");
    QByteArray startData;
    Kind kind = Kind::Enkel;
    PostingFile f;
    BudgetTemplate t;
    long n = 0;

    void SetUp() override {
        QDir(dir.path()).mkpath("FynData/Konto");
        sw::replaceWholeFrom(0); // a small account, the roads of a large one
    }
    void TearDown() override {
        sw::armCrash(-1, false);
        sw::replaceWholeFrom(-1);
    }

    void begin() {
        writeFile(data, startData);
        writeFile(mall, "");
        writeFile(trans,
                  encodeRecord(TransPost{"Kontostart", " "}) + encodeRecord(TransPost{"Lön", "+"}));
        QFile::remove(journalPath());
        setJournalPath(journalPath());
        f.open(data, kind);
        t.open(mall);
        n = f.recordCount();
    }

    QByteArray files() const {
        return readFile(data) + "|" + readFile(mall) + "|" + readFile(trans);
    }

    // The edits before the last one, then the last crashed at every write point.
    void expectOldOrNewAtEveryPoint(const std::vector<std::function<void()>>& before,
                                    const std::function<void()>& last) {
        begin();
        for (const auto& edit : before)
            edit();
        const QByteArray old = files();
        sw::armCrash(-1, false);
        last();
        const int points = sw::pointsPassed();
        const QByteArray now = files();
        ASSERT_NE(old, now);
        setJournalPath(journalPath()); // a crash after it
        recoverJournal();
        EXPECT_EQ(files(), now);
        for (bool torn : {true, false}) {
            for (int k = 0; k < points; ++k) {
                SCOPED_TRACE(testing::Message() << "point " << k << (torn ? ", torn" : ""));
                begin();
                for (const auto& edit : before)
                    edit();
                sw::armCrash(k, torn);
                EXPECT_THROW(last(), sw::Crash);
                sw::armCrash(-1, false);
                setJournalPath(journalPath()); // the next start
                recoverJournal();
                const QByteArray after = files();
                EXPECT_TRUE(after == old || after == now) << "a mix";
                ASSERT_TRUE(fakes.messages->calls.empty())
                    << fakes.messages->calls[0].text.toStdString();
            }
        }
    }
};

// A change of a transaction's sign (every posting rewritten, the name's record
// with them), an insert at the start (every posting moves up, nothing else),
// a tick.
TEST_F(JournalRoads, ASignChangeAnInsertAtTheStartAndATick) {
    for (long i = 1; i <= 40; ++i)
        startData += encodeRecord(enkel(QDate(2026, 1, 1).addDays(i).toString(Qt::ISODate), "2",
                                        "10", QString::number(10 * i)));
    kind = Kind::Enkel;
    const auto resign = [&] {
        TransactionEdit e;
        e.oldRef = 2;
        e.newRef = 2;
        e.resign = true;
        e.newSign = "-";
        e.today = kToday;
        const RecordFile names = openRecordFile<TransPost>(trans);
        ASSERT_TRUE(changeTransaction(f, n, e, nullptr, [&](WriteBatch& b) {
                        names.put(b, 2, TransPost{"Lön", "-"});
                    }).ok());
    };
    const auto insertFirst = [&] {
        const EditResult r =
            insertPosting(f, n, {"2026-01-01", 2, 0, "", "-5,00", kToday}, nullptr);
        ASSERT_TRUE(r.ok());
        n = r.antalPoster;
    };
    expectOldOrNewAtEveryPoint({resign, insertFirst}, [&] { toggleTick(f, 20); });
}

// A confirmed posting near the start (the posting file rewritten whole and the
// template taught, one commit), a budgeting run before every later posting
// (rewritten whole, nothing else), the confirmation of a posting (one record
// and the template).
TEST_F(JournalRoads, AConfirmedPostingABudgetingRunAndAConfirmation) {
    startData = encodeRecord(budget("2026-01-01", "1", "0", "0", "0", "0", "0"));
    for (long i = 1; i <= 40; ++i)
        startData += encodeRecord(budget(QDate(2027, 1, 1).addDays(i).toString(Qt::ISODate), "2",
                                         "-10", "-10", QString::number(-10 * i),
                                         QString::number(-10 * i), "0", " "));
    kind = Kind::Budget;
    const auto confirmedNearStart = [&] {
        const EditResult r = insertPosting(f, n, {"2026-06-01", 2, 0, "-95,00", "-90", kToday}, &t);
        ASSERT_TRUE(r.ok());
        n = r.antalPoster;
    };
    const auto budgetingRun = [&] {
        std::vector<NewPosting> plan;
        for (int d = 10; d <= 20; ++d)
            plan.push_back({QString("2026-12-%1").arg(d), 2, 0, "-10", "-10", kToday});
        const EditResult r = insertPostings(f, n, plan, &t);
        ASSERT_TRUE(r.ok());
        n = r.antalPoster;
    };
    expectOldOrNewAtEveryPoint({confirmedNearStart, budgetingRun},
                               [&] { confirmPosting(f, 30, &t); });
}

} // namespace

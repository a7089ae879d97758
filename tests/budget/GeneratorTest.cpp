// The posting run's plan from the month list, and the plan posted into a
// small budget account as one commit.
#include "budget/Generator.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QDir>

using namespace fyn;
using namespace fyn::budget;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

MonthList listOf(std::initializer_list<std::tuple<int, const char*, const char*>> months) {
    MonthList l;
    for (const auto& [m, day, amount] : months) {
        l[size_t(m)][1] = day;
        l[size_t(m)][2] = amount;
    }
    return l;
}

class Generator : public fyn::test::Sandbox {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString mall = path("FynData/Konto/B-mall");
    ledger::PostingFile f;
    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }
};

} // namespace

TEST(Plan, OneBudgetPostingForEachCompleteMonthInMonthOrder) {
    const Plan p =
        planFrom(listOf({{3, "15", "-1500"}, {1, "05", "2500"}, {6, "", "100"}, {7, "10", ""}}),
                 2026, 4, "2026-03-15");
    ASSERT_EQ(p.postings.size(), 2u);
    EXPECT_EQ(p.badMonth, 0);
    EXPECT_EQ(p.months, (std::vector<int>{1, 3}));
    EXPECT_EQ(p.postings[0].datum, "2026-01-05");
    EXPECT_EQ(p.postings[1].datum, "2026-03-15");
    EXPECT_EQ(p.postings[1].budgText, "-1500");
    EXPECT_EQ(p.postings[1].verklText, "-1500");
    EXPECT_EQ(p.postings[1].transRef, 4);
    EXPECT_EQ(p.postings[1].subRef, 0);
}

TEST(Plan, ADayTheMonthLacksPlansNothing) {
    const struct {
        const char* day;
        int year;
        int bad;
    } cases[] = {{"29", 2025, 2}, {"29", 2028, 0}, {"30", 2028, 2},
                 {"00", 2026, 2}, {"5", 2026, 2},  {"xx", 2026, 2}};
    for (const auto& c : cases) {
        const Plan p =
            planFrom(listOf({{1, "10", "100"}, {2, c.day, "100"}}), c.year, 4, "2026-01-01");
        EXPECT_EQ(p.badMonth, c.bad) << c.day << " " << c.year;
        EXPECT_EQ(p.postings.empty(), c.bad != 0);
    }
    EXPECT_EQ(planFrom(listOf({{4, "10", "tio"}}), 2026, 4, "2026-01-01").badMonth, 4);
}

TEST_F(Generator, PostsAfterTheDaysPostingsConfirmsUpToTodayAndTeachesNothing) {
    // A start posting on 03-01 and one more on 03-31.
    const QByteArray before =
        encodeRecord(fyn::test::budget("2026-03-01", "1", "0", "0", "0", "0", "0")) +
        encodeRecord(
            fyn::test::budget("2026-03-31", "2", "1000", "900", "1000", "900", "-100", " "));
    writeFile(data, before);
    f.open(data, ledger::Kind::Budget);
    const Plan p = planFrom(listOf({{2, "27", "-50"}, {3, "31", "-200"}, {4, "01", "-300"}}), 2026,
                            3, "2026-03-31");
    const ledger::EditResult r = postPlan(f, 2, p);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.postNr, 1);
    EXPECT_EQ(r.antalPoster, 5);
    EXPECT_EQ(readFile(data),
              encodeRecord(fyn::test::budget("2026-02-27", "3", "-50", "-50", "-50", "-50", "0")) +
                  encodeRecord(fyn::test::budget("2026-03-01", "1", "0", "0", "-50", "-50", "0")) +
                  encodeRecord(fyn::test::budget("2026-03-31", "2", "1000", "900", "950", "850",
                                                 "-100", " ")) +
                  encodeRecord(
                      fyn::test::budget("2026-03-31", "3", "-200", "-200", "750", "650", "-100")) +
                  encodeRecord(fyn::test::budget("2026-04-01", "3", "-300", "-300", "450", "350",
                                                 "-100", " ")));
    EXPECT_FALSE(QFile::exists(mall));
}

TEST_F(Generator, ARunThatWouldBreakTheLimitAnywhereWritesNothing) {
    const QByteArray before =
        encodeRecord(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")) +
        encodeRecord(fyn::test::budget("2026-06-01", "2", "60000000", "60000000", "60000000",
                                       "60000000", "0"));
    const struct {
        const char* name;
        MonthList list;
    } cases[] = {
        // The second month's own balance, after a first month that fits.
        {"own balance", listOf({{7, "01", "30000000"}, {8, "03", "30000000"}})},
        // A later posting's balance, before any new one is last.
        {"later balance", listOf({{5, "04", "50000000"}})},
        // The amount itself.
        {"amount", listOf({{9, "01", "-100000000"}})},
    };
    for (const auto& c : cases) {
        writeFile(data, before);
        f.open(data, ledger::Kind::Budget);
        const ledger::EditResult r = postPlan(f, 2, planFrom(c.list, 2026, 2, "2026-01-01"));
        EXPECT_EQ(r.refusal, ledger::Refusal::OverLimit) << c.name;
        EXPECT_EQ(readFile(data), before) << c.name;
    }
}

TEST_F(Generator, ACrashAnywhereInARunLeavesAllMonthsOrNone) {
    namespace sw = safewrite_testing;
    const QByteArray before =
        encodeRecord(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")) +
        encodeRecord(fyn::test::budget("2026-06-01", "2", "500", "500", "500", "500", "0"));
    const MonthList list = listOf({{3, "02", "-10"}, {6, "01", "-20"}, {9, "01", "-30"}});
    const auto run = [&] {
        writeFile(data, before);
        f.open(data, ledger::Kind::Budget);
        return postPlan(f, 2, planFrom(list, 2026, 3, "2026-01-01"));
    };
    sw::armCrash(-1, false);
    ASSERT_TRUE(run().ok());
    const int points = sw::pointsPassed();
    const QByteArray after = readFile(data);
    recoverJournal();
    int sawOld = 0, sawNew = 0;
    for (int k = 0; k < points; ++k) {
        sw::armCrash(k, true);
        EXPECT_THROW(run(), sw::Crash) << "point " << k;
        sw::armCrash(-1, false);
        recoverJournal();
        const QByteArray now = readFile(data);
        sawOld += now == before;
        sawNew += now == after;
        EXPECT_TRUE(now == before || now == after) << "a mix after a crash at point " << k;
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

// The months of a plan that already hold its transaction, found in a file in
// date order and in one that is not (an older file's hand-made order).
TEST_F(Generator, FindsTheMonthsThatAlreadyHoldTheTransaction) {
    const auto post = [](const char* date, const char* ref) {
        return encodeRecord(fyn::test::budget(date, ref, "10", "10", "0", "0", "0"));
    };
    const Plan p = planFrom(listOf({{1, "05", "10"}, {3, "05", "10"}, {4, "05", "10"}}), 2027, 12,
                            "2026-12-01");
    const struct {
        const char* order;
        QByteArray file;
        std::vector<int> inFirstThree; // the months the first three records hold
    } cases[] = {
        {"dated",
         post("2026-01-01", "1") + post("2027-01-31", "12") + post("2027-03-02", "2") +
             post("2027-04-30", "12") + post("2028-03-05", "12"),
         {1}},
        {"undated",
         post("2026-01-01", "1") + post("2027-04-30", "12") + post("2027-03-02", "2") +
             post("2027-01-31", "12") + post("2026-03-05", "12"),
         {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        writeFile(data, c.file);
        f.open(data, ledger::Kind::Budget);
        EXPECT_EQ(monthsAlreadyPosted(f, 5, p), (std::vector<int>{1, 4}));
        EXPECT_EQ(monthsAlreadyPosted(f, 3, p), c.inFirstThree);
        f.close();
    }
}

// The posting engine on small posting files, checked byte for byte.
#include "ledger/Engine.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>

using namespace fyn;
using namespace fyn::ledger;
using fyn::test::budget;
using fyn::test::enkel;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

template <class R> QByteArray file(std::initializer_list<R> records) {
    QByteArray out;
    for (const R& r : records)
        out += encodeRecord(r);
    return out;
}

const QByteArray kFree43 = encodeRecord(enkel("", "", "", "", " ", ""));

class EngineTest : public fyn::test::Sandbox {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString mall = path("FynData/Konto/B-mall");
    PostingFile f;
    BudgetTemplate t;

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }

    void simple(const QByteArray& bytes) {
        writeFile(data, bytes);
        f.open(data, Kind::Enkel);
    }
    void budgetFile(const QByteArray& bytes) {
        writeFile(data, bytes);
        f.open(data, Kind::Budget);
        t.open(mall);
    }
    // The file as read afresh equals what memory holds; what a failure left
    // to finish is finished before the program reads it.
    void expectFile(const QByteArray& bytes) {
        PostingFile again;
        again.open(data, f.kind());
        EXPECT_EQ(readFile(data), bytes);
        EXPECT_EQ(again.rawRange(1, again.recordCount()), f.rawRange(1, f.recordCount()));
    }
};

// Three simple postings: start, +1500 on 03-01, -500 on 05-01.
QByteArray threeSimple() {
    return file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-03-01", "2", "1500", "1500"),
                 enkel("2026-05-01", "3", "-500", "1000", "x", "2")});
}

TEST_F(EngineTest, InsertGoesAfterItsDayWithLaterBalancesRaised) {
    const auto start = enkel("2026-01-01", "1", "0", "0");
    const auto in = enkel("2026-03-01", "2", "1500", "1500");
    const auto out = enkel("2026-05-01", "3", "-500", "1000", "x", "2");
    const struct {
        const char* date;
        long at;
        QByteArray want;
    } cases[] = {
        {"2026-06-01", 4, file({start, in, out, enkel("2026-06-01", "3", "-200,5", "799,5")})},
        {"2026-03-01", 3, // after the posting of the same day
         file({start, in, enkel("2026-03-01", "3", "-200,5", "1299,5"),
               enkel("2026-05-01", "3", "-500", "799,5", "x", "2")})},
        {"2025-12-31", 1, // before every posting: all move up
         file({enkel("2025-12-31", "3", "-200,5", "-200,5"),
               enkel("2026-01-01", "1", "0", "-200,5"), enkel("2026-03-01", "2", "1500", "1299,5"),
               enkel("2026-05-01", "3", "-500", "799,5", "x", "2")})},
    };
    for (const auto& c : cases) {
        simple(threeSimple());
        const EditResult r =
            insertPosting(f, 3, {c.date, -3, 0, "", "-200,50", "2026-12-09"}, nullptr);
        ASSERT_TRUE(r.ok()) << c.date;
        EXPECT_EQ(r.postNr, c.at);
        EXPECT_EQ(r.antalPoster, 4);
        expectFile(c.want);
    }
    // Into a free record left by an earlier removal, with a subtransaction.
    simple(threeSimple() + kFree43);
    ASSERT_TRUE(
        insertPosting(f, 3, {"2026-06-01", 2, 7, "", "100,00", "2026-12-09"}, nullptr).ok());
    expectFile(file({start, in, out, enkel("2026-06-01", "2", "100", "1100", " ", "7")}));
}

TEST_F(EngineTest, BudgetInsertKeepsTheTextsConfirmsAndLearns) {
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-12-20", "2", "100", "100", "100", "100", "0", " ")}));
    // Dated today: confirmed, between the two; the later one raised.
    NewPosting p{"2026-12-09", 3, 4, "-95,00", "-90", "2026-12-09"};
    ASSERT_TRUE(insertPosting(f, 2, p, &t).ok());
    expectFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-12-09", "3", "-95,00", "-90", "-95", "-90", "5", "*", " ", "4"),
                     budget("2026-12-20", "2", "100", "100", "5", "10", "5", " ")}));
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"3", "100", "12", "09", "  "}));
    EXPECT_EQ(t.count(), 1);

    // Dated tomorrow: planned, nothing learnt.
    NewPosting later{"2026-12-10", 2, 0, "50", "50", "2026-12-09"};
    ASSERT_TRUE(insertPosting(f, 3, later, &t).ok());
    EXPECT_EQ(f.budget(3).BStatus, " ");
    EXPECT_EQ(t.count(), 1);
}

TEST_F(EngineTest, RefusedEditsWriteNothing) {
    const QByteArray big =
        file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "99999000", "99999000"),
              enkel("2026-03-01", "3", "-9999000", "90000000"),
              enkel("2026-04-01", "2", "9000000", "99000000")});
    auto insert = [](const char* date, const char* amount) {
        return [=](PostingFile& pf) {
            return insertPosting(pf, 4, {date, 2, 0, "", amount, "2026-12-09"}, nullptr);
        };
    };
    const struct {
        const char* what;
        std::function<EditResult(PostingFile&)> edit;
        Refusal refusal;
    } cases[] = {
        {"a later balance reaches the limit", insert("2026-01-15", "1000"), Refusal::OverLimit},
        {"its own balance in the middle", insert("2026-02-15", "1000"), Refusal::OverLimit},
        {"the new last balance", insert("2026-04-02", "1000000"), Refusal::OverLimit},
        {"the amount itself", insert("2026-04-02", "-100000000"), Refusal::OverLimit},
        {"a balance that needs more than 11 characters", insert("2026-04-02", "-99999999,1234"),
         Refusal::FieldTooLong},
        {"a removal that takes a later balance over",
         [](PostingFile& pf) { return removePosting(pf, 4, 3); }, Refusal::OverLimit},
        {"a change that takes the balances over",
         [](PostingFile& pf) {
             return changePosting(pf, 4, 4, "", "10000999", "2026-04-01", "2026-12-09", nullptr);
         },
         Refusal::OverLimit},
        {"a move that takes a balance over",
         [](PostingFile& pf) {
             return movePostings(pf, 4, 3, 3, "2026-05-01", "2026-12-09", nullptr);
         },
         Refusal::OverLimit},
    };
    for (const auto& c : cases) {
        simple(big);
        EXPECT_EQ(c.edit(f).refusal, c.refusal) << c.what;
        EXPECT_EQ(readFile(data), big) << c.what;
        EXPECT_EQ(f.rawRange(1, 4), big) << c.what;
    }
}

TEST_F(EngineTest, RemoveMovesLaterPostingsDownAndFreesTheLastRecord) {
    simple(threeSimple());
    EditResult r = removePosting(f, 3, 2);
    EXPECT_EQ(r.postNr, 2);
    EXPECT_EQ(r.antalPoster, 2);
    QByteArray freed = encodeRecord(enkel("2026-05-01", "3", "-500", "1000", "x", "2"));
    freed.replace(0, 10, QByteArray(10, ' '));
    expectFile(file({enkel("2026-01-01", "1", "0", "0"),
                     enkel("2026-05-01", "3", "-500", "-500", "x", "2")}) +
               freed);
    // The last posting: only its date goes; the file never shrinks.
    r = removePosting(f, 2, 2);
    EXPECT_EQ(r.postNr, 1);
    EXPECT_EQ(readFile(data).size(), 3 * 43);
    EXPECT_EQ(f.datum(2), QString(10, ' '));
    EXPECT_EQ(f.lastDated(), 1);
}

TEST_F(EngineTest, ChangeMovesEveryBalanceFromThePosting) {
    simple(threeSimple());
    ASSERT_TRUE(changePosting(f, 3, 2, "", "1234,50", "2026-03-01", "2026-12-09", nullptr).ok());
    expectFile(
        file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-03-01", "2", "1234,50", "1234,5"),
              enkel("2026-05-01", "3", "-500", "734,5", "x", "2")}));

    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "100", "100", "100", "100", "0", " "),
                     budget("2026-02-03", "3", "-10", "-10", "90", "90", "0", " ")}));
    ASSERT_TRUE(changePosting(f, 3, 2, "100", "120", "2026-02-01", "2026-12-09", &t).ok());
    expectFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "100", "120", "100", "120", "20", "*"),
                     budget("2026-02-03", "3", "-10", "-10", "90", "110", "20", " ")}));
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"2", "110", "02", "01", "  "}));
}

TEST_F(EngineTest, MoveRangeGoesAfterTheDayKeepingItsOrderAllOrNothing) {
    // Move postings 2..3 (1500, -500) to 2026-06-01, after the 06-01 posting.
    simple(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-03-01", "2", "1500,00", "1500"),
                 enkel("2026-05-01", "3", "-500", "1000", "x", "2"),
                 enkel("2026-06-01", "2", "10", "1010"), enkel("2026-07-01", "2", "1", "1011")}));
    const EditResult r = movePostings(f, 5, 2, 3, "2026-06-01", "2026-12-09", nullptr);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.postNr, 3);
    expectFile(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-06-01", "2", "10", "10"),
                     enkel("2026-06-01", "2", "1500", "1510"),
                     enkel("2026-06-01", "3", "-500", "1010", "x", "2"),
                     enkel("2026-07-01", "2", "1", "1011")}));

    // Backwards, to before every posting.
    ASSERT_TRUE(movePostings(f, 5, 4, 5, "2025-01-01", "2026-12-09", nullptr).ok());
    expectFile(
        file({enkel("2025-01-01", "3", "-500", "-500", "x", "2"),
              enkel("2025-01-01", "2", "1", "-499"), enkel("2026-01-01", "1", "0", "-499"),
              enkel("2026-06-01", "2", "10", "-489"), enkel("2026-06-01", "2", "1500", "1011")}));
}

TEST_F(EngineTest, MoveOfTheOnlyPostingChangesItsDate) {
    simple(file({enkel("2026-01-01", "1", "0", "0")}));
    ASSERT_TRUE(movePostings(f, 1, 1, 1, "2025-05-05", "2026-12-09", nullptr).ok());
    expectFile(file({enkel("2025-05-05", "1", "0", "0")}));
}

TEST_F(EngineTest, CheckFindsTheFirstMismatchAndRecountMendsIt) {
    simple(
        file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "100", "100"),
              enkel("2026-03-01", "2", "50", "170,004"), enkel("2026-04-01", "3", "-20", "150")}));
    EXPECT_FALSE(checkBalances(f, 1, 2).has_value());
    const auto m = checkBalances(f, 2, 4);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->record, 3);
    EXPECT_EQ(m->stored.storage(), "170,004");
    EXPECT_EQ(m->expected.storage(), "150");
    ASSERT_TRUE(recount(f, 3, 4).ok());
    EXPECT_FALSE(checkBalances(f, 1, 4).has_value());
    expectFile(
        file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "100", "100"),
              enkel("2026-03-01", "2", "50", "150"), enkel("2026-04-01", "3", "-20", "130")}));

    // Two decimals decide: 100,004 shows as 100,00.
    simple(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "100", "100,004")}));
    EXPECT_FALSE(checkBalances(f, 1, 2).has_value());

    // Budget: the difference is checked against the stored balances.
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "100", "90", "100", "90", "-9")}));
    const auto d = checkBalances(f, 1, 2);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->which, Mismatch::Which::SaldoDiff);

    // A field that is no number is an error of the runtime, not a crash.
    simple(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "1O0", "100")}));
    EXPECT_THROW(checkBalances(f, 1, 2), RuntimeError);
}

TEST_F(EngineTest, RecountThatCannotStoreABalanceWritesNothing) {
    // A balance of -1 234 567,8901 needs 13 characters.
    const QByteArray bytes = file({enkel("2026-01-01", "1", "-1234567,89", "-1234567,89"),
                                   enkel("2026-02-01", "2", "-0,0001", "0")});
    simple(bytes);
    EXPECT_EQ(recount(f, 2, 2).refusal, Refusal::FieldTooLong);
    EXPECT_EQ(readFile(data), bytes);
}

TEST(TemplateAmount, RoundsExpensesUpAndIncomesDown) {
    const struct {
        const char* actual;
        long amount;
    } cases[] = {
        {"-95,00", 100}, {"-100,00", 110}, {"-0,4", 0},   {"-0,6", 10}, {"110,00", 100},
        {"100", 90},     {"105", 90},      {"5,00", -10}, {"0,40", 0},  {"-99999999", 99999990}};
    for (const auto& c : cases)
        EXPECT_EQ(templateAmount(c.actual), c.amount) << c.actual;
}

TEST_F(EngineTest, TemplateIsBuiltFromLastYearsConfirmedPostings) {
    budgetFile(file({budget("2024-06-01", "2", "1", "1", "1", "1", "0"),
                     budget("2025-03-10", "2", "0", "-95", "0", "-95", "-95"),
                     budget("2025-03-20", "2", "0", "-100", "0", "-195", "-195"),
                     budget("2025-04-01", "3", "0", "500", "0", "305", "305", " "),
                     budget("2026-01-05", "3", "0", "300", "0", "605", "605")}));
    buildTemplate(f, 5, "2026-12-09", t);
    // 2025-03: the later posting wins; the unconfirmed one is skipped; 2024 is before.
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"2", "110", "03", "20", "  "}));
    EXPECT_EQ(t.count(), 1);
}

// The postings learnt from are last year's, found alike whether the dates
// are in order (and searched by halving) or not, odd dates included.
TEST_F(EngineTest, TemplateFindsLastYearAsAWalkBackFromTheEndWould) {
    auto b = [](const char* date, const char* ref, const char* actual) {
        return budget(date, ref, "0", actual, "0", "0", "0");
    };
    const struct {
        const char* what;
        std::vector<BudgetKontoPost> postings;
        std::vector<BudgMallPost> want;
    } cases[] = {
        {"postings planned into next year",
         {b("2024-12-31", "2", "-5"), b("2025-02-01", "2", "-95"), b("2026-03-01", "2", "-40"),
          b("2027-01-01", "3", "-7")},
         {{"2", "100", "02", "01", "  "}}},
        {"none last year: this year's",
         {b("2024-05-01", "2", "-5"), b("2026-03-02", "3", "-15")},
         {{"3", "20", "03", "02", "  "}}},
        {"a later date that is no year ends the walk there",
         {b("2025-02-01", "2", "-95"), b("2026-03-01", "2", "-40"), b("202:-01-01", "3", "-7")},
         {}},
        {"not in date order",
         {b("2025-02-01", "2", "-95"), b("2024-01-01", "3", "-5"), b("2025-05-01", "3", "-45")},
         {{"3", "50", "05", "01", "  "}}},
        {"a blank date before the year is passed over",
         {b("", "4", "-5"), b("2025-02-01", "2", "-95")},
         {{"4", "10", "  ", "  ", "  "}, {"2", "100", "02", "01", "  "}}},
    };
    for (const auto& c : cases) {
        QByteArray bytes;
        for (const BudgetKontoPost& p : c.postings)
            bytes += encodeRecord(p);
        QFile::remove(mall);
        budgetFile(bytes);
        buildTemplate(f, long(c.postings.size()), "2026-12-09", t);
        QByteArray want;
        for (const BudgMallPost& r : c.want)
            want += encodeRecord(r);
        EXPECT_EQ(readFile(mall), want) << c.what;
    }
}

// A transaction's number stored with its blanks on either side is one
// transaction: one row, placed where it first came, from its last posting.
TEST_F(EngineTest, TemplateRowsAreTransactionsWhateverTheirBlanks) {
    QByteArray bytes = file({budget("2025-03-10", "2", "0", "-95", "0", "0", "0"),
                             budget("2025-03-12", "3", "0", "500", "0", "0", "0"),
                             budget("2025-03-15", "2", "0", "-50", "0", "0", "0"),
                             budget("2025-03-20", "2", "0", "-100", "0", "0", "0"),
                             budget("2025-03-25", "3", "0", "10", "0", "0", "0", " ")});
    for (int r : {0, 3})
        bytes.replace(r * BudgetKontoPost::Length + 10, 4, "   2");
    budgetFile(bytes);
    buildTemplate(f, 5, "2026-01-02", t);
    EXPECT_EQ(readFile(mall), file({BudgMallPost{"2", "110", "03", "20", "  "},
                                    BudgMallPost{"3", "490", "03", "12", "  "}}));
}

// A year that cannot be learnt (an amount that is no number) leaves the
// template as it was, in the file and in memory: the next edit writes only
// its own row.
TEST_F(EngineTest, ATemplateThatFailsToLearnIsLeftAsItWas) {
    budgetFile(file({budget("2025-02-01", "2", "0", "-95", "0", "-95", "-95"),
                     budget("2025-03-01", "3", "0", "5x", "0", "-95", "-95"),
                     budget("2026-03-20", "2", "0", "-45", "0", "-140", "-140", " ")}));
    EXPECT_THROW(buildTemplate(f, 3, "2026-12-09", t), RuntimeError);
    EXPECT_EQ(readFile(mall), "");
    EXPECT_EQ(t.count(), 0);
    confirmPosting(f, 3, &t);
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"2", "50", "03", "20", "  "}));
}

// A template that holds a transaction and month twice learns into the first.
TEST_F(EngineTest, TemplateLearnsIntoTheFirstOfTwoAlikeRows) {
    const QByteArray rows =
        file({BudgMallPost{"2", "50", "03", "01", "  "}, BudgMallPost{"3", "60", "03", "02", "  "},
              BudgMallPost{" 2", "70", "03", "05", "* "}});
    writeFile(mall, rows);
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-03-20", "2", "0", "-95", "0", "-95", "-95", " ")}));
    confirmPosting(f, 2, &t);
    EXPECT_EQ(readFile(mall), file({BudgMallPost{"2", "100", "03", "20", "  "},
                                    BudgMallPost{"3", "60", "03", "02", "  "},
                                    BudgMallPost{" 2", "70", "03", "05", "* "}}));
}

TEST_F(EngineTest, TickAndSubtransactionAndConfirmation) {
    simple(threeSimple());
    toggleTick(f, 3);
    toggleTick(f, 2);
    setSubRef(f, 2, 12);
    expectFile(file({enkel("2026-01-01", "1", "0", "0"),
                     enkel("2026-03-01", "2", "1500", "1500", "x", "12"),
                     enkel("2026-05-01", "3", "-500", "1000", " ", "2")}));
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "100", "90", "100", "90", "-10", " ")}));
    confirmPosting(f, 2, &t);
    EXPECT_EQ(f.budget(2).BStatus, "*");
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"2", "80", "02", "01", "  "}));
}

// The edits that follow run both as the program writes these small files and
// as it writes a large file that an edit rewrites nearly whole: into a new
// file that takes the old one's place.
class EngineWays : public EngineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fyn::safewrite_testing::replaceWholeFrom(GetParam() ? 0 : -1);
    }
    void TearDown() override { fyn::safewrite_testing::replaceWholeFrom(-1); }
    // A new start on files written afresh: no journal of earlier runs.
    void restart() {
        QFile::remove(journalPath());
        setJournalPath(journalPath());
    }
};

INSTANTIATE_TEST_SUITE_P(Ways, EngineWays, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "Whole" : "Journal");
});

// An edit cut short at any write point leaves, after recovery, the posting
// file and the template as before or as after, never a mix.
TEST_P(EngineWays, AnEditInterruptedAnywhereIsWholeOrNotAtAll) {
    const QByteArray start = file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                                   budget("2026-02-01", "2", "100", "90", "100", "90", "-10"),
                                   budget("2026-03-01", "3", "-5", "-5", "95", "85", "-10")});
    namespace sw = fyn::safewrite_testing;
    auto edit = [&] {
        restart();
        budgetFile(start);
        QFile::remove(mall);
        t.open(mall);
        sw::armCrash(-1, false); // the points of the edit alone, as the crashes below count
        insertPosting(f, 3, {"2026-01-15", 2, 0, "10", "10", "2026-12-09"}, &t);
    };
    edit();
    const QByteArray afterData = readFile(data);
    const QByteArray afterMall = readFile(mall);
    const int points = sw::pointsPassed();
    for (int k = 0; k < points; ++k) {
        sw::armCrash(-1, false);
        restart();
        budgetFile(start);
        QFile::remove(mall);
        t.open(mall);
        sw::armCrash(k, true);
        EXPECT_THROW(insertPosting(f, 3, {"2026-01-15", 2, 0, "10", "10", "2026-12-09"}, &t),
                     sw::Crash);
        sw::armCrash(-1, false);
        recoverJournal();
        const bool old = readFile(data) == start && readFile(mall).isEmpty();
        const bool now = readFile(data) == afterData && readFile(mall) == afterMall;
        EXPECT_TRUE(old || now) << "a mix after a crash at point " << k;
    }

    // A write that fails anywhere (the old bytes come back from memory): the
    // file, memory and the template are as before, or the edit stood whole.
    for (int k = 0; k < points; ++k) {
        sw::armCrash(-1, false);
        restart();
        budgetFile(start);
        QFile::remove(mall);
        t.open(mall);
        sw::armFailure({k}, EIO);
        bool threw = false;
        try {
            insertPosting(f, 3, {"2026-01-15", 2, 0, "10", "10", "2026-12-09"}, &t);
        } catch (const RuntimeError&) {
            threw = true;
        }
        sw::armCrash(-1, false);
        SCOPED_TRACE(k);
        expectFile(threw ? start : afterData);
        EXPECT_EQ(readFile(mall), threw ? QByteArray() : afterMall);
        EXPECT_EQ(t.count(), threw ? 0 : 1);
    }
}

// A posting put in front of every other moves them all: after a crash or a
// failure anywhere the file is as before or as after, and memory as the file.
TEST_P(EngineWays, AnInsertAtTheFrontStandsWholeOrNotAtAll) {
    namespace sw = fyn::safewrite_testing;
    const QByteArray start = threeSimple();
    const NewPosting first{"2025-12-01", 2, 0, "40", "40", "2026-12-09"};
    sw::armCrash(-1, false);
    restart();
    simple(start);
    ASSERT_TRUE(insertPosting(f, 3, first, nullptr).ok());
    const QByteArray after = readFile(data);
    ASSERT_EQ(after.left(10), "2025-12-01");
    const int points = sw::pointsPassed();
    for (int k = 0; k < points; ++k) {
        SCOPED_TRACE(k);
        restart();
        simple(start);
        sw::armCrash(k, true);
        EXPECT_THROW(insertPosting(f, 3, first, nullptr), sw::Crash);
        sw::armCrash(-1, false);
        recoverJournal();
        EXPECT_TRUE(readFile(data) == start || readFile(data) == after);

        restart();
        simple(start);
        sw::armFailure({k}, EIO);
        bool threw = false;
        try {
            insertPosting(f, 3, first, nullptr);
        } catch (const RuntimeError&) {
            threw = true;
        }
        sw::armCrash(-1, false);
        expectFile(threw ? start : after);
    }
    EXPECT_TRUE(
        QDir(path("FynData/Konto")).entryList({".*.ny"}, QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace

namespace {

// Postings 2 and 4 of transaction 3 (an expense), 3 of transaction 2.
QByteArray expenses() {
    return file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "3", "-100", "-100"),
                 enkel("2026-03-01", "2", "1000", "900", " ", "5"),
                 enkel("2026-04-01", "-3", "-50", "850", "x", "5"),
                 enkel("2026-05-01", "2", "10", "860")});
}

TEST_F(EngineTest, ResigningATransactionMovesEveryLaterBalance) {
    simple(expenses());
    TransactionEdit e;
    e.oldRef = 3;
    e.newRef = 3;
    e.resign = true;
    e.newSign = "+";
    const TransactionEditResult r = changeTransaction(f, 5, e, nullptr);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.postNr, 2);
    EXPECT_EQ(r.changed, 2);
    expectFile(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "3", "100", "100"),
                     enkel("2026-03-01", "2", "1000", "1100", " ", "5"),
                     enkel("2026-04-01", "3", "50", "1150", "x", "5"),
                     enkel("2026-05-01", "2", "10", "1160")}));
    EXPECT_FALSE(checkBalances(f, 1, 5).has_value());

    // A swap of one posting to a transaction of the same sign: only its reference.
    simple(expenses());
    TransactionEdit one;
    one.onlyRecord = 4;
    one.newRef = 2;
    ASSERT_TRUE(changeTransaction(f, 5, one, nullptr).ok());
    expectFile(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "3", "-100", "-100"),
                     enkel("2026-03-01", "2", "1000", "900", " ", "5"),
                     enkel("2026-04-01", "2", "-50", "850", "x", "5"),
                     enkel("2026-05-01", "2", "10", "860")}));
}

TEST_F(EngineTest, SwapToAnotherSignOfABudgetPostingConfirmsByItsDate) {
    // An expense of -250 / -200 becomes an income: 250 / 200.
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "4", "-250", "-200", "-250", "-200", "50", " "),
                     budget("2027-01-01", "4", "-10", "-10", "-260", "-210", "50", " ")}));
    for (long record : {2L, 3L}) {
        TransactionEdit e;
        e.onlyRecord = record;
        e.newRef = 2;
        e.resign = true;
        e.newSign = "+";
        e.confirmByDate = true;
        e.today = "2026-12-09";
        ASSERT_TRUE(changeTransaction(f, 3, e, &t).ok());
    }
    expectFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "250", "200", "250", "200", "-50", "*"),
                     budget("2027-01-01", "2", "10", "10", "260", "210", "-50", " ")}));
    EXPECT_EQ(readFile(mall), encodeRecord(BudgMallPost{"2", "190", "02", "01", "  "}));
}

TEST_F(EngineTest, ResigningANeutralTransactionUsesTheStoredAmounts) {
    // A neutral transaction's postings carry either sign; each balance moves by
    // the new amount less the stored one.
    simple(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "4", "30", "30"),
                 enkel("2026-03-01", "4", "-20", "10")}));
    TransactionEdit e;
    e.oldRef = 4;
    e.newRef = 4;
    e.resign = true;
    e.newSign = "-";
    ASSERT_TRUE(changeTransaction(f, 3, e, nullptr).ok());
    expectFile(file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "4", "-30", "-30"),
                     enkel("2026-03-01", "4", "-20", "-50")}));
    EXPECT_FALSE(checkBalances(f, 1, 3).has_value());

    // Over the limit: nothing is written.
    const QByteArray near = file({enkel("2026-01-01", "1", "0", "0"),
                                  enkel("2026-02-01", "4", "-60000000", "-60000000"),
                                  enkel("2026-03-01", "2", "90000000", "30000000")});
    simple(near);
    e.newSign = "+";
    EXPECT_EQ(changeTransaction(f, 3, e, nullptr).refusal, Refusal::OverLimit);
    EXPECT_EQ(readFile(data), near);
}

TEST_F(EngineTest, RemovingATransactionsPostingsClosesUpTheFile) {
    simple(expenses());
    const RemovalResult r = removeTransactionPostings(f, 5, 3);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.removed, 2);
    EXPECT_EQ(r.postNr, 2);
    EXPECT_EQ(r.antalPoster, 3);
    EXPECT_EQ(r.verklSum.storage(), "-150");
    // Each removal freed the then last record: a copy of the last posting with
    // the balance lowered by what had been removed before it.
    QByteArray tail = encodeRecord(enkel("2026-05-01", "2", "10", "960"));
    tail.replace(0, 10, QByteArray(10, ' '));
    QByteArray last = encodeRecord(enkel("2026-05-01", "2", "10", "860"));
    last.replace(0, 10, QByteArray(10, ' '));
    expectFile(file({enkel("2026-01-01", "1", "0", "0"),
                     enkel("2026-03-01", "2", "1000", "1000", " ", "5"),
                     enkel("2026-05-01", "2", "10", "1010")}) +
               tail + last);
    EXPECT_EQ(f.lastDated(), 3);

    // A transaction no posting uses changes nothing.
    EXPECT_EQ(removeTransactionPostings(f, 3, 9).removed, 0);

    // Clearing a subtransaction from the postings that carry it.
    simple(expenses());
    EXPECT_EQ(clearSubtransaction(f, 5, 5), 2);
    EXPECT_EQ(f.enkel(3).SubRef, "    ");
    EXPECT_EQ(f.enkel(4).SubRef, "    ");
    EXPECT_EQ(f.enkel(4).Kryss, "x");
}

// Postings far apart and close together: each loses the subtransaction, no
// other byte changes.
TEST_F(EngineTest, ClearingASubtransactionTouchesOnlyItsPostings) {
    std::vector<EnkelKontoPost> rows;
    for (int i = 1; i <= 400; ++i)
        rows.push_back(enkel("2026-01-01", "2", "1", QString::number(i), " ",
                             (i <= 60 && i % 3 == 0) || i == 399 ? " 7"
                             : i % 5 == 0                        ? "70"
                                                                 : "3"));
    QByteArray start, expected;
    for (const EnkelKontoPost& r : rows) {
        start += encodeRecord(r);
        EnkelKontoPost cleared = r;
        if (cleared.SubRef == " 7")
            cleared.SubRef.clear();
        expected += encodeRecord(cleared);
    }
    simple(start);
    EXPECT_EQ(clearSubtransaction(f, 400, 7), 21);
    expectFile(expected);
}

} // namespace

namespace {

// A name's record and its postings change together or not at all.
TEST_F(EngineTest, ANameAndItsPostingsAreOneCommit) {
    const QString trans = path("FynData/Konto/Transakt");
    const QByteArray names = encodeRecord(TransPost{"Kontostart", " "}) +
                             encodeRecord(TransPost{"Lön", "+"}) +
                             encodeRecord(TransPost{"Mat", "-"});
    namespace sw = fyn::safewrite_testing;
    auto run = [&] {
        simple(expenses());
        writeFile(trans, names);
        QFile::remove(journalPath());
        const RecordFile t3 = openRecordFile<TransPost>(trans);
        return removeTransactionPostings(f, 5, 3, [&](WriteBatch& b) {
            t3.put(b, 3, TransPost{"", " "});
        });
    };
    sw::armCrash(-1, false);
    ASSERT_EQ(run().removed, 2);
    const QByteArray afterData = readFile(data);
    const QByteArray afterNames = readFile(trans);
    EXPECT_EQ(afterNames.mid(72, 35), QByteArray(35, ' '));
    const int points = sw::pointsPassed();
    for (int k = 0; k < points; ++k) {
        sw::armCrash(-1, false);
        simple(expenses());
        writeFile(trans, names);
        QFile::remove(journalPath());
        const RecordFile t3 = openRecordFile<TransPost>(trans);
        sw::armCrash(k, true);
        EXPECT_THROW(removeTransactionPostings(f, 5, 3,
                                               [&](WriteBatch& b) {
                                                   t3.put(b, 3, TransPost{"", " "});
                                               }),
                     sw::Crash);
        sw::armCrash(-1, false);
        recoverJournal();
        const bool old = readFile(data) == expenses() && readFile(trans) == names;
        const bool now = readFile(data) == afterData && readFile(trans) == afterNames;
        EXPECT_TRUE(old || now) << "a mix after a crash at point " << k;
    }
}

} // namespace

namespace {

// The length is judged before anything is read: a cut last record counts by
// the rounding rule, a file past the longest posting file is refused at once.
TEST_F(EngineTest, APostingFileIsJudgedByItsLengthFirst) {
    const QByteArray three = threeSimple();
    for (const auto& [cut, count] : {std::pair{21, 3L}, {22, 4L}}) {
        simple(three + QByteArray(cut, ' '));
        EXPECT_EQ(f.recordCount(), count) << cut;
        EXPECT_EQ(f.raw(count), count == 4 ? QByteArray(43, ' ') : three.right(43));
    }
    for (const Kind kind : {Kind::Enkel, Kind::Budget}) {
        writeFile(data, "");
        // Sparse: two gigabytes that take no disk.
        ASSERT_TRUE(QFile::resize(data, PostingFile::kMaxBytes + 1));
        try {
            f.open(data, kind);
            ADD_FAILURE() << "opened";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Overflow");
            EXPECT_EQ(e.where(), "KontoData, 2147483648 byte: längre än en postfil kan vara");
        }
        EXPECT_FALSE(f.isOpen());
        EXPECT_EQ(f.recordCount(), 0);
    }
}

// Damaged files: the edit stops with the runtime's error before it writes.
TEST_F(EngineTest, DamagedFilesStopAnEditBeforeItWrites) {
    // A later posting's balance is no number.
    const QByteArray damaged =
        file({enkel("2026-01-01", "1", "0", "0"), enkel("2026-02-01", "2", "100", "1O0"),
              enkel("2026-03-01", "2", "5", "105")});
    simple(damaged);
    // Each names the record it could not read.
    const std::function<void()> edits[] = {
        [&] {
            insertPosting(f, 3, {"2026-01-15", 2, 0, "", "1", "2026-12-09"}, nullptr);
        },
        [&] { removePosting(f, 3, 1); },
        [&] { changePosting(f, 3, 1, "", "1", "2026-01-01", "2026-12-09", nullptr); },
        [&] { movePostings(f, 3, 3, 3, "2026-01-15", "2026-12-09", nullptr); },
        [&] { removeTransactionPostings(f, 3, 1); },
        [&] { checkBalances(f, 1, 3); },
        [&] { recount(f, 1, 3); },
    };
    for (size_t i = 0; i < std::size(edits); ++i) {
        try {
            edits[i]();
            ADD_FAILURE() << "edit " << i;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Type mismatch") << i;
            EXPECT_EQ(e.where(), "KontoData, post 2") << i;
        }
    }
    EXPECT_EQ(readFile(data), damaged);

    // A confirmation teaches the template from an amount that is no number.
    budgetFile(file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
                     budget("2026-02-01", "2", "5", "5x", "5", "5", "0", " ")}));
    try {
        confirmPosting(f, 2, &t);
        ADD_FAILURE();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.where(), "KontoData, post 2");
    }
    EXPECT_EQ(readFile(mall), "");

    // A record with a blank date inside the postings: edits after it go on,
    // the blank record is kept as it is.
    QByteArray blank = encodeRecord(enkel("", "2", "0", "0"));
    const QByteArray withHole = file({enkel("2026-01-01", "1", "0", "0")}) + blank +
                                file({enkel("2026-03-01", "2", "5", "5")});
    simple(withHole);
    EXPECT_EQ(f.lastDated(), 3);
    ASSERT_TRUE(insertPosting(f, 3, {"2026-04-01", 2, 0, "", "1", "2026-12-09"}, nullptr).ok());
    EXPECT_EQ(readFile(data), withHole + encodeRecord(enkel("2026-04-01", "2", "1", "6")));
}

} // namespace

namespace {

// Large files are built in pieces side by side: the result is the file a
// plain walk from the first record to the last gives.
class LargeFileTest : public EngineTest {
protected:
    struct Row {
        QString date;
        long ref;
        Amount amount;
    };
    static constexpr long kPostings = 70000; // several pieces

    std::vector<Row> rows() const {
        std::vector<Row> r;
        for (long i = 1; i <= kPostings; ++i)
            r.push_back({QDate(2000, 1, 1).addDays(i / 20).toString(Qt::ISODate),
                         i == 1       ? 1
                         : i % 7 == 0 ? 3
                                      : 2,
                         Amount::fromRaw(i == 1 ? 0 : (i % 7 == 0 ? -1 : 1) * (i % 500) * 125)});
        return r;
    }
    // The file the rows make, balances summed from the first.
    static QByteArray ledger(const std::vector<Row>& rows) {
        QByteArray out;
        Amount balance;
        for (const Row& r : rows) {
            balance += r.amount;
            out += encodeRecord(
                enkel(r.date, QString::number(r.ref), r.amount.storage(), balance.storage()));
        }
        return out;
    }
    QByteArray postings(long count) const { return f.rawRange(1, count); }
};

TEST_F(LargeFileTest, EditsMatchAWalkFromTheFirstPosting) {
    std::vector<Row> r = rows();
    simple(ledger(r));
    const long n = kPostings;

    // Insert in the middle.
    const long at = insertPoint(f, n, r[n / 2].date);
    ASSERT_TRUE(
        insertPosting(f, n, {r[n / 2].date, 2, 0, "7,5", "7,5", "2026-12-09"}, nullptr).ok());
    r.insert(r.begin() + (at - 1), Row{r[n / 2].date, 2, Amount::parse("7,5")});
    EXPECT_EQ(postings(n + 1), ledger(r));

    // Remove one near the front, change one near the end.
    ASSERT_TRUE(removePosting(f, n + 1, 5).ok());
    r.erase(r.begin() + 4);
    ASSERT_TRUE(
        changePosting(f, n, n - 10, "", "-12,25", "2001-01-01", "2026-12-09", nullptr).ok());
    r[size_t(n - 11)].amount = Amount::parse("-12,25");
    EXPECT_EQ(postings(n), ledger(r));

    // Every posting of transaction 3 becomes an income.
    TransactionEdit e;
    e.oldRef = 3;
    e.newRef = 3;
    e.resign = true;
    e.newSign = "+";
    ASSERT_TRUE(changeTransaction(f, n, e, nullptr).ok());
    for (Row& row : r)
        if (row.ref == 3)
            row.amount = row.amount.abs();
    EXPECT_EQ(postings(n), ledger(r));

    // And then they go.
    const RemovalResult gone = removeTransactionPostings(f, n, 3);
    ASSERT_TRUE(gone.ok());
    std::erase_if(r, [](const Row& row) { return row.ref == 3; });
    EXPECT_EQ(gone.removed, n - long(r.size()));
    EXPECT_EQ(postings(long(r.size())), ledger(r));
    EXPECT_EQ(f.lastDated(), long(r.size()));
}

// Several postings at once give what inserting them one by one gives: on a
// small budget file (same days, before the first, after the last) and a large one.
TEST_F(LargeFileTest, SeveralPostingsAtOnceAsOneByOne) {
    const QByteArray small =
        file({budget("2026-01-01", "1", "0", "0", "0", "0", "0"),
              budget("2026-02-01", "2", "100", "90", "100", "90", "-10"),
              budget("2026-03-01", "3", "-5", "-5", "95", "85", "-10"),
              budget("2026-04-01", "2", "7,5", "7,5", "102,5", "92,5", "-10", " ")});
    const std::vector<NewPosting> plan = {{"2025-12-01", 2, 0, "-1", "-1", "2026-02-15"},
                                          {"2026-02-01", 3, 1, "10", "12", "2026-02-15"},
                                          {"2026-02-01", 2, 0, "20", "20", "2026-02-15"},
                                          {"2026-03-15", 3, 0, "-30", "-3", "2026-02-15"},
                                          {"2026-09-01", 2, 0, "99", "99", "2026-02-15"}};
    const QString mall2 = path("FynData/Konto/B-mall2");
    auto oneByOne = [&](const QByteArray& start, long n) {
        budgetFile(start);
        for (const NewPosting& p : plan)
            EXPECT_TRUE(insertPosting(f, n++, p, &t).ok());
        return std::pair{readFile(data), readFile(mall)};
    };
    auto atOnce = [&](const QByteArray& start, long n) {
        budgetFile(start);
        QFile::remove(mall);
        t.open(mall);
        const EditResult r = insertPostings(f, n, plan, &t);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.antalPoster, n + long(plan.size()));
        return std::pair{readFile(data), readFile(mall)};
    };
    EXPECT_EQ(atOnce(small, 4), oneByOne(small, 4));

    // Many postings: the pieces side by side.
    QByteArray large;
    Amount b, v;
    for (long i = 1; i <= kPostings; ++i) {
        const Amount a = Amount::fromRaw((i % 7) * 10000 - 30000);
        b += a;
        v += a;
        large += encodeRecord(budget(QDate(2025, 1, 1).addDays(i / 120).toString(Qt::ISODate), "2",
                                     a.storage(), a.storage(), b.storage(), v.storage(), "0"));
    }
    QFile::remove(mall);
    const auto one = oneByOne(large, kPostings);
    QFile::remove(mall);
    EXPECT_EQ(atOnce(large, kPostings), one);
}

// The insert point is the last posting dated on or before the date, counted
// from the end, whether the file is in date order or not (a date out of
// place, a blank record inside), before and after edits.
TEST_F(EngineTest, TheInsertPointIsFoundAsAWalkFromTheEndFindsIt) {
    auto walk = [&](const QString& date, long from) {
        for (long i = from; i >= 1; --i)
            if (f.datum(i) <= date)
                return i + 1;
        return 1L;
    };
    auto dated = [](std::initializer_list<const char*> dates) {
        QByteArray out;
        for (const char* d : dates)
            out += encodeRecord(enkel(d, "2", "0", "0"));
        return out;
    };
    const QByteArray files[] = {
        dated({"2026-01-01", "2026-02-01", "2026-02-01", "2026-03-01", "2026-05-01"}),
        dated({"2026-01-01", "2026-04-01", "2026-02-01", "2026-03-01", "2026-05-01"}),
        dated({"2026-01-01", "2026-02-01", "", "2026-03-01", "2026-05-01"}),
        dated({"2026-01-01", "2026-02-01", "2026-03-01", "", ""}),
    };
    const char* dates[] = {"2025-12-31", "2026-01-01", "2026-02-01", "2026-02-15",
                           "2026-03-01", "2026-04-15", "2026-06-01"};
    for (const QByteArray& bytes : files) {
        simple(bytes);
        for (int round = 0; round < 3; ++round) {
            const long n = f.lastDated();
            for (const char* d : dates)
                for (long from : {n, n - 1, 2L})
                    EXPECT_EQ(insertPoint(f, from, d), walk(d, from)) << d << " from " << from;
            // An edit at the end, then one in the middle.
            ASSERT_TRUE(
                insertPosting(f, n,
                              {round ? "2026-02-01" : "2026-06-01", 2, 0, "1", "1", "2026-12-09"},
                              nullptr)
                    .ok());
        }
    }
}

TEST_F(LargeFileTest, TheFirstFaultInTheFileIsTheOneReported) {
    const std::vector<Row> r = rows();
    QByteArray bytes = ledger(r);
    auto amountField = [&](long record) { return qint64(record - 1) * 43 + 14; };
    // Two mismatches, far apart: the check and the recount start from the first.
    bytes.replace(amountField(60000), 3, "999");
    bytes.replace(amountField(20000), 3, "999");
    simple(bytes);
    const std::optional<Mismatch> m = checkBalances(f, 1, kPostings);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->record, 20000);
    ASSERT_TRUE(recount(f, 1, kPostings).ok());
    EXPECT_FALSE(checkBalances(f, 1, kPostings));

    // Two damaged postings: the edit names the earlier, and writes nothing.
    bytes = ledger(r);
    bytes.replace(amountField(65000) + 11, 3, "x!x");
    bytes.replace(amountField(30000) + 11, 3, "x!x");
    simple(bytes);
    try {
        insertPosting(f, kPostings, {"1999-01-01", 2, 0, "1", "1", "2026-12-09"}, nullptr);
        FAIL() << "a damaged posting was passed over";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.where(), "KontoData, post 30000");
    }
    EXPECT_EQ(readFile(data), bytes);
    try {
        checkBalances(f, 1, kPostings);
        FAIL() << "a damaged posting was passed over";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.where(), "KontoData, post 30000");
    }
}

} // namespace

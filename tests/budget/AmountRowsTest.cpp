// The amounts of the month rows: the patterns they are shown in, how a box's
// text is read, and the scan of the rows into the month list.
#include "budget/AmountRows.h"

#include <gtest/gtest.h>

using namespace fyn::budget;

TEST(AmountRows, PatternsKeepTheirBlanksAndGroupFromTheRight) {
    const struct {
        qint64 value;
        const char* short_;
        const char* long_;
    } cases[] = {
        {0, "  0", "  0"},
        {45, "  45", "  45"},
        {1234, " 1 234", " 1 234"},
        {12345678, "12 345 678", "1 2345 678"},
        {1234567890, "1234 567 890", "123 4567 890"}, // beyond the places
        {-1500, "- 1 500", "- 1 500"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatWhole("### ### ##0", c.value), c.short_) << c.value;
        EXPECT_EQ(formatWhole("#### #### ##0", c.value), c.long_) << c.value;
    }
}

// A box takes every typed form of an amount, then whole kronor; a sign is the
// transaction's, never the box's.
TEST(AmountRows, BoxTextIsReadAsEveryTypedAmountInWholeKronor) {
    using K = BoxAmount::Kind;
    const struct {
        const char* text;
        K kind;
        qint32 whole;
    } cases[] = {
        {"2500", K::Whole, 2500},
        {" 1 234", K::Whole, 1234},
        {"12,5", K::Whole, 12},
        {"13,5", K::Whole, 14},
        {"12,51", K::Whole, 13},
        {",5", K::Whole, 0},
        {"1200.5", K::Whole, 1200}, // a full stop is the decimal comma
        {"1\u00a0234", K::Whole, 1234},
        {"1.234,50", K::Whole, 1234},
        {"12 345 678", K::Whole, 12345678},
        {"99999999,49", K::Whole, 99999999},
        {"", K::Empty, 0},
        {"  ", K::Empty, 0},
        {"abc", K::NoAmount, 0},
        {"1,2,3", K::NoAmount, 0},
        {"12,345", K::NoAmount, 0},
        {"-10", K::Signed, 0},
        {"+10", K::Signed, 0},
        {"99999999,5", K::OverLimit, 0},
        {"99999999999", K::OverLimit, 0},
        {"123456789012345678901234567890", K::OverLimit, 0},
    };
    for (const auto& c : cases) {
        const BoxAmount a = readBoxAmount(QString::fromUtf8(c.text));
        EXPECT_EQ(a.kind, c.kind) << c.text;
        EXPECT_EQ(a.whole, c.whole) << c.text;
    }
    EXPECT_EQ(readBoxAmount("12,345").typed.kind, fyn::TypedAmount::Kind::TooManyDecimals);
    // Enter shows what the scan will read.
    EXPECT_EQ(formatOnEnter("1234"), " 1 234");
    EXPECT_EQ(formatOnEnter("12,5"), "  12");
    EXPECT_EQ(formatOnEnter("1200.5"), " 1 200");
    EXPECT_EQ(formatOnEnter("tusen"), "tusen");
}

TEST(AmountRows, ScanCopiesRowsWithADayAndAnAmountSignedByTheTransaction) {
    std::array<RowState, 13> rows;
    rows[1] = {"05", " 2 500"};
    rows[3] = {"15", "1 500"};
    rows[4] = {"", "999"}; // an amount without a day is not planned
    rows[9] = {"30", "10"};
    for (const bool expense : {true, false}) {
        const ScanOutcome out = scanRows(rows, expense, [](int) -> bool {
            ADD_FAILURE() << "no amount is missing";
            return true;
        });
        EXPECT_EQ(out.result, ScanOutcome::Result::Complete);
        EXPECT_EQ(out.list[3][1], "15");
        EXPECT_EQ(out.list[3][2], expense ? "-1500" : "1500");
        EXPECT_EQ(out.list[1][2], expense ? "-2500" : "2500");
        EXPECT_EQ(out.list[9][2], expense ? "-10" : "10");
        EXPECT_TRUE(out.list[4][1].isEmpty());
        EXPECT_TRUE(out.list[4][2].isEmpty());
    }
}

TEST(AmountRows, AMissingAmountAsksAndNoStopsTheScanThere) {
    std::array<RowState, 13> rows;
    rows[1] = {"05", "100"};
    rows[3] = {"15", "  "};
    rows[6] = {"10", "600"};
    std::vector<int> asked;
    const ScanOutcome stopped = scanRows(rows, false, [&](int m) {
        asked.push_back(m);
        return false;
    });
    EXPECT_EQ(asked, std::vector<int>{3});
    EXPECT_EQ(stopped.result, ScanOutcome::Result::Stopped);
    EXPECT_EQ(stopped.month, 3);
    EXPECT_EQ(stopped.list[1][2], "100");
    EXPECT_TRUE(stopped.list[6][2].isEmpty());

    const ScanOutcome cleared = scanRows(rows, false, [](int) { return true; });
    EXPECT_EQ(cleared.result, ScanOutcome::Result::Complete);
    EXPECT_EQ(cleared.cleared, std::vector<int>{3});
    EXPECT_TRUE(cleared.list[3][1].isEmpty());
    EXPECT_EQ(cleared.list[6][2], "600");

    // What a box cannot take stops the scan there, with the reason.
    for (const auto& [text, why] :
         {std::pair{"12a", BoxAmount::Kind::NoAmount}, std::pair{"-10", BoxAmount::Kind::Signed}}) {
        rows[3] = {"15", text};
        const ScanOutcome failed = scanRows(rows, true, [](int) { return true; });
        EXPECT_EQ(failed.result, ScanOutcome::Result::Failed) << text;
        EXPECT_EQ(failed.month, 3);
        EXPECT_EQ(failed.refused.kind, why);
        EXPECT_EQ(failed.list[1][2], "-100");
        EXPECT_TRUE(failed.list[6][2].isEmpty());
    }
    EXPECT_EQ(monthName(3), "Mars");
}

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

TEST(AmountRows, BoxTextIsReadRoundedHalfToEven) {
    const struct {
        const char* text;
        std::optional<qint32> value;
    } cases[] = {
        {"2500", 2500},
        {" 1 234", 1234},
        {"12,5", 12},
        {"13,5", 14},
        {"12,51", 13},
        {",5", 0},
        {"-10", -10},
        {"1\u00a0234", 1234},
        {"12 345 678", 12345678},
        {"abc", std::nullopt},
        {"--500", std::nullopt},
        {"1,2,3", std::nullopt},
        {"", std::nullopt},
        {"99999999999", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseBoxAmount(QString::fromUtf8(c.text)), c.value) << c.text;
    // Enter shows what the scan will read.
    EXPECT_EQ(formatOnEnter("1234"), " 1 234");
    EXPECT_EQ(formatOnEnter("12,5"), "  12");
    EXPECT_EQ(formatOnEnter("tusen"), "tusen");
}

TEST(AmountRows, OnlyDigitsBlanksAndOneCommaCanBeTyped) {
    for (const char* ok : {"", "1500", "1 500", "12,5", "1 234,", ","})
        EXPECT_TRUE(typableAmount(ok)) << ok;
    for (const char* bad : {"-500", "+5", "1,2,3", "12a", "1.5"})
        EXPECT_FALSE(typableAmount(bad)) << bad;
}

TEST(AmountRows, ScanCopiesRowsWithADayAndAnAmountSignedByTheTransaction) {
    std::array<RowState, 13> rows;
    rows[1] = {"05", " 2 500"};
    rows[3] = {"15", "1 500"};
    rows[4] = {"", "999"}; // an amount without a day is not planned
    rows[9] = {"30", "-10"};
    for (const bool expense : {true, false}) {
        const ScanOutcome out = scanRows(rows, expense, [](int) -> bool {
            ADD_FAILURE() << "no amount is missing";
            return true;
        });
        EXPECT_EQ(out.result, ScanOutcome::Result::Complete);
        EXPECT_EQ(out.list[3][1], "15");
        EXPECT_EQ(out.list[3][2], expense ? "-1500" : "1500");
        EXPECT_EQ(out.list[1][2], expense ? "-2500" : "2500");
        // A negative amount never gets a second minus.
        EXPECT_EQ(out.list[9][2], expense ? "10" : "-10");
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

    rows[3] = {"15", "12a"};
    const ScanOutcome failed = scanRows(rows, false, [](int) { return true; });
    EXPECT_EQ(failed.result, ScanOutcome::Result::Failed);
    EXPECT_EQ(failed.month, 3);
    EXPECT_EQ(failed.list[1][2], "100");
    EXPECT_EQ(monthName(3), "Mars");
}

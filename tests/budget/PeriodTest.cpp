// The budget period: the suggestion from today, the pick lists' clamps, the
// end day, the holiday register's coverage and the day list of a month.
#include "budget/Period.h"

#include <gtest/gtest.h>

using namespace fyn::budget;

TEST(Period, SuggestionIsTheNextQuarterToTheEndOfTheYear) {
    const struct {
        const char* today;
        int year, start;
    } cases[] = {
        {"2026-01-01", 2026, 4}, {"2026-03-31", 2026, 4},  {"2026-04-01", 2026, 7},
        {"2026-06-30", 2026, 7}, {"2026-07-01", 2026, 10}, {"2026-09-30", 2026, 10},
        {"2026-10-01", 2027, 1}, {"2026-12-31", 2027, 1},
    };
    for (const auto& c : cases) {
        const Period p = suggestPeriod(c.today);
        EXPECT_EQ(p.year, c.year) << c.today;
        EXPECT_EQ(p.start, c.start) << c.today;
        EXPECT_EQ(p.stop, 12) << c.today;
    }
}

TEST(Period, PickListsOfferFiveYearsAndMonthsThatLeaveAPeriod) {
    EXPECT_EQ(yearChoices("2026-05-10"), QStringList({"2026", "2027", "2028", "2029", "2030"}));
    EXPECT_EQ(startChoices().first(), "01");
    EXPECT_EQ(startChoices().last(), "11");
    EXPECT_EQ(stopChoices().first(), "02");
    EXPECT_EQ(stopChoices().last(), "12");
    EXPECT_EQ(startChoices().size(), 11);
    // A start after the end becomes the end, an end before the start the start.
    EXPECT_EQ(clampStart(8, 5), 5);
    EXPECT_EQ(clampStart(3, 5), 3);
    EXPECT_EQ(clampStop(3, 7), 7);
    EXPECT_EQ(clampStop(9, 7), 9);
}

TEST(Period, EndDayIsTheLastDayOfTheEndMonthInTheBudgetYear) {
    EXPECT_EQ(endDayText(2024, 2), "29");
    EXPECT_EQ(endDayText(2028, 2), "29");
    EXPECT_EQ(endDayText(2027, 2), "28");
    EXPECT_EQ(endDayText(2026, 4), "30");
    EXPECT_EQ(endDayText(2026, 12), "31");
    // A change of year keeps a chosen day within its month.
    EXPECT_EQ(clampedDayText(2025, 2, "29"), "28");
    EXPECT_EQ(clampedDayText(2028, 2, "29"), "29");
    EXPECT_EQ(clampedDayText(2025, 2, ""), "");
}

TEST(Period, CoverageWarnsWhereNoHolidayCanBeRegisteredYet) {
    const struct {
        const char* today;
        int year, stop, redDays;
        Coverage expected;
    } cases[] = {
        {"2026-12-09", 2027, 12, 3, Coverage::Partial},
        {"2026-12-09", 2027, 6, 3, Coverage::None},
        {"2026-05-10", 2027, 12, 3, Coverage::Full},
        // Next year's holidays can be registered from July: June is no better
        // than May.
        {"2026-06-10", 2027, 6, 3, Coverage::Full},
        {"2026-07-10", 2027, 7, 3, Coverage::Partial},
        {"2026-12-09", 2028, 12, 3, Coverage::Full},
        {"2026-12-09", 2026, 12, 3, Coverage::None},
        {"2026-05-10", 2030, 12, 0, Coverage::None}, // no holidays counted
    };
    for (const auto& c : cases)
        EXPECT_EQ(coverageWarning(c.today, c.year, c.stop, c.redDays), c.expected)
            << c.today << " " << c.year << " " << c.stop;
    EXPECT_TRUE(coverageText(Coverage::Partial)
                    .startsWith("Inställd budgetperiod ligger helt "
                                "eller delvis utanför"));
    EXPECT_TRUE(coverageText(Coverage::Full)
                    .startsWith("Inställd budgetperiod ligger helt "
                                "utanför"));
}

TEST(Period, DayListShowsTheDayBeforeTheChosenOneOrTheLastPosition) {
    const struct {
        int days, current, dagPos;
        int selected, dagPosAfter;
    } cases[] = {
        {31, 15, 0, 13, 0}, // entry "14"
        {31, 30, 0, 28, 0}, // entry "29"
        {31, 1, 0, 0, 0},    {31, 2, 0, 0, 0},
        {30, 0, 30, 29, 29}, // day 31 chosen last: lowered to fit
        {28, 0, 5, 5, 5},    {31, 0, 0, -1, 0},
    };
    for (const auto& c : cases) {
        int dagPos = c.dagPos;
        const DayList l = openDayList(c.days, c.current, dagPos);
        EXPECT_EQ(l.entries.size(), c.days);
        EXPECT_EQ(l.entries.last(), QString::number(c.days));
        EXPECT_EQ(l.selected, c.selected) << c.days << "/" << c.current << "/" << c.dagPos;
        EXPECT_EQ(dagPos, c.dagPosAfter);
    }
    int dagPos = 0;
    EXPECT_EQ(openDayList(29, 0, dagPos).entries.first(), "01");
}

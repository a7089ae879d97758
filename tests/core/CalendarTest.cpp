// The one calendar of the program: Gregorian leap years, month lengths,
// weekdays and days kept within their month.
#include "core/DateText.h"

#include <gtest/gtest.h>

using namespace fyn;

TEST(Calendar, FebruaryFollowsTheGregorianRule) {
    const struct {
        int year;
        int february;
    } cases[] = {{2024, 29}, {2025, 28}, {2028, 29}, {2032, 29}, {2040, 29},
                 {2100, 28}, {2000, 29}, {1900, 28}, {2044, 29}, {2026, 28}};
    for (const auto& c : cases)
        EXPECT_EQ(daysInMonth(c.year, 2), c.february) << c.year;
}

TEST(Calendar, MonthLengthsAndMonthsOutsideTheYear) {
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(daysInMonth(2026, m), lengths[m - 1]) << m;
    EXPECT_EQ(daysInMonth(2026, 0), 0);
    EXPECT_EQ(daysInMonth(2026, 13), 0);
}

TEST(Calendar, WeekdaysRunMondayToSundayAndNoDateHasNone) {
    const struct {
        int y, m, d, weekday;
    } cases[] = {
        {2026, 1, 1, 4},  {2026, 4, 25, 6}, {2026, 4, 26, 7}, {2026, 5, 31, 7},
        {2026, 8, 1, 6},  {2026, 8, 31, 1}, {2024, 2, 29, 4}, {2028, 2, 29, 2},
        {2026, 2, 29, 0}, {2026, 4, 31, 0}, {2026, 13, 1, 0}, {2026, 1, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isoWeekday(c.y, c.m, c.d), c.weekday) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Calendar, DaysAreKeptWithinTheirMonth) {
    EXPECT_EQ(clampDay(2025, 2, 29), 28);
    EXPECT_EQ(clampDay(2024, 2, 31), 29);
    EXPECT_EQ(clampDay(2026, 4, 31), 30);
    EXPECT_EQ(clampDay(2026, 4, 0), 1);
    EXPECT_EQ(clampDay(2026, 12, 31), 31);
    // The working date's clamp is the same calendar.
    EXPECT_EQ(clampedDateText("2028-02-31"), QDate(2028, 2, 29));
    EXPECT_EQ(clampedDateText("2040-02-30"), QDate(2040, 2, 29));
    EXPECT_EQ(dateText(2026, 3, 5), "2026-03-05");
}

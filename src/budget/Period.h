#pragma once
// The budget period: one budget year with a start and an end month, the pick
// lists that change it, the holiday register's coverage of it, and the day
// list of a month. Plain functions, no widgets.
#include <QString>
#include <QStringList>

namespace fyn::budget {

struct Period {
    int year = 0;
    int start = 1; // first month
    int stop = 12; // last month
};

// "01".."12".
QString twoDigits(int n);

// The period suggested from today ("yyyy-mm-dd"): the next quarter to the end
// of the year, or the whole of next year from October on.
Period suggestPeriod(const QString& today);

// This year and the four after it.
QStringList yearChoices(const QString& today);
// "01".."11" for the start month, "02".."12" for the end month.
QStringList startChoices();
QStringList stopChoices();

// The start month never passes the end month, nor the end month the start.
int clampStart(int chosen, int stop);
int clampStop(int chosen, int start);

// The last day of the end month as two digits.
QString endDayText(int year, int stopMonth);

// How far the holidays that can be registered by today reach into the period:
// next year's can be registered from July on.
enum class Coverage { None, Partial, Full };
Coverage coverageWarning(const QString& today, int budgetYear, int stopMonth, int redDayNum);
// The warning's text; empty for None.
QString coverageText(Coverage c);

// The day list of a month of daysInMonth days: "01".."dd", and the entry to
// select (-1 = none). currentDay is the day the month shows (0 = none); the
// entry before it is selected, so that it shows in the list's window. Without
// a day the last chosen position dagPos is offered, lowered to fit the month.
struct DayList {
    QStringList entries;
    int selected = -1;
};
DayList openDayList(int daysInMonth, int currentDay, int& dagPos);

// A chosen day ("dd") kept within its month after a change of year; an empty
// or unreadable text stays as it is.
QString clampedDayText(int year, int month, const QString& day);

} // namespace fyn::budget

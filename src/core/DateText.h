#pragma once
// Dates as the text "yyyy-mm-dd", which orders them in time.
#include <QDate>
#include <QString>

namespace fyn {

QString dateText(const QDate& d);
// An invalid QDate when the text is not a real "yyyy-mm-dd" date.
QDate parseDateText(const QString& text);
bool isDateText(const QString& text);
// A stored date as a working date: "yyyy-mm-dd" with a day its month lacks
// (2023-02-31) becomes the month's last day. Invalid when it is no such text,
// or its month or day is out of range.
QDate clampedDateText(const QString& text);
// The calendar every date of the program follows: the Gregorian one.
bool isLeapYear(int year);
// 28..31; 0 for a month outside 1..12.
int daysInMonth(int year, int month);
// Monday 1 .. Sunday 7; 0 when there is no such date.
int isoWeekday(int year, int month, int day);
// The day within its month: below 1 the 1st, past the month's end its last day.
int clampDay(int year, int month, int day);
// "yyyy-mm-dd" with every part zero-padded.
QString dateText(int year, int month, int day);

// The time of day as "hh:mm:ss".
QString timeText(const QTime& t);

} // namespace fyn

#include "core/DateText.h"

#include <chrono>

namespace fyn {

QString dateText(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QDate parseDateText(const QString& text) {
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return {};
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text.at(i).unicode() < '0' || text.at(i).unicode() > '9')
            return {};
    return QDate(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
}

QDate clampedDateText(const QString& text) {
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return {};
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text.at(i).unicode() < '0' || text.at(i).unicode() > '9')
            return {};
    const int year = text.left(4).toInt();
    const int month = text.mid(5, 2).toInt();
    const int day = text.mid(8, 2).toInt();
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return {};
    return QDate(year, month, clampDay(year, month, day));
}

bool isDateText(const QString& text) {
    return parseDateText(text).isValid();
}

bool isLeapYear(int year) {
    return std::chrono::year(year).is_leap();
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int isoWeekday(int year, int month, int day) {
    using namespace std::chrono;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    const year_month_day ymd{std::chrono::year(year), std::chrono::month(unsigned(month)),
                             std::chrono::day(unsigned(day))};
    return ymd.ok() ? int(weekday(sys_days(ymd)).iso_encoding()) : 0;
}

int clampDay(int year, int month, int day) {
    return qBound(1, day, qMax(1, daysInMonth(year, month)));
}

QString dateText(int year, int month, int day) {
    return QStringLiteral("%1-%2-%3")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

QString timeText(const QTime& t) {
    return t.toString(QStringLiteral("hh:mm:ss"));
}

} // namespace fyn

#include "budget/Period.h"

#include "core/DateText.h"

namespace fyn::budget {

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

Period suggestPeriod(const QString& today) {
    const int year = today.left(4).toInt();
    const int month = today.mid(5, 2).toInt();
    if (month >= 10)
        return {year + 1, 1, 12};
    if (month >= 7)
        return {year, 10, 12};
    if (month >= 4)
        return {year, 7, 12};
    return {year, 4, 12};
}

QStringList yearChoices(const QString& today) {
    const int year = today.left(4).toInt();
    QStringList out;
    for (int y = year; y <= year + 4; ++y)
        out << QString::number(y);
    return out;
}

QStringList startChoices() {
    QStringList out;
    for (int m = 1; m <= 11; ++m)
        out << twoDigits(m);
    return out;
}

QStringList stopChoices() {
    QStringList out;
    for (int m = 2; m <= 12; ++m)
        out << twoDigits(m);
    return out;
}

int clampStart(int chosen, int stop) {
    return chosen > stop ? stop : chosen;
}

int clampStop(int chosen, int start) {
    return chosen < start ? start : chosen;
}

QString endDayText(int year, int stopMonth) {
    return twoDigits(daysInMonth(year, stopMonth));
}

Coverage coverageWarning(const QString& today, int budgetYear, int stopMonth, int redDayNum) {
    if (redDayNum <= 0)
        return Coverage::None;
    const int next = today.left(4).toInt() + 1;
    const int month = today.mid(5, 2).toInt();
    if (budgetYear > next)
        return Coverage::Full;
    if (budgetYear < next)
        return Coverage::None;
    // Next year's holidays can be registered from July: until then none of
    // them can be there, June included.
    if (month <= 6)
        return Coverage::Full;
    return stopMonth > 6 ? Coverage::Partial : Coverage::None;
}

QString coverageText(Coverage c) {
    switch (c) {
    case Coverage::Partial:
        return QStringLiteral("Inställd budgetperiod ligger helt eller delvis utanför möjlig "
                              "täckning av registrerade 'Röda dagar', varför parering av dem "
                              "inte kan garanteras vid föreslagna budgeteringsdagar !\n"
                              "Du bör därför själv kontrollera om budgeteringsdagar inträffar "
                              "på 'Röda dagar' !");
    case Coverage::Full:
        return QStringLiteral("Inställd budgetperiod ligger helt utanför möjlig täckning av "
                              "registrerade 'Röda dagar', varför ingen parering av dem är möjlig "
                              "vid föreslagna budgeteringsdagar !\n"
                              "Du får därför själv kontrollera om budgeteringsdagar inträffar på "
                              "'Röda dagar' !");
    case Coverage::None:
        break;
    }
    return {};
}

DayList openDayList(int daysInMonth, int currentDay, int& dagPos) {
    DayList list;
    for (int d = 1; d <= daysInMonth; ++d)
        list.entries << twoDigits(d);
    if (currentDay > 0) {
        if (currentDay + 2 > daysInMonth)
            list.selected = daysInMonth - 3;
        else if (currentDay > 1)
            list.selected = currentDay - 2;
        else
            list.selected = 0;
    } else if (dagPos > 0) {
        if (dagPos > daysInMonth - 1)
            dagPos = daysInMonth - 1;
        list.selected = dagPos;
    }
    return list;
}

QString clampedDayText(int year, int month, const QString& day) {
    bool ok = false;
    const int d = day.trimmed().toInt(&ok);
    if (!ok || d < 1)
        return day;
    return twoDigits(clampDay(year, month, d));
}

} // namespace fyn::budget

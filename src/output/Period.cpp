#include "output/Period.h"

#include "core/Numbers.h"

namespace fyn::output {

namespace {

QString twoDigits(int n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

bool wholeNumber(const QString& text, int& out) {
    bool ok = false;
    out = trimBlanks(text).toInt(&ok);
    return ok;
}

} // namespace

DateParts DateParts::of(std::string_view datum) {
    const QString d = QString::fromLatin1(datum.data(), qsizetype(datum.size()));
    return {d.mid(0, 4), d.mid(5, 2), d.mid(8, 2)};
}

DateParts DateParts::ofCompact(const QString& s) {
    return {s.mid(0, 4), s.mid(4, 2), s.mid(6, 2)};
}

QString DateParts::compact() const {
    return year + month + day;
}

QByteArray DateParts::datum() const {
    return (year + QLatin1Char('-') + month + QLatin1Char('-') + day).toLatin1();
}

QStringList dayList(const QString& year, const QString& month) {
    static const QStringList months = monthList();
    const int m = int(months.indexOf(month)) + 1;
    if (m < 1)
        return {};
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = 0;
    // A year that is no number has no leap day.
    const bool leap = wholeNumber(year, y) && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0);
    const int days = kDays[m - 1] + (m == 2 && leap ? 1 : 0);
    QStringList out;
    for (int d = 1; d <= days; ++d)
        out << twoDigits(d);
    return out;
}

QStringList monthList() {
    QStringList out;
    for (int m = 1; m <= 12; ++m)
        out << twoDigits(m);
    return out;
}

QStringList yearList(const QString& firstYear, const QString& lastYear) {
    int first = 0, last = 0;
    QStringList out;
    if (!wholeNumber(firstYear, first) || !wholeNumber(lastYear, last))
        return out;
    for (int y = first; y <= last + 1; ++y)
        out << QString::number(y);
    return out;
}

bool startAfterStop(const QString& start, const QString& stop) {
    return toLong(start) > toLong(stop);
}

bool coversWholeFile(const QString& start, const QString& stop, const QString& fileFirst,
                     const QString& fileLast) {
    return toLong(start) <= toLong(fileFirst) && toLong(stop) >= toLong(fileLast);
}

QString periodLabelText(bool whole) {
    return whole ? QStringLiteral("Hela Kontofilen !") : QStringLiteral("Del av Kontofilen !");
}

PeriodRange periodRange(const AccountData& data, int recCount, const DateParts& start,
                        const DateParts& stop) {
    return {data.firstOnOrAfter(start.datum(), recCount),
            data.lastOnOrBefore(stop.datum(), recCount)};
}

} // namespace fyn::output

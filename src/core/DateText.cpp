#include "core/DateText.h"

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
    const QDate first(year, month, 1);
    return first.isValid() ? QDate(year, month, qMin(day, first.daysInMonth())) : QDate();
}

bool isDateText(const QString& text) {
    return parseDateText(text).isValid();
}

QString timeText(const QTime& t) {
    return t.toString(QStringLiteral("hh:mm:ss"));
}

} // namespace fyn

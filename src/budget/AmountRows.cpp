#include "budget/AmountRows.h"

#include "core/Amount.h"
#include "core/Numbers.h"

#include <QRegularExpression>
#include <limits>

namespace fyn::budget {

QString formatWhole(const QString& pattern, qint64 value) {
    const bool negative = value < 0;
    const QString digits = QString::number(negative ? -value : value);
    const qsizetype places = pattern.count(QLatin1Char('#')) + pattern.count(QLatin1Char('0'));
    const qsizetype extra = std::max<qsizetype>(0, digits.size() - places);
    const QString rest = digits.mid(extra);
    const qsizetype firstDigit = places - rest.size(); // the place the first digit takes
    QString out;
    qsizetype place = 0;
    for (const QChar c : pattern) {
        if (c != QLatin1Char('#') && c != QLatin1Char('0')) {
            out += c;
            continue;
        }
        if (place == 0)
            out += digits.left(extra);
        if (place >= firstDigit)
            out += rest.at(place - firstDigit);
        else if (c == QLatin1Char('0'))
            out += QLatin1Char('0');
        ++place;
    }
    return negative ? QLatin1Char('-') + out : out;
}

std::optional<qint32> parseBoxAmount(const QString& text) {
    QString t = text;
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0xA0));
    static const QRegularExpression number(QStringLiteral("^-?(\\d+(,\\d*)?|,\\d+)$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    Amount a;
    if (!Amount::tryParse(t, a))
        return std::nullopt;
    const std::int64_t whole = divRoundHalfEven(a.abs().raw(), Amount::kScale);
    const std::int64_t v = a.isNegative() ? -whole : whole;
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(v);
}

QString formatOnEnter(const QString& text) {
    const std::optional<qint32> v = parseBoxAmount(text);
    return v ? formatWhole(QStringLiteral("### ### ##0"), *v) : text;
}

bool typableAmount(const QString& text) {
    static const QRegularExpression typable(QStringLiteral("^[0-9 ]*(,[0-9 ]*)?$"));
    return typable.match(text).hasMatch();
}

ScanOutcome scanRows(const std::array<RowState, 13>& rows, bool expense,
                     const std::function<bool(int month)>& askClearDay) {
    ScanOutcome out;
    for (int m = 1; m <= 12; ++m) {
        const RowState& row = rows[size_t(m)];
        if (row.day.isEmpty())
            continue;
        if (trimBlanks(row.box).isEmpty()) {
            if (!askClearDay(m)) {
                out.result = ScanOutcome::Result::Stopped;
                out.month = m;
                return out;
            }
            out.cleared.push_back(m);
            continue;
        }
        const std::optional<qint32> v = parseBoxAmount(row.box);
        if (!v) {
            out.result = ScanOutcome::Result::Failed;
            out.month = m;
            return out;
        }
        // An expense turns the value's sign; a negative amount never gets a
        // second minus.
        const qint64 signedValue = expense ? -qint64(*v) : qint64(*v);
        out.list[size_t(m)][1] = row.day;
        out.list[size_t(m)][2] = QString::number(signedValue);
    }
    return out;
}

QString monthName(int month) {
    static const char* const kNames[] = {"Januari",   "Februari", "Mars",     "April",
                                         "Maj",       "Juni",     "Juli",     "Augusti",
                                         "September", "Oktober",  "November", "December"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(kNames[month - 1]) : QString();
}

} // namespace fyn::budget

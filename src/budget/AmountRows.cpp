#include "budget/AmountRows.h"

#include "core/Amount.h"

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

BoxAmount readBoxAmount(const QString& text) {
    BoxAmount a;
    a.typed = readTypedAmount(text);
    if (a.typed.kind == TypedAmount::Kind::Empty)
        return a;
    using K = TypedAmount::Kind;
    if (a.typed.kind == K::TooManyDecimals || a.typed.kind == K::NotANumber)
        a.kind = BoxAmount::Kind::NoAmount;
    else if (!a.typed.sign.isNull())
        a.kind = BoxAmount::Kind::Signed;
    else if (a.typed.kind == K::TooLarge || a.typed.wholeKronor() >= 100000000)
        a.kind = BoxAmount::Kind::OverLimit; // over the limit once rounded, as a posting is
    else {
        a.kind = BoxAmount::Kind::Whole;
        a.whole = qint32(a.typed.wholeKronor());
    }
    return a;
}

QString formatOnEnter(const QString& text) {
    const BoxAmount a = readBoxAmount(text);
    return a.kind == BoxAmount::Kind::Whole ? formatWhole(QStringLiteral("### ### ##0"), a.whole)
                                            : text;
}

ScanOutcome scanRows(const std::array<RowState, 13>& rows, bool expense,
                     const std::function<bool(int month)>& askClearDay) {
    ScanOutcome out;
    for (int m = 1; m <= 12; ++m) {
        const RowState& row = rows[size_t(m)];
        if (row.day.isEmpty())
            continue;
        const BoxAmount a = readBoxAmount(row.box);
        if (a.kind == BoxAmount::Kind::Empty) {
            if (!askClearDay(m)) {
                out.result = ScanOutcome::Result::Stopped;
                out.month = m;
                return out;
            }
            out.cleared.push_back(m);
            continue;
        }
        if (a.kind != BoxAmount::Kind::Whole) {
            out.result = ScanOutcome::Result::Failed;
            out.month = m;
            out.refused = a;
            return out;
        }
        out.list[size_t(m)][1] = row.day;
        out.list[size_t(m)][2] = QString::number(expense ? -qint64(a.whole) : qint64(a.whole));
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

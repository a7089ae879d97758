#include "budget/Placement.h"

#include "budget/AmountRows.h"
#include "budget/Period.h"
#include "core/DateText.h"
#include "core/Numbers.h"

namespace fyn::budget {

long valWhole(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    long v = 0;
    for (; i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9'; ++i) {
        if (v > 99999999)
            break; // far beyond any field of the files
        v = v * 10 + (text.at(i).unicode() - '0');
    }
    return negative ? -v : v;
}

Slot moveOffWeekend(int year, Slot s, int start, int stop, const RedDays& red) {
    int m = s.month;
    int day = clampDay(year, m, s.day);
    const auto isRed = [&](int d) { return red.isRed(year, m, d); };
    const int weekday = isoWeekday(year, m, day);
    if (weekday == 6) { // Saturday
        if (day >= 2) {
            --day; // Friday
            if (isRed(day)) {
                if (day == 1) {
                    // No Thursday in this month: the Monday after instead.
                    day = 4;
                    if (isRed(day))
                        day = 5;
                } else {
                    --day;
                }
            }
        } else if (m - 1 >= start && m - 1 >= 1) {
            --m;
            day = daysInMonth(year, m);
            if (isRed(day))
                --day;
        } else {
            day = 3; // Monday
            if (isRed(day))
                day = 4;
        }
    } else if (weekday == 7) { // Sunday
        const int sunday = day;
        for (;;) {
            if (day + 1 > daysInMonth(year, m)) {
                if (m + 1 > stop || m >= 12) {
                    // Back to the Friday before the Sunday.
                    day = sunday - 2;
                    if (isRed(day) && day > 1)
                        --day;
                } else {
                    ++m;
                    day = 1;
                    if (isRed(day))
                        day = 2;
                }
                break;
            }
            ++day;
            if (!isRed(day))
                break;
        }
    }
    return {m, day};
}

namespace {

// The template's amount: digits with an optional sign, nothing else.
std::optional<long> templateAmount(const QString& text) {
    const QString t = trimBlanks(text);
    qsizetype i = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype k = i; k < t.size(); ++k)
        if (t.at(k).unicode() < '0' || t.at(k).unicode() > '9')
            return std::nullopt;
    return valWhole(t);
}

// The nearest weekday of the month from day on in the direction step (+1 or
// -1), the day itself left out, that is no holiday; 0 when the month has none.
int weekdayWithin(int year, int month, int day, int step, const RedDays& red) {
    for (int d = day + step; d >= 1 && d <= daysInMonth(year, month); d += step)
        if (isoWeekday(year, month, d) <= 5 && !red.isRed(year, month, d))
            return d;
    return 0;
}

} // namespace

Placement placeTemplate(const std::vector<BudgMallPost>& tmpl, long transRef, int year, int start,
                        int stop, const RedDays& red) {
    struct Pick {
        long record;
        int month;
        int day;
        const BudgMallPost* post;
    };
    // The records the scan reaches, and so the months that have their own.
    std::vector<Pick> picks;
    bool ended = false;
    for (size_t i = 0; i < tmpl.size(); ++i) {
        const BudgMallPost& r = tmpl[i];
        if (valWhole(trimBlanks(r.TransRef)) != transRef)
            continue;
        if (trimBlanks(r.Manad).isEmpty()) {
            ended = true;
            break;
        }
        const long month = valWhole(r.Manad);
        if (month < start || month > stop)
            continue;
        bool ok = false;
        const int day = r.Dag.trimmed().toInt(&ok);
        if (!ok || day < 1)
            continue;
        picks.push_back({long(i + 1), int(month), day, &r});
    }
    std::array<bool, 13> own{};
    for (const Pick& k : picks)
        own[size_t(k.month)] = true;

    Placement p;
    QString amountInHand;
    for (const Pick& k : picks) {
        const std::optional<long> amount = templateAmount(k.post->Belopp);
        if (!amount || *amount < 0) {
            p.rows[size_t(k.month)].reset();
            p.unplaced.push_back(
                {amount ? UnplacedRecord::Why::Negative : UnplacedRecord::Why::Damaged, k.record,
                 k.month, k.post->Dag, trimBlanks(k.post->Belopp)});
            continue;
        }
        amountInHand = formatWhole(QStringLiteral("#### #### ##0"), *amount);
        const int day = clampDay(year, k.month, k.day);
        Slot moved = moveOffWeekend(year, {k.month, day}, start, stop, red);
        if (moved.month != k.month && own[size_t(moved.month)]) {
            const int stay = weekdayWithin(year, k.month, day, moved.month > k.month ? -1 : 1, red);
            if (stay > 0)
                moved = {k.month, stay};
        }
        p.rows[size_t(moved.month)] = PlacedRow{twoDigits(moved.day), amountInHand};
    }
    p.placedAny = !ended && !amountInHand.isEmpty();
    return p;
}

QStringList excludedRefs(const std::vector<BudgMallPost>& tmpl) {
    QStringList out;
    for (const BudgMallPost& r : tmpl) {
        if (trimBlanks(r.Uteslut) != QLatin1String("*"))
            continue;
        const QString ref = trimBlanks(r.TransRef);
        if (!out.contains(ref))
            out << ref;
    }
    return out;
}

bool isExcluded(const std::vector<BudgMallPost>& tmpl, long ref) {
    const QString text = QString::number(ref);
    for (const BudgMallPost& r : tmpl)
        if (trimBlanks(r.TransRef) == text && trimBlanks(r.Uteslut) == QLatin1String("*"))
            return true;
    return false;
}

QString filterKey(Filter f) {
    switch (f) {
    case Filter::BBara:
        return QStringLiteral("B-bara");
    case Filter::Uteslutna:
        return QStringLiteral("Uteslutna");
    case Filter::Alla:
        break;
    }
    return QStringLiteral("Alla");
}

std::vector<ListedTransaction> listTransactions(Filter f, const std::vector<TransPost>& transakt,
                                                long mallAntal, const QStringList& excluded) {
    const bool narrow = f != Filter::Alla && mallAntal >= 1 && !excluded.isEmpty();
    std::vector<ListedTransaction> out;
    for (size_t i = 0; i < transakt.size(); ++i) {
        const long record = long(i + 1);
        if (narrow && excluded.contains(QString::number(record)) != (f == Filter::Uteslutna))
            continue;
        const QString name = trimBlanks(transakt[i].TransNamn);
        if (!name.isEmpty())
            out.push_back({name, record});
    }
    return out;
}

ConditionsView conditions(bool transaktEmpty, const std::vector<BudgMallPost>& tmpl,
                          int startMonth) {
    ConditionsView v;
    if (transaktEmpty) {
        v.help = 1;
        v.noTransactions = true;
        return v;
    }
    if (tmpl.empty()) {
        v.help = 2;
        return v; // "Alla" alone
    }
    bool excludedInPeriod = false;
    if (!excludedRefs(tmpl).isEmpty())
        for (const BudgMallPost& r : tmpl)
            if (valWhole(r.Manad) >= startMonth && trimBlanks(r.Uteslut) == QLatin1String("*"))
                excludedInPeriod = true;
    if (excludedInPeriod)
        return {4, false, Filter::BBara, true, true, true, false};
    return {3, false, Filter::Alla, true, true, false, true};
}

ConditionsView afterMarking(bool anyExcluded, bool restoring) {
    if (anyExcluded)
        return {4, false, Filter::BBara, !restoring, true, true, false};
    return {3, false, Filter::Alla, true, true, false, false};
}

} // namespace fyn::budget

#include "budget/Generator.h"

#include "core/Amount.h"
#include "core/DateText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace fyn::budget {

Plan planFrom(const MonthList& list, int year, long transRef, const QString& today) {
    Plan plan;
    for (int m = 1; m <= 12; ++m) {
        const QString& day = list[size_t(m)][1];
        const QString& amount = list[size_t(m)][2];
        if (day.isEmpty() || amount.isEmpty())
            continue;
        bool ok = false;
        const int d = day.toInt(&ok);
        Amount a;
        if (day.size() != 2 || !ok || isoWeekday(year, m, d) == 0 || !Amount::tryParse(amount, a)) {
            plan.badMonth = m;
            plan.postings.clear();
            plan.months.clear();
            return plan;
        }
        const QString text = a.storage();
        plan.postings.push_back({dateText(year, m, d), transRef, 0, text, text, today});
        plan.months.push_back(m);
    }
    return plan;
}

std::vector<int> monthsAlreadyPosted(const ledger::PostingFile& f, long n, const Plan& plan) {
    std::vector<int> out;
    n = std::min(n, f.recordCount());
    for (size_t i = 0; i < plan.postings.size(); ++i) {
        const ledger::NewPosting& p = plan.postings[i];
        const QByteArray month = p.datum.left(8).toLatin1(); // "yyyy-mm-"
        const QByteArray ref = QByteArray::number(qlonglong(std::abs(p.transRef)));
        // The month's records when the file is in date order; every record otherwise.
        long first = 1, last = n;
        if (f.inDateOrder(n)) {
            first = f.lastOnOrBefore(QString::fromLatin1(month + "00"), n) + 1;
            last = f.lastOnOrBefore(QString::fromLatin1(month + "99"), n);
        }
        for (long k = first; k <= last; ++k) {
            const char* rec = f.record(k);
            if (!rec || std::memcmp(rec, month.constData(), 8) != 0)
                continue;
            if (QByteArray(rec + 10, 4).trimmed() == ref) {
                out.push_back(plan.months[i]);
                break;
            }
        }
    }
    return out;
}

ledger::EditResult postPlan(ledger::PostingFile& f, long n, const Plan& plan) {
    return ledger::insertPostings(f, n, plan.postings, nullptr);
}

} // namespace fyn::budget

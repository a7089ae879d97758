#include "budget/Generator.h"

#include "core/Amount.h"
#include "core/DateText.h"

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

ledger::EditResult postPlan(ledger::PostingFile& f, long n, const Plan& plan) {
    return ledger::insertPostings(f, n, plan.postings, nullptr);
}

} // namespace fyn::budget

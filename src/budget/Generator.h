#pragma once
// The posting run of the budgeting dialog: the month list turned into budget
// postings, checked in full and written as one commit. No widgets.
#include "budget/AmountRows.h"
#include "ledger/Engine.h"

#include <vector>

namespace fyn::budget {

struct Plan {
    std::vector<ledger::NewPosting> postings; // in month order, so in date order
    std::vector<int> months;                  // the month of each
    int badMonth = 0; // > 0: that month's date or amount is not a real one; nothing to post
};

// One budget posting for each month whose day and amount are both filled:
// dated year-mm-dd, both amounts the month's amount, the transaction transRef,
// no subtransaction; confirmed when dated on or before today.
Plan planFrom(const MonthList& list, int year, long transRef, const QString& today);

// The months of the plan in which records 1..n already hold a posting of the
// plan's transaction: a second run over them would post it twice.
std::vector<int> monthsAlreadyPosted(const ledger::PostingFile& f, long n, const Plan& plan);

// Posts the plan into the open posting file of n postings as one commit: each
// posting after the postings of its day, every later balance raised. Checked
// in full first (every balance and amount within the limit, every field wide
// enough): a refusal writes nothing. The budget template learns nothing.
ledger::EditResult postPlan(ledger::PostingFile& f, long n, const Plan& plan);

} // namespace fyn::budget

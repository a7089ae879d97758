#pragma once
// The exclusion marks of the budget template and what a deleted transaction
// leaves there. The open template (account().bmall) is read again after each
// commit, so that memory follows the file. No widgets.
#include "core/Records.h"
#include "core/SafeWrite.h"

#include <QString>
#include <vector>

namespace fyn::ledger {

class BudgetTemplate;

// The template's records 1..count as the open template holds them.
std::vector<BudgMallPost> templateRecords(const BudgetTemplate& t);

// Marks ("*") or unmarks every record of transaction ref as excluded from
// budgeting, as one commit of the records that change; the open template is
// read again. Returns how many records the transaction has (0: none, nothing
// written).
long setExcluded(BudgetTemplate& t, const QString& path, long ref, bool excluded);

// The records of a deleted transaction ref belong to no transaction: their
// TransRef becomes "0" and their mark goes, as part of batch, so that a new
// transaction in the freed slot inherits nothing. Call reopenTemplate after
// the batch committed.
void orphanRecords(const BudgetTemplate& t, const QString& path, WriteBatch& batch, long ref);

// Reads the open template again from path.
void reopenTemplate(BudgetTemplate& t, const QString& path);

} // namespace fyn::ledger

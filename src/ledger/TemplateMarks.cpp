#include "ledger/TemplateMarks.h"

#include "core/Numbers.h"
#include "ledger/Engine.h"

namespace fyn::ledger {

namespace {

bool ofTransaction(const BudgMallPost& r, long ref) {
    return trimBlanks(r.TransRef) == QString::number(ref);
}

} // namespace

std::vector<BudgMallPost> templateRecords(const BudgetTemplate& t) {
    std::vector<BudgMallPost> out;
    out.reserve(size_t(t.count()));
    for (long n = 1; n <= t.count(); ++n)
        out.push_back(t.record(n));
    return out;
}

long setExcluded(BudgetTemplate& t, const QString& path, long ref, bool excluded) {
    const QString mark = excluded ? QStringLiteral("*") : QString();
    WriteBatch batch;
    long found = 0;
    for (long n = 1; n <= t.count(); ++n) {
        BudgMallPost r = t.record(n);
        if (!ofTransaction(r, ref))
            continue;
        ++found;
        if (trimBlanks(r.Uteslut) == mark)
            continue;
        // Restoring clears only the mark; anything else there stays.
        if (excluded || trimBlanks(r.Uteslut) == QLatin1String("*")) {
            r.Uteslut = mark;
            batch.write(path, qint64(n - 1) * BudgMallPost::Length, encodeRecord(r));
        }
    }
    if (!batch.empty()) {
        batch.commit();
        reopenTemplate(t, path);
    }
    return found;
}

void orphanRecords(const BudgetTemplate& t, const QString& path, WriteBatch& batch, long ref) {
    for (long n = 1; n <= t.count(); ++n) {
        BudgMallPost r = t.record(n);
        if (!ofTransaction(r, ref))
            continue;
        r.TransRef = QStringLiteral("0");
        r.Uteslut.clear();
        batch.write(path, qint64(n - 1) * BudgMallPost::Length, encodeRecord(r));
    }
}

void reopenTemplate(BudgetTemplate& t, const QString& path) {
    t.open(path);
}

} // namespace fyn::ledger

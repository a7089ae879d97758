#include "names/TransNames.h"

#include "core/RecordFile.h"
#include "ledger/Account.h"
#include "names/NameSupport.h"

namespace fyn {

SavedName saveMainName(const QString& name, const QString& sign, long* slot) {
    const QString trimmed = rtrimBlanks(name);
    if (QString problem = nameProblem(trimmed); !problem.isEmpty())
        return {0, problem};
    const RecordFile& transakt = ledger::account().transakt;
    const long free = freeSlot<TransPost>(transakt, [](const TransPost& t) { return t.TransNamn; });
    if (slot)
        *slot = free;
    transakt.put(free, TransPost{trimmed, sign.isEmpty() ? QStringLiteral(" ") : sign});
    return {free, {}};
}

} // namespace fyn

#include "budget/BudgetTesting.h"

#include "core/Errors.h"

namespace fyn::budget_testing {

namespace {

QString g_routine;
At g_at = At::Start;
QString g_text;

} // namespace

void armFailure(const QString& routine, At at, const QString& sysText) {
    g_routine = routine;
    g_at = at;
    g_text = sysText;
}

void failurePoint(const QString& routine, At at) {
    if (g_routine.isEmpty() || routine != g_routine || at != g_at)
        return;
    g_routine.clear();
    raiseError(g_text);
}

} // namespace fyn::budget_testing

#pragma once
// Failure injection for the tests of the budgeting windows' error reports: a
// handler armed here fails as a runtime error would, at its start or once its
// work is done, so that its report can be read without damaging a file.
#include <QString>

namespace fyn::budget_testing {

enum class At { Start, End };

// The next run of the handler whose message names routine ("Command2
// (Budgetera...)") fails at that point with the system text sysText. An empty
// routine disarms.
void armFailure(const QString& routine, At at,
                const QString& sysText = QStringLiteral("Disk full"));

// Passed by every guarded handler at its start and its end.
void failurePoint(const QString& routine, At at);

} // namespace fyn::budget_testing

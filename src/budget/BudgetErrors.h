#pragma once
// How the budgeting windows report a failure: the handler convention of the
// error routine, with the dump opened by the routine's own head.
#include "budget/BudgetTesting.h"
#include "core/Errors.h"
#include "core/State.h"

#include <QString>
#include <QStringList>
#include <exception>
#include <type_traits>

namespace fyn::budget {

// Runs body; a runtime error is reported and false returned. routine is what
// follows "Ett fel har uppstått i subrutinen " (the routine and its
// description), suffix what continues that line (" vid försök att ändra
// årtal"), lines the message's lines after it (a list, or a function giving
// one), dumpHead() the dump's opening and labels() the labelled values after
// it. All but routine and suffix are asked only after a failure, so that they
// tell where it came.
template <class Body, class Lines, class Head, class Labels>
bool trapBudget(Body&& body, const QString& routine, const QString& suffix, Lines&& lines,
                Head&& dumpHead, Labels&& labels) {
    try {
        budget_testing::failurePoint(routine, budget_testing::At::Start);
        body();
        budget_testing::failurePoint(routine, budget_testing::At::End);
        return true;
    } catch (const std::exception&) {
        QStringList message;
        if constexpr (std::is_invocable_v<Lines&>)
            message = lines();
        else
            message = lines;
        ErrorContext c(routine, message, labels());
        c.messageSuffix = suffix;
        fillCurrentErrorTexts(c);
        const QString head = QStringLiteral("Fel i rutinen ") + routine;
        Module1.FelDump.replace(0, head.size(), dumpHead());
    }
    reportError();
    return false;
}

// A routine whose message has no lines after its first.
template <class Body, class Head, class Labels>
bool trapBudget(Body&& body, const QString& routine, const QString& suffix, Head&& dumpHead,
                Labels&& labels) {
    return trapBudget(std::forward<Body>(body), routine, suffix, QStringList{},
                      std::forward<Head>(dumpHead), std::forward<Labels>(labels));
}

inline QString accountLabel() {
    return QStringLiteral("Budgetkonto: ") + Module1.KontoNamn;
}

} // namespace fyn::budget

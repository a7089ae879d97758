#pragma once
// How the budgeting windows report a failure: the handler convention of the
// error routine, with the dump opened by the routine's own head.
#include "core/Errors.h"
#include "core/State.h"

#include <QString>
#include <QStringList>
#include <exception>

namespace fyn::budget {

// Runs body; a runtime error is reported and false returned. message is what
// follows "Ett fel har uppstått i subrutinen " (the routine and its
// description), context the lines after it, dumpHead() the dump's opening
// and labels() the labelled values after it; both are asked only after a
// failure, so that they tell where it came.
template <class Body, class Head, class Labels>
bool trapBudget(Body&& body, const QString& message, const QStringList& context, Head&& dumpHead,
                Labels&& labels) {
    try {
        body();
        return true;
    } catch (const std::exception&) {
        const QString text = currentErrorText();
        const QString where = currentErrorWhere();
        const ErrorContext c(message, context, labels());
        fillErrorTexts(text, c, where);
        const QString head = QStringLiteral("Fel i rutinen ") + message;
        Module1.FelDump.replace(0, head.size(), dumpHead());
    }
    reportError();
    return false;
}

inline QString accountLabel() {
    return QStringLiteral("Budgetkonto: ") + Module1.KontoNamn;
}

} // namespace fyn::budget

#pragma once
// Helpers shared by the main window's error handlers.
#include "core/Errors.h"
#include "core/State.h"

#include <QString>

namespace fyn::handler {

inline QString kindLine() {
    return Module1.KontoSlag == QLatin1String("Bg") ? QStringLiteral("Kontoslag = BudgetKonto")
                                                    : QStringLiteral("Kontoslag = Enkel bokf.");
}

inline QString accountLine() {
    return QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn;
}

// As trap, for the handlers whose dump opens with a head of its own
// ("Fel nr 2 i rutinen ...", or another spelling of the routine's name).
template <class Body, class Context>
bool trapWithHead(Body&& body, Context&& context, const QString& dumpHead) {
    try {
        body();
        return true;
    } catch (const std::exception&) {
        const ErrorContext c = context();
        fillCurrentErrorTexts(c);
        QString head = QStringLiteral("Fel i rutinen ") + c.routine;
        if (c.region > 0)
            head += QStringLiteral(" (%1)").arg(c.region);
        Module1.FelDump.replace(0, head.size(), dumpHead);
    }
    reportError();
    return false;
}

} // namespace fyn::handler

#pragma once
// The output dialog's error handlers: each runs its routine's work under the
// shared handler convention (HandlerTexts.h). A test may arm one handler to
// fail as its work begins, so that the texts of handlers that no damaged file
// reaches are checked too.
#include "mainwindow/HandlerTexts.h"

#include <QString>

namespace fyn::output {

// Arms the next handler whose dump opens with dumpHead to fail with the
// system's text sysText; an empty head disarms.
void armHandlerFault(const QString& dumpHead, const QString& sysText);
// Raises the armed failure when it is this handler's.
void raiseArmedFault(const QString& dumpHead);

template <class Body, class Context>
bool trapHandler(Body&& body, Context&& context, const QString& dumpHead) {
    return handler::trapWithHead(
        [&] {
            raiseArmedFault(dumpHead);
            body();
        },
        context, dumpHead);
}

} // namespace fyn::output

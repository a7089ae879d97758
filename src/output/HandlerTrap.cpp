#include "output/HandlerTrap.h"

#include "core/Errors.h"

namespace fyn::output {

namespace {
QString g_head;
QString g_text;
} // namespace

void armHandlerFault(const QString& dumpHead, const QString& sysText) {
    g_head = dumpHead;
    g_text = sysText;
}

void raiseArmedFault(const QString& dumpHead) {
    if (g_head.isEmpty() || dumpHead != g_head)
        return;
    g_head.clear();
    raiseError(g_text);
}

} // namespace fyn::output

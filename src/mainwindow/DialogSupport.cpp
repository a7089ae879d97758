#include "mainwindow/DialogSupport.h"

#include "core/Amount.h"
#include "ledger/Engine.h"
#include "platform/Platform.h"

#include <QRadioButton>
#include <QWidget>
#include <QWindow>

namespace fyn {

void placeBeside(QWidget& dialog, QWidget& caller, WindowPos place) {
    dialog.move(caller.frameGeometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    positionQuietly([&] { restoreWindowPosition(dialog, place); });
    if (QWindow* owner = caller.windowHandle()) {
        dialog.winId();
        dialog.windowHandle()->setTransientParent(owner);
    }
}

void showBeside(QWidget& dialog, QWidget& caller, WindowPos place) {
    if (!dialog.isVisible())
        placeBeside(dialog, caller, place);
    dialog.show();
    dialog.activateWindow();
    caller.setEnabled(false);
}

void closeBeside(QWidget& dialog, QWidget& caller, WindowPos place) {
    positionQuietly([&] { storeWindowPosition(dialog, place); });
    caller.setEnabled(true);
    dialog.hide();
    caller.activateWindow();
}

void uncheck(QRadioButton* option) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void showRefusal(ledger::Refusal refusal) {
    if (refusal == ledger::Refusal::OverLimit) {
        MaxLevel_Msg();
    } else if (refusal == ledger::Refusal::FieldTooLong) {
        platform::messages().show(
            QStringLiteral("Beloppet, eller ett saldo som det ger, får inte plats\n"
                           "i datafilens fält om 11 tecken.\n\n"
                           "Ingenting har ändrats !"),
            platform::Buttons::Ok, platform::Icon::Warning, QStringLiteral("För långt belopp"));
    }
}

} // namespace fyn

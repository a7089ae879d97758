#include "mainwindow/DialogSupport.h"

#include "core/Amount.h"
#include "ledger/Engine.h"
#include "platform/Platform.h"

#include <QButtonGroup>
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

QButtonGroup* optionGroup(std::initializer_list<QRadioButton*> options) {
    auto* group = new QButtonGroup(options.begin()[0]->parentWidget());
    group->setExclusive(true);
    for (QRadioButton* o : options)
        group->addButton(o);
    return group;
}

void uncheck(QRadioButton* option) {
    QButtonGroup* group = option->group();
    if (option->isChecked()) {
        // An exclusive group refuses to clear its choice: lifted for the moment.
        const bool exclusive = group && group->exclusive();
        const bool autoExclusive = option->autoExclusive();
        if (exclusive)
            group->setExclusive(false);
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(autoExclusive);
        if (exclusive)
            group->setExclusive(true);
    }
    // Focus on one option of a group takes Tab from the others; with no choice
    // left, each may take it again.
    if (group && !group->checkedButton())
        for (QAbstractButton* b : group->buttons())
            b->setFocusPolicy(Qt::FocusPolicy(b->focusPolicy() | Qt::TabFocus));
}

bool refusedTyped(const TypedAmount& typed, bool emptyIsNoAmount) {
    if (typed.kind == TypedAmount::Kind::TooManyDecimals) {
        platform::messages().show(
            QStringLiteral("Beloppet har fler än två decimaler !\n"
                           "Rätta beloppet till kronor och ören och tryck ENTER."),
            platform::Buttons::Ok, platform::Icon::Information,
            QStringLiteral("För många decimaler"));
        return true;
    }
    if (typed.kind == TypedAmount::Kind::NotANumber ||
        (emptyIsNoAmount && typed.kind == TypedAmount::Kind::Empty)) {
        platform::messages().show(
            QStringLiteral("Texten i fältet är inget belopp !\n"
                           "Rätta beloppet till siffror med decimalkomma, till exempel 1 234,50, "
                           "och tryck ENTER."),
            platform::Buttons::Ok, platform::Icon::Information, QStringLiteral("Inget belopp"));
        return true;
    }
    return false;
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

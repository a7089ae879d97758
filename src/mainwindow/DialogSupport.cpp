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

bool moreThanTwoDecimals(const QString& typed) {
    qsizetype comma = -1;
    for (qsizetype i = typed.size() - 1; i >= 0 && comma < 0; --i)
        if (typed.at(i) == QLatin1Char(',') || typed.at(i) == QLatin1Char('.'))
            comma = i;
    if (comma < 0)
        return false;
    // Only a number's fraction counts: other characters have a message of their own.
    int digits = 0;
    for (qsizetype i = comma + 1; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c != QLatin1Char(' ') && c != QChar(0xA0) && c != QChar(0x202F))
            return false;
    }
    return digits > 2;
}

void refuseDecimals() {
    platform::messages().show(
        QStringLiteral("Beloppet har fler än två decimaler !\n"
                       "Rätta beloppet till kronor och ören och tryck ENTER."),
        platform::Buttons::Ok, platform::Icon::Information, QStringLiteral("För många decimaler"));
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

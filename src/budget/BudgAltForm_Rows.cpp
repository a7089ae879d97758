// The budgeting dialog's amount side: the twelve amount boxes, their scan into
// the month list, and emptying them.
#include "budget/BudgAltForm.h"
#include "budget/BudgetErrors.h"
#include "core/State.h"
#include "mainwindow/DialogSupport.h"
#include "names/NameSupport.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace fyn {

namespace {

const QColor kEmpty(0xFF, 0xC0, 0xC0);   // &HC0C0FF
const QColor kScanned(0xC0, 0xFF, 0xC0); // &HC0FFC0

} // namespace

void BudgAltForm::amountBox_KeyPress(int month, int keyAscii) {
    if (keyAscii != 13 || month < 1 || month > 12)
        return;
    QLineEdit* box = amountBox[size_t(month)];
    if (refusedAmount(month, budget::readBoxAmount(box->text())))
        return;
    if (ForstaBelopp.isEmpty())
        ForstaBelopp = trimBlanks(box->text());
    putAmount(month, budget::formatOnEnter(box->text()));
    box->setToolTip(QStringLiteral("Beloppet kan justeras"));
    BudgScanna();
}

// A box's text the rows cannot take is refused with its reason; nothing is
// posted from the rows until it is corrected, and it stays to be corrected.
bool BudgAltForm::refusedAmount(int month, const budget::BoxAmount& a) {
    using K = budget::BoxAmount::Kind;
    if (a.kind == K::Empty || a.kind == K::Whole)
        return false;
    Command2->setEnabled(false);
    Command6->setEnabled(false);
    QLineEdit* box = amountBox[size_t(month)];
    box->setFocus();
    if (a.kind == K::Signed)
        platform::messages().show(
            QStringLiteral("Beloppet för %1 skrivs utan tecken !\n"
                           "Transaktionens tecken ger posternas tecken. Rätta beloppet och "
                           "tryck ENTER.")
                .arg(budget::monthName(month).toLower()),
            platform::Buttons::Ok, platform::Icon::Information,
            QStringLiteral("Belopp utan tecken"));
    else if (a.kind == K::OverLimit)
        MaxLevel_Msg();
    else
        refusedTyped(a.typed);
    return true;
}

bool BudgAltForm::BudgScanna() {
    bool complete = false;
    budget::trapBudget(
        [&] {
            std::array<budget::RowState, 13> rows;
            for (int m = 1; m <= 12; ++m)
                rows[size_t(m)] = {dateLabel[size_t(m)]->text(), amountBox[size_t(m)]->text()};
            const bool expense = Module1.TransTecken == QLatin1String("-");
            const auto askClearDay = [&](int m) {
                amountBox[size_t(m)]->setFocus();
                DatumLabelNr = labelNrOf(m);
                const bool clear =
                    ask(QStringLiteral("Belopp saknas för månad ") + budget::monthName(m) +
                            QStringLiteral("\nVill du också radera datumet ?"),
                        QStringLiteral("Saknat belopp"));
                if (clear) {
                    dateLabel[size_t(m)]->clear();
                    amountBox[size_t(m)]->setEnabled(false);
                    setBoxColour(m, kEmpty);
                }
                return clear;
            };
            const budget::ScanOutcome out = budget::scanRows(rows, expense, askClearDay);
            MonthList = out.list;
            for (int m = 1; m <= 12; ++m)
                if (!MonthList[size_t(m)][1].isEmpty())
                    setBoxColour(m, kScanned);
            // An amount the rows cannot take stops the scan there, the months
            // before it kept, and is refused as Enter in its box refuses it.
            if (out.result == budget::ScanOutcome::Result::Failed) {
                refusedAmount(out.month, out.refused);
                return;
            }
            if (out.result == budget::ScanOutcome::Result::Stopped)
                return;
            InfoBox(17);
            Command6->setEnabled(true);
            Command2->setEnabled(true);
            Command2->setFocus();
            complete = true;
        },
        QStringLiteral("BudgScanna (Scannar datafälten)"), QString(),
        [] { return QStringLiteral("Fel i rutinen BudgScanna (Scannar datafälten)."); },
        [&] {
            QStringList labels{QStringLiteral("Tecken: ") + Module1.TransTecken};
            for (int m : {1, 3, 5, 7, 9, 11})
                labels << QStringLiteral("Innehåll i Label%1: ").arg(7 + 2 * m) +
                              dateLabel[size_t(m)]->text();
            return labels;
        });
    return complete;
}

void BudgAltForm::Rensa() {
    int step = 1;
    budget::trapBudget(
        [&] {
            MonthList = {};
            for (int m = 1; m <= 12; ++m) {
                QLineEdit* box = amountBox[size_t(m)];
                box->clear();
                box->setEnabled(false);
                box->setToolTip(QStringLiteral("Sätt budgetbelopp"));
            }
            step = 2;
            for (int m = 1; m <= 12; ++m)
                setBoxColour(m, kEmpty);
            step = 3;
            List1->clearSelection();
            List1->hide();
            LabelNr = 0;
            for (int m = 1; m <= 12; ++m)
                dateLabel[size_t(m)]->clear();
            step = 4;
            Command2->setEnabled(false);
            Command6->setEnabled(false);
            Label43->clear();
        },
        QStringLiteral("Rensa (tömmer datafälten)"), QString(),
        [] { return QStringLiteral("Fel i rutinen Rensa (Tömmer datafälten)."); },
        [&] { return QStringList{QStringLiteral("Felnivå): ") + QString::number(step)}; });
}

void BudgAltForm::Command6_Click() {
    if (ask(QStringLiteral("Vill du tömma alla datum- och beloppsfält ?"),
            QStringLiteral("Rensa skrivfält")))
        Rensa();
    Command1->setFocus();
}

void BudgAltForm::Close_Fields() {
    for (int m = 1; m <= 12; ++m) {
        monthLabel[size_t(m)]->setEnabled(false);
        dateLabel[size_t(m)]->setEnabled(false);
        amountBox[size_t(m)]->setEnabled(false);
    }
}

} // namespace fyn

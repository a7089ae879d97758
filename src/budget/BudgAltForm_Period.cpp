// The budgeting dialog's calendar side: the period, its pick lists, the
// holiday register's coverage and the day list of each month.
#include "budget/BudgAltForm.h"
#include "budget/BudgetErrors.h"
#include "budget/Period.h"
#include "core/DateText.h"
#include "core/State.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace fyn {

using platform::twips;

namespace {

constexpr int kRowTop = 1800;
constexpr int kRowStep = 480;

const QColor kEmpty(0xFF, 0xC0, 0xC0);   // &HC0C0FF: no amount, or out of the plan
const QColor kWaiting(0xFF, 0xFF, 0xC0); // &HC0FFFF: a day waits for its amount

void fill(QListWidget* list, const QStringList& entries) {
    list->clear();
    list->addItems(entries);
}

} // namespace

void BudgAltForm::PeriodSuggest() {
    budget::Period p;
    budget::trapBudget(
        [&] {
            p = budget::suggestPeriod(Module1.DagensDatum);
            Budgetar = QString::number(p.year);
            StartManad = budget::twoDigits(p.start);
            StoppManad = budget::twoDigits(p.stop);
            Label35->setText(StartManad);
            Label34->setText(Budgetar);
            Label38->setText(Budgetar);
            Label39->setText(StoppManad);
            Label40->setText(QStringLiteral("31"));
            Command1->setFocus();
        },
        QStringLiteral("PeriodSuggest (Förslag budgetperiod)"), QString(),
        [] { return QStringLiteral("Fel i rutinen PeriodSuggest (Förslag budg.period)."); },
        [&] {
            return QStringList{QStringLiteral("Aktuell NuMånad: ") + Module1.DagensDatum.mid(5, 2),
                               QStringLiteral("Aktuell StartMånad: ") + StartManad,
                               QStringLiteral("Aktuell StoppMånad: ") + StoppManad,
                               QStringLiteral("Aktuellt Budgetår: ") + Budgetar};
        });
}

// A pick list beside the label that opened it, kept inside the dialog.
void BudgAltForm::placeList(QListWidget* list, QWidget* label, int leftTwips, int heightTwips) {
    const int width = list == List2 ? twips(720) : twips(540);
    int x = label->x() - twips(leftTwips);
    int y = label->y() - twips(25);
    const int height = twips(heightTwips);
    y = std::max(0, std::min(y, list->parentWidget()->height() - height));
    x = std::max(0, std::min(x, list->parentWidget()->width() - width));
    list->setGeometry(x, y, width, height);
}

void BudgAltForm::yearLabelClick(int nr) {
    budget::trapBudget(
        [&] {
            LabelNr = nr;
            fill(List2, budget::yearChoices(Module1.DagensDatum));
            placeList(List2, nr == 34 ? Label34 : Label38, nr == 34 ? 65 : 55, 900);
            List2->show();
            List2->raise();
            InfoBox(15);
            Command1->setFocus();
        },
        nr == 34 ? QStringLiteral("Label34_Click (Årtal periodstart)")
                 : QStringLiteral("Label38_Click (Årtal periodslut)"),
        QStringLiteral(" vid försök att ändra årtal"),
        [nr] {
            return nr == 34 ? QStringLiteral("Fel i rutinen Label34_Click vid försök ändra årtal "
                                             "periodstart.")
                            : QStringLiteral("Fel i rutinen Label38_Click vid försök ändra årtal "
                                             "periodslut.");
        },
        [&] {
            return QStringList{
                QStringLiteral("Utgångsår (innevarande): ") + Module1.DagensDatum.left(4),
                QStringLiteral("Aktuellt år till List2: ") + Budgetar,
                QStringLiteral("Top-mått List2: ") + QString::number(List2->y()),
                QStringLiteral("Höjd-mått List2: ") + QString::number(List2->height())};
        });
}

void BudgAltForm::Label34_Click() {
    yearLabelClick(34);
}

void BudgAltForm::Label38_Click() {
    yearLabelClick(38);
}

void BudgAltForm::monthLabelClick(int nr) {
    budget::trapBudget(
        [&] {
            LabelNr = nr;
            fill(List3, nr == 35 ? budget::startChoices() : budget::stopChoices());
            placeList(List3, nr == 35 ? Label35 : Label39, 55, 900);
            List3->show();
            List3->raise();
            InfoBox(18);
            Command1->setFocus();
        },
        nr == 35 ? QStringLiteral("Label35_Click (Månad periodstart)")
                 : QStringLiteral("Label39_Click (Månad periodslut)"),
        QStringLiteral(" vid försök att ändra månad"),
        [nr] {
            return nr == 35 ? QStringLiteral("Fel i rutinen Label35_Click vid försök ändra månad "
                                             "periodstart.")
                            : QStringLiteral("Fel i rutinen Label39_Click vid försök ändra månad "
                                             "periodslut.");
        },
        [&] {
            return QStringList{
                QStringLiteral("Aktuell månad till List3: ") + (nr == 35 ? StartManad : StoppManad),
                QStringLiteral("Top-mått List3: ") + QString::number(List3->y()),
                QStringLiteral("Höjd-mått List3: ") + QString::number(List3->height())};
        });
}

void BudgAltForm::Label35_Click() {
    monthLabelClick(35);
}

void BudgAltForm::Label39_Click() {
    monthLabelClick(39);
}

void BudgAltForm::List2_MouseUp(int row) {
    if (row < 0 || row >= List2->count())
        return;
    Budgetar = List2->item(row)->text();
    Label34->setText(Budgetar);
    Label38->setText(Budgetar);
    List2->hide();
    periodChanged();
    keepDaysInYear();
}

void BudgAltForm::periodChanged() {
    MonthList = {};
    Command2->setEnabled(false);
}

// A new year may lack a day chosen in the old one (29 February): the end day
// and every chosen day follow the new year's calendar.
void BudgAltForm::keepDaysInYear() {
    const int year = Budgetar.toInt();
    Label40->setText(budget::endDayText(year, StoppManad.toInt()));
    for (int m = 1; m <= 12; ++m) {
        QLabel* day = dateLabel[size_t(m)];
        day->setText(budget::clampedDayText(year, m, day->text()));
    }
}

void BudgAltForm::List3_MouseUp(int row) {
    if (row < 0 || row >= List3->count())
        return;
    const QString chosen = List3->item(row)->text();
    const int nr = LabelNr;
    const bool ok = budget::trapBudget(
        [&] {
            if (nr == 35) {
                StartManad =
                    budget::twoDigits(budget::clampStart(chosen.toInt(), StoppManad.toInt()));
                Label35->setText(StartManad);
                BudgetPeriod();
            } else if (nr == 39) {
                const int stop = budget::clampStop(chosen.toInt(), StartManad.toInt());
                Label40->setText(budget::endDayText(Budgetar.toInt(), stop));
                StoppManad = budget::twoDigits(stop);
                Label39->setText(StoppManad);
                BudgetPeriod();
            }
        },
        nr == 39 ? QStringLiteral("List3_Click (Val av slutmånad budgetperiod)")
                 : QStringLiteral("List3_Click (Val av startmånad budgetperiod)"),
        QStringLiteral(" vid försök att sätta månad"),
        [nr] {
            return nr == 39 ? QStringLiteral("Fel i rutinen List3_Click vid försök sätta "
                                             "slutmånad budg.period.")
                            : QStringLiteral("Fel i rutinen List3_Click vid försök sätta "
                                             "startmånad budg.period.");
        },
        [&] {
            if (nr == 39)
                return QStringList{QStringLiteral("Aktuellt LabelNr (39?): ") + QString::number(nr),
                                   QStringLiteral("Vald slutmånad (C): ") + chosen,
                                   QStringLiteral("Sista februaridag: ") +
                                       QString::number(daysInMonth(Budgetar.toInt(), 2))};
            return QStringList{QStringLiteral("Aktuellt LabelNr (35?): ") + QString::number(nr),
                               QStringLiteral("Vald startmånad (C): ") + chosen};
        });
    if (!ok) {
        Command1->setFocus();
        return;
    }
    List3->hide();
    Conditions();
    Command1->setFocus();
}

void BudgAltForm::BudgetPeriod() {
    int level = 1;
    budget::trapBudget(
        [&] {
            // The rows are emptied: nothing of them is planned any more.
            periodChanged();
            for (int m = 1; m <= 12; ++m) {
                dateLabel[size_t(m)]->clear();
                amountBox[size_t(m)]->clear();
                amountBox[size_t(m)]->setToolTip(QStringLiteral("Sätt budgetbelopp"));
            }
            for (int m = 1; m <= 12; ++m)
                setBoxColour(m, kEmpty);
            Close_Fields();
            level = 2;
            for (int m = StartManad.toInt(); m <= StoppManad.toInt() && m <= 12; ++m) {
                if (m < 1)
                    continue;
                monthLabel[size_t(m)]->setEnabled(true);
                dateLabel[size_t(m)]->setEnabled(true);
            }
            const budget::Coverage c = budget::coverageWarning(
                Module1.DagensDatum, Budgetar.toInt(), StoppManad.toInt(), Module1.RedDayNum);
            if (c != budget::Coverage::None)
                platform::messages().show(budget::coverageText(c), platform::Buttons::Ok,
                                          platform::Icon::None,
                                          QStringLiteral("Undvik budg.dag på 'Röd dag' !"));
            Command1->setFocus();
        },
        QStringLiteral("BudgetPeriod"), QString(),
        [] { return QStringLiteral("Fel i rutinen BudgetPeriod."); },
        [&] {
            return QStringList{QStringLiteral("Felnivå): ") + QString::number(level),
                               QStringLiteral("Stoppmånad: ") + StoppManad};
        });
}

void BudgAltForm::dateLabel_Click(int month) {
    // The focus leaves the day list before it opens for this month, so that
    // the list's loss of focus does not end the new choice.
    Command1->setFocus();
    DatumLabelNr = labelNrOf(month);
    DatumVal();
}

void BudgAltForm::DatumVal() {
    if (!underBudgeting()) {
        Command1->setFocus();
        return;
    }
    const int m = monthOf(DatumLabelNr);
    if (m < 1 || m > 12)
        return;
    const QString shown = dateLabel[size_t(m)]->text();
    const bool hasAmount = !amountBox[size_t(m)]->text().isEmpty();
    budget::trapBudget(
        [&] {
            Command5->setEnabled(true);
            Command7->setEnabled(false);
            const int days = daysInMonth(Budgetar.toInt(), m);
            const budget::DayList list = budget::openDayList(days, shown.toInt(), DagPos);
            const int top = std::min(twips(kRowTop + kRowStep * (m - 1)),
                                     List1->parentWidget()->height() - twips(1600));
            List1->setGeometry(dateLabel[1]->x() - twips(120), top, twips(840), twips(1600));
            fill(List1, list.entries);
            Command2->setEnabled(false);
            if (list.selected >= 0)
                List1->setCurrentRow(list.selected);
            InfoBox(shown.isEmpty() ? 12 : 11);
            List1->show();
            List1->raise();
            Command1->setFocus();
        },
        QStringLiteral("Datumval (Vald månadssiffra)"),
        QStringLiteral(" vid försök att ändra månad"),
        [] { return QStringLiteral("Fel i rutinen Datumval vid försök ändra månadssiffra."); },
        [&] {
            return QStringList{QStringLiteral("Aktuellt LabelNr: ") + QString::number(DatumLabelNr),
                               QStringLiteral("Bef. belopp i aktuellt textfält (= 1): ") +
                                   (hasAmount ? QStringLiteral("1") : QStringLiteral("0")),
                               QStringLiteral("Redan bef. datum i aktuellt datumfält (= 1): ") +
                                   (shown.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"))};
        });
}

void BudgAltForm::List1_MouseUp(int row) {
    if (row < 0 || row >= List1->count())
        return;
    const QString day = List1->item(row)->text();
    const int m = monthOf(DatumLabelNr);
    const bool inMonth = DatumLabelNr >= 9 && DatumLabelNr <= 31;
    bool wasEmpty = true;
    budget::trapBudget(
        [&] {
            DagPos = row;
            if (inMonth) {
                dateLabel[size_t(m)]->setText(day);
                QLineEdit* box = amountBox[size_t(m)];
                wasEmpty = box->text().isEmpty();
                if (wasEmpty) {
                    box->setEnabled(true);
                    if (!ForstaBelopp.isEmpty())
                        putAmount(m, ForstaBelopp);
                    setBoxColour(m, kWaiting);
                }
                box->setFocus();
            }
            List1->hide();
            if (wasEmpty || !inMonth) {
                InfoBox(16);
                Command2->setEnabled(false);
                Command5->setEnabled(false);
            } else {
                InfoBox(13);
                BudgScanna();
                Command1->setFocus();
            }
        },
        QStringLiteral("List1_MouseUp (Val av månadssiffra)"),
        QStringLiteral(" vid försök att sätta månad"),
        [] { return QStringLiteral("Fel i rutinen List1_MouseUp vid försök sätta månad."); },
        [&] {
            return QStringList{QStringLiteral("Vald månad (C): ") + day,
                               QStringLiteral("Bef. belopp i aktuellt textfält (= 1): ") +
                                   (wasEmpty ? QStringLiteral("0") : QStringLiteral("1")),
                               QStringLiteral("Aktuellt LabelNr: ") + QString::number(DatumLabelNr),
                               QStringLiteral("Redan bef. datum i aktuellt datumfält (= 1): 1")};
        });
}

void BudgAltForm::List1_LostFocus() {
    DatumLabelNr = 0;
}

void BudgAltForm::Command5_Click() {
    budget::trapBudget(
        [&] {
            Command5->setEnabled(false);
            if (DatumLabelNr >= 9 && DatumLabelNr <= 31) {
                const int m = monthOf(DatumLabelNr);
                setBoxColour(m, kEmpty);
                amountBox[size_t(m)]->setEnabled(false);
                dateLabel[size_t(m)]->clear();
            }
            LabelNr = 0;
            List1->clearSelection();
            List1->hide();
            Command1->setFocus();
        },
        QStringLiteral("Command5 (Avbryt datum)"),
        QStringLiteral(" vid försök att avbryta datuminställning"),
        [] { return QStringList{Module1.HuvudTrans}; },
        [] {
            return QStringLiteral("Fel i rutinen Command5 vid försök avbryta datuminställning.");
        },
        [&] {
            return QStringList{QStringLiteral("Aktuellt Labelnummer: ") + QString::number(LabelNr),
                               QStringLiteral("Senaste sökrecord i filen BudgetInfo: ") +
                                   QString::number(ListPos),
                               budget::accountLabel()};
        });
}

void BudgAltForm::Close_Period() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label4, Label2, Label3, Label41, Label34, Label35, Label36,
                                         Label38, Label39, Label40, Option1, Option2, Option3})
        w->setEnabled(false);
}

void BudgAltForm::Open_Period() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label4, Label2, Label3, Label41, Label34, Label35, Label36,
                                         Label38, Label39, Label40, Option1, Option2, Option3})
        w->setEnabled(true);
}

} // namespace fyn

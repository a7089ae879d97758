// The working date: its steppers and the date search.
#include "mainwindow/HeadForm.h"

#include "core/DateText.h"
#include "core/Errors.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>

namespace fyn {

void HeadForm::datumset() {
    trap(
        [&] {
            // A posting may hold a day its month lacks (the year and month
            // steppers make them): the working date is that month's last day.
            const QDate d = clampedDateText(FormDate);
            if (!d.isValid())
                raiseError(platform::kTypeMismatch);
            const QString date = dateText(d);
            YearShow->setText(date.left(4));
            MonthShow->setText(date.mid(5, 2));
            DayShow->setText(date.mid(8, 2));
            WorkYear = d.year();
            WorkMonth = d.month();
            WorkDay = d.day();
            Module1.WorkDate = date;
        },
        [&] {
            ErrorContext c(
                QStringLiteral("DatumSet"),
                {QStringLiteral(" vid uppdatering av datummodul."),
                 QStringLiteral("Fel i denna rutin beror med stor säkerhet på"),
                 QStringLiteral(" att programmet har installerats på en dator som ej har"),
                 QStringLiteral(" svenska inställningar !"),
                 QStringLiteral("För att kunna köra programmet fordras därför att"),
                 QStringLiteral(" språk och nationella inställningar ändras till svenska på"),
                 QStringLiteral(" datorn, eller att programmet avinstalleras och ersätts med det"),
                 QStringLiteral(" internationella alternativet Moxels Fynlint, som anpassar sig"),
                 QStringLiteral(" efter datorns inställda landskoder."),
                 QStringLiteral("Gå till webbadressen '") + platform::authorServer().webBase +
                     QStringLiteral("Fynlint.php'")},
                {QStringLiteral("vid uppdatering av datummodul."),
                 QStringLiteral("Datum: ") + FormDate});
            return c;
        });
}

void HeadForm::DatChg() {
    YearShow->setText(QString::number(WorkYear));
    MonthShow->setText(QStringLiteral("%1").arg(WorkMonth, 2, 10, QLatin1Char('0')));
    DayShow->setText(QStringLiteral("%1").arg(WorkDay, 2, 10, QLatin1Char('0')));
    Module1.WorkDate = dateText(QDate(WorkYear, WorkMonth, WorkDay));
}

// Years and months keep the day where the month has it, else the month's last
// day; days follow the calendar.
void HeadForm::stepDate(int years, int months, int days) {
    QDate d(WorkYear, WorkMonth, 1);
    d = d.addYears(years).addMonths(months);
    d = QDate(d.year(), d.month(), qMin(WorkDay, d.daysInMonth())).addDays(days);
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return; // outside the dates a posting can hold
    WorkYear = d.year();
    WorkMonth = d.month();
    WorkDay = d.day();
    DatChg();
    Command3->setFocus();
}

void HeadForm::YearMinus_MouseDown() {
    stepDate(-1, 0, 0);
}
void HeadForm::YearPlus_MouseDown() {
    stepDate(1, 0, 0);
}
void HeadForm::MonthMinus_MouseDown() {
    stepDate(0, -1, 0);
}
void HeadForm::MonthPlus_MouseDown() {
    stepDate(0, 1, 0);
}
void HeadForm::DayMinus_MouseDown() {
    stepDate(0, 0, -1);
}
void HeadForm::DayPlus_MouseDown() {
    stepDate(0, 0, 1);
}

void HeadForm::dateLabel_MouseMove() {
    if (HelpHold < 1)
        setHelp(QStringLiteral("Datumsökning"),
                QStringLiteral("Klicka och sök data på inställt datum. Återställ med 'Avbryt' !"));
}

// The grid to the last posting dated on or before the working date.
bool HeadForm::showWorkDate() {
    ledger::Kind kind;
    if (!ledger::kindOf(Module1.KontoSlag, kind) || !ledger::account().kontoData.isOpen())
        return false;
    const long found =
        ledger::account().kontoData.lastOnOrBefore(Module1.WorkDate, Module1.AntalPoster);
    if (found > 0)
        Module1.PostNr = found;
    refreshWithoutCheck();
    return true;
}

void HeadForm::Finder() {
    if (!showWorkDate())
        return;
    Module1.WorkDate = Module1.DagensDatum;
    // Under an entry or a move the labels never show a date other than the
    // one its posting gets.
    if (!Module1.Avb.isEmpty())
        labelsToWorkDate();
    Command3->setFocus();
}

// A search leaves the labels at the date searched while the working date is
// today again. A new or moved posting gets the working date, so the labels
// show it from the moment an entry or a move starts.
void HeadForm::labelsToWorkDate() {
    const QString shown = YearShow->text() + QLatin1Char('-') + MonthShow->text() +
                          QLatin1Char('-') + DayShow->text();
    if (shown == Module1.WorkDate)
        return;
    FormDate = Module1.WorkDate;
    datumset();
}

} // namespace fyn

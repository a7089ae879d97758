#pragma once
// The budget template's rows placed on the days of the budget period, paid
// days moved off weekends and holidays, and the template's exclusion marks as
// the transaction list shows them. Plain functions, no widgets.
#include "budget/RedDays.h"
#include "core/Records.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace fyn::budget {

// The whole number at the start of a text, as the runtime's Val reads it:
// blanks skipped, an optional sign, then digits; 0 when there are none.
long valWhole(const QString& text);

struct Slot {
    int month = 0;
    int day = 0;
};

// A payment day that falls on a Saturday or a Sunday moved to a weekday that is
// no holiday: a Saturday back to the Friday (the Thursday when that is red), a
// Sunday forward past the holidays after it. It may cross into the month before
// or after, but never out of the period start..stop nor below the 1st; a day
// the month lacks is first taken back to its last day.
Slot moveOffWeekend(int year, Slot s, int start, int stop, const RedDays& red);

struct PlacedRow {
    QString day;    // "dd"
    QString amount; // the template amount, formatted "#### #### ##0"
};

// A template record whose amount the rows cannot take: its month's row is
// left empty.
struct UnplacedRecord {
    enum class Why {
        Damaged, // no whole number: the record is damaged
        Negative // an income's rounding below zero: the boxes take no sign
    };
    Why why = Why::Damaged;
    long record = 0; // in B-mall, from 1
    int month = 0;   // its month
    QString day;     // its day as stored
    QString amount;  // its amount as stored, trimmed
};

struct Placement {
    std::array<std::optional<PlacedRow>, 13> rows; // by month, 1..12
    bool placedAny = false;                        // the scan ended holding an amount
    std::vector<UnplacedRecord> unplaced;          // in record order
};

// The template records of transaction transRef, in record order, placed on the
// rows of the period: a later record that lands in the same row replaces the
// earlier one; a record with a blank month ends the scan. A record whose day is
// no day (not a number, below 1) is passed over; one whose amount the rows
// cannot take leaves its month's row empty and is listed as unplaced.
//
// Every month keeps its own payment: a payment that the weekday rule would
// carry into another month that has its own record of the transaction stays
// in its own month instead, on the nearest weekday the other way that is no
// holiday (a Sunday the 31st back to the Friday, a Saturday the 1st on to the
// Monday). A move into a month without a record of its own stays as it is.
Placement placeTemplate(const std::vector<BudgMallPost>& tmpl, long transRef, int year, int start,
                        int stop, const RedDays& red);

// ---- Exclusions and the transaction list -------------------------------------------

// The distinct transaction numbers (as trimmed text) excluded in the template,
// in the order first met.
QStringList excludedRefs(const std::vector<BudgMallPost>& tmpl);
// Whether the template excludes transaction ref.
bool isExcluded(const std::vector<BudgMallPost>& tmpl, long ref);

enum class Filter { Alla, BBara, Uteslutna };
QString filterKey(Filter f); // "Alla", "B-bara", "Uteslutna"

struct ListedTransaction {
    QString name; // trimmed
    long record = 0;
};
// The transactions the filter lists, blank names left out. The two narrow
// filters list every transaction while nothing is excluded.
std::vector<ListedTransaction> listTransactions(Filter f, const std::vector<TransPost>& transakt,
                                                long mallAntal, const QStringList& excluded);

// How the list and its filters stand when the dialog (re)starts.
struct ConditionsView {
    int help = 0;                 // the help section to show
    bool noTransactions = false;  // nothing else changes then
    Filter filter = Filter::Alla; // and the button selected
    bool showAlla = true;
    bool showBBara = false;
    bool showUteslutna = false;
    bool blankCommand3 = false; // blank and disable the exclude/cancel button
};
ConditionsView conditions(bool transaktEmpty, const std::vector<BudgMallPost>& tmpl,
                          int startMonth);

// The view after an exclusion or a restore: the narrow filter while anything
// is excluded, else every transaction. restoring hides "Alla reg." then.
ConditionsView afterMarking(bool anyExcluded, bool restoring);

} // namespace fyn::budget

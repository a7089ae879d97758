#pragma once
// The amounts of the twelve month rows: how a box shows an amount, how its
// text is read, and the scan of the rows into the month list the posting run
// reads. Plain functions, no widgets.
#include "core/Amount.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace fyn::budget {

// A whole number in a pattern of "#", "0" and blanks ("### ### ##0"): the
// digits fill the places from the right, "0" always shows a digit, a "#"
// without one shows nothing, the blanks always show, and digits beyond the
// places go before the first. A negative value gets "-" in front.
QString formatWhole(const QString& pattern, qint64 value);

// A box's amount: read as every typed amount is, then rounded to whole
// kronor, half to even. It has no sign of its own (the transaction gives it)
// and stays below the amount limit.
struct BoxAmount {
    enum class Kind {
        Empty,
        Whole,
        NoAmount,  // typed.kind tells why: no number, or too many decimals
        Signed,    // a number typed with a sign
        OverLimit, // 100 000 000 or more once rounded
    };
    Kind kind = Kind::Empty;
    qint32 whole = 0;
    TypedAmount typed; // what the reading made of the text
};
BoxAmount readBoxAmount(const QString& text);

// What Enter shows in a box: the amount as "### ### ##0", or the text as it
// was when it is no amount. The rounding is the scan's, so what shows is what
// is posted.
QString formatOnEnter(const QString& text);

// The month list: for month m, [m][1] the day "dd" and [m][2] the amount,
// signed for an expense; both empty when the month is not planned.
using MonthList = std::array<std::array<QString, 3>, 13>;

// One month row as the dialog shows it.
struct RowState {
    QString day; // the date label's caption
    QString box; // the amount box's text
};

struct ScanOutcome {
    enum class Result { Complete, Stopped, Failed };
    MonthList list;
    Result result = Result::Complete;
    int month = 0;            // where a stopped or failed scan ended
    BoxAmount refused;        // the amount that failed it
    std::vector<int> cleared; // months whose day the user had cleared
};

// Copies every row with a day and an amount into the month list, in month
// order. A row with a day but no amount asks askClearDay(month): true clears
// the day and goes on, false stops the scan there. An amount that cannot be
// read fails the scan there. Rows without a day are passed over.
ScanOutcome scanRows(const std::array<RowState, 13>& rows, bool expense,
                     const std::function<bool(int month)>& askClearDay);

// "Januari" .. "December".
QString monthName(int month);

} // namespace fyn::budget

#pragma once
// The period of a listing: its date parts, the pop-up lists of years, months
// and days, the check of a changed period and the records it covers.
#include "output/Listing.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>

namespace fyn::output {

// A date as the three parts the dialog shows: "yyyy", "mm", "dd".
struct DateParts {
    QString year, month, day;
    // Characters 1-4, 6-7 and 9-10 of a stored date.
    static DateParts of(std::string_view datum);
    // "yyyymmdd" from "yyyymmdd".
    static DateParts ofCompact(const QString& yyyymmdd);
    QString compact() const;  // "yyyymmdd"
    QByteArray datum() const; // "yyyy-mm-dd", as the postings store it
    bool operator==(const DateParts&) const = default;
};

// The days of the month, "01" to its last day, by the Gregorian calendar;
// none for a month text that is not "01".."12".
QStringList dayList(const QString& year, const QString& month);
QStringList monthList();
// The years first to last + 1; none when either is not a number.
QStringList yearList(const QString& firstYear, const QString& lastYear);

// True when the start ("yyyymmdd") lies after the stop, read as whole numbers.
// Not a number: "Type mismatch".
bool startAfterStop(const QString& start, const QString& stop);
// True when the period covers the first and the last posting's dates.
bool coversWholeFile(const QString& start, const QString& stop, const QString& fileFirst,
                     const QString& fileLast);
// "Hela Kontofilen !" or "Del av Kontofilen !".
QString periodLabelText(bool whole);

// The records of a period among postings 1..recCount: the first dated on or
// after its start and the last dated on or before its stop. A period with no
// posting gives startRec > stopRec: a start after the last posting gives
// recCount + 1, a stop before the first 0.
struct PeriodRange {
    int startRec = 1;
    int stopRec = 0;
    bool empty() const { return startRec > stopRec; }
};
PeriodRange periodRange(const AccountData& data, int recCount, const DateParts& start,
                        const DateParts& stop);

} // namespace fyn::output

#pragma once
// The register of public holidays ("Röda dagar", RedDayFil): the used records
// come first, sorted by date; a free slot's name is "*"; the file never
// shrinks. Its edits work on the records in memory; writeChanges commits what
// differs as one unit. No widgets.
#include "core/Records.h"

#include <QSet>
#include <QString>
#include <vector>

namespace fyn::budget {

// The holidays as the budget placement asks about them.
class RedDays {
public:
    RedDays() = default;
    // Records 1..used of the register.
    RedDays(const std::vector<RedDayPost>& records, int used);
    bool isRed(int year, int month, int day) const;
    bool empty() const { return dates_.isEmpty(); }

private:
    QSet<QString> dates_;
};

struct Register {
    std::vector<RedDayPost> records; // the whole file: record n is records[n - 1]
    int used = 0;                    // RedDayNum
};

// The number of used records: the last one whose name is not "*" (0 when none).
int countUsed(const std::vector<RedDayPost>& records);

// The register file as it stands; missing or unreadable reads as empty, and
// nothing is created. At most 32 767 records are read.
std::vector<RedDayPost> readRegister(const QString& path);

// A new holiday goes before the used ones of its date or later ones; it takes
// the first free slot or extends the file.
void insertHoliday(Register& r, const RedDayPost& holiday);
// Record ref (1..used) becomes holiday: in place when its date stays, else it
// is taken out and sorted in again.
void changeHoliday(Register& r, int ref, const RedDayPost& holiday);
// Record ref (1..used) goes: the later ones close up and the last used record
// becomes a free slot (its date stays).
void removeHoliday(Register& r, int ref);

// The used records dated before currentYear.
std::vector<RedDayPost> outdatedHolidays(const Register& r, int currentYear);

// Why a holiday cannot be stored (empty when it can): a name that is empty,
// the free-slot mark, too long for its 25 bytes or not storable, or a date
// that is no real date.
QString holidayProblem(const QString& name, const QString& date);

// What the steppers offer, from today ("yyyy-mm-dd").
struct Range {
    int least = 0;
    int greatest = 0;
};
// From July on also next year.
Range newHolidayYears(const QString& today);
// A fetched holiday dated after today cannot be moved to next year.
Range fetchedHolidayYears(const QString& today, const QString& holidayDate);
// Next year: January to June; this year from July: July to December.
Range holidayMonths(const QString& today, int chosenYear);

// Writes the records of after that differ from before (and those added) as
// one commit.
void writeChanges(const QString& path, const std::vector<RedDayPost>& before,
                  const std::vector<RedDayPost>& after);

} // namespace fyn::budget

#include "budget/RedDays.h"

#include "core/Codec1252.h"
#include "core/DataFileLimits.h"
#include "core/DateText.h"
#include "core/Numbers.h"
#include "core/RecordFile.h"
#include "core/SafeWrite.h"

#include <algorithm>

namespace fyn::budget {

namespace {

// The register's count is a 16-bit number.
constexpr long kMaxRecords = kMaxRedDays;
constexpr int kNameBytes = 25;

bool isFree(const RedDayPost& r) {
    return trimBlanks(r.Namn) == QLatin1String("*");
}

int yearOf(const QString& today) {
    return today.left(4).toInt();
}

int monthOf(const QString& today) {
    return today.mid(5, 2).toInt();
}

// The insertion point among records 1..last: the first dated on or after date,
// else last + 1.
int insertionPoint(const std::vector<RedDayPost>& recs, int last, const QString& date) {
    for (int k = 1; k <= last; ++k)
        if (recs[size_t(k - 1)].Datum >= date)
            return k;
    return last + 1;
}

} // namespace

RedDays::RedDays(const std::vector<RedDayPost>& records, int used) {
    const int n = std::min<int>(used, int(records.size()));
    for (int i = 0; i < n; ++i)
        dates_.insert(records[size_t(i)].Datum);
}

bool RedDays::isRed(int year, int month, int day) const {
    return !dates_.isEmpty() && dates_.contains(dateText(year, month, day));
}

int countUsed(const std::vector<RedDayPost>& records) {
    for (int n = int(records.size()); n >= 1; --n)
        if (!isFree(records[size_t(n - 1)]))
            return n;
    return 0;
}

std::vector<RedDayPost> readRegister(const QString& path) {
    std::vector<RedDayPost> out;
    try {
        const RecordFile f = openExistingRecordFile<RedDayPost>(path);
        const long count = std::min(f.count(), kMaxRecords);
        if (count < 1)
            return out;
        const QByteArray bytes = f.readRange(1, count);
        out.reserve(size_t(count));
        for (long n = 0; n < count; ++n)
            out.push_back(decodeRecord<RedDayPost>(
                bytes.mid(qsizetype(n) * RedDayPost::Length, RedDayPost::Length)));
    } catch (const std::exception&) {
        out.clear(); // no register: no holidays
    }
    return out;
}

void insertHoliday(Register& r, const RedDayPost& holiday) {
    const int p = insertionPoint(r.records, r.used, holiday.Datum);
    if (int(r.records.size()) < r.used + 1)
        r.records.resize(size_t(r.used + 1));
    for (int k = r.used; k >= p; --k)
        r.records[size_t(k)] = r.records[size_t(k - 1)];
    r.records[size_t(p - 1)] = holiday;
    ++r.used;
}

void changeHoliday(Register& r, int ref, const RedDayPost& holiday) {
    if (ref < 1 || ref > r.used)
        return;
    if (trimBlanks(r.records[size_t(ref - 1)].Datum) == holiday.Datum) {
        r.records[size_t(ref - 1)] = holiday;
        return;
    }
    for (int k = ref + 1; k <= r.used; ++k)
        r.records[size_t(k - 2)] = r.records[size_t(k - 1)];
    const int p = insertionPoint(r.records, r.used - 1, holiday.Datum);
    for (int k = r.used - 1; k >= p; --k)
        r.records[size_t(k)] = r.records[size_t(k - 1)];
    r.records[size_t(p - 1)] = holiday;
}

void removeHoliday(Register& r, int ref) {
    if (ref < 1 || ref > r.used)
        return;
    for (int k = ref + 1; k <= r.used; ++k)
        r.records[size_t(k - 2)] = r.records[size_t(k - 1)];
    r.records[size_t(r.used - 1)].Namn = QStringLiteral("*");
    --r.used;
}

std::vector<RedDayPost> outdatedHolidays(const Register& r, int currentYear) {
    std::vector<RedDayPost> out;
    for (int k = 0; k < r.used && k < int(r.records.size()); ++k)
        if (r.records[size_t(k)].Datum.left(4).toInt() < currentYear)
            out.push_back(r.records[size_t(k)]);
    return out;
}

QString holidayProblem(const QString& name, const QString& date) {
    const QString n = trimBlanks(name);
    if (n.isEmpty())
        return QStringLiteral("Textfältet saknar en benämning för 'Röd dag' !");
    if (n == QLatin1String("*"))
        return QStringLiteral("Tecknet * kan inte användas som namn på en 'Röd dag' !");
    for (const QChar c : n)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Namnet innehåller styrtecken, som inte kan sparas !");
    if (!fitsCp1252(n))
        return QStringLiteral("Namnet innehåller tecken som programmet inte kan spara !");
    if (toCp1252(n).size() > kNameBytes)
        return QStringLiteral("Namnet är för långt: högst 25 tecken får plats !");
    if (!isDateText(date))
        return QStringLiteral("Datumet ") + date + QStringLiteral(" finns inte i kalendern !");
    return {};
}

Range newHolidayYears(const QString& today) {
    const int cy = yearOf(today);
    return {cy, monthOf(today) > 6 ? cy + 1 : cy};
}

Range fetchedHolidayYears(const QString& today, const QString& holidayDate) {
    const int cy = yearOf(today);
    return {cy, monthOf(today) > 6 && holidayDate <= today ? cy + 1 : cy};
}

Range holidayMonths(const QString& today, int chosenYear) {
    if (chosenYear > yearOf(today))
        return {1, 6};
    if (monthOf(today) > 6)
        return {7, 12};
    return {1, 12};
}

void writeChanges(const QString& path, const std::vector<RedDayPost>& before,
                  const std::vector<RedDayPost>& after) {
    long first = 0, last = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (i < before.size() && encodeRecord(before[i]) == encodeRecord(after[i]))
            continue;
        if (first == 0)
            first = long(i + 1);
        last = long(i + 1);
    }
    if (first == 0)
        return;
    QByteArray bytes;
    bytes.reserve(qsizetype(last - first + 1) * RedDayPost::Length);
    for (long n = first; n <= last; ++n)
        bytes += encodeRecord(after[size_t(n - 1)]);
    WriteBatch batch;
    batch.write(path, qint64(first - 1) * RedDayPost::Length, bytes);
    batch.commit();
}

} // namespace fyn::budget

// The holiday register's file: sorted used records first, free slots after
// them, never shorter; what each edit writes, byte for byte.
#include "budget/RedDays.h"
#include "core/Paths.h"
#include "support/TestSupport.h"

using namespace fyn;
using namespace fyn::budget;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

QByteArray bytesOf(std::initializer_list<RedDayPost> records) {
    QByteArray out;
    for (const RedDayPost& r : records)
        out += encodeRecord(r);
    return out;
}

class RedDayFile : public fyn::test::Sandbox {
protected:
    QString file = redDayFilPath();
    Register reg;

    void load() {
        reg.records = readRegister(file);
        reg.used = countUsed(reg.records);
    }
    // One edit as the register window makes it: the changed records committed.
    template <class Edit> void edit(Edit&& e) {
        Register next = reg;
        e(next);
        writeChanges(file, reg.records, next.records);
        reg = next;
    }
};

} // namespace

TEST_F(RedDayFile, InsertSortsAndANewHolidayGoesBeforeOneOfItsDate) {
    load();
    EXPECT_EQ(reg.used, 0);
    EXPECT_FALSE(QFile::exists(file)); // reading creates nothing
    edit([](Register& r) { insertHoliday(r, {"Juldagen", "2026-12-25"}); });
    edit([](Register& r) { insertHoliday(r, {"Nyårsdagen", "2027-01-01"}); });
    edit([](Register& r) { insertHoliday(r, {"Midsommar", "2026-06-19"}); });
    edit([](Register& r) { insertHoliday(r, {"Annandag", "2026-12-25"}); });
    EXPECT_EQ(readFile(file), bytesOf({{"Midsommar", "2026-06-19"},
                                       {"Annandag", "2026-12-25"},
                                       {"Juldagen", "2026-12-25"},
                                       {"Nyårsdagen", "2027-01-01"}}));
    load();
    EXPECT_EQ(reg.used, 4);
}

TEST_F(RedDayFile, ChangesKeepTheOrderAndAFollowingInsertLeavesThemAlone) {
    writeFile(file, bytesOf({{"A", "2026-01-06"}, {"B", "2026-05-01"}, {"C", "2026-12-25"}}));
    load();
    // Only the name: in place.
    edit([](Register& r) { changeHoliday(r, 2, {"Första maj", "2026-05-01"}); });
    EXPECT_EQ(readFile(file),
              bytesOf({{"A", "2026-01-06"}, {"Första maj", "2026-05-01"}, {"C", "2026-12-25"}}));
    // A new date: sorted in again.
    edit([](Register& r) { changeHoliday(r, 1, {"A", "2026-11-01"}); });
    EXPECT_EQ(readFile(file),
              bytesOf({{"Första maj", "2026-05-01"}, {"A", "2026-11-01"}, {"C", "2026-12-25"}}));
    edit([](Register& r) { changeHoliday(r, 3, {"C", "2026-01-01"}); });
    EXPECT_EQ(readFile(file),
              bytesOf({{"C", "2026-01-01"}, {"Första maj", "2026-05-01"}, {"A", "2026-11-01"}}));
    edit([](Register& r) { insertHoliday(r, {"D", "2026-06-06"}); });
    EXPECT_EQ(readFile(file), bytesOf({{"C", "2026-01-01"},
                                       {"Första maj", "2026-05-01"},
                                       {"D", "2026-06-06"},
                                       {"A", "2026-11-01"}}));
}

TEST_F(RedDayFile, RemovalFreesTheLastUsedSlotAndTheFileNeverShrinks) {
    writeFile(file, bytesOf({{"A", "2026-01-06"}, {"B", "2026-05-01"}}));
    load();
    edit([](Register& r) { removeHoliday(r, 1); });
    EXPECT_EQ(readFile(file), bytesOf({{"B", "2026-05-01"}, {"*", "2026-05-01"}}));
    EXPECT_EQ(reg.used, 1);
    edit([](Register& r) { removeHoliday(r, 1); });
    EXPECT_EQ(readFile(file), bytesOf({{"*", "2026-05-01"}, {"*", "2026-05-01"}}));
    load();
    EXPECT_EQ(reg.used, 0);
    // The next holiday takes record 1; the free slot after it stays.
    edit([](Register& r) { insertHoliday(r, {"E", "2026-12-24"}); });
    EXPECT_EQ(readFile(file), bytesOf({{"E", "2026-12-24"}, {"*", "2026-05-01"}}));
}

TEST_F(RedDayFile, CountIsTheLastUsedRecordAndADamagedFileReadsWithoutHarm) {
    writeFile(file, bytesOf({{"A", "2026-01-06"}, {"*", ""}, {"B", "2026-05-01"}, {" * ", ""}}));
    load();
    EXPECT_EQ(reg.used, 3);
    writeFile(file, QByteArray("garbage\x01\xff", 9));
    load();
    EXPECT_EQ(reg.records.size(), 0u);
    const RedDays red(reg.records, 5); // a count beyond the records is harmless
    EXPECT_FALSE(red.isRed(2026, 1, 6));
}

TEST(RedDayRules, AHolidayNeedsAStorableNameAndARealDate) {
    EXPECT_TRUE(holidayProblem("Juldagen", "2026-12-25").isEmpty());
    EXPECT_TRUE(holidayProblem("Ett namn på tjugofem tkn", "2028-02-29").isEmpty());
    EXPECT_FALSE(holidayProblem("  ", "2026-12-25").isEmpty());
    EXPECT_FALSE(holidayProblem(" * ", "2026-12-25").isEmpty()); // the free-slot mark
    EXPECT_FALSE(holidayProblem("Ett namn som är för långt.", "2026-12-25").isEmpty());
    EXPECT_FALSE(holidayProblem(QString::fromUtf8("Helg \u20ac\u4e2d"), "2026-12-25").isEmpty());
    EXPECT_FALSE(holidayProblem("Skottdag", "2027-02-29").isEmpty());
    EXPECT_FALSE(holidayProblem("Noll", "2026-02-00").isEmpty());
    EXPECT_FALSE(holidayProblem("Streck", "2026-02---").isEmpty());
}

TEST(RedDayRules, StepperRangesFollowTodayAndTheChosenYear) {
    const struct {
        const char* today;
        int least, greatest;
    } years[] = {{"2026-06-30", 2026, 2026}, {"2026-07-01", 2026, 2027}};
    for (const auto& c : years) {
        const Range r = newHolidayYears(c.today);
        EXPECT_EQ(r.least, c.least);
        EXPECT_EQ(r.greatest, c.greatest) << c.today;
    }
    // A fetched holiday ahead of today cannot move to next year.
    EXPECT_EQ(fetchedHolidayYears("2026-08-18", "2026-12-25").greatest, 2026);
    EXPECT_EQ(fetchedHolidayYears("2026-08-18", "2026-06-19").greatest, 2027);
    EXPECT_EQ(holidayMonths("2026-08-18", 2027).greatest, 6);
    EXPECT_EQ(holidayMonths("2026-08-18", 2026).least, 7);
    EXPECT_EQ(holidayMonths("2026-03-18", 2026).least, 1);
    EXPECT_EQ(holidayMonths("2026-03-18", 2026).greatest, 12);
}

TEST(RedDayRules, OutdatedHolidaysAreTheUsedOnesOfEarlierYears) {
    Register r;
    r.records = {{"A", "2025-12-25"}, {"B", "2026-05-01"}, {"*", "2024-01-01"}};
    r.used = 2;
    const std::vector<RedDayPost> old = outdatedHolidays(r, 2026);
    ASSERT_EQ(old.size(), 1u);
    EXPECT_EQ(old[0].Datum, "2025-12-25");
}

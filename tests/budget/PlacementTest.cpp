// The budget template placed on the days of the period: the weekday rule with
// the holidays, the order of the template's records, and the exclusion marks
// as the transaction list shows them.
#include "budget/Placement.h"
#include "core/DateText.h"

#include <gtest/gtest.h>

using namespace fyn;
using namespace fyn::budget;

namespace {

RedDays redOf(std::initializer_list<const char*> dates) {
    std::vector<RedDayPost> recs;
    for (const char* d : dates)
        recs.push_back({"Helg", d});
    return RedDays(recs, int(recs.size()));
}

BudgMallPost mall(const char* ref, const char* belopp, const char* month, const char* day,
                  const char* uteslut = "  ") {
    return {ref, belopp, month, day, uteslut};
}

// Sweden's red days of 2027 and 2028, the eves with them, as the register
// holds them.
RedDays swedishRedDays() {
    std::vector<RedDayPost> recs;
    for (const char* d :
         {"2027-01-01", "2027-01-06", "2027-03-26", "2027-03-28", "2027-03-29", "2027-05-01",
          "2027-05-06", "2027-05-16", "2027-06-06", "2027-06-25", "2027-06-26", "2027-11-06",
          "2027-12-24", "2027-12-25", "2027-12-26", "2027-12-31", "2028-01-01", "2028-01-06",
          "2028-04-14", "2028-04-16", "2028-04-17", "2028-05-01", "2028-05-25", "2028-06-04",
          "2028-06-06", "2028-06-23", "2028-06-24", "2028-11-04", "2028-12-24", "2028-12-25",
          "2028-12-26", "2028-12-31"})
        recs.push_back({"Helg", d});
    return RedDays(recs, int(recs.size()));
}

// One record a month of the year, paid on the given day of each (a day the
// month lacks is its last).
std::vector<BudgMallPost> monthly(int day) {
    std::vector<BudgMallPost> out;
    const QByteArray d = QByteArray::number(day).rightJustified(2, '0');
    for (int m = 1; m <= 12; ++m) {
        const QByteArray month = QByteArray::number(m).rightJustified(2, '0');
        out.push_back(mall("4", "7000", month.constData(), d.constData()));
    }
    return out;
}

QStringList placedDays(const Placement& p) {
    QStringList out;
    for (int m = 1; m <= 12; ++m)
        out << (p.rows[size_t(m)]
                    ? QString("%1-%2").arg(m, 2, 10, QChar('0')).arg(p.rows[size_t(m)]->day)
                    : QString("--"));
    return out;
}

} // namespace

TEST(WeekdayRule, MovesPaymentsOffWeekendsAndHolidays) {
    const struct {
        const char* date;
        int start, stop;
        std::vector<const char*> red; // beside the usual three
        const char* expected;
    } cases[] = {
        {"2026-04-25", 4, 12, {}, "2026-04-24"},             // Saturday to Friday
        {"2026-12-26", 4, 12, {}, "2026-12-24"},             // the Friday red: Thursday
        {"2026-05-02", 4, 12, {}, "2026-05-04"},             // red Friday the 1st: Monday
        {"2026-05-02", 4, 12, {"2026-05-04"}, "2026-05-05"}, // ... and the Monday red
        {"2026-08-01", 4, 12, {}, "2026-07-31"},             // the 1st: the month before
        {"2026-08-01", 4, 12, {"2026-07-31"}, "2026-07-30"},
        {"2026-08-01", 8, 12, {}, "2026-08-03"}, // the start month's 1st: Monday
        {"2026-08-01", 8, 12, {"2026-08-03"}, "2026-08-04"},
        {"2026-04-05", 4, 12, {}, "2026-04-07"},             // Sunday before a red Monday
        {"2026-04-05", 4, 12, {"2026-04-07"}, "2026-04-08"}, // a run of red days
        {"2026-05-31", 4, 12, {}, "2026-06-01"},             // the month after
        {"2026-05-31", 4, 5, {}, "2026-05-29"},              // the stop month: the Friday before
        {"2027-10-31", 1, 12, {}, "2027-11-01"},
        {"2027-10-31", 1, 10, {}, "2027-10-29"},
        {"2028-12-31", 1, 12, {}, "2028-12-29"}, // December's last Sunday
        {"2026-08-30", 1, 12, {}, "2026-08-31"}, // Sunday the 30th: Monday the 31st
        // Sunday the 30th with a red Monday at the stop month's end: the
        // Friday before, not a Saturday.
        {"2026-08-30", 1, 8, {"2026-08-31"}, "2026-08-28"},
        {"2026-04-24", 4, 12, {}, "2026-04-24"}, // a Friday stays
        {"2026-04-06", 4, 12, {}, "2026-04-06"}, // a red weekday stays too
    };
    for (const auto& c : cases) {
        std::vector<RedDayPost> recs;
        for (const char* d : {"2026-04-06", "2026-05-01", "2026-12-25"})
            recs.push_back({"Helg", d});
        for (const char* d : c.red)
            recs.push_back({"Helg", d});
        const RedDays red(recs, int(recs.size()));
        const QString date = c.date;
        const int year = date.left(4).toInt();
        const Slot s = moveOffWeekend(year, {date.mid(5, 2).toInt(), date.mid(8, 2).toInt()},
                                      c.start, c.stop, red);
        EXPECT_EQ(dateText(year, s.month, s.day), c.expected)
            << c.date << " " << c.start << ".." << c.stop;
    }
}

TEST(WeekdayRule, ADayTheMonthLacksIsItsLastDayFirst) {
    const struct {
        int year, month, day;
        const char* expected;
    } cases[] = {
        {2026, 2, 29, "2026-02-27"}, // the 28th, a Saturday
        {2028, 2, 29, "2028-02-29"}, // a leap year's Tuesday
        {2040, 2, 29, "2040-02-29"},
        {2026, 11, 31, "2026-11-30"},
    };
    for (const auto& c : cases) {
        const Slot s = moveOffWeekend(c.year, {c.month, c.day}, 1, 12, {});
        EXPECT_EQ(dateText(c.year, s.month, s.day), c.expected);
    }
}

TEST(WeekdayRule, HolidaysCountOnlyWhenTheRegisterHasThem) {
    std::vector<RedDayPost> recs{{"Helg", "2026-04-06"}};
    // Records past the used ones are no holidays.
    EXPECT_FALSE(RedDays(recs, 0).isRed(2026, 4, 6));
    EXPECT_TRUE(RedDays(recs, 1).isRed(2026, 4, 6));
    EXPECT_EQ(moveOffWeekend(2026, {4, 5}, 4, 12, RedDays(recs, 0)).day, 6);
}

TEST(TemplatePlacement, RowsOfThePeriodInTemplateOrder) {
    const std::vector<BudgMallPost> tmpl = {
        mall("4", "5000", "03", "25"),                                   // before the period
        mall("4", "5000", "04", "25"),                                   // Saturday: 24
        mall("5", "900", "05", "12"),                                    // another transaction
        mall("4", "1234", "05", "12"),                                   // replaced below
        mall("4", "12345678", "10", "14"), mall("4", "250", "07", "31"), // a Friday stays
        mall("4", "700", "05", "31"),   // Sunday, June has its own: back to Friday 29
        mall("4", "800", "06", "10"),   // June's own
        mall("4", "300", "08", "xx"),   // no day: passed over
        mall(" 4 ", "-10", "09", "01"), // a negative template amount
    };
    const Placement p = placeTemplate(tmpl, 4, 2026, 4, 12, redOf({}));
    EXPECT_TRUE(p.placedAny);
    EXPECT_FALSE(p.rows[3]);
    ASSERT_TRUE(p.rows[4]);
    EXPECT_EQ(p.rows[4]->day, "24");
    EXPECT_EQ(p.rows[4]->amount, " 5 000");
    ASSERT_TRUE(p.rows[5]);
    EXPECT_EQ(p.rows[5]->day, "29");
    EXPECT_EQ(p.rows[5]->amount, "  700");
    ASSERT_TRUE(p.rows[10]);
    EXPECT_EQ(p.rows[10]->day, "14");
    EXPECT_EQ(p.rows[10]->amount, "1 2345 678");
    ASSERT_TRUE(p.rows[6]);
    EXPECT_EQ(p.rows[6]->day, "10");
    EXPECT_EQ(p.rows[6]->amount, "  800");
    EXPECT_EQ(p.rows[7]->day, "31");
    EXPECT_FALSE(p.rows[8]);
    // A negative amount (an income's rounding below zero) has no form the
    // amount boxes take: its row stays empty, and it is listed.
    EXPECT_FALSE(p.rows[9]);
    ASSERT_EQ(p.unplaced.size(), 1u);
    EXPECT_EQ(p.unplaced[0].why, UnplacedRecord::Why::Negative);
    EXPECT_EQ(p.unplaced[0].record, 10);
    EXPECT_EQ(p.unplaced[0].month, 9);
    EXPECT_EQ(p.unplaced[0].amount, "-10");
}

TEST(TemplatePlacement, EveryMonthKeepsItsOwnPaymentWhenAMoveWouldCrossIntoTheNext) {
    const struct {
        const char* what;
        int year;
        int day;
        QStringList expected;
    } cases[] = {
        // Sunday 31 January, 28 February and 31 October stay in their months,
        // on the Fridays before.
        {"rent at the month's end",
         2027,
         31,
         {"01-29", "02-26", "03-31", "04-30", "05-31", "06-30", "07-30", "08-31", "09-30", "10-29",
          "11-30", "12-31"}},
        // Sunday 30 April before a red 1 May: Friday 28 April.
        {"rent at the month's end",
         2028,
         31,
         {"01-31", "02-29", "03-31", "04-28", "05-31", "06-30", "07-31", "08-31", "09-29", "10-31",
          "11-30", "12-29"}},
        // Sunday 28 February: Friday 26, not Monday 1 March.
        {"electricity on the 28th",
         2027,
         28,
         {"01-28", "02-26", "03-30", "04-28", "05-28", "06-28", "07-28", "08-27", "09-28", "10-28",
          "11-29", "12-28"}},
        // Saturday 1 May goes on to Monday 3 May, not back into April.
        {"paid on the 1st",
         2027,
         1,
         {"01-01", "02-01", "03-01", "04-01", "05-03", "06-01", "07-01", "08-02", "09-01", "10-01",
          "11-01", "12-01"}},
        {"paid on the 1st",
         2028,
         1,
         {"01-03", "02-01", "03-01", "04-03", "05-01", "06-01", "07-03", "08-01", "09-01", "10-02",
          "11-01", "12-01"}},
    };
    for (const auto& c : cases) {
        const Placement p = placeTemplate(monthly(c.day), 4, c.year, 1, 12, swedishRedDays());
        EXPECT_EQ(placedDays(p), c.expected) << c.what << " " << c.year;
        EXPECT_TRUE(p.placedAny);
    }
}

TEST(TemplatePlacement, AMoveIntoAMonthWithoutItsOwnRecordStaysAsTheRuleGivesIt) {
    const RedDays red = swedishRedDays();
    // In record order or not, a month with its own record keeps it.
    for (const bool juneFirst : {true, false}) {
        std::vector<BudgMallPost> tmpl = {mall("4", "700", "05", "31"),
                                          mall("4", "800", "06", "10")};
        if (juneFirst)
            std::swap(tmpl[0], tmpl[1]);
        const Placement p = placeTemplate(tmpl, 4, 2026, 4, 12, redOf({}));
        EXPECT_EQ(placedDays(p).mid(4, 2), QStringList({"05-29", "06-10"})) << juneFirst;
        EXPECT_EQ(p.rows[5]->amount, "  700");
    }
    const struct {
        std::vector<BudgMallPost> tmpl;
        int start;
        QStringList expected; // January to June
    } cases[] = {
        {{mall("4", "700", "01", "31")}, 1, {"--", "02-01", "--", "--", "--", "--"}},
        {{mall("4", "700", "05", "01")}, 4, {"--", "--", "--", "04-30", "--", "--"}},
        // Only another transaction's record in the month moved into.
        {{mall("4", "700", "01", "31"), mall("5", "300", "02", "10")},
         1,
         {"--", "02-01", "--", "--", "--", "--"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(placedDays(placeTemplate(c.tmpl, 4, 2027, c.start, 12, red)).mid(0, 6),
                  c.expected);
}

TEST(TemplatePlacement, ADamagedAmountLeavesItsRowEmptyAndIsNamedByItsRecord) {
    const Placement p = placeTemplate(
        {
            mall("4", "abc", "04", "07"),   // 1
            mall("4", "", "05", "07"),      // 2: blank
            mall("4", "12x", "06", "08"),   // 3
            mall("4", "  500", "07", "07"), // 4: blanks around a number are no damage
            mall("4", "600", "08", "07"),   // 5
            mall("4", "-", "08", "10"),     // 6: ... replaced by a damaged one
            mall("4", "1-0", "09", "07"),   // 7
            mall("4", "300", "09", "08"),   // 8: a later good one takes the row
        },
        4, 2026, 4, 12, redOf({}));
    EXPECT_EQ(placedDays(p).mid(3, 6), QStringList({"--", "--", "--", "07-07", "--", "09-08"}));
    EXPECT_EQ(p.rows[7]->amount, "  500");
    QList<long> records;
    for (const UnplacedRecord& u : p.unplaced) {
        EXPECT_EQ(u.why, UnplacedRecord::Why::Damaged) << u.record;
        records << u.record;
    }
    EXPECT_EQ(records, QList<long>({1, 2, 3, 6, 7}));
    EXPECT_EQ(p.unplaced[0].amount, "abc");
    EXPECT_EQ(p.unplaced[0].month, 4);
    EXPECT_TRUE(p.placedAny);
}

TEST(TemplatePlacement, ABlankMonthEndsTheScanWithNothingToPost) {
    const Placement p = placeTemplate(
        {mall("4", "500", "04", "10"), mall("4", "600", "  ", "  "), mall("4", "700", "05", "11")},
        4, 2026, 4, 12, redOf({}));
    EXPECT_FALSE(p.placedAny);
    EXPECT_TRUE(p.rows[4]);
    EXPECT_FALSE(p.rows[5]);
    EXPECT_FALSE(placeTemplate({mall("5", "500", "04", "10")}, 4, 2026, 4, 12, {}).placedAny);
}

TEST(TransactionList, FiltersByTheTemplatesExclusionMarks) {
    const std::vector<TransPost> trans = {
        {"Kontostart", " "}, {"Lön", "+"}, {"", " "}, {"Hyra", "-"}, {"Mat", "-"}};
    const std::vector<BudgMallPost> tmpl = {mall("5", "100", "01", "05", "* "),
                                            mall("4", "100", "01", "05"),
                                            mall("5", "100", "02", "05", "*")};
    const QStringList excluded = excludedRefs(tmpl);
    EXPECT_EQ(excluded, QStringList{"5"});
    EXPECT_TRUE(isExcluded(tmpl, 5));
    EXPECT_FALSE(isExcluded(tmpl, 4));
    const auto names = [&](Filter f, const QStringList& ex) {
        QStringList out;
        for (const ListedTransaction& t : listTransactions(f, trans, long(tmpl.size()), ex))
            out << t.name + "=" + QString::number(t.record);
        return out;
    };
    const QStringList all = {"Kontostart=1", "Lön=2", "Hyra=4", "Mat=5"};
    EXPECT_EQ(names(Filter::Alla, excluded), all);
    EXPECT_EQ(names(Filter::BBara, excluded), QStringList({"Kontostart=1", "Lön=2", "Hyra=4"}));
    EXPECT_EQ(names(Filter::Uteslutna, excluded), QStringList{"Mat=5"});
    // With nothing excluded the narrow filters list everything.
    EXPECT_EQ(names(Filter::Uteslutna, {}), all);
    EXPECT_EQ(names(Filter::BBara, {}), all);
}

TEST(TransactionList, ConditionsFollowTheTemplateAndThePeriod) {
    const ConditionsView none = conditions(true, {}, 4);
    EXPECT_TRUE(none.noTransactions);
    EXPECT_EQ(none.help, 1);

    const ConditionsView noTemplate = conditions(false, {}, 4);
    EXPECT_EQ(noTemplate.help, 2);
    EXPECT_EQ(noTemplate.filter, Filter::Alla);
    EXPECT_FALSE(noTemplate.showBBara);
    EXPECT_FALSE(noTemplate.showUteslutna);

    const std::vector<BudgMallPost> tmpl = {mall("4", "100", "03", "05", "*")};
    // The excluded record lies before the period: nothing to narrow.
    const ConditionsView before = conditions(false, tmpl, 4);
    EXPECT_EQ(before.help, 3);
    EXPECT_TRUE(before.showBBara);
    EXPECT_FALSE(before.showUteslutna);
    EXPECT_TRUE(before.blankCommand3);

    const ConditionsView within = conditions(false, tmpl, 3);
    EXPECT_EQ(within.help, 4);
    EXPECT_EQ(within.filter, Filter::BBara);
    EXPECT_TRUE(within.showAlla && within.showBBara && within.showUteslutna);
}

TEST(TemplatePlacement, ValReadsTheLeadingWholeNumber) {
    const struct {
        const char* text;
        long value;
    } cases[] = {{"12", 12}, {"  7", 7}, {"-10", -10}, {"4ab", 4}, {"ab", 0}, {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(valWhole(c.text), c.value) << c.text;
}

// The listings without the dialog: the variant choice, the amount text, the
// lines read from an account's files, the period's records, the screen pages
// and the text file's column rule and pages.
#include "output/Listing.h"
#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "output/OutputDriver.h"
#include "output/Period.h"
#include "output/ScreenPages.h"
#include "output/TextListing.h"
#include "platform/SysError.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QFileInfo>

using namespace fyn;
using namespace fyn::output;
using fyn::test::Posting;

namespace {

QString lineOf(const AccountData& data, Variant v, int n) {
    LineText line;
    data.line(v, n, line);
    QStringList cells;
    for (int i = 0; i < line.size(); ++i)
        cells << line.text(i);
    return cells.join('|');
}

class Listing : public test::Sandbox {
protected:
    AccountData load(const test::FixtureAccount& a) {
        test::writeAccount(a, 1);
        AccountData data;
        data.load(accountFolder(a.name), a.slag == "Bg" ? Kind::Budget : Kind::Enkel);
        return data;
    }
};

} // namespace

TEST(Variants, TheCheckBoxesChooseTheVariantAndSimpleAccountsGetNoBudgetColumns) {
    struct Case {
        int c1, c2, c3;
        Variant budget, simple;
    };
    const Case cases[] = {
        {0, 0, 0, Variant::Pr_1, Variant::Pr_1}, {1, 0, 0, Variant::Pr_2, Variant::Pr_2},
        {0, 1, 0, Variant::Pr_3, Variant::None}, {0, 1, 1, Variant::Pr_4, Variant::None},
        {1, 1, 1, Variant::Pr_5, Variant::None}, {1, 1, 0, Variant::Pr_6, Variant::None},
        {0, 0, 1, Variant::None, Variant::None}, {1, 0, 1, Variant::None, Variant::None},
        {2, 0, 0, Variant::Pr_2, Variant::Pr_2}, // any Check1 but 0 counts as ticked
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseVariant(c.c1, c.c2, c.c3, Kind::Budget), c.budget) << c.c1 << c.c2 << c.c3;
        EXPECT_EQ(chooseVariant(c.c1, c.c2, c.c3, Kind::Enkel), c.simple) << c.c1 << c.c2 << c.c3;
    }
}

TEST(Variants, AmountTextGroupsTheDigitsAndTakesTheSignFromTheStoredText) {
    const std::pair<const char*, const char*> cases[] = {
        {"-1234,5    ", "-1 234,50"},
        {"0,05", "0,05"},
        {"1234567,8", "1 234 567,80"},
        {"-0", "-0,00"},
        {"100", "100,00"},
        {"0,005", "0,01"},
        {"-99999999,99", "-99 999 999,99"},
        {"  -12,3", "-12,30"},
    };
    for (const auto& [field, text] : cases)
        EXPECT_EQ(amountText(QString::fromLatin1(field)), QString::fromLatin1(text)) << field;
    try {
        amountText(QStringLiteral("           "));
        ADD_FAILURE() << "a blank amount was read";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), platform::kTypeMismatch);
    }
}

TEST_F(Listing, LinesTakeTheirNamesByReferenceAndTheirAmountsByKind) {
    test::FixtureAccount ek = test::simpleHem();
    ek.postings.push_back(test::rec(test::enkel("2024-04-01", "-3", "5", "5", " ", "9")));
    ek.postings.push_back(test::rec(test::enkel("2024-04-02", "77", "5", "5")));
    const AccountData e = load(ek);
    EXPECT_EQ(lineOf(e, Variant::Pr_2, 2), "2024-01-15|Lön||25 000,00|55 000,00");
    EXPECT_EQ(lineOf(e, Variant::Pr_2, 4), "2024-02-20|Hyra|Extra|-7 000,00|40 499,50");
    EXPECT_EQ(lineOf(e, Variant::Pr_2, 5),
              "2024-03-01|Försäkringar och avgifter||-1 200,00|39 299,50"); // deleted sub
    // A negative reference names its record; a reference past the names is none.
    EXPECT_EQ(lineOf(e, Variant::Pr_2, 7), "2024-04-01|Hyra||5,00|5,00");
    EXPECT_EQ(lineOf(e, Variant::Pr_1, 8), "2024-04-02||5,00|5,00");

    const AccountData b = load(test::budgetBud());
    // Without budget columns a budget account shows its actual amounts.
    EXPECT_EQ(lineOf(b, Variant::Pr_1, 2), "2024-01-05|Mat|-450,25|-450,25");
    EXPECT_EQ(lineOf(b, Variant::Pr_5, 4),
              "2024-02-01||Coop|-1 000,00|0,00|18 500,00|20 549,75|2 049,75"); // deleted name
}

TEST_F(Listing, ADamagedRecordIsNamedAndKeepsTheTextsNotReached) {
    test::FixtureAccount a = test::simpleHem();
    a.postings[2] = test::rec(test::enkel("2024-01-20", "0", "-7500,5", "47499,5"));
    a.postings[3] = test::rec(test::enkel("2024-02-20", "3", "", "40499,5"));
    const AccountData data = load(a);
    LineText line;
    data.line(Variant::Pr_1, 2, line);
    for (const auto& [record, sysText] :
         {std::pair{3, platform::kBadRecordNumber}, std::pair{4, platform::kTypeMismatch}}) {
        try {
            data.line(Variant::Pr_1, record, line);
            ADD_FAILURE() << "record " << record << " was read";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), sysText);
            EXPECT_EQ(e.where(), QString("KontoData, post %1").arg(record));
        }
    }
    // The date of the failing line, the amount of the line before.
    EXPECT_EQ(line.text(0), "2024-02-20");
    EXPECT_EQ(line.text(2), "25 000,00");
}

TEST_F(Listing, MissingFilesReadAsEmptyAndAreNotCreated) {
    const QString folder = accountFolder("Tom");
    QDir().mkpath(folder);
    AccountData data;
    data.load(folder, Kind::Budget);
    EXPECT_EQ(data.recordCount(), 0);
    EXPECT_EQ(data.lastDated(), 0);
    EXPECT_TRUE(data.mainNames().empty());
    EXPECT_TRUE(QDir(folder).isEmpty());

    // Blank records at the end are no postings.
    test::FixtureAccount a = test::simpleHem();
    a.postings.push_back(QByteArray(EnkelKontoPost::Length, ' '));
    EXPECT_EQ(load(a).lastDated(), 6);
}

TEST_F(Listing, APeriodCoversTheRecordsOfItsDatesAndNoOthers) {
    std::vector<Posting> rows = {{"2023-12-30", 1, "0", "0"}, {"2024-02-28", 2, "0", "1"},
                                 {"2024-02-29", 2, "0", "1"}, {"2024-02-29", 2, "0", "1"},
                                 {"2024-03-01", 2, "0", "1"}, {"2024-06-15", 2, "0", "1"}};
    test::FixtureAccount a;
    a.name = "P";
    a.postings = test::postingsOf("Ek", rows);
    const AccountData data = load(a);
    struct Case {
        const char *start, *stop;
        int startRec, stopRec;
    };
    const Case cases[] = {
        {"2023-12-30", "2024-06-15", 1, 6}, // the whole file
        {"2020-01-01", "2030-12-31", 1, 6},
        {"2024-02-29", "2024-02-29", 3, 4}, // one day, two postings
        {"2024-02-28", "2024-02-28", 2, 2},
        {"2024-01-01", "2024-02-27", 2, 1}, // between postings: nothing
        {"2024-06-16", "2025-01-01", 7, 6}, // after the last posting
        {"2020-01-01", "2023-12-29", 1, 0}, // before the first
        {"2024-02-31", "2024-03-01", 5, 5}, // a day February lacks sorts after the 29th
    };
    for (const Case& c : cases) {
        const PeriodRange r = periodRange(data, 6, DateParts::of(c.start), DateParts::of(c.stop));
        EXPECT_EQ(r.startRec, c.startRec) << c.start << " " << c.stop;
        EXPECT_EQ(r.stopRec, c.stopRec) << c.start << " " << c.stop;
    }
}

TEST(Period, DayListsFollowTheGregorianCalendar) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"2024", "02", 29}, {"2023", "02", 28}, {"2000", "02", 29},
        {"2100", "02", 28}, {"2048", "02", 29}, {"2023", "04", 30},
        {"2023", "12", 31}, {"2023", "13", 0},  {"2023", "", 0},
    };
    for (const auto& [year, month, days] : cases) {
        const QStringList list = dayList(year, month);
        EXPECT_EQ(list.size(), days) << year << "-" << month;
        if (days > 0) {
            EXPECT_EQ(list.first() + list.last(), "01" + QString::number(days));
        }
    }
    EXPECT_EQ(yearList("2022", "2024"), (QStringList{"2022", "2023", "2024", "2025"}));
    EXPECT_TRUE(yearList("", "").isEmpty());
}

TEST(ScreenPages, ThePageMovesWithinThePeriodAndTheButtonsShowWhereItCan) {
    struct Case {
        Scroll s;
        int top, startRec, stopRec, newTop;
    };
    const Case cases[] = {
        {Scroll::PageDown, 1, 1, 16, 2},     // 16 postings: the last full page
        {Scroll::PageUp, 2, 1, 16, 1},       //
        {Scroll::PageDown, 10, 10, 100, 25}, // a whole page down
        {Scroll::PageDown, 72, 10, 100, 86}, // ends on the last full page
        {Scroll::PageUp, 13, 10, 100, 10},   // up to the start
        {Scroll::RowDown, 85, 10, 100, 86},  //
        {Scroll::RowUp, 11, 10, 100, 10},    //
        // A page left from a longer period never shows what lies outside it.
        {Scroll::PageDown, 50, 40, 45, 40},
        {Scroll::RowUp, 3, 5, 30, 5},
        {Scroll::RowDown, 1, 1, 5, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scrolled(c.s, c.top, c.startRec, c.stopRec), c.newTop)
            << int(c.s) << " from " << c.top;

    EXPECT_EQ(scrollEnabling(1, 1, 15), (ScrollEnabling{false, false}));
    EXPECT_EQ(scrollEnabling(1, 1, 16), (ScrollEnabling{false, true}));
    EXPECT_EQ(scrollEnabling(2, 1, 16), (ScrollEnabling{true, false}));
    EXPECT_EQ(scrollEnabling(1, 1, 0), (ScrollEnabling{false, false}));
}

TEST(TextFile, TheColumnRulePushesWhatDoesNotFitOntoANewLine) {
    QByteArray out;
    ColumnWriter w(out);
    w.place(1, "2024-01-01");
    w.place(12, "Twenty-one characters"); // ends in column 32
    w.place(33, "Sub");                   // right after it: no blank
    w.right(66, "-99 999 999,99");
    w.right(79, "12 345 678,90"); // thirteen characters touch the one before
    w.right(92, "-1,00");
    w.place(0, "x"); // a column below 1 is column 1, on a new line
    EXPECT_EQ(out, "2024-01-01 Twenty-one charactersSub" + QByteArray(16, ' ') +
                       "-99 999 999,9912 345 678,90" + QByteArray(8, ' ') + "-1,00\r\nx");
    QByteArray wrapped;
    ColumnWriter v(wrapped);
    v.right(45, "-99 999 999,99");
    v.right(58, "-99 999 999,99"); // would start before the line's end
    EXPECT_EQ(wrapped,
              QByteArray(30, ' ') + "-99 999 999,99\r\n" + QByteArray(43, ' ') + "-99 999 999,99");
}

TEST_F(Listing, PagesHoldTheVariantsRowsAndNothingFollowsTheLastRow) {
    test::FixtureAccount a;
    a.name = "Sidor";
    a.slag = "Bg";
    a.postings = test::postingsOf("Bg", test::days(140));
    const AccountData data = load(a);
    const QByteArray prefix = pageHeaderPrefix("Sidor", "2024-05-01");
    struct Case {
        Variant v;
        int rows, pages;
    };
    const Case cases[] = {{Variant::Pr_1, 70, 1}, {Variant::Pr_1, 71, 2}, {Variant::Pr_4, 140, 2},
                          {Variant::Pr_5, 47, 1}, {Variant::Pr_6, 48, 2}, {Variant::Pr_2, 0, 1}};
    for (const Case& c : cases) {
        QByteArray out;
        TextProgress progress;
        writeTextListing(out, data, c.v, 1, c.rows, prefix, progress);
        const QList<QByteArray> lines = out.split('\n');
        const int perPage = textLayout(c.v).rowsPerPage;
        int headers = 0;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith("Utskrift av Sidor 2024-05-01              Sida ")) {
                ++headers;
                EXPECT_EQ(i, (headers - 1) * (perPage + 4)) << variantName(c.v).toStdString();
                EXPECT_EQ(lines[i], prefix + QByteArray::number(headers) + "\r");
            }
        EXPECT_EQ(headers, c.pages) << variantName(c.v).toStdString() << " " << c.rows;
        EXPECT_EQ(lines.size(), c.rows + 3 * c.pages + (c.pages - 1) + (c.rows == 0 ? 1 : 0));
        if (c.rows > 0) {
            EXPECT_FALSE(out.endsWith('\n'));
            EXPECT_TRUE(lines.last().startsWith(
                QDate(2024, 1, 1).addDays(c.rows - 1).toString(Qt::ISODate).toLatin1()));
        } else {
            EXPECT_TRUE(out.endsWith("Saldo\r\n")); // the headings end the file
        }
    }
}

// Record numbers past 32 767 list like any other.
TEST_F(Listing, LongAccountsListToTheirLastPosting) {
    test::FixtureAccount a;
    a.name = "Lång";
    std::vector<Posting> rows;
    for (int i = 0; i < 40000; ++i)
        rows.push_back({QDate(1950, 1, 1).addDays(i).toString(Qt::ISODate), 2, "0", "1"});
    a.postings = test::postingsOf("Ek", rows);
    const AccountData data = load(a);
    const PeriodRange r = periodRange(data, data.lastDated(), DateParts::of("2040-01-01"),
                                      DateParts::of("2099-12-31"));
    EXPECT_EQ(r.startRec, QDate(1950, 1, 1).daysTo(QDate(2040, 1, 1)) + 1);
    EXPECT_EQ(r.stopRec, 40000);
    EXPECT_EQ(lineOf(data, Variant::Pr_1, 40000), "2059-07-07|Insättning|1,00|40 000,00");
    QByteArray out;
    TextProgress progress;
    writeTextListing(out, data, Variant::Pr_1, r.startRec, r.stopRec, "x ", progress);
    EXPECT_EQ(progress.record, 40000);
    EXPECT_TRUE(
        out.endsWith(toCp1252("2059-07-07 Insättning                   1,00    40 000,00")));
}

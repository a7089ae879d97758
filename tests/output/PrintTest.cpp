// The printed listings and statistics through the dialog: the calls each
// variant makes of the printer (a recorder with 100 units a character), the
// pages, the set-up box, and the failures.
#include "output/OutputDriver.h"

using namespace fyn;
using fyn::test::OutputTest;
using fyn::test::Posting;

namespace {

// A budget account of n postings a day apart, all in one period: the start,
// then "Mat" and nameless ones in turn.
test::FixtureAccount longBudget(int n) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", test::days(n));
    return a;
}

} // namespace

TEST_F(OutputTest, ThePortraitListingOfASimpleAccountCallForCall) {
    UtskrStatForm& d = openOn(test::simpleHem());
    print(d);
    EXPECT_EQ(fakes.printers->setups, QStringList{"UtskrStatForm"});
    EXPECT_EQ(fakes.printers->calls,
              (QStringList{
                  "ORIENTATION 1",
                  "PAGE 11000 16000",
                  "FONT Arial 11 bold",
                  "TEXT 850 400 \"Utskrift av Hem, datum: 2024-05-01   Sida 1\"",
                  "TEXT 850 900 \"Datum\"",
                  "TEXT 2000 900 \"Huvudtransaktion\"",
                  "TEXT 4335 900 \"Belopp\"",
                  "TEXT 5900 900 \"Saldo\"",
                  "FONT Arial 10",
                  "TEXT 850 1350 \"2024-01-01\"",
                  "TEXT 2000 1350 \"Kontostart\"",
                  "TEXT 4200 1350 \"30 000,00\"",
                  "TEXT 5600 1350 \"30 000,00\"",
                  "TEXT 850 1580 \"2024-01-15\"",
                  "TEXT 2000 1580 \"L\u00f6n\"",
                  "TEXT 4200 1580 \"25 000,00\"",
                  "TEXT 5600 1580 \"55 000,00\"",
                  "TEXT 850 1810 \"2024-01-20\"",
                  "TEXT 2000 1810 \"Hyra\"",
                  "TEXT 4200 1810 \"-7 500,50\"",
                  "TEXT 5600 1810 \"47 499,50\"",
                  "TEXT 850 2040 \"2024-02-20\"",
                  "TEXT 2000 2040 \"Hyra\"",
                  "TEXT 4200 2040 \"-7 000,00\"",
                  "TEXT 5600 2040 \"40 499,50\"",
                  "TEXT 850 2270 \"2024-03-01\"",
                  "TEXT 2000 2270 \"F\u00f6rs\u00e4kringar och avgifter\"",
                  "TEXT 4200 2270 \"-1 200,00\"",
                  "TEXT 5600 2270 \"39 299,50\"",
                  "TEXT 850 2500 \"2024-03-20\"",
                  "TEXT 2000 2500 \"Hyra\"",
                  "TEXT 4200 2500 \"-8 000,00\"",
                  "TEXT 5600 2500 \"31 299,50\"",
                  "END",
              }));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    EXPECT_EQ(lastBox().text, "Utskrift har skickats till printer för konto:\n\nHem\n");
    EXPECT_EQ(lastBox().icon, platform::Icon::Information);
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_FALSE(d.Option3->isChecked());
}

TEST_F(OutputTest, TheWidestLandscapeListingCallForCall) {
    UtskrStatForm& d = openOn(test::budgetBud());
    tickVariant(d, true, true, true);
    print(d);
    EXPECT_EQ(fakes.printers->calls,
              (QStringList{
                  "ORIENTATION 2",
                  "PAGE 16000 11000",
                  "FONT Arial 11 bold",
                  "TEXT 850 400 \"Utskrift av Bud, datum: 2024-05-01   Sida 1\"",
                  "TEXT 850 900 \"Datum\"",
                  "TEXT 2000 900 \"Huvudtransaktion\"",
                  "TEXT 5100 900 \"Subtransaktion\"",
                  "TEXT 7635 900 \"Budg.belopp\"",
                  "TEXT 9065 900 \"Verkl.belopp\"",
                  "TEXT 10600 900 \"Budg.saldo\"",
                  "TEXT 12030 900 \"Verkl.saldo\"",
                  "TEXT 13595 900 \"Saldodiff.\"",
                  "FONT Arial 10",
                  "TEXT 850 1350 \"2024-01-01\"",
                  "TEXT 2000 1350 \"Kontostart\"",
                  "TEXT 8600 1350 \"0,00\"",
                  "TEXT 10000 1350 \"0,00\"",
                  "TEXT 11400 1350 \"0,00\"",
                  "TEXT 12800 1350 \"0,00\"",
                  "TEXT 14200 1350 \"0,00\"",
                  "TEXT 850 1580 \"2024-01-05\"",
                  "TEXT 2000 1580 \"Mat\"",
                  "TEXT 5100 1580 \"Ica\"",
                  "TEXT 8300 1580 \"-500,00\"",
                  "TEXT 9700 1580 \"-450,25\"",
                  "TEXT 11100 1580 \"-500,00\"",
                  "TEXT 12500 1580 \"-450,25\"",
                  "TEXT 14100 1580 \"49,75\"",
                  "TEXT 850 1810 \"2024-01-25\"",
                  "TEXT 2000 1810 \"L\u00f6n\"",
                  "TEXT 8100 1810 \"20 000,00\"",
                  "TEXT 9500 1810 \"21 000,00\"",
                  "TEXT 10900 1810 \"19 500,00\"",
                  "TEXT 12300 1810 \"20 549,75\"",
                  "TEXT 13800 1810 \"1 049,75\"",
                  // A deleted main transaction prints nothing in its column.
                  "TEXT 850 2040 \"2024-02-01\"",
                  "TEXT 5100 2040 \"Coop\"",
                  "TEXT 8100 2040 \"-1 000,00\"",
                  "TEXT 10000 2040 \"0,00\"",
                  "TEXT 10900 2040 \"18 500,00\"",
                  "TEXT 12300 2040 \"20 549,75\"",
                  "TEXT 13800 2040 \"2 049,75\"",
                  "TEXT 850 2270 \"2024-03-01\"",
                  "TEXT 2000 2270 \"L\u00f6n\"",
                  "TEXT 7700 2270 \"12 345 678,90\"",
                  "TEXT 9100 2270 \"12 345 678,90\"",
                  "TEXT 10500 2270 \"12 364 178,90\"",
                  "TEXT 11900 2270 \"12 366 228,65\"",
                  "TEXT 13800 2270 \"2 049,75\"",
                  "END",
              }));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
}

// The other variants: their page, their headings and the row of 2024-01-05
// (Mat, Ica, budget -500,00, actual -450,25, difference 49,75).
TEST_F(OutputTest, EveryVariantPrintsItsColumnsWhereTheyStand) {
    struct Case {
        bool c1, c2, c3;
        const char* page;
        QStringList headings;
        QStringList row;
    };
    const Case cases[] = {
        {true,
         false,
         false,
         "PAGE 11000 16000",
         {"TEXT 850 900 \"Datum\"", "TEXT 2000 900 \"Huvudtransaktion\"",
          "TEXT 5100 900 \"Subtransaktion\"", "TEXT 7535 900 \"Belopp\"",
          "TEXT 9100 900 \"Saldo\""},
         {"TEXT 850 1580 \"2024-01-05\"", "TEXT 2000 1580 \"Mat\"", "TEXT 5100 1580 \"Ica\"",
          "TEXT 7600 1580 \"-450,25\"", "TEXT 9000 1580 \"-450,25\""}},
        {false,
         true,
         false,
         "PAGE 11000 16000",
         {"TEXT 850 900 \"Datum\"", "TEXT 2000 900 \"Huvudtransaktion\"",
          "TEXT 3835 900 \"Budg.belopp\"", "TEXT 5265 900 \"Verkl.belopp\"",
          "TEXT 7800 900 \"Budg.saldo\"", "TEXT 9230 900 \"Verkl.saldo\""},
         {"TEXT 850 1580 \"2024-01-05\"", "TEXT 2000 1580 \"Mat\"", "TEXT 4500 1580 \"-500,00\"",
          "TEXT 5900 1580 \"-450,25\"", "TEXT 8300 1580 \"-500,00\"",
          "TEXT 9700 1580 \"-450,25\""}},
        {false,
         true,
         true,
         "PAGE 16000 11000",
         {"TEXT 850 900 \"Datum\"", "TEXT 2000 900 \"Huvudtransaktion\"",
          "TEXT 3835 900 \"Budg.belopp\"", "TEXT 5265 900 \"Verkl.belopp\"",
          "TEXT 7800 900 \"Budg.saldo\"", "TEXT 9230 900 \"Verkl.saldo\"",
          "TEXT 10795 900 \"Saldodiff.\""},
         {"TEXT 850 1580 \"2024-01-05\"", "TEXT 2000 1580 \"Mat\"", "TEXT 4500 1580 \"-500,00\"",
          "TEXT 5900 1580 \"-450,25\"", "TEXT 8300 1580 \"-500,00\"", "TEXT 9700 1580 \"-450,25\"",
          "TEXT 11300 1580 \"49,75\""}},
        {true,
         true,
         false,
         "PAGE 16000 11000",
         {"TEXT 850 900 \"Datum\"", "TEXT 2000 900 \"Huvudtransaktion\"",
          "TEXT 5100 900 \"Subtransaktion\"", "TEXT 8185 900 \"Budg.belopp\"",
          "TEXT 9615 900 \"Verkl.belopp\"", "TEXT 11150 900 \"Budg.saldo\"",
          "TEXT 12580 900 \"Verkl.saldo\""},
         {"TEXT 850 1580 \"2024-01-05\"", "TEXT 2000 1580 \"Mat\"", "TEXT 5100 1580 \"Ica\"",
          "TEXT 8850 1580 \"-500,00\"", "TEXT 10250 1580 \"-450,25\"",
          "TEXT 11650 1580 \"-500,00\"", "TEXT 13050 1580 \"-450,25\""}},
    };
    UtskrStatForm& d = openOn(test::budgetBud());
    for (const Case& c : cases) {
        fakes.printers->calls.clear();
        tickVariant(d, c.c1, c.c2, c.c3);
        print(d);
        const QStringList& calls = fakes.printers->calls;
        ASSERT_GT(calls.size(), 10);
        EXPECT_EQ(calls[1], c.page);
        EXPECT_EQ(calls.mid(4, c.headings.size()), c.headings);
        EXPECT_EQ(calls[4 + c.headings.size()], "FONT Arial 10");
        const qsizetype at = calls.indexOf(c.row.first());
        ASSERT_GE(at, 0) << c.row.first().toStdString();
        EXPECT_EQ(calls.mid(at, c.row.size()), c.row);
        EXPECT_EQ(calls.last(), "END");
        EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    }
}

TEST_F(OutputTest, ThePrintedStatisticsCallForCall) {
    UtskrStatForm& d = openOn(test::simpleHem());
    chooseTransaction(d, "Hyra");
    print(d);
    EXPECT_EQ(fakes.printers->calls,
              (QStringList{
                  "ORIENTATION 1",
                  "PAGE 11000 16000",
                  "FONT Arial 11 bold",
                  "TEXT 850 400 \"Konto: 'Hem', datum: 2024-05-01, Sida: 1\"",
                  "TEXT 850 630 \"Statistik, transaktionen: 'Hyra' \"",
                  "TEXT 850 860 \"Antal = 3, Totalbel. = -22 500,50, Medel = -7 500,17\"",
                  "TEXT 850 1360 \"Datum\"",
                  "TEXT 2000 1360 \"Subtransaktion\"",
                  "TEXT 4335 1360 \"Belopp\"",
                  "FONT Arial 10",
                  "TEXT 850 1830 \"2024-01-20\"",
                  "TEXT 4200 1830 \"-7 500,50\"",
                  "TEXT 850 2060 \"2024-02-20\"",
                  "TEXT 2000 2060 \"Extra\"",
                  "TEXT 4200 2060 \"-7 000,00\"",
                  "TEXT 850 2290 \"2024-03-20\"",
                  "TEXT 4200 2290 \"-8 000,00\"",
                  "END",
              }));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    EXPECT_EQ(d.CancelState, "kto"); // the statistics are over
}

// Pages break after their last row, a full last page is followed by nothing,
// and every page has its header with its number.
TEST_F(OutputTest, PagesHoldTheirRowsAndAFullLastPageEndsTheDocument) {
    struct Case {
        int postings;
        bool landscape;
        int pages;
        const char* lastRow; // the Y of the last row printed
    };
    const Case cases[] = {
        {63, false, 1, "15610"}, {64, false, 2, "1350"}, {126, false, 2, "15610"},
        {42, true, 1, "10780"},  {43, true, 2, "1350"},  {84, true, 2, "10780"},
    };
    for (const Case& c : cases) {
        UtskrStatForm& d = openOn(longBudget(c.postings));
        if (c.landscape)
            tickVariant(d, false, true, true);
        fakes.printers->calls.clear();
        print(d);
        const QStringList& calls = fakes.printers->calls;
        EXPECT_EQ(calls.count("NEWPAGE"), c.pages - 1) << c.postings;
        const QStringList headers = fakes.printers->callsStarting("TEXT 850 400 ");
        ASSERT_EQ(headers.size(), c.pages) << c.postings;
        EXPECT_TRUE(headers.last().endsWith(QString("Sida %1\"").arg(c.pages)));
        const QString lastDate = QDate(2024, 1, 1).addDays(c.postings - 1).toString(Qt::ISODate);
        EXPECT_TRUE(calls.contains(QString("TEXT 850 %1 \"%2\"").arg(c.lastRow, lastDate)))
            << c.postings;
        EXPECT_EQ(calls.last(), "END");
        delete utskrStatForm();
        form.reset();
        ledger::account().closeAll();
        checkpoint();
        titles();
    }
}

TEST_F(OutputTest, PrintedStatisticsHoldSixtyOneRowsAPage) {
    for (const int n : {61, 62}) {
        test::FixtureAccount a = test::simpleHem();
        std::vector<Posting> rows = {{"2024-01-01", 1, "0", "100"}};
        for (int i = 1; i <= n; ++i)
            rows.push_back({QDate(2024, 1, 1).addDays(i).toString(Qt::ISODate), 3, "0", "-1"});
        a.postings = test::postingsOf("Ek", rows);
        UtskrStatForm& d = openOn(a);
        chooseTransaction(d, "Hyra");
        fakes.printers->calls.clear();
        print(d);
        const QStringList& calls = fakes.printers->calls;
        EXPECT_EQ(calls.count("NEWPAGE"), n == 61 ? 0 : 1);
        EXPECT_TRUE(calls.contains(n == 61 ? "TEXT 850 15630 \"2024-03-02\""
                                           : "TEXT 850 1830 \"2024-03-03\""));
        EXPECT_EQ(fakes.printers->callsStarting("TEXT 850 860 ").size(), n == 61 ? 1 : 2);
        delete utskrStatForm();
        form.reset();
        ledger::account().closeAll();
        checkpoint();
        titles();
    }
}

TEST_F(OutputTest, AnEmptyPeriodPrintsTheHeadingsAndSaysSo) {
    UtskrStatForm& d = openOn(test::simpleHem());
    setDatePart(d.Label9, d.List3, "02");
    setDatePart(d.Label12, d.List2, "01");
    setDatePart(d.Label10, d.List3, "14");
    print(d);
    EXPECT_EQ(fakes.printers->calls,
              (QStringList{"ORIENTATION 1", "PAGE 11000 16000", "FONT Arial 11 bold",
                           "TEXT 850 400 \"Utskrift av Hem, datum: 2024-05-01   Sida 1\"",
                           "TEXT 850 900 \"Datum\"", "TEXT 2000 900 \"Huvudtransaktion\"",
                           "TEXT 4335 900 \"Belopp\"", "TEXT 5900 900 \"Saldo\"", "FONT Arial 10",
                           "END"}));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
}

TEST_F(OutputTest, ACancelledSetUpPrintsAndSaysNothing) {
    UtskrStatForm& d = openOn(test::budgetBud());
    print(d, false);
    EXPECT_EQ(fakes.printers->setups.size(), 1);
    EXPECT_TRUE(fakes.printers->calls.isEmpty());
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(d.CancelState, "kto");

    // In statistics the dialog keeps its state.
    chooseTransaction(d, "Mat");
    print(d, false);
    EXPECT_TRUE(fakes.printers->calls.isEmpty());
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(d.CancelState, "stk");
    EXPECT_EQ(d.StatTransNamn, "Mat");
}

TEST_F(OutputTest, AFailedPrintoutIsDroppedAndReportedNotConfirmed) {
    UtskrStatForm& d =
        openOnDamaged(test::budgetBud(), 3,
                      test::rec(test::budget("2024-01-25", "4", "x", "21000", "0", "0", "0")));
    fakes.messages->answers.push_back(platform::Answer::No);
    tickVariant(d, false, true, false);
    print(d);
    EXPECT_EQ(fakes.printers->calls.last(), "ABORT");
    EXPECT_FALSE(fakes.printers->calls.contains("END"));
    EXPECT_EQ(titles(), QStringList{"Felspec. = Type mismatch"});
    EXPECT_TRUE(lastBox().text.startsWith(
        "Ett fel har uppstått i subrutinen PriPr_3 vid utskriftsförsök till printer.\n"));
    test::expectDump({"Fel i rutinen PriPr_3 vid utskriftsförsök printer (exkl subtr inkl budget "
                      "exkl diff)",
                      "RubrikSetting 1: Utskrift av Bud, datum: 2024-05-01   Sida ",
                      "RubrikSetting 2: Verkl.belopp", "Tab huvudtrans.: 2000",
                      "Senaste sökrecord: 3", "Sista record i filen: 5",
                      "Hämtad bokföringsdag: 2024-01-25", "Hämtat verkl.belopp: -450,25"});
    EXPECT_EQ(d.CancelState, "kto");

    // A document the printer cannot take is dropped as well.
    fakes.printers->calls.clear();
    fakes.printers->failOn = "END";
    fakes.messages->answers.push_back(platform::Answer::No);
    chooseTransaction(d, "Mat");
    print(d);
    EXPECT_EQ(fakes.printers->calls.mid(fakes.printers->calls.size() - 2),
              (QStringList{"END", "ABORT"}));
    EXPECT_EQ(titles(), QStringList{"Felspec. = Disk full"});
    test::expectDump({"Fel i rutinen PriPr_7 vid utskriftsförsök printer (statistik)",
                      "RubrikSetting 1: Statistik, transaktionen: 'Mat' ",
                      "RubrikSetting 2: Belopp", "Tab subtrans.: 2000",
                      "Senaste sökrecord i matrisen: 1", "Sista record i filen: 1",
                      "Hämtad bokföringsdag: 2024-01-05", "Hämtat belopp: -450,25"});
    EXPECT_EQ(d.CancelState, "stk");
}

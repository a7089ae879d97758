// The screen listing in the dialog: pages of fifteen rows, the scroll buttons,
// the headings of each variant, and what a user sees of it.
#include "output/OutputDriver.h"

using namespace fyn;
using fyn::test::OutputTest;

namespace {

QStringList dates(const UtskrStatForm& d) {
    QStringList out;
    for (int r = 0; r < output::kPageRows; ++r) {
        const QTableWidgetItem* i = d.Grid1->item(r, 0);
        out << (i ? i->text() : QString());
    }
    return out;
}

QString day(int n) {
    return QDate(2024, 1, 1).addDays(n - 1).toString(Qt::ISODate);
}

// The first date of the page and which of up and down can move it.
QString page(const UtskrStatForm& d) {
    return dates(d).first() + (d.Command4->isEnabled() ? " up" : "") +
           (d.Command5->isEnabled() ? " UP" : "") + (d.Command6->isEnabled() ? " down" : "") +
           (d.Command7->isEnabled() ? " DOWN" : "");
}

} // namespace

TEST_F(OutputTest, TheScreenShowsFifteenRowsAPageAndTheButtonsMoveIt) {
    test::FixtureAccount a = test::simpleHem();
    a.postings = test::postingsOf("Ek", test::days(16));
    UtskrStatForm& d = openOn(a);
    listOnScreen(d);
    ASSERT_TRUE(d.Frame1->isVisible());
    EXPECT_EQ(dates(d).last(), day(15));
    EXPECT_EQ(page(d), day(1) + " down DOWN");
    const QRect frame = d.Frame1->geometry();

    const std::pair<QPushButton*, QString> steps[] = {
        {d.Command7, day(2) + " up UP"},     // the last full page
        {d.Command5, day(1) + " down DOWN"}, // back to the start
        {d.Command6, day(2) + " up UP"},     // one row
        {d.Command4, day(1) + " down DOWN"},
    };
    for (const auto& [button, expected] : steps) {
        press(button);
        EXPECT_EQ(page(d), expected) << button->objectName().toStdString();
    }
    EXPECT_EQ(d.Frame1->geometry(), frame);

    // Fifteen postings or fewer: one page that cannot move.
    setDatePart(d.Label9, d.List3, "02");
    EXPECT_EQ(page(d), day(2));
}

TEST_F(OutputTest, EachVariantShowsItsOwnColumnsAndHeadingsOnly) {
    UtskrStatForm& d = openOn(test::budgetBud());
    struct Case {
        bool c1, c2, c3;
        int frameWidth;
        QStringList headings;
        QStringList second; // the row of 2024-01-05
    };
    const Case cases[] = {
        {true,
         true,
         true,
         13100,
         {"Datum", "Huvudtransaktion", "Subtransaktion", "Budg.bel.", "Verkl.bel.", "Budg.saldo",
          "Verkl.saldo", "Saldodiff."},
         {"2024-01-05", "Mat", "Ica", "-500,00", "-450,25", "-500,00", "-450,25", "49,75"}},
        {false,
         false,
         false,
         6900,
         {"Datum", "Huvudtransaktion", "Belopp", "Saldo"},
         {"2024-01-05", "Mat", "-450,25", "-450,25"}},
        {true,
         false,
         false,
         9200,
         {"Datum", "Huvudtransaktion", "Subtransaktion", "Belopp", "Saldo"},
         {"2024-01-05", "Mat", "Ica", "-450,25", "-450,25"}},
        {false,
         true,
         false,
         9500,
         {"Datum", "Huvudtransaktion", "Budg.bel.", "Verkl.bel.", "Budg.saldo", "Verkl.saldo"},
         {"2024-01-05", "Mat", "-500,00", "-450,25", "-500,00", "-450,25"}},
        {false,
         true,
         true,
         10800,
         {"Datum", "Huvudtransaktion", "Budg.bel.", "Verkl.bel.", "Budg.saldo", "Verkl.saldo",
          "Saldodiff."},
         {"2024-01-05", "Mat", "-500,00", "-450,25", "-500,00", "-450,25", "49,75"}},
        {true,
         true,
         false,
         11800,
         {"Datum", "Huvudtransaktion", "Subtransaktion", "Budg.bel.", "Verkl.bel.", "Budg.saldo",
          "Verkl.saldo"},
         {"2024-01-05", "Mat", "Ica", "-500,00", "-450,25", "-500,00", "-450,25"}},
    };
    for (const Case& c : cases) {
        tickVariant(d, c.c1, c.c2, c.c3);
        listOnScreen(d);
        const QString v = d.OutputLevel;
        EXPECT_EQ(headings(d), c.headings) << v.toStdString();
        EXPECT_EQ(row(d, 1), c.second) << v.toStdString();
        // The five postings, and no row of the table before.
        EXPECT_EQ(row(d, 5), QStringList(c.second.size(), QString())) << v.toStdString();
        EXPECT_EQ(d.Frame1->width(), c.frameWidth / 15);
        EXPECT_EQ(d.Frame1->x(), (14920 - c.frameWidth) / 2 / 15);
        const int last = d.Grid1->columnCount() - 1;
        EXPECT_EQ(d.Grid1->item(1, 0)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        EXPECT_EQ(d.Grid1->item(1, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
        EXPECT_EQ(d.Grid1->item(1, last)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        press(d.Command2); // "Avbryt Skärmutskr."
        EXPECT_FALSE(d.Frame1->isVisible());
        EXPECT_EQ(d.formHeight(), 3525);
    }
}

// A period changed while a table stands shows at once, from its start.
TEST_F(OutputTest, APeriodChangeRedrawsTheTableWithinTheNewPeriod) {
    test::FixtureAccount a = test::simpleHem();
    a.postings = test::postingsOf("Ek", test::days(40));
    UtskrStatForm& d = openOn(a);
    listOnScreen(d);
    press(d.Command7);
    press(d.Command7);
    EXPECT_EQ(page(d), day(26) + " up UP");
    setDatePart(d.Label12, d.List2, "01"); // stop at 2024-01-09
    setDatePart(d.Label10, d.List3, "09");
    setDatePart(d.Label9, d.List3, "05"); // start at 2024-01-05
    EXPECT_EQ(d.Label14->text(), "Del av Kontofilen !");
    EXPECT_EQ(page(d), day(5));
    EXPECT_EQ(dates(d).mid(5), QStringList(10, QString())); // nothing after the period
}

TEST_F(OutputTest, ADamagedPostingOnTheScreenIsReported) {
    UtskrStatForm& d = openOnDamaged(test::simpleHem(), 2,
                                     test::rec(test::enkel("2024-01-15", "2", "25 000", "55000")));
    fakes.messages->answers.push_back(platform::Answer::No);
    listOnScreen(d);
    ASSERT_EQ(titles(), QStringList{"Felspec. = Type mismatch"});
    EXPECT_TRUE(lastBox().text.startsWith("Ett fel har uppstått i subrutinen ScPr_1 vid "
                                          "utskriftsförsök till skärm.\nFelet finns i KontoData, "
                                          "post 2\n"));
    test::expectDump({"Fel i rutinen ScPr_1 vid utskriftsförsök skärm (exkl. subtr & budget)",
                      "GridSetting: Pr_1", "Bokföringsval: Ek", "Senaste sökrecord i filen: 2",
                      "Stopprecord i filen: 6", "Hämtad bokföringsdag: 2024-01-15",
                      "Hämtat belopp: 30 000,00"});
    EXPECT_FALSE(d.Grid1->isVisible());
    EXPECT_EQ(d.CancelState, "sku");
}

TEST_F(OutputTest, PicturesOfTheDialog) {
    test::FixtureAccount a = test::budgetBud();
    std::vector<test::Posting> rows = {{"2024-01-01", 1, "0", "0"}};
    const char* subs[] = {"1", "", "2"};
    for (int i = 1; i < 24; ++i)
        rows.push_back({QDate(2024, 1, 1).addDays(3 * i).toString(Qt::ISODate), i % 4 ? 2 : 4,
                        i % 4 ? QString::number(-350 - 25 * i) : "18500",
                        i % 4 ? QString("-%1,%2").arg(330 + 20 * i).arg(i * 7 % 100) : "18500",
                        subs[i % 3], i < 20 ? "*" : " "});
    a.postings = test::postingsOf("Bg", rows);
    UtskrStatForm& d = openOn(a);
    const QString dir = QCoreApplication::applicationDirPath();
    EXPECT_TRUE(d.grab().toImage().save(dir + "/utskrstatform.png"));
    tickVariant(d, true, true, true);
    listOnScreen(d);
    press(d.Command6);
    EXPECT_TRUE(d.grab().toImage().save(dir + "/utskrstatform-budget.png"));
    clickLabel(d.Label12);
    EXPECT_TRUE(d.grab().toImage().save(dir + "/utskrstatform-period.png"));
}

// The diagram of a transaction's statistics: its paging, its scale, and what
// it draws, read from the drawing area's list after clicks on its buttons.
#include "output/Diagram.h"
#include "output/OutputDriver.h"

using namespace fyn;
using fyn::test::OutputTest;
using fyn::test::Posting;
using platform::DrawItem;

namespace {

// A simple account with n postings of "Hyra" (an expense, 3) of 110, 120,
// ... kronor from 2024-12-20 on, and one of "Lön" (income, 2) of 1 500.
test::FixtureAccount hyror(int n) {
    test::FixtureAccount a = test::simpleHem();
    std::vector<Posting> rows = {{"2024-12-01", 1, "0", "50000"}, {"2024-12-10", 2, "0", "1500"}};
    for (int i = 1; i <= n; ++i)
        rows.push_back({QDate(2024, 12, 19).addDays(i).toString(Qt::ISODate), 3, "0",
                        QString::number(-100 - 10 * i)});
    a.postings = test::postingsOf("Ek", rows);
    return a;
}

output::Statistics entries(int n) {
    output::Statistics s;
    for (int i = 1; i <= n; ++i) {
        output::StatRow r;
        s.rows.push_back(r);
    }
    return s;
}

QString pageOf(const output::DiagramPage& p) {
    return QString("%1-%2 %3 %4")
        .arg(p.entry[1])
        .arg(p.entry[size_t(p.b)])
        .arg(p.command9)
        .arg(p.command9Enabled ? (*p.command9Enabled ? "on" : "off") : "as it was");
}

std::vector<DrawItem> itemsIn(const platform::DrawingArea& area, const QColor& c) {
    std::vector<DrawItem> out;
    for (const DrawItem& i : area.items())
        if (i.color == c)
            out.push_back(i);
    return out;
}

QStringList texts(const std::vector<DrawItem>& items) {
    QStringList out;
    for (const DrawItem& i : items)
        if (i.kind == DrawItem::Kind::Text)
            out << QString("%1,%2 %3").arg(i.from.x()).arg(i.from.y()).arg(i.text);
    return out;
}

std::vector<DrawItem> lines(const std::vector<DrawItem>& items) {
    std::vector<DrawItem> out;
    for (const DrawItem& i : items)
        if (i.kind == DrawItem::Kind::Line)
            out.push_back(i);
    return out;
}

} // namespace

TEST(Diagram, PagesOfTwentyFiveAndALastPageFilledBack) {
    struct Case {
        int n;
        QStringList pages; // each draw in turn
    };
    const Case cases[] = {
        {60, {"1-25 Nästa on", "26-50 Nästa on", "36-60 Från början on", "1-25 Nästa on"}},
        {26, {"1-25 Nästa on", "2-26 Från början on", "1-25 Nästa on"}},
        {25, {"1-25 Från början as it was", "1-25 Från början as it was"}},
        {3, {"1-3 Från början off", "1-3 Från början off"}},
    };
    for (const Case& c : cases) {
        const output::Statistics s = entries(c.n);
        output::DiagramPaging paging{1, c.n, 1, false};
        QStringList drawn;
        for (int i = 0; i < c.pages.size(); ++i)
            drawn << pageOf(output::fillDiagramPage(s, paging));
        EXPECT_EQ(drawn, c.pages) << c.n;
    }
}

TEST(Diagram, TheScaleFollowsTheLargestAmountRoundedToWholeKronor) {
    const std::pair<std::int64_t, int> cases[] = {
        {1040, 10},    {1050, 10},       {1060, 20},         {1150, 20},
        {40, 0},       {50, 0},          {51, 10},           {20000, 200},
        {20001, 200},  {5000000, 50000}, {10000000, 100000}, {10000049, 100000},
        {10000051, 0},
    };
    for (const auto& [cents, top] : cases) {
        output::Statistics s = entries(1);
        s.rows[0].cents = cents;
        output::DiagramPaging paging{1, 1, 1, false};
        EXPECT_EQ(output::scaleTop(output::fillDiagramPage(s, paging).largest), top) << cents;
    }
}

TEST_F(OutputTest, TheDiagramDrawsTheGridTheCurveAndTheMeanPageByPage) {
    UtskrStatForm& d = openOn(hyror(30));
    chooseTransaction(d, "Hyra");
    listOnScreen(d);
    ASSERT_TRUE(d.Command8->isVisible());
    press(d.Command8);
    ASSERT_TRUE(d.Picture1->isVisible());
    EXPECT_FALSE(d.Command8->isVisible());
    EXPECT_EQ(d.L7->text(),
              "Transaktion: 'Hyra' i konto: Hem under tidsperiod 2024-12-01 - 2025-01-18");
    EXPECT_EQ(d.L6->text(), "År 2024 - 2025");
    EXPECT_EQ(d.Command9->text(), "Nästa");

    // The grid in black: eleven rows, fifty-one columns and six lines beside
    // every tenth.
    const std::vector<DrawItem> grid = itemsIn(*d.Picture1, QColor(0, 0, 0));
    ASSERT_EQ(grid.size(), 68u);
    EXPECT_EQ(grid[0].from, QPointF(840, 540));
    EXPECT_EQ(grid[10].to, QPointF(11840, 3840));
    EXPECT_EQ(grid[11].from, QPointF(840, 540));
    EXPECT_EQ(grid[61].to, QPointF(11840, 3840));
    EXPECT_EQ(grid[62].from, QPointF(855, 540));
    EXPECT_EQ(grid[67].from, QPointF(11855, 540));

    // The rest in red for an expense: entries 1-25 (110 to 350 kronor) on the
    // scale of 500, 6.6 twips a krona.
    const std::vector<DrawItem> red = itemsIn(*d.Picture1, QColor(255, 0, 0));
    ASSERT_EQ(red.size(), d.Picture1->items().size() - 68);
    const QStringList t = texts(red);
    ASSERT_EQ(t.size(), 2 + 2 * 25 + 1);
    EXPECT_EQ(t[0], "11840,390 500");
    EXPECT_EQ(t[1], "11840,2040 250");
    EXPECT_EQ(t[2], "950,3740 |");
    EXPECT_EQ(t[3], "950,3915 12-20");
    EXPECT_EQ(t[50], "11510,3740 |"); // entry 25 in column 49
    EXPECT_EQ(t[51], "11510,3915 01-13");
    EXPECT_EQ(t[52], "510,2172 MV");
    const std::vector<DrawItem> curve = lines(red);
    ASSERT_EQ(curve.size(), 24u + 1);
    EXPECT_EQ(curve[0].from, QPointF(950, 3114));
    EXPECT_EQ(curve[0].to, QPointF(1390, 3048));
    EXPECT_EQ(curve[23].to, QPointF(11510, 1530));
    EXPECT_EQ(curve[24].from, QPointF(840, 2322)); // the mean, 230 kronor
    EXPECT_EQ(curve[24].to, QPointF(11840, 2322));

    // The last page shows the last 25 entries with their own mean.
    press(d.Command9);
    EXPECT_EQ(d.Command9->text(), "Från början");
    EXPECT_TRUE(d.Command9->isEnabled());
    EXPECT_EQ(d.L6->text(), "År 2024 - 2025");
    const std::vector<DrawItem> last = lines(itemsIn(*d.Picture1, QColor(255, 0, 0)));
    ASSERT_EQ(last.size(), 25u);
    EXPECT_EQ(last[0].from, QPointF(950, 2784)); // entry 6, 160 kronor
    EXPECT_EQ(last[23].to, QPointF(11510, 1200));
    EXPECT_EQ(last[24].from, QPointF(840, 1992));
    EXPECT_EQ(itemsIn(*d.Picture1, QColor(0, 0, 0)).size(), 68u);
    press(d.Command9);
    EXPECT_EQ(d.Command9->text(), "Nästa");
    EXPECT_EQ(lines(itemsIn(*d.Picture1, QColor(255, 0, 0)))[0].from, QPointF(950, 3114));

    // The table under it kept its own page.
    press(d.Command10);
    press(d.Command6);
    EXPECT_EQ(row(d, 0)[0], "2024-12-21");
}

TEST_F(OutputTest, AnIncomeIsBlueAndASinglePostingIsAPointOnItsMean) {
    UtskrStatForm& d = openOn(hyror(25));
    chooseTransaction(d, "L\u00f6n");
    listOnScreen(d);
    press(d.Command8);
    const std::vector<DrawItem> blue = itemsIn(*d.Picture1, QColor(0, 0, 255));
    EXPECT_EQ(texts(blue), (QStringList{"11840,390 2000", "11840,2040 1000", "950,3740 |",
                                        "950,3915 12-10", "510,1215 MV"}));
    // No curve, only the mean, through the point.
    ASSERT_EQ(lines(blue).size(), 1u);
    EXPECT_EQ(lines(blue)[0].from, QPointF(840, 1365));
    EXPECT_EQ(d.L6->text(), "År 2024");
    EXPECT_EQ(d.Command9->text(), "Från början");
    EXPECT_FALSE(d.Command9->isEnabled());

    // The next diagram can be drawn again from its start.
    press(d.Command2);
    chooseTransaction(d, "Hyra");
    listOnScreen(d);
    press(d.Command8);
    EXPECT_EQ(d.Command9->text(), "Från början");
    EXPECT_TRUE(d.Command9->isEnabled());
}

TEST_F(OutputTest, EveryWayOutOfTheDiagramLeavesTheDialogAsBefore) {
    UtskrStatForm& d = openOn(hyror(3));
    d.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &d);
    chooseTransaction(d, "Hyra");
    listOnScreen(d);
    struct Way {
        const char* name;
        std::function<void()> act;
        bool statistics; // still in statistics afterwards
    };
    const Way ways[] = {
        {"Avsluta diagram", [&] { press(d.Command10); }, true},
        {"Esc", [&] { QTest::keyClick(d.Command9, Qt::Key_Escape); }, true},
        {"Avbryt Statistik", [&] { press(d.Command2); }, false},
    };
    for (const Way& w : ways) {
        if (d.StatMode == 0) {
            chooseTransaction(d, "Hyra");
            listOnScreen(d);
        }
        press(d.Command8);
        ASSERT_TRUE(d.Picture1->isVisible()) << w.name;
        EXPECT_FALSE(d.Frame1->isVisible()); // covered, and nothing of it lies out
        w.act();
        EXPECT_FALSE(d.Picture1->isVisible()) << w.name;
        EXPECT_TRUE(d.Picture1->items().empty()) << w.name;
        EXPECT_EQ(d.L6->text() + d.L7->text(), "") << w.name;
        EXPECT_EQ(d.Command8->isVisible(), w.statistics) << w.name;
        EXPECT_EQ(d.Frame1->isVisible(), w.statistics) << w.name;
        EXPECT_EQ(d.CancelState, w.statistics ? "stk" : "kto") << w.name;
    }
}

TEST_F(OutputTest, PictureOfTheDiagram) {
    UtskrStatForm& d = openOn(hyror(30));
    chooseTransaction(d, "Hyra");
    listOnScreen(d);
    const QString dir = QCoreApplication::applicationDirPath();
    EXPECT_TRUE(d.grab().toImage().save(dir + "/utskrstatform-statistik.png"));
    press(d.Command8);
    EXPECT_TRUE(d.grab().toImage().save(dir + "/utskrstatform-diagram.png"));
}

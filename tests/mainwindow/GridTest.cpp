// The posting grids: which postings show, how they look, scrolling, marking,
// ticking, and failures that end in the error routine.
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/ScrollRules.h"
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

using namespace fyn;
using fyn::test::FixtureAccount;
using platform::Answer;

namespace {

// ---- The window rules ---------------------------------------------------------------

struct PlaceCase {
    long n, p;
    long value, windowEnd, min, max;
    bool enabled;
};

TEST(ScrollRulesTest, PlacesTheWindowAroundTheCurrentPosting) {
    const PlaceCase cases[] = {
        {0, 0, 1, 0, 1, 0, false}, // no postings
        {7, 7, 1, 7, 1, 7, false}, // ten or fewer: all of them, the bar off
        {10, 1, 1, 10, 1, 10, false},
        {11, 1, 2, 11, 1, 11, true},   // N - P = 10 wins over the first posting
        {12, 1, 1, 10, 1, 11, true},   // the first posting on the first row
        {20, 10, 11, 20, 1, 20, true}, // the last ten; posting 10 just above them
        {30, 5, 4, 13, 1, 14, true},   // the current posting on the second row
        {30, 25, 21, 30, 11, 30, true},
        {100, 50, 49, 58, 39, 59, true},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "N=" << c.n << " P=" << c.p);
        const GridWindow w = scrollSet(c.n, c.p);
        EXPECT_EQ(w.value, c.value);
        EXPECT_EQ(w.windowEnd, c.windowEnd);
        EXPECT_EQ(w.min, c.min);
        EXPECT_EQ(w.max, c.max);
        EXPECT_EQ(w.enabled, c.enabled);
    }
}

TEST(ScrollRulesTest, ScrollingClampsAtBothEndsAndSkipsAReloadAtTheEnd) {
    GridWindow w = scrollSet(30, 5);
    EXPECT_TRUE(scrollTo(w, 15, 30));
    EXPECT_EQ(w.value, 15);
    EXPECT_EQ(w.windowEnd, 24);
    EXPECT_EQ(w.min, 5);
    EXPECT_EQ(w.max, 25);

    EXPECT_TRUE(scrollTo(w, 25, 30)); // past the last full window
    EXPECT_EQ(w.value, 21);
    EXPECT_EQ(w.windowEnd, 30);
    EXPECT_FALSE(scrollTo(w, 21, 30)); // already ending at N: nothing to reload
    EXPECT_FALSE(scrollTo(w, 30, 30));
    EXPECT_EQ(w.value, 21);

    EXPECT_TRUE(scrollTo(w, 1, 30));
    EXPECT_EQ(w.value, 1);
    EXPECT_EQ(w.windowEnd, 10);

    GridWindow few = scrollSet(8, 8);
    EXPECT_FALSE(scrollTo(few, 5, 8));
    EXPECT_EQ(few.value, 1);
    EXPECT_EQ(few.windowEnd, 8);
}

// ---- The window ------------------------------------------------------------------------

// The controls of one kind of account.
struct Kind {
    bool budget;
    PostingGrid* grid(HeadForm& f) const { return budget ? f.G2 : f.G1; }
    QScrollBar* bar(HeadForm& f) const { return budget ? f.VScroll2 : f.VScroll1; }
    QLineEdit* transText(HeadForm& f) const {
        return budget ? f.TransText_Budget : f.TransText_Enkel;
    }
    // The box that shows the actual amount of a marked posting.
    QLineEdit* amountBox(HeadForm& f) const { return budget ? f.VerklBel_Budget : f.Bel_Enkel; }
    int okCol() const { return budget ? 7 : 4; }
    QString avb() const { return budget ? "mkg2" : "mkg1"; }
    QString slag() const { return budget ? "Bg" : "Ek"; }
    void click(HeadForm& f, int row, int col) const {
        budget ? f.G2_Click(row, col) : f.G1_Click(row, col);
    }
};

FixtureAccount account(const QString& slag) {
    FixtureAccount a;
    a.name = "Hushåll";
    a.slag = slag;
    return a;
}

QString dayText(int i) {
    return QDate(2026, 1, 1).addDays(i).toString("yyyy-MM-dd");
}

// A posting whose actual amount and balance are given; a budget posting is
// confirmed unless status says otherwise.
QByteArray posting(const Kind& k, int i, const QString& ref, const QString& amount,
                   const QString& saldo, const QString& kryss = " ", const QString& subRef = "",
                   const QString& status = "*") {
    if (k.budget)
        return encodeRecord(test::budget(dayText(i), ref, amount, amount, saldo, saldo, "0", status,
                                         kryss, subRef));
    return encodeRecord(test::enkel(dayText(i), ref, amount, saldo, kryss, subRef));
}

class GridFixture : public test::Sandbox {
protected:
    ~GridFixture() override {
        form.reset();
        ledger::account().closeAll();
    }

    // Opens the account as the account choice leaves it, and shows its window
    // of postings around postNr.
    HeadForm& open(const FixtureAccount& a, long postNr) {
        test::writeAccount(a, 1);
        Module1.KontoNum = 1;
        Module1.KontoNamn = a.name;
        Module1.KontoSlag = a.slag;
        Module1.AntalPoster = long(a.postings.size());
        Module1.PostNr = postNr;
        Module1.HOptEnk = Module1.HOptBudg = "1";
        Module1.SOptEnk = Module1.SOptBudg = "0";
        Module1.WorkDate = Module1.DagensDatum;
        ledger::account().transakt = openRecordFile<TransPost>(accountFile(a.name, "Transakt"));
        ledger::account().kontoData.open(accountFile(a.name, "KontoData"),
                                         a.slag == "Bg" ? ledger::Kind::Budget
                                                        : ledger::Kind::Enkel);
        form = std::make_unique<HeadForm>();
        form->Arr_Kontroller();
        form->refreshWithoutCheck();
        return *form;
    }

    HeadForm& openMany(const Kind& k, int n, long postNr) {
        FixtureAccount a = account(k.slag());
        for (int i = 0; i < n; ++i)
            a.postings.push_back(posting(k, i, "2", "10", QString::number(10 * (i + 1))));
        return open(a, postNr);
    }

    // Three postings: the start, a deposit and a withdrawal with a subtransaction.
    HeadForm& openSmall(const Kind& k, const QString& kryss2 = " ") {
        FixtureAccount a = account(k.slag());
        a.kategori = {"Mat", "Hyra"};
        a.postings = {posting(k, 0, "1", "0", "0"),
                      posting(k, 1, "2", "1234,5", "1234,5", kryss2, "", " "),
                      posting(k, 2, "-3", "-2000", "-765,5", "x", "2")};
        return open(a, 3);
    }

    QByteArray fileBytes() const { return test::readFile(accountFile("Hushåll", "KontoData")); }

    bool allBacks(PostingGrid* g, const QColor& c, int exceptRow = -1) const {
        for (int r = 0; r < 10; ++r)
            for (int col = 0; col < g->columnCount(); ++col)
                if (r != exceptRow && g->back(r, col) != c)
                    return false;
        return true;
    }

    std::unique_ptr<HeadForm> form;
};

class GridKindTest : public GridFixture, public testing::WithParamInterface<bool> {
protected:
    Kind k{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Kinds, GridKindTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                             return i.param ? std::string("Budget") : std::string("Enkel");
                         });

TEST_P(GridKindTest, ShowsTheWindowAroundTheCurrentPostingAndScrollsIt) {
    HeadForm& f = openMany(k, 30, 5);
    QScrollBar* bar = k.bar(f);
    PostingGrid* g = k.grid(f);
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->value(), 4);
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 14);
    EXPECT_EQ(f.WindowEnd, 13);
    EXPECT_EQ(g->cellText(0, 0), dayText(3));
    EXPECT_EQ(g->cellText(1, 0), dayText(4)); // posting 5 on the second row
    EXPECT_EQ(g->cellText(9, 0), dayText(12));

    bar->setValue(14);
    EXPECT_EQ(f.WindowEnd, 23);
    EXPECT_EQ(g->cellText(0, 0), dayText(13));
    EXPECT_EQ(bar->minimum(), 4); // narrowed around the new value
    EXPECT_EQ(bar->maximum(), 24);

    bar->setValue(24); // past the last full window: clamped
    EXPECT_EQ(bar->value(), 21);
    EXPECT_EQ(f.WindowEnd, 30);
    EXPECT_EQ(g->cellText(9, 0), dayText(29));
    EXPECT_EQ(bar->maximum(), 30);

    // Already at the end: nothing is read again.
    f.GridRows[0][0] = "unchanged";
    bar->setValue(23);
    EXPECT_EQ(bar->value(), 21);
    EXPECT_EQ(f.GridRows[0][0], "unchanged");
    EXPECT_TRUE(fakes.messages->calls.empty());
}

TEST_P(GridKindTest, AFewPostingsFillTheTopRowsAndDisableTheBar) {
    HeadForm& f = openSmall(k);
    PostingGrid* g = k.grid(f);
    EXPECT_FALSE(k.bar(f)->isEnabled());
    EXPECT_EQ(k.bar(f)->value(), 1);
    EXPECT_EQ(f.WindowEnd, 3);
    EXPECT_EQ(g->cellText(2, 1), "Uttag"); // the name of record Abs(TransRef)
    for (int r = 3; r < 10; ++r)
        for (int c = 0; c < g->columnCount(); ++c)
            EXPECT_TRUE(g->cellText(r, c).isEmpty()) << r << "," << c;
}

TEST_F(GridFixture, SimpleGridShowsTextsAlignedAndColouredBySign) {
    FixtureAccount a = account("Ek");
    a.postings = {encodeRecord(test::enkel("2026-01-01", "1", "0", "0")),
                  encodeRecord(test::enkel("2026-02-03", "2", "1234567,5", "1234567,5")),
                  encodeRecord(test::enkel("2026-03-04", "-3", "-2000", "1232567,5", "x")),
                  encodeRecord(test::enkel("2026-03-05", "3", "-0,004", "-0"))};
    HeadForm& f = open(a, 4);
    PostingGrid* g = f.G1;
    const QStringList rows[] = {
        {"2026-01-01", "Kontostart", "0,00", "0,00", " "},
        {"2026-02-03", "Insättning", "1 234 567,50", "1 234 567,50", " "},
        {"2026-03-04", "Uttag", "-2 000,00", "1 232 567,50", "x"},
        {"2026-03-05", "Uttag", "-0,00", "-0,00", " "}, // the stored sign shows
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << " col " << c);
            EXPECT_EQ(g->cellText(r, c), rows[r][c]);
            const Qt::Alignment align = c < 2   ? Qt::AlignLeft | Qt::AlignBottom
                                        : c < 4 ? Qt::AlignRight | Qt::AlignBottom
                                                : Qt::AlignCenter;
            EXPECT_EQ(g->item(r, c)->textAlignment(), int(align));
            if (c == 2 || c == 3) {
                EXPECT_EQ(g->fore(r, c), rows[r][c].startsWith('-') ? kRed : kBlack);
            }
        }
    EXPECT_TRUE(allBacks(g, kPaleYellow));
}

TEST_F(GridFixture, BudgetGridShowsPlannedPostingsInBlue) {
    FixtureAccount a = account("Bg");
    a.postings = {
        encodeRecord(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0", "*")),
        encodeRecord(test::budget("2026-02-01", "2", "500", "450,25", "500", "450,25", "-49,75")),
        encodeRecord(
            test::budget("2026-03-01", "3", "-300", "0", "200", "450,25", "250,25", " ", "x"))};
    HeadForm& f = open(a, 3);
    PostingGrid* g = f.G2;
    const QStringList rows[] = {
        {"2026-01-01", "Kontostart", "0,00", "0,00", "0,00", "0,00", "0,00", " "},
        {"2026-02-01", "Insättning", "500,00", "450,25", "500,00", "450,25", "-49,75", " "},
        {"2026-03-01", "Uttag", "-300,00", "0,00", "200,00", "450,25", "250,25", "x"},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 8; ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << " col " << c);
            EXPECT_EQ(g->cellText(r, c), rows[r][c]);
            if (c >= 2 && c <= 6) {
                EXPECT_EQ(g->item(r, c)->textAlignment(), int(Qt::AlignRight | Qt::AlignBottom));
                const QColor want = r == 2                       ? kBlue // planned, any sign
                                    : rows[r][c].startsWith('-') ? kRed
                                                                 : kBlack;
                EXPECT_EQ(g->fore(r, c), want);
            }
        }
    EXPECT_EQ(g->item(2, 7)->textAlignment(), int(Qt::AlignCenter));
}

// ---- Marking -------------------------------------------------------------------------------

TEST_P(GridKindTest, ClickMarksThePostingAndCancelReturnsToIdle) {
    HeadForm& f = openSmall(k);
    PostingGrid* g = k.grid(f);
    Module1.WorkDate = "2026-12-01";
    k.click(f, 1, 1);

    EXPECT_EQ(f.MarkRow, 1);
    EXPECT_EQ(f.MarkRecord, 2);
    EXPECT_EQ(Module1.Avb, k.avb());
    EXPECT_EQ(Module1.EditMode, "rem");
    EXPECT_EQ(Module1.CancelFlag, "1");
    EXPECT_TRUE(f.Command2->isEnabled());
    EXPECT_EQ(f.Command2->text(), "Ta bort");
    EXPECT_EQ(f.Command3->text(), "Avbryt markera");
    EXPECT_TRUE(allBacks(g, kPaleYellow, 1));
    for (int c = 0; c < g->columnCount(); ++c)
        EXPECT_EQ(g->back(1, c), kPaleRed);
    EXPECT_EQ(Module1.HuvudTrans, "Insättning");
    EXPECT_EQ(Module1.TransTecken, "+");
    EXPECT_EQ(f.MarkTransNr, 2);
    EXPECT_EQ(f.MarkSign, "+");
    EXPECT_EQ(k.transText(f)->text(), "Insättning");
    EXPECT_EQ(k.amountBox(f)->text(), "1 234,50");
    EXPECT_FALSE(k.amountBox(f)->isReadOnly());
    EXPECT_EQ(f.VerklBelOld, "1234,5");
    EXPECT_EQ(f.VerklBelText, "1234,5");
    EXPECT_EQ(Module1.WorkDate, dayText(1)); // the posting's date is the working date
    EXPECT_FALSE(f.Combo3->isEnabled());
    if (k.budget) {
        EXPECT_TRUE(f.Command1->isEnabled()); // an unconfirmed posting can be confirmed
    }

    f.Command3_Click();
    EXPECT_EQ(f.MarkRow, -1);
    EXPECT_EQ(f.MarkRecord, 0);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(Module1.EditMode, "flt");
    EXPECT_EQ(f.Command2->text(), "Flytta");
    EXPECT_EQ(f.Command3->text(), "Avbryt");
    EXPECT_TRUE(allBacks(g, kPaleYellow));
    EXPECT_TRUE(k.transText(f)->text().isEmpty());
    EXPECT_TRUE(k.amountBox(f)->text().isEmpty());
    EXPECT_TRUE(k.amountBox(f)->isReadOnly());
    EXPECT_FALSE(f.Command1->isEnabled());
    EXPECT_TRUE(f.Combo3->isEnabled());
    EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
}

TEST_P(GridKindTest, MarkingReadsTheSubtransactionWhenTheListShowsThem) {
    HeadForm& f = openSmall(k);
    (k.budget ? Module1.HOptBudg : Module1.HOptEnk) = "0";
    (k.budget ? Module1.SOptBudg : Module1.SOptEnk) = "1";
    k.click(f, 2, 0);
    EXPECT_EQ(Module1.SubTransNr, 2);
    EXPECT_EQ(Module1.SubTrans, "Hyra");
    EXPECT_EQ(Module1.HuvudTrans, "Uttag"); // TransRef -3 names record 3
    EXPECT_EQ(k.transText(f)->text(), "Hyra");
    EXPECT_EQ(k.amountBox(f)->text(), "-2 000,00");
    if (k.budget) {
        EXPECT_FALSE(f.Command1->isEnabled()); // already confirmed
    }
}

TEST_P(GridKindTest, ScrollingWhileMarkedCancelsTheMark) {
    HeadForm& f = openMany(k, 30, 5);
    k.click(f, 2, 0);
    ASSERT_EQ(Module1.Avb, k.avb());
    k.bar(f)->setValue(k.bar(f)->value() + 5);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRow, -1);
    EXPECT_EQ(Module1.EditMode, "flt");
    EXPECT_TRUE(allBacks(k.grid(f), kPaleYellow));
}

// A turn of the mouse wheel by notches (away from the user is up), delivered
// to w at p as the desktop delivers it.
void turnWheel(QWidget* w, QPoint p, int notches) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

// Where a turn over a row of the grid leaves the window of postings: the same
// place as the same turn over the scroll bar, with the same limits at the top
// and the bottom.
TEST_P(GridKindTest, AWheelTurnOverTheRowsScrollsAsOverTheBar) {
    const int n = 40;
    // Up past the top, down a little, then down past the bottom.
    const int turns[] = {1,  1,  2,  1,  1,  1,  1,  1,  1,  1,  1,  -1, 3,  -2,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    auto run = [&](bool overGrid) {
        form.reset();
        ledger::account().closeAll();
        HeadForm& f = openMany(k, n, n);
        PostingGrid* g = k.grid(f);
        QScrollBar* bar = k.bar(f);
        std::vector<std::string> seen;
        for (const int notches : turns) {
            if (overGrid)
                turnWheel(g->viewport(), g->visualRect(g->model()->index(4, 1)).center(), notches);
            else
                turnWheel(bar, bar->rect().center(), notches);
            seen.push_back(QString("%1..%2 %3 %4")
                               .arg(bar->value())
                               .arg(f.WindowEnd)
                               .arg(g->cellText(0, 0), g->cellText(9, 0))
                               .toStdString());
        }
        return seen;
    };
    const std::vector<std::string> overBar = run(false);
    // The bar itself goes to the first posting, holds there, and to the last.
    EXPECT_NE(std::find(overBar.begin(), overBar.end(),
                        QString("1..10 %1 %2").arg(dayText(0), dayText(9)).toStdString()),
              overBar.end());
    EXPECT_EQ(overBar[9], overBar[10]); // held at the top
    const std::string bottom = QString("%1..%2 %3 %4")
                                   .arg(n - 9)
                                   .arg(n)
                                   .arg(dayText(n - 10), dayText(n - 1))
                                   .toStdString();
    EXPECT_EQ(overBar.back(), bottom);
    EXPECT_EQ(overBar[overBar.size() - 2], bottom); // held at the bottom
    EXPECT_EQ(run(true), overBar);

    // As with the bar, scrolling ends a marking.
    HeadForm& f = *form;
    PostingGrid* g = k.grid(f);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->visualRect(g->model()->index(5, 1)).center());
    ASSERT_EQ(Module1.Avb, k.avb());
    turnWheel(g->viewport(), g->visualRect(g->model()->index(5, 1)).center(), 1);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRow, -1);
    EXPECT_EQ(k.bar(f)->value(), n - 12);
    EXPECT_TRUE(allBacks(g, kPaleYellow));
}

TEST_P(GridKindTest, AWheelTurnOverAFewPostingsMovesNothing) {
    HeadForm& f = openSmall(k);
    PostingGrid* g = k.grid(f);
    for (const int notches : {1, -1, -3}) {
        turnWheel(g->viewport(), g->visualRect(g->model()->index(1, 1)).center(), notches);
        EXPECT_EQ(k.bar(f)->value(), 1);
        EXPECT_EQ(f.WindowEnd, 3);
        EXPECT_EQ(g->cellText(0, 0), dayText(0));
    }
}

// ---- Keys over the rows --------------------------------------------------------------------

// The real window on an account of 35 postings, which opens on the last ten.
class GridKeys : public test::WindowTest, public testing::WithParamInterface<bool> {
protected:
    static constexpr int kN = 35;
    Kind k{GetParam()};

    HeadForm& startMany() {
        form.reset();
        ledger::account().closeAll();
        std::vector<QByteArray> postings;
        for (int i = 0; i < kN; ++i)
            postings.push_back(posting(k, i, "2", "10", QString::number(10 * (i + 1))));
        HeadForm& f = start(account(k.slag(), postings));
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), key, mods);
    }
    // The window starting at value: the bar's value, its last posting and the
    // dates in its first and last rows.
    void expectWindow(long value) {
        EXPECT_EQ(k.bar(*form)->value(), value);
        EXPECT_EQ(form->WindowEnd, value + 9);
        EXPECT_EQ(k.grid(*form)->cellText(0, 0), dayText(int(value) - 1));
        EXPECT_EQ(k.grid(*form)->cellText(9, 0), dayText(int(value) + 8));
    }
};

INSTANTIATE_TEST_SUITE_P(Kinds, GridKeys, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                             return i.param ? std::string("Budget") : std::string("Enkel");
                         });

// After a click on a row, the keys move the window as the same keys on the bar
// do: one posting, a page of ten, or to the end of the range, which reaches
// ten postings either side; the last window ends at the last posting.
TEST_P(GridKeys, AfterAClickOnARowTheKeysScrollAsTheBarsOwnKeys) {
    const struct {
        Qt::Key key;
        long value;
    } steps[] = {
        {Qt::Key_Home, 16}, // from the bottom: ten postings up at most
        {Qt::Key_End, 26},   {Qt::Key_PageUp, 16},   {Qt::Key_PageUp, 6},
        {Qt::Key_Up, 5},     {Qt::Key_Home, 1},      {Qt::Key_Up, 1}, // held at the top
        {Qt::Key_PageUp, 1}, {Qt::Key_Down, 2},      {Qt::Key_PageDown, 12},
        {Qt::Key_End, 22},   {Qt::Key_End, 26}, // clamped to the last ten
        {Qt::Key_Down, 26},  {Qt::Key_PageDown, 26},
    };
    enum class Start { MarkedRow, OkColumn, Bar };
    for (const Start how : {Start::MarkedRow, Start::OkColumn, Start::Bar}) {
        SCOPED_TRACE(int(how));
        HeadForm& f = startMany();
        QScrollBar* bar = k.bar(f);
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 10);
        expectWindow(26);
        if (how == Start::MarkedRow) {
            clickRow(4);
            ASSERT_EQ(Module1.Avb, k.avb());
            // A screen reader names what has the keys.
            QWidget* focus = QApplication::focusWidget();
            ASSERT_TRUE(focus);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name),
                      "Kontoposter");
        } else if (how == Start::OkColumn) {
            clickRow(4, k.okCol());
            ASSERT_EQ(k.grid(f)->cellText(4, k.okCol()), "x");
        } else {
            bar->setFocus(Qt::TabFocusReason);
            ASSERT_EQ(QApplication::focusWidget(), bar);
        }
        for (size_t i = 0; i < std::size(steps); ++i) {
            SCOPED_TRACE(i);
            press(steps[i].key);
            expectWindow(steps[i].value);
            if (i == 0) {
                // The scroll ended the marking.
                EXPECT_EQ(Module1.Avb, "");
                EXPECT_EQ(f.MarkRow, -1);
                EXPECT_EQ(f.MarkRecord, 0);
                EXPECT_TRUE(k.amountBox(f)->text().isEmpty());
            }
        }
    }
}

// Ten postings or fewer: the bar is off, so the keys move nothing and the
// posting stays marked.
TEST_P(GridKeys, OverAFewPostingsTheKeysMoveNothing) {
    HeadForm& f =
        start(account(k.slag(), {posting(k, 0, "1", "0", "0"), posting(k, 1, "2", "10", "10"),
                                 posting(k, 2, "2", "10", "20")}));
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    clickRow(1);
    for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Up, Qt::Key_Home}) {
        press(key);
        EXPECT_EQ(k.bar(f)->value(), 1);
        EXPECT_EQ(f.WindowEnd, 3);
        EXPECT_EQ(k.grid(f)->cellText(0, 0), dayText(0));
        EXPECT_EQ(Module1.Avb, k.avb());
        EXPECT_EQ(f.MarkRow, 1);
    }
}

// The amount box of a marked posting keeps its keys: Home moves in the typed
// text, Enter ends it, and the change is written.
TEST_P(GridKeys, TypingInTheAmountBoxAfterARowClickChangesTheAmount) {
    HeadForm& f = startMany();
    clickRow(4); // posting 30
    QLineEdit* box = k.amountBox(f);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), box);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_7);
    press(Qt::Key_Home);
    press(Qt::Key_1);
    EXPECT_EQ(box->text(), "17");
    EXPECT_EQ(Module1.Avb, "chg");
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), f.Command2);
    fakes.messages->answers = {Answer::Yes, Answer::Yes, Answer::Yes};
    press(Qt::Key_Return); // "Ändra"
    EXPECT_EQ(titles(), QStringList{"Ändring av tidigare belopp"});
    const QByteArray all = data();
    const qsizetype length = all.size() / kN;
    const QByteArray record = all.mid(29 * length, length);
    EXPECT_EQ(trimBlanks(k.budget ? decodeRecord<BudgetKontoPost>(record).VerklBelopp
                                  : decodeRecord<EnkelKontoPost>(record).Belopp),
              "17");
    expectWindow(26);
}

TEST_P(GridKindTest, ClickBelowTheLastPostingMarksNothingAndResetsTheDate) {
    HeadForm& f = openSmall(k);
    const QByteArray before = fileBytes();
    for (int col : {0, k.okCol()}) {
        SCOPED_TRACE(col);
        Module1.WorkDate = "2026-05-05";
        k.click(f, 3, col);
        EXPECT_EQ(f.MarkRecord, 0);
        EXPECT_EQ(f.MarkRow, -1);
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
        EXPECT_EQ(fileBytes(), before); // nothing written past the last posting
    }
    EXPECT_EQ(f.Command2->text(), "Flytta");
}

TEST_F(GridFixture, ClickWithoutAnOpenAccountDoesNothing) {
    HeadForm f;
    Module1.KontoSlag = "Ek";
    f.G1_Click(0, 0);
    f.G1_Click(0, 4);
    EXPECT_EQ(f.MarkRecord, 0);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_TRUE(fakes.messages->calls.empty());
}

// ---- Ticking -----------------------------------------------------------------------------------

TEST_P(GridKindTest, OkColumnTogglesTheTickInTheFileAndLeavesNothingMarked) {
    const struct { QString before, after; } cases[] = {{" ", "x"}, {"x", " "}, {"*", "*"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        HeadForm& f = openSmall(k, c.before);
        const QByteArray before = fileBytes();
        const int recordLength = before.size() / 3;
        k.click(f, 1, k.okCol());

        // Record 2 with only its tick changed, the others as they were.
        QByteArray want = before;
        QByteArray record2 = before.mid(recordLength, recordLength);
        if (k.budget) {
            BudgetKontoPost p = decodeRecord<BudgetKontoPost>(record2);
            p.Kryss = c.after;
            record2 = encodeRecord(p);
        } else {
            EnkelKontoPost p = decodeRecord<EnkelKontoPost>(record2);
            p.Kryss = c.after;
            record2 = encodeRecord(p);
        }
        want.replace(recordLength, recordLength, record2);
        EXPECT_EQ(fileBytes(), want);
        EXPECT_EQ(k.grid(f)->cellText(1, k.okCol()), c.after);
        EXPECT_EQ(f.MarkRow, -1);
        EXPECT_EQ(f.MarkRecord, 0);
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_TRUE(allBacks(k.grid(f), kPaleYellow));
        form.reset();
        ledger::account().closeAll();
    }
}

// ---- Moving -----------------------------------------------------------------------------------

TEST_F(GridFixture, MoveRangePickedBottomUpIsPutInOrderBeforeTheQuestion) {
    HeadForm& f = openMany(Kind{false}, 30, 5);
    const long v = f.VScroll1->value();
    f.MoveState = "Last";
    f.MoveFirstRow = 6;
    f.MoveFirstRec = v + 6;
    fakes.messages->answers = {Answer::No};
    f.G1_Click(2, 1);

    EXPECT_EQ(f.MoveFirstRow, 2);
    EXPECT_EQ(f.MoveLastRow, 6);
    EXPECT_EQ(f.MoveFirstRec, v + 2);
    EXPECT_EQ(f.MoveLastRec, v + 6);
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(f.G1->back(r, 0), r >= 2 && r <= 6 ? kGreen : kPaleYellow) << r;
    EXPECT_FALSE(f.G1->isEnabled());
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Flytta rader");
    EXPECT_EQ(fakes.messages->calls[0].text,
              "Vill du flytta markerad(e) rad(er)\ntill ett nytt datum ?");
    EXPECT_EQ(Module1.CancelFlag, "0"); // No pressed the cancel button
    EXPECT_EQ(f.MarkRecord, 0);         // a move pick marks nothing
}

// ---- Failures -------------------------------------------------------------------------------

TEST_P(GridKindTest, DamagedAmountEndsInTheErrorRoutine) {
    const QString routine = k.budget ? "Inläs_G2" : "Inläs_G1";
    FixtureAccount a = account(k.slag());
    a.postings = {posting(k, 0, "1", "0", "0"), posting(k, 1, "2", "12,3x", "12,3")};
    fakes.messages->answers = {Answer::No};
    HeadForm& f = open(a, 2);
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Felspec. = Type mismatch");
    EXPECT_TRUE(Module1.FelText.startsWith("Ett fel har uppstått i subrutinen " + routine + "\n"));
    EXPECT_TRUE(Module1.FelDump.contains("Felet uppstod i konto Hushåll"));
    EXPECT_EQ(f.GridRows[0][0], "2026-01-01"); // read up to the damaged posting

    // Damaged after loading: the click that reads it fails the same way.
    fakes.messages->answers = {Answer::No};
    ledger::PostingFile::Edit edit(ledger::account().kontoData);
    edit.put(1, posting(k, 0, "1", "zz", "0"));
    edit.commit();
    k.click(f, 0, 0);
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    EXPECT_EQ(fakes.messages->calls[1].title, "Felspec. = Type mismatch");
    EXPECT_TRUE(Module1.FelText.startsWith(QString("Ett fel har uppstått i subrutinen ") +
                                           (k.budget ? "G2_Click" : "G1_Click")));
}

using DamagedAccount = test::WindowTest;

// Old data can hold a day its month lacks: such a posting is marked and moved
// by its stored date, and the working date is that month's last day.
TEST_F(DamagedAccount, APostingOnADayItsMonthLacksIsMarkedAndMovedAsStored) {
    using test::rec;
    HeadForm& f = start(account("Ek", {rec(test::enkel("2023-01-01", "1", "0", "0")),
                                       rec(test::enkel("2023-02-31", "2", "100", "100")),
                                       rec(test::enkel("2023-03-05", "3", "-40", "60"))}));
    clickRow(1);
    EXPECT_TRUE(titles().isEmpty()); // no "Type mismatch"
    EXPECT_EQ(f.MarkRecord, 2);
    EXPECT_EQ(Module1.WorkDate, "2023-02-28");
    EXPECT_EQ(f.DayShow->text(), "28");
    fakes.messages->answers = {Answer::No};
    f.Command2->click(); // "Ta bort", answered No
    EXPECT_TRUE(lastBox().text.startsWith("Vill du radera posten med datum: 2023-02-31\n"));

    f.Command2->click(); // "Flytta"
    clickRow(1);
    EXPECT_EQ(Module1.WorkDate, "2023-02-28");
    fakes.messages->answers = {Answer::Yes};
    clickRow(1);
    setDate("2023-03-10");
    f.Command2->click(); // "Nytt datum"
    EXPECT_EQ(titles(), (QStringList{"Borttagning av post", "Flytta rader"}));
    EXPECT_EQ(data(), test::records({rec(test::enkel("2023-01-01", "1", "0", "0")),
                                     rec(test::enkel("2023-03-05", "3", "-40", "-40")),
                                     rec(test::enkel("2023-03-10", "2", "100", "60"))}));
}

// A posting that cannot be read is named by file and record, whichever road
// reads it: the start-up's grid, or an insert whose engine reads it.
TEST_F(DamagedAccount, APostingThatIsNoNumberIsNamedByFileAndRecord) {
    using test::rec;
    // Ten postings after the damaged one, so that the start shows only them.
    std::vector<QByteArray> firstHidden = {rec(test::enkel("2026-01-01", "1", "0", "O"))};
    for (int i = 1; i <= 10; ++i)
        firstHidden.push_back(rec(test::enkel(dayText(i + 60), "2", "1", QString::number(i))));
    const struct {
        const char* slag;
        std::vector<QByteArray> postings;
        bool insert; // after the start, insert a posting on 2026-01-15
        const char* routine;
        const char* where;
    } cases[] = {
        {"Ek",
         {rec(test::enkel("2026-01-01", "1", "0", "0")),
          rec(test::enkel("2026-02-01", "2", "5", "5")),
          rec(test::enkel("2026-03-01", "2", "1", "6,0x"))},
         false,
         "Inläs_G1",
         "KontoData, post 3"},
        {"Bg",
         {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
          rec(test::budget("2026-02-01", "x2", "5", "5", "5", "5", "0"))},
         false,
         "Inläs_G2",
         "KontoData, post 2"},
        {"Ek", firstHidden, true, "Inpost_Enkel", "KontoData, post 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        form.reset();
        ledger::account().closeAll();
        fakes.messages->calls.clear();
        seen = 0;
        fakes.messages->answers = {Answer::No, Answer::No, Answer::No};
        start(account(c.slag, c.postings));
        if (c.insert) {
            EXPECT_TRUE(titles().isEmpty());
            setDate("2026-01-15");
            pick("Insättning");
            type(firstBox(), "7");
            form->Command2->click();
        }
        const QStringList shown = titles();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown[0], "Felspec. = Type mismatch");
        const QString text = fakes.messages->calls[0].text;
        EXPECT_TRUE(
            text.startsWith(QString("Ett fel har uppstått i subrutinen ") + c.routine + "\n"))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QString("\nFelet finns i ") + c.where + "\n"))
            << text.toStdString();
        EXPECT_EQ(Module1.SysFel, "Type mismatch");
        EXPECT_TRUE(Module1.FelDump.endsWith(QString("Felet finns i ") + c.where));
    }
}

// Bytes this process has read so far, by the kernel's count.
qint64 bytesRead() {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

TEST_F(DamagedAccount, APostingFileOfTwoGigabytesIsRefusedBeforeItIsRead) {
    const FixtureAccount a = account("Ek", {test::rec(test::enkel("2026-01-01", "1", "0", "0"))});
    test::writeAccount(a, 1);
    test::writeKontoIni("1\r\nAnna\r\n");
    // Sparse: no disk behind it.
    ASSERT_TRUE(QFile::resize(accountFile(a.name, "KontoData"), qint64(1) << 31));
    fakes.messages->answers = {Answer::No};
    const qint64 before = bytesRead();
    ASSERT_GE(before, 0);
    form = std::make_unique<HeadForm>();
    form->Form_Load();
    EXPECT_LT(bytesRead() - before, qint64(64) << 20);

    ASSERT_EQ(titles(), QStringList{"Felspec. = Overflow"});
    EXPECT_TRUE(fakes.messages->calls[0].text.startsWith(
        "Ett fel har uppstått i subrutinen Inläs\nvid öppnande av KontoData (huvudregister)\n"
        "Felet finns i KontoData, 2147483648 byte: längre än en postfil kan vara\n"));
    EXPECT_FALSE(ledger::account().kontoData.isOpen());
    EXPECT_EQ(Module1.AntalPoster, 0);
    EXPECT_EQ(form->G1->cellText(0, 0), "");
}

// ---- Help text ----------------------------------------------------------------------------

TEST_P(GridKindTest, HoverWritesHelpOnlyWhenNotHeld) {
    HeadForm& f = openSmall(k);
    auto hover = [&] { k.budget ? f.G2_MouseMove() : f.G1_MouseMove(); };
    f.HelpHold = 1;
    hover();
    EXPECT_TRUE(f.Label29->text().isEmpty());
    f.HelpHold = 0;
    hover();
    EXPECT_EQ(f.Label29->text(), "Display");
    EXPECT_EQ(f.Label30->text().count('\n'), 1);
}

// ---- Pictures -------------------------------------------------------------------------------

TEST_P(GridKindTest, SavesAPictureOfTheWindow) {
    HeadForm& f = openSmall(k);
    k.click(f, 1, 0);
    const QString file = QCoreApplication::applicationDirPath() + "/headform-" +
                         (k.budget ? "budget" : "enkel") + ".png";
    const QImage image = f.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(file));
    // The grid of the kind is the one shown.
    EXPECT_TRUE(k.grid(f)->isVisibleTo(&f));
    EXPECT_FALSE((k.budget ? f.G1 : f.G2)->isVisibleTo(&f));
}

} // namespace

// The holiday register window, opened from the budgeting dialog: holidays
// added, changed and removed with the steppers and the list, checked on
// RedDayFil byte for byte.
#include "budget/BudgetDriver.h"
#include "core/PosFil.h"

#include <QApplication>
#include <functional>

using namespace fyn;
using fyn::test::Row;
using platform::Answer;

namespace {

class Holidays : public test::BudgetTest {
protected:
    HolidayForm& openRegister(const QByteArray& redDays = {}) {
        startBudget({{"2026-01-01", 1, "0", "0"}}, {{"Kontostart", " "}, {"Hyra", "-"}},
                    test::mallRows({{"2", "5000", "12", "27", "  "}}), redDays);
        budg = &openBudgeting();
        click(budg->Command4);
        HolidayForm* h = budg->holidayForm();
        if (!h)
            throw std::runtime_error("the register did not open");
        return *h;
    }
    // A name typed (set: "åäö" cannot be typed here) and Enter.
    static void name(HolidayForm& h, const QString& text) {
        h.Text1->setText(text);
        QTest::keyClick(h.Text1, Qt::Key_Return);
    }
    static void times(QWidget* stepper, int n) {
        for (int i = 0; i < n; ++i)
            pressAndRelease(stepper);
    }
    static void clickRow(HolidayForm& h, int row) {
        QTest::mouseClick(h.G4->viewport(), Qt::LeftButton, {},
                          h.G4->visualRect(h.G4->model()->index(row, 1)).center());
    }
    BudgAltForm* budg = nullptr;
};

} // namespace

TEST_F(Holidays, AddChangeAndRemoveKeepTheFileSorted) {
    HolidayForm& h = openRegister();
    ASSERT_TRUE(h.isVisible());
    EXPECT_FALSE(budg->isEnabled());
    EXPECT_TRUE(QFile::exists(redDayFilPath())); // made empty as the window opens
    EXPECT_EQ(redDayFile(), "");
    EXPECT_EQ(h.Label6->text(), "Skriv in namnet på en \"Röd dag\" i nedanstående textfält och "
                                "tryck på Enter !");
    EXPECT_FALSE(h.G4->isEnabled());
    // The budgeting dialog, disabled under it, ignores its close box.
    budg->close();
    EXPECT_TRUE(budg->isVisible());

    // Today is 2026-08-18: next year's first half can be registered too.
    name(h, "Nyårsdagen");
    EXPECT_TRUE(h.YearLabel->isVisible());
    EXPECT_EQ(h.YearLabel->text(), "2026");
    times(h.YearPos, 2); // stops at 2027
    EXPECT_EQ(h.YearLabel->text(), "2027");
    press(h.YearLabel);
    EXPECT_EQ(h.MonthLabel->text(), "01");
    times(h.MonthNeg, 1); // January is the least
    press(h.MonthLabel);
    EXPECT_EQ(h.DayLabel->text(), "01");
    EXPECT_FALSE(h.Command1->isEnabled());
    press(h.DayLabel);
    ASSERT_TRUE(h.Command1->isEnabled());
    click(h.Command1);
    EXPECT_EQ(redDayFile(), test::redDayRows({{"Nyårsdagen", "2027-01-01"}}));

    name(h, "Juldagen");
    press(h.YearLabel);
    EXPECT_EQ(h.MonthLabel->text(), "07"); // this year: from July
    times(h.MonthPos, 6);                  // stops at December
    press(h.MonthLabel);
    times(h.DayPos, 24);
    EXPECT_EQ(h.DayLabel->text(), "25");
    click(h.Command1);
    EXPECT_EQ(redDayFile(),
              test::redDayRows({{"Juldagen", "2026-12-25"}, {"Nyårsdagen", "2027-01-01"}}));
    EXPECT_EQ(Module1.RedDayNum, 2);
    EXPECT_EQ(h.G4->item(0, 1)->text(), "Juldagen");
    EXPECT_EQ(h.G4->item(1, 2)->text(), "2027-01-01");
    EXPECT_TRUE(h.G4->isEnabled());

    // The name alone changes in place.
    clickRow(h, 0);
    EXPECT_EQ(titles(), QStringList{"Ej passerat datum"}); // dated after today
    EXPECT_EQ(h.Text1->text(), "Juldagen");
    h.Text1->setText("Juldag");
    click(h.Command1);
    EXPECT_EQ(redDayFile(),
              test::redDayRows({{"Juldag", "2026-12-25"}, {"Nyårsdagen", "2027-01-01"}}));

    // A new date sorts it in again; a holiday ahead cannot go to next year,
    // so the year comes back to this one, and the month into its range.
    clickRow(h, 1);
    times(h.YearNeg, 1);
    EXPECT_EQ(h.YearLabel->text(), "2026");
    EXPECT_EQ(h.MonthLabel->text(), "07");
    times(h.MonthPos, 4);
    click(h.Command1);
    EXPECT_EQ(redDayFile(),
              test::redDayRows({{"Nyårsdagen", "2026-11-01"}, {"Juldag", "2026-12-25"}}));

    // Removal: the later one closes up, the last used record is freed.
    clickRow(h, 0);
    answer({Answer::Yes});
    click(h.Command4);
    EXPECT_EQ(lastBox().title, "Radera filposten ?");
    EXPECT_EQ(lastBox().text,
              "Vill du verkligen radera 'Röd dag': Nyårsdagen med datumet: 2026-11-01 ?");
    EXPECT_EQ(redDayFile(), test::redDayRows({{"Juldag", "2026-12-25"}, {"*", "2026-12-25"}}));
    EXPECT_EQ(Module1.RedDayNum, 1);

    // An empty row holds nothing to fetch.
    clickRow(h, 3);
    EXPECT_FALSE(h.Command1->isEnabled());
    EXPECT_FALSE(h.YearLabel->isVisible());

    // The close box is "Avsluta".
    h.close();
    EXPECT_FALSE(h.isVisible());
    EXPECT_TRUE(budg->isEnabled());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(test::readFile(posFilPath()).mid(int(WindowPos::HolidayForm) * 14, 1).at(0) >= '0');
    click(budg->Command1);
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Holidays, NoNameNoFreeSlotMarkAndNoImpossibleDate) {
    HolidayForm& h = openRegister();
    name(h, "   ");
    EXPECT_EQ(h.Label6->text(), "Textfältet saknar en benämning för 'Röd dag' !");
    EXPECT_FALSE(h.YearLabel->isVisible());
    name(h, "*");
    EXPECT_FALSE(h.YearLabel->isVisible());
    // A name longer than its field cannot be typed.
    QTest::keyClicks(h.Text1, QString(30, 'x'));
    EXPECT_EQ(h.Text1->text().size(), 25);

    // February's last day follows the year: 2027 has no 29th.
    name(h, "Skottdag");
    times(h.YearPos, 1);
    press(h.YearLabel);
    times(h.MonthPos, 1);
    press(h.MonthLabel);
    times(h.DayPos, 40);
    EXPECT_EQ(h.DayLabel->text(), "28");
    click(h.Command1);
    EXPECT_EQ(redDayFile(), test::redDayRows({{"Skottdag", "2027-02-28"}}));
    h.close();
}

TEST_F(Holidays, OutdatedHolidaysAreShownAndNewOnesCountInThePlacement) {
    HolidayForm& h = openRegister(test::redDayRows({{"Gammal", "2025-12-24"}}));
    EXPECT_EQ(titles(), QStringList{"Utdaterade 'röda dagar'"});
    EXPECT_EQ(lastBox().text, "Följande reg. 'Röd(a) dag(ar)' är utdaterad(e) och kan behöva "
                              "datumjusteras:\nGammal  2025-12-24\n");
    // Sunday 27 December's rent goes to Monday 28, or to the 29th once the
    // 28th is registered.
    name(h, "Mellandag");
    press(h.YearLabel);
    times(h.MonthPos, 5);
    press(h.MonthLabel);
    times(h.DayPos, 27);
    click(h.Command1);
    EXPECT_EQ(redDayFile(),
              test::redDayRows({{"Gammal", "2025-12-24"}, {"Mellandag", "2026-12-28"}}));
    h.close();
    EXPECT_EQ(Module1.RedDayNum, 2);
    answer({Answer::Yes});
    pickTransaction(*budg, "Hyra");
    EXPECT_EQ(budg->dateLabel[12]->text(), "29");
    click(budg->Command1);
}

// What the three labels show is what OK saves, whichever step of a fetched
// holiday's date is clicked again.
TEST_F(Holidays, AFetchedHolidaySavesTheDateItShows) {
    const struct {
        const char* what;
        std::function<void(HolidayForm&)> step;
        const char* shown;
    } cases[] = {
        {"nothing clicked", [](HolidayForm&) {}, "2026-05-20"},
        // This year from July: the months start again at July.
        {"the year clicked", [](HolidayForm& h) { press(h.YearLabel); }, "2026-07-20"},
        {"the month clicked", [](HolidayForm& h) { press(h.MonthLabel); }, "2026-05-01"},
        {"the year and the day clicked",
         [](HolidayForm& h) {
             press(h.YearLabel);
             press(h.DayLabel);
         },
         "2026-07-20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HolidayForm& h = openRegister(test::redDayRows({{"Vårdag", "2026-05-20"}}));
        clickRow(h, 0);
        c.step(h);
        const QString shown =
            h.YearLabel->text() + "-" + h.MonthLabel->text() + "-" + h.DayLabel->text();
        EXPECT_EQ(shown, c.shown);
        ASSERT_TRUE(h.Command1->isEnabled());
        click(h.Command1);
        EXPECT_EQ(redDayFile(), test::redDayRows({{"Vårdag", c.shown}}));
        h.close();
        click(budg->Command1);
    }
}

// Once the day is clicked the focus stands on OK, and Enter presses it, as
// Space does.
TEST_F(Holidays, EnterOnTheFocusedOkSavesTheHoliday) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(key);
        QFile::remove(redDayFilPath());
        HolidayForm& h = openRegister();
        h.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&h));
        name(h, "Nyårsdagen");
        times(h.YearPos, 1);
        press(h.YearLabel);
        press(h.MonthLabel);
        press(h.DayLabel);
        ASSERT_EQ(QApplication::focusWidget(), h.Command1);
        QTest::keyClick(QApplication::focusWidget(), key,
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(redDayFile(), test::redDayRows({{"Nyårsdagen", "2027-01-01"}}));
        EXPECT_FALSE(h.Command1->isEnabled());
        h.close();
        click(budg->Command1);
    }
}

TEST_F(Holidays, SavesAPictureOfTheRegister) {
    HolidayForm& h = openRegister(test::redDayRows({{"Trettondedag jul", "2026-01-06"},
                                                    {"Långfredagen", "2026-04-03"},
                                                    {"Första maj", "2026-05-01"},
                                                    {"Nationaldagen", "2026-06-06"},
                                                    {"Juldagen", "2026-12-25"},
                                                    {"Annandag jul", "2026-12-26"}}));
    clickRow(h, 4);
    const QImage image = h.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QCoreApplication::applicationDirPath() + "/holidayform.png"));
    h.close();
    click(budg->Command1);
}

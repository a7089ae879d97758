// The budgeting dialog on a real main window: opened from the menu, a
// transaction's template placed on the days of the period with the weekend
// and holiday moves, amounts adjusted and posted, checked byte for byte.
#include "budget/BudgetDriver.h"
#include "core/PosFil.h"
#include "ledger/TemplateMarks.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QRadioButton>

using namespace fyn;
using fyn::test::Row;
using platform::Answer;

namespace {

using Budgeting = test::BudgetTest;

const std::vector<std::pair<QString, QString>> kTrans = {
    {"Kontostart", " "}, {"Lön", "+"}, {"Mat", "-"}, {"Hyra", "-"}, {"El", "-"}};

// Balances after them: budget 39 000 / 38 900, actual 38 600 / 38 500.
const std::vector<Row> kRows = {
    {"2026-01-01", 1, "0", "0"},        {"2026-06-25", 2, "20000", "19500"},
    {"2026-07-24", 3, "-1000", "-900"}, {"2026-09-30", 2, "20000", "20000"},
    {"2026-12-31", 3, "-100", "-100"},
};

// Food is excluded from budgeting; the rent is paid on days that fall on
// weekends and holidays in 2026.
const QByteArray kTemplate = test::mallRows({
    {"3", "1000", "11", "05", "* "},
    {"2", "20000", "09", "30", "  "},
    {"4", "5000", "07", "25", "  "}, // Saturday: Friday 24
    {"4", "5000", "08", "16", "  "}, // Sunday, red Monday 17: Tuesday 18
    {"4", "4990", "09", "10", "  "}, // Thursday
    {"4", "5000", "10", "03", "  "}, // Saturday, red Friday 2: Thursday 1
    {"4", "5000", "12", "27", "  "}, // Sunday: Monday 28
    {"5", "600", "12", "15", "  "},
});

const QByteArray kRedDays = test::redDayRows(
    {{"Fiktiv helg", "2026-08-17"}, {"Annan helg", "2026-10-02"}, {"Juldagen", "2026-12-25"}});

QString readName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// The PosFil pair of a window, as stored.
QByteArray posPair(int window) {
    return test::readFile(posFilPath()).mid(window * 14, 14);
}

} // namespace

TEST_F(Budgeting, OpensFromTheMenuWithItsPeriodAndClosesEitherWay) {
    startBudget(kRows, kTrans, kTemplate, kRedDays);
    test::writeFile(path("BudgInfoFil.txt"),
                    toCp1252(QString::fromUtf8("§3\r\nTre\r\n§4\r\nVälj bland de budgeterbara.\r\n"
                                               "\r\nKlicka på pilen.\r\n§5\r\nFem\r\n")));
    for (const bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "Avsluta budgetering" : "close box");
        BudgAltForm& d = openBudgeting();
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(Module1.Avb, "budg");
        EXPECT_EQ(d.windowTitle(), "Budgetering av konto: Hushåll");
        // Today is 2026-08-18: October to December.
        EXPECT_EQ(d.Label34->text(), "2026");
        EXPECT_EQ(d.Label35->text(), "10");
        EXPECT_EQ(d.Label38->text(), "2026");
        EXPECT_EQ(d.Label39->text(), "12");
        EXPECT_EQ(d.Label40->text(), "31");
        for (int m = 1; m <= 12; ++m)
            EXPECT_FALSE(d.dateLabel[size_t(m)]->isEnabled()) << m;
        // An excluded transaction in the period: the budgetable ones listed.
        EXPECT_TRUE(d.Option2->isChecked());
        EXPECT_TRUE(d.Option3->isVisible());
        EXPECT_EQ(d.Text1->toPlainText(),
                  QString::fromUtf8("Välj bland de budgeterbara.\n\nKlicka på pilen.\n"));
        // The holidays count from the start (the register was never opened).
        EXPECT_EQ(Module1.RedDayNum, 3);

        test::clickBarItem(d.findChild<QMenuBar*>(), d.hlp_mn);
        EXPECT_EQ(fakes.help->contexts.back(), 60000);

        if (byButton)
            click(d.Command1);
        else
            d.close();
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(Module1.Avb, "");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(budgAltForm(), nullptr);
    }
    // Its place is kept in PosFil's fields 7 and 8.
    EXPECT_TRUE(posPair(int(WindowPos::BudgAltForm)).trimmed().at(0) >= '0');
    EXPECT_TRUE(fakes.messages->calls.empty());
}

TEST_F(Budgeting, ControlsCarryTheirCaptionsTipsAndReadableNames) {
    startBudget(kRows, kTrans, kTemplate);
    BudgAltForm& d = openBudgeting();
    const struct {
        const char* name;
        const char* text;
        const char* tip;
    } controls[] = {
        {"Command1", "Avsluta budgetering", "Återgå till huvudformuläret"},
        {"Command2", "Budgetera ovanstående", "Lägg ut budgeteringarna"},
        {"Command4", "Uteslut datum", ""},
        {"Command5", "Avbryt datum", "Ta bort datumlistan"},
        {"Command6", "Rensa", ""},
        {"Option1", "Alla reg.", "Lista samtliga transaktioner"},
        {"Option2", "Budg.bara", "Lista utvalda transaktioner"},
        {"Option3", "Uteslutna", "Lista bortvalda transaktioner"},
        {"Text3", "Skapa ny transaktion", "Lägg till transaktion"},
        {"List4", "", "Välj transaktion för budgetering"},
        {"Label34", "2026", "Ändra budgetår"},
        {"Label35", "10", "Ändra startmånad"},
        {"Label38", "2026", "Ändra budgetår"},
        {"Label39", "12", "Ändra slutmånad"},
        {"Label9", "", "Sätt nytt datum"},
        {"Label31", "", "Sätt nytt datum"},
        {"Label8", "Jan.:", ""},
        {"Label28", "Nov.", ""},
        {"Label30", "Dec.:", ""},
        {"Text4", "", "Sätt budgetbelopp"},
        {"Label4", "Period", ""},
        {"Label2", "Fr o m", ""},
        {"Label3", "T o m", ""},
        {"Label36", "01", ""},
        {"Label5", "Mån", ""},
        {"Label7", "Dag", ""},
        {"Label6", "belopp", ""},
    };
    for (const auto& c : controls) {
        QWidget* w = d.findChild<QWidget*>(c.name);
        ASSERT_TRUE(w) << c.name;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.tip)) << c.name;
    }
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (w->objectName().startsWith("qt_"))
            continue; // Qt's own parts
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w)) {
            EXPECT_FALSE(readName(w).isEmpty()) << w->objectName().toStdString();
        }
    }
    // Without a help file the panel stays empty and nothing is reported.
    EXPECT_EQ(d.Text1->toPlainText(), "");
    EXPECT_TRUE(fakes.messages->calls.empty());
    click(d.Command1);
}

// The whole road: a period set with the pick lists, a transaction picked, its
// template placed, one amount adjusted, and the run posted.
TEST_F(Budgeting, PostsAPlannedYearByteForByte) {
    startBudget(kRows, kTrans, kTemplate, kRedDays);
    const QByteArray mallBefore = bmall();
    BudgAltForm& d = openBudgeting();
    click(d.Label35);
    EXPECT_EQ(items(d.List3).first(), "01");
    clickItem(d.List3, "07");
    EXPECT_FALSE(d.List3->isVisible());
    EXPECT_EQ(d.Label35->text(), "07");
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(d.dateLabel[size_t(m)]->isEnabled(), m >= 7) << m;

    answer({Answer::Yes}); // "Budgetera transaktion"
    click(d.Command7);
    // The excluded food is not offered.
    EXPECT_EQ(items(d.List4), QStringList({"Kontostart", "Lön", "Hyra", "El"}));
    clickItem(d.List4, "Hyra");
    EXPECT_EQ(titles(), QStringList{"Budgetera transaktion"});
    EXPECT_FALSE(d.List4->isVisible());
    EXPECT_EQ(d.Text3->text(), "Hyra");
    EXPECT_EQ(d.Label43->text(), "Utgifts");
    EXPECT_EQ(days(d), QStringList({"", "", "", "", "", "", "24", "18", "10", "01", "", "28"}));
    EXPECT_EQ(d.amountBox[7]->text(), " 5 000");
    EXPECT_EQ(d.amountBox[9]->text(), " 4 990");
    EXPECT_EQ(d.amountBox[7]->toolTip(), "Justera beloppet");
    EXPECT_FALSE(d.amountBox[11]->isEnabled());
    // The period cannot change while a transaction is under budgeting.
    EXPECT_FALSE(d.Label34->isEnabled());
    EXPECT_TRUE(d.Command2->isEnabled());

    typeAmount(d, 12, "5500");
    EXPECT_EQ(d.amountBox[12]->text(), " 5 500");
    EXPECT_EQ(d.MonthList[12][2], "-5500");
    EXPECT_EQ(d.MonthList[10][1], "01");
    ASSERT_TRUE(d.Command2->isEnabled());

    click(d.Command2);
    const auto post = [](const char* date, const char* ref, const char* amount, const char* b,
                         const char* v, const char* status) {
        return test::rec(test::budget(date, ref, amount, amount, b, v, "-400", status));
    };
    EXPECT_EQ(
        data(),
        test::records({
            test::rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
            test::rec(test::budget("2026-06-25", "2", "20000", "19500", "20000", "19500", "-500")),
            test::rec(test::budget("2026-07-24", "3", "-1000", "-900", "19000", "18600", "-400")),
            post("2026-07-24", "4", "-5000", "14000", "13600", "*"),
            post("2026-08-18", "4", "-5000", "9000", "8600", "*"), // today
            post("2026-09-10", "4", "-4990", "4010", "3610", " "),
            test::rec(test::budget("2026-09-30", "2", "20000", "20000", "24010", "23610", "-400")),
            post("2026-10-01", "4", "-5000", "19010", "18610", " "),
            post("2026-12-28", "4", "-5500", "13510", "13110", " "),
            test::rec(test::budget("2026-12-31", "3", "-100", "-100", "13410", "13010", "-400")),
        }));
    // The template learns nothing from a run.
    EXPECT_EQ(bmall(), mallBefore);
    EXPECT_EQ(Module1.AntalPoster, 10);
    EXPECT_EQ(Module1.PostNr, 4);
    EXPECT_EQ(titles(), QStringList{});
    // What was posted cannot be posted twice.
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_EQ(days(d), QStringList({"", "", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(d.Command7->isEnabled());

    // Another pick that is not budgeted offers its exclusion, not a cancel.
    answer({Answer::No});
    pickTransaction(d, "El");
    EXPECT_EQ(d.Command3->text(), "Uteslut transaktion");
    answer({Answer::Yes});
    click(d.Command3);
    EXPECT_EQ(titles(), QStringList({"Budgetera transaktion", "Uteslut transaktion från listan",
                                     "Budgetering"}));
    EXPECT_EQ(lastBox().text, "Transaktionen är utesluten !");
    EXPECT_EQ(bmall().right(18), test::mallRows({{"5", "600", "12", "15", "*"}}));
    EXPECT_EQ(data().size(), 10 * 77);
    click(d.Command1);
}

TEST_F(Budgeting, ARunThatWouldBreakTheLimitIsRefusedWholeAndStaysRefused) {
    startBudget({{"2026-01-01", 1, "0", "0"}, {"2026-09-30", 2, "60000000", "60000000"}},
                {{"Kontostart", " "}, {"Lön", "+"}},
                test::mallRows({{"2", "30000000", "10", "15", "  "},
                                {"2", "30000000", "11", "15", "  "},
                                {"2", "30000000", "12", "15", "  "}}),
                kRedDays);
    const QByteArray before = allFiles();
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes});
    pickTransaction(d, "Lön");
    EXPECT_EQ(days(d).mid(9), QStringList({"15", "16", "15"}));
    EXPECT_EQ(d.amountBox[10]->text(), "3 0000 000");
    titles();
    for (int press = 0; press < 2; ++press) {
        click(d.Command2);
        EXPECT_EQ(titles(), QStringList{"Överskriden max-nivå"});
        EXPECT_EQ(allFiles(), before);
        EXPECT_EQ(Module1.AntalPoster, 2);
        // The plan stays for the user to mend.
        EXPECT_TRUE(d.Command2->isEnabled());
        EXPECT_EQ(days(d).mid(9), QStringList({"15", "16", "15"}));
    }
    click(d.Command1);
}

// Days and amounts given by hand: the day list, the first amount offered to
// the next month, the boxes' filter, a change of year and the scan's question.
TEST_F(Budgeting, DaysAndAmountsByHandFollowTheCalendarOfTheYear) {
    startBudget(kRows, kTrans, test::mallRows({{"4", "5000", "07", "25", "  "}}));
    BudgAltForm& d = openBudgeting();
    click(d.Label34);
    EXPECT_EQ(items(d.List2), QStringList({"2026", "2027", "2028", "2029", "2030"}));
    clickItem(d.List2, "2028");
    click(d.Label35);
    clickItem(d.List3, "01");
    click(d.Label39);
    EXPECT_EQ(items(d.List3).first(), "02");
    clickItem(d.List3, "03");
    EXPECT_EQ(d.Label40->text(), "31");
    // A day label does nothing before a transaction is picked here, whatever
    // name the main window left behind.
    Module1.HuvudTrans = "Lön";
    click(d.dateLabel[1]);
    EXPECT_FALSE(d.List1->isVisible());

    answer({Answer::Yes});
    pickTransaction(d, "Lön"); // nothing of it in the template
    EXPECT_EQ(days(d), QStringList(12, QString()));
    EXPECT_FALSE(d.Command2->isEnabled());

    click(d.dateLabel[2]);
    ASSERT_TRUE(d.List1->isVisible());
    EXPECT_EQ(items(d.List1).last(), "29"); // February 2028
    clickItem(d.List1, "29");
    EXPECT_FALSE(d.List1->isVisible());
    EXPECT_TRUE(d.amountBox[2]->isEnabled());
    EXPECT_EQ(d.amountBox[2]->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xC0));
    QTest::keyClicks(d.amountBox[2], "1500");
    QTest::keyClick(d.amountBox[2], Qt::Key_Return);
    EXPECT_EQ(d.amountBox[2]->text(), " 1 500");
    EXPECT_EQ(d.ForstaBelopp, "1500");
    EXPECT_TRUE(d.Command2->isEnabled());

    // The last day chosen is offered, and the first amount.
    click(d.dateLabel[1]);
    EXPECT_EQ(d.List1->currentItem()->text(), "29");
    EXPECT_FALSE(d.Command2->isEnabled());
    clickItem(d.List1, "10");
    EXPECT_EQ(d.amountBox[1]->text(), "1500");
    QTest::keyClick(d.amountBox[1], Qt::Key_Return);
    EXPECT_EQ(d.MonthList[1][2], "1500");
    // A change after the scan needs a new scan before posting.
    QTest::keyClicks(d.amountBox[1], "0");
    EXPECT_FALSE(d.Command2->isEnabled());
    QTest::keyClick(d.amountBox[1], Qt::Key_Return);
    EXPECT_EQ(d.MonthList[1][2], "15000");

    // March gets a day, and the amount offered is taken away: the scan asks;
    // No stops it there.
    click(d.dateLabel[3]);
    clickItem(d.List1, "03");
    EXPECT_EQ(d.amountBox[3]->text(), "1500");
    d.amountBox[3]->selectAll();
    QTest::keyClick(d.amountBox[3], Qt::Key_Delete);
    answer({Answer::No});
    QTest::keyClick(d.amountBox[1], Qt::Key_Return);
    EXPECT_EQ(lastBox().title, "Saknat belopp");
    EXPECT_EQ(lastBox().text, "Belopp saknas för månad Mars\nVill du också radera datumet ?");
    EXPECT_EQ(d.dateLabel[3]->text(), "03");
    answer({Answer::Yes});
    QTest::keyClick(d.amountBox[1], Qt::Key_Return);
    EXPECT_EQ(d.dateLabel[3]->text(), "");
    EXPECT_TRUE(d.Command2->isEnabled());

    // A click on the dialog's background frees the period; 2027 has no
    // 29 February, so the day follows the year. What was scanned for 2028 is
    // no plan for 2027: the rows are scanned again before they are posted.
    QWidget* body = d.Label4->parentWidget();
    QTest::mouseClick(body, Qt::LeftButton, {}, test::bareSpot(body));
    EXPECT_TRUE(d.Label34->isEnabled());
    click(d.Label34);
    clickItem(d.List2, "2027");
    EXPECT_EQ(d.dateLabel[2]->text(), "28");
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_EQ(d.MonthList[2][1], "");
    QTest::keyClick(d.amountBox[1], Qt::Key_Return);
    EXPECT_EQ(d.MonthList[2][1], "28");
    EXPECT_TRUE(d.Command2->isEnabled());

    titles();
    click(d.Command2);
    EXPECT_EQ(titles(), QStringList{});
    EXPECT_EQ(data(), test::joined(test::ledgerOf("Bg", kRows)) +
                          test::rec(test::budget("2027-01-10", "2", "15000", "15000", "53900",
                                                 "53500", "-400", " ")) +
                          test::rec(test::budget("2027-02-28", "2", "1500", "1500", "55400",
                                                 "55000", "-400", " ")));
    click(d.Command1);
}

TEST_F(Budgeting, ExclusionAndRestoringMarkOnlyThatTransactionsTemplateRows) {
    startBudget(kRows, kTrans, kTemplate, kRedDays);
    const QByteArray mallBefore = bmall();
    BudgAltForm& d = openBudgeting();
    answer({Answer::No, Answer::Yes});
    pickTransaction(d, "El");
    EXPECT_EQ(d.command3Mode(), BudgAltForm::Command3Mode::Exclude);
    click(d.Command3);
    QByteArray excluded = mallBefore;
    excluded.replace(7 * 18, 18, test::mallRows({{"5", "600", "12", "15", "*"}}));
    EXPECT_EQ(bmall(), excluded);
    EXPECT_EQ(d.Text3->text(), "Skapa ny transaktion");
    EXPECT_EQ(items(d.List4), QStringList({"Kontostart", "Lön", "Hyra"}));

    clickOption(d.Option3);
    EXPECT_TRUE(d.Option3->isChecked());
    click(d.Command7);
    EXPECT_EQ(items(d.List4), QStringList({"Mat", "El"}));
    clickItem(d.List4, "El"); // no question for an excluded one
    EXPECT_EQ(d.Command3->text(), "Anslut transaktion");
    EXPECT_EQ(d.Command3->toolTip(), "Gör transaktionen budgeteringsbar");
    answer({Answer::Yes});
    click(d.Command3);
    EXPECT_EQ(lastBox().text, "Transaktionen är återställd, kan hämtas och budgeteras !");
    EXPECT_EQ(bmall(), mallBefore);
    // Food stays excluded: the budgetable ones are listed.
    EXPECT_TRUE(d.Option2->isChecked());
    EXPECT_FALSE(d.Option1->isVisible());

    // A transaction without template rows cannot be excluded.
    clickOption(d.Option2);
    answer({Answer::No, Answer::Yes});
    pickTransaction(d, "Kontostart");
    click(d.Command3);
    EXPECT_EQ(lastBox().text, "Transaktionen förekommer inte i budgetmallen !");
    EXPECT_EQ(bmall(), mallBefore);
    click(d.Command1);
}

TEST_F(Budgeting, ANewTransactionIsMadeBesideTheDialogAndListed) {
    startBudget(kRows, kTrans, kTemplate);
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes}); // "Ny transaktion (?)": the list was looked through
    click(d.Text3);
    TransForm& t = mainDialog();
    ASSERT_TRUE(t.isVisible());
    EXPECT_FALSE(d.isEnabled());
    EXPECT_FALSE(form->isEnabled());
    enter(t.Text1, "Försäkring");
    clickOption(t.Option4);
    click(t.Command1);
    EXPECT_EQ(transaktFile().right(36), encodeRecord(TransPost{"Försäkring", "-"}));
    EXPECT_FALSE(t.isVisible());
    EXPECT_TRUE(d.isEnabled());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(Module1.Avb, "budg");
    click(d.Command7);
    EXPECT_TRUE(items(d.List4).contains("Försäkring"));
    // The main window lists it too.
    EXPECT_GE(form->TransCombo_Budget->findText("Försäkring"), 0);

    // Cancelled, the dialog gives the budgeting back as it was.
    Module1.HuvudTrans.clear();
    answer({Answer::Yes});
    click(d.Text3);
    ASSERT_TRUE(t.isVisible());
    click(t.Command2);
    EXPECT_TRUE(d.isEnabled());
    EXPECT_EQ(transaktFile().size(), 6 * 36);
    click(d.Command1);
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Budgeting, ADeletedTransactionLeavesItsTemplateRowsToNoOne) {
    startBudget(kRows, kTrans, kTemplate);
    TransForm& t = openChange("El");
    answer({Answer::Yes}); // delete it
    clickOption(t.Option2);
    QByteArray expected = kTemplate;
    expected.replace(7 * 18, 18, test::mallRows({{"0", "600", "12", "15", "  "}}));
    EXPECT_EQ(bmall(), expected);
    EXPECT_EQ(ledger::templateRecords(ledger::account().bmall)[7].TransRef.trimmed(), "0");
    // A new name in the freed slot starts without a template.
    t.close();
    answer({Answer::Yes});
    door();
    enter(mainDialog().Text1, "Bredband");
    clickOption(mainDialog().Option4);
    click(mainDialog().Command1);
    EXPECT_EQ(transaktFile().mid(4 * 36, 36), encodeRecord(TransPost{"Bredband", "-"}));
    click(form->Command3); // the posting it offers is not wanted now
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes});
    pickTransaction(d, "Bredband");
    EXPECT_EQ(days(d), QStringList(12, QString()));
    EXPECT_FALSE(d.Command2->isEnabled());
    click(d.Command1);
}

TEST_F(Budgeting, SavesAPictureOfAPlannedYear) {
    startBudget(kRows, kTrans, kTemplate, kRedDays, {2026, 1, 20});
    test::writeFile(path("BudgInfoFil.txt"), test::readFile(QStringLiteral(FYN_TEST_SOURCE_DIR) +
                                                            "/../app/BudgInfoFil.txt"));
    BudgAltForm& d = openBudgeting();
    click(d.Label35);
    clickItem(d.List3, "01");
    answer({Answer::Yes});
    pickTransaction(d, "Hyra");
    typeAmount(d, 12, "5500");
    EXPECT_FALSE(d.Text1->toPlainText().isEmpty());
    const QImage image = d.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QCoreApplication::applicationDirPath() + "/budgaltform.png"));
    click(d.Command1);
}

TEST_F(Budgeting, CancellingAPickOrADayOrEmptyingTheRowsStartsOver) {
    // In December next year is suggested, and next year's second half may
    // lack holidays yet.
    startBudget(kRows, kTrans, kTemplate, kRedDays, {2026, 12, 9});
    BudgAltForm& d = openBudgeting();
    EXPECT_EQ(d.Label34->text(), "2027");
    answer({Answer::Yes});
    pickTransaction(d, "Hyra");
    EXPECT_EQ(titles(), QStringList({"Undvik budg.dag på 'Röd dag' !", "Budgetera transaktion"}));
    EXPECT_TRUE(fakes.messages->calls.front().text.contains("helt eller delvis"));
    // 2027: Sundays 25 July and 3 October go to the Mondays after.
    EXPECT_EQ(days(d).mid(6), QStringList({"26", "16", "10", "04", "", "27"}));

    // "Avbryt datum" takes one month out of the plan.
    click(d.dateLabel[8]);
    EXPECT_TRUE(d.Command5->isEnabled());
    EXPECT_FALSE(d.Command2->isEnabled());
    click(d.Command5);
    EXPECT_FALSE(d.List1->isVisible());
    EXPECT_EQ(d.dateLabel[8]->text(), "");
    EXPECT_FALSE(d.amountBox[8]->isEnabled());

    // "Rensa" empties the rows, which stay open.
    answer({Answer::Yes});
    click(d.Command6);
    EXPECT_EQ(titles(), QStringList{"Rensa skrivfält"});
    EXPECT_EQ(days(d), QStringList(12, QString()));
    EXPECT_EQ(d.amountBox[7]->text(), "");
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_TRUE(d.dateLabel[7]->isEnabled());

    // "Avbryt transaktion" ends the pick: the period is free again.
    EXPECT_EQ(d.Command3->text(), "Avbryt transaktion");
    click(d.Command3);
    EXPECT_EQ(d.Text3->text(), "Skapa ny transaktion");
    EXPECT_EQ(Module1.HuvudTrans, "");
    EXPECT_TRUE(d.Label34->isEnabled());
    EXPECT_FALSE(d.dateLabel[7]->isEnabled());
    EXPECT_FALSE(d.Command3->isEnabled());
    EXPECT_TRUE(d.Command7->isEnabled());
    click(d.dateLabel[7]); // nothing picked: no day list
    EXPECT_FALSE(d.List1->isVisible());
    click(d.Command1);
}

namespace {

// Rent on the last day of every month, and Sweden's red days with the eves.
const std::vector<std::pair<QString, QString>> kRentTrans = {{"Kontostart", " "}, {"Hyra", "-"}};

QByteArray monthEndRent(const char* amount = "7000", int damagedMonth = 0) {
    static const char* const kLast[] = {"31", "28", "31", "30", "31", "30",
                                        "31", "31", "30", "31", "30", "31"};
    QByteArray out;
    for (int m = 1; m <= 12; ++m) {
        const QByteArray month = QByteArray::number(m).rightJustified(2, '0');
        out += encodeRecord(BudgMallPost{"2", m == damagedMonth ? "7x00" : amount,
                                         month.constData(), kLast[m - 1], "  "});
    }
    return out;
}

QByteArray swedishRedDays(int year) {
    const char* const days2027[] = {"01-01", "01-06", "03-26", "03-28", "03-29", "05-01",
                                    "05-06", "05-16", "06-06", "06-25", "06-26", "11-06",
                                    "12-24", "12-25", "12-26", "12-31"};
    const char* const days2028[] = {"01-01", "01-06", "04-14", "04-16", "04-17", "05-01",
                                    "05-25", "06-04", "06-06", "06-23", "06-24", "11-04",
                                    "12-24", "12-25", "12-26", "12-31"};
    QByteArray out;
    for (const char* d : year == 2027 ? days2027 : days2028)
        out += encodeRecord(RedDayPost{"Helgdag", QString::number(year) + "-" + d});
    return out;
}

// The budget year with its holidays, chosen in the autumn before it.
struct RentYear {
    int year;
    QStringList days; // as placed, January to December
};
const RentYear kRent2027 = {
    2027, {"29", "26", "31", "30", "31", "30", "30", "31", "30", "29", "30", "31"}};
const RentYear kRent2028 = {
    2028, {"31", "28", "31", "28", "31", "30", "31", "31", "29", "31", "30", "29"}};

// The dates and amounts of the postings after the first.
QStringList postedAfterStart(const QByteArray& data) {
    QStringList out;
    for (qsizetype at = 77; at + 77 <= data.size(); at += 77) {
        const BudgetKontoPost p = decodeRecord<BudgetKontoPost>(data.mid(at, 77));
        out << p.Datum + " " + p.BudgBelopp.trimmed();
    }
    return out;
}

QStringList expectedPostings(int year, const QStringList& days, const QString& amount = "-7000") {
    QStringList out;
    for (int m = 1; m <= 12; ++m)
        if (!days[m - 1].isEmpty())
            out << QString("%1-%2-%3 %4")
                       .arg(year)
                       .arg(m, 2, 10, QChar('0'))
                       .arg(days[m - 1])
                       .arg(amount);
    return out;
}

} // namespace

class RentBudgeting : public test::BudgetTest {
protected:
    BudgAltForm& openYear(const RentYear& y, const QByteArray& tmpl = monthEndRent()) {
        const QString before = QString::number(y.year - 1);
        startBudget({{(before + "-01-01").toLatin1().constData(), 1, "0", "0"}}, kRentTrans, tmpl,
                    swedishRedDays(y.year), {y.year - 1, 10, 15});
        BudgAltForm& d = openBudgeting();
        EXPECT_EQ(d.Label34->text(), QString::number(y.year));
        EXPECT_EQ(d.Label35->text(), "01");
        return d;
    }
    void pickRent(BudgAltForm& d) {
        answer({Answer::Yes}); // "Budgetera transaktion"
        pickTransaction(d, "Hyra");
    }
    QByteArray startOnly() const { return data().left(77); }
};

// A payment that the weekday rule would carry into the next month, which has
// its own, stays in its own month: twelve months, twelve rents.
TEST_F(RentBudgeting, AYearOfMonthEndRentPostsOneRentForEveryMonth) {
    for (const RentYear& y : {kRent2027, kRent2028}) {
        SCOPED_TRACE(y.year);
        BudgAltForm& d = openYear(y);
        pickRent(d);
        EXPECT_EQ(days(d), y.days);
        ASSERT_TRUE(d.Command2->isEnabled());
        click(d.Command2);
        EXPECT_EQ(postedAfterStart(data()), expectedPostings(y.year, y.days));
        EXPECT_EQ(Module1.AntalPoster, 13);
        click(d.Command1);
    }
}

// After the scan the user changes the period: nothing is posted that the rows
// do not show, and what is posted next is what they show then.
TEST_F(RentBudgeting, APeriodChangedAfterAScanPostsNothingTheRowsDoNotShow) {
    const struct {
        const char* what;
        platform::ClickLabel* BudgAltForm::*label;
        const char* choice;
    } cases[] = {
        {"start month", &BudgAltForm::Label35, "11"},
        {"end month", &BudgAltForm::Label39, "02"},
        {"year", &BudgAltForm::Label34, "2028"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BudgAltForm& d = openYear(kRent2027);
        pickRent(d);
        ASSERT_TRUE(d.Command2->isEnabled());
        QWidget* body = d.Label4->parentWidget();
        QTest::mouseClick(body, Qt::LeftButton, {}, test::bareSpot(body));
        click(d.*c.label);
        clickItem(c.label == &BudgAltForm::Label34 ? d.List2 : d.List3, c.choice);
        titles();
        EXPECT_FALSE(d.Command2->isEnabled());
        for (int m = 1; m <= 12; ++m)
            EXPECT_TRUE(d.MonthList[size_t(m)][1].isEmpty() && d.MonthList[size_t(m)][2].isEmpty())
                << m;
        click(d.Command2);
        EXPECT_EQ(data(), startOnly());
        EXPECT_EQ(Module1.AntalPoster, 1);

        // Scanned again, the rows shown are posted.
        QStringList shown = days(d);
        QString year = "2027";
        if (c.label == &BudgAltForm::Label34) {
            EXPECT_EQ(shown, kRent2027.days); // a new year keeps the rows
            year = "2028";
            QTest::keyClick(d.amountBox[1], Qt::Key_Return);
        } else {
            EXPECT_EQ(shown, QStringList(12, QString())); // a new month range empties them
            const int m = c.label == &BudgAltForm::Label35 ? 11 : 2;
            chooseDay(d, m, "15");
            typeAmount(d, m, "7000");
            shown = days(d);
        }
        ASSERT_TRUE(d.Command2->isEnabled());
        click(d.Command2);
        EXPECT_EQ(postedAfterStart(data()), expectedPostings(year.toInt(), shown));
        click(d.Command1);
    }
}

// Enter on the focused "Budgetera ovanstående" posts the rows shown, once, as
// Space does; the scan gives it the focus.
TEST_F(RentBudgeting, EnterOnTheFocusedPostingButtonPostsTheRowsShown) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(key);
        BudgAltForm& d = openYear(kRent2027);
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        pickRent(d);
        typeAmount(d, 12, "7500");
        ASSERT_EQ(QApplication::focusWidget(), d.Command2);
        QTest::keyClick(QApplication::focusWidget(), key,
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QStringList expected = expectedPostings(2027, kRent2027.days);
        expected.last() = "2027-12-31 -7500";
        EXPECT_EQ(postedAfterStart(data()), expected);
        EXPECT_FALSE(d.Command2->isEnabled());
        click(d.Command1);
    }
}

// A template amount that is no number: its row stays empty, the damage is
// reported naming the record, and the other months are posted.
TEST_F(RentBudgeting, ADamagedTemplateAmountIsReportedAndNothingPostedForIt) {
    BudgAltForm& d = openYear(kRent2027, monthEndRent("7000", 3));
    answer({Answer::Yes, Answer::No}); // budget it; no error report
    pickTransaction(d, "Hyra");
    EXPECT_TRUE(titles().contains("Felspec. = Type mismatch"));
    EXPECT_TRUE(Module1.FelText.contains("\nFelet finns i B-mall, post 3\n"))
        << Module1.FelText.toStdString();
    QStringList expected = kRent2027.days;
    expected[2].clear();
    EXPECT_EQ(days(d), expected);
    EXPECT_EQ(d.amountBox[3]->text(), "");
    ASSERT_TRUE(d.Command2->isEnabled());
    click(d.Command2);
    EXPECT_EQ(postedAfterStart(data()), expectedPostings(2027, expected));
    click(d.Command1);
}

// What is typed or pasted into a month's box is read as every amount box
// reads it, then taken in whole kronor: a full stop (the keypad's too) is the
// decimal comma and a bank page's groups are read whole. Nothing typed is
// dropped, so digits never join across a refused key: a text the rows cannot
// take, a sign among them, is refused at Enter and stays to be corrected. A
// template amount below zero is not placed but named.
TEST_F(Budgeting, WhatIsTypedIntoAMonthIsTakenAsTypedOrRefusedAndKeptForCorrecting) {
    startBudget({{"2026-01-01", 1, "0", "0"}}, {{"Kontostart", " "}, {"El", "-"}},
                test::mallRows({{"2", "-10", "10", "15", "  "}, {"2", "20", "11", "16", "  "}}));
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes});
    pickTransaction(d, "El");
    EXPECT_EQ(titles(), QStringList({"Budgetera transaktion", "Negativt mallbelopp"}));
    EXPECT_TRUE(lastBox().text.contains("Oktober: -10")) << lastBox().text.toStdString();
    EXPECT_EQ(days(d).mid(9, 2), QStringList({"", "16"}));
    for (int m = 1; m <= 12; ++m) {
        const budget::BoxAmount a = budget::readBoxAmount(d.amountBox[size_t(m)]->text());
        EXPECT_TRUE(a.kind == budget::BoxAmount::Kind::Whole ||
                    a.kind == budget::BoxAmount::Kind::Empty)
            << d.amountBox[size_t(m)]->text().toStdString();
    }
    const QByteArray before = data();

    const struct {
        int month;
        const char* day;                       // chosen for the month first, if any
        bool replace;                          // the box's text selected first
        std::function<void(QLineEdit*)> enter; // what the user does in the box
        const char* shown;                     // the box after Enter
        const char* refused;                   // the box's title, if any
    } steps[] = {
        {10, "15", true, [](QLineEdit* box) { QTest::keyClicks(box, "-950"); }, "-950",
         "Belopp utan tecken"},
        {10, nullptr, true,
         [](QLineEdit* box) {
             QTest::keyClicks(box, "950");
             QTest::keyClick(box, Qt::Key_Period, Qt::KeypadModifier);
             QTest::keyClick(box, Qt::Key_5, Qt::KeypadModifier);
         },
         "  950", nullptr},
        {11, nullptr, false,
         [](QLineEdit* box) {
             QTest::keyClick(box, Qt::Key_End);
             QTest::keyClicks(box, "-5x");
         },
         "  20-5x", "Inget belopp"},
        {11, nullptr, true, [](QLineEdit* box) { QTest::keyClicks(box, "1200.5"); }, " 1 200",
         nullptr},
        {12, "01", true, [](QLineEdit* box) { QTest::keyClicks(box, "12a5"); }, "12a5",
         "Inget belopp"},
        {12, nullptr, true,
         [](QLineEdit* box) {
             QGuiApplication::clipboard()->setText(QString::fromUtf8("1.234,50"));
             QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
         },
         " 1 234", nullptr},
    };
    for (const auto& s : steps) {
        QLineEdit* box = d.amountBox[size_t(s.month)];
        SCOPED_TRACE(testing::Message() << "month " << s.month << " to '" << s.shown << "'");
        if (s.day)
            chooseDay(d, s.month, s.day);
        click(box);
        if (s.replace)
            box->selectAll();
        s.enter(box);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->text(), s.shown);
        EXPECT_EQ(titles(), s.refused ? QStringList{s.refused} : QStringList{});
        if (s.refused) {
            EXPECT_EQ(d.focusWidget(), box);
            EXPECT_FALSE(d.Command2->isEnabled());
        }
        EXPECT_EQ(data(), before);
    }
    EXPECT_EQ(d.MonthList[10][2], "-950");
    EXPECT_EQ(d.MonthList[11][2], "-1200");
    EXPECT_EQ(d.MonthList[12][2], "-1234");
    ASSERT_TRUE(d.Command2->isEnabled());
    click(d.Command2);
    EXPECT_EQ(postedAfterStart(data()),
              QStringList({"2026-10-15 -950", "2026-11-16 -1200", "2026-12-01 -1234"}));
    click(d.Command1);
}

// The boxes take whole kronor; an amount with more decimals than an amount
// has is refused at Enter and nothing is posted until it is corrected.
TEST_F(Budgeting, AnAmountWithMoreThanTwoDecimalsIsRefusedAndStaysForCorrecting) {
    startBudget({{"2026-01-01", 1, "0", "0"}}, {{"Kontostart", " "}, {"Ränta", "+"}},
                test::mallRows({{"2", "20", "11", "16", "  "}}));
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes});
    pickTransaction(d, "Ränta");
    titles();
    ASSERT_TRUE(d.Command2->isEnabled());
    const QByteArray before = data();

    typeAmount(d, 11, "20,125");
    EXPECT_EQ(titles(), QStringList{"För många decimaler"});
    QLineEdit* box = d.amountBox[11];
    EXPECT_EQ(box->text(), "20,125");
    EXPECT_EQ(d.focusWidget(), box);
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_FALSE(d.Command6->isEnabled());
    EXPECT_EQ(data(), before);

    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, "6");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(titles(), QStringList{});
    EXPECT_EQ(box->text(), "  21");
    ASSERT_TRUE(d.Command2->isEnabled());
    click(d.Command2);
    EXPECT_EQ(postedAfterStart(data()), QStringList({"2026-11-16 21"}));
    click(d.Command1);
}

// A second run of a transaction over months that already hold its postings
// asks first, naming them; No posts nothing and leaves the rows for another try.
TEST_F(Budgeting, ARunOverMonthsThatHoldTheTransactionAsksFirst) {
    startBudget(
        {{"2026-01-01", 1, "0", "0"}}, {{"Kontostart", " "}, {"Pension", "+"}},
        test::mallRows({{"2", "18440", "10", "23", "  "}, {"2", "18440", "11", "23", "  "}}));
    BudgAltForm& d = openBudgeting();
    answer({Answer::Yes});
    pickTransaction(d, "Pension");
    ASSERT_TRUE(d.Command2->isEnabled());
    click(d.Command2);
    EXPECT_EQ(postedAfterStart(data()), QStringList({"2026-10-23 18440", "2026-11-23 18440"}));
    EXPECT_EQ(titles(), QStringList{"Budgetera transaktion"}); // months of its own: no question

    // December by hand beside the months the template fills again.
    answer({Answer::Yes});
    pickTransaction(d, "Pension");
    chooseDay(d, 12, "21");
    typeAmount(d, 12, "18440");
    titles();
    const QByteArray before = data();
    const QStringList rows = days(d);
    answer({Answer::No});
    ASSERT_TRUE(d.Command2->isEnabled());
    click(d.Command2);
    EXPECT_EQ(titles(), QStringList{"Redan budgeterade månader"});
    EXPECT_EQ(lastBox().text,
              "Transaktionen Pension har redan poster i oktober och november 2026.\n\n"
              "Vill du ändå lägga in ovanstående poster, också i dessa månader ?");
    EXPECT_EQ(lastBox().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(data(), before);
    EXPECT_EQ(days(d), rows);
    EXPECT_TRUE(d.Command2->isEnabled());

    // Yes posts the rows as they stand.
    answer({Answer::Yes});
    click(d.Command2);
    EXPECT_EQ(titles(), QStringList{"Redan budgeterade månader"});
    EXPECT_EQ(postedAfterStart(data()),
              QStringList({"2026-10-23 18440", "2026-10-23 18440", "2026-11-23 18440",
                           "2026-11-23 18440", "2026-12-21 18440"}));
    click(d.Command1);
}

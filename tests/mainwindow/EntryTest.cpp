// The entry rows: typed amounts and how Enter cleans them, the transaction
// lists and option buttons, the budget row's two amounts, and a fund
// account's balance entry.
#include "core/Paths.h"
#include "core/SafeWriteTesting.h"
#include "mainwindow/WindowDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::rec;
using fyn::test::records;
using platform::Answer;

namespace {

class Entry : public test::WindowTest {
protected:
    HeadForm& simple() {
        return start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                    rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                                    rec(test::enkel("2026-06-01", "3", "-500", "1000"))}));
    }
    HeadForm& budgetAccount() {
        return start(account(
            "Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                   rec(test::budget("2026-03-01", "2", "1500", "1400", "1500", "1400", "-100"))}));
    }
};

// ---- Cleaning a typed amount -----------------------------------------------------------

// What happens at Enter.
enum class Outcome {
    Armed,   // "Lägg in" waits with the amount
    Refused, // no amount: the text stays to be corrected, nothing armed
    Limit,   // over the limit: the entry is undone
};

struct Typed {
    const char* typed;
    bool pasted;       // put in with Ctrl+V, as from a bank's page
    const char* trans; // income "Insättning" or expense "Uttag"
    Outcome outcome;
    const char* shown; // the box after Enter
    const char* text;  // the cleaned amount kept for the posting
    const char* box;   // the box shown, if any
};

// Puts text into a box as a user does: typed key by key, or pasted.
void enter(QLineEdit* box, const QString& text, bool pasted) {
    if (pasted) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(box, text);
    }
    QTest::keyClick(box, Qt::Key_Return);
}

TEST_F(Entry, EnterCleansTheAmountOrRefusesIt) {
    using O = Outcome;
    const char* zero = "Nollbelopp eller andra tecken";
    const char* none = "Inget belopp";
    const char* limit = "Överskriden max-nivå";
    const Typed cases[] = {
        {"1.5", false, "Insättning", O::Armed, "1,50", "1,5", nullptr},
        {"1200.5", false, "Uttag", O::Armed, "-1 200,50", "-1200,5", nullptr},
        {"12 500", false, "Insättning", O::Armed, "12 500,00", "12500", nullptr},
        {"-500", false, "Insättning", O::Armed, "500,00", "500", nullptr}, // "-" sets no sign
        {"500", false, "Uttag", O::Armed, "-500,00", "-500", nullptr},
        {",75", false, "Uttag", O::Armed, "-0,75", "-,75", nullptr},
        {"99999999,49", false, "Insättning", O::Armed, "99 999 999,49", "99999999,49", nullptr},
        {"1.234,50", false, "Insättning", O::Armed, "1 234,50", "1234,50", nullptr},
        {"1.234,50", true, "Uttag", O::Armed, "-1 234,50", "-1234,50", nullptr},
        {"1\u00a0234,50", true, "Insättning", O::Armed, "1 234,50", "1234,50", nullptr},
        {"\u22121\u202f234,50\n", true, "Uttag", O::Armed, "-1 234,50", "-1234,50", nullptr},
        {"", false, "Insättning", O::Armed, "0,00", "0,00", zero}, // Enter as the first key
        {"", false, "Uttag", O::Armed, "-0,00", "-0,00", zero},
        {"12a", false, "Insättning", O::Refused, "12a", "", none},
        {"1 234,50 kr", true, "Uttag", O::Refused, "1 234,50 kr", "", none},
        {"1,234,5", false, "Insättning", O::Refused, "1,234,5", "", none},
        {",", false, "Insättning", O::Refused, ",", "", none},
        {"--5", false, "Insättning", O::Refused, "--5", "", none},
        {"5-", false, "Insättning", O::Refused, "5-", "", none},
        {"99 999 999,50", false, "Insättning", O::Limit, "", "", limit}, // rounds to 100 000 000
        {"100000000", false, "Uttag", O::Limit, "", "", limit},
        {"123456789012345678901234567890", false, "Insättning", O::Limit, "", "", limit},
    };
    HeadForm& f = simple();
    const QByteArray before = data();
    for (const Typed& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.typed << "' " << c.trans);
        ASSERT_TRUE(choose(c.trans));
        enter(f.Bel_Enkel, QString::fromUtf8(c.typed), c.pasted);
        EXPECT_EQ(f.Bel_Enkel->text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(f.VerklBelText, c.text);
        EXPECT_EQ(titles(), c.box ? QStringList{c.box} : QStringList{});
        switch (c.outcome) {
        case O::Limit:
            // Refused before anything is stored; the entry is undone.
            EXPECT_EQ(Module1.BelEditFlag, 0);
            EXPECT_EQ(Module1.Avb, "");
            EXPECT_EQ(f.Command2->text(), "Flytta");
            EXPECT_TRUE(f.Bel_Enkel->isReadOnly());
            break;
        case O::Refused:
            // The entry waits for the corrected amount, with nothing armed.
            EXPECT_EQ(Module1.BelEditFlag, 1);
            EXPECT_EQ(Module1.Avb, "cbonomark");
            EXPECT_FALSE(f.Command2->isEnabled());
            EXPECT_EQ(f.focusWidget(), f.Bel_Enkel);
            f.Command3_Click();
            break;
        case O::Armed:
            EXPECT_EQ(Module1.BelEditFlag, 0);
            EXPECT_EQ(Module1.Avb, "cbonomark");
            EXPECT_EQ(Module1.EditMode, "inl");
            EXPECT_EQ(f.Command2->text(), "Lägg in");
            EXPECT_TRUE(f.Command2->isEnabled());
            f.Command3_Click();
            break;
        }
    }
    EXPECT_EQ(data(), before);
}

// An amount with more decimals than the boxes show is refused before anything
// is stored, in every box where one is typed, and stays there to be corrected.
TEST_F(Entry, AnAmountWithMoreThanTwoDecimalsIsRefusedAndStaysForCorrecting) {
    const char* decimals = "För många decimaler";
    const struct {
        const char* what;
        bool budgetKind;
        bool marked; // the amount of a posting clicked in the grid
        QLineEdit* HeadForm::*box;
        const char* corrected; // the box once "12,35" is taken
        QByteArray after;      // the account once the corrected amount is in
    } cases[] = {
        {"a new posting", false, false, &HeadForm::Bel_Enkel, "-12,35",
         records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                  rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                  rec(test::enkel("2026-06-01", "3", "-500", "1000")),
                  rec(test::enkel("2026-12-09", "3", "-12,35", "987,65"))})},
        {"a changed posting", false, true, &HeadForm::Bel_Enkel, "12,35",
         records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                  rec(test::enkel("2026-03-01", "2", "12,35", "12,35")),
                  rec(test::enkel("2026-06-01", "3", "-500", "-487,65"))})},
        {"a budget amount", true, false, &HeadForm::BudgBel_Budget, "-12,35",
         records({rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                  rec(test::budget("2026-03-01", "2", "1500", "1400", "1500", "1400", "-100")),
                  rec(test::budget("2026-12-09", "3", "-12,35", "-12,35", "1487,65", "1387,65",
                                   "-100"))})},
        {"an actual amount", true, false, &HeadForm::VerklBel_Budget, "-12,35",
         records({rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                  rec(test::budget("2026-03-01", "2", "1500", "1400", "1500", "1400", "-100")),
                  rec(test::budget("2026-12-09", "3", "-10", "-12,35", "1490", "1387,65",
                                   "-102,35"))})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        ledger::account().closeAll();
        HeadForm& f = c.budgetKind ? budgetAccount() : simple();
        QLineEdit* box = f.*c.box;
        const QByteArray before = data();
        if (c.marked)
            clickRow(1);
        else
            ASSERT_TRUE(choose("Uttag"));
        if (c.box == &HeadForm::VerklBel_Budget)
            type(f.BudgBel_Budget, "10"); // the actual amount opens after the budget amount
        QTest::mouseClick(box, Qt::LeftButton);
        retype(box, "12,345");
        EXPECT_EQ(titles(), QStringList{decimals});
        EXPECT_EQ(lastBox().text, "Beloppet har fler än två decimaler !\n"
                                  "Rätta beloppet till kronor och ören och tryck ENTER.");
        EXPECT_EQ(box->text(), "12,345");
        EXPECT_FALSE(f.Command2->isEnabled() && f.Command2->text() != "Flytta")
            << f.Command2->text().toStdString();
        EXPECT_EQ(data(), before);

        // The text stays to be corrected where it stands.
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, "5");
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(titles(), QStringList{});
        EXPECT_EQ(box->text(), c.corrected);
        ASSERT_TRUE(f.Command2->isEnabled());
        if (c.marked)
            fakes.messages->answers = {Answer::Yes};
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        titles();
        EXPECT_EQ(data(), c.after);
    }
}

// A neutral transaction has no sign of its own: the one typed stays, also
// when a negative posting is changed.
TEST_F(Entry, ANeutralTransactionKeepsTheTypedSign) {
    test::FixtureAccount a = account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                            rec(test::enkel("2026-03-01", "4", "-25", "-25")),
                                            rec(test::enkel("2026-06-01", "2", "100", "75"))});
    a.trans.push_back({"Ändrad kurs", " "});
    HeadForm& f = start(a);
    clickRow(1);
    retype(f.Bel_Enkel, "-30");
    EXPECT_EQ(f.Bel_Enkel->text(), "-30,00");
    fakes.messages->answers = {Answer::Yes};
    f.Command2->click();
    EXPECT_EQ(lastBox().text,
              "Vill du ändra tidigare:\nVerkl. beloppet:  - 25,00  till  - 30,00  ?");
    EXPECT_EQ(data(), records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                               rec(test::enkel("2026-03-01", "4", "-30", "-30")),
                               rec(test::enkel("2026-06-01", "2", "100", "70"))}));

    pick("Ändrad kurs");
    type(f.Bel_Enkel, "-40");
    EXPECT_EQ(f.VerklBelText, "-40");
    f.Command3_Click();
    pick("Ändrad kurs");
    type(f.Bel_Enkel, "40");
    EXPECT_EQ(f.VerklBelText, "40");
}

TEST_F(Entry, AZeroAmountIsStoredAsANumber) {
    HeadForm& f = budgetAccount();
    pick("Uttag");
    type(f.BudgBel_Budget, "");
    f.Command2->click();
    EXPECT_EQ(data().mid(2 * 77),
              rec(test::budget("2026-12-09", "3", "-0,00", "-0,00", "1500", "1400", "-100")));
}

TEST_F(Entry, EnterDoesNothingWithoutATransaction) {
    HeadForm& f = simple();
    QTest::keyClicks(f.Bel_Enkel, "12"); // locked: nothing is typed
    QTest::keyClick(f.Bel_Enkel, Qt::Key_Return);
    EXPECT_EQ(f.Bel_Enkel->text(), "");
    EXPECT_EQ(f.VerklBelText, "");
    EXPECT_EQ(Module1.EditMode, "flt");
    EXPECT_TRUE(titles().isEmpty());
}

// ---- The budget row's two amounts ------------------------------------------------------

TEST_F(Entry, BudgetAmountFillsTheActualAmountUnlessItIsTypedAfter) {
    HeadForm& f = budgetAccount();
    pick("Uttag");
    EXPECT_FALSE(f.BudgBel_Budget->isReadOnly());
    type(f.BudgBel_Budget, "300");
    EXPECT_EQ(f.BudgBelText, "-300");
    EXPECT_EQ(f.VerklBelText, "-300");
    EXPECT_EQ(f.VerklBel_Budget->text(), "-300,00");
    EXPECT_EQ(f.Command2->text(), "Lägg in");

    // The actual amount may differ; the budget amount stays.
    type(f.VerklBel_Budget, "280,5");
    EXPECT_EQ(f.VerklBelText, "-280,5");
    EXPECT_EQ(f.BudgBelText, "-300");
    EXPECT_EQ(f.BudgBel_Budget->text(), "-300,00");

    f.Command2->click();
    EXPECT_EQ(data().mid(2 * 77),
              rec(test::budget("2026-12-09", "3", "-300", "-280,5", "1200", "1119,5", "-80,5")));
}

// Both amount boxes are open once the transaction is chosen, and each takes
// what is typed or pasted into it; an actual amount put in first leaves the
// budget amount at 0.
TEST_F(Entry, EachBudgetAmountBoxTakesWhatIsTypedOrPastedIntoIt) {
    const struct {
        const char* first; // typed into the budget amount first, if anything
        QLineEdit* HeadForm::*box;
        const char* text;
        bool pasted;
        QByteArray posted;
    } cases[] = {
        {nullptr, &HeadForm::VerklBel_Budget, "1234,50", false,
         rec(test::budget("2026-12-09", "3", "-0", "-1234,50", "1500", "165,5", "-1334,5"))},
        {nullptr, &HeadForm::BudgBel_Budget, "1.234,50", true,
         rec(test::budget("2026-12-09", "3", "-1234,50", "-1234,50", "265,5", "165,5", "-100"))},
        {nullptr, &HeadForm::BudgBel_Budget, "1\u00a0234,50", true,
         rec(test::budget("2026-12-09", "3", "-1234,50", "-1234,50", "265,5", "165,5", "-100"))},
        {"1000", &HeadForm::VerklBel_Budget, "1\u202f234.5", true,
         rec(test::budget("2026-12-09", "3", "-1000", "-1234,5", "500", "165,5", "-334,5"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text);
        form.reset();
        ledger::account().closeAll();
        HeadForm& f = budgetAccount();
        const QByteArray before = data();
        QLineEdit* box = f.*c.box;
        ASSERT_TRUE(choose("Uttag"));
        EXPECT_FALSE(f.BudgBel_Budget->isReadOnly());
        EXPECT_FALSE(f.VerklBel_Budget->isReadOnly());
        if (c.first) {
            QTest::mouseClick(f.BudgBel_Budget, Qt::LeftButton);
            type(f.BudgBel_Budget, c.first);
        }
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        enter(box, QString::fromUtf8(c.text), c.pasted);
        EXPECT_EQ(titles(), QStringList{});
        ASSERT_TRUE(f.Command2->isEnabled());
        EXPECT_EQ(f.Command2->text(), "Lägg in");
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        EXPECT_EQ(data(), before + c.posted);
    }
}

// A box that takes no amount looks locked, and its keys start nothing.
TEST_F(Entry, ALockedAmountBoxLooksLockedAndItsKeysStartNothing) {
    HeadForm& f = budgetAccount();
    const QColor locked = f.style()->standardPalette().color(QPalette::Window);
    for (QLineEdit* box : {f.BudgBel_Budget, f.VerklBel_Budget}) {
        SCOPED_TRACE(box->objectName().toStdString());
        ASSERT_TRUE(box->isReadOnly());
        EXPECT_EQ(box->palette().color(QPalette::Base), locked);
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClicks(box, "12");
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(Module1.BelEditFlag, 0);
        EXPECT_EQ(f.Command2->text(), "Flytta");
        EXPECT_TRUE(titles().isEmpty());
    }
    ASSERT_TRUE(choose("Uttag"));
    for (QLineEdit* box : {f.BudgBel_Budget, f.VerklBel_Budget})
        EXPECT_NE(box->palette().color(QPalette::Base), locked) << box->objectName().toStdString();
}

// ---- The lists -------------------------------------------------------------------------

TEST_F(Entry, ListsSkipBlankNamesAndKeepTheirRecordNumbers) {
    test::FixtureAccount a = account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0"))});
    a.trans = {{"Kontostart", " "}, {"", " "}, {"Uttag", "-"}, {"Lön", "+"}};
    a.kategori = {"Mat", "", "Hyra"};
    HeadForm& f = start(a);
    QComboBox* c = f.TransCombo_Enkel;
    ASSERT_EQ(c->count(), 3);
    EXPECT_EQ(c->itemText(2), "Lön");
    EXPECT_EQ(c->itemData(2).toInt(), 4);
    EXPECT_EQ(c->placeholderText(), "Välj en huvudtransaktion från listan  !");
    pick("Lön");
    EXPECT_EQ(Module1.TransNr, 4);
    EXPECT_EQ(Module1.HuvudTrans, "Lön");
    EXPECT_EQ(Module1.TransTecken, "+");
    EXPECT_EQ(f.TransText_Enkel->text(), "Lön");

    QTest::mouseClick(f.S_TransOptionEnk, Qt::LeftButton);
    EXPECT_TRUE(f.S_TransOptionEnk->isChecked());
    EXPECT_FALSE(f.H_TransOptionEnk->isChecked());
    EXPECT_EQ(Module1.SOptEnk, "1");
    EXPECT_EQ(Module1.HOptEnk, "0");
    ASSERT_EQ(c->count(), 2);
    EXPECT_EQ(c->itemText(1), "Hyra");
    EXPECT_EQ(c->itemData(1).toInt(), 3);
    EXPECT_EQ(c->placeholderText(), "Välj en subtransaktion från listan !");
    EXPECT_EQ(f.TransText_Enkel->text(), "Lön"); // no subtransaction chosen yet

    QTest::mouseClick(f.H_TransOptionEnk, Qt::LeftButton);
    EXPECT_EQ(c->count(), 3);
    EXPECT_EQ(Module1.HOptEnk, "1");
}

TEST_F(Entry, AnEmptySubListSaysSo) {
    test::FixtureAccount a =
        account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))});
    a.kategori = {};
    HeadForm& f = start(a);
    QTest::mouseClick(f.S_TransOptionBudg, Qt::LeftButton);
    EXPECT_EQ(f.TransCombo_Budget->count(), 0);
    EXPECT_EQ(f.TransCombo_Budget->placeholderText(), "Listan subtransaktioner är tom !");
}

TEST_F(Entry, ASubtransactionGoesWithTheNextPostingOnly) {
    HeadForm& f = simple();
    QTest::mouseClick(f.S_TransOptionEnk, Qt::LeftButton);
    pick("Hyra");
    EXPECT_EQ(Module1.SubTransNr, 2);
    EXPECT_EQ(f.TransText_Enkel->text(), "Hyra");
    EXPECT_EQ(Module1.Avb, "cbonomark");
    EXPECT_FALSE(f.Command2->isEnabled()); // nothing to insert yet
    EXPECT_FALSE(f.Combo3->isEnabled());

    QTest::mouseClick(f.H_TransOptionEnk, Qt::LeftButton);
    pick("Uttag");
    type(f.Bel_Enkel, "40");
    f.Command2->click();
    EXPECT_EQ(data().mid(3 * 43), rec(test::enkel("2026-12-09", "3", "-40", "960", " ", "2")));

    // An entry begun with a subtransaction and cancelled leaves none behind.
    QTest::mouseClick(f.S_TransOptionEnk, Qt::LeftButton);
    pick("Mat");
    f.Command3_Click();
    EXPECT_EQ(Module1.SubTransNr, 0);
    EXPECT_EQ(Module1.HOptEnk, "1"); // back to the main list
    EXPECT_EQ(f.TransCombo_Enkel->count(), 3);
    pick("Uttag");
    type(f.Bel_Enkel, "10");
    f.Command2->click();
    EXPECT_EQ(data().mid(4 * 43), rec(test::enkel("2026-12-09", "3", "-10", "950")));
}

TEST_F(Entry, SubtransactionIntoAMarkedPostingAsksFirst) {
    HeadForm& f = simple();
    const QByteArray before = data();
    struct Case {
        Answer answer;
        QString title;
        QByteArray record2;
    } cases[] = {
        {Answer::No, "Ny subtransaktion i post",
         rec(test::enkel("2026-03-01", "2", "1500", "1500"))},
        {Answer::Yes, "Ny subtransaktion i post",
         rec(test::enkel("2026-03-01", "2", "1500", "1500", " ", "1"))},
        {Answer::Yes, "Ändrad subtransaktion i post",
         rec(test::enkel("2026-03-01", "2", "1500", "1500", " ", "2"))},
    };
    const char* chosen[] = {"Mat", "Mat", "Hyra"};
    QTest::mouseClick(f.S_TransOptionEnk, Qt::LeftButton);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        clickRow(1);
        fakes.messages->answers = {cases[i].answer};
        const int at = f.TransCombo_Enkel->findText(chosen[i]);
        f.TransCombo_Enkel->setCurrentIndex(at);
        f.TransCombo_Enkel_Click();
        EXPECT_EQ(titles(), QStringList{cases[i].title});
        EXPECT_EQ(data().mid(43, 43), cases[i].record2);
        EXPECT_EQ(data().left(43), before.left(43));
        EXPECT_EQ(Module1.Avb, cases[i].answer == Answer::No ? "" : "mkg1");
        Module1.CancelFlag = "1";
        f.Command3_Click();
    }
    EXPECT_EQ(lastBox().text, "Vill du ersätta texten:\n\nMat\n\nmed texten:\n\nHyra\n\n"
                              "för att förtydliga transaktionen ?");
}

// A subtransaction added to a posting already entered, as a user does it:
// the posting marked with a click on its row, "Subtrans." chosen, a name
// picked from the list and the question answered. The main list stays greyed
// while a posting is marked; a swap has its own road.
class MarkedPosting : public test::WindowTest, public testing::WithParamInterface<const char*> {
protected:
    bool bg() const { return QString(GetParam()) == "Bg"; }
    // The third posting has "Mat" (1) already.
    QByteArray posting(int i, const QString& subRef = "") const {
        const char* date[] = {"2026-01-01", "2026-03-01", "2026-06-01"};
        const char* ref[] = {"1", "2", "3"};
        const char* amount[] = {"0", "1500", "-500"};
        const char* saldo[] = {"0", "1500", "1000"};
        return bg() ? rec(test::budget(date[i], ref[i], amount[i], amount[i], saldo[i], saldo[i],
                                       "0", "*", " ", subRef))
                    : rec(test::enkel(date[i], ref[i], amount[i], saldo[i], " ", subRef));
    }
    QRadioButton* subOption() const {
        return bg() ? form->S_TransOptionBudg : form->S_TransOptionEnk;
    }
    QRadioButton* mainOption() const {
        return bg() ? form->H_TransOptionBudg : form->H_TransOptionEnk;
    }
    void esc() {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), Qt::Key_Escape);
    }
    QString mark() const { return bg() ? "mkg2" : "mkg1"; }
};

INSTANTIATE_TEST_SUITE_P(Kinds, MarkedPosting, testing::Values("Ek", "Bg"));

TEST_P(MarkedPosting, ASubtransactionIsAddedToItByMouseAndKeys) {
    HeadForm& f = start(account(GetParam(), {posting(0), posting(1), posting(2, "1")}));
    const QByteArray names =
        readFile(accountFile(name, "Transakt")) + "|" + readFile(accountFile(name, "Kategori"));
    const QString purpose =
        bg() ? "för att precisera transaktionen ?" : "för att komplettera transaktionen ?";
    const QString sep = bg() ? "\n" : "\n\n";

    // Added on Yes: the reference written at the marked record, nothing else.
    clickRow(1);
    ASSERT_EQ(Module1.Avb, mark());
    EXPECT_FALSE(combo()->isEnabled());
    QTest::mouseClick(subOption(), Qt::LeftButton);
    EXPECT_TRUE(combo()->isEnabled());
    EXPECT_EQ(Module1.Avb, mark());
    safewrite_testing::armCrash(-1, false);
    fakes.messages->answers = {Answer::Yes};
    ASSERT_TRUE(choose("Hyra"));
    EXPECT_EQ(titles(), QStringList{"Ny subtransaktion i post"});
    EXPECT_EQ(lastBox().text, "Vill du lägga in subtransaktionen" + sep + "Hyra" + sep + purpose);
    EXPECT_GT(safewrite_testing::pointsPassed(), 0); // a commit of the safe writes
    EXPECT_EQ(data(), posting(0) + posting(1, "2") + posting(2, "1"));
    EXPECT_EQ(f.MarkRecord, 2);
    EXPECT_EQ(Module1.Avb, mark()); // still marked: one Esc ends it
    esc();
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRecord, 0);

    // Replaced on Yes, the sub list still shown.
    clickRow(2);
    EXPECT_TRUE(combo()->isEnabled());
    fakes.messages->answers = {Answer::Yes};
    ASSERT_TRUE(choose("Hyra"));
    EXPECT_EQ(titles(), QStringList{"Ändrad subtransaktion i post"});
    EXPECT_EQ(data(), posting(0) + posting(1, "2") + posting(2, "2"));
    // While the posting's amount changes, the list waits.
    QTest::keyClick(firstBox(), Qt::Key_4);
    EXPECT_EQ(Module1.Avb, "chg");
    EXPECT_FALSE(combo()->isEnabled());
    esc(); // back to the marking
    EXPECT_EQ(Module1.Avb, mark());
    EXPECT_TRUE(combo()->isEnabled());
    esc();

    // No: the marking cleared and the date reset, the file as it was.
    const QByteArray added = data();
    clickRow(1);
    Module1.WorkDate = "2026-05-05";
    fakes.messages->answers = {Answer::No};
    ASSERT_TRUE(choose("Mat"));
    EXPECT_EQ(titles(), QStringList{"Ändrad subtransaktion i post"});
    EXPECT_EQ(data(), added);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRecord, 0);
    EXPECT_EQ(f.MarkRow, -1);
    EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
    EXPECT_EQ(f.Command3->text(), "Avbryt");

    // The main list, chosen while a posting is marked, is greyed again.
    clickRow(1);
    QTest::mouseClick(mainOption(), Qt::LeftButton);
    EXPECT_FALSE(combo()->isEnabled());
    EXPECT_FALSE(choose("Uttag"));
    esc();
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_TRUE(combo()->isEnabled());
    EXPECT_EQ(readFile(accountFile(name, "Transakt")) + "|" +
                  readFile(accountFile(name, "Kategori")),
              names);
}

TEST_F(Entry, OpeningTheListClearsTheChoiceUnlessAPostingIsMarked) {
    HeadForm& f = simple();
    pick("Uttag");
    f.TransCombo_Enkel->showPopup();
    f.TransCombo_Enkel->hidePopup();
    EXPECT_EQ(Module1.HuvudTrans, "");
    EXPECT_EQ(f.TransText_Enkel->text(), "");
    EXPECT_TRUE(f.Bel_Enkel->isReadOnly());
    EXPECT_EQ(f.Command2->text(), "Flytta");
    f.Command3_Click();

    clickRow(2);
    f.TransCombo_Enkel_DropDown();
    EXPECT_EQ(Module1.HuvudTrans, "Uttag");
    EXPECT_EQ(f.TransText_Enkel->text(), "Uttag");
}

// ---- Help texts ---------------------------------------------------------------------------

TEST_F(Entry, AmountBoxHelpFollowsTheEntry) {
    HeadForm& f = simple();
    struct Case {
        const char* when;
        std::function<void()> to;
        const char* tip;
    } cases[] = {
        {"idle", [] {}, "Transaktion ej vald !"},
        {"transaction chosen", [&] { pick("Uttag"); }, "Skriv in beloppet"},
        {"typing", [&] { QTest::keyClick(f.Bel_Enkel, Qt::Key_4); }, "Avsluta med ENTER !"},
        {"marked",
         [&] {
             f.Command3_Click();
             clickRow(1);
         },
         "Beloppet kan ändras !"},
        {"changing", [&] { QTest::keyClick(f.Bel_Enkel, Qt::Key_4); }, "Ändra och tryck ENTER !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        c.to();
        f.Bel_Enkel_MouseMove();
        EXPECT_EQ(f.Label29->text(), "Belopp");
        EXPECT_EQ(f.Bel_Enkel->toolTip(), c.tip);
    }
    f.HelpHold = 1;
    f.Label29->clear();
    f.Bel_Enkel_MouseMove();
    EXPECT_EQ(f.Label29->text(), "");
}

// ---- A fund account's balance entry --------------------------------------------------------

class BalanceEntry : public Entry {
protected:
    // The state the fund-account start leaves: its standard transaction
    // chosen and the amount box waiting for the new balance.
    HeadForm& begin(const QString& tecken, const QString& accountName = "Fond") {
        test::FixtureAccount a =
            account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                           rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                           rec(test::enkel("2026-06-01", "3", "-500", "1000"))});
        a.trans.push_back({"Ändrad kurs", " "});
        a.name = accountName;
        HeadForm& f = start(a);
        Module1.HuvudTrans = "Ändrad kurs";
        Module1.TransNr = 4;
        Module1.TransTecken = tecken;
        f.TransText_Enkel->setText(Module1.HuvudTrans);
        f.Bel_Enkel->setReadOnly(false);
        f.Label11->setText("Nytt Saldo");
        f.Command2->setText("");
        Module1.EditMode = "inl";
        f.Command3->setText("Avbryt Saldo-In");
        Module1.Avb = "saldo";
        f.SaldoInFlag = "1";
        return f;
    }
};

TEST_F(BalanceEntry, TheAmountIsWorkedOutFromTheNewBalance) {
    const struct {
        const char* date;
        const char* tecken;
        const char* balance;
        QStringList boxes;
        QByteArray file; // empty: unchanged
    } cases[] = {
        {"2026-12-09",
         "",
         "1 250,50",
         {"Belopp vid insättning av nytt saldo"},
         records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                  rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                  rec(test::enkel("2026-06-01", "3", "-500", "1000")),
                  rec(test::enkel("2026-12-09", "4", "250,5", "1250,5"))})},
        {"2026-04-01",
         "",
         "-200",
         {"Belopp vid insättning av nytt saldo"},
         records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                  rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                  rec(test::enkel("2026-04-01", "4", "-1700", "-200")),
                  rec(test::enkel("2026-06-01", "3", "-500", "-700"))})},
        // Before every posting: the balance is the amount, and nothing is said.
        {"2025-12-31",
         "",
         "75",
         {},
         records({rec(test::enkel("2025-12-31", "4", "75", "75")),
                  rec(test::enkel("2026-01-01", "1", "0", "75")),
                  rec(test::enkel("2026-03-01", "2", "1500", "1575")),
                  rec(test::enkel("2026-06-01", "3", "-500", "1075"))})},
        {"2026-12-09", "-", "1100", {"Positivt belopp vid utgifts-transaktion"}, {}},
        {"2026-12-09", "+", "900", {"Negativt belopp vid inkomst-transaktion"}, {}},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date << " " << c.balance);
        // Each case on an account of its own.
        form.reset();
        ledger::account().closeAll();
        HeadForm& f = begin(c.tecken, QString("Fond%1").arg(++run));
        const QByteArray before = data();
        setDate(c.date);
        f.Bel_Enkel->setText(c.balance); // pasted
        QTest::mouseClick(f.Bel_Enkel, Qt::LeftButton);
        EXPECT_EQ(f.Command2->text(), "Beräkna");
        EXPECT_EQ(f.NyttSaldoText, c.balance);
        f.Command2->click();
        EXPECT_EQ(titles(), c.boxes);
        EXPECT_EQ(data(), c.file.isEmpty() ? before : c.file);
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_EQ(f.SaldoInFlag, "0");
        EXPECT_EQ(f.Label11->text(), "Belopp");
    }
}

TEST_F(BalanceEntry, TheComputedAmountIsShownBeforeItIsInserted) {
    HeadForm& f = begin("");
    type(f.Bel_Enkel, "1234,5");
    EXPECT_EQ(f.Bel_Enkel->text(), "1 234,50");
    f.Command2->click();
    EXPECT_EQ(lastBox().text, "Framräknat belopp från nytt saldo den 2026-12-09 blir\n\n 234,5");
}

TEST_F(BalanceEntry, ABalanceWithMoreThanTwoDecimalsIsRefusedAndStaysForCorrecting) {
    HeadForm& f = begin("");
    const QByteArray before = data();
    f.Bel_Enkel->setFocus();
    type(f.Bel_Enkel, "1250,505");
    EXPECT_EQ(titles(), QStringList{"För många decimaler"});
    EXPECT_EQ(f.Bel_Enkel->text(), "1250,505");
    EXPECT_NE(f.Command2->text(), "Beräkna");
    EXPECT_EQ(Module1.Avb, "saldo");
    // A pasted balance is read on the mouse's release: refused the same way.
    QTest::mouseClick(f.Bel_Enkel, Qt::LeftButton);
    EXPECT_EQ(titles(), QStringList{"För många decimaler"});
    EXPECT_NE(f.Command2->text(), "Beräkna");

    QTest::keyClick(f.Bel_Enkel, Qt::Key_End);
    QTest::keyClick(f.Bel_Enkel, Qt::Key_Backspace);
    QTest::keyClick(f.Bel_Enkel, Qt::Key_Return);
    EXPECT_EQ(titles(), QStringList{});
    EXPECT_EQ(f.Command2->text(), "Beräkna");
    EXPECT_EQ(f.NyttSaldoText, "1250,50");
    f.Command2->click();
    EXPECT_EQ(data(), records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                               rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                               rec(test::enkel("2026-06-01", "3", "-500", "1000")),
                               rec(test::enkel("2026-12-09", "4", "250,5", "1250,5"))}));
    EXPECT_NE(data(), before);
}

TEST_F(BalanceEntry, ABalanceThatIsNoNumberIsRefusedAndStaysForCorrecting) {
    HeadForm& f = begin("");
    const QByteArray before = data();
    for (const char* typed : {"12a", ""}) {
        SCOPED_TRACE(typed);
        f.Bel_Enkel->selectAll();
        QTest::keyClick(f.Bel_Enkel, Qt::Key_Delete);
        type(f.Bel_Enkel, typed);
        EXPECT_EQ(titles(), QStringList{"Inget belopp"});
        EXPECT_EQ(f.Bel_Enkel->text(), typed);
        EXPECT_NE(f.Command2->text(), "Beräkna");
        EXPECT_EQ(Module1.Avb, "saldo");
    }
    retype(f.Bel_Enkel, "100000000");
    EXPECT_EQ(titles(), QStringList{"Överskriden max-nivå"});
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(data(), before);
}

} // namespace

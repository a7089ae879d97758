// The work modes of the main window: each cycle driven through the real
// window step by step, the cancel button from every mode, and the files each
// finished edit leaves.
#include "mainwindow/PostingGrid.h"
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"
#include "support/AccountFixture.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <functional>

using namespace fyn;
using fyn::test::rec;
using fyn::test::records;
using platform::Answer;

namespace {

// What the window shows of its mode after a step.
struct Modes {
    QString avb;
    QString editMode;
    QString command2;
    bool command2On;
    QString command3;
};

struct Step {
    const char* what;
    std::function<void()> act;
    Modes after;
};

class WorkModes : public test::WindowTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (GetParam())
            start(account(
                "Bg",
                {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                 rec(test::budget("2026-03-01", "2", "1500", "1400", "1500", "1400", "-100")),
                 rec(test::budget("2026-06-01", "3", "-500", "-450", "1000", "950", "-50"))}));
        else
            start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                 rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                                 rec(test::enkel("2026-06-01", "3", "-500", "1000"))}));
    }

    QString mkg() const { return GetParam() ? "mkg2" : "mkg1"; }
    QByteArray first() const {
        return GetParam() ? rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))
                          : rec(test::enkel("2026-01-01", "1", "0", "0"));
    }

    void run(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            s.act();
            const Modes& m = s.after;
            EXPECT_EQ(Module1.Avb, m.avb == "mkg" ? mkg() : m.avb);
            EXPECT_EQ(Module1.EditMode, m.editMode);
            EXPECT_EQ(form->Command2->text(), m.command2);
            EXPECT_EQ(form->Command2->isEnabled(), m.command2On);
            EXPECT_EQ(form->Command3->text(), m.command3);
        }
    }

    const Modes idle{"", "flt", "Flytta", true, "Avbryt"};
};

INSTANTIATE_TEST_SUITE_P(Kinds, WorkModes, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                             return i.param ? std::string("Budget") : std::string("Enkel");
                         });

TEST_P(WorkModes, NewPostingCycle) {
    run({
        {"open", [] {}, idle},
        {"working date", [&] { setDate("2026-04-01"); }, idle},
        {"transaction chosen",
         [&] { pick("Insättning"); },
         {"cbonomark", "flt", "Flytta", true, "Avbryt inmatn."}},
        {"amount typed",
         [&] { type(firstBox(), "250"); },
         {"cbonomark", "inl", "Lägg in", true, "Avbryt inmatn."}},
        {"Lägg in", [&] { form->Command2->click(); }, idle},
    });
    const QByteArray want =
        GetParam()
            ? records({first(),
                       rec(test::budget("2026-03-01", "2", "1500", "1400", "1500", "1400", "-100")),
                       rec(test::budget("2026-04-01", "2", "250", "250", "1750", "1650", "-100")),
                       rec(test::budget("2026-06-01", "3", "-500", "-450", "1250", "1200", "-50"))})
            : records({first(), rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                       rec(test::enkel("2026-04-01", "2", "250", "1750")),
                       rec(test::enkel("2026-06-01", "3", "-500", "1250"))});
    EXPECT_EQ(data(), want);
    EXPECT_EQ(Module1.AntalPoster, 4);
    EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
    EXPECT_TRUE(firstBox()->text().isEmpty());
    EXPECT_TRUE(firstBox()->isReadOnly());
    EXPECT_EQ(combo()->currentIndex(), -1);
    EXPECT_TRUE(form->Combo3->isEnabled());
    EXPECT_TRUE((GetParam() ? form->G2 : form->G1)->isEnabled());
    EXPECT_EQ((GetParam() ? form->G2 : form->G1)->cellText(2, 0), "2026-04-01");
    EXPECT_TRUE(titles().isEmpty()); // no question, no balance fault
}

TEST_P(WorkModes, ChangeCycle) {
    fakes.messages->answers = {Answer::Yes};
    run({
        {"posting marked", [&] { clickRow(1); }, {"mkg", "rem", "Ta bort", true, "Avbryt markera"}},
        {"first key",
         [&] {
             verklBox()->selectAll();
             QTest::keyClick(verklBox(), Qt::Key_1);
         },
         {"chg", "chg", "Ändra", false, "Avbryt ändr."}},
        {"rest and Enter",
         [&] { type(verklBox(), "600"); },
         {"chg", "chg", "Ändra", true, "Avbryt ändr."}},
        {"Ändra, Yes", [&] { form->Command2->click(); }, idle},
    });
    EXPECT_EQ(titles(), QStringList{"Ändring av tidigare belopp"});
    EXPECT_EQ(lastBox().text, "Vill du ändra tidigare:\nVerkl. beloppet:  " +
                                  QString(GetParam() ? "1 400,00" : "1 500,00") +
                                  "  till  1 600,00  ?");
    const QByteArray want =
        GetParam()
            ? records({first(),
                       rec(test::budget("2026-03-01", "2", "1500", "1600", "1500", "1600", "100")),
                       rec(test::budget("2026-06-01", "3", "-500", "-450", "1000", "1150", "150"))})
            : records({first(), rec(test::enkel("2026-03-01", "2", "1600", "1600")),
                       rec(test::enkel("2026-06-01", "3", "-500", "1100"))});
    EXPECT_EQ(data(), want);
    EXPECT_EQ(form->MarkRecord, 0);
}

TEST_P(WorkModes, RemoveCycle) {
    fakes.messages->answers = {Answer::Yes};
    run({
        {"posting marked", [&] { clickRow(1); }, {"mkg", "rem", "Ta bort", true, "Avbryt markera"}},
        {"Ta bort, Yes", [&] { form->Command2->click(); }, idle},
    });
    ASSERT_EQ(titles(), QStringList{"Borttagning av post"});
    EXPECT_EQ(lastBox().text, GetParam() ? "Vill du radera posten med datum: 2026-03-01\n\n"
                                           "Insättning\n\n 1 500,00 kr.,   1 400,00 kr.  ?"
                                         : "Vill du radera posten med datum: 2026-03-01\n\n"
                                           "Insättning\n\n 1 500,00 kr.  ?");
    // The last record keeps its bytes but its date: the file never shrinks.
    const QByteArray want =
        GetParam()
            ? records({first(),
                       rec(test::budget("2026-06-01", "3", "-500", "-450", "-500", "-450", "50")),
                       rec(test::budget("", "3", "-500", "-450", "1000", "950", "-50"))})
            : records({first(), rec(test::enkel("2026-06-01", "3", "-500", "-500")),
                       rec(test::enkel("", "3", "-500", "1000"))});
    EXPECT_EQ(data(), want);
    EXPECT_EQ(Module1.AntalPoster, 2);
}

TEST_P(WorkModes, MoveCycle) {
    fakes.messages->answers = {Answer::Yes};
    const Modes picking{"Fl", "", "Flytta", false, "Avbryt Flytta"};
    run({
        {"Flytta", [&] { form->Command2->click(); }, picking},
        {"a row past the postings picks nothing", [&] { clickRow(5); }, picking},
        {"first row", [&] { clickRow(1); }, picking},
        {"last row (the same), Yes",
         [&] { clickRow(1); },
         {"Fl", "flt", "Nytt datum", true, "Avbryt Flytta"}},
        {"new date",
         [&] { setDate("2026-07-01"); },
         {"Fl", "flt", "Nytt datum", true, "Avbryt Flytta"}},
        {"Nytt datum", [&] { form->Command2->click(); }, idle},
    });
    EXPECT_EQ(titles(), QStringList{"Flytta rader"});
    EXPECT_TRUE(form->MoveState.isEmpty());
    EXPECT_EQ(form->HelpHold, 0);
    const QByteArray want =
        GetParam()
            ? records({first(),
                       rec(test::budget("2026-06-01", "3", "-500", "-450", "-500", "-450", "50")),
                       rec(test::budget("2026-07-01", "2", "1500", "1400", "1000", "950", "-50"))})
            : records({first(), rec(test::enkel("2026-06-01", "3", "-500", "-500")),
                       rec(test::enkel("2026-07-01", "2", "1500", "1000"))});
    EXPECT_EQ(data(), want);
}

// Each mode, then the cancel button as Esc raises it (the click alone) or as
// the mouse does (pressed, then clicked).
struct CancelCase {
    const char* mode;
    bool mouse;
    std::function<void(test::WindowTest&)> enter; // puts the window in the mode
    QString avbAfter;
    QString command2After;
    QString command3After;
};

TEST_P(WorkModes, CancelFromEachMode) {
    auto mark = [this] { clickRow(1); };
    auto changing = [this] {
        clickRow(1);
        type(verklBox(), "77");
    };
    auto moving = [this] { form->Command2->click(); };
    auto moveRange = [this] {
        form->Command2->click();
        clickRow(0);
        fakes.messages->answers = {Answer::Yes};
        clickRow(1);
    };
    auto other = [](const char* avb) {
        return [avb](test::WindowTest&) {
            Module1.Avb = avb;
            Module1.CancelFlag = "1";
        };
    };
    const QByteArray before = data();
    const QString old = GetParam() ? "1 400,00" : "1 500,00";
    const std::vector<CancelCase> cases = {
        {"cbonomark", false, [this](auto&) { pick("Uttag"); }, "", "Flytta", "Avbryt"},
        {"cbonomark, amount typed", true,
         [this](auto&) {
             pick("Uttag");
             type(firstBox(), "40");
         },
         "", "Flytta", "Avbryt"},
        {"marked", false, [&](auto&) { mark(); }, "", "Flytta", "Avbryt"},
        {"marked", true, [&](auto&) { mark(); }, "", "Flytta", "Avbryt"},
        // Esc brings the old amount back and keeps the marking...
        {"chg", false, [&](auto&) { changing(); }, "mkg", "Ta bort", "Avbryt mark."},
        // ...the mouse then clears the marking as well.
        {"chg", true, [&](auto&) { changing(); }, "", "Flytta", "Avbryt"},
        {"Fl, first row awaited", false, [&](auto&) { moving(); }, "", "Flytta", "Avbryt"},
        {"Fl, new date awaited", true, [&](auto&) { moveRange(); }, "", "Flytta", "Avbryt"},
        {"trny", false, other("trny"), "", "Flytta", "Avbryt"},
        {"budg", false, other("budg"), "", "Flytta", "Avbryt"},
        {"subtrch, nothing marked", false, other("subtrch"), "", "Flytta", "Avbryt"},
        {"subtrch, marked", false,
         [&](auto& t) {
             mark();
             other("subtrch")(t);
         },
         "", "Flytta", "Avbryt"},
        {"trbyt", false,
         [&](auto& t) {
             mark();
             other("trbyt")(t);
         },
         "mkg", "Ta bort", "Avbryt markera"},
    };
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << (c.mouse ? " / mouse" : " / Esc"));
        c.enter(*this);
        if (c.mouse)
            QTest::mouseClick(form->Command3, Qt::LeftButton);
        else
            form->Command3_Click();
        EXPECT_EQ(Module1.Avb, c.avbAfter == "mkg" ? mkg() : c.avbAfter);
        EXPECT_EQ(form->Command2->text(), c.command2After);
        EXPECT_TRUE(form->Command2->isEnabled());
        EXPECT_EQ(form->Command3->text(), c.command3After);
        EXPECT_TRUE(form->MoveState.isEmpty());
        EXPECT_EQ(data(), before); // a cancel writes nothing
        if (c.avbAfter == "mkg") {
            EXPECT_GT(form->MarkRecord, 0);
            if (QString(c.mode) == "chg") {
                EXPECT_EQ(verklBox()->text(), old);
                EXPECT_EQ(form->VerklBelText, form->VerklBelOld);
                EXPECT_EQ(Module1.EditMode, "rem");
                EXPECT_EQ(Module1.BelEditFlag, 0);
            }
            Module1.CancelFlag = "1";
            form->Command3_Click(); // leave the marking for the next case
        }
        EXPECT_EQ(form->MarkRecord, 0);
        EXPECT_EQ(Module1.EditMode, "flt");
        EXPECT_TRUE(form->Combo3->isEnabled());
        EXPECT_TRUE(form->Picture1->isEnabled());
        EXPECT_TRUE((GetParam() ? form->G2 : form->G1)->isEnabled());
        EXPECT_TRUE(firstBox()->isReadOnly());
        EXPECT_TRUE(firstBox()->isEnabled());
        EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
    }
}

// Esc as a key reaching the window: the cancel button's click, and no more.
TEST_P(WorkModes, EscCancelsThroughTheWindow) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto esc = [this] {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), Qt::Key_Escape);
    };
    const QString old = GetParam() ? "1 400,00" : "1 500,00";
    const Modes marked{"mkg", "rem", "Ta bort", true, "Avbryt mark."};
    run({
        {"transaction chosen, amount typed",
         [&] {
             pick("Uttag");
             type(firstBox(), "40");
         },
         {"cbonomark", "inl", "Lägg in", true, "Avbryt inmatn."}},
        {"Esc undoes the entry", esc, idle},
        {"posting marked", [&] { clickRow(1); }, {"mkg", "rem", "Ta bort", true, "Avbryt markera"}},
        {"Esc clears the marking", esc, idle},
        {"amount being changed",
         [&] {
             clickRow(1);
             verklBox()->selectAll();
             QTest::keyClicks(verklBox(), "77");
         },
         {"chg", "chg", "Ändra", false, "Avbryt ändr."}},
        {"Esc brings the old amount back", esc, marked},
        {"a second Esc keeps the marking", esc, marked},
    });
    EXPECT_EQ(verklBox()->text(), old);
    EXPECT_GT(form->MarkRecord, 0);
}

TEST_P(WorkModes, BudgetingAndBalanceEntryEndIdleAndRearmTheCancelButton) {
    Module1.Avb = "budg";
    Module1.CancelFlag = "1";
    form->Command3_Click();
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(Module1.CancelFlag, ""); // not "0": the next Esc runs the dispatcher again

    if (GetParam())
        return; // a fund account is a simple account
    form->SaldoInFlag = "1";
    form->Label11->setText("Nytt Saldo");
    Module1.Avb = "saldo";
    form->Command3_Click();
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(form->SaldoInFlag, "0");
    EXPECT_EQ(form->Label11->text(), "Belopp");
    EXPECT_EQ(form->Command2->text(), "Flytta");
    EXPECT_EQ(Module1.EditMode, "flt");
}

TEST_P(WorkModes, NothingHappensWithoutAModeOrAFlag) {
    const QByteArray before = data();
    clickRow(1);
    Module1.EditMode = "";
    form->Command2_Click();
    EXPECT_EQ(Module1.Avb, mkg());
    EXPECT_TRUE(titles().isEmpty());

    Module1.CancelFlag = "0";
    form->Command3_Click(); // Esc after the dispatcher has run
    EXPECT_EQ(Module1.Avb, mkg());
    EXPECT_EQ(data(), before);
}

// ---- The idle cancel ----------------------------------------------------------------

using IdleCancel = test::WindowTest;

TEST_F(IdleCancel, GoesToTheLastPostingOnOrBeforeTheWorkingDate) {
    std::vector<QByteArray> postings;
    for (int i = 0; i < 30; ++i)
        postings.push_back(rec(test::enkel(QDate(2026, 1, 1).addDays(i).toString("yyyy-MM-dd"), "2",
                                           "10", QString::number(10 * (i + 1)))));
    HeadForm& f = start(account("Ek", postings));
    ASSERT_EQ(f.VScroll1->value(), 21); // the last ten
    setDate("2026-01-05");
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    EXPECT_EQ(f.VScroll1->value(), 4); // posting 5 on the second row
    EXPECT_EQ(f.G1->cellText(1, 0), "2026-01-05");
    EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
    EXPECT_EQ(Module1.PostNr, 0);
}

} // namespace

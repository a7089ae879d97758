// The posting edits as the window runs them: refusals that write nothing, the
// balance check with its offer to recount, [Bekräfta], and the budget template.
#include "core/Paths.h"
#include "mainwindow/WindowDriver.h"

#include "platform/ClickLabel.h"

#include <QDate>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

using namespace fyn;
using fyn::test::mall;
using fyn::test::rec;
using fyn::test::records;
using platform::Answer;

namespace {

using Edits = test::WindowTest;

// ---- Refused edits write nothing -------------------------------------------------------

TEST_F(Edits, AnInsertOverTheLimitOrTooLongWritesNothing) {
    const struct {
        const char* date;
        const char* trans;
        const char* typed;
        const char* box;
    } cases[] = {
        {"2026-02-01", "Insättning", "1000", "Överskriden max-nivå"}, // a later balance
        {"2026-12-09", "Insättning", "1000", "Överskriden max-nivå"}, // the new last balance
        {"2026-12-09", "Uttag", "12345678,12", "För långt belopp"},   // "-12345678,12"
    };
    for (const char* slag : {"Ek", "Bg"}) {
        form.reset();
        ledger::account().closeAll();
        start(account(slag, {slag == QString("Ek")
                                 ? rec(test::enkel("2026-01-01", "1", "0", "0"))
                                 : rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                             slag == QString("Ek")
                                 ? rec(test::enkel("2026-03-01", "2", "99999000", "99999000"))
                                 : rec(test::budget("2026-03-01", "2", "99999000", "99999000",
                                                    "99999000", "99999000", "0"))}));
        const QByteArray before = data();
        const QByteArray template_ = bmall();
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << slag << " " << c.date << " " << c.typed);
            setDate(c.date);
            pick(c.trans);
            type(firstBox(), c.typed);
            form->Command2->click();
            EXPECT_EQ(titles(), QStringList{c.box});
            EXPECT_EQ(data(), before);
            EXPECT_EQ(bmall(), template_);
            EXPECT_EQ(Module1.AntalPoster, 2);
            EXPECT_EQ(Module1.Avb, "");
            EXPECT_EQ(form->Command2->text(), "Flytta");
            EXPECT_TRUE(form->Combo3->isEnabled());
        }
    }
}

TEST_F(Edits, TheOnlyPostingStaysWhenTheAccountIsToStay) {
    HeadForm& f = start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0"))}));
    const QByteArray before = data();
    clickRow(0);
    fakes.messages->answers = {Answer::Yes, Answer::No}; // remove it, but keep the account
    f.Command2->click();
    EXPECT_EQ(titles(), QStringList({"Borttagning av post", "Ta bort konto ? ?"}));
    EXPECT_EQ(data(), before);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRecord, 0);
}

TEST_F(Edits, RemovalAnsweredNoWritesNothing) {
    HeadForm& f = start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                       rec(test::enkel("2026-03-01", "2", "1500", "1500"))}));
    const QByteArray before = data();
    clickRow(1);
    fakes.messages->answers = {Answer::No};
    f.Command2->click();
    EXPECT_EQ(data(), before);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(Module1.WorkDate, Module1.DagensDatum);
}

TEST_F(Edits, AChangeToTheSameAmountOrAnsweredNoWritesNothing) {
    HeadForm& f = start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                       rec(test::enkel("2026-03-01", "2", "1500", "1500"))}));
    const QByteArray before = data();
    clickRow(1);
    retype(f.Bel_Enkel, "1500");
    f.Command2->click();
    EXPECT_EQ(titles(), QStringList{"Ändring av tidigare belopp"});
    EXPECT_EQ(lastBox().text, "Ingen ändring utförd !");
    EXPECT_EQ(Module1.Avb, "mkg1"); // still marked, the old amount back
    EXPECT_EQ(f.Bel_Enkel->text(), "1 500,00");

    fakes.messages->answers = {Answer::No};
    retype(f.Bel_Enkel, "1499");
    f.Command2->click();
    EXPECT_EQ(lastBox().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(Module1.Avb, "mkg1");
    EXPECT_EQ(f.VerklBelText, "1500");
    EXPECT_EQ(data(), before);
}

TEST_F(Edits, AMoveThatWouldBreakTheLimitMovesNothing) {
    HeadForm& f =
        start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                             rec(test::enkel("2026-02-01", "2", "90000000", "90000000")),
                             rec(test::enkel("2026-03-01", "3", "-50000000", "40000000")),
                             rec(test::enkel("2026-04-01", "2", "50000000", "90000000"))}));
    const QByteArray before = data();
    f.Command2->click();
    clickRow(2);
    fakes.messages->answers = {Answer::Yes};
    clickRow(2);
    setDate("2026-05-01"); // the withdrawal after the last deposit: 140 000 000 between
    f.Command2->click();
    EXPECT_EQ(titles(), (QStringList{"Flytta rader", "Överskriden max-nivå"}));
    EXPECT_EQ(data(), before);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_TRUE(f.G1->isEnabled());
    EXPECT_TRUE(f.Combo3->isEnabled());
}

TEST_F(Edits, MovingTheOnlyPostingChangesItsDate) {
    HeadForm& f =
        start(account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))}));
    setDate("2026-02-02");
    f.Command2->click();
    EXPECT_EQ(data(), rec(test::budget("2026-02-02", "1", "0", "0", "0", "0", "0")));
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.G2->cellText(0, 0), "2026-02-02");
}

TEST_F(Edits, TheChangeQuestionShowsEveryDigit) {
    const struct {
        const char* trans;
        const char* stored;
        const char* typed;
        const char* question;
    } cases[] = {
        {"2", "2500000", "2600000", "2 500 000,00  till  2 600 000,00"},
        {"3", "-2500000", "2600000", "-2 500 000,00  till  -2 600 000,00"},
        {"2", "250", "260", " 250,00  till   260,00"}, // a blank to spare
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        form.reset();
        ledger::account().closeAll();
        HeadForm& f =
            start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                 rec(test::enkel("2026-03-01", c.trans, c.stored, c.stored))}));
        clickRow(1);
        retype(f.Bel_Enkel, c.typed);
        fakes.messages->answers = {Answer::No};
        f.Command2->click();
        EXPECT_EQ(lastBox().text,
                  QString("Vill du ändra tidigare:\nVerkl. beloppet:  ") + c.question + "  ?");
    }
}

TEST_F(Edits, AMoveSetsTheGridOnItsLastPostingAndChecksFromWhereItTook) {
    // Forty postings a day apart; record 10's balance is one krona short.
    std::vector<QByteArray> postings;
    for (int i = 1; i <= 40; ++i)
        postings.push_back(rec(test::enkel(QDate(2026, 1, 1).addDays(i - 1).toString("yyyy-MM-dd"),
                                           "2", "10", QString::number(10 * i - (i == 10)))));
    HeadForm& f = start(account("Ek", postings));
    setDate("2026-01-03");
    QTest::mouseClick(f.findChild<platform::ClickLabel*>("DayShow"), Qt::LeftButton); // search
    ASSERT_EQ(f.G1->cellText(1, 0), "2026-01-03");
    f.Command2->click(); // "Flytta", records 3..5
    clickRow(1);
    fakes.messages->answers = {Answer::Yes, Answer::No}; // move them; no recount
    clickRow(3);
    setDate("2026-01-20");
    f.Command2->click();                // "Nytt datum": after record 20, now records 18..20
    EXPECT_EQ(f.VScroll1->value(), 19); // record 20 on the grid's second row
    EXPECT_EQ(f.G1->cellText(1, 0), "2026-01-20");
    EXPECT_EQ(f.G1->cellText(1, 3), "200,00");
    // Record 10, now 7, lies between where the postings were and where they went.
    ASSERT_EQ(titles(), (QStringList{"Flytta rader", "Saldo-kontroll", "Servicemeddelande"}));
    EXPECT_TRUE(fakes.messages->calls[1].text.contains("Datum: 2026-01-10\n"));
}

// After a date search the working date is today again while the grid stays
// at the date searched. Every road that puts a posting at the working date
// shows that date in the labels from the moment it starts, so the date shown
// when the posting is put in is the date it gets.
TEST_F(Edits, AfterADateSearchEveryNewOrMovedPostingGetsTheDateTheLabelsShow) {
    const auto label = [&](const char* name) {
        return form->findChild<platform::ClickLabel*>(name);
    };
    const auto shown = [&] {
        return form->YearShow->text() + "-" + form->MonthShow->text() + "-" + form->DayShow->text();
    };
    const auto dayBack = [&] { QTest::mouseClick(label("DayMinus"), Qt::LeftButton); };
    const auto search = [&] {
        for (int i = 0; i < 3; ++i)
            dayBack();
        QTest::mouseClick(label("DayShow"), Qt::LeftButton);
        // Idle, the labels keep the date searched; under an entry, its date.
        EXPECT_EQ(shown(), Module1.Avb.isEmpty() ? "2026-12-06" : Module1.WorkDate);
        EXPECT_EQ(Module1.WorkDate, "2026-12-09");
    };
    const auto amount = [&](QLineEdit* box, const char* text) {
        QTest::mouseClick(box, Qt::LeftButton);
        type(box, text);
    };
    const struct {
        const char* road;
        const char* slag;
        std::function<void()> toPut; // from the search to the click that puts it in
    } roads[] = {
        {"a new posting", "Ek",
         [&] {
             search();
             ASSERT_TRUE(choose("Insättning"));
             amount(form->Bel_Enkel, "50");
         }},
        {"a new budget posting", "Bg",
         [&] {
             search();
             ASSERT_TRUE(choose("Insättning"));
             amount(form->BudgBel_Budget, "50");
         }},
        {"a posting begun with its subtransaction", "Ek",
         [&] {
             search();
             QTest::mouseClick(form->S_TransOptionEnk, Qt::LeftButton);
             ASSERT_TRUE(choose("Mat"));
             QTest::mouseClick(form->H_TransOptionEnk, Qt::LeftButton);
             ASSERT_TRUE(choose("Insättning"));
             amount(form->Bel_Enkel, "50");
         }},
        {"a fund account's new balance", "Ek",
         [&] {
             search();
             QTest::mouseClick(form->Label12, Qt::LeftButton);
             amount(form->Bel_Enkel, "2000");
         }},
        {"a move", "Ek",
         [&] {
             search();
             QTest::mouseClick(form->Command2, Qt::LeftButton); // "Flytta"
             clickRow(1);
             fakes.messages->answers = {Answer::Yes, Answer::No}; // move it; no recount
             clickRow(1);
         }},
        {"a search while an entry is under way", "Ek",
         [&] {
             ASSERT_TRUE(choose("Insättning"));
             search();
             amount(form->Bel_Enkel, "50");
         }},
    };
    for (const auto& r : roads) {
        SCOPED_TRACE(r.road);
        form.reset();
        ledger::account().closeAll();
        test::FixtureAccount a =
            r.slag == QString("Ek")
                ? account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                 rec(test::enkel("2026-11-20", "2", "10", "10"))})
                : account("Bg",
                          {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                           rec(test::budget("2026-11-20", "2", "10", "10", "10", "10", "0"))});
        a.trans.push_back({"Ändrad kurs", " "});
        start(a);
        r.toPut();
        const QString date = shown();
        EXPECT_EQ(date, Module1.WorkDate);
        ASSERT_TRUE(form->Command2->isEnabled());
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        // The posting put in or moved is the last, dated as the labels showed.
        const QByteArray last = data().right(r.slag == QString("Ek") ? 43 : 77);
        EXPECT_EQ(last.left(10), date.toLatin1());
        EXPECT_EQ(Module1.AntalPoster, r.road == QString("a move") ? 2 : 3);
    }
}

// ---- Budget postings: confirmation status and the template ------------------------------

TEST_F(Edits, ABudgetPostingIsConfirmedWhenDatedTodayOrEarlier) {
    HeadForm& f = start(account(
        "Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
               rec(test::budget("2026-12-01", "3", "-95", "-95", "-95", "-95", "0", " "))}));
    // The template is learned from the confirmed postings when the account opens.
    EXPECT_EQ(bmall(), mall("1", "0", "01", "01"));
    EXPECT_EQ(Module1.MallAntal, 1);

    setDate("2026-12-10"); // tomorrow: planned, nothing learned
    pick("Insättning");
    type(f.BudgBel_Budget, "105");
    f.Command2->click();
    EXPECT_EQ(data().mid(2 * 77),
              rec(test::budget("2026-12-10", "2", "105", "105", "10", "10", "0", " ")));
    EXPECT_EQ(bmall(), mall("1", "0", "01", "01"));

    // Changing the planned posting of 2026-12-01 confirms it and teaches the template.
    fakes.messages->answers = {Answer::Yes};
    clickRow(1);
    retype(f.VerklBel_Budget, "100");
    f.Command2->click();
    EXPECT_EQ(data().mid(77, 2 * 77),
              rec(test::budget("2026-12-01", "3", "-95", "-100", "-95", "-100", "-5", "*")) +
                  rec(test::budget("2026-12-10", "2", "105", "105", "10", "5", "-5", " ")));
    EXPECT_EQ(bmall(), mall("1", "0", "01", "01") + mall("3", "110", "12", "01"));
    EXPECT_EQ(Module1.MallAntal, 2);
}

// The steppers stay live while a posting is marked; the posting's own date
// decides, not where they have moved the working date.
TEST_F(Edits, AMarkedPostingIsJudgedByItsOwnDate) {
    HeadForm& f = start(account(
        "Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
               rec(test::budget("2026-12-20", "3", "-95", "-95", "-95", "-95", "0", " "))}));
    const QByteArray template_ = bmall();
    auto markAndStepToToday = [&] {
        clickRow(1);
        for (int i = 0; i < 11; ++i)
            QTest::mouseClick(f.findChild<platform::ClickLabel*>("DayMinus"), Qt::LeftButton);
        ASSERT_EQ(Module1.WorkDate, "2026-12-09");
    };
    markAndStepToToday();
    fakes.messages->answers = {Answer::Yes};
    retype(f.VerklBel_Budget, "100");
    f.Command2->click();
    EXPECT_EQ(data().mid(77),
              rec(test::budget("2026-12-20", "3", "-95", "-100", "-95", "-100", "-5", " ")));
    EXPECT_EQ(bmall(), template_); // still planned: nothing learned

    markAndStepToToday();
    fakes.messages->answers = {Answer::No};
    f.Command2->click(); // "Ta bort"
    EXPECT_EQ(lastBox().title, "Borttagning av post");
    EXPECT_TRUE(lastBox().text.startsWith("Vill du radera posten med datum: 2026-12-20\n"));
}

TEST_F(Edits, BekraftaConfirmsTheMarkedPostingOnYes) {
    HeadForm& f = start(account(
        "Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
               rec(test::budget("2026-12-20", "2", "110", "110", "110", "110", "0", " "))}));
    const QByteArray before = data();
    const QByteArray template_ = bmall();

    clickRow(1);
    ASSERT_TRUE(f.Command1->isEnabled());
    fakes.messages->answers = {Answer::No};
    f.Command1->click();
    EXPECT_EQ(lastBox().title, "Bekräfta belopp");
    EXPECT_EQ(lastBox().text, "Vill du verifiera beloppen:\n  110,00 kr.     110,00 kr.\n"
                              "som verkliga ?");
    EXPECT_EQ(data(), before);
    EXPECT_EQ(bmall(), template_);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.MarkRecord, 0);

    clickRow(1);
    fakes.messages->answers = {Answer::Yes};
    f.Command1->click();
    EXPECT_EQ(data(), rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")) +
                          rec(test::budget("2026-12-20", "2", "110", "110", "110", "110", "0")));
    EXPECT_EQ(bmall(), template_ + mall("2", "100", "12", "20"));
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_FALSE(f.Command1->isEnabled());
    EXPECT_EQ(f.G2->fore(1, 2), kBlack); // confirmed: no longer blue
}

TEST_F(Edits, TheTemplateIsLearnedFromLastYearWhenTheAccountOpens) {
    const QByteArray data2025 =
        rec(test::budget("2025-03-05", "2", "500", "495", "500", "495", "-5"));
    start(account("Bg",
                  {rec(test::budget("2024-05-01", "3", "-90", "-90", "-90", "-90", "0")), data2025,
                   rec(test::budget("2025-07-01", "3", "-20", "-20", "480", "475", "-5", " ")),
                   rec(test::budget("2026-02-01", "2", "10", "10", "490", "485", "-5"))}));
    // Only last year's confirmed postings count.
    EXPECT_EQ(bmall(), mall("2", "480", "03", "05"));
    EXPECT_EQ(Module1.MallAntal, 1);
}

TEST_F(Edits, NoTemplateIsBuiltForAnAccountWithOnePosting) {
    start(account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))}));
    EXPECT_EQ(bmall(), "");
    EXPECT_EQ(Module1.MallAntal, 0);
}

// ---- The balance check --------------------------------------------------------------------

class BalanceCheck : public test::WindowTest {
protected:
    // Record 3's balance is one krona short, and record 4 carries the fault on.
    HeadForm& damaged() {
        return start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                    rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                                    rec(test::enkel("2026-06-01", "3", "-500", "999")),
                                    rec(test::enkel("2026-08-01", "2", "100", "1099"))}));
    }
    // Inserts 250 on 2026-02-01, which runs the check from the new posting.
    void insertBefore() {
        setDate("2026-02-01");
        pick("Insättning");
        type(form->Bel_Enkel, "250");
        form->Command2->click();
    }
    QByteArray withInsert(const QString& saldo4, const QString& saldo5) const {
        return records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                        rec(test::enkel("2026-02-01", "2", "250", "250")),
                        rec(test::enkel("2026-03-01", "2", "1500", "1750")),
                        rec(test::enkel("2026-06-01", "3", "-500", saldo4)),
                        rec(test::enkel("2026-08-01", "2", "100", saldo5))});
    }
};

TEST_F(BalanceCheck, YesRecountsFromTheFaultAndTheFileIsRight) {
    damaged();
    fakes.messages->answers = {Answer::Yes};
    insertBefore();
    EXPECT_EQ(titles(), (QStringList{"Saldo-kontroll", "Servicemeddelande"}));
    const auto& question = fakes.messages->calls[0];
    EXPECT_EQ(question.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(question.text, "Programmet har hittat ett summeringsfel i\n"
                             "datafilen, vid kontrollräkning !\n"
                             "Felet är lokaliserat till:\n\n"
                             "Datum: 2026-06-01\n"
                             "Transaktion: Uttag\n"
                             "Belopp: -  500,00\n\n"
                             "Upptäckt saldoskillnad:\n"
                             " 1 249,00 till  1 250,00\n\n"
                             "Felet kan åtgärdas genom en om-\n"
                             "räkningsprocedur av datafilen fr o m\n"
                             "posten före den felaktiga !\n\n"
                             "Vill du att omräkningen utföres ?");
    EXPECT_EQ(lastBox().text, "Om felet upprepas, v g kontakta\nprogramleverantör !");
    EXPECT_EQ(data(), withInsert("1250", "1350"));
    EXPECT_EQ(form->G1->cellText(4, 3), "1 350,00");
    EXPECT_EQ(Module1.Avb, "");
}

TEST_F(BalanceCheck, NoLeavesTheFaultAndShowsTheServiceMessage) {
    damaged();
    fakes.messages->answers = {Answer::No};
    insertBefore();
    EXPECT_EQ(titles(), (QStringList{"Saldo-kontroll", "Servicemeddelande"}));
    EXPECT_EQ(Module1.HuvudTrans, ""); // the entry is reset after the check named the posting
    EXPECT_EQ(data(), withInsert("1249", "1349"));
}

TEST_F(BalanceCheck, ABudgetFaultNamesTheBalanceThatFailed) {
    start(account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                         rec(test::budget("2026-03-01", "2", "100", "90", "100", "90", "-10")),
                         rec(test::budget("2026-04-01", "3", "-40", "-40", "60", "55", "-5")),
                         rec(test::budget("2026-05-01", "2", "10", "10", "70", "65", "-5"))}));
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    clickRow(1);
    form->Command2->click(); // remove posting 2: the check runs from there
    EXPECT_EQ(titles(),
              (QStringList{"Borttagning av post", "Saldo-kontroll", "Servicemeddelande"}));
    const QString question = fakes.messages->calls[1].text;
    EXPECT_TRUE(question.contains("Budgetbelopp: -  40,00\nVerkl.belopp: -  40,00\n\n"
                                  "Upptäckt skillnad verkl. saldo:\n-  35,00 till -  40,00\n"))
        << question.toStdString();
    EXPECT_TRUE(question.endsWith("Vill du att omräkningen sker ?"));
    EXPECT_EQ(data(),
              records({rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                       rec(test::budget("2026-04-01", "3", "-40", "-40", "-40", "-40", "0")),
                       rec(test::budget("2026-05-01", "2", "10", "10", "-30", "-30", "0")),
                       rec(test::budget("", "2", "10", "10", "70", "65", "-5"))}));
}

TEST_F(BalanceCheck, AFieldThatIsNoNumberEndsInTheErrorRoutine) {
    // No error report, when the grid reads the field and when the check does.
    fakes.messages->answers = {Answer::No, Answer::No};
    start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                         rec(test::enkel("2026-03-01", "2", "1500", "15x0"))}));
    Module1.PostNr = 1;
    form->SaldoKontroll_Enkel();
    EXPECT_EQ(lastBox().title, "Felspec. = Type mismatch");
    EXPECT_TRUE(Module1.FelText.startsWith("Ett fel har uppstått i subrutinen SaldoKontroll_Enkel\n"
                                           "vid kontrollräkning av kontoposter från\n"
                                           "Felet finns i KontoData, post 2\n"));
    EXPECT_TRUE(Module1.FelDump.startsWith(QString("Fel i rutinen Saldokontroll_Enkel") +
                                           QChar(0xA6) + " vid kontrollräkning"));
}

} // namespace

// The transaction swap of marked postings and the deletion of accounts.
#include "WindowDriver.h"

#include "core/Errors.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "platform/testing/FakePlatform.h"

#include <QFile>
#include <QMouseEvent>

using namespace fyn;
using namespace fyn::test;
using platform::Answer;

namespace {

class SwapTest : public WindowTest {
protected:
    // Marks a posting and answers the swap dialogue for one or all postings.
    void startSwap(int row, bool all) {
        clickRow(row);
        fakes.messages->answers = all ? std::deque<Answer>{Answer::No, Answer::Yes, Answer::Yes}
                                      : std::deque<Answer>{Answer::Yes, Answer::Yes};
        QLineEdit* text = budget() ? form->TransText_Budget : form->TransText_Enkel;
        QTest::mouseClick(text, Qt::LeftButton);
    }
};

TEST_F(SwapTest, OneExpenseBecomesAnIncomeWithEveryLaterBalanceMoved) {
    // The budget posting -250 / -200 of "Uttag" swapped to "Insättning".
    start(account("Bg",
                  {rec(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                   rec(fyn::test::budget("2026-02-01", "3", "-250", "-200", "-250", "-200", "50")),
                   rec(fyn::test::budget("2026-03-01", "3", "-10", "-10", "-260", "-210", "50"))}));
    startSwap(1, false);
    EXPECT_EQ(Module1.Avb, "trbyt");
    EXPECT_EQ(form->Command3->text(), "Avbryt Tr-byte");
    EXPECT_TRUE(form->TransCombo_Budget->isEnabled());
    fakes.messages->answers = {Answer::Yes};
    pick("Insättning");
    EXPECT_EQ(
        data(),
        records({rec(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                 rec(fyn::test::budget("2026-02-01", "2", "250", "200", "250", "200", "-50")),
                 rec(fyn::test::budget("2026-03-01", "3", "-10", "-10", "240", "190", "-50"))}));
    // The template built at opening learns the new transaction too.
    EXPECT_TRUE(bmall().endsWith(mall("2", "190", "02", "01")));
    EXPECT_EQ(lastBox().title, "Transaktionsbyte utfört");
    EXPECT_EQ(Module1.Avb, ""); // back to idle
}

TEST_F(SwapTest, AllPostingsOfATransactionOrNone) {
    const auto fixture = account("Ek", {rec(enkel("2026-01-01", "1", "0", "0")),
                                        rec(enkel("2026-02-01", "3", "-100", "-100")),
                                        rec(enkel("2026-03-01", "2", "1000", "900")),
                                        rec(enkel("2026-04-01", "3", "-50", "850"))});
    start(fixture);
    startSwap(3, true);
    EXPECT_EQ(form->SwapScope, "all");
    fakes.messages->answers = {Answer::Yes};
    pick("Insättning");
    EXPECT_EQ(data(), records({rec(enkel("2026-01-01", "1", "0", "0")),
                               rec(enkel("2026-02-01", "2", "100", "100")),
                               rec(enkel("2026-03-01", "2", "1000", "1100")),
                               rec(enkel("2026-04-01", "2", "50", "1150"))}));

    // No to the swap question: nothing changes and the marking stays.
    const QByteArray before = data();
    startSwap(1, false);
    fakes.messages->answers = {Answer::No};
    pick("Uttag");
    EXPECT_EQ(data(), before);
    EXPECT_EQ(Module1.Avb, "mkg1");
}

TEST_F(SwapTest, ASwapThatBreaksTheLimitWritesNothing) {
    start(account("Ek", {rec(enkel("2026-01-01", "1", "0", "0")),
                         rec(enkel("2026-02-01", "3", "-60000000", "-60000000")),
                         rec(enkel("2026-03-01", "2", "90000000", "30000000"))}));
    const QByteArray before = data();
    startSwap(1, false);
    fakes.messages->answers = {Answer::Yes};
    pick("Insättning");
    EXPECT_EQ(data(), before);
    EXPECT_NE(std::find_if(fakes.messages->calls.begin(), fakes.messages->calls.end(),
                           [](const auto& c) { return c.title == "Överskriden max-nivå"; }),
              fakes.messages->calls.end());
}

// A posting that cannot be read fails the swap, and the report names the
// marked posting's amounts and balances.
TEST_F(SwapTest, AFailedSwapReportsTheMarkedPostingsNumbers) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        const bool bg = QString(slag) == "Bg";
        form.reset();
        ledger::account().closeAll();
        // Thirteen postings after today, so the grid shows the first ten also
        // around the marked second; the thirteenth's balance is no number.
        std::vector<QByteArray> postings;
        for (int i = 1; i <= 13; ++i) {
            const QString day = QString("2027-01-%1").arg(i, 2, 10, QLatin1Char('0'));
            const QString ref = i == 1 ? "1" : i == 2 ? "3" : "2";
            const QString amount = i == 1 ? "0" : i == 2 ? "-250" : "10";
            const QString saldo =
                i == 13 ? "15x0" : QString::number(i == 1 ? 0 : -250 + 10 * (i - 2));
            postings.push_back(
                bg ? rec(fyn::test::budget(day, ref, amount, amount, saldo, saldo, "0", " "))
                   : rec(enkel(day, ref, amount, saldo)));
        }
        start(account(slag, postings));
        const QByteArray before = data();
        startSwap(1, false);
        fakes.messages->answers = {Answer::Yes, Answer::No}; // swap; no error report
        pick("Insättning");
        EXPECT_EQ(data(), before);
        EXPECT_EQ(Module1.SysFel, "Type mismatch");
        const QStringList head = {"Fel i rutinen ChgAccountTrans",
                                  "vid försök att ändra transaktion i kontopost",
                                  "Tecken före ändring [-]", "Tecken ändras till [+]"};
        if (bg)
            test::expectDump(
                head +
                QStringList{"Budgetbelopp för ändr -250", "Verkl.belopp för ändr -250",
                            "Budg.saldo före ändr. -250", "Verkl.saldo före ändr -250",
                            "Res Budgetbelopp efter ändr -250", "Res Verkl.belopp efter ändr -250",
                            "Res Budg.saldo efter ändr. -250", "Res verkl.saldo efter ändr -250",
                            "PostNr ", "Felet uppstod i konto Hushåll"});
        else
            test::expectDump(head + QStringList{"Belopp för ändr -250", "Saldo för ändr. -250",
                                                "Res Belopp efter ändr -250",
                                                "Res Saldo efter ändr. -250", "PostNr ",
                                                "Felet uppstod i konto Hushåll"});
    }
}

// A failure between the swap question and the swap is reported as the
// list's own (its second region), and nothing is swapped.
TEST_F(SwapTest, AFailureAroundTheSwapQuestionIsTheListsToReport) {
    start(account("Ek", {rec(enkel("2026-01-01", "1", "0", "0")),
                         rec(enkel("2026-02-01", "3", "-100", "-100"))}));
    const QByteArray before = data();
    startSwap(1, false);
    fakes.messages->onShow = [](const platform::testing::MessageCall& call) {
        if (call.title == "Ändrad transaktion")
            raiseError("Out of memory");
    };
    fakes.messages->answers = {Answer::No}; // no error report
    pick("Insättning");
    fakes.messages->onShow = nullptr;
    EXPECT_EQ(lastBox().title, "Felspec. = Out of memory");
    EXPECT_TRUE(Module1.FelText.startsWith(
        "Ett fel har uppstått i subrutinen TransCombo_Enkel_Click\n"
        "när en kontopost har valts och en\nklickning har utförts i transak-\n"
        "tionslistan för att byta transak-\ntion"))
        << Module1.FelText.toStdString();
    test::expectDump({"Fel nr 2 i rutinen TransCombo_Enkel_Click",
                      "vid klickad transaktion i TransCombo_Enkel för",
                      "att ändra transaktion: [Uttag]", "i markerad kontopost, till [Insättning]"});
    EXPECT_EQ(data(), before);
}

// ---- Deleting accounts ------------------------------------------------------------

class DeleteTest : public WindowTest {
protected:
    HeadForm& startTwo() {
        FixtureAccount second = account("Ek", {rec(enkel("2026-01-01", "1", "0", "0"))});
        second.name = "Spar";
        writeAccount(second, 2);
        return start(
            account("Bg", {rec(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))}));
    }
};

TEST_F(DeleteTest, AMiddleAccountGoesAndTheNextOneOpens) {
    HeadForm& f = startTwo();
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    f.Radko_mn->trigger();
    EXPECT_FALSE(QDir(accountFolder("Hushåll")).exists());
    EXPECT_EQ(openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(1).KontoNamn,
              QString(35, ' '));
    EXPECT_EQ(Module1.KontoNum, 2);
    EXPECT_EQ(Module1.KontoNamn, "Spar");
    EXPECT_EQ(f.Combo3->count(), 1);
    EXPECT_TRUE(QDir(accountFolder("Spar")).exists());
}

TEST_F(DeleteTest, TheLastAccountGoesWithTheRegister) {
    HeadForm& f = start(account("Ek", {rec(enkel("2026-01-01", "1", "0", "0"))}));
    fakes.messages->answers = {Answer::Yes, Answer::Yes, // delete, sure
                               Answer::No, Answer::No};  // no first account, don't quit
    f.Radko_mn->trigger();
    EXPECT_FALSE(QFile::exists(kontoFilPath()));
    EXPECT_FALSE(QDir(accountFolder("Hushåll")).exists());
    EXPECT_EQ(Module1.KontoNum, 0);
    EXPECT_EQ(f.Text10->text(), "Kontouppgift saknas");
    EXPECT_FALSE(f.Radko_mn->isEnabled());
}

TEST_F(DeleteTest, NoDeletesNothingAndTheAccountStaysUsable) {
    HeadForm& f = startTwo();
    const QByteArray register_ = readFile(kontoFilPath());
    fakes.messages->answers = {Answer::Yes, Answer::No};
    f.Radko_mn->trigger();
    EXPECT_EQ(readFile(kontoFilPath()), register_);
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
    EXPECT_EQ(fakes.messages->calls[1].title, "Kontot används");
}

TEST_F(DeleteTest, OnlyARealAccountFolderIsDeleted) {
    // A register name that is no safe folder name (written by hand) and a name
    // whose folder is a link out of the data folder: the register slot goes,
    // nothing outside the account's own folder is touched.
    HeadForm& f = startTwo();
    QDir(dir.path()).mkpath("Elsewhere");
    writeFile(path("Elsewhere/keep"), "x");
    QDir(accountFolder("Hushåll")).removeRecursively();
    ASSERT_TRUE(QFile::link(path("Elsewhere"), accountFolder("Hushåll")));
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    f.Radko_mn->trigger();
    EXPECT_TRUE(QFile::exists(path("Elsewhere/keep")));
    EXPECT_EQ(Module1.KontoNum, 2);
}

// What else lies in the account's folder goes with it: a folder with what it
// holds, a link as a link, never what a link leads to.
TEST_F(DeleteTest, WhatElseLiesInTheAccountFolderGoesButNotWhatALinkLeadsTo) {
    HeadForm& f = startTwo();
    QDir(dir.path()).mkpath("Elsewhere");
    writeFile(path("Elsewhere/keep"), "x");
    const QString folder = accountFolder("Hushåll");
    QDir().mkpath(folder + "/Gamla/Äldre");
    writeFile(folder + "/Gamla/Äldre/KontoData", "y");
    ASSERT_TRUE(QFile::link(path("Elsewhere"), folder + "/Ut"));
    ASSERT_TRUE(QFile::link(path("Elsewhere/keep"), folder + "/Gamla/Transakt"));
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    f.Radko_mn->trigger();
    EXPECT_EQ(readFile(path("Elsewhere/keep")), "x");
    const QStringList left =
        QDir(dataFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : left)
        EXPECT_TRUE(QStringList({".journal", ".lock", "KontoFil", "KontoIni", "PosFil", "Spar"})
                        .contains(name))
            << name.toStdString();
    EXPECT_EQ(Module1.KontoNamn, "Spar");
}

TEST_F(DeleteTest, RemovingTheOnlyPostingDeletesTheAccountAfterTwoQuestions) {
    HeadForm& f = startTwo();
    clickRow(0);
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    f.Command2_Click(); // "Ta bort"
    EXPECT_FALSE(QDir(accountFolder("Hushåll")).exists());
    EXPECT_EQ(Module1.KontoNamn, "Spar");
}

// A crash at any point of deleting an account, or right after it: the next
// start replays what the journal holds without stopping at the folder that went,
// and an account opens.
TEST_F(DeleteTest, ACrashDuringOrAfterADeletionLeavesADataFolderThatOpens) {
    namespace sw = fyn::safewrite_testing;
    // An empty template is taught from the confirmed postings when the account
    // opens: an entry in the journal that names the account's folder.
    FixtureAccount hushall = account(
        "Bg",
        {rec(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
         rec(fyn::test::budget("2026-02-01", "3", "-100", "-100", "-100", "-100", "0", "*"))});
    auto begin = [&]() -> HeadForm& {
        form.reset();
        ledger::account().closeAll();
        QDir(dataFolder()).removeRecursively();
        FixtureAccount second = account("Ek", {rec(enkel("2026-01-01", "1", "0", "0"))});
        second.name = "Spar";
        writeAccount(second, 2);
        HeadForm& f = start(hushall);
        EXPECT_FALSE(bmall().isEmpty());
        fakes.messages->answers = {Answer::Yes, Answer::Yes};
        return f;
    };
    // What a crash leaves: the files as they are and the journal unemptied.
    auto crashAndStart = [&] {
        sw::armCrash(-1, false);
        const bool had = QFile::exists(journalPath());
        const QByteArray journal = readFile(journalPath());
        form.reset(); // (its own checkpoint is undone below)
        ledger::account().closeAll();
        if (had)
            writeFile(journalPath(), journal);
        fakes.messages->calls.clear();
        fakes.messages->answers = {Answer::No, Answer::No}; // keep a name, do not quit
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        for (const auto& call : fakes.messages->calls)
            EXPECT_FALSE(call.title.startsWith("Felspec")) << call.text.toStdString();
        EXPECT_TRUE(ledger::account().kontoData.isOpen());
    };

    HeadForm& first = begin();
    sw::armCrash(-1, false);
    first.Radko_mn_Click();
    EXPECT_FALSE(QDir(accountFolder("Hushåll")).exists());
    const int points = sw::pointsPassed();
    crashAndStart();
    EXPECT_EQ(Module1.KontoNamn, "Spar");

    for (int k = 0; k < points; ++k) {
        HeadForm& f = begin();
        sw::armCrash(k, true);
        EXPECT_THROW(f.Radko_mn_Click(), sw::Crash) << "point " << k;
        crashAndStart();
    }
}

} // namespace

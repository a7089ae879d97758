// What every handler of the budgeting windows reports when it fails: the
// message's first line with the text that continues it, its context lines,
// the dump's opening and its labels, reached through the real windows.
#include "budget/BudgetDriver.h"
#include "budget/BudgetErrors.h"
#include "budget/BudgetTesting.h"
#include "core/Errors.h"
#include "core/SafeWriteTesting.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cerrno>
#include <functional>

using namespace fyn;
using fyn::test::Row;
using platform::Answer;
namespace bt = fyn::budget_testing;
namespace sw = fyn::safewrite_testing;

namespace {

const QString kSep(QChar(0xA6));

const std::vector<std::pair<QString, QString>> kTrans = {{"Kontostart", " "}, {"Hyra", "-"}};
const std::vector<Row> kRows = {{"2026-01-01", 1, "0", "0"}};
// Weekdays all: nothing moves.
const QByteArray kTemplate = test::mallRows({{"2", "5000", "10", "26", "  "},
                                             {"2", "5000", "11", "25", "  "},
                                             {"2", "5000", "12", "28", "  "}});

// Command2's labels at every stage, after the stage's own.
const QStringList kRunLabels = {
    "Loop-punkt i MonthList: ", "Aktuellt belopp: = ", "Antal record i filen 'KontoData': ",
    "Senaste sökrecord i filen 'KontoData': ", "Budgetkonto: "};

class ErrorTexts : public test::BudgetTest {
protected:
    void TearDown() override {
        bt::armFailure({}, bt::At::Start);
        sw::armFailure({}, 0);
        fakes.messages->onShow = nullptr;
        test::BudgetTest::TearDown();
    }

    BudgAltForm& pick() {
        BudgAltForm& d = openBudgeting();
        answer({Answer::Yes}); // "Budgetera transaktion"
        pickTransaction(d, "Hyra");
        return d;
    }
};

} // namespace

TEST_F(ErrorTexts, EveryHandlerReportsItsOwnMessageContextAndDump) {
    BudgAltForm* d = nullptr;
    const auto open = [&] { d = &openBudgeting(); };
    const auto pickRent = [&] { d = &pick(); };
    const auto no = [&] { answer({Answer::No}); }; // "Vill du skapa en felrapport ?"
    const struct Case {
        const char* name;
        std::function<void()> setUp; // before the failure is armed
        QString routine;             // armed; empty: the failure comes by itself
        bt::At at;
        std::function<void()> act;
        QString sysText;
        QString message;  // the whole FelText
        QStringList dump; // its opening, then the labels its entries begin with
        QByteArray mall = kTemplate;
        std::function<void()> after = {}; // what else holds afterwards
    } cases[] = {
        {"Form_Load",
         {},
         "Form_Load (FormulärUppStart)",
         bt::At::End,
         [&] {
             no();
             open();
         },
         "Disk full",
         "Form_Load (FormulärUppStart) vid stängning huvudformulär / öppning budgetformulär\n",
         {"Fel i rutinen Form_Load vid formuläruppstart budgetformulär.",
          "Senaste sökrecord i filen BudgetInfo: ", "Budgetkonto: ", "Valt utvalsnamn: "}},
        {"PeriodSuggest",
         {},
         "PeriodSuggest (Förslag budgetperiod)",
         bt::At::Start,
         [&] {
             no();
             open();
         },
         "Disk full",
         "PeriodSuggest (Förslag budgetperiod)\n",
         {"Fel i rutinen PeriodSuggest (Förslag budg.period).", "Aktuell NuMånad: ",
          "Aktuell StartMånad: ", "Aktuell StoppMånad: ", "Aktuellt Budgetår: "}},
        {"Label34_Click",
         open,
         "Label34_Click (Årtal periodstart)",
         bt::At::Start,
         [&] {
             no();
             click(d->Label34);
         },
         "Disk full",
         "Label34_Click (Årtal periodstart) vid försök att ändra årtal\n",
         {"Fel i rutinen Label34_Click vid försök ändra årtal periodstart.",
          "Utgångsår (innevarande): ", "Aktuellt år till List2: ", "Top-mått List2: ",
          "Höjd-mått List2: "}},
        {"Label38_Click",
         open,
         "Label38_Click (Årtal periodslut)",
         bt::At::End,
         [&] {
             no();
             click(d->Label38);
         },
         "Disk full",
         "Label38_Click (Årtal periodslut) vid försök att ändra årtal\n",
         {"Fel i rutinen Label38_Click vid försök ändra årtal periodslut.",
          "Utgångsår (innevarande): ", "Aktuellt år till List2: ", "Top-mått List2: ",
          "Höjd-mått List2: "}},
        {"Label35_Click",
         open,
         "Label35_Click (Månad periodstart)",
         bt::At::Start,
         [&] {
             no();
             click(d->Label35);
         },
         "Disk full",
         "Label35_Click (Månad periodstart) vid försök att ändra månad\n",
         {"Fel i rutinen Label35_Click vid försök ändra månad periodstart.",
          "Aktuell månad till List3: ", "Top-mått List3: ", "Höjd-mått List3: "}},
        {"Label39_Click",
         open,
         "Label39_Click (Månad periodslut)",
         bt::At::End,
         [&] {
             no();
             click(d->Label39);
         },
         "Disk full",
         "Label39_Click (Månad periodslut) vid försök att ändra månad\n",
         {"Fel i rutinen Label39_Click vid försök ändra månad periodslut.",
          "Aktuell månad till List3: ", "Top-mått List3: ", "Höjd-mått List3: "}},
        {"List3_MouseUp start month",
         [&] {
             open();
             click(d->Label35);
         },
         "List3_Click (Val av startmånad budgetperiod)",
         bt::At::Start,
         [&] {
             no();
             clickItem(d->List3, "11");
         },
         "Disk full",
         "List3_Click (Val av startmånad budgetperiod) vid försök att sätta månad\n",
         {"Fel i rutinen List3_Click vid försök sätta startmånad budg.period.",
          "Aktuellt LabelNr (35?): ", "Vald startmånad (C): "}},
        {"List3_MouseUp end month",
         [&] {
             open();
             click(d->Label39);
         },
         "List3_Click (Val av slutmånad budgetperiod)",
         bt::At::End,
         [&] {
             no();
             clickItem(d->List3, "11");
         },
         "Disk full",
         "List3_Click (Val av slutmånad budgetperiod) vid försök att sätta månad\n",
         {"Fel i rutinen List3_Click vid försök sätta slutmånad budg.period.",
          "Aktuellt LabelNr (39?): ", "Vald slutmånad (C): ", "Sista februaridag: "}},
        {"BudgetPeriod",
         [&] {
             open();
             click(d->Label35);
         },
         "BudgetPeriod",
         bt::At::Start,
         [&] {
             no();
             clickItem(d->List3, "11");
         },
         "Disk full",
         "BudgetPeriod\n",
         {"Fel i rutinen BudgetPeriod.", "Felnivå): ", "Stoppmånad: "}},
        {"Datumval",
         pickRent,
         "Datumval (Vald månadssiffra)",
         bt::At::Start,
         [&] {
             no();
             click(d->dateLabel[10]);
         },
         "Disk full",
         "Datumval (Vald månadssiffra) vid försök att ändra månad\n",
         {"Fel i rutinen Datumval vid försök ändra månadssiffra.",
          "Aktuellt LabelNr: ", "Bef. belopp i aktuellt textfält (= 1): ",
          "Redan bef. datum i aktuellt datumfält (= 1): "}},
        {"List1_MouseUp",
         [&] {
             pickRent();
             click(d->dateLabel[10]);
         },
         "List1_MouseUp (Val av månadssiffra)",
         bt::At::End,
         [&] {
             no();
             clickItem(d->List1, "20");
         },
         "Disk full",
         "List1_MouseUp (Val av månadssiffra) vid försök att sätta månad\n",
         {"Fel i rutinen List1_MouseUp vid försök sätta månad.",
          "Vald månad (C): ", "Bef. belopp i aktuellt textfält (= 1): ", "Aktuellt LabelNr: ",
          "Redan bef. datum i aktuellt datumfält (= 1): "}},
        {"Command5_Click",
         [&] {
             pickRent();
             click(d->dateLabel[10]);
         },
         "Command5 (Avbryt datum)",
         bt::At::Start,
         [&] {
             no();
             click(d->Command5);
         },
         "Disk full",
         "Command5 (Avbryt datum) vid försök att avbryta datuminställning\nHyra\n",
         {"Fel i rutinen Command5 vid försök avbryta datuminställning.",
          "Aktuellt Labelnummer: ", "Senaste sökrecord i filen BudgetInfo: ", "Budgetkonto: "}},
        {"List4_MouseDown level 1",
         [&] {
             open();
             click(d->Command7);
         },
         "List4 (Transaktionslista)",
         bt::At::Start,
         [&] {
             no();
             clickItem(d->List4, "Hyra");
         },
         "Disk full",
         "List4 (Transaktionslista) vid försök att hämta listad transaktion\n\n",
         {"Fel i rutinen List4 (Transaktionslista...) tar fram tr.ref. Hämtar "
          "transaktion.(Nivå 1)",
          "Startmånadsnr: ", "Stoppmånadsnr: ", "Transaktion från List4: ",
          "Transaktion från filen Transakt: ", "Tecken från filen Transakt: = ", "Budgetkonto: "}},
        {"List4_MouseDown level 2",
         [&] {
             open();
             fakes.messages->onShow = [](const platform::testing::MessageCall& c) {
                 if (c.title == "Budgetera transaktion")
                     fyn::raiseError("Overflow");
             };
         },
         {},
         bt::At::Start,
         [&] {
             no();
             pickTransaction(*d, "Hyra");
         },
         "Overflow",
         "List4 (Transaktionslista) vid försök att hämta listad transaktion\nHyra\n",
         {"Fel i rutinen List4 (Transaktionslista) Kollar tecken, uteslutning, "
          "periodbehörighet .(Nivå 2)",
          "Ref.nr för uteslutning: ", "Uteslutningstext: ", "Startmånadsnr: ", "Stoppmånadsnr: ",
          "Aktuell månadssiffra från B-mall: ", "Aktuell månadssiffra G: ", "Aktuell dagssiffra: ",
          "Aktuellt belopp (formaterat): ", "Budgetkonto: "}},
        {"List4_MouseDown level 3",
         open,
         {},
         bt::At::Start,
         [&] {
             answer({Answer::Yes, Answer::No});
             pickTransaction(*d, "Hyra");
         },
         "Type mismatch",
         "List4 (Transaktionslista) vid försök att hämta listad transaktion\nHyra\n"
         "Felet finns i B-mall, post 2\n",
         {"Fel i rutinen List4 (Transaktionslista) Placerar datum och belopp per månad "
          ".(Nivå 3)",
          "Aktuell månadssiffra (G): ", "Aktuell dagssiffra för placering: ",
          "Aktuellt belopp (formaterat): ", "Aktuellt ref.nr B-mall: ", "Budgetkonto: ",
          "Felet finns i B-mall, post 2"},
         test::mallRows({{"2", "5000", "10", "26", "  "}, {"2", "50x0", "11", "25", "  "}})},
        {"List4_MouseDown level 4",
         open,
         "List4 (Transaktionslista)",
         bt::At::End,
         [&] {
             answer({Answer::Yes, Answer::No});
             pickTransaction(*d, "Hyra");
         },
         "Disk full",
         "List4 (Transaktionslista) vid försök att hämta listad transaktion\nHyra\n",
         {"Fel i rutinen List4 (Transaktionslista) Sättning av kommandoknappar, "
          "infotext.(Nivå 4)",
          "Befintligt belopp (formaterat): ", "Befintligt datum för transaktion: ",
          "Budgetkonto: "}},
        {"Command3_Click cancel",
         pickRent,
         "Command3 (Avbryt transaktion)",
         bt::At::Start,
         [&] {
             no();
             click(d->Command3);
         },
         "Disk full",
         "Command3 (Avbryt transaktion) vid försök att avbryta transaktionen\n",
         {"Fel i rutinen Command3 vid försök avbryta transaktion."}},
        {"Command3_Click exclude",
         [&] {
             open();
             answer({Answer::No}); // not budgeted now
             pickTransaction(*d, "Hyra");
         },
         "Command3 (Uteslut/Återanslut)",
         bt::At::Start,
         [&] {
             answer({Answer::Yes, Answer::No});
             click(d->Command3);
         },
         "Disk full",
         "Command3 (Uteslut/Återanslut) vid försök att återansluta transaktion\n",
         {"Fel i rutinen Command3 vid försök återansluta transaktion.(Nivå 1)",
          "Utvalsnyckel: ", "Antal record i filen B-mall: ", "Senaste sökrecord i filen: ",
          "Aktuellt PostNr: ", "Aktuell status i filpost (Bb): ", "Budgetkonto: "}},
        {"Command2_Click stage 1", pickRent, "Command2 (Budgetera...)", bt::At::Start,
         [&] {
             no();
             click(d->Command2);
         },
         "Disk full", "Command2 (Budgetera...) vid budgeteringsförsök av transaktionen\nHyra\n",
         QStringList{"Fel i rutinen Command2 (Budgetera...) vid sökning av insättningspunkt "
                     "(Nivå 1)",
                     "Senaste datum i listan: ", "Senaste belopp i listan: = ",
                     "Funnen insättningspunkt: "} +
             kRunLabels},
        {"Command2_Click stage 4",
         pickRent,
         {},
         bt::At::Start,
         [&] {
             no();
             sw::armFailure({0}, EIO);
             click(d->Command2);
         },
         platform::sysErrorText(EIO),
         "Command2 (Budgetera...) vid budgeteringsförsök av transaktionen\nHyra\n",
         QStringList{"Fel i rutinen Command2 (Budgetera...) nya uppgifter på "
                     "insättningspunkt.(Nivå 4)",
                     "Hämtat budgetsaldo: ", "Hämtat verkl.saldo: ", "Insättningspunkt: "} +
             kRunLabels,
         kTemplate,
         [&] {
             // Nothing was written; the plan stays for another try.
             EXPECT_EQ(data(), test::joined(test::ledgerOf("Bg", kRows)));
             EXPECT_TRUE(d->Command2->isEnabled());
             EXPECT_EQ(d->MonthList[10][1], "26");
         }},
        {"Command2_Click stage 5", pickRent, "Command2 (Budgetera...)", bt::At::End,
         [&] {
             no();
             click(d->Command2);
         },
         "Disk full", "Command2 (Budgetera...) vid budgeteringsförsök av transaktionen\nHyra\n",
         QStringList{"Fel i rutinen Command2 (Budgetera...) operationer i huvudformulär / "
                     "avslut.(Nivå 5)",
                     "PostNr för saldokontroll: "} +
             kRunLabels,
         kTemplate,
         [&] {
             // Posted once: what is on disk cannot be posted again.
             EXPECT_EQ(data().size(), 4 * 77);
             EXPECT_FALSE(d->Command2->isEnabled());
             EXPECT_EQ(d->MonthList[10][1], "");
             EXPECT_EQ(days(*d), QStringList(12, QString()));
         }},
        {"BudgScanna",
         pickRent,
         "BudgScanna (Scannar datafälten)",
         bt::At::Start,
         [&] {
             no();
             typeAmount(*d, 10, "4000");
         },
         "Disk full",
         "BudgScanna (Scannar datafälten)\n",
         {"Fel i rutinen BudgScanna (Scannar datafälten).",
          "Tecken: ", "Innehåll i Label9: ", "Innehåll i Label13: ", "Innehåll i Label17: ",
          "Innehåll i Label21: ", "Innehåll i Label25: ", "Innehåll i Label29: "}},
        {"Rensa",
         pickRent,
         "Rensa (tömmer datafälten)",
         bt::At::Start,
         [&] {
             answer({Answer::Yes, Answer::No}); // "Rensa skrivfält"
             click(d->Command6);
         },
         "Disk full",
         "Rensa (tömmer datafälten)\n",
         {"Fel i rutinen Rensa (Tömmer datafälten).", "Felnivå): "}},
        {"HolidayForm opened",
         open,
         "Command4_Click (Uteslut datum)",
         bt::At::Start,
         [&] {
             no();
             click(d->Command4);
         },
         "Disk full",
         "Command4_Click (Uteslut datum) vid öppning av registret för 'Röda dagar'\n",
         {"Fel i rutinen Command4_Click vid öppning av RedDayFil.", "Antal röda dagar: "}},
        {"HolidayForm saving",
         [&] {
             open();
             click(d->Command4);
             HolidayForm& h = *d->holidayForm();
             h.Text1->setText("Testdag");
             QTest::keyClick(h.Text1, Qt::Key_Return);
             press(h.YearLabel);
             press(h.MonthLabel);
             press(h.DayLabel);
         },
         "Command1_MouseDown",
         bt::At::Start,
         [&] {
             no();
             click(d->holidayForm()->Command1);
         },
         "Disk full",
         "Command1_MouseDown vid registrering av 'Röd dag'\n",
         {"Fel i rutinen Command1_MouseDown (RedDayFil).",
          "Röd dag: ", "Datum: ", "Antal röda dagar: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startBudget(kRows, kTrans, c.mall);
        Module1.FelText.clear();
        Module1.FelDump.clear();
        if (c.setUp)
            c.setUp();
        titles();
        if (!c.routine.isEmpty())
            bt::armFailure(c.routine, c.at);
        c.act();
        bt::armFailure({}, bt::At::Start);
        fakes.messages->onShow = nullptr;

        EXPECT_EQ(Module1.SysFel.toStdString(), c.sysText.toStdString());
        EXPECT_EQ(Module1.FelText.toStdString(),
                  ("Ett fel har uppstått i subrutinen " + c.message).toStdString());
        const QStringList entries = Module1.FelDump.split(kSep);
        EXPECT_EQ(entries.size(), c.dump.size()) << Module1.FelDump.toStdString();
        if (!entries.isEmpty()) {
            EXPECT_EQ(entries[0].toStdString(), c.dump[0].toStdString());
        }
        for (qsizetype i = 1; i < std::min(entries.size(), c.dump.size()); ++i)
            EXPECT_TRUE(entries[i].startsWith(c.dump[i]))
                << "'" << entries[i].toStdString() << "', not '" << c.dump[i].toStdString() << "'";
        // The error routine showed it and asked about the report.
        const QStringList shown = titles();
        EXPECT_TRUE(shown.contains("Felspec. = " + c.sysText)) << shown.join("|").toStdString();
        EXPECT_TRUE(fakes.messages->answers.empty()) << "questions scripted but not asked";
        fakes.messages->answers.clear();
        if (c.after)
            c.after();
    }
}

// A refused file outside the data folder is named in the report, as for every
// other window, not blamed on the data folder.
TEST_F(ErrorTexts, ARefusedFileIsNamedNotTheDataFolder) {
    const QString refused = path("ut/Röda dagar.txt");
    const bool ok = budget::trapBudget(
        [&] { raiseErrno(EACCES, refused); }, QStringLiteral("Command1 (OK)"), QString(),
        [] { return QStringLiteral("Fel i rutinen Command1."); }, [] { return QStringList{}; });
    EXPECT_FALSE(ok);
    const auto& calls = fakes.messages->calls;
    const auto denied = std::find_if(calls.begin(), calls.end(), [](const auto& c) {
        return c.title == QStringLiteral("Otillåten filåtkomst");
    });
    ASSERT_NE(denied, calls.end());
    EXPECT_TRUE(denied->text.contains(refused)) << denied->text.toStdString();
    EXPECT_FALSE(denied->text.contains(QStringLiteral("atamapp"))) << denied->text.toStdString();
}

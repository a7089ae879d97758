// Every error handler of the output dialog reports with its own three texts:
// the system's text, the message and the dump with its labels in their order.
// Each handler is reached through the window as the user reaches it, its work
// made to fail as it begins, so that handlers no damaged file can reach are
// checked as well.
#include "output/HandlerTrap.h"
#include "output/OutputDriver.h"

using namespace fyn;
using fyn::test::OutputTest;

class OutputHandler;
using Reach = void (*)(OutputHandler&, UtskrStatForm*&);

struct HandlerTexts {
    const char* routine;
    Reach reach;
    const char* message; // FelText without its closing line feed
    QStringList dump;    // FelDump's first text, then how each item begins
};

void PrintTo(const HandlerTexts& h, std::ostream* os) {
    *os << h.routine;
}

class OutputHandler : public OutputTest, public ::testing::WithParamInterface<HandlerTexts> {
public:
    // What the user does, from the dialog opened on the budget account.
    void open(UtskrStatForm*& d) { d = &openDialog(); }
    void statisticsChosen(UtskrStatForm*& d) {
        open(d);
        chooseTransaction(*d, "Mat");
    }
    void statisticsOnScreen(UtskrStatForm*& d) {
        statisticsChosen(d);
        listOnScreen(*d);
    }
    void variant(UtskrStatForm*& d, bool c1, bool c2, bool c3) {
        open(d);
        tickVariant(*d, c1, c2, c3);
    }
    void toScreen(UtskrStatForm& d) { listOnScreen(d); }
    void toFile(UtskrStatForm& d) { listToFile(d, path("lista.txt")); }
    void toPrinter(UtskrStatForm& d) { print(d); }
    using OutputTest::chooseAccount;
    using OutputTest::press;
    using OutputTest::setDatePart;

protected:
    void TearDown() override {
        output::armHandlerFault({}, {});
        OutputTest::TearDown();
    }
};

namespace {

void open(OutputHandler& t, UtskrStatForm*& d) {
    t.open(d);
}
void statisticsMode(OutputHandler& t, UtskrStatForm*& d) {
    t.open(d);
    QTest::mouseClick(d->Text2, Qt::LeftButton);
}
void statisticsChosen(OutputHandler& t, UtskrStatForm*& d) {
    t.statisticsChosen(d);
}
void statisticsOnScreen(OutputHandler& t, UtskrStatForm*& d) {
    t.statisticsOnScreen(d);
}
template <bool C1, bool C2, bool C3> void screen(OutputHandler& t, UtskrStatForm*& d) {
    t.variant(d, C1, C2, C3);
    t.toScreen(*d);
}
template <bool C1, bool C2, bool C3> void textFile(OutputHandler& t, UtskrStatForm*& d) {
    t.variant(d, C1, C2, C3);
    t.toFile(*d);
}
template <bool C1, bool C2, bool C3> void printer(OutputHandler& t, UtskrStatForm*& d) {
    t.variant(d, C1, C2, C3);
    t.toPrinter(*d);
}

const HandlerTexts kHandlers[] = {
    {"Text2_MouseUp",
     statisticsMode,
     "Text2_MouseUp ('Klicka för transaktion') vid försök att visa transaktionslistan i "
     "StatistikFormuläret",
     {"Fel i rutinen i subrutinen Text2_MouseUp ('Klicka för transaktion')",
      " vid försök visa transaktlistan i StatistikFormuläret.",
      "Transakt antal filposter: ", "Senast hämtade filpost: ", "Senast post i List4: ",
      "Inställd list höjd List4: ", "Växel Command2: "}},
    {"Combo1_Click",
     [](OutputHandler& t, UtskrStatForm*& d) {
         t.open(d);
         OutputHandler::chooseAccount(*d, "Hem");
     },
     "Combo1_Click i UtskriftsForm vid försök att välja konto",
     {"Fel i rutinen Combo1_Click i UtskriftsForm", " vid försök välja konto",
      "Erhållet kontonummer: ", "Erhållet kontonamn: ", "Framtagen sökväg: ",
      "Erhållet Bokföringsval: ", "Växelläge CH5: ", "Växelläge Command2: "}},
    {"List4_MouseUp",
     statisticsChosen,
     "List4_Click Utskriftsformulär vid försök att välja transaktion för statistik.",
     {"Fel i rutinen List4_Click vid försök välja transaktion för statistik.",
      "Erhållet referensnummer: ", "Erhållet transaktionsnamn: ", "Erhållet tecken från fil: ",
      "Text i Label13: "}},
    {"Inläs_Konton",
     open,
     "Inläs_Konton (UtskriftsForm).",
     {"Fel i rutinen Inläs_Konton (UtskriftsForm)", "Antal record i Kontofilen: ",
      "Senaste sökrecord i filen: ", "Erhållet kontonamn: ", "Aktuellt Bokföringsval: Bg"}},
    {"InitDatum",
     open,
     "InitDatum i Utskriftsformulär vid hämtning av tidsbestämd fildel.",
     {"Fel i rutinen InitDatum Utskriftsformulär vid filhämtning per tidsperiod.",
      "Bokföringsval: Bg", "Kontonamn: Bud",
      "Antal record i filen: ", "Senaste sökrecord i filen: ", "Startår: ", "Inledande post: "}},
    {"Datum_Jmf",
     [](OutputHandler& t, UtskrStatForm*& d) {
         t.open(d);
         OutputHandler::setDatePart(d->Label7, d->List1, "2024");
     },
     "Datum_Jmf i Utskriftsformulär vid försök att sätta tidsperiod.",
     {"Fel i rutinen Datum_Jmf i Utskriftsformulär vid sättning tidsperiod", "Startdatum: ",
      "Stoppdatum: ", "Antal record i filen B-mall: ", "Senaste sökrecord i filen: ",
      "Aktuellt Bokföringsval: ", "Aktuell startpunkt: ", "Aktuell stopp-punkt: ", "Växel CH5: "}},
    {"Datum_Reset",
     screen<false, false, false>,
     "Datum_Reset vid uppdatering av start- och end i tidsperiod.",
     {"Fel i rutinen Datum_Reset vid vid uppdat start- och end tidsperiod", "Startdatum: ",
      "EndDatum: ", "Bokföringsval: ", "Senaste sökrecord: ", "Sista record i filen: "}},
    {"ScPr_1",
     screen<false, false, false>,
     "ScPr_1 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_1 vid utskriftsförsök skärm (exkl. subtr & budget)",
      "GridSetting: ", "Bokföringsval: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"ScPr_2",
     screen<true, false, false>,
     "ScPr_2 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_2 vid utskriftsförsök skärm (inkl. subtr exkl. budget)",
      "GridSetting: ", "Bokföringsval: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"ScPr_3",
     screen<false, true, false>,
     "ScPr_3 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_3 vid utskriftsförsök skärm (exkl. subtr, exkl. diff, inkl budg.)",
      "GridSetting: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat belopp: ", "Hämtat verkl saldo: "}},
    {"ScPr_4",
     screen<false, true, true>,
     "ScPr_4 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_4 vid utskriftsförsök skärm (exkl. subtr, inkl. diff, inkl budg.)",
      "GridSetting: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat budg.belopp: ", "Hämtat verkl saldo: ",
      "Hämtad saldodiff: "}},
    {"ScPr_5",
     screen<true, true, true>,
     "ScPr_5 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_5 vid utskriftsförsök skärm (inkl. subtr, inkl. diff, inkl budg.)",
      "GridSetting: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat subtransaktion: ", "Hämtat budg. saldo: ",
      "Hämtad saldodiff: "}},
    {"ScPr_6",
     screen<true, true, false>,
     "ScPr_6 vid utskriftsförsök till skärm.",
     {"Fel i rutinen ScPr_6 vid utskriftsförsök skärm (inkl subtr, inkl budg, exkl diff.)",
      "GridSetting: ", "Senaste sökrecord i filen: ", "Stopprecord i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat subtransaktion: ", "Hämtat budg.saldo: ",
      "Hämtad verkl.saldo: "}},
    {"Trans_Stat",
     statisticsOnScreen,
     "Trans_Stat vid utskriftsförsök av statistik till skärm.",
     {"Fel i rutinen Trans_Stat vid utskriftsförsök skärm av trans.statistik",
      "Antal poster i matrisen: ", "Bokföringsval: Bg", "Skapad summering: "}},
    {"ScPr_7",
     statisticsOnScreen,
     "ScPr_7 vid utskriftsförsök till skärm av statistik.",
     {"Fel i rutinen ScPr_7 vid utskriftsförsök skärm av trans.statistik",
      "GridSetting: ", "Stopprecord i matrisen: ", "Hämtad bokföringsdag: ",
      "Hämtad subtransaktion: ", "Hämtat belopp: "}},
    {"FilPr_7",
     [](OutputHandler& t, UtskrStatForm*& d) {
         t.statisticsChosen(d);
         t.toFile(*d);
     },
     "FilPr_7 vid utskriftsförsök statistik till textfil.",
     {"Fel i rutinen FilPr_7 vid utskriftsförsök textfil (statistik)", "RubrikSetting 1: ",
      "RubrikSetting 2: Belopp", "Tab subtrans.: 12", "Senaste sökrecord i matrisen: ",
      "Sista record i filen: ", "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"PriPr_7",
     [](OutputHandler& t, UtskrStatForm*& d) {
         t.statisticsChosen(d);
         t.toPrinter(*d);
     },
     "PriPr_7 vid utskriftsförsök statistik till printer.",
     {"Fel i rutinen PriPr_7 vid utskriftsförsök printer (statistik)", "RubrikSetting 1: ",
      "RubrikSetting 2: Belopp", "Tab subtrans.: 2000", "Senaste sökrecord i matrisen: ",
      "Sista record i filen: ", "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"DiagramSkapa",
     [](OutputHandler& t, UtskrStatForm*& d) {
         t.statisticsOnScreen(d);
         OutputHandler::press(d->Command8);
     },
     "DiagramSkapa vid försök rita diagramkurva.",
     {"Fel i rutinen DiagramSkapa vid försök rita diagramkurva.", "Högsta beloppssumma: ",
      "Antal införda matrisposter (B): ", "Första utskriftspost på matris (Pnu): ",
      "Sista utskriftspost på matris (Pex): ", "Senast hämtade utskriftspost (A): ",
      "Antal införda matrisposter (D22): ", "Växeln 'Matris': ", "Tecken: ", "Växeln 'TV': ",
      "Växeln 'XF': ", "Första x-pos för kurvan (G): ", "Årtal för aktuell period: ",
      "Beloppsvärde (H) för kurvan: ", "Framräknat medelvärde (MV): "}},
    {"FilePrint",
     textFile<false, false, false>,
     "FilePrint vid utskriftssortering till textfil.",
     {"Fel i rutinen FilePrint vid utskriftssortering textfil.",
      "Filbenämning: ", "Markering Check1: 0", "Markering Check2: 0", "Markering Check3: 0"}},
    {"FilPr_1",
     textFile<false, false, false>,
     "FilPr_1 vid utskriftsförsök till textfil.",
     {"Fel i rutinen FilPr_1 vid utskriftsförsök textfil (exkl. subtr & budget)",
      "RubrikSetting: Utskrift av Bud", "Tab verkl.belopp: 45", "Bokföringsval: Bg",
      "Senaste sökrecord i filen: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat belopp: "}},
    {"FilPr_3",
     textFile<false, true, false>,
     "FilPr_3 vid utskriftsförsök till textfil.",
     {"Fel i rutinen FilPr_3 vid utskriftsförsök textfil (exkl. subtr inkl budget)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Budg.saldo", "Tab budg.belopp: 45",
      "Senaste sökrecord i filen: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat budg.saldo: "}},
    {"FilPr_4",
     textFile<false, true, true>,
     "FilPr_4 vid utskriftsförsök till textfil.",
     {"Fel i rutinen FilPr_4 vid utskriftsförsök textfil (exkl. subtr inkl budget & diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Budg.saldo", "Tab budg.belopp: 45",
      "Senaste sökrecord i filen: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat budg.saldo: "}},
    {"FilPr_5",
     textFile<true, true, true>,
     "FilPr_5 vid utskriftsförsök till textfil.",
     {"Fel i rutinen FilPr_5 vid utskriftsförsök textfil (inkl. subtr inkl budget & diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab subtrans.: 33",
      "Senaste sökrecord i filen: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat verkl.saldo: "}},
    {"FilPr_6",
     textFile<true, true, false>,
     "FilPr_6 vid utskriftsförsök till textfil.",
     {"Fel i rutinen FilPr_6 vid utskriftsförsök textfil (inkl subtr inkl budget exkl diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab subtrans.: 33",
      "Senaste sökrecord i filen: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat verkl.saldo: "}},
    {"PriPr_1",
     printer<false, false, false>,
     "PriPr_1 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_1 vid utskriftsförsök printer (exkl subtr exkl budget)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Belopp", "Tab huvudtrans.: 2000",
      "Bokföringsval: Bg", "Senaste sökrecord: ", "Sista record i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"PriPr_2",
     printer<true, false, false>,
     "PriPr_2 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_2 vid utskriftsförsök printer (inkl subtr exkl budget)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Belopp", "Tab huvudtrans.: 2000",
      "Bokföringsval: Bg", "Senaste sökrecord: ", "Sista record i filen: ",
      "Hämtad bokföringsdag: ", "Hämtat belopp: "}},
    {"PriPr_3",
     printer<false, true, false>,
     "PriPr_3 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_3 vid utskriftsförsök printer (exkl subtr inkl budget exkl diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab huvudtrans.: 2000",
      "Senaste sökrecord: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat verkl.belopp: "}},
    {"PriPr_4",
     printer<false, true, true>,
     "PriPr_4 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_4 vid utskriftsförsök printer (exkl subtr inkl budget inkl diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab huvudtrans.: 2000",
      "Senaste sökrecord: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat verkl.saldo: "}},
    {"PriPr_5",
     printer<true, true, true>,
     "PriPr_5 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_5 vid utskriftsförsök printer (inkl subtr inkl budget inkl diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab huvudtrans.: 2000",
      "Senaste sökrecord: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtad saldodiff: "}},
    {"PriPr_6",
     printer<true, true, false>,
     "PriPr_6 vid utskriftsförsök till printer.",
     {"Fel i rutinen PriPr_6 vid utskriftsförsök printer (inkl subtr inkl budget exkl diff)",
      "RubrikSetting 1: Utskrift av Bud", "RubrikSetting 2: Verkl.belopp", "Tab huvudtrans.: 2000",
      "Senaste sökrecord: ", "Sista record i filen: ", "Hämtad bokföringsdag: ",
      "Hämtat budg.saldo: "}},
};

} // namespace

TEST_P(OutputHandler, ReportsWithItsOwnThreeTexts) {
    const HandlerTexts& h = GetParam();
    test::writeAccount(test::simpleHem(), 2);
    start(test::budgetBud());
    output::armHandlerFault(h.dump.first(), "Type mismatch");
    fakes.messages->answers.push_back(platform::Answer::No); // no error report
    UtskrStatForm* d = nullptr;
    h.reach(*this, d);

    QStringList shown;
    for (const auto& call : fakes.messages->calls)
        shown << call.title;
    ASSERT_TRUE(shown.contains("Felspec. = Type mismatch")) << shown.join(" | ").toStdString();
    EXPECT_EQ(Module1.SysFel, "Type mismatch");
    EXPECT_EQ(Module1.FelText, QString("Ett fel har uppstått i subrutinen ") + h.message + "\n");
    const QStringList items = Module1.FelDump.split(QChar(0xA6));
    ASSERT_EQ(items.size(), h.dump.size()) << Module1.FelDump.toStdString();
    EXPECT_EQ(items.first().toStdString(), h.dump.first().toStdString());
    for (qsizetype i = 1; i < items.size(); ++i)
        EXPECT_TRUE(items[i].startsWith(h.dump[i]))
            << i << ": '" << items[i].toStdString() << "', not '" << h.dump[i].toStdString() << "'";
    EXPECT_EQ(Module1.FelSep, QString(QChar(0xA6)));
}

INSTANTIATE_TEST_SUITE_P(EveryOne, OutputHandler, ::testing::ValuesIn(kHandlers),
                         [](const ::testing::TestParamInfo<HandlerTexts>& info) {
                             QString name = QString::fromUtf8(info.param.routine);
                             name.replace("ä", "a");
                             name.remove('_');
                             return name.toStdString();
                         });

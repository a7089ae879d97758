// The text-file listing through the dialog: the file byte for byte for every
// variant, the save box, the completion message, and the failures.
#include "output/OutputDriver.h"

#include <QDirIterator>
#include <csignal>
#include <sys/resource.h>

using namespace fyn;
using fyn::test::OutputTest;

namespace {

const QString kDone = QStringLiteral("Konto- eller statistikutskrift ");

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST_F(OutputTest, TheTextFileOfEveryVariantByteForByte) {
    struct Case {
        bool budget;
        bool c1, c2, c3;
        QByteArray file;
    };
    const Case cases[] = {
        {false, false, false, false,
         "Utskrift av Hem 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion           Belopp        Saldo\r\n"
         "2024-01-01 Kontostart              30 000,00    30 000,00\r\n"
         "2024-01-15 L\xF6"
         "n                     25 000,00    55 000,00\r\n"
         "2024-01-20 Hyra                    -7 500,50    47 499,50\r\n"
         "2024-02-20 Hyra                    -7 000,00    40 499,50\r\n"
         "2024-03-01 F\xF6"
         "rs\xE4"
         "kringar och avgifter\r\n"
         "                                   -1 200,00    39 299,50\r\n"
         "2024-03-20 Hyra                    -8 000,00    31 299,50"},
        {false, true, false, false,
         "Utskrift av Hem 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion     Subtransaktion             Belopp        Saldo\r\n"
         "2024-01-01 Kontostart                                   30 000,00    30 000,00\r\n"
         "2024-01-15 L\xF6"
         "n                                          25 000,00    55 000,00\r\n"
         "2024-01-20 Hyra                                         -7 500,50    47 499,50\r\n"
         "2024-02-20 Hyra                 Extra                   -7 000,00    40 499,50\r\n"
         "2024-03-01 F\xF6"
         "rs\xE4"
         "kringar och avgifter\r\n"
         "                                                        -1 200,00    39 299,50\r\n"
         "2024-03-20 Hyra                                         -8 000,00    31 299,50"},
        {true, false, false, false,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion           Belopp        Saldo\r\n"
         "2024-01-01 Kontostart                   0,00         0,00\r\n"
         "2024-01-05 Mat                       -450,25      -450,25\r\n"
         "2024-01-25 L\xF6"
         "n                     21 000,00    20 549,75\r\n"
         "2024-02-01                              0,00    20 549,75\r\n"
         "2024-03-01 L\xF6"
         "n                 12 345 678,9012 366 228,65"},
        {true, true, false, false,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion     Subtransaktion             Belopp        Saldo\r\n"
         "2024-01-01 Kontostart                                        0,00         0,00\r\n"
         "2024-01-05 Mat                  Ica                       -450,25      -450,25\r\n"
         "2024-01-25 L\xF6"
         "n                                          21 000,00    20 549,75\r\n"
         "2024-02-01                      Coop                         0,00    20 549,75\r\n"
         "2024-03-01 L\xF6"
         "n                                      12 345 678,9012 366 228,65"},
        {true, false, true, false,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion      Budg.belopp Verkl.belopp   Budg.saldo  Verkl.saldo\r\n"
         "2024-01-01 Kontostart                   0,00         0,00         0,00         0,00\r\n"
         "2024-01-05 Mat                       -500,00      -450,25      -500,00      -450,25\r\n"
         "2024-01-25 L\xF6"
         "n                     20 000,00    21 000,00    19 500,00    20 549,75\r\n"
         "2024-02-01                         -1 000,00         0,00    18 500,00    20 549,75\r\n"
         "2024-03-01 L\xF6"
         "n                 12 345 678,9012 345 678,9012 364 178,9012 366 228,65"},
        {true, false, true, true,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion      Budg.belopp Verkl.belopp   Budg.saldo  Verkl.saldo   "
         "Saldodiff.\r\n"
         "2024-01-01 Kontostart                   0,00         0,00         0,00         0,00     "
         "    0,00\r\n"
         "2024-01-05 Mat                       -500,00      -450,25      -500,00      -450,25     "
         "   49,75\r\n"
         "2024-01-25 L\xF6"
         "n                     20 000,00    21 000,00    19 500,00    20 549,75     1 049,75\r\n"
         "2024-02-01                         -1 000,00         0,00    18 500,00    20 549,75     "
         "2 049,75\r\n"
         "2024-03-01 L\xF6"
         "n                 12 345 678,9012 345 678,9012 364 178,9012 366 228,65     2 049,75"},
        {true, true, true, true,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion     Subtransaktion        Budg.belopp Verkl.belopp   "
         "Budg.saldo  Verkl.saldo   Saldodiff.\r\n"
         "2024-01-01 Kontostart                                        0,00         0,00         "
         "0,00         0,00         0,00\r\n"
         "2024-01-05 Mat                  Ica                       -500,00      -450,25      "
         "-500,00      -450,25        49,75\r\n"
         "2024-01-25 L\xF6"
         "n                                          20 000,00    21 000,00    19 500,00    20 "
         "549,75     1 049,75\r\n"
         "2024-02-01                      Coop                    -1 000,00         0,00    18 "
         "500,00    20 549,75     2 049,75\r\n"
         "2024-03-01 L\xF6"
         "n                                      12 345 678,9012 345 678,9012 364 178,9012 366 "
         "228,65     2 049,75"},
        {true, true, true, false,
         "Utskrift av Bud 2024-05-01              Sida 1\r\n"
         "\r\n"
         "Datum      Huvudtransaktion     Subtransaktion        Budg.belopp Verkl.belopp   "
         "Budg.saldo  Verkl.saldo\r\n"
         "2024-01-01 Kontostart                                        0,00         0,00         "
         "0,00         0,00\r\n"
         "2024-01-05 Mat                  Ica                       -500,00      -450,25      "
         "-500,00      -450,25\r\n"
         "2024-01-25 L\xF6"
         "n                                          20 000,00    21 000,00    19 500,00    20 "
         "549,75\r\n"
         "2024-02-01                      Coop                    -1 000,00         0,00    18 "
         "500,00    20 549,75\r\n"
         "2024-03-01 L\xF6"
         "n                                      12 345 678,9012 345 678,9012 364 178,9012 366 "
         "228,65"},
    };
    test::writeAccount(test::budgetBud(), 2);
    UtskrStatForm& d = openOn(test::simpleHem());
    for (const Case& c : cases) {
        if (c.budget != (d.OutKontoSlag == "Bg")) {
            d.Combo1->setCurrentIndex(c.budget ? 1 : 0);
            emit d.Combo1->activated(d.Combo1->currentIndex());
        }
        tickVariant(d, c.c1, c.c2, c.c3);
        const QString file =
            path(QString("lista-%1-%2.txt")
                     .arg(d.OutKontoSlag)
                     .arg(d.chosenVariant() == output::Variant::None ? 0 : int(d.chosenVariant())));
        listToFile(d, file);
        EXPECT_EQ(test::readFile(file), c.file) << file.toStdString();
        EXPECT_EQ(titles(), QStringList{kDone});
        EXPECT_EQ(d.CancelState, "kto");
    }
}

TEST_F(OutputTest, TheSaveBoxNamesTheFileAndTheMessageSaysWhere) {
    UtskrStatForm& d = openOn(test::simpleHem());
    const QString file = path("ut/lista.txt");
    QDir().mkpath(path("ut"));
    test::writeFile(file, QByteArray(5000, 'x')); // an old file is replaced, on Yes
    const QString elsewhere = path("ut");
    QDir::setCurrent(elsewhere);
    fakes.messages->answers.push_back(platform::Answer::Yes);
    listToFile(d, file);
    ASSERT_EQ(titles(), (QStringList{"Spara som", kDone}));
    ASSERT_EQ(fakes.files->calls.size(), 1u);
    EXPECT_EQ(fakes.files->calls[0].parent, "UtskrStatForm");
    EXPECT_EQ(fakes.files->calls[0].request.folder, elsewhere);
    EXPECT_EQ(fakes.files->calls[0].request.suggestedName, "");
    EXPECT_TRUE(test::readFile(file).startsWith("Utskrift av Hem"));
    EXPECT_TRUE(test::readFile(file).endsWith("31 299,50"));
    EXPECT_EQ(lastBox().icon, platform::Icon::Information);
    EXPECT_EQ(lastBox().buttons, platform::Buttons::Ok);
    EXPECT_EQ(lastBox().text,
              "Utskriften finns nu tillgänglig på anvisad sökväg: " + file +
                  " !\n\nRekommenderas att filen öppnas med Anteckningar (NotePad) och med font "
                  "Courier New, fontstorlek 10 punkter ! \nDetta för att visa raka och "
                  "överskådliga kolumner.\n\nOvanstående fil kan med fördel printas ut !");
    EXPECT_EQ(QDir::currentPath(), Module1.StartFolder);
    EXPECT_EQ(d.Command2->text(), "Avbryt Konto");
    EXPECT_FALSE(d.Option2->isChecked());
    EXPECT_FALSE(d.Command1->isEnabled());
    EXPECT_EQ(filesIn(path("ut")), QStringList{"lista.txt"});
}

TEST_F(OutputTest, ACancelledSaveBoxWritesAndSaysNothing) {
    UtskrStatForm& d = openOn(test::simpleHem());
    const QStringList before = filesIn(dir.path());
    listToFile(d, QString());
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_FALSE(d.Option2->isChecked());
}

TEST_F(OutputTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    UtskrStatForm& d = openOn(test::simpleHem());
    fakes.messages->answers.push_back(platform::Answer::No);
    listToFile(d, path("saknas/lista.txt"));
    EXPECT_EQ(titles(), QStringList{"Felspec. = Path not found"});
    test::expectDump({"Fel i rutinen FilePrint vid utskriftssortering textfil.",
                      "Filbenämning: " + path("saknas/lista.txt"), "Markering Check1: 0",
                      "Markering Check2: 0", "Markering Check3: 0"});
    EXPECT_FALSE(QFileInfo::exists(path("saknas")));

    // A write that stops half way (here at a file size limit, as on a full
    // disk) leaves the old file whole and nothing beside it.
    QDir().mkpath(path("ut"));
    const QString file = path("ut/lista.txt");
    test::writeFile(file, "gammal");
    fakes.messages->answers.push_back(platform::Answer::Yes); // replace it
    fakes.messages->answers.push_back(platform::Answer::No);  // no report
    tick(d.Option2);
    fakes.files->answers.push_back(file);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    press(d.Command1);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    ASSERT_EQ(titles().size(), 2);
    EXPECT_TRUE(lastBox().title.startsWith("Felspec. = "));
    EXPECT_EQ(test::readFile(file), "gammal");
    EXPECT_EQ(filesIn(path("ut")), QStringList{"lista.txt"});
}

TEST_F(OutputTest, NoListingIsWrittenIntoTheDataFolder) {
    UtskrStatForm& d = openOn(test::simpleHem());
    listToFile(d, accountFile("Hem", "KontoData"));
    EXPECT_EQ(titles(), QStringList{kDone});
    EXPECT_TRUE(lastBox().text.startsWith("Utskriften kan inte sparas i programmets datamapp"));
    EXPECT_EQ(lastBox().icon, platform::Icon::Warning);
    EXPECT_EQ(test::readFile(accountFile("Hem", "KontoData")).size(), 6 * 43);
    EXPECT_EQ(d.CancelState, "kto");
}

TEST_F(OutputTest, ADamagedPostingEndsTheFileWhereItStands) {
    UtskrStatForm& d = openOnDamaged(test::simpleHem(), 3,
                                     test::rec(test::enkel("2024-01-20", "3", "-7500,5", "x")));

    fakes.messages->answers.push_back(platform::Answer::No);
    listToFile(d, path("ett.txt"));
    // The report first, then the file with the rows before the damage.
    EXPECT_EQ(titles(), (QStringList{"Felspec. = Type mismatch", kDone}));
    test::expectDump({"Fel i rutinen FilPr_1 vid utskriftsförsök textfil (exkl. subtr & budget)",
                      "RubrikSetting: Utskrift av Hem 2024-05-01              Sida ",
                      "Tab verkl.belopp: 45", "Bokföringsval: Ek", "Senaste sökrecord i filen: 3",
                      "Sista record i filen: 6", "Hämtad bokföringsdag: 2024-01-20",
                      "Hämtat belopp: -7 500,50"});
    EXPECT_TRUE(test::readFile(path("ett.txt"))
                    .endsWith("\r\n2024-01-15 L\xF6"
                              "n                     25 000,00    55 000,00"));

    // The variant without a handler of its own reports as the file's, and
    // claims no finished file.
    fakes.messages->answers.push_back(platform::Answer::No);
    tick(d.Check1);
    listToFile(d, path("tva.txt"));
    EXPECT_EQ(titles(), QStringList{"Felspec. = Type mismatch"});
    test::expectDump({"Fel i rutinen FilePrint vid utskriftssortering textfil.",
                      "Filbenämning: " + path("tva.txt"), "Markering Check1: 1"});
    EXPECT_EQ(d.CancelState, "fusk");
}

TEST_F(OutputTest, APeriodWithoutPostingsGivesTheHeadingsOnly) {
    UtskrStatForm& d = openOn(test::simpleHem());
    // The year list offers the year after the last posting.
    setDatePart(d.Label8, d.List1, "2025");
    setDatePart(d.Label7, d.List1, "2025");
    EXPECT_EQ(d.StartRec, 7);
    EXPECT_EQ(d.StopRec, 6);
    listToFile(d, path("tom.txt"));
    EXPECT_EQ(test::readFile(path("tom.txt")),
              "Utskrift av Hem 2024-05-01              Sida 1\r\n\r\n"
              "Datum      Huvudtransaktion           Belopp        Saldo\r\n");

    // A start after the stop is refused and undone.
    setDatePart(d.Label8, d.List1, "2024");
    EXPECT_EQ(titles(), (QStringList{kDone, "Felaktig datumsättning för tidsperiod"}));
    EXPECT_EQ(lastBox().text,
              "Startdatum får inte vara > Slutdatum !\n\n Datumändringen återtas !");
    EXPECT_EQ(d.Label8->text(), "2025");
    EXPECT_EQ(d.StartRec, 7);
}

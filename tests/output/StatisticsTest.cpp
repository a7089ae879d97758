// The statistics of one main transaction: the postings gathered and summed,
// and the result on the screen, in a text file, and when nothing matches;
// driven through the dialog as the user does it.
#include "output/Statistics.h"
#include "core/Paths.h"
#include "output/OutputDriver.h"
#include "support/TestSupport.h"
#include <QApplication>
#include <QRegularExpression>
#include <QTextLayout>

using namespace fyn;
using fyn::test::OutputTest;
using fyn::test::Posting;

namespace {

const QString kDone = QStringLiteral("Konto- eller statistikutskrift ");

// A simple account whose postings after the start all carry "Mat" (2), the
// amounts -1, -2, ... and every third the subtransaction "Ica".
test::FixtureAccount matAccount(int matches) {
    test::FixtureAccount a;
    a.name = "Mat";
    a.trans = {{"Kontostart", " "}, {"Mat", "-"}};
    a.kategori = {"Ica"};
    std::vector<Posting> rows = {{"2024-01-01", 1, "0", "1000"}};
    for (int i = 1; i <= matches; ++i)
        rows.push_back({QDate(2024, 1, 1).addDays(i).toString(Qt::ISODate), 2, "0",
                        QString::number(-i), i % 3 == 0 ? "1" : ""});
    a.postings = test::postingsOf("Ek", rows);
    return a;
}

class Gathering : public test::Sandbox {
protected:
    output::AccountData load(const test::FixtureAccount& a) {
        test::writeAccount(a, 1);
        output::AccountData data;
        data.load(accountFolder(a.name),
                  a.slag == "Bg" ? output::Kind::Budget : output::Kind::Enkel);
        return data;
    }
};

} // namespace

TEST_F(Gathering, ThePostingsOfTheTransactionWhateverTheirStatusOrStoredSign) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", {{"2024-01-01", 1, "0", "0"},
                                         {"2024-01-05", 2, "-500", "-450,25", "1"},
                                         {"2024-01-06", -2, "-100", "100"},
                                         {"2024-01-25", 4, "20000", "21000"},
                                         {"2024-02-01", 2, "-1000", "-999,99", "2", " "}});
    const output::AccountData data = load(a);
    output::StatProgress progress;
    const output::Statistics s = output::gatherStatistics(data, 2, 1, 5, progress);
    QStringList rows;
    for (const output::StatRow& r : s.rows)
        rows << QString::fromLatin1(r.dateText().data(), 10) + "|" +
                    QString::fromLatin1(r.subText().data(), qsizetype(r.subText().size())) + "|" +
                    QString::fromLatin1(r.amount().data(), qsizetype(r.amount().size()));
    // The actual amounts, a planned posting and a reference stored with "-".
    EXPECT_EQ(rows, (QStringList{"2024-01-05|Ica|-450,25", "2024-01-06||100,00",
                                 "2024-02-01|Coop|-999,99"}));
    EXPECT_EQ(output::statSummary(s.count(), s.total),
              "Antal = 3, Totalbel. = -1 350,24, Medel = -450,08");
    // Only the records of the period.
    EXPECT_EQ(output::gatherStatistics(data, 2, 3, 4, progress).count(), 1);
    EXPECT_EQ(output::gatherStatistics(data, 2, 3, 2, progress).count(), 0);
}

TEST(Summary, TheTotalAndTheMeanRoundFromTheExactSum) {
    struct Case {
        int count;
        long long total; // ten-thousandths
        const char* text;
    };
    const Case cases[] = {
        {1, -4502500, "Antal = 1, Totalbel. = -450,25, Medel = -450,25"},
        {3, -225005000, "Antal = 3, Totalbel. = -22 500,50, Medel = -7 500,17"},
        {2, 0, "Antal = 2, Totalbel. = 0,00, Medel = 0,00"},
        {8, 10000, "Antal = 8, Totalbel. = 1,00, Medel = 0,13"}, // a half rounds up
        {3, -1, "Antal = 3, Totalbel. = -0,00, Medel = -0,00"},
        // Digits beyond the pattern's nine join its first group.
        {4, 12345678900000, "Antal = 4, Totalbel. = 1234 567 890,00, Medel = 308 641 972,50"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(output::statSummary(c.count, c.total), c.text);
}

// A sum past what 64 bits of ten-thousandths hold still comes out exact.
TEST_F(Gathering, ASumOfManyLargeAmountsDoesNotOverflow) {
    test::FixtureAccount a;
    a.name = "Stor";
    a.trans = {{"Kontostart", " "}, {"Stor", "+"}};
    const QByteArray posting = test::rec(test::enkel("2024-01-01", "2", "99999999999", "0"));
    QByteArray file;
    const int n = 100000;
    file.reserve(posting.size() * n);
    for (int i = 0; i < n; ++i)
        file += posting;
    a.postings = {file};
    const output::AccountData data = load(a);
    output::StatProgress progress;
    const output::Statistics s = output::gatherStatistics(data, 2, 1, n, progress);
    EXPECT_EQ(output::statSummary(s.count(), s.total),
              "Antal = 100000, Totalbel. = 9999999999 900 000,00, Medel = 99999 999 999,00");
}

TEST_F(OutputTest, TheStatisticsOnTheScreenPageAsAListingDoes) {
    UtskrStatForm& d = openOn(matAccount(16));
    chooseTransaction(d, "Mat");
    listOnScreen(d);
    EXPECT_EQ(d.formHeight(), 8280);
    EXPECT_EQ(d.Frame1->geometry(), QRect(4460 / 15, 2640 / 15, 5600 / 15, 5100 / 15));
    EXPECT_EQ(headings(d), (QStringList{"Datum", "Subtransaktion", "Belopp"}));
    EXPECT_EQ(d.Label26->text(), "Statistik Mat");
    EXPECT_EQ(d.Label27->text(), "Antal = 16, Totalbel. = -136,00, Medel = -8,50");
    EXPECT_EQ(row(d, 0), (QStringList{"2024-01-02", "", "-1,00"}));
    EXPECT_EQ(row(d, 2), (QStringList{"2024-01-04", "Ica", "-3,00"}));
    EXPECT_TRUE(d.Command8->isVisible());
    EXPECT_EQ(d.CancelState, "stk");
    EXPECT_EQ(d.Grid1->item(0, 2)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));

    // Sixteen matches: fifteen rows down shows the last fifteen.
    EXPECT_FALSE(d.Command4->isEnabled());
    press(d.Command7);
    EXPECT_EQ(row(d, 0)[0], "2024-01-03");
    EXPECT_EQ(row(d, 14)[0], "2024-01-17");
    EXPECT_FALSE(d.Command7->isEnabled());
    press(d.Command5);
    EXPECT_EQ(row(d, 0)[0], "2024-01-02");

    // Cancelling ends the statistics and takes the table away.
    press(d.Command2);
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_FALSE(d.Frame1->isVisible() || d.Command8->isVisible() || d.Label27->isVisible());
    EXPECT_EQ(d.formHeight(), 3525);
}

TEST_F(OutputTest, TheStatisticsFileByteForByte) {
    UtskrStatForm& d = openOn(test::simpleHem());
    chooseTransaction(d, "Hyra");
    listToFile(d, path("hyra.txt"));
    EXPECT_EQ(test::readFile(path("hyra.txt")),
              "Konto: 'Hem', datum: 2024-05-01, Sida 1\r\n"
              "Statistik, transaktionen 'Hyra' \r\n"
              "Antal = 3, Totalbel. = -22 500,50, Medel = -7 500,17\r\n"
              "\r\n"
              "Datum      Subtransaktion             Belopp\r\n"
              "2024-01-20                         -7 500,50\r\n"
              "2024-02-20 Extra                   -7 000,00\r\n"
              "2024-03-20                         -8 000,00");
    // The message names the file, and the statistics are over.
    EXPECT_EQ(titles(), QStringList{kDone});
    EXPECT_TRUE(lastBox().text.contains(path("hyra.txt")));
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_EQ(d.StatMode, 0);
    EXPECT_TRUE(d.Text2->isEnabled());
}

TEST_F(OutputTest, TheStatisticsFileHoldsSixtyEightRowsAPage) {
    for (const int n : {68, 69}) {
        UtskrStatForm& d = openOn(matAccount(n));
        chooseTransaction(d, "Mat");
        const QString file = path(QString("mat-%1.txt").arg(n));
        listToFile(d, file);
        const QList<QByteArray> lines = test::readFile(file).split('\n');
        // Five header lines, the rows, and for a second page an empty line
        // and its own header.
        EXPECT_EQ(lines.size(), n == 68 ? 5 + 68 : 5 + 68 + 1 + 5 + 1);
        // The amount ends in column 44; every third posting has "Ica".
        EXPECT_EQ(lines.last(), n == 68 ? "2024-03-09" + QByteArray(28, ' ') + "-68,00"
                                        : "2024-03-10 Ica" + QByteArray(24, ' ') + "-69,00");
        if (n == 69) {
            EXPECT_EQ(lines[74], "Konto: 'Mat', datum: 2024-05-01, Sida 2\r");
        }
        delete utskrStatForm();
        form.reset();
        ledger::account().closeAll();
        checkpoint();
        titles();
    }
}

TEST_F(OutputTest, ALongSubtransactionPushesTheAmountOntoTheNextLine) {
    test::FixtureAccount a = test::simpleHem();
    a.kategori = {"En mycket lång subtransaktion"};
    UtskrStatForm& d = openOn(a);
    chooseTransaction(d, "Hyra");
    listToFile(d, path("lang.txt"));
    EXPECT_TRUE(test::readFile(path("lang.txt"))
                    .contains("2024-02-20 En mycket l\xE5ng subtransaktion\r\n"
                              "                                   -7 000,00\r\n"));
}

TEST_F(OutputTest, NoPostingOfTheTransactionInThePeriod) {
    test::writeAccount(test::budgetBud(), 2);
    UtskrStatForm& d = openOn(test::simpleHem());
    // A wide ledger table stands first; the notice must not show its rows.
    d.Combo1->setCurrentIndex(1);
    emit d.Combo1->activated(1);
    tickVariant(d, true, true, true);
    listOnScreen(d);
    press(d.Command2);
    // Mat's one posting, of 2024-01-05, lies outside the period.
    setDatePart(d.Label9, d.List3, "06");
    chooseTransaction(d, "Mat");
    listOnScreen(d);
    EXPECT_EQ(d.Label26->text(), "Statistik Mat");
    EXPECT_EQ(d.Label27->text(), "Ingen förekomst av transaktionen under tidsperioden !");
    EXPECT_EQ(d.Grid1->columnCount(), 3);
    EXPECT_EQ(row(d, 0), (QStringList{"", "", ""}));
    EXPECT_EQ(headings(d), (QStringList{"Datum", "Subtransaktion", "Belopp"}));
    EXPECT_FALSE(d.Command8->isVisible());
    EXPECT_FALSE(d.Command6->isEnabled() || d.Command7->isEnabled());
    EXPECT_EQ(d.CancelState, "stk");

    // To a file or the printer: a message, no save or print box, and the
    // statistics end.
    for (QRadioButton* o : {d.Option2, d.Option3}) {
        tick(o);
        press(d.Command1);
        EXPECT_EQ(titles(), QStringList{"Statistikupptagning av Mat"});
        EXPECT_EQ(lastBox().text, "Ingen förekomst av transaktionen under angiven tidsperiod !");
        EXPECT_EQ(d.CancelState, "kto");
        EXPECT_FALSE(d.Frame1->isVisible());
        chooseTransaction(d, "Mat");
    }
    EXPECT_TRUE(fakes.files->calls.empty());
    EXPECT_TRUE(fakes.printers->setups.isEmpty());
}

// "Utskrift" and a period change run the statistics of the transaction chosen
// in this dialog, now, and go nowhere the user did not send them.
TEST_F(OutputTest, NothingRunsWithoutATransactionChosenNow) {
    test::writeAccount(test::budgetBud(), 2);
    UtskrStatForm& d = openOn(test::simpleHem());
    chooseTransaction(d, "Hyra");
    listOnScreen(d);
    press(d.Command2);

    // Back in statistics with a destination still chosen: nothing to run yet,
    // and a period change opens no box.
    tick(d.Option2);
    QTest::mouseClick(d.Text2, Qt::LeftButton);
    EXPECT_FALSE(d.Command1->isEnabled());
    setDatePart(d.Label12, d.List2, "02");
    EXPECT_TRUE(fakes.files->calls.empty());
    EXPECT_EQ(d.StatTransNr, 0);
    press(d.Command2);

    // Another account: its own transaction numbers, none chosen.
    d.Combo1->setCurrentIndex(1);
    emit d.Combo1->activated(1);
    QTest::mouseClick(d.Text2, Qt::LeftButton);
    EXPECT_EQ(d.StatTransNr, 0);
    EXPECT_FALSE(d.Command1->isEnabled());

    // Chosen, with the printer as the destination: a period change waits for
    // "Utskrift", which prints once.
    choose(d.List4, "Lön");
    tick(d.Option3);
    setDatePart(d.Label8, d.List1, "2024");
    EXPECT_TRUE(fakes.printers->setups.isEmpty());
    fakes.printers->answers.push_back(true);
    press(d.Command1);
    EXPECT_EQ(fakes.printers->setups, QStringList{"UtskrStatForm"});
    EXPECT_TRUE(
        fakes.printers->calls.contains("TEXT 850 630 \"Statistik, transaktionen: 'L\u00f6n' \""));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    EXPECT_TRUE(fakes.files->calls.empty());
}

TEST_F(OutputTest, APeriodChangeRerunsTheStatisticsOnTheScreen) {
    UtskrStatForm& d = openOn(matAccount(30));
    chooseTransaction(d, "Mat");
    listOnScreen(d);
    press(d.Command8);
    ASSERT_TRUE(d.Picture1->isVisible());
    setDatePart(d.Label12, d.List2, "01");
    setDatePart(d.Label10, d.List3, "11");
    // The table follows the period; the diagram of the old result is gone.
    EXPECT_EQ(d.Label27->text(), "Antal = 10, Totalbel. = -55,00, Medel = -5,50");
    EXPECT_FALSE(d.Picture1->isVisible());
    EXPECT_TRUE(d.Command8->isVisible());
    // A period without the transaction leaves no way into a diagram.
    setDatePart(d.Label9, d.List3, "01");
    setDatePart(d.Label10, d.List3, "01");
    EXPECT_EQ(d.Label27->text(), "Ingen förekomst av transaktionen under tidsperioden !");
    EXPECT_FALSE(d.Command8->isVisible());
    EXPECT_TRUE(fakes.files->calls.empty());
}

TEST_F(OutputTest, AStatisticsFileThatCannotBeWrittenLeavesNothingAndClaimsNothing) {
    UtskrStatForm& d = openOn(test::simpleHem());
    chooseTransaction(d, "Hyra");
    fakes.messages->answers.push_back(platform::Answer::No);
    listToFile(d, path("saknas/hyra.txt"));
    EXPECT_EQ(titles(), QStringList{"Felspec. = Path not found"});
    test::expectDump({"Fel i rutinen FilPr_7 vid utskriftsförsök textfil (statistik)",
                      "RubrikSetting 1: Statistik, transaktionen 'Hyra' ",
                      "RubrikSetting 2: Belopp", "Tab subtrans.: 12",
                      "Senaste sökrecord i matrisen: 3", "Sista record i filen: 3"});
    EXPECT_FALSE(QFileInfo::exists(path("saknas")));
    EXPECT_EQ(d.CancelState, "stk");

    // A cancelled save box: nothing written or said, the statistics stay.
    listToFile(d, QString());
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(d.CancelState, "stk");
    EXPECT_EQ(d.StatTransNamn, "Hyra");
}

TEST_F(OutputTest, ADamagedPostingStopsTheStatisticsWithAReport) {
    UtskrStatForm& d =
        openOnDamaged(test::simpleHem(), 4, test::rec(test::enkel("2024-02-20", "3", "sju", "0")));
    chooseTransaction(d, "Hyra");
    fakes.messages->answers.push_back(platform::Answer::No);
    listOnScreen(d);
    EXPECT_EQ(titles(), QStringList{"Felspec. = Type mismatch"});
    EXPECT_TRUE(lastBox().text.startsWith("Ett fel har uppstått i subrutinen Trans_Stat vid "
                                          "utskriftsförsök av statistik till skärm.\n"
                                          "Felet finns i KontoData, post 4\n"));
    test::expectDump({"Fel i rutinen Trans_Stat vid utskriftsförsök skärm av trans.statistik",
                      "Antal poster i matrisen: 0", "Bokföringsval: Ek", "Skapad summering: "});
    // Nothing half gathered is shown.
    EXPECT_FALSE(d.Frame1->isVisible() || d.Command8->isVisible());
    EXPECT_EQ(d.CancelState, "stk");
}

namespace {

// A pensioner's food: six postings whose mean has a thousands group.
test::FixtureAccount foodAccount() {
    test::FixtureAccount a;
    a.name = "Hushåll";
    a.trans = {{"Kontostart", " "}, {"Mat", "-"}};
    a.kategori = {"Ica"};
    a.postings = test::postingsOf("Ek", {{"2024-01-01", 1, "0", "31021,15"},
                                         {"2024-01-05", 2, "0", "-1200"},
                                         {"2024-01-12", 2, "0", "-1500,25", "1"},
                                         {"2024-01-19", 2, "0", "-1438,25"},
                                         {"2024-01-26", 2, "0", "-1500"},
                                         {"2024-02-02", 2, "0", "-1500"},
                                         {"2024-02-09", 2, "0", "-1500"}});
    return a;
}

// The amounts in a text: digit groups joined by blanks of either kind.
QStringList amountsIn(const QString& text) {
    static const QRegularExpression amount(
        QStringLiteral("-?\\d{1,3}(?:[ \\x{00A0}]\\d{3})*,\\d\\d"));
    QStringList out;
    for (auto it = amount.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

// The lines a word-wrapped label paints its text in, laid out as Qt lays out
// a label's plain text: at word boundaries within the label's width.
QStringList paintedLines(const QLabel& label) {
    const QString text = label.text();
    QTextLayout layout(text, label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

bool ordinaryBlankBetweenDigits(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("\\d \\d")));
}

QString withBlanks(QString text) {
    return text.replace(QChar(0x00A0), QLatin1Char(' '));
}

} // namespace

// The summary keeps its amounts' digit groups together, so that its wrapped
// line never parts "-1" from "439,75"; the statistics file keeps its blanks.
TEST_F(OutputTest, NoTextOnTheScreenBreaksInsideAnAmount) {
    UtskrStatForm& d = openOn(foodAccount());
    chooseTransaction(d, "Mat");
    listOnScreen(d);
    QApplication::processEvents();

    const QString summary = d.Label27->text();
    EXPECT_EQ(withBlanks(summary), "Antal = 6, Totalbel. = -8 638,50, Medel = -1 439,75");
    EXPECT_FALSE(ordinaryBlankBetweenDigits(summary)) << summary.toStdString();
    // As painted: every amount whole on one line, and every line in sight.
    ASSERT_TRUE(d.Label27->wordWrap());
    const QStringList lines = paintedLines(*d.Label27);
    QStringList whole;
    for (const QString& line : lines)
        whole += amountsIn(line);
    EXPECT_EQ(whole, amountsIn(summary)) << lines.join('|').toStdString();
    EXPECT_EQ(amountsIn(summary).size(), 2);
    EXPECT_LE(lines.size() * QFontMetrics(d.Label27->font()).lineSpacing(),
              d.Label27->contentsRect().height());
    EXPECT_TRUE(d.grab().toImage().save(QCoreApplication::applicationDirPath() +
                                        "/utskrstatform-statistik-summa.png"));

    // The tables' cells are one line each, never wrapped: their amounts read
    // as the listing writes them.
    EXPECT_EQ(row(d, 1)[2], "-1 500,25");
    EXPECT_FALSE(d.Grid1->wordWrap() && d.Grid1->rowHeight(1) > 2 * d.fontMetrics().height());
    press(d.Command2);
    listOnScreen(d);
    EXPECT_EQ(row(d, 0).join('|'), "2024-01-01|Kontostart|31 021,15|31 021,15");

    // The file holds the summary as before, with ordinary blanks.
    press(d.Command2);
    chooseTransaction(d, "Mat");
    listToFile(d, path("mat.txt"));
    EXPECT_TRUE(test::readFile(path("mat.txt"))
                    .contains("Antal = 6, Totalbel. = -8 638,50, Medel = -1 439,75\r\n"));
}

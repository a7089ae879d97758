// The main transaction dialog on a real main window: re-signing, renaming,
// deleting and creating a name, each checked on the files byte for byte.
#include "core/Paths.h"
#include "names/NamesDriver.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace fyn;
using fyn::test::Row;
using platform::Answer;

namespace {

using Names = test::NameTest;

const std::vector<std::pair<QString, QString>> kTrans = {
    {"Kontostart", " "}, {"Insättning", "+"}, {"Uttag", "-"}, {"Fond", " "}};

// "Uttag" (3) holds rows 4 and 7, the neutral "Fond" (4) rows 3 and 6 with
// amounts of both signs.
const std::vector<Row> kRows = {
    {"2026-01-01", 1, "0", "0"},       {"2026-01-05", 2, "1000", "1000"},
    {"2026-01-10", 2, "500", "450"},   {"2026-02-01", 4, "30", "30"},
    {"2026-02-05", 3, "-120", "-100"}, {"2026-03-01", 2, "300", "300"},
    {"2026-03-05", 4, "-25", "-20"},   {"2026-04-01", 3, "-60", "-50"},
    {"2026-04-05", 2, "50", "55"},     {"2026-05-01", 2, "25", "25"},
};

QByteArray blankDates(QByteArray records, int length) {
    for (int at = 0; at < records.size(); at += length)
        records.replace(at, 10, QByteArray(10, ' '));
    return records;
}

// ---- Change of sign -------------------------------------------------------------------

TEST_F(Names, ReSigningMovesEachLaterBalanceByTheNewAmountLessTheOld) {
    struct Change {
        size_t row;
        const char* budg;
        const char* verkl;
    };
    const struct {
        const char* name;
        bool income;
        const char* sign;
        std::vector<Change> changes;
    } cases[] = {
        {"Uttag", true, "+", {{4, "120", "100"}, {7, "60", "50"}}},
        // A neutral transaction's postings: only those of the other sign change.
        {"Fond", false, "-", {{3, "-30", "-30"}}},
        {"Fond", true, "+", {{6, "25", "20"}}},
    };
    for (const char* slag : {"Ek", "Bg"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << slag << " " << c.name << " " << c.sign);
            startWith(slag, kRows, kTrans);
            std::vector<Row> expected = kRows;
            for (const Change& ch : c.changes) {
                expected[ch.row].budg = ch.budg;
                expected[ch.row].verkl = ch.verkl;
            }
            auto trans = kTrans;
            for (auto& t : trans)
                if (t.first == c.name)
                    t.second = c.sign;

            TransForm& d = openChange(c.name);
            EXPECT_FALSE(form->isEnabled());
            answer({Answer::No, Answer::Yes}); // not the text; the sign
            d.Option1->click();
            (c.income ? d.Option3 : d.Option4)->click();
            d.Command1->click();

            EXPECT_EQ(data(), test::joined(test::ledgerOf(slag, expected)));
            QByteArray names;
            for (const auto& [n, s] : trans)
                names += encodeRecord(TransPost{n, s});
            EXPECT_EQ(transaktFile(), names);
            EXPECT_EQ(lastBox().title, "Ändring av transaktion ");
            EXPECT_FALSE(d.isVisible());
            EXPECT_TRUE(form->isEnabled());
            EXPECT_EQ(Module1.Avb, "");
        }
    }
}

TEST_F(Names, AChangeThatWouldBreakTheLimitWritesNothing) {
    // Re-signing the withdrawals lifts the last balance to 120 000 000;
    // deleting the deposit lowers it to -120 000 000.
    const std::vector<Row> rows = {{"2026-01-01", 1, "0", "0"},
                                   {"2026-02-01", 2, "60000000", "60000000"},
                                   {"2026-03-01", 3, "-60000000", "-60000000"},
                                   {"2026-04-01", 3, "-60000000", "-60000000"}};
    for (const char* slag : {"Ek", "Bg"}) {
        for (const bool resign : {true, false}) {
            SCOPED_TRACE(testing::Message() << slag << (resign ? " re-sign" : " delete"));
            startWith(slag, rows);
            const QByteArray before = allFiles();
            TransForm& d = openChange(resign ? "Uttag" : "Insättning");
            if (resign) {
                answer({Answer::No, Answer::Yes});
                d.Option1->click();
                d.Option3->click();
                d.Command1->click();
            } else {
                answer({Answer::Yes});
                d.Option2->click();
            }
            EXPECT_EQ(lastBox().title, "Överskriden max-nivå");
            EXPECT_EQ(allFiles(), before);
            EXPECT_FALSE(d.isVisible());
            EXPECT_EQ(Module1.Avb, "");
        }
    }
}

// ---- Rename ---------------------------------------------------------------------------------

TEST_F(Names, ARenameChangesTheShownNameOnlyEvenWithAStaleNumber) {
    const struct {
        const char* shown;
        long staleNr; // a number left from an earlier choice, 0 = none
        int record;
    } cases[] = {{"Uttag", 0, 3}, {"Insättning", 3, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        startWith("Ek", kRows, kTrans);
        const QByteArray postings = data();
        pick(c.shown);
        if (c.staleNr > 0)
            Module1.TransNr = c.staleNr;
        answer({Answer::Yes});
        door();
        TransForm& d = mainDialog();
        answer({Answer::Yes}); // change the text
        d.Option1->click();
        answer({Answer::Yes, Answer::No}); // the new name is right; keep the sign
        enter(d.Text1, "Hyra & mat för året");

        auto trans = kTrans;
        trans[size_t(c.record - 1)].first = "Hyra & mat för året";
        QByteArray names;
        for (const auto& [n, s] : trans)
            names += encodeRecord(TransPost{n, s});
        EXPECT_EQ(transaktFile(), names);
        EXPECT_EQ(data(), postings);
        EXPECT_EQ(lastBox().text, QString("Transaktionen  '") + c.shown +
                                      "'\n\nhar nu bytts ut mot\n\n'Hyra & mat för året'\n\n"
                                      "i transaktionslistan");
        EXPECT_EQ(combo()->itemText(combo()->findData(qlonglong(c.record))), "Hyra & mat för året");
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(form->isEnabled());
    }
}

TEST_F(Names, ANameThatIsGoneOrTheAccountStartIsLeftAlone) {
    const struct {
        const char* shown;
        const char* title;
    } cases[] = {{"Finns ej", "Transaktionen saknas"}, {"Kontostart", "Standardtransaktion"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        startWith("Ek", kRows, kTrans);
        const QByteArray before = allFiles();
        if (QString(c.shown) == "Kontostart")
            pick(c.shown);
        else
            transText()->setText(c.shown);
        Module1.TransNr = 3; // "Uttag", never to be touched
        answer({Answer::Yes});
        door();
        EXPECT_EQ(lastBox().title, c.title);
        EXPECT_EQ(allFiles(), before);
        EXPECT_FALSE(mainDialog().isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(Module1.Avb, "");
    }
}

// ---- Deletion -----------------------------------------------------------------------------

TEST_F(Names, ADeletionRemovesThePostingsAndReportsCountAndSums) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        startWith(slag, kRows, kTrans);
        const int length = QString(slag) == "Ek" ? EnkelKontoPost::Length : BudgetKontoPost::Length;
        const QByteArray before = data();
        TransForm& d = openChange("Uttag");
        answer({Answer::Yes});
        d.Option2->click();

        std::vector<Row> kept = kRows;
        kept.erase(kept.begin() + 7);
        kept.erase(kept.begin() + 4);
        // The two freed records at the end keep their bytes with a blank date.
        EXPECT_EQ(data(), test::joined(test::ledgerOf(slag, kept)) +
                              blankDates(before.right(2 * length), length));
        EXPECT_EQ(
            transaktFile(),
            test::transakt({{"Kontostart", " "}, {"Insättning", "+"}, {"", " "}, {"Fond", " "}}));
        EXPECT_EQ(Module1.AntalPoster, 8);
        const bool bg = QString(slag) == "Bg";
        const QString sums = bg ? "har nu avlägsnats !\n\n"
                                  "(Totalsumman av borttagna Budgetbelopp är -180)\n\n"
                                  "(Totalsumman av borttagna Verkl.belopp är -150)\n\n"
                                : "har avlägsnats !\n\n"
                                  "(Totalsumman av borttagna belopp är -150)\n\n";
        EXPECT_EQ(lastBox().text, "2 st. kontopost(er) innehållande transaktionen\n\nUttag\n\n" +
                                      sums +
                                      "Övriga kontoposter har kontrollräknats efter operationen, "
                                      "och är korrekta !\n\n");
        EXPECT_EQ(lastBox().title, bg ? "Radering av transaktion " : "Radering av transaktion");
        EXPECT_EQ(combo()->findText("Uttag"), -1);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(Module1.Avb, "");
    }
}

TEST_F(Names, DeletingTheTransactionOfEveryPostingIsDeletingTheAccount) {
    test::FixtureAccount other = account("Ek", test::ledgerOf("Ek", {{"2026-01-01", 1, "0", "0"}}));
    other.name = "Sparkonto";
    test::writeAccount(other, 2);
    startWith("Ek", {{"2026-01-01", 2, "0", "100"}, {"2026-02-01", 2, "0", "50"}});
    const QByteArray before = allFiles();
    TransForm& d = openChange("Insättning");

    answer({Answer::Yes, Answer::No});
    d.Option2->click();
    EXPECT_EQ(titles().mid(1),
              (QStringList{"Kontokontroll vid transaktionsändring", "Ta bort konto ? ?"}));
    EXPECT_EQ(allFiles(), before);
    EXPECT_TRUE(d.isVisible());

    answer({Answer::Yes, Answer::Yes});
    d.Option2->click();
    EXPECT_FALSE(QDir(accountFolder("Hushåll")).exists());
    EXPECT_EQ(Module1.KontoNamn, "Sparkonto");
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(form->isEnabled());
}

// ---- A new name -------------------------------------------------------------------------------

TEST_F(Names, ANewNameTakesTheFirstFreeSlotAndIsReadyForOneAmount) {
    const std::vector<std::pair<QString, QString>> withGap = {
        {"Kontostart", " "}, {"Insättning", "+"}, {"", " "}, {"Uttag", "-"}};
    const std::vector<std::pair<QString, QString>> full = {
        {"Kontostart", " "}, {"Insättning", "+"}, {"Uttag", "-"}};
    const std::vector<Row> rows = {{"2026-01-01", 1, "0", "0"}, {"2026-03-01", 2, "1500", "1500"}};
    for (const char* slag : {"Ek", "Bg"}) {
        for (const bool gap : {true, false}) {
            SCOPED_TRACE(testing::Message() << slag << (gap ? " gap" : " appended"));
            startWith(slag, rows, gap ? withGap : full);
            const long slot = gap ? 3 : 4;
            TransForm& d = openNew();
            enter(d.Text1, "Hyra");
            d.Option4->click();
            d.Command1->click();

            EXPECT_EQ(transaktFile().mid((slot - 1) * TransPost::Length),
                      encodeRecord(TransPost{"Hyra", "-"}) +
                          (gap ? test::transakt({{"Uttag", "-"}}) : ""));
            EXPECT_FALSE(d.isVisible());
            EXPECT_TRUE(form->isEnabled());
            // As if picked from the list.
            EXPECT_EQ(Module1.TransNr, slot);
            EXPECT_EQ(Module1.HuvudTrans, "Hyra");
            EXPECT_EQ(Module1.TransTecken, "-");
            EXPECT_EQ(Module1.Avb, "cbonomark");
            EXPECT_EQ(combo()->currentText(), "Hyra");
            EXPECT_FALSE(firstBox()->isReadOnly());
            EXPECT_EQ(form->focusWidget(), firstBox());

            type(firstBox(), "75");
            form->Command2->click();
            ASSERT_EQ(Module1.AntalPoster, 3);
            const auto& posting = ledger::account().kontoData;
            const QString ref =
                QString(slag) == "Ek" ? posting.enkel(3).TransRef : posting.budget(3).TransRef;
            const QString amount =
                QString(slag) == "Ek" ? posting.enkel(3).Belopp : posting.budget(3).VerklBelopp;
            EXPECT_EQ(ref.trimmed(), QString::number(slot));
            EXPECT_EQ(amount.trimmed(), "-75");
        }
    }
}

// ---- Names refused ---------------------------------------------------------------------------

const QString kRefused[] = {
    "Tab\there",                 // a control character
    "Ω-fonden",                  // outside Windows-1252
    QString(36, 'a'),            // 36 bytes
    QString("åäö").repeated(12), // 36 bytes
};

TEST_F(Names, ABadNameIsRefusedAndNothingIsSaved) {
    startWith("Ek", kRows, kTrans);
    const QByteArray before = allFiles();

    TransForm& d = openNew();
    for (const QString& bad : kRefused) {
        SCOPED_TRACE(bad.toStdString());
        enter(d.Text1, bad);
        EXPECT_EQ(lastBox().title, "Ogiltigt namn");
        EXPECT_FALSE(d.Option3->isEnabled());
    }
    // OK checks again what the box holds by then.
    enter(d.Text1, "Godkänt");
    d.Option3->click();
    for (const QString& bad : kRefused) {
        d.Text1->setText(bad);
        d.Command1->click();
        EXPECT_EQ(lastBox().title, "Ogiltigt namn");
        EXPECT_TRUE(d.isVisible());
    }
    EXPECT_EQ(allFiles(), before);
    d.Command2->click();

    TransForm& c = openChange("Uttag");
    answer({Answer::Yes});
    c.Option1->click();
    for (const QString& bad :
         {kRefused[0], kRefused[1], kRefused[2], kRefused[3], QString("   ")}) {
        SCOPED_TRACE(bad.toStdString());
        enter(c.Text1, bad);
        EXPECT_EQ(lastBox().title, "Ogiltigt namn");
    }
    EXPECT_EQ(allFiles(), before);
    c.Command2->click();
}

TEST_F(Names, TheLongestNameAndMarkupAreKeptAsTyped) {
    startWith("Ek", kRows, kTrans);
    const QString names[] = {QString(35, 'a'), "<b>Fet</b> & €"};
    long slot = 5;
    for (const QString& typed : names) {
        TransForm& d = openNew();
        enter(d.Text1, typed);
        d.Option3->click();
        EXPECT_EQ(d.Label2->textFormat(), Qt::PlainText);
        EXPECT_TRUE(d.Label2->text().contains(typed));
        d.Command1->click();
        EXPECT_EQ(transaktFile().mid((slot - 1) * TransPost::Length, TransPost::Length),
                  encodeRecord(TransPost{typed, "+"}));
        ++slot;
        form->Command3_Click(); // end the entry the new name began
    }
}

} // namespace

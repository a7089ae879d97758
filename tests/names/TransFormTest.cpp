// The main transaction dialog on a real main window: re-signing, renaming,
// deleting and creating a name, each checked on the files byte for byte.
#include "core/Paths.h"
#include "names/NamesDriver.h"
#include "platform/testing/PowerCut.h"

#include <QApplication>
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

TEST_F(Names, ANameThatIsGoneIsLeftAlone) {
    startWith("Ek", kRows, kTrans);
    const QByteArray before = allFiles();
    transText()->setText("Finns ej");
    Module1.TransNr = 3; // "Uttag", never to be touched
    answer({Answer::Yes});
    door();
    EXPECT_EQ(lastBox().title, "Transaktionen saknas");
    EXPECT_EQ(allFiles(), before);
    EXPECT_FALSE(mainDialog().isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(Module1.Avb, "");
}

// The account start's postings must stay as they are: it may take another
// name, but is neither re-signed nor deleted.
TEST_F(Names, TheAccountStartMayOnlyBeRenamed) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        startWith(slag, kRows, kTrans);
        const QByteArray postings = data();
        TransForm& d = openChange("Kontostart");
        EXPECT_FALSE(d.Option2->isEnabled());
        answer({Answer::Yes}); // change the text
        QTest::mouseClick(d.Option1, Qt::LeftButton);
        answer({Answer::Yes}); // the new name is right; no question of the sign
        enter(d.Text1, "Ingående saldo");
        EXPECT_EQ(transaktFile().left(TransPost::Length),
                  encodeRecord(TransPost{"Ingående saldo", " "}));
        EXPECT_EQ(data(), postings);
        EXPECT_FALSE(d.isVisible());

        const QByteArray before = allFiles();
        TransForm& again = openChange("Ingående saldo");
        answer({Answer::No}); // not the text: the dialog closes without the sign offer
        QTest::mouseClick(again.Option1, Qt::LeftButton);
        EXPECT_FALSE(again.isVisible());
        EXPECT_EQ(allFiles(), before);
        EXPECT_EQ(Module1.Avb, "");
    }
}

// ---- Keys ---------------------------------------------------------------------------------

// The key goes where the user's focus is: the dialog's focused control.
void activate(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
}
void press(QWidget& window, int key, Qt::KeyboardModifiers mods = {}) {
    activate(window);
    QTest::keyClick(window.focusWidget(), Qt::Key(key), mods);
}
void typeIn(QWidget& window, const char* text) {
    QTest::keyClicks(window.focusWidget(), text);
}

// Tab after a new name reaches the sign options, also once a rename has used
// the dialog's other pair of options.
TEST_F(Names, TabAfterANewNameReachesTheSignOptionsAfterARename) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        startWith(slag, kRows, kTrans);
        // The new-name dialog: "El", Enter, Tab.
        auto tabAfterName = [&]() -> TransForm& {
            answer({Answer::Yes}); // "Har du kontrollerat om den transaktion ..."
            QTest::mouseClick(transText(), Qt::LeftButton);
            TransForm& d = mainDialog();
            press(d, Qt::Key_Home);
            typeIn(d, "El");
            press(d, Qt::Key_Return);
            press(d, Qt::Key_Tab);
            return d;
        };
        TransForm& before = tabAfterName();
        EXPECT_EQ(before.focusWidget(), before.Option3);
        QTest::mouseClick(before.Command2, Qt::LeftButton); // "Avbryt ny transaktion"
        ASSERT_FALSE(before.isVisible());

        // "Uttag" renamed: Ändra, Ja, the new name, Enter, Ja (the name), Nej (the sign).
        ASSERT_TRUE(choose("Uttag"));
        answer({Answer::Yes}); // "Vill du ändra eller radera denna transaktion ?"
        QTest::mouseClick(transText(), Qt::LeftButton);
        TransForm& d = mainDialog();
        activate(d);
        answer({Answer::Yes});
        QTest::mouseClick(d.Option1, Qt::LeftButton, {}, QPoint(7, d.Option1->height() / 2));
        press(d, Qt::Key_A, Qt::ControlModifier);
        typeIn(d, "Utgifter");
        answer({Answer::Yes, Answer::No});
        press(d, Qt::Key_Return);
        ASSERT_FALSE(d.isVisible());
        ASSERT_EQ(transaktFile().mid(2 * TransPost::Length, TransPost::Length),
                  encodeRecord(TransPost{"Utgifter", "-"}));

        TransForm& after = tabAfterName();
        EXPECT_EQ(after.focusWidget(), after.Option3);
        // Space takes the option the focus is on, and OK saves the name.
        press(after, Qt::Key_Space);
        EXPECT_TRUE(after.Option3->isChecked());
        EXPECT_EQ(after.focusWidget(), after.Command1);
        press(after, Qt::Key_Return);
        EXPECT_FALSE(after.isVisible());
        EXPECT_EQ(transaktFile().mid(4 * TransPost::Length), encodeRecord(TransPost{"El", "+"}));
        form->Command3_Click(); // end the entry the new name began
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
        // Each removal freed the then last record, a copy of the last posting
        // with its balances lowered by what had been removed before, date blank.
        std::vector<Row> firstGone = kRows;
        firstGone.erase(firstGone.begin() + 4);
        EXPECT_EQ(
            data(),
            test::joined(test::ledgerOf(slag, kept)) +
                blankDates(test::ledgerOf(slag, firstGone).back() + before.right(length), length));
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
                                      "och är korrekta !\r\n");
        EXPECT_EQ(lastBox().title, bg ? "Radering av transaktion " : "Radering av transaktion");
        EXPECT_EQ(combo()->findText("Uttag"), -1);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(Module1.Avb, "");
    }
}

TEST_F(Names, DeletingANameThatNoPostingUsesSaysSo) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        auto trans = kTrans;
        trans.push_back({"Hyra", "-"});
        startWith(slag, kRows, trans);
        const QByteArray postings = data();
        TransForm& d = openChange("Hyra");
        answer({Answer::Yes});
        d.Option2->click();
        EXPECT_EQ(lastBox().title, "Transaktionsradering");
        EXPECT_EQ(lastBox().text, QString("Transaktionen\n\nHyra\n\när nu raderad från listan !\n\n"
                                          "Transaktionen hittades dock inte i någon av "
                                          "kontoposterna....") +
                                      (QString(slag) == "Ek" ? "\n" : ""));
        EXPECT_EQ(data(), postings);
        EXPECT_FALSE(d.isVisible());
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

// A disk that fills up as a new name is saved: the name stands and is told
// to be finished later, and until it is, its record is neither read nor
// taken by the next new name.
TEST_F(Names, ANameToBeFinishedLaterIsNeverWrittenOver) {
    startWith("Ek", {{"2026-01-01", 1, "0", "0"}, {"2026-03-01", 2, "1500", "1500"}});
    platform::testing::PowerCutInstalled disk;
    bool full = true;
    disk->fault = [&](platform::testing::PowerCut::Op op, const QString& p) {
        return full && op == platform::testing::PowerCut::Op::Write && p.endsWith("/Transakt")
                   ? ENOSPC
                   : 0;
    };
    auto newName = [&](const QString& name) {
        fakes.messages->onShow = [this](const platform::testing::MessageCall& c) {
            if (c.buttons == platform::Buttons::YesNo && fakes.messages->answers.empty())
                fakes.messages->answers.push_back(Answer::No); // no error report
        };
        TransForm& d = openNew();
        enter(d.Text1, name);
        d.Option4->click();
        QTest::mouseClick(d.Command1, Qt::LeftButton);
        fakes.messages->onShow = nullptr;
        // A list that could not be read asks nothing about it.
        fakes.messages->answers.clear();
    };
    newName("El");
    QStringList told = titles();
    EXPECT_TRUE(told.contains("Ändringen slutförs senare")) << told.join(", ").toStdString();
    // Still full: the next name is refused, for Transakt cannot be read.
    form->Command3_Click();
    newName("Vatten");
    told = titles();
    EXPECT_TRUE(told.contains("Felspec. = Disk full")) << told.join(", ").toStdString();
    EXPECT_FALSE(told.contains("Ny transaktion (?)")) << "asked on a list it could not read";
    // Room again: each name in a record of its own.
    full = false;
    form->Command3_Click();
    newName("Vatten");
    EXPECT_EQ(transaktFile().mid(3 * TransPost::Length),
              test::transakt({{"El", "-"}, {"Vatten", "-"}}));
}

TEST_F(Names, ANewNameKeepsItsLeadingBlanks) {
    startWith("Ek", kRows, kTrans);
    TransForm& d = openNew();
    enter(d.Text1, "  Hyra  ");
    d.Option4->click();
    d.Command1->click();
    EXPECT_EQ(transaktFile().mid(4 * TransPost::Length), encodeRecord(TransPost{"  Hyra", "-"}));
    form->Command3_Click(); // end the entry the new name began
}

// ---- Failures --------------------------------------------------------------------------------

// A posting that cannot be read stops a change of sign or a deletion; the
// report names the amounts and balances of the transaction's first posting.
TEST_F(Names, AFailedReSigningOrDeletionReportsThePostingsNumbers) {
    // Twelve postings after today, so the grid shows the first ten; "Uttag"
    // holds records 4 and 7 (record 4: -40 / -30, balances -20 / -10), and
    // the twelfth's first balance is no number.
    std::vector<Row> rows;
    for (int i = 1; i <= 12; ++i) {
        const bool uttag = i == 4 || i == 7;
        rows.push_back({"2027-01-01",
                        i == 1  ? 1
                        : uttag ? 3
                                : 2,
                        i == 1  ? "0"
                        : uttag ? "-40"
                                : "10",
                        i == 1  ? "0"
                        : uttag ? "-30"
                                : "10"});
    }
    const QStringList changeHead = {
        "Fel i rutinen TransChange", "vid försök att ändra en transaktion",
        "Transaktionsreferens 3",    "Transaktion ",
        "Teckenändring till [+]",    "Postnr ",
        "Senaste markörpost ",       "Innehåll i transaktionsregister Uttag"};
    const QStringList dumps[2][2] = {
        // simple account: re-sign, delete
        {changeHead + QStringList{"Pågående Belopp för ändr -30", "Pågående Saldo för ändr. -10",
                                  "Res Belopp efter ändr -30", "Res Saldo efter ändr. -10",
                                  "Felet uppstod i konto Hushåll"},
         {"Fel i rutinen TransRadera_Enkel",
          "vid försök att radera en transaktion för Enkelt konto", "Angivet kontonamn Hushåll",
          "Angiven sökväg ", "Angivet bokf.val Ek", "Transaktion att radera Uttag",
          "Antal transaktioner i listan ", "Filpostlängd 43", "PostNr för saldokontr. ",
          "Belopp för radering -30", "Löpande Saldo för subtraktion -10", "Subtraherat Saldo 20",
          "Uppnådd filpost för subtraktion 4", "Antalet filposter 12", "Kontoslag = Enkel bokf."}},
        // budget account
        {changeHead +
             QStringList{"Pågående Budgetbelopp för ändr -40", "Pågående Verkl.belopp för ändr -30",
                         "Pågående Budg.saldo för ändr. -20", "Pågående verkl.saldo för ändr -10",
                         "Res Budgetbelopp efter ändr -40", "Res Verkl.belopp efter ändr -30",
                         "Res Budg.saldo efter ändr. -20", "Res verkl.saldo efter ändr -10",
                         "Felet uppstod i konto Hushåll"},
         {"Fel i rutinen TransRadera_Budget",
          "vid försök att radera en transaktion för budgetkonto",
          "Angivet kontonamn Hushåll",
          "Angiven sökväg ",
          "Angivet bokf.val Bg",
          "Transaktion att radera Uttag",
          "Filpostlängd 77",
          "PostNr för saldokontr. ",
          "Budgetbelopp för radering -40",
          "Verkl. belopp för radering -30",
          "Framräknad beloppsdiff. 10",
          "Löpande BudgetSaldo för subtraktion -20",
          "Löpande Verkl. Saldo för subtraktion -10",
          "Löpande SaldoDiff för subtraktion 10",
          "Subtraherat BudgetSaldo 20",
          "Subtraherat Verkl. Saldo 20",
          "Uppnådd filpost för subtraktion 4",
          "Antalet filposter 12",
          "Antal transaktioner i listan ",
          "Kontoslag = BudgetKonto"}}};
    for (const bool bg : {false, true}) {
        for (const bool resign : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << (bg ? "Bg" : "Ek") << (resign ? " re-sign" : " delete"));
            const QString slag = bg ? "Bg" : "Ek";
            form.reset();
            ledger::account().closeAll();
            checkpoint();
            std::vector<QByteArray> postings = test::ledgerOf(slag, rows);
            postings.back().replace(bg ? 36 : 25, 11, "15x0       ");
            test::FixtureAccount a = account(slag, postings);
            a.trans = kTrans;
            Module1.PostNr = 0; // a fresh start: no posting from before to place the grid by
            start(a);
            const QByteArray before = allFiles();
            TransForm& d = openChange("Uttag");
            if (resign) {
                answer({Answer::No, Answer::Yes}); // not the text; the sign
                d.Option1->click();
                d.Option3->click();
                answer({Answer::No}); // no error report
                d.Command1->click();
            } else {
                answer({Answer::Yes, Answer::No}); // delete; no error report
                d.Option2->click();
            }
            EXPECT_EQ(Module1.SysFel, "Type mismatch");
            test::expectDump(dumps[bg][resign ? 0 : 1]);
            EXPECT_EQ(allFiles(), before);
            d.Command2->click();
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

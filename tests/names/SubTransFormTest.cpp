// The subtransaction dialog on a real main window: deletion clears the name
// from its postings, a new name reuses the freed slot, a rename touches the
// name only, and a stale number or a bad name changes nothing.
#include "core/Paths.h"
#include "names/NamesDriver.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace fyn;
using fyn::test::Row;
using platform::Answer;

namespace {

using SubNames = test::NameTest;

// "Mat" (1) is on three postings, "Hyra" (2) on one.
const std::vector<Row> kRows = {
    {"2026-01-01", 1, "0", "0"},          {"2026-02-01", 2, "100", "100", "1"},
    {"2026-03-01", 3, "-20", "-20", "2"}, {"2026-04-01", 3, "-30", "-25", "1"},
    {"2026-05-01", 2, "40", "40", "1"},
};

QByteArray kategori(std::initializer_list<const char*> names) {
    QByteArray out;
    for (const char* n : names)
        out += encodeRecord(KategoriPost{n});
    return out;
}

TEST_F(SubNames, ADeletionClearsItsPostingsAndTheNextNameTakesTheSlot) {
    for (const char* slag : {"Ek", "Bg"}) {
        SCOPED_TRACE(slag);
        startWith(slag, kRows);
        showSubs();
        pick("Mat");
        Module1.SubTransNr = 2; // a number left from an earlier choice
        answer({Answer::Yes});
        door();
        SubTransForm& s = subDialog();
        EXPECT_FALSE(form->isEnabled());
        s.Option2->click();
        s.Command2->click();

        std::vector<Row> cleared = kRows;
        for (Row& r : cleared)
            if (QString(r.sub) == "1")
                r.sub = "";
        EXPECT_EQ(data(), test::joined(test::ledgerOf(slag, cleared)));
        EXPECT_EQ(kategoriFile(), kategori({"", "Hyra"}));
        EXPECT_EQ(lastBox().text, "SubTransaktionen\n\nMat\n\när nu raderad från listan !\n\n"
                                  "SubTransaktionen hittades i 3 kontoposter och raderades från "
                                  "dessa !");
        EXPECT_EQ(lastBox().title, "Radering subtransaktion");
        EXPECT_FALSE(s.isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_EQ(combo()->findText("Mat"), -1);

        const QByteArray postings = data();
        SubTransForm& n = openSubNew();
        enter(n.Text1, "Kläder");
        n.Command2->click();
        EXPECT_EQ(kategoriFile(), kategori({"Kläder", "Hyra"}));
        EXPECT_EQ(data(), postings);
        EXPECT_EQ(combo()->itemData(combo()->findText("Kläder")).toLongLong(), 1);
        EXPECT_FALSE(n.isVisible());
        EXPECT_TRUE(form->isEnabled());
    }
}

TEST_F(SubNames, ARenameChangesTheShownNameOnly) {
    const struct {
        const char* shown;
        long staleNr;
        const char* expected[2];
    } cases[] = {{"Hyra", 0, {"Mat", "Livsmedel"}}, {"Mat", 2, {"Livsmedel", "Hyra"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        startWith("Bg", kRows);
        const QByteArray postings = data();
        showSubs();
        pick(c.shown);
        if (c.staleNr > 0)
            Module1.SubTransNr = c.staleNr;
        answer({Answer::Yes});
        door();
        SubTransForm& s = subDialog();
        answer({Answer::Yes});
        s.Option1->click();
        answer({Answer::Yes});
        enter(s.Text1, "Livsmedel");
        s.Command2->click();
        EXPECT_EQ(kategoriFile(), kategori({c.expected[0], c.expected[1]}));
        EXPECT_EQ(data(), postings);
        EXPECT_NE(combo()->findText("Livsmedel"), -1);
        EXPECT_FALSE(s.isVisible());
        EXPECT_EQ(Module1.Avb, "");
    }
}

// Saved from a marked posting, the new name is offered to the posting as if
// picked from the list, and the window is whole again afterwards.
TEST_F(SubNames, ANewNameSavedFromAMarkedPostingLeavesTheWindowInOrder) {
    startWith("Ek", {{"2026-01-01", 1, "0", "0"}, {"2026-02-01", 2, "100", "100"}});
    QTest::mouseClick(form->S_TransOptionEnk, Qt::LeftButton);
    clickRow(1);
    answer({Answer::Yes}); // "Har du kontrollerat om ..."
    QTest::mouseClick(transText(), Qt::LeftButton);
    SubTransForm& n = subDialog();
    ASSERT_TRUE(n.isVisible());
    enter(n.Text1, "  Kläder");
    answer({Answer::Yes}); // "Vill du lägga in subtransaktionen ..." in the posting
    QTest::mouseClick(n.Command2, Qt::LeftButton);
    EXPECT_EQ(kategoriFile(), kategori({"Mat", "Hyra", "  Kläder"}));
    EXPECT_EQ(lastBox().title, "Ny subtransaktion i post");
    EXPECT_EQ(data(), test::joined(test::ledgerOf("Ek", {{"2026-01-01", 1, "0", "0"},
                                                         {"2026-02-01", 2, "100", "100", "3"}})));
    EXPECT_EQ(Module1.Avb, "mkg1");

    QTest::mouseClick(form->Command3, Qt::LeftButton);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(form->MarkRecord, 0);
    EXPECT_TRUE(form->Combo3->isEnabled());
    EXPECT_TRUE(form->TransCombo_Enkel->isEnabled());
    EXPECT_EQ(form->Command2->text(), "Flytta");
    EXPECT_EQ(Module1.EditMode, "flt");
}

// A swap asks which postings it changes; one reached through the list after
// the new-name dialog, with the scope of an earlier swap left over, too.
TEST_F(SubNames, ASwapAfterTheNewNameDialogAsksItsOwnScope) {
    startWith("Ek", {{"2026-01-01", 1, "0", "0"},
                     {"2026-02-01", 3, "-10", "-10"},
                     {"2026-03-01", 3, "-20", "-20"},
                     {"2026-04-01", 3, "-30", "-30"}});
    clickRow(1);
    answer({Answer::No, Answer::Yes, Answer::Yes}); // not only this one: all of them
    QTest::mouseClick(transText(), Qt::LeftButton);
    answer({Answer::Yes});
    pick("Insättning");
    ASSERT_EQ(data(), test::joined(test::ledgerOf("Ek", {{"2026-01-01", 1, "0", "0"},
                                                         {"2026-02-01", 2, "10", "10"},
                                                         {"2026-03-01", 2, "20", "20"},
                                                         {"2026-04-01", 2, "30", "30"}})));

    QTest::mouseClick(form->S_TransOptionEnk, Qt::LeftButton);
    clickRow(1);
    answer({Answer::Yes}); // "Har du kontrollerat om ..."
    QTest::mouseClick(transText(), Qt::LeftButton);
    QTest::mouseClick(subDialog().Command1, Qt::LeftButton); // "Avbryt"
    ASSERT_EQ(Module1.Avb, "mkg1");
    QTest::mouseClick(form->H_TransOptionEnk, Qt::LeftButton);
    answer({Answer::Yes, Answer::Yes, Answer::Yes}); // only this one, go on, swap it
    pick("Uttag");
    EXPECT_EQ(fakes.messages->calls.end()[-4].text,
              "Vill du byta ut transaktionen\r\n\r\nInsättning\r\n\r\ni ENBART denna "
              "kontopost ?");
    EXPECT_EQ(data(), test::joined(test::ledgerOf("Ek", {{"2026-01-01", 1, "0", "0"},
                                                         {"2026-02-01", 3, "-10", "-10"},
                                                         {"2026-03-01", 2, "20", "20"},
                                                         {"2026-04-01", 2, "30", "30"}})));
}

// A screen reader reads the dialogs' labels as they show, hints included.
TEST_F(SubNames, TheDialogsLabelsAreReadAsShown) {
    startWith("Ek", kRows);
    auto expectRead = [](QWidget& dialog) {
        for (QLabel* l : dialog.findChildren<QLabel*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(l);
            ASSERT_TRUE(a);
            EXPECT_EQ(a->text(QAccessible::Name), l->text()) << l->objectName().toStdString();
        }
    };
    SubTransForm& s = openSubNew();
    enter(s.Text1, "Kläder & skor");
    expectRead(s);
    s.Command1->click();
    QTest::mouseClick(form->H_TransOptionEnk, Qt::LeftButton);
    TransForm& t = openNew();
    enter(t.Text1, "Hyra & el");
    t.Option4->click(); // the hint names the new name
    expectRead(t);
    t.Command2->click();
}

TEST_F(SubNames, ANameThatIsGoneChangesNothing) {
    startWith("Ek", kRows);
    const QByteArray before = allFiles();
    showSubs();
    transText()->setText("Finns ej");
    Module1.SubTransNr = 1;
    answer({Answer::Yes});
    door();
    EXPECT_EQ(lastBox().title, "Subtransaktionen saknas");
    EXPECT_EQ(allFiles(), before);
    EXPECT_FALSE(subDialog().isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(Module1.Avb, "");
}

TEST_F(SubNames, ABadNameIsRefusedAndNothingIsSaved) {
    const QString refused[] = {"Rad\nbrytning", "Ω", QString(36, 'b'), QString("äöå").repeated(12)};
    startWith("Ek", kRows);
    const QByteArray before = allFiles();

    SubTransForm& n = openSubNew();
    for (const QString& bad : refused) {
        SCOPED_TRACE(bad.toStdString());
        enter(n.Text1, bad);
        EXPECT_EQ(lastBox().title, "Ogiltigt namn");
        EXPECT_FALSE(n.Command2->isEnabled());
    }
    n.Command1->click();

    SubTransForm& c = openSubChange("Mat");
    answer({Answer::Yes});
    c.Option1->click();
    for (const QString& bad : {refused[0], refused[1], refused[2], refused[3], QString("  ")}) {
        SCOPED_TRACE(bad.toStdString());
        enter(c.Text1, bad);
        EXPECT_EQ(lastBox().title, "Ogiltigt namn");
        EXPECT_FALSE(c.Command2->isEnabled());
    }
    c.Command1->click();
    EXPECT_EQ(allFiles(), before);
}

} // namespace

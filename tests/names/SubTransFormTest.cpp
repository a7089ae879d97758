// The subtransaction dialog on a real main window: deletion clears the name
// from its postings, a new name reuses the freed slot, a rename touches the
// name only, and a stale number or a bad name changes nothing.
#include "core/Paths.h"
#include "names/NamesDriver.h"

#include <QComboBox>
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
        EXPECT_EQ(lastBox().text, "SubTransaktionen\n\nMat\n\når nu raderad från listan !\n\n"
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

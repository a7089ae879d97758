// The output dialog's frame, used with the mouse and the keyboard: opening and
// closing beside the main window, the account choice, the check boxes, the
// destinations and the cancel button's states.
#include "core/PosFil.h"
#include "core/Records.h"
#include "output/OutputDriver.h"
#include "platform/ClickLabel.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QWindow>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::OutputTest;

namespace {

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString posPair(int pair) {
    const PosFilPost p = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    return trimBlanks(p.Pos[2 * pair]) + "/" + trimBlanks(p.Pos[2 * pair + 1]);
}

} // namespace

// Esc with nothing under way: the account chosen and nothing more, or no
// account at all.
static void escape(UtskrStatForm& d) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Escape);
}

TEST_F(OutputTest, OpensFromTheMenuAndGivesTheMainWindowBackHoweverItCloses) {
    const std::vector<std::pair<const char*, std::function<void(UtskrStatForm&)>>> ways = {
        {"Avsluta", [](UtskrStatForm& d) { press(d.Command3); }},
        {"close box", [](UtskrStatForm& d) { d.windowHandle()->close(); }},
        {"Esc", [](UtskrStatForm& d) { escape(d); }},
        {"Esc, no account chosen",
         [](UtskrStatForm& d) {
             press(d.Command2); // "Avbryt Konto"
             ASSERT_EQ(d.CancelState, "");
             escape(d);
         }},
    };
    for (const auto& [how, close] : ways) {
        SCOPED_TRACE(how);
        UtskrStatForm& d = openOn(test::simpleHem());
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.windowTitle(), "Utskrift KontoData och Statistik");
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(d.parentWidget(), nullptr); // a disabled caller would disable it too
        d.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &d);
        d.move(d.pos() + QPoint(30, 20));
        const QPoint moved = d.pos();
        close(d);
        settle();
        EXPECT_EQ(utskrStatForm(), nullptr);
        EXPECT_TRUE(form->isEnabled());
        // Both ways keep where the user put it, in twips.
        EXPECT_EQ(posPair(int(WindowPos::UtskrStatForm)),
                  QString("%1/%2").arg(moved.x() * 15).arg(moved.y() * 15));
        form.reset();
        ledger::account().closeAll();
        checkpoint();
    }
}

TEST_F(OutputTest, OpensOnTheMainWindowsAccountWithItsWholeRange) {
    test::FixtureAccount other = test::budgetBud();
    other.name = QString("Fond") + QChar(6); // the fund-account mark is not part of the name
    test::writeAccount(other, 2);
    test::blankSlot(3);
    test::writeAccount(test::budgetBud(), 4);
    UtskrStatForm& d = openOn(test::simpleHem());

    EXPECT_EQ(d.Text1->text(), "Hem");
    EXPECT_EQ(d.Combo1->currentIndex(), -1);
    QStringList listed;
    for (int i = 0; i < d.Combo1->count(); ++i)
        listed << d.Combo1->itemText(i) + "=" + d.Combo1->itemData(i).toString();
    EXPECT_EQ(listed, (QStringList{"Hem=1", "Fond=2", "Bud=4"}));
    EXPECT_EQ(QStringList({d.Label7->text(), d.Label11->text(), d.Label9->text(), d.Label8->text(),
                           d.Label12->text(), d.Label10->text()}),
              (QStringList{"2024", "01", "01", "2024", "03", "20"}));
    EXPECT_EQ(d.Label14->text(), "Hela Kontofilen !");
    EXPECT_TRUE(d.Check1->isEnabled());
    EXPECT_FALSE(d.Check2->isEnabled()); // a simple account has no budget
    EXPECT_FALSE(d.Check3->isEnabled());
    EXPECT_FALSE(d.Command1->isEnabled());
    EXPECT_EQ(d.Command2->text(), "Avbryt Konto");
    EXPECT_TRUE(d.Option3->isEnabled());
    EXPECT_TRUE(d.Text2->isEnabled());

    // Every control can be read by a screen reader.
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (w->isHidden() || w->objectName().isEmpty() || !w->objectName().front().isUpper())
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(a) << w->objectName().toStdString();
        if (qobject_cast<QLabel*>(w) && static_cast<QLabel*>(w)->text().isEmpty() &&
            w->accessibleName().isEmpty())
            continue; // an empty label says nothing
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
    }
}

TEST_F(OutputTest, CommandTwoNamesWhatItCancelsInEveryState) {
    UtskrStatForm& d = openOn(test::budgetBud());
    fakes.printers->answers.push_back(true);
    struct Step {
        QAbstractButton* (*control)(UtskrStatForm&);
        const char* caption;
        const char* state;
        bool utskrift;
    };
    auto o1 = [](UtskrStatForm& f) -> QAbstractButton* { return f.Option1; };
    auto o2 = [](UtskrStatForm& f) -> QAbstractButton* { return f.Option2; };
    auto o3 = [](UtskrStatForm& f) -> QAbstractButton* { return f.Option3; };
    auto c2 = [](UtskrStatForm& f) -> QAbstractButton* { return f.Command2; };
    auto c1 = [](UtskrStatForm& f) -> QAbstractButton* { return f.Command1; };
    auto ch = [](UtskrStatForm& f) -> QAbstractButton* { return f.Check1; };
    const Step steps[] = {
        {o1, "Avbryt Skärmutskr.", "sku", true},
        {c2, "Avbryt Konto", "kto", false},
        {o2, "Avbryt Filutskr.", "fusk", true},
        {c2, "Avbryt Konto", "kto", false},
        {o3, "Avbryt Printerutskr.", "prusk", true},
        {c1, "Avbryt Konto", "kto", false},
        {o2, "Avbryt Filutskr.", "fusk", true},
        // A check box clears the destination and leaves the state.
        {ch, "Avbryt Filutskr.", "fusk", false},
    };
    for (const Step& s : steps) {
        QAbstractButton* b = s.control(d);
        if (qobject_cast<QPushButton*>(b))
            press(b);
        else
            tick(b);
        EXPECT_EQ(d.Command2->text(), s.caption) << b->objectName().toStdString();
        EXPECT_EQ(d.CancelState, s.state);
        EXPECT_EQ(d.Command1->isEnabled(), s.utskrift) << b->objectName().toStdString();
    }
    EXPECT_EQ(fakes.printers->calls.last(), "END");
    EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked() || d.Option3->isChecked());

    // "kto": the account is dropped, and nothing can be listed until another
    // is chosen.
    press(d.Command2);
    press(d.Command2);
    EXPECT_EQ(d.CancelState, "");
    EXPECT_EQ(d.Command2->text(), "Avbryt");
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_EQ(d.Text1->text(), "");
    EXPECT_EQ(d.Label7->text() + d.Label14->text(), "");
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             d.Check1, d.Check2, d.Check3, d.Option1, d.Option2, d.Option3})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    clickLabel(d.Label7); // the dates of no account do not open
    EXPECT_FALSE(d.List1->isVisible());

    // The account chosen by keyboard, without opening the list.
    d.Combo1->setFocus();
    QTest::keyClick(d.Combo1, Qt::Key_Down);
    EXPECT_EQ(d.Text1->text(), "Bud");
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_TRUE(d.Option1->isEnabled());
    EXPECT_EQ(d.Label8->text(), "2024");
}

TEST_F(OutputTest, CheckBoxesFollowTheirRulesFromMouseAndKeyboard) {
    UtskrStatForm& d = openOn(test::budgetBud());
    tick(d.Check2);
    EXPECT_TRUE(d.Check3->isEnabled());
    tick(d.Check3);
    tick(d.Check2); // unticked: Check3 cleared and closed
    EXPECT_FALSE(d.Check3->isChecked());
    EXPECT_FALSE(d.Check3->isEnabled());

    // The space bar runs the same rules.
    d.Check2->setFocus();
    QTest::keyClick(d.Check2, Qt::Key_Space);
    EXPECT_TRUE(d.Check3->isEnabled());
    d.Check3->setFocus();
    QTest::keyClick(d.Check3, Qt::Key_Space);
    d.Check2->setFocus();
    QTest::keyClick(d.Check2, Qt::Key_Space);
    EXPECT_FALSE(d.Check3->isChecked());
    EXPECT_EQ(d.chosenVariant(), output::Variant::Pr_1);

    // A screen table goes when a box changes.
    listOnScreen(d);
    EXPECT_TRUE(d.Frame1->isVisible());
    EXPECT_EQ(d.formHeight(), 8280);
    tick(d.Check1);
    EXPECT_FALSE(d.Frame1->isVisible());
    EXPECT_EQ(d.formHeight(), 3525);
    EXPECT_FALSE(d.Option1->isChecked());
    EXPECT_FALSE(d.Command1->isEnabled());
}

TEST_F(OutputTest, AnotherAccountIsReadFromTheDataFolderAndTheMainWindowKeepsItsOwn) {
    test::FixtureAccount b = test::budgetBud();
    test::writeAccount(b, 2);
    // The register's folder field is no path on this system.
    openRecordFile<KontoFilPost>(kontoFilPath())
        .put(2, KontoFilPost{"Bud", "1", "Bg", "Q:\\Gammal\\"});
    UtskrStatForm& d = openOn(test::simpleHem());
    const SharedState before = Module1;

    d.Combo1->setFocus();
    QTest::keyClick(d.Combo1, Qt::Key_Down);
    QTest::keyClick(d.Combo1, Qt::Key_Down);
    EXPECT_EQ(d.Text1->text(), "Bud");
    EXPECT_EQ(d.OutKontoSlag, "Bg");
    EXPECT_TRUE(d.Check2->isEnabled());
    EXPECT_EQ(d.RecCount, 5);
    EXPECT_EQ(d.Label10->text(), "01");

    // Back on the simple account chosen by keyboard, no budget variant stays.
    tick(d.Check2);
    QTest::keyClick(d.Combo1, Qt::Key_Up);
    EXPECT_EQ(d.Text1->text(), "Hem");
    EXPECT_FALSE(d.Check2->isChecked() || d.Check2->isEnabled());

    EXPECT_EQ(Module1.KontoNum, before.KontoNum);
    EXPECT_EQ(Module1.KontoNamn, before.KontoNamn);
    EXPECT_EQ(Module1.KontoSlag, before.KontoSlag);
    EXPECT_EQ(Module1.TransTecken, before.TransTecken);
}

TEST_F(OutputTest, OpeningTheAccountListDropsTheAccount) {
    UtskrStatForm& d = openOn(test::simpleHem());
    QTest::mouseClick(d.Combo1, Qt::LeftButton);
    d.Combo1->hidePopup(); // closed again without a choice
    EXPECT_EQ(d.CancelState, "");
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_EQ(d.Text1->text(), "");
}

TEST_F(OutputTest, AnAccountThatCannotBeReadIsReportedOnceAndListsNothing) {
    test::FixtureAccount gone = test::budgetBud();
    test::writeAccount(gone, 2);
    QDir(accountFolder("Bud")).removeRecursively();
    test::FixtureAccount empty = test::simpleHem();
    empty.name = "Tom";
    empty.postings.clear();
    test::writeAccount(empty, 3);
    QFile::remove(accountFile("Tom", "KontoData"));
    QFile::remove(accountFile("Tom", "Kategori"));
    UtskrStatForm& d = openOn(test::simpleHem());

    fakes.messages->answers.push_back(platform::Answer::No); // no error report
    d.Combo1->setCurrentIndex(1);
    emit d.Combo1->activated(1);
    ASSERT_EQ(titles(), QStringList{"Felspec. = Path not found"});
    EXPECT_TRUE(lastBox().text.startsWith(
        "Ett fel har uppstått i subrutinen Combo1_Click i UtskriftsForm vid försök att välja "
        "konto\n"));
    test::expectDump({"Fel i rutinen Combo1_Click i UtskriftsForm", " vid försök välja konto",
                      "Erhållet kontonummer: 2", "Erhållet kontonamn: Bud"});
    EXPECT_EQ(d.CancelState, "");
    EXPECT_FALSE(d.Option1->isEnabled());

    // Missing files are empty, and stay missing.
    d.Combo1->setCurrentIndex(2);
    emit d.Combo1->activated(2);
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_EQ(d.RecCount, 0);
    EXPECT_EQ(d.Label14->text(), "Hela Kontofilen !");
    listOnScreen(d);
    EXPECT_EQ(test::OutputTest::row(d, 0), QStringList({"", "", "", ""}));
    EXPECT_FALSE(QFileInfo::exists(accountFile("Tom", "KontoData")));
    EXPECT_FALSE(QFileInfo::exists(accountFile("Tom", "Kategori")));
}

TEST_F(OutputTest, WithoutAReadableCurrentAccountItOpensWithNoneChosen) {
    start(test::simpleHem());
    Module1.KontoSlag.clear(); // as after a register slot went blank
    UtskrStatForm& d = openDialog();
    EXPECT_EQ(d.CancelState, "");
    EXPECT_FALSE(d.Option1->isEnabled());
    EXPECT_TRUE(titles().isEmpty());
    d.Combo1->setCurrentIndex(0);
    emit d.Combo1->activated(0);
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_EQ(d.RecCount, 6);
}

TEST_F(OutputTest, StatisticsModeChoosesATransactionOfTheAccount) {
    UtskrStatForm& d = openOn(test::budgetBud());
    const QString sign = Module1.TransTecken;
    tick(d.Option2); // a destination chosen first waits for the transaction
    QTest::mouseClick(d.Text2, Qt::LeftButton);
    EXPECT_EQ(d.Command2->text(), "Avbryt Statistik");
    EXPECT_EQ(d.CancelState, "stk");
    EXPECT_FALSE(d.Command1->isEnabled());
    EXPECT_FALSE(d.Option1->isEnabled());
    EXPECT_FALSE(d.Combo1->isEnabled());
    ASSERT_TRUE(d.List4->isVisible());
    QStringList names;
    for (int i = 0; i < d.List4->count(); ++i)
        names << d.List4->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Kontostart", "Mat", "Lön"})); // the deleted one left out

    choose(d.List4, "Mat");
    EXPECT_EQ(d.Text2->text(), "Mat");
    EXPECT_EQ(d.StatTransNr, 2);
    EXPECT_EQ(d.StatTransTecken, "-");
    EXPECT_EQ(Module1.TransTecken, sign); // the main window's sign is its own
    EXPECT_EQ(d.Label13->text(), "Skriv ut statistik till:");
    tick(d.Option1);
    EXPECT_EQ(d.Command2->text(), "Avbryt Statistik");
    press(d.Command1);
    EXPECT_EQ(d.Label26->text(), "Statistik Mat");
    EXPECT_EQ(d.StatCount + 1, 1);

    press(d.Command2);
    EXPECT_FALSE(d.Frame1->isVisible());
    EXPECT_FALSE(d.Label26->isVisible());
    EXPECT_EQ(d.CancelState, "kto");
    EXPECT_EQ(d.StatTransNr, 0);
    EXPECT_TRUE(d.Text2->isEnabled());
    EXPECT_EQ(d.Label13->text(), "Skriv ut Kontofil till:");
}

TEST_F(OutputTest, HelpAndEscapeFromTheKeyboard) {
    UtskrStatForm& d = openOn(test::simpleHem());
    clickLabel(d.Label28);
    d.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &d);
    QTest::keyClick(&d, Qt::Key_F1);
    EXPECT_EQ(fakes.help->contexts, (std::vector<int>{70000, 70000}));

    // Esc closes an open date list first, then cancels as Command2 does.
    tick(d.Option2);
    clickLabel(d.Label11);
    ASSERT_TRUE(d.List2->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(d.List2->isVisible());
    EXPECT_EQ(d.CancelState, "fusk");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(d.CancelState, "kto");
    // With nothing more under way it closes, as "Avsluta" does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(utskrStatForm(), nullptr);
    EXPECT_TRUE(form->isEnabled());
}

// Check3 without Check2 cannot be ticked by the user; were it so, nothing
// would be listed, and nothing said to be.
TEST_F(OutputTest, ACombinationThatListsNothingWritesNothing) {
    UtskrStatForm& d = openOn(test::budgetBud());
    d.Check3->setChecked(true);
    tick(d.Option2);
    press(d.Command1);
    EXPECT_TRUE(fakes.files->calls.empty());
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(d.CancelState, "kto");
}

TEST_F(OutputTest, TheDialogWritesNothingButItsWindowPlace) {
    test::FixtureAccount b = test::budgetBud();
    b.kategori.clear();
    test::writeAccount(b, 2);
    QFile::remove(accountFile("Bud", "Kategori"));
    start(test::simpleHem());
    const auto before = dataFiles();
    UtskrStatForm& d = openDialog();
    listOnScreen(d);
    d.Combo1->setCurrentIndex(1);
    emit d.Combo1->activated(1);
    tickVariant(d, true, true, true);
    listOnScreen(d);
    listToFile(d, path("ut.txt"));
    press(d.Command3);
    settle();
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(Module1.KontoNamn, "Hem");
}

// An account file that is no plain file (a link, a folder, a named pipe with
// or without a writer) is reported once, and the account is dropped: no empty
// period, no destination, nothing listed. The dialog goes on at once.
TEST_F(OutputTest, AnAccountWithAFileThatCannotBeReadIsDroppedAndTheDialogGoesOn) {
    test::writeFile(path("utanför"), test::readFile(accountFile("Hem", "KontoData")));
    struct Damage {
        const char* account;
        const char* file;
        const char* kind;
        const char* routine;
    } const damages[] = {
        {"Länk", "KontoData", "link", "InitDatum i Utskriftsformulär"},
        {"Mapp", "KontoData", "folder", "InitDatum i Utskriftsformulär"},
        {"Rör", "KontoData", "pipe", "InitDatum i Utskriftsformulär"},
        {"Skriven", "KontoData", "written pipe", "InitDatum i Utskriftsformulär"},
        {"Namn", "Transakt", "pipe", "Combo1_Click i UtskriftsForm"},
        {"Sub", "Kategori", "pipe", "Combo1_Click i UtskriftsForm"},
    };
    int slot = 2;
    for (const Damage& x : damages) {
        test::FixtureAccount a = test::budgetBud();
        a.name = x.account;
        test::writeAccount(a, slot++);
    }
    start(test::simpleHem());
    std::vector<int> writers;
    for (const Damage& x : damages) {
        const QString file = accountFile(x.account, x.file);
        QFile::remove(file);
        const QByteArray f = QFile::encodeName(file);
        if (QByteArray(x.kind) == "link")
            ASSERT_TRUE(QFile::link(path("utanför"), file));
        else if (QByteArray(x.kind) == "folder")
            ASSERT_TRUE(QDir().mkpath(file));
        else
            ASSERT_EQ(::mkfifo(f.constData(), 0600), 0);
        // With a writer a pipe even opens; it is still no file of records.
        if (QByteArray(x.kind) == "written pipe")
            writers.push_back(::open(f.constData(), O_RDWR | O_NONBLOCK));
    }
    UtskrStatForm& d = openDialog();

    for (const Damage& x : damages) {
        SCOPED_TRACE(std::string(x.account) + ": " + x.file + " a " + x.kind);
        fakes.messages->answers.push_back(platform::Answer::No); // no error report
        chooseAccount(d, x.account);
        ASSERT_EQ(titles(), QStringList{"Felspec. = Path/File access error"});
        EXPECT_TRUE(
            lastBox().text.startsWith(QString("Ett fel har uppstått i subrutinen ") + x.routine))
            << lastBox().text.toStdString();
        EXPECT_TRUE(lastBox().text.contains(QString("Felet finns i ") + x.file));
        EXPECT_EQ(d.CancelState, "");
        EXPECT_EQ(d.Text1->text(), "");
        EXPECT_EQ(d.Label7->text(), "");
        for (QRadioButton* o : {d.Option1, d.Option2, d.Option3})
            EXPECT_FALSE(o->isEnabled());
        EXPECT_FALSE(d.Command1->isEnabled());
        EXPECT_FALSE(d.Text2->isEnabled());

        // The next account is there at once and lists as before.
        chooseAccount(d, "Hem");
        EXPECT_TRUE(titles().isEmpty());
        EXPECT_EQ(d.CancelState, "kto");
        EXPECT_EQ(d.RecCount, 6);
    }
    listToFile(d, path("hem.txt"));
    EXPECT_EQ(titles(), QStringList{"Konto- eller statistikutskrift "});
    for (const int w : writers)
        ::close(w);
    // Nothing was made in their place.
    for (const Damage& x : damages) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(accountFile(x.account, x.file)).constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode)) << x.account;
    }
}

// The menus, the help panel, the web pages and the drive list of the main
// window, used with the mouse.
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"
#include "platform/WebPane.h"
#include "support/LocalWebServer.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>

using namespace fyn;
using fyn::test::rec;

namespace {

// The windows of the other libraries, recorded instead of opened; put back as
// they were afterwards.
class Entries {
public:
    Entries()
        : saved_{HeadForm::openBudgAltForm, HeadForm::openUtskrStatForm, HeadForm::openBackUpForm,
                 HeadForm::openDonateForm} {}
    ~Entries() {
        HeadForm::openBudgAltForm = saved_[0];
        HeadForm::openUtskrStatForm = saved_[1];
        HeadForm::openBackUpForm = saved_[2];
        HeadForm::openDonateForm = saved_[3];
    }
    void none() {
        HeadForm::openBudgAltForm = nullptr;
        HeadForm::openUtskrStatForm = nullptr;
        HeadForm::openBackUpForm = nullptr;
        HeadForm::openDonateForm = nullptr;
    }
    void record() {
        auto hook = [this](const char* name) {
            return [this, name](HeadForm& f) {
                opened << QString::fromLatin1(name);
                states << Module1.Avb + "/" + Module1.CancelFlag;
                enabledWhenOpened = f.isEnabled();
            };
        };
        HeadForm::openBudgAltForm = hook("BudgAltForm");
        HeadForm::openUtskrStatForm = hook("UtskrStatForm");
        HeadForm::openBackUpForm = hook("BackUpForm");
        HeadForm::openDonateForm = hook("DonateForm");
    }
    QStringList opened;
    QStringList states; // Avb / CancelFlag as each window was opened
    bool enabledWhenOpened = false;

private:
    std::function<void(HeadForm&)> saved_[4];
};

class Menus : public test::WindowTest {
protected:
    HeadForm& open(const QString& slag) {
        return start(account(
            slag, {slag == "Bg" ? rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))
                                : rec(test::enkel("2026-01-01", "1", "0", "0"))}));
    }
    void choose(QMenu* menu, QAction* item) { test::chooseMenuItem(form->menuBar(), menu, item); }
    Entries entries;
};

TEST_F(Menus, TheHelpItemsOpenTheirTopics) {
    HeadForm& f = open("Ek");
    for (QAction* a : {f.over_mn, f.trans_mn, f.acc_mn, f.butts_mn, f.bdg_mn, f.utstat_mn})
        choose(f.KB_InfAnv_mn, a);
    EXPECT_EQ(fakes.help->contexts, (std::vector<int>{10000, 20000, 40000, 50000, 60000, 70000}));
    EXPECT_TRUE(fakes.shell->opened.isEmpty());
}

// The help menu's caption promises F1: the window's own help, the overview,
// from wherever the focus is, an entry under way too.
TEST_F(Menus, F1OpensTheMainWindowsHelp) {
    HeadForm& f = open("Ek");
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &f; }));
    QTest::keyClick(&f, Qt::Key_F1);
    QTest::keyClick(f.Command2, Qt::Key_F1);
    pick("Uttag");
    ASSERT_TRUE(f.Bel_Enkel->hasFocus());
    QTest::keyClick(f.Bel_Enkel, Qt::Key_F1);
    EXPECT_EQ(fakes.help->contexts, (std::vector<int>{10000, 10000, 10000}));
    EXPECT_EQ(Module1.Avb, "cbonomark"); // the entry goes on
}

TEST_F(Menus, TheLogoAndUpdatesOpenTheAuthorsPages) {
    const platform::AuthorServer saved = platform::authorServer();
    platform::authorServer().webBase = "http://web.example.invalid/";
    HeadForm& f = open("Ek");
    QTest::mouseClick(f.Picture1, Qt::LeftButton);
    choose(f.KB_InfAnv_mn, f.Update_mn);
    EXPECT_EQ(fakes.shell->opened,
              (QStringList{"http://web.example.invalid/",
                           "http://web.example.invalid/Bugfix/BuggFix_Fynlar.php"}));
    platform::authorServer() = saved;
}

TEST_F(Menus, TheFeedbackMessage) {
    HeadForm& f = open("Ek");
    choose(f.KB_InfAnv_mn, f.kritisk_mn);
    ASSERT_EQ(titles(), QStringList{"ProgramKritik"});
    EXPECT_EQ(lastBox().icon, platform::Icon::Information);
    EXPECT_EQ(lastBox().buttons, platform::Buttons::Ok);
    EXPECT_EQ(lastBox().text,
              "          Hej !\n\n"
              "Om Du är missnöjd med programmet och inte vill fortsätta att använda det, skriv då "
              "gärna så utförligt som möjligt vad Du saknar i programmet,\n"
              "vilka fel Du har stött på och vad som skulle kunna göras bättre.\n"
              "Jag tar tacksamt emot Dina synpunkter och tackar för Din medverkan !\n\n"
              "Skriv ett mail till:\n"
              "moxel@fynlar.se\n\n"
              "Är du helnöjd med programmet, så vet jag ett bra sätt som du kan visa det på, och "
              "samtidigt skicka en uppmuntrande signal till undertecknad !\n"
              "Använd Donera-knappen !\n\n"
              "Med vänlig hälsning\n"
              "          /Moxel");
}

// Budgeting, the listings, the backup and the donation window live in other
// libraries: until one installs its window the item is greyed and does nothing.
TEST_F(Menus, AWindowNotInstalledLeavesItsItemGreyed) {
    entries.none();
    HeadForm& f = open("Bg");
    for (QAction* a : {f.bupl_mn, f.utskrstat_mn, f.Bu_mn})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(f.Donera_mn->isEnabled());
    EXPECT_FALSE(f.Command14->isEnabled());
    choose(f.Ark_mn, f.bupl_mn);
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    EXPECT_EQ(Module1.Avb, "");
    // The items that are there work.
    EXPECT_TRUE(f.Nykonto_mn->isEnabled());
    EXPECT_TRUE(f.over_mn->isEnabled());
}

TEST_F(Menus, EachItemOpensItsWindowWhenTheWindowStateAllows) {
    entries.record();
    HeadForm& f = open("Bg");
    for (QAction* a : {f.bupl_mn, f.utskrstat_mn, f.Bu_mn, f.Donera_mn})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    choose(f.Ark_mn, f.bupl_mn);
    choose(f.Ark_mn, f.utskrstat_mn);
    choose(f.Ark_mn, f.Bu_mn);
    choose(f.KB_InfAnv_mn, f.Donera_mn);
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    EXPECT_EQ(entries.opened, (QStringList{"BudgAltForm", "UtskrStatForm", "BackUpForm",
                                           "DonateForm", "DonateForm"}));
    // Budgeting is a work mode of the window; the others are not.
    EXPECT_EQ(entries.states[0], "budg/1");
    EXPECT_TRUE(entries.enabledWhenOpened);
}

TEST_F(Menus, BudgetingIsForBudgetAccountsAndTheMenusWaitForAnEntry) {
    entries.record();
    HeadForm& f = open("Ek");
    EXPECT_FALSE(f.bupl_mn->isEnabled());
    choose(f.Ark_mn, f.bupl_mn);
    EXPECT_TRUE(entries.opened.isEmpty());
    EXPECT_TRUE(f.utskrstat_mn->isEnabled());

    pick("Uttag"); // an entry begins: the menus are locked
    EXPECT_FALSE(f.Ark_mn->menuAction()->isEnabled());
    EXPECT_FALSE(f.Donera_mn->isEnabled());
    EXPECT_FALSE(f.Command14->isEnabled()); // the button agrees with its item
    choose(f.Ark_mn, f.utskrstat_mn);
    choose(f.KB_InfAnv_mn, f.Donera_mn);
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    EXPECT_TRUE(entries.opened.isEmpty());
    choose(f.KB_InfAnv_mn, f.over_mn); // help is always there
    EXPECT_EQ(fakes.help->contexts, std::vector<int>{10000});

    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &f; }));
    QTest::keyClick(f.Bel_Enkel, Qt::Key_Escape);
    EXPECT_TRUE(f.Ark_mn->menuAction()->isEnabled());
    EXPECT_TRUE(f.Command14->isEnabled());
    choose(f.Ark_mn, f.utskrstat_mn);
    EXPECT_EQ(entries.opened, QStringList{"UtskrStatForm"});

    // A marked posting locks them too.
    clickRow(0);
    EXPECT_FALSE(f.Donera_mn->isEnabled());
    EXPECT_FALSE(f.Command14->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(f.Command14->isEnabled());
}

TEST_F(Menus, TheHelpPanelFollowsTheMouse) {
    HeadForm& f = open("Ek");
    const QString sep(QChar(0xA6));
    QTest::mouseMove(f.Frame3, test::bareSpot(f.Frame3));
    EXPECT_EQ(f.Label29->text(), "Datumenhet");
    EXPECT_EQ(f.Label30->text(), "Ändra valfritt  " + sep + "År" + sep + " - " + sep + "Månad" +
                                     sep + " - " + sep + "Dag" + sep + "  var för sig !");
    // Onto the bare window: emptied.
    QTest::mouseMove(f.centralWidget(), test::bareSpot(f.centralWidget()));
    EXPECT_EQ(f.Label29->text(), "");
    EXPECT_EQ(f.Label30->text(), "");

    // From an amount box onto the account frame: emptied, unless held.
    QTest::mouseMove(f.Bel_Enkel);
    EXPECT_EQ(f.Label29->text(), "Belopp");
    QTest::mouseMove(f.Frame1, test::bareSpot(f.Frame1));
    EXPECT_EQ(f.Label29->text(), "");
    QTest::mouseMove(f.Bel_Enkel);
    f.HelpHold = 1;
    QTest::mouseMove(f.Frame1, test::bareSpot(f.Frame1));
    QTest::mouseMove(f.Frame3, test::bareSpot(f.Frame3));
    EXPECT_EQ(f.Label29->text(), "Belopp");

    // The logo writes its text even while the panel is held.
    QTest::mouseMove(f.Picture1);
    EXPECT_EQ(f.Label29->text(), "Logo");
    EXPECT_EQ(f.Label30->text(), "Välkommen titta in på min hemsida !\n/Moxel");
}

// The start page comes from the author's server (here a local one), is shown
// until it has loaded and is then blanked, once.
TEST_F(Menus, TheStartPageIsFetchedThenBlankedOnce) {
    test::LocalWebServer server;
    server.serve("/Fyn_5.php", "<html><body><p>Välkommen till Fynlar</p></body></html>");
    const platform::AuthorServer saved = platform::authorServer();
    platform::authorServer().webBase = server.base();
    platform::setWebPaneFactory(nullptr); // the real pane

    test::writeAccount(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0"))}), 1);
    test::writeKontoIni("1\r\nAnna\r\n");
    form = std::make_unique<HeadForm>();
    QSignalSpy completed(form->WebBrowser1, &platform::WebPane::documentComplete);
    form->Form_Load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return completed.count() == 2; }));
    EXPECT_EQ(completed[0][0].toString(), server.base() + "Fyn_5.php");
    EXPECT_EQ(completed[1][0].toString(), "about:blank");
    QTest::qWait(200);
    EXPECT_EQ(completed.count(), 2); // the blank page blanks nothing again
    EXPECT_EQ(server.requests, QStringList{"/Fyn_5.php"});
    EXPECT_EQ(form->WebBrowser1->currentUrl(), "about:blank");
    platform::authorServer() = saved;
}

TEST_F(Menus, DrivesAreCountedToYAndListedWhenReadyAndNoCd) {
    HeadForm& f = open("Ek");
    using platform::DriveType;
    std::vector<platform::DriveInfo> drives = {{"/home/anna/", DriveType::Fixed, true},
                                               {"/media/anna/CD/", DriveType::CdRom, true},
                                               {"/media/anna/STICK/", DriveType::Removable, true},
                                               {"/mnt/nas/", DriveType::Network, false},
                                               {"/mnt/share/", DriveType::Network, true}};
    fakes.drives->drives = drives;
    qint16 count = -1;
    f.DriveCount(count);
    EXPECT_EQ(count, 5);
    f.DriveLista();
    ASSERT_EQ(f.UnitList->count(), 3);
    const struct {
        const char* root;
        DriveType type;
    } listed[] = {{"/home/anna/", DriveType::Fixed},
                  {"/media/anna/STICK/", DriveType::Removable},
                  {"/mnt/share/", DriveType::Network}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.UnitList->item(i)->text(), listed[i].root);
        EXPECT_EQ(f.UnitList->item(i)->data(Qt::UserRole).toInt(), int(listed[i].type));
    }
    EXPECT_EQ(fakes.drives->listedFor.first(), Module1.BaseFolder);

    // A twenty-sixth drive (the letter Z) is not counted, but listed.
    drives.resize(26, {"/mnt/more/", DriveType::Fixed, true});
    fakes.drives->drives = drives;
    f.DriveCount(count);
    EXPECT_EQ(count, 25);
    f.DriveLista();
    EXPECT_EQ(f.UnitList->count(), 3 + 21);
    EXPECT_FALSE(f.UnitList->isVisible());
}

} // namespace

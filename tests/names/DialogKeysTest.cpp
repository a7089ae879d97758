// What the dialogs beside the main window share: their "Hjälp" opens their
// topic, and Esc or the close box gives the main window back; and a name
// stored without a dialog.
#include "mainwindow/NyKontoForm.h"
#include "names/NamesDriver.h"
#include "names/TransNames.h"

#include <QApplication>
#include <QMenuBar>

using namespace fyn;
using platform::Answer;

namespace {

using DialogKeys = test::NameTest;

const std::vector<test::Row> kRows = {{"2026-01-01", 1, "0", "0"}, {"2026-02-01", 2, "100", "100"}};

TEST_F(DialogKeys, HelpOpensEachDialogsTopic) {
    startWith("Ek", kRows);
    TransForm& t = openNew();
    test::clickBarItem(t.findChild<QMenuBar*>(), t.hlp_mn);
    t.Command2->click();
    SubTransForm& s = openSubNew();
    test::clickBarItem(s.findChild<QMenuBar*>(), s.hlp_mn);
    s.Command1->click();
    EXPECT_EQ(fakes.help->contexts, (std::vector<int>{20000, 30000}));
}

// Every window that disables the main window enables it again however it is
// closed.
TEST_F(DialogKeys, EscAndTheCloseBoxGiveTheMainWindowBack) {
    startWith("Ek", kRows);
    const struct {
        const char* name;
        std::function<QWidget&()> open;
    } dialogs[] = {
        {"TransForm", [&]() -> QWidget& { return openNew(); }},
        {"SubTransForm", [&]() -> QWidget& { return openSubNew(); }},
        {"NyKontoForm",
         [&]() -> QWidget& {
             answer({Answer::Yes}); // "Vill du lägga till ett nytt konto ?"
             form->Nykonto_mn_Click();
             return form->nyKontoForm();
         }},
    };
    for (const auto& d : dialogs) {
        for (const bool esc : {true, false}) {
            SCOPED_TRACE(std::string(d.name) + (esc ? " Esc" : " close box"));
            QWidget& w = d.open();
            ASSERT_TRUE(w.isVisible());
            ASSERT_FALSE(form->isEnabled());
            if (esc) {
                w.activateWindow();
                ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : &w, Qt::Key_Escape);
            } else {
                w.close();
            }
            EXPECT_FALSE(w.isVisible());
            EXPECT_TRUE(form->isEnabled());
            EXPECT_EQ(Module1.Avb, "");
        }
    }
}

TEST_F(DialogKeys, ANameStoredWithoutTheDialogTakesTheFirstFreeSlot) {
    startWith("Ek", kRows, {{"Kontostart", " "}, {"", " "}, {"Uttag", "-"}});
    const SavedName refused = saveMainName(QString(36, 'x'), "");
    EXPECT_EQ(refused.record, 0);
    EXPECT_FALSE(refused.problem.isEmpty());
    EXPECT_EQ(transaktFile(), test::transakt({{"Kontostart", " "}, {"", " "}, {"Uttag", "-"}}));

    long slot = 0;
    const SavedName saved = saveMainName("Ändrad kurs   ", "", &slot);
    EXPECT_EQ(saved.record, 2);
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(transaktFile(),
              test::transakt({{"Kontostart", " "}, {"Ändrad kurs", " "}, {"Uttag", "-"}}));
    EXPECT_EQ(saveMainName("Lön", "+").record, 4);
}

} // namespace

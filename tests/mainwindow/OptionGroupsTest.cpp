// Every window's option buttons stand in groups of their own: what one group
// had chosen or focused never reaches another, whatever was cleared before.
#include "budget/BudgAltForm.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/NyKontoForm.h"
#include "mainwindow/WindowDriver.h"
#include "names/NameDialogs.h"
#include "names/SubTransForm.h"
#include "names/TransForm.h"
#include "output/UtskrStatForm.h"
#include "services/BackUpForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <functional>
#include <memory>
#include <set>

using namespace fyn;

namespace {

using OptionGroups = test::WindowTest;

struct Window {
    const char* name;
    std::function<QWidget&(HeadForm&)> open;
    std::vector<std::vector<const char*>> groups; // the options, by objectName
};

QRadioButton* option(QWidget& w, const char* name) {
    auto* o = w.findChild<QRadioButton*>(name);
    EXPECT_TRUE(o) << name;
    return o;
}

// Shown and able to take the focus, as when the window offers it.
void offer(QWidget& w, QRadioButton* o) {
    for (QWidget* p = o; p && p != &w; p = p->parentWidget())
        p->show();
    o->setEnabled(true);
}

TEST_F(OptionGroups, EachWindowsOptionsStayInTheirOwnGroups) {
    HeadForm& f =
        start(account("Bg", {test::rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))}));
    const Window windows[] = {
        {"HeadForm",
         [](HeadForm& h) -> QWidget& { return h; },
         {{"H_TransOptionEnk", "S_TransOptionEnk"}, {"H_TransOptionBudg", "S_TransOptionBudg"}}},
        {"NyKontoForm",
         [](HeadForm& h) -> QWidget& { return h.nyKontoForm(); },
         {{"Option1", "Option2"}}},
        {"TransForm",
         [](HeadForm& h) -> QWidget& { return transForm(h); },
         {{"Option1", "Option2"}, {"Option3", "Option4"}}},
        {"SubTransForm",
         [](HeadForm& h) -> QWidget& { return subTransForm(h); },
         {{"Option1", "Option2"}}},
        {"BackUpForm",
         [](HeadForm& h) -> QWidget& { return *new BackUpForm(h); },
         {{"Option1", "Option2"}}},
        {"BudgAltForm",
         [](HeadForm& h) -> QWidget& { return *new BudgAltForm(h); },
         {{"Option1", "Option2", "Option3"}}},
        {"UtskrStatForm",
         [](HeadForm& h) -> QWidget& { return *new UtskrStatForm(h); },
         {{"Option1", "Option2", "Option3"}}},
    };
    for (const Window& win : windows) {
        SCOPED_TRACE(win.name);
        QWidget& w = win.open(f);
        // Every option of the window is in the table.
        std::set<QString> listed, found;
        for (const auto& g : win.groups)
            for (const char* n : g)
                listed.insert(n);
        for (QRadioButton* o : w.findChildren<QRadioButton*>())
            found.insert(o->objectName());
        EXPECT_EQ(found, listed);

        // Only the groups are looked at here: the windows' own handlers of a
        // choice stay out of it.
        std::vector<std::unique_ptr<QSignalBlocker>> quiet;
        for (QRadioButton* o : w.findChildren<QRadioButton*>())
            quiet.push_back(std::make_unique<QSignalBlocker>(o));

        std::set<QButtonGroup*> seen;
        for (const auto& g : win.groups) {
            QButtonGroup* group = option(w, g[0])->group();
            ASSERT_TRUE(group) << g[0];
            EXPECT_TRUE(group->exclusive());
            EXPECT_TRUE(seen.insert(group).second) << "shared with another group";
            EXPECT_EQ(group->buttons().size(), qsizetype(g.size()));
            for (const char* n : g)
                EXPECT_EQ(option(w, n)->group(), group) << n;
        }

        // Each group chosen and focused in turn, then cleared as the windows
        // clear them.
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
        for (const auto& g : win.groups) {
            QRadioButton* first = option(w, g[0]);
            offer(w, first);
            first->setChecked(true);
            first->setFocus(Qt::TabFocusReason);
        }
        for (const auto& g : win.groups)
            for (const char* n : g)
                uncheck(option(w, n));
        for (const auto& g : win.groups)
            for (const char* n : g) {
                EXPECT_FALSE(option(w, n)->isChecked()) << n;
                EXPECT_TRUE(option(w, n)->focusPolicy() & Qt::TabFocus) << n;
            }

        // A choice in one group leaves the others' choices; within a group
        // the last choice is the only one.
        for (const auto& g : win.groups)
            option(w, g[0])->setChecked(true);
        for (const auto& g : win.groups) {
            SCOPED_TRACE(g[0]);
            EXPECT_TRUE(option(w, g[0])->isChecked());
            option(w, g[1])->setChecked(true);
            EXPECT_FALSE(option(w, g[0])->isChecked());
            EXPECT_TRUE(option(w, g[1])->isChecked());
        }
        w.hide();
    }
}

} // namespace

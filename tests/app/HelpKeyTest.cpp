// F1 in every window the user opens: the topic the window's own help item or
// label opens (the account dialog the accounts' topic, the holiday register
// the budgeting's), from the window and from a control that has the focus,
// and nothing while a dialog has the window disabled. The error report and the
// fund account's information window have no topic, as the backup and donation
// windows here.
#include "app/ProgramDriver.h"

using namespace fyn;

namespace {

using HelpKey = test::ProgramTest;

// The windows open beside the main window, the main window too, by name.
QStringList openWindows(bool enabled) {
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!w->parentWidget() && w->isVisible() && w->isEnabled() == enabled &&
            w->objectName().endsWith("Form"))
            names << w->objectName();
    names.sort();
    return names;
}

TEST_F(HelpKey, F1OpensTheTopicOfEveryWindowWhileItIsEnabled) {
    HeadForm& f = startProgram();
    const struct {
        const char* window;
        std::function<QWidget&()> open;
        const char* child; // given the focus, then F1 again
        std::vector<int> topics;
        QStringList disabled; // meanwhile; F1 there opens nothing
    } windows[] = {
        {"HeadForm", [&]() -> QWidget& { return f; }, "Command2", {10000, 10000}, {}},
        {"TransForm",
         [&]() -> QWidget& { return openNew(); },
         "Text1",
         {20000, 20000},
         {"HeadForm"}},
        {"SubTransForm",
         [&]() -> QWidget& { return openSubNew(); },
         "Text1",
         {30000, 30000},
         {"HeadForm"}},
        {"BudgAltForm",
         [&]() -> QWidget& { return openBudgeting(); },
         "Command1",
         {60000, 60000},
         {"HeadForm"}},
        {"UtskrStatForm",
         [&]() -> QWidget& {
             test::chooseMenuItem(f.menuBar(), f.Ark_mn, f.utskrstat_mn);
             return opened("UtskrStatForm");
         },
         "Command3",
         {70000, 70000},
         {"HeadForm"}},
        // The account dialog has the accounts' topic, the holiday register the
        // budgeting's.
        {"NyKontoForm",
         [&]() -> QWidget& {
             fakes.messages->answers.push_back(platform::Answer::Yes);
             test::chooseMenuItem(f.menuBar(), f.Ark_mn, f.Nykonto_mn);
             return opened("NyKontoForm");
         },
         "Text2",
         {40000, 40000},
         {"HeadForm"}},
        {"HolidayForm",
         [&]() -> QWidget& {
             click(openBudgeting().Command4);
             return opened("HolidayForm");
         },
         "Text1",
         {60000, 60000},
         {"BudgAltForm", "HeadForm"}},
        // Windows without a help item or label have no topic of their own.
        {"BackUpForm",
         [&]() -> QWidget& {
             test::chooseMenuItem(f.menuBar(), f.Ark_mn, f.Bu_mn);
             return opened("BackUpForm");
         },
         "Command2",
         {},
         {}},
        {"DonateForm",
         [&]() -> QWidget& {
             test::chooseMenuItem(f.menuBar(), f.KB_InfAnv_mn, f.Donera_mn);
             return opened("DonateForm");
         },
         "Command2",
         {},
         {"HeadForm"}},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.window);
        fakes.help->contexts.clear();
        QWidget& window = w.open();
        ASSERT_EQ(window.objectName(), w.window);
        activate(window);
        QTest::keyClick(&window, Qt::Key_F1);
        auto* child = window.findChild<QWidget*>(w.child);
        ASSERT_TRUE(child);
        child->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), child);
        QTest::keyClick(child, Qt::Key_F1);
        EXPECT_EQ(fakes.help->contexts, w.topics);

        // A key that reaches a disabled window, or a button in it, opens nothing.
        ASSERT_EQ(openWindows(false), w.disabled);
        for (const QString& name : w.disabled) {
            QWidget& b = opened(name);
            QTest::keyClick(&b, Qt::Key_F1);
            QTest::keyClick(b.findChild<QPushButton*>(), Qt::Key_F1);
        }
        EXPECT_EQ(fakes.help->contexts, w.topics);

        // Closed, and what it was opened over closed too.
        for (const QString& name : openWindows(true) + w.disabled)
            if (name != "HeadForm")
                opened(name).close();
        EXPECT_EQ(openWindows(true), QStringList{"HeadForm"});
        EXPECT_EQ(Module1.Avb, "");
    }
}

} // namespace

#pragma once
// The whole program's windows, installed as the program installs them, on a
// budget account, so that every window can be opened from the real main window
// as the user opens it.
#include "budget/BudgetDriver.h"
#include "output/UtskrStatForm.h"
#include "services/BackUpForm.h"
#include "services/DonateForm.h"

#include <QApplication>
#include <functional>

namespace fyn::test {

class ProgramTest : public BudgetTest {
protected:
    void SetUp() override {
        BudgetTest::SetUp();
        saved_[0] = HeadForm::openUtskrStatForm;
        saved_[1] = HeadForm::openBackUpForm;
        saved_[2] = HeadForm::openDonateForm;
        installOutputDialog();
        installBackUpForm();
        installDonateForm();
    }
    void TearDown() override {
        // The windows beside the main window go first; they hold on to it.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != form.get() && !w->parentWidget() && w->objectName().endsWith("Form"))
                delete w;
        BudgetTest::TearDown();
        HeadForm::openUtskrStatForm = saved_[0];
        HeadForm::openBackUpForm = saved_[1];
        HeadForm::openDonateForm = saved_[2];
    }

    // The program on a budget account with a template, today 2026-08-18.
    HeadForm& startProgram() {
        HeadForm& f = startBudget(
            {{"2026-01-01", 1, "0", "0"}, {"2026-06-25", 2, "20000", "19500"}},
            {{"Kontostart", " "}, {"Lön", "+"}, {"Hyra", "-"}},
            mallRows({{"2", "20000", "09", "30", "  "}, {"3", "5000", "10", "03", "  "}}));
        fakes.drives->drives = {{Module1.BaseFolder, platform::DriveType::Fixed, true}};
        return f;
    }

    // The visible window of that name, or nullptr.
    static QWidget* shownWindow(const QString& objectName) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == objectName && w->isVisible())
                return w;
        return nullptr;
    }
    static QWidget& opened(const QString& objectName) {
        QWidget* w = shownWindow(objectName);
        if (!w)
            throw std::runtime_error(objectName.toStdString() + " did not open");
        return *w;
    }

    // The window made the active one, as a click on it does.
    static void activate(QWidget& w) {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }))
            << w.objectName().toStdString();
    }

private:
    std::function<void(HeadForm&)> saved_[3];
};

} // namespace fyn::test

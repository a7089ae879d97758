#include "budget/BudgetDialogs.h"

#include "budget/BudgAltForm.h"
#include "mainwindow/HeadForm.h"
#include "names/TransForm.h"

#include <QPointer>

namespace fyn {

namespace {

QPointer<BudgAltForm> budgAltForm_;

void openBudgAltForm(HeadForm& head) {
    if (budgAltForm_ && (&budgAltForm_->head() != &head || !budgAltForm_->isVisible()))
        delete budgAltForm_.data(); // another main window's, or one that is closing
    if (budgAltForm_) {
        budgAltForm_->activateWindow();
        return;
    }
    budgAltForm_ = new BudgAltForm(head);
    budgAltForm_->Form_Load();
}

} // namespace

BudgAltForm* budgAltForm() {
    return budgAltForm_.data();
}

void installBudgetDialogs() {
    HeadForm::openBudgAltForm = openBudgAltForm;
    TransForm::budgetWindow = [](HeadForm& head) -> QWidget* {
        return budgAltForm_ && &budgAltForm_->head() == &head ? budgAltForm_.data() : nullptr;
    };
    TransForm::budgetConditions = [](HeadForm& head) {
        if (budgAltForm_ && &budgAltForm_->head() == &head)
            budgAltForm_->Conditions();
    };
}

} // namespace fyn

#pragma once
// The budgeting windows of a main window: the budgeting dialog, made when the
// menu item "Budgetplanering" opens it and gone when it closes.
namespace fyn {

class BudgAltForm;
class HeadForm;

// Lets the main window open the budgeting dialog, and the transaction dialog
// return to it.
void installBudgetDialogs();

// The open budgeting dialog, or nullptr.
BudgAltForm* budgAltForm();

} // namespace fyn

#pragma once
// The name dialogs of a main window: one of each, made on first use and gone
// with the window.
namespace fyn {

class HeadForm;
class SubTransForm;
class TransForm;

// Lets the main window open the dialogs.
void installNameDialogs();

TransForm& transForm(HeadForm& head);
SubTransForm& subTransForm(HeadForm& head);

} // namespace fyn

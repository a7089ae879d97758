#pragma once
// What the dialogs beside the main window share.
#include "core/Amount.h"
#include "core/Errors.h"
#include "core/PosFil.h"

#include <initializer_list>

class QButtonGroup;
class QRadioButton;
class QWidget;

namespace fyn::ledger {
enum class Refusal;
} // namespace fyn::ledger

namespace fyn {

// The position is a convenience: failing to read or store it must not keep a
// dialog from opening or closing.
template <class F> void positionQuietly(F&& f) {
    try {
        f();
    } catch (const RuntimeError&) {
    }
}

// Places a window that is about to show over the window that opened it, or at
// its stored place, kept above it by the window manager without being its
// child.
void placeBeside(QWidget& dialog, QWidget& caller, WindowPos place);

// Shows a dialog beside the window that opened it and disables that: on its
// first showing centred over it, or at its stored place, and kept above it by
// the window manager without being its child (which would disable the dialog
// too).
void showBeside(QWidget& dialog, QWidget& caller, WindowPos place);

// Its counterpart: stores the dialog's place (quietly), hides it and gives
// the window that opened it back, enabled and active.
void closeBeside(QWidget& dialog, QWidget& caller, WindowPos place);

// Makes the options a group of their own: a choice among them leaves every
// other option of the window alone (however the window cleared them before),
// and a screen reader reads them as one set. Every window builds its option
// buttons into groups with this.
QButtonGroup* optionGroup(std::initializer_list<QRadioButton*> options);

// Clears an option button; its group stays as it was. A group left with no
// choice is entered by Tab again, at its first option that takes one.
void uncheck(QRadioButton* option);

// Why the posting engine refused an edit; nothing was written.
void showRefusal(ledger::Refusal refusal);

// Refuses, with its message, a typed amount that is no number, or that has
// more decimals than kronor and öre have (the boxes show two, so a third would
// be stored unseen and carried by every balance after it). True when it was
// refused; the text stays in its box to be corrected. An empty text is no
// amount where a box has no default for it.
bool refusedTyped(const TypedAmount& typed, bool emptyIsNoAmount = false);

} // namespace fyn

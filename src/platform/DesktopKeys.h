#pragma once
// Keys as on the desktop the program comes from: in every window Enter presses
// the button that has the focus, as the space bar already does. Qt presses it
// only for an auto-default button inside a dialog.

namespace platform {

// Installs the one application-wide filter that does it; a second call does
// nothing. Needs a QApplication.
void installDesktopKeys();

} // namespace platform

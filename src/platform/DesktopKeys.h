#pragma once
// Keys as on the desktop the program comes from: in every window Enter presses
// the button that has the focus, as the space bar already does (Qt presses it
// only for an auto-default button inside a dialog), and F1 opens the window's
// help topic.

class QWidget;

namespace platform {

// Installs the one application-wide filter that does it; a second call does
// nothing. Needs a QApplication.
void installDesktopKeys();

// Names the help topic (a context number) that F1 opens anywhere in window
// while the window is enabled. A window without one opens nothing on F1.
void setHelpTopic(QWidget& window, int contextId);

} // namespace platform

// The About window (window 1): logo, program name, version and credit lines,
// and an OK button. It is modeless in code but the main window is disabled
// while it is open; the event loop hands its events to HandleAboutEvent.
#pragma once

#include <string>

namespace vandrel {

// The text of the About window's credit gadget, built from the current text
// table: version line, two line feeds, T("tAboutCODE"), then the credit block.
std::string AboutText();

// Opens the About window over the main window and disables the main window.
// Does nothing when the window cannot be opened. Main thread.
void ShowAbout();

// An event of window 1: the OK button (gadget 27) or the close box closes the
// About window and enables the main window again, and true is returned;
// every other event is ignored (false). Main thread.
bool HandleAboutEvent(int kind, int gadget);

}  // namespace vandrel

// The main window: menu bar, gadgets, option groups, layout on resize and
// relabelling after a language switch. Main thread only.
#pragma once

#include "core/algorithm.h"

namespace vandrel {

// Opens window 0 hidden and centred at the stored size (which the
// preferences have fitted to the screen), and fills it. False when the
// window cannot be opened.
bool BuildMainWindow();
// Moves and resizes the gadgets for the window's current size and stores
// the size in the settings.
void RelayoutMainWindow();
// Sets every caption, title, tooltip and menu text again from the text table;
// the Calculate button says Cancel while a job runs.
void RelabelMainWindow(bool jobRunning);
// The algorithm and size options as the settings hold them (shutdown
// read-back); `bits` is the size option's even for a family of one size.
DigestKind SelectedDigest();
// Selects the options that show `digest`, then enables the size options as
// its algorithm needs.
void ShowDigestOptions(DigestKind digest);
// Enables or disables the size options for the selected algorithm.
void ApplySizeOptionRule();
// Enables or disables the four size options together.
void SetSizeOptionsEnabled(bool enabled);

}  // namespace vandrel

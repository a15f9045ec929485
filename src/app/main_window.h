// The main window: menu bar, gadgets, option groups, layout on resize and
// relabelling after a language switch. Main thread only.
#pragma once

namespace vandrel {

struct WindowSize {
  int width = 0;
  int height = 0;
};
// A stored window size made one the screen can show: at least 840 x 600, at
// most the work area (when known, that is above 0) and X11's 32767.
WindowSize FitWindowSize(int width, int height, int areaWidth, int areaHeight);

// Opens window 0 hidden and centred at the stored size, fitted to the
// screen (the settings keep the fitted size), and fills it. False when the
// window cannot be opened.
bool BuildMainWindow();
// Moves and resizes the gadgets for the window's current size and stores
// the size in the settings.
void RelayoutMainWindow();
// Sets every caption, title, tooltip and menu text again from the text table;
// the Calculate button says Cancel while a job runs.
void RelabelMainWindow(bool jobRunning);
// The algorithm and size options as settings values (shutdown read-back).
int SelectedFingerprint();
int SelectedBits();
// Enables or disables the size options for the selected algorithm.
void ApplySizeOptionRule();
// Enables or disables the four size options together.
void SetSizeOptionsEnabled(bool enabled);

}  // namespace vandrel

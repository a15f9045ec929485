// Numbered top-level windows with a menu bar above a fixed-position gadget area.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel::tk {

enum WindowFlags : int {
  kWindowInvisible = 1,
  kWindowSizeGadget = 2,
  kWindowSystemMenu = 4,  // title bar with close box
  kWindowTitleBar = 8,
  kWindowMaximizeGadget = 16,
  kWindowMinimizeGadget = 32,
  kWindowScreenCentered = 64,
  kWindowWindowCentered = 256,
};

using WindowHandle = void*;  // the toolkit's own window, for parenting only
inline constexpr int kAutomatic = -1;
inline constexpr int kUnchanged = -65536;  // for WindowBounds and ResizeGadget
inline constexpr std::int32_t kThemeColour = -1;

// The window manager is told which boxes and functions a window has: the
// flags name them (a window without kWindowMaximizeGadget has no maximise
// box, one without kWindowSizeGadget no resize border).
// Returns the number (a new one for kAutomatic) or, for a fixed number, a
// non-zero value; 0 on failure. Gadgets are created in the window opened last.
int OpenWindow(int number, int x, int y, int width, int height, const std::string& title, int flags,
               WindowHandle parent = nullptr);
WindowHandle WindowID(int number);
// Inner size: client area including the menu bar.
int WindowWidth(int number);
int WindowHeight(int number);
void WindowBounds(int number, int minWidth, int minHeight, int maxWidth, int maxHeight);
// Background of the gadget area; colour is 0x00BBGGRR.
void SetWindowColor(int number, std::int32_t colour);
// The theme's normal background colour of the window, as 0x00BBGGRR.
std::int32_t WindowThemeBackground(int number);
// A disabled window takes no input and posts no close or size events.
void DisableWindow(int number, bool disabled);
bool IsWindowDisabled(int number);
void HideWindow(int number, bool hidden);
// A modal window takes the input of its whole program while it is shown.
void SetWindowModal(int number, bool modal);
// Destroys the window and its gadgets and drops its queued events.
void CloseWindow(int number);
// Width and height of the work area (the screen less panels) of the monitor
// that screen-centred windows open on; 0 x 0 when there is no display.
void DesktopWorkArea(int* width, int* height);

}  // namespace vandrel::tk

// Menu bars with images, check items and keyboard shortcuts.
#pragma once

#include <string>

#include "toolkit/gadgets.h"
#include "toolkit/window.h"

namespace vandrel::tk {

// A menu bar for the window; items show their images. Non-zero on success.
int CreateImageMenu(int number, WindowHandle window);
// Starts a new top-level menu of the menu bar created last.
void MenuTitle(const std::string& title);
void MenuItem(int item, const std::string& text, ImageRef image = nullptr);
// An item of a set of which exactly one is chosen (the program checks it
// with SetMenuItemState): drawn and announced as a radio item, unchecked.
void MenuRadioItem(int item, const std::string& text);
void MenuBar();  // a separator
void DisableMenuItem(int menu, int item, bool disabled);
void SetMenuItemText(int menu, int item, const std::string& text);
std::string GetMenuItemText(int menu, int item);
void SetMenuTitleText(int menu, int index, const std::string& text);
// 1 checks the item, 0 clears the check; the first call turns an image item
// into a check item in place, dropping its image.
void SetMenuItemState(int menu, int item, int state);
// The height the window's menu bar asks for with the fonts and theme in
// force; 0 when the window has none.
int MenuBarHeight(int window);

inline constexpr int kKeyEscape = 65307;
inline constexpr int kKeyReturn = 65293;  // also registers keypad Enter
inline constexpr int kKeyF1 = 65470;
// Pressing the key in the window posts a menu event with `eventNumber`,
// whatever gadget has the focus.
void AddKeyboardShortcut(int window, int key, int eventNumber);

}  // namespace vandrel::tk

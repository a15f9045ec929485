// Keyboard accelerators for menu items and buttons. They go through GTK's
// accelerator groups, so a key does nothing while its item or button is
// disabled or its window is (as it is while a dialog is open), and a menu
// item shows its key beside its text.
#pragma once

namespace vandrel::tk {

inline constexpr int kModifierShift = 1 << 0;
inline constexpr int kModifierControl = 1 << 2;

inline constexpr int kKeyDelete = 0xffff;
inline constexpr int kKeyLetterC = 0x063;
inline constexpr int kKeyLetterO = 0x06f;
inline constexpr int kKeyLetterQ = 0x071;
inline constexpr int kKeyLetterS = 0x073;

// The key chooses the menu item as a click would. False when there is no
// such item.
bool AddMenuItemAccelerator(int menu, int item, int key, int modifiers);

// The key presses the button gadget as a click would. With `focusGadget`
// set (not -1) the key works only while that gadget has the keyboard focus,
// so a key such as Delete keeps its meaning in text fields.
bool AddButtonAccelerator(int button, int key, int modifiers, int focusGadget = -1);

}  // namespace vandrel::tk

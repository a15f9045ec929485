// The main window's keyboard accelerators, for users who work without a
// mouse.
#pragma once

namespace vandrel {

// Binds the keys once the main window and its menu exist.
void AddMainWindowAccelerators();

// Sets each bound button's tooltip to its key in the current language; at
// start and after every change of language.
void ShowButtonKeysInToolTips();

}  // namespace vandrel

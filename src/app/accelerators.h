// The main window's keyboard accelerators, for users who work without a
// mouse.
#pragma once

namespace vandrel {

// Binds the keys once the main window and its menu exist.
void AddMainWindowAccelerators();

}  // namespace vandrel

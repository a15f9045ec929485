// Which key does what in the main window. Each key is bound to the menu item
// or button it stands for, so it is available exactly when that item or
// button is, and never while a dialog has the main window disabled.
#include "app/accelerators.h"

#include "core/ids.h"
#include "toolkit/accelerators.h"
#include "toolkit/menus.h"

namespace vandrel {

void AddMainWindowAccelerators() {
  tk::AddMenuItemAccelerator(kMainMenu, kMenuOpen, tk::kKeyLetterO, tk::kModifierControl);
  tk::AddMenuItemAccelerator(kMainMenu, kMenuQuit, tk::kKeyLetterQ, tk::kModifierControl);
  tk::AddButtonAccelerator(kGadgetSave, tk::kKeyLetterS, tk::kModifierControl);
  tk::AddButtonAccelerator(kGadgetClipboard, tk::kKeyLetterC,
                           tk::kModifierControl | tk::kModifierShift);
  // Calculate turns into Cancel while a job runs; the same key does both.
  tk::AddButtonAccelerator(kGadgetCalculate, tk::kKeyReturn, tk::kModifierControl);
  // Delete belongs to the results list: in the source field it deletes text.
  tk::AddButtonAccelerator(kGadgetDelete, tk::kKeyDelete, 0, kGadgetResults);
}

}  // namespace vandrel

// Which key does what in the main window. Each key is bound to the menu item
// or button it stands for, so it is available exactly when that item or
// button is, and never while a dialog has the main window disabled. A
// button's tooltip names its key, from the same table that binds it.
#include "app/accelerators.h"

#include <string>

#include "core/ids.h"
#include "settings/text_table.h"
#include "toolkit/accelerators.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"

namespace vandrel {
namespace {

struct ButtonKey {
  int button;
  int key;
  int modifiers;
  int focusGadget;  // -1: anywhere in the window
};

constexpr ButtonKey kButtonKeys[] = {
    {kGadgetSave, tk::kKeyLetterS, tk::kModifierControl, -1},
    {kGadgetClipboard, tk::kKeyLetterC, tk::kModifierControl | tk::kModifierShift, -1},
    // Calculate turns into Cancel while a job runs; the same key does both.
    {kGadgetCalculate, tk::kKeyReturn, tk::kModifierControl, -1},
    // Delete belongs to the results list: in the source field it deletes text.
    {kGadgetDelete, tk::kKeyDelete, 0, kGadgetResults},
};

// The words a key's label is made of, in one language.
struct KeyNames {
  std::string control, shift, enter, erase;
};

// "Ctrl+Shift+C": the modifiers, then the key.
std::string KeyLabel(int key, int modifiers, const KeyNames& names) {
  std::string label;
  if (modifiers & tk::kModifierControl) label += names.control + "+";
  if (modifiers & tk::kModifierShift) label += names.shift + "+";
  if (key == tk::kKeyReturn) return label + names.enter;
  if (key == tk::kKeyDelete) return label + names.erase;
  // Letter keys are named by their capital, as on the keyboard.
  if (key >= 'a' && key <= 'z') return label + static_cast<char>(key - 'a' + 'A');
  return label + static_cast<char>(key);
}

}  // namespace

void AddMainWindowAccelerators() {
  tk::AddMenuItemAccelerator(kMainMenu, kMenuOpen, tk::kKeyLetterO, tk::kModifierControl);
  tk::AddMenuItemAccelerator(kMainMenu, kMenuQuit, tk::kKeyLetterQ, tk::kModifierControl);
  for (const ButtonKey& binding : kButtonKeys) {
    tk::AddButtonAccelerator(binding.button, binding.key, binding.modifiers, binding.focusGadget);
  }
}

void ShowButtonKeysInToolTips() {
  const KeyNames names{T("tKeyCTRL"), T("tKeySHIFT"), T("tKeyRETURN"), T("tKeyDELETE")};
  for (const ButtonKey& binding : kButtonKeys) {
    tk::GadgetToolTip(binding.button, KeyLabel(binding.key, binding.modifiers, names));
  }
}

}  // namespace vandrel

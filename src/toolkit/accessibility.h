// What assistive technologies (screen readers, through ATK and AT-SPI) learn
// about gadgets and windows beyond their visible text: names for controls
// that show none, which caption labels a control, and the role of a window.
#pragma once

#include <string>

namespace vandrel::tk {

enum class WindowRole { kDialog, kAlert };

// The name a screen reader announces for the gadget.
void SetGadgetAccessibleName(int gadget, const std::string& name);
// Links the gadget to the text or frame gadget that captions it, both ways
// (labelled-by and label-for). False when either gadget is missing.
bool LabelGadgetBy(int gadget, int caption);
// Announces the window as a dialog or an alert, with `description` (the
// message it shows) read after its title.
void SetWindowAccessibleRole(int window, WindowRole role, const std::string& description);

}  // namespace vandrel::tk

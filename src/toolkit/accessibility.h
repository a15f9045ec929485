// What assistive technologies (screen readers, through ATK and AT-SPI) learn
// about gadgets and windows beyond their visible text: names for controls
// that show none, which caption labels a control, and the role of a window.
#pragma once

#include <string>

#include "toolkit/gadgets.h"

namespace vandrel::tk {

enum class WindowRole { kDialog, kAlert };

// The name a screen reader announces for the gadget.
void SetGadgetAccessibleName(int gadget, const std::string& name);
// What a screen reader reads after the gadget's name; an empty text makes
// it the gadget's tooltip again, as GTK has it by default.
void SetGadgetAccessibleDescription(int gadget, const std::string& description);
// Links the gadget to the text or frame gadget that captions it, both ways
// (labelled-by and label-for). False when either gadget is missing.
bool LabelGadgetBy(int gadget, int caption);
// Announces the window as a dialog or an alert, with `description` (the
// message it shows) read after its title.
void SetWindowAccessibleRole(int window, WindowRole role, const std::string& description);
// What a screen reader says for a list row's image, wherever a row shows
// `image`, now or later; an empty text takes the description away. Rows are
// read with the text of the moment, so a change of language reaches them.
void SetListImageDescription(ImageRef image, const std::string& description);

}  // namespace vandrel::tk

// Helpers shared by the dialog GUI suites: emptying the event queue between
// tests, finding a dialog's automatically numbered gadgets and reading a
// gadget's rectangle.
#pragma once

#include <ostream>
#include <vector>

#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/toolkit.h"

namespace vandrel::testing {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << ", " << r.y << ") " << r.width << " x " << r.height;
}

inline Rect GadgetRect(int gadget) {
  return Rect{tk::GadgetX(gadget), tk::GadgetY(gadget), tk::GadgetWidth(gadget),
              tk::GadgetHeight(gadget)};
}

// Lets the toolkit settle and throws away every event it queued.
inline void DrainEvents() {
  tk::ProcessPendingToolkitEvents();
  while (tk::WaitWindowEventTimeout(0) != tk::kEventNone) {
  }
}

// The gadgets alive under automatic numbers, in creation order. The stand-in
// main window uses none, so while a message dialog is open these are its own:
// icon, text, band, second button, first button (those it has).
inline std::vector<int> AutomaticGadgets() {
  constexpr int kFirstAutomatic = 10000;
  constexpr int kScanned = 20000;
  std::vector<int> found;
  for (int number = kFirstAutomatic; number < kFirstAutomatic + kScanned; ++number) {
    if (tk::IsGadget(number)) found.push_back(number);
  }
  return found;
}

}  // namespace vandrel::testing

// Reads a window's Motif window-manager hints (_MOTIF_WM_HINTS) straight
// from the X server over a connection of the test's own, as a window manager
// would, so that what is checked is what the server holds, not what GTK
// was asked for.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace vandrel::testing {

// Bits of the property's functions and decorations words (Motif's values).
inline constexpr long kMotifFunctionResize = 2, kMotifFunctionMove = 4, kMotifFunctionMinimize = 8,
                      kMotifFunctionMaximize = 16, kMotifFunctionClose = 32;
inline constexpr long kMotifDecorBorder = 2, kMotifDecorResize = 4, kMotifDecorTitle = 8,
                      kMotifDecorMenu = 16, kMotifDecorMinimize = 32, kMotifDecorMaximize = 64;

struct MotifHints {
  bool present = false;
  long flags = 0;  // 1: functions given, 2: decorations given
  long functions = 0;
  long decorations = 0;
};

inline MotifHints ReadMotifHints(unsigned long window) {
  MotifHints hints;
  struct Closer {
    void operator()(Display* display) const { XCloseDisplay(display); }
  };
  std::unique_ptr<Display, Closer> display(XOpenDisplay(nullptr));
  if (!display || window == 0) return hints;
  const Atom property = XInternAtom(display.get(), "_MOTIF_WM_HINTS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display.get(), window, property, 0, 5, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 32 && count >= 3) {
    // Format-32 items come back as longs, whatever a long's size.
    const long* words = reinterpret_cast<const long*>(data);
    hints.present = true;
    hints.flags = words[0];
    hints.functions = words[1];
    hints.decorations = words[2];
  }
  if (data) XFree(data);
  return hints;
}

}  // namespace vandrel::testing

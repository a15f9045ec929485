// What the toolkit tells the window manager about a window: the Motif hints
// each flag combination leaves on the X server.
#include <gtest/gtest.h>

#include "support/motif_hints.h"
#include "testing/toolkit_hooks.h"
#include "toolkit/events.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

using namespace vandrel::testing;

class WindowManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseWindow(42);
    while (WaitWindowEventTimeout(10) != kEventNone) {
    }
  }
};

TEST_F(WindowManagerTest, MotifHintsOfferExactlyTheBoxesTheFlagsName) {
  struct Case {
    const char* what;
    int flags;
    long functions;
    long decorations;
  };
  const Case cases[] = {
      {"main window: no maximise box",
       kWindowSizeGadget | kWindowSystemMenu | kWindowTitleBar | kWindowMinimizeGadget |
           kWindowScreenCentered,
       kMotifFunctionResize | kMotifFunctionMove | kMotifFunctionMinimize | kMotifFunctionClose,
       kMotifDecorBorder | kMotifDecorResize | kMotifDecorTitle | kMotifDecorMenu |
           kMotifDecorMinimize},
      {"with a maximise box",
       kWindowSizeGadget | kWindowSystemMenu | kWindowTitleBar | kWindowMinimizeGadget |
           kWindowMaximizeGadget,
       kMotifFunctionResize | kMotifFunctionMove | kMotifFunctionMinimize | kMotifFunctionMaximize |
           kMotifFunctionClose,
       kMotifDecorBorder | kMotifDecorResize | kMotifDecorTitle | kMotifDecorMenu |
           kMotifDecorMinimize | kMotifDecorMaximize},
      {"fixed-size dialog", kWindowSystemMenu | kWindowTitleBar | kWindowWindowCentered,
       kMotifFunctionMove | kMotifFunctionClose,
       kMotifDecorBorder | kMotifDecorTitle | kMotifDecorMenu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(OpenWindow(42, 0, 0, 300, 200, "hints", c.flags | kWindowInvisible));
    HideWindow(42, false);
    const MotifHints hints = ReadMotifHints(tk::testing::NativeWindowId(42));
    ASSERT_TRUE(hints.present);
    EXPECT_EQ(hints.flags & 3, 3);
    EXPECT_EQ(hints.functions, c.functions);
    EXPECT_EQ(hints.decorations, c.decorations);
    CloseWindow(42);
  }
}

}  // namespace
}  // namespace vandrel::tk

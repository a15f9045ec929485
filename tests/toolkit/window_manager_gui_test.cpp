// What the toolkit tells the window manager and the screen about a window:
// the Motif hints each flag combination leaves on the server, the work
// area, and the window behind a file requester taking no input.
#include <gtest/gtest.h>

#include "support/motif_hints.h"
#include "toolkit/events.h"
#include "toolkit/requesters.h"
#include "testing/toolkit_hooks.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

using namespace vandrel::testing;

constexpr int kRequesterParent = 0;  // requesters belong to window 0

class WindowManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int window : {kRequesterParent, 42}) CloseWindow(window);
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
      {"main window: no maximise box", kWindowSizeGadget | kWindowSystemMenu | kWindowTitleBar |
                                           kWindowMinimizeGadget | kWindowScreenCentered,
       kMotifFunctionResize | kMotifFunctionMove | kMotifFunctionMinimize | kMotifFunctionClose,
       kMotifDecorBorder | kMotifDecorResize | kMotifDecorTitle | kMotifDecorMenu |
           kMotifDecorMinimize},
      {"with a maximise box", kWindowSizeGadget | kWindowSystemMenu | kWindowTitleBar |
                                  kWindowMinimizeGadget | kWindowMaximizeGadget,
       kMotifFunctionResize | kMotifFunctionMove | kMotifFunctionMinimize |
           kMotifFunctionMaximize | kMotifFunctionClose,
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

TEST_F(WindowManagerTest, WorkAreaIsTheWholeScreenWithoutPanels) {
  // Bare Xvfb has no panels: the work area is the screen as Xlib reports it.
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const int screenWidth = DisplayWidth(display, DefaultScreen(display));
  const int screenHeight = DisplayHeight(display, DefaultScreen(display));
  XCloseDisplay(display);
  int width = -1, height = -1;
  DesktopWorkArea(&width, &height);
  EXPECT_EQ(width, screenWidth);
  EXPECT_EQ(height, screenHeight);
}

TEST_F(WindowManagerTest, TheWindowBehindARequesterTakesNoInputUntilItClosesAndKeepsItsState) {
  ASSERT_TRUE(OpenWindow(kRequesterParent, 0, 0, 300, 200, "parent",
                         kWindowSystemMenu | kWindowTitleBar));
  for (bool disabledBefore : {false, true}) {
    SCOPED_TRACE(disabledBefore ? "disabled before" : "enabled before");
    DisableWindow(kRequesterParent, disabledBefore);
    std::vector<bool> seen;
    auto observe = [&seen](const std::string&, const std::string&, const std::string&) {
      seen.push_back(IsWindowDisabled(kRequesterParent));
      // The close box presses nothing while the requester is open.
      tk::testing::RequestClose(kRequesterParent);
    };
    tk::testing::ScriptRequester({{"/tmp/x"}, observe});
    EXPECT_EQ(OpenFileRequester("open", "/tmp/", "", 0), "/tmp/x");
    tk::testing::ScriptRequester({{}, observe});
    EXPECT_EQ(SaveFileRequester("save", "/tmp/", "", 0), "");
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
    EXPECT_EQ(IsWindowDisabled(kRequesterParent), disabledBefore);
    EXPECT_EQ(WaitWindowEventTimeout(20), kEventNone);
  }
}

}  // namespace
}  // namespace vandrel::tk

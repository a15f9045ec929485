// The main window's frame: a stored size the screen cannot show (a hand-made
// preferences file) is fitted before the window opens (the real program's
// start with such sizes is e2e_stored_window_size), the window manager is
// offered no maximise box, and the window takes no input while a file
// requester is open.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "app/file_intake.h"
#include "support/app_fixture.h"
#include "support/scratch_directory.h"
// Last: Xlib defines macros (None, Status) that the program's headers use as names.
#include "support/motif_hints.h"

namespace vandrel {
namespace {

using namespace vandrel::testing;

class MainWindowFrameTest : public AppFixture {};

TEST(FitWindowSizeTest, KeepsSizesWithinTheMinimumTheWorkAreaAndX11sLimit) {
  struct Case {
    int width, height, areaWidth, areaHeight;
    WindowSize expected;
  };
  const Case cases[] = {
      {1000, 700, 1920, 1080, {1000, 700}},       // fits: kept
      {840, 999999999, 1920, 1080, {840, 1080}},  // the height that crashed cairo
      {40000, 600, 1920, 1080, {1920, 600}},      // the width of the X error
      {0, 0, 1920, 1080, {840, 600}},
      {-5, -5, 1920, 1080, {840, 600}},
      {2000, 1200, 1920, 1080, {1920, 1080}},        // a little larger than the screen
      {40000, 999999999, 0, 0, {32767, 32767}},      // work area unknown: X11's limit
      {40000, 40000, 50000, 50000, {32767, 32767}},  // a wall of monitors
      {1000, 1000, 800, 480, {840, 600}},            // a small screen: the minimum wins
  };
  for (const Case& c : cases) {
    const WindowSize got = FitWindowSize(c.width, c.height, c.areaWidth, c.areaHeight);
    EXPECT_EQ(got.width, c.expected.width) << c.width << " x " << c.height;
    EXPECT_EQ(got.height, c.expected.height) << c.width << " x " << c.height;
  }
}

TEST_F(MainWindowFrameTest, TheWindowManagerIsOfferedTitleCloseAndMinimiseButNoMaximise) {
  const MotifHints hints = ReadMotifHints(tk::testing::NativeWindowId(kMainWindow));
  ASSERT_TRUE(hints.present);
  EXPECT_EQ(hints.functions & kMotifFunctionMaximize, 0);
  EXPECT_EQ(hints.decorations & kMotifDecorMaximize, 0);
  for (long function :
       {kMotifFunctionMove, kMotifFunctionResize, kMotifFunctionMinimize, kMotifFunctionClose}) {
    EXPECT_NE(hints.functions & function, 0) << function;
  }
  for (long decoration : {kMotifDecorTitle, kMotifDecorMinimize, kMotifDecorResize}) {
    EXPECT_NE(hints.decorations & decoration, 0) << decoration;
  }
}

TEST_F(MainWindowFrameTest, EveryFileRequesterDisablesTheMainWindowUntilItCloses) {
  ScratchDirectory folder;
  std::ofstream(folder / "a") << "a";
  AddSource(folder / "a");
  // Save is offered once a job has run.
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  Click(kGadgetCalculate);
  ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && shown.size() == 1; }));
  struct Case {
    const char* what;
    std::function<void()> open;
  };
  const Case cases[] = {
      {"Browse", [] { Click(kGadgetBrowse); }},
      {"File > Open",
       [] {
         tk::ActivateMenuItem(kMainMenu, kMenuOpen);
         DispatchPending();
       }},
      {"Save", [] { Click(kGadgetSave); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool opened = false, disabledWhileOpen = false;
    tk::testing::ScriptRequester(
        {{}, [&](const std::string&, const std::string&, const std::string&) {
           opened = true;
           disabledWhileOpen = tk::IsWindowDisabled(kMainWindow);
           // A close box pressed meanwhile asks nothing, now or later.
           tk::testing::RequestClose(kMainWindow);
         }});
    c.open();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(disabledWhileOpen);
    EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
    EXPECT_EQ(tk::WaitWindowEventTimeout(20), tk::kEventNone);
  }
}

}  // namespace
}  // namespace vandrel

// The main window's frame: the window manager is offered no maximise box,
// and the window takes no input while a file requester is open. (Stored
// sizes the screen cannot show are fitted by the preferences; the real
// program's start with such sizes is e2e_stored_window_size.)
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

// A fixture that brings the program up in-process as start-up does (fonts,
// images, digests, English texts from the built language folder, the main
// window) and drives it through its own event loop.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/ids.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/startup.h"
#include "dialogs/message_dialog.h"
#include "job/digest_engine.h"
#include "job/job_state.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/testing.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::testing {

// The folder holding the built Vandrel.lang (given by the build).
inline std::string BuiltProgramDirectory() { return VANDREL_PROGRAM_DIR "/"; }

class AppFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool once = false;
    if (once) return;
    once = true;
    RegisterStandardDigests();
    LoadBuiltInFonts();
    DecodeBuiltInImages();
  }

  void SetUp() override {
    ProgramState& program = Program();
    program.settings = Settings{};
    program.settings.Language = "en_GB";
    program.quitRequest = false;
    program.programDirectory = BuiltProgramDirectory();
    program.languages.discover(program.programDirectory);
    program.languages.load(program.programDirectory + "Vandrel.lang", "en_GB", program.texts);
    ResetDialogConfigs();
    Job().JobRunning = 0;
    Job().CancelRequested = 0;
    Job().JobCancelled = 0;
    ASSERT_TRUE(BuildMainWindow());
    SetDialogBackground(tk::WindowThemeBackground(kMainWindow));
    tk::HideWindow(kMainWindow, false);
    Settle();
  }

  void TearDown() override {
    // A job still running would post into the next test: wait it out.
    {
      AutoAnswer answer(tk::kKeyReturn);
      RunUntil([] { return Job().JobRunning == 0; }, 20000);
    }
    tk::CloseWindow(kMainWindow);
    while (tk::WaitWindowEventTimeout(5) != tk::kEventNone) {
    }
  }

  // While alive, every message dialog that opens is answered with `key`.
  class AutoAnswer {
   public:
    explicit AutoAnswer(int key) {
      Key() = key;
      Poll();
    }
    ~AutoAnswer() { Key() = 0; }

   private:
    static int& Key() {
      static int key = 0;
      return key;
    }
    static void Poll() {
      if (!Key()) return;
      int dialog = tk::testing::LastOpenedWindow();
      if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow && tk::IsWindow(dialog)) {
        tk::testing::PressKey(dialog, Key());
      }
      tk::testing::AtNextWait(Poll, 10);
    }
  };

  // Dispatches events as the event loop does until `done` or the time-out.
  static bool RunUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      int kind = tk::WaitWindowEventTimeout(10);
      if (kind != tk::kEventNone) DispatchEvent(kind);
    }
    return true;
  }

  static void Settle(int milliseconds = 30) {
    RunUntil([] { return false; }, milliseconds);
  }

  // Answers the next message dialog with `key` once it is open, and keeps
  // what it showed in `shown` (its texts: message, then buttons).
  static void AnswerNextDialog(int key, std::vector<std::string>* shown = nullptr) {
    tk::testing::AtNextWait([key, shown] { AnswerWhenOpen(key, shown); }, 10);
  }

  // Clicks a gadget and dispatches the event it posts.
  static void Click(int gadget) {
    tk::testing::ClickGadget(gadget);
    DispatchPending();
  }

  static void DispatchPending() {
    for (int kind = tk::WaitWindowEventTimeout(20); kind != tk::kEventNone;
         kind = tk::WaitWindowEventTimeout(20)) {
      DispatchEvent(kind);
    }
  }

  static int Rows() { return tk::CountGadgetItems(kGadgetResults); }
  static std::string Cell(int row, int column) {
    return tk::GetGadgetItemText(kGadgetResults, row, column);
  }
  static bool Enabled(int gadget) { return !tk::IsGadgetDisabled(gadget); }

 private:
  static void AnswerWhenOpen(int key, std::vector<std::string>* shown) {
    int dialog = tk::testing::LastOpenedWindow();
    if (!tk::IsWindowDisabled(kMainWindow) || dialog == kMainWindow || !tk::IsWindow(dialog)) {
      tk::testing::AtNextWait([key, shown] { AnswerWhenOpen(key, shown); }, 10);
      return;
    }
    if (shown) *shown = tk::testing::WindowTexts(dialog);
    tk::testing::PressKey(dialog, key);
  }
};

}  // namespace vandrel::testing

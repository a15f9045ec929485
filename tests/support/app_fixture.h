// A fixture that brings the program up in-process as start-up does (fonts,
// images, digests, English texts from the built language folder, the main
// window) and drives it through its own event loop.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "settings/text_table.h"
#include "system/threads.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::testing {

// The folder holding the built Vandrel.lang (given by the build).
inline std::string BuiltProgramDirectory() { return VANDREL_PROGRAM_DIR "/"; }

// The value of `key` in the built language file of `code`, read line by line
// without the program's own reader, with "\n" turned into a line feed as
// the window shows it; empty when the key is missing.
inline std::string LanguageFileText(const std::string& code, const std::string& key) {
  std::ifstream in(BuiltProgramDirectory() + "Vandrel.lang/" + code + ".language");
  auto trim = [](std::string text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
  };
  for (std::string line; std::getline(in, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || trim(line.substr(0, equals)) != key) continue;
    const std::string raw = trim(line.substr(equals + 1));
    std::string value;
    for (std::size_t at = 0; at < raw.size(); ++at) {
      const bool escapedLineBreak = raw.compare(at, 2, "\\n") == 0;
      value += escapedLineBreak ? '\n' : raw[at];
      if (escapedLineBreak) ++at;
    }
    return value;
  }
  return "";
}

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
    QuitDecided() = false;
    program.programDirectory = BuiltProgramDirectory();
    program.languages.discover(program.programDirectory);
    program.languages.load(program.programDirectory + "Vandrel.lang", "en_GB", Texts());
    ResetDialogConfigs();
    Job().JobRunning = 0;
    Job().CancelRequested = 0;
    Job().JobCancelled = 0;
    Job().Read = nullptr;
    Job().Threads = 0;
    Job().CheckSignature = nullptr;
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

  // Builds the main window again from the settings as they are now, as a
  // start-up with those settings would.
  static void RebuildMainWindow() {
    tk::CloseWindow(kMainWindow);
    while (tk::WaitWindowEventTimeout(5) != tk::kEventNone) {
    }
    ASSERT_TRUE(BuildMainWindow());
    tk::HideWindow(kMainWindow, false);
    Settle();
  }

  // Whether an event dispatched since the test began decided that the
  // program ends, as the event loop would have.
  static bool& QuitDecided() {
    static bool decided = false;
    return decided;
  }

  // Dispatches events as the event loop does until `done` or the time-out.
  static bool RunUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      int kind = tk::WaitWindowEventTimeout(10);
      if (kind != tk::kEventNone && DispatchEvent(kind)) QuitDecided() = true;
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
      if (DispatchEvent(kind)) QuitDecided() = true;
    }
  }

  // Lets a running job go on, one poll of it at a time, without taking any
  // event, until `done` or the time-out.
  static bool StepWorkerUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      tk::testing::RunFrameTimers();
      if (!done()) sys::Delay(1);
    }
    return true;
  }

  // Clicks a gadget and dispatches only the event the click posts, so that
  // nothing a job does afterwards has reached the window yet.
  static void ClickHoldingWorker(int gadget) {
    tk::testing::ClickGadget(gadget);
    const int kind = tk::WaitWindowEventTimeout(20);
    if (kind != tk::kEventNone && DispatchEvent(kind)) QuitDecided() = true;
  }

  // Answers the next message dialogs in turn, the n-th with keys[n], and
  // keeps what each showed in (*shown)[n].
  static void AnswerDialogsInTurn(std::vector<int> keys,
                                  std::vector<std::vector<std::string>>* shown = nullptr) {
    auto script = std::make_shared<DialogScript>();
    script->keys = std::move(keys);
    script->shown = shown;
    script->window = tk::WindowID(kMainWindow);
    if (shown) shown->clear();
    tk::testing::AtNextWait([script] { AnswerInTurn(script); }, 10);
  }

  // Whether the results row shows the state image `image` (10 to 13).
  static bool RowShows(int row, int image) {
    return tk::GetGadgetItemImage(kGadgetResults, row) == tk::ImageID(image);
  }

  static int Rows() { return tk::CountGadgetItems(kGadgetResults); }
  static std::string Cell(int row, int column) {
    return tk::GetGadgetItemText(kGadgetResults, row, column);
  }
  static bool Enabled(int gadget) { return !tk::IsGadgetDisabled(gadget); }

 private:
  struct DialogScript {
    std::vector<int> keys;
    std::vector<std::vector<std::string>>* shown = nullptr;
    std::size_t next = 0;
    int lastAnswered = -1;              // dialog windows get ever larger numbers
    tk::WindowHandle window = nullptr;  // the test's main window: stop with it
  };

  static void AnswerInTurn(const std::shared_ptr<DialogScript>& script) {
    if (script->next >= script->keys.size() || tk::WindowID(kMainWindow) != script->window) return;
    int dialog = tk::testing::LastOpenedWindow();
    if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow &&
        dialog > script->lastAnswered && tk::IsWindow(dialog)) {
      if (script->shown) script->shown->push_back(tk::testing::WindowTexts(dialog));
      script->lastAnswered = dialog;
      tk::testing::PressKey(dialog, script->keys[script->next++]);
    }
    tk::testing::AtNextWait([script] { AnswerInTurn(script); }, 10);
  }

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

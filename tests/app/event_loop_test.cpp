// The event loop's commands in-process: the Quit and close questions with
// and without a job, F1 reaching the help program, the About window's
// events, a language switch during a job, and relayout catching up after a
// resize that happened while a message dialog had the window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/file_intake.h"
#include "app/help.h"
#include "dialogs/about.h"
#include "support/app_fixture.h"
#include "support/test_support.h"
#include "testing/app_hooks.h"
#include "testing/toolkit_queries.h"

namespace vandrel {
namespace {

using testing::LanguageFileText;

constexpr int kDeutschItem = 12;  // the last of the shipped languages in menu order

class EventLoopTest : public testing::AppFixture {
 protected:
  void TearDown() override {
    // Let a job left running end after its current file.
    if (Job().JobRunning) Job().CancelRequested = 1;
    StopHelpProgram();
    AppFixture::TearDown();
  }

  // What the next message dialog showed (its message, then its buttons),
  // answered with `key`; the loop runs until it has been answered.
  std::vector<std::string> AnswerWith(int key, const std::function<void()>& trigger) {
    std::vector<std::string> shown;
    AnswerNextDialog(key, &shown);
    trigger();
    EXPECT_TRUE(RunUntil([&] { return !shown.empty() && !tk::IsWindowDisabled(kMainWindow); }));
    // The band along the bottom is a text gadget without text.
    std::erase(shown, std::string());
    return shown;
  }

  // Runs `action` with the dialog's window number once a dialog is open.
  static void WhenDialogOpens(std::function<void(int)> action) {
    tk::testing::AtNextWait(
        [action] {
          const int dialog = tk::testing::LastOpenedWindow();
          if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow && tk::IsWindow(dialog)) {
            action(dialog);
          } else {
            WhenDialogOpens(action);
          }
        },
        10);
  }

  static std::vector<std::string> Question(const char* key) {
    return {LanguageFileText("en_GB", key), LanguageFileText("en_GB", "tGenNO"),
            LanguageFileText("en_GB", "tGenYES")};
  }

  // Starts an SHA3-512 job over several large sparse files, long enough
  // that it still runs while the test talks to it.
  void StartLongJob() {
    for (int i = 0; i < 6; ++i) {
      const std::string file = folder_ / ("big" + std::to_string(i));
      std::ofstream(file).close();
      std::filesystem::resize_file(file, std::uintmax_t{96} << 20);
    }
    AddSource(folder_.path() + "/");
    ASSERT_EQ(Rows(), 6);
    Click(kGadgetSha3);
    Click(kGadgetBits512);
    Click(kGadgetCalculate);
    ASSERT_EQ(Job().JobRunning, 1);
  }

  testing::TestDirectory folder_;
};

TEST_F(EventLoopTest, QuitMenuAsksAndOnlyYesSetsTheQuitRequest) {
  auto quit = [] { tk::ActivateMenuItem(kMainMenu, kMenuQuit); };
  EXPECT_EQ(AnswerWith(tk::kKeyEscape, quit), Question("tReqSURETOEXIT"));
  EXPECT_FALSE(QuitDecided());
  EXPECT_TRUE(tk::IsWindow(kMainWindow));

  AnswerWith(tk::kKeyReturn, quit);
  EXPECT_TRUE(QuitDecided());
}

TEST_F(EventLoopTest, CloseBoxAsksAndOnlyYesSetsTheQuitRequest) {
  auto close = [] { tk::testing::RequestClose(kMainWindow); };
  EXPECT_EQ(AnswerWith(tk::kKeyEscape, close), Question("tReqSURETOEXIT"));
  EXPECT_FALSE(QuitDecided());
  EXPECT_TRUE(tk::IsWindow(kMainWindow));

  AnswerWith(tk::kKeyReturn, close);
  EXPECT_TRUE(QuitDecided());
  EXPECT_TRUE(tk::IsWindow(kMainWindow));
}

TEST_F(EventLoopTest, CloseDuringAJobAsksAndNoLetsTheJobGoOn) {
  ASSERT_NO_FATAL_FAILURE(StartLongJob());
  auto close = [] { tk::testing::RequestClose(kMainWindow); };
  EXPECT_EQ(AnswerWith(tk::kKeyEscape, close), Question("tReqINPROGRESSQUIT"));
  EXPECT_FALSE(QuitDecided());
  EXPECT_EQ(Job().CancelRequested, 0);
  EXPECT_EQ(Job().JobRunning, 1);

  // Every file gets its digest, so the job really went on to the end.
  {
    AutoAnswer summary(tk::kKeyReturn);
    ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }, 90000));
  }
  EXPECT_EQ(Job().FilesProcessed, 6);
  // SHA3-512 of 96 MiB of zero bytes, from openssl dgst and Python's hashlib.
  const std::string zeros96MiB =
      "6a75cb2949a9ef91cc251b97e8b65bbd56adcec0a25a4d3b23804cdee89a8920"
      "f3ef7a780957b6d348e7ae5ecc464cb118b5e953efbcf44911ddf9270873eaaa";
  for (int row = 0; row < Rows(); ++row) EXPECT_EQ(Cell(row, 1), zeros96MiB) << "row " << row;
  EXPECT_FALSE(QuitDecided());
}

TEST_F(EventLoopTest, CloseDuringAJobWithYesCancelsAndQuits) {
  ASSERT_NO_FATAL_FAILURE(StartLongJob());
  AnswerWith(tk::kKeyReturn, [] { tk::testing::RequestClose(kMainWindow); });
  EXPECT_TRUE(QuitDecided());
  EXPECT_EQ(Job().CancelRequested, 1);
  EXPECT_EQ(Job().JobCancelled, 1);
  {
    AutoAnswer summary(tk::kKeyReturn);
    ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }, 30000));
  }
  EXPECT_LT(Job().FilesProcessed, 6);
}

TEST_F(EventLoopTest, LanguageSwitchDuringAJobKeepsCancelOnTheButton) {
  ASSERT_NO_FATAL_FAILURE(StartLongJob());
  ASSERT_EQ(tk::GetGadgetText(kGadgetCalculate), LanguageFileText("en_GB", "tMainCANCEL"));
  tk::ActivateMenuItem(kMainMenu, kDeutschItem);
  ASSERT_TRUE(RunUntil([] { return Program().settings.Language == "de_DE"; }));
  EXPECT_EQ(tk::GetGadgetText(kGadgetCalculate), LanguageFileText("de_DE", "tMainCANCEL"));
  EXPECT_EQ(tk::GetGadgetText(kGadgetSave), LanguageFileText("de_DE", "tMainSAVE"));
  EXPECT_EQ(Job().JobRunning, 1);

  // Once the job has ended, the button calculates again, in German.
  Job().CancelRequested = 1;
  {
    AutoAnswer summary(tk::kKeyReturn);
    ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }, 30000));
  }
  EXPECT_EQ(tk::GetGadgetText(kGadgetCalculate), LanguageFileText("de_DE", "tMainCALCULATE"));
}

TEST_F(EventLoopTest, F1StartsTheHelpProgramOnceWithTheHelpFileAsOneArgument) {
  testing::TestDirectory bin;
  const std::string log = bin / "log";
  {
    std::ofstream script(bin / "Leafscope.exe");
    script << "#!/bin/sh\n"
           << "line=; for a in \"$@\"; do line=\"$line[$a]\"; done\n"
           << "printf '%s\\n' \"$line\" >> '" << log << "'\n"
           << "exec sleep 30\n";
  }
  chmod((bin / "Leafscope.exe").c_str(), 0755);
  const char* path = std::getenv("PATH");
  testing::ScopedVariable withHelp("PATH", (bin.path() + ":" + (path ? path : "/bin")).c_str());
  auto lines = [&] {
    std::vector<std::string> result;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  };

  tk::testing::PressKey(kMainWindow, tk::kKeyF1);
  DispatchPending();
  tk::testing::PressKey(kMainWindow, tk::kKeyF1);
  DispatchPending();
  ASSERT_TRUE(RunUntil([&] { return !lines().empty(); }, 5000));
  Settle(300);
  EXPECT_EQ(lines(),
            std::vector<std::string>{"[" + Program().programDirectory + "Vandrel_EN.help]"});
  EXPECT_NE(HelpProcess(), 0u);

  // After the language switch the help file is the new language's.
  StopHelpProgram();
  tk::ActivateMenuItem(kMainMenu, kDeutschItem);
  DispatchPending();
  tk::testing::PressKey(kMainWindow, tk::kKeyF1);
  DispatchPending();
  ASSERT_TRUE(RunUntil([&] { return lines().size() == 2; }, 5000));
  EXPECT_EQ(lines()[1], "[" + Program().programDirectory + "Vandrel_DE.help]");
}

// Without the help program F1 hands the manual to the desktop's opener; when
// there is none, or it fails (no browser), a notice says where the page is.
TEST_F(EventLoopTest, F1WithNothingToShowTheManualNamesItsPage) {
  const std::vector<std::string> notice = {LanguageFileText("en_GB", "tReqNOMANUAL") + "\n" +
                                               Program().programDirectory + "help/en_GB.html",
                                           LanguageFileText("en_GB", "tGenOK")};
  for (const std::string opener : {": > \"${0%/*}/ran\"; exit 0", "exit 3", ""}) {
    SCOPED_TRACE(opener);
    testing::TestDirectory bin;
    if (!opener.empty()) {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\n" << opener << "\n";
      chmod((bin / "xdg-open").c_str(), 0755);
    }
    testing::ScopedVariable onlyOpener("PATH", bin.path().c_str());
    auto pressF1 = [] { tk::testing::PressKey(kMainWindow, tk::kKeyF1); };
    if (opener.ends_with("exit 0")) {
      pressF1();
      ASSERT_TRUE(RunUntil([&] {
        return std::filesystem::exists(bin / "ran") && HelpProcess() == 0 && !HelpWatching();
      }));
      DispatchPending();
      EXPECT_EQ(tk::testing::LastOpenedWindow(), kMainWindow);
    } else {
      EXPECT_EQ(AnswerWith(tk::kKeyReturn, pressF1), notice);
      EXPECT_EQ(HelpProcess(), 0u);
    }
  }
}

TEST_F(EventLoopTest, AboutWindowIgnoresOtherEventsAndClosesWithItsButton) {
  tk::ActivateMenuItem(kMainMenu, kMenuAbout);
  DispatchPending();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  EXPECT_TRUE(tk::IsWindowDisabled(kMainWindow));
  // The manual's path is no business of the credit lines, though the built
  // program's folder holds it.
  EXPECT_EQ(tk::GetGadgetText(kGadgetAboutText), AboutText());
  EXPECT_EQ(tk::GadgetX(kGadgetAboutOk), 495);
  EXPECT_EQ(tk::GadgetY(kGadgetAboutOk), 220);
  int x, y, width, height;
  tk::testing::GadgetAllocation(kGadgetAboutOk, &x, &y, &width, &height);
  EXPECT_EQ(x, 495);
  EXPECT_EQ(y, 220);
  EXPECT_EQ(tk::GetGadgetText(kGadgetAboutOk), LanguageFileText("en_GB", "tGenOK"));

  // Events of the About window other than its button and close box, and the
  // main window's close box while it is disabled, change nothing.
  tk::PostEvent(tk::kEventGadget, kAboutWindow, kGadgetAboutText);
  tk::PostEvent(tk::kEventMenu, kAboutWindow, kGadgetAboutOk);
  tk::PostEvent(tk::kEventSizeWindow, kAboutWindow, kGadgetAboutOk);
  tk::PostEvent(tk::kEventGadgetDrop, kAboutWindow, kGadgetAboutOk);
  tk::testing::RequestClose(kMainWindow);
  DispatchPending();
  EXPECT_TRUE(tk::IsWindow(kAboutWindow));
  EXPECT_TRUE(tk::IsWindowDisabled(kMainWindow));
  EXPECT_FALSE(QuitDecided());

  Click(kGadgetAboutOk);
  EXPECT_FALSE(tk::IsWindow(kAboutWindow));
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
}

TEST_F(EventLoopTest, AboutWindowClosesWithItsCloseBox) {
  tk::ActivateMenuItem(kMainMenu, kMenuAbout);
  DispatchPending();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  tk::testing::RequestClose(kAboutWindow);
  DispatchPending();
  EXPECT_FALSE(tk::IsWindow(kAboutWindow));
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
  EXPECT_FALSE(QuitDecided());

  // The main window takes commands again: About opens a second time.
  tk::ActivateMenuItem(kMainMenu, kMenuAbout);
  DispatchPending();
  EXPECT_TRUE(tk::IsWindow(kAboutWindow));
  tk::testing::RequestClose(kAboutWindow);
  DispatchPending();
}

TEST_F(EventLoopTest, ResizeWhileADialogIsOpenIsLaidOutOnceItCloses) {
  bool answered = false;
  WhenDialogOpens([&answered](int dialog) {
    // The main window is disabled now: no relayout can run yet.
    tk::testing::ResizeWindow(kMainWindow, 940, 650);
    EXPECT_EQ(tk::WindowWidth(kMainWindow), 940);
    EXPECT_EQ(Program().settings.window.width, 840);
    tk::testing::PressKey(dialog, tk::kKeyEscape);
    answered = true;
  });
  tk::ActivateMenuItem(kMainMenu, kMenuQuit);
  ASSERT_TRUE(RunUntil([&] { return answered && !tk::IsWindowDisabled(kMainWindow); }));
  EXPECT_EQ(tk::WindowWidth(kMainWindow), 940);
  EXPECT_EQ(Program().settings.window, (WindowSize{940, 650}));
  EXPECT_EQ(tk::GadgetX(kGadgetCalculate), 805);
  EXPECT_EQ(tk::GadgetY(kGadgetCalculate), 585);
  EXPECT_EQ(tk::GadgetWidth(kGadgetResults), 920);
  EXPECT_EQ(tk::GadgetHeight(kGadgetResults), 385);
  EXPECT_FALSE(QuitDecided());
}

}  // namespace
}  // namespace vandrel

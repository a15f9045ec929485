// Open help with a stand-in help program on PATH: the argument and working
// directory it receives, started once at a time, started again after it
// ends, killed at shutdown; without it, the manual's page in the browser;
// and nothing at all when there is neither.
#include "app/help.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/program_state.h"
#include "settings/text_table.h"
#include "support/fake_program.h"
#include "support/test_support.h"
#include "testing/app_hooks.h"

namespace vandrel {
namespace {

using testing::FakeProgram;
using testing::ProcessExists;
using testing::ScopedVariable;
using testing::TestDirectory;
using testing::WaitFor;

std::string PathWith(const std::string& folder) {
  const char* path = std::getenv("PATH");
  return folder + ":" + (path ? path : "/usr/bin:/bin");
}

class HelpProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Texts().setText("tLangFileLANGID", "EN");
    Program().programDirectory = programs_.path() + "/";
  }
  void TearDown() override {
    StopHelpProgram();
    // A program that ended on its own is forgotten by the watcher shortly after.
    EXPECT_TRUE(WaitFor([] { return HelpProcess() == 0; }));
  }

  TestDirectory programs_;
};

TEST_F(HelpProgramTest, QuotedPathWithBlanksReachesTheProgramAsOneArgument) {
  FakeProgram help(programs_, "Leafscope.exe", "30");
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());
  const std::string folder = programs_ / "Brassholt apps/Vandrel 1";
  std::filesystem::create_directories(folder);
  Program().programDirectory = folder + "/";
  Texts().setText("tLangFileLANGID", "DE");

  OpenHelp();
  EXPECT_NE(HelpProcess(), 0u);
  EXPECT_TRUE(HelpWatching());
  ASSERT_TRUE(WaitFor([&] { return help.lines().size() == 1; }));
  const std::string expected = folder + " [" + folder + "/Vandrel_DE.help] pid=";
  EXPECT_EQ(help.lines()[0].substr(0, expected.size()), expected);
}

TEST_F(HelpProgramTest, SecondOpenWhileItRunsStartsNothing) {
  FakeProgram help(programs_, "Leafscope.exe", "30");
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());

  OpenHelp();
  const sys::ProgramHandle first = HelpProcess();
  ASSERT_NE(first, 0u);
  OpenHelp();
  EXPECT_EQ(HelpProcess(), first);
  ASSERT_TRUE(WaitFor([&] { return help.lines().size() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  OpenHelp();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(help.lines().size(), 1u);
  EXPECT_EQ(HelpProcess(), first);
}

TEST_F(HelpProgramTest, StartsAgainOnceTheWatcherSawItEnd) {
  FakeProgram help(programs_, "Leafscope.exe", "0.2");
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());

  OpenHelp();
  ASSERT_NE(HelpProcess(), 0u);
  // Ends after 0.2 s; the watcher looks every 100 ms.
  ASSERT_TRUE(WaitFor([] { return HelpProcess() == 0; }, 3000));
  EXPECT_FALSE(HelpWatching());
  ASSERT_EQ(help.lines().size(), 1u);

  OpenHelp();
  EXPECT_NE(HelpProcess(), 0u);
  EXPECT_TRUE(WaitFor([&] { return help.lines().size() == 2; }));
}

TEST_F(HelpProgramTest, StopKillsTheRunningProgramAndForgetsIt) {
  FakeProgram help(programs_, "Leafscope.exe", "30");
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());

  OpenHelp();
  ASSERT_TRUE(WaitFor([&] { return help.pid(0) > 0; }));
  const int pid = help.pid(0);
  ASSERT_TRUE(ProcessExists(pid));

  StopHelpProgram();
  EXPECT_EQ(HelpProcess(), 0u);
  EXPECT_FALSE(HelpWatching());
  EXPECT_TRUE(WaitFor([&] { return !ProcessExists(pid); }, 3000));
}

TEST_F(HelpProgramTest, StopAtAnyMomentOfTheWatchLeavesNothingBehind) {
  // An odd sleep time marks our stand-in among the machine's processes, in
  // its shell phase (the script's path) and after it became "sleep".
  constexpr char kMark[] = "31.4159";
  FakeProgram help(programs_, "Leafscope.exe", kMark);
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());
  const std::string script = programs_ / "Leafscope.exe";
  auto alive = [&] {
    return testing::CountProcessesMentioning(kMark) + testing::CountProcessesMentioning(script);
  };

  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    OpenHelp();
    ASSERT_NE(HelpProcess(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(round * 23));
    StopHelpProgram();
    EXPECT_EQ(HelpProcess(), 0u);
    EXPECT_TRUE(WaitFor([&] { return alive() == 0; }, 3000)) << alive() << " still running";
  }
}

TEST_F(HelpProgramTest, NothingStartsWithoutAnExecutableHelpProgramOnPath) {
  TestDirectory empty;
  {
    ScopedVariable path("PATH", empty.path().c_str());
    OpenHelp();
    EXPECT_EQ(HelpProcess(), 0u);
    EXPECT_FALSE(HelpWatching());
  }
  FakeProgram help(programs_, "Leafscope.exe", "30");
  std::filesystem::permissions(
      programs_ / "Leafscope.exe",
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  ScopedVariable path("PATH", PathWith(programs_.path()).c_str());
  OpenHelp();
  EXPECT_EQ(HelpProcess(), 0u);
  EXPECT_FALSE(HelpWatching());
}

TEST_F(HelpProgramTest, AvailableWithTheHelpProgramOrAManualPage) {
  struct Case {
    bool program, manual, available;
  };
  for (const Case& c :
       {Case{false, false, false}, Case{false, true, true}, Case{true, false, true}}) {
    SCOPED_TRACE(::testing::Message() << "program " << c.program << ", manual " << c.manual);
    TestDirectory folder;
    if (c.program) FakeProgram help(folder, "Leafscope.exe", "0");
    if (c.manual) {
      std::filesystem::create_directories(folder / "help");
      std::ofstream(folder / "help/en_GB.html") << "<!DOCTYPE html>";
    }
    Program().programDirectory = folder.dir();
    ScopedVariable path("PATH", folder.path().c_str());
    EXPECT_EQ(HelpAvailable(), c.available);
  }
}

TEST_F(HelpProgramTest, ManualOpensInTheBrowserOnlyWithoutTheHelpProgram) {
  FakeProgram opener(programs_, "xdg-open", "0");
  std::filesystem::create_directories(programs_ / "help");
  std::ofstream(programs_ / "help/en_GB.html") << "<!DOCTYPE html>";
  Program().settings.Language = "en_GB";
  ScopedVariable path("PATH", programs_.path().c_str());

  OpenHelp();
  ASSERT_TRUE(WaitFor([&] { return opener.lines().size() == 1; }));
  EXPECT_NE(opener.lines()[0].find(" [" + programs_.dir() + "help/en_GB.html] pid="),
            std::string::npos)
      << opener.lines()[0];
  // The opener is watched until it ends.
  ASSERT_TRUE(WaitFor([] { return HelpProcess() == 0; }));

  FakeProgram help(programs_, "Leafscope.exe", "30");
  OpenHelp();
  ASSERT_TRUE(WaitFor([&] { return help.lines().size() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(opener.lines().size(), 1u);
}

}  // namespace
}  // namespace vandrel

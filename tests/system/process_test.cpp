// Tests of program resolution along PATH, parameter splitting and the
// process runner. Started programs report through files: the probe helper
// writes its argv, working directory and signal mask; shell one-liners
// write their process ids.
#include "system/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/emulation.h"
#include "support/test_support.h"
#include "system/threads.h"
#include "testing/system_queries.h"

namespace vandrel::sys {
namespace {

using vandrel::testing::ScopedVariable;
using vandrel::testing::TestDirectory;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kProbe = VANDREL_PROBE_PATH;

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 5000ms) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Children of this process; with `zombiesOnly`, only those that have ended
// but were never reaped.
std::vector<int> ChildProcesses(bool zombiesOnly) {
  std::vector<int> children;
  const int self = getpid();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string stat = ReadFile(entry.path().string() + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == self &&
        (state == 'Z' || !zombiesOnly)) {
      children.push_back(std::stoi(entry.path().filename().string()));
    }
  }
  return children;
}

std::vector<int> ZombieChildren() { return ChildProcesses(true); }

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }

  void WriteExecutable(const std::string& name, const std::string& bytes, mode_t mode = 0755) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    chmod((dir_ / name).c_str(), mode);
  }

  void MakeDirectory(const std::string& name) { std::filesystem::create_directories(dir_ / name); }

  // Runs the probe with a kept handle and waits for it to end.
  std::vector<std::string> RunProbe(const std::string& name, const std::string& parameters,
                                    const std::string& workingDirectory = "") {
    ScopedVariable out("VANDREL_PROBE_OUT", (dir_ / "probe.out").c_str());
    const ProgramHandle program = RunProgram(name, parameters, workingDirectory, kRunKeepHandle);
    EXPECT_NE(program, 0u);
    EXPECT_TRUE(WaitFor([&] { return !ProgramRunning(program); }));
    EXPECT_EQ(ProgramExitCode(program), 0);
    ReleaseProgram(program);
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(dir_ / "probe.out"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TestDirectory dir_;
};

TEST_F(ProcessTest, BareNamesAreFoundAlongPathByTheFirstUsableFile) {
  MakeDirectory("a");
  MakeDirectory("b");
  MakeDirectory("c/tool");
  MakeDirectory("d");
  MakeDirectory("e");
  WriteExecutable("a/tool", "#!/bin/sh\n", 0644);  // not executable
  WriteExecutable("b/tool", "");                   // empty
  WriteExecutable("d/tool", "#!/bin/sh\n");
  WriteExecutable("e/tool", "#!/bin/sh\n");
  const std::string path =
      dir_ / "a" + ":" + dir_ / "b" + ":" + dir_ / "c" + "::" + dir_ / "d" + ":" + dir_ / "e";
  ScopedVariable pathVariable("PATH", path.c_str());
  EXPECT_EQ(FindProgram("tool"), dir_ / "d/tool");
  EXPECT_EQ(FindProgram("absent"), "");
  EXPECT_EQ(RunProgram("absent", "", "", kRunKeepHandle), 0u);
  EXPECT_EQ(RunProgram("absent", "", "", kRunDetached), 0u);
  EXPECT_EQ(FindProgram(""), "");
}

TEST_F(ProcessTest, TheWorkingDirectoryPlaysNoPartInTheLookup) {
  WriteExecutable("tool", "#!/bin/sh\n");
  std::string previous(4096, '\0');
  ASSERT_NE(getcwd(previous.data(), previous.size()), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  std::string found;
  std::string dotted;
  {
    ScopedVariable pathVariable("PATH", ":/nonexistent:");
    found = FindProgram("tool");
    dotted = FindProgram("./tool");
  }
  const std::string bin = FindProgram("tool");
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_EQ(found, "");
  EXPECT_EQ(dotted, "./tool") << "an executable path with a slash is used as it is";
  EXPECT_EQ(bin, "");
}

TEST_F(ProcessTest, NamesWithASlashAreUsedAsTheyAreOrNotAtAll) {
  MakeDirectory("bin");
  WriteExecutable("bin/tool", "#!/bin/sh\n");
  WriteExecutable("plain", "#!/bin/sh\n", 0644);
  ScopedVariable pathVariable("PATH", (dir_ / "bin").c_str());
  EXPECT_EQ(FindProgram(dir_ / "bin/tool"), dir_ / "bin/tool");
  EXPECT_EQ(FindProgram(dir_ / "plain"), "") << "not executable";
  EXPECT_EQ(FindProgram(dir_ / "bin"), "") << "a directory";
  EXPECT_EQ(FindProgram("/tool"), "") << "absolute names are not looked up";
  EXPECT_EQ(FindProgram("./tool"), "") << "nor names starting with ./";
  EXPECT_EQ(RunProgram(dir_ / "plain", "", "", kRunKeepHandle), 0u);
}

TEST_F(ProcessTest, ParametersSplitAtBlanksTabsAndLineFeedsWithQuotedArguments) {
  using Arguments = std::vector<std::string>;
  EXPECT_EQ(SplitParameters(""), Arguments{});
  EXPECT_EQ(SplitParameters(" \t\n "), Arguments{});
  EXPECT_EQ(SplitParameters("  a\tb\nc  d "), (Arguments{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitParameters("\"/tmp/my dir/file name\" --x"),
            (Arguments{"/tmp/my dir/file name", "--x"}));
  EXPECT_EQ(SplitParameters("\"\" a"), (Arguments{"", "a"}));
  EXPECT_EQ(SplitParameters("\"open ended"), (Arguments{"open ended"}));
  EXPECT_EQ(SplitParameters("\"a b\"c"), (Arguments{"a b", "c"}));
  EXPECT_EQ(SplitParameters("mid\"dle x"), (Arguments{"mid\"dle", "x"}));
  EXPECT_EQ(SplitParameters("a\r b"), (Arguments{"a\r", "b"}));
}

TEST_F(ProcessTest, TheProgramReceivesItsNameAndQuotedPathsAsSingleArguments) {
  if (testing::UnderEmulator())
    GTEST_SKIP() << "qemu-user without binfmt cannot start the ARM probe program";
  const std::string probeDir = std::filesystem::path(kProbe).parent_path().string();
  const std::string probeName = std::filesystem::path(kProbe).filename().string();
  const std::string pathValue = probeDir + ":/usr/bin:/bin";
  ScopedVariable pathVariable("PATH", pathValue.c_str());

  const auto lines = RunProbe(probeName, "\"/tmp/my dir/file name\"\tplain\n\"\" last");
  const std::vector<std::string> expected{"5",     probeName, "/tmp/my dir/file name",
                                          "plain", "",        "last"};
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), expected);
}

TEST_F(ProcessTest, TheProgramStartsInTheWorkingDirectoryGiven) {
  if (testing::UnderEmulator())
    GTEST_SKIP() << "qemu-user without binfmt cannot start the ARM probe program";
  MakeDirectory("work place");
  const std::string where = std::filesystem::canonical(dir_ / "work place").string();
  auto lines = RunProbe(kProbe, "", dir_ / "work place");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], where);

  std::string here(4096, '\0');
  ASSERT_NE(getcwd(here.data(), here.size()), nullptr);
  lines = RunProbe(kProbe, "", "");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], here.c_str());
}

TEST_F(ProcessTest, AMissingWorkingDirectoryEndsTheChildWithCodeOne) {
  ScopedVariable out("VANDREL_PROBE_OUT", (dir_ / "probe.out").c_str());
  const ProgramHandle program = RunProgram(kProbe, "", dir_ / "absent", kRunKeepHandle);
  ASSERT_NE(program, 0u);
  ASSERT_TRUE(WaitFor([&] { return !ProgramRunning(program); }));
  EXPECT_EQ(ProgramExitCode(program), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "probe.out")) << "the program must not run elsewhere";
  ReleaseProgram(program);
}

TEST_F(ProcessTest, TheWaiterRecordsTheExitCodeAndRunningTurnsFalse) {
  const ProgramHandle program =
      RunProgram("/bin/sh", "-c \"sleep 0.3; exit 7\"", "", kRunKeepHandle);
  ASSERT_NE(program, 0u);
  EXPECT_NE(program, 1u) << "1 is the detached start's result";
  EXPECT_TRUE(IsProgram(program));
  EXPECT_TRUE(ProgramRunning(program));
  EXPECT_EQ(ProgramExitCode(program), -1);
  ASSERT_TRUE(WaitFor([&] { return !ProgramRunning(program); }));
  EXPECT_TRUE(WaitFor([&] { return ProgramExitCode(program) == 7; }));
  EXPECT_TRUE(IsProgram(program));
  EXPECT_TRUE(ZombieChildren().empty());
  ReleaseProgram(program);
  EXPECT_FALSE(IsProgram(program));
  EXPECT_FALSE(ProgramRunning(program));
  EXPECT_EQ(ProgramExitCode(program), 0) << "an unknown handle reads 0";
  KillProgram(program);
  ReleaseProgram(program);
}

TEST_F(ProcessTest, AKilledProgramEndsWithCodeOne) {
  const ProgramHandle program = RunProgram("sleep", "30", "", kRunKeepHandle);
  ASSERT_NE(program, 0u);
  EXPECT_TRUE(ProgramRunning(program));
  const auto start = Clock::now();
  KillProgram(program);
  ASSERT_TRUE(WaitFor([&] { return !ProgramRunning(program); }));
  EXPECT_LT(Clock::now() - start, 10000ms);  // not the 30 s it would sleep
  EXPECT_EQ(ProgramExitCode(program), 1);
  KillProgram(program);  // already ended: nothing is signalled
  ReleaseProgram(program);
}

TEST_F(ProcessTest, KillAndReleaseWhileTheWaiterWaitsIsSafe) {
  std::vector<ProgramHandle> programs;
  for (int i = 0; i < 10; ++i) {
    const ProgramHandle program = RunProgram("sleep", "30", "", kRunKeepHandle);
    ASSERT_NE(program, 0u);
    programs.push_back(program);
  }
  for (ProgramHandle program : programs) {
    KillProgram(program);
    ReleaseProgram(program);
    EXPECT_FALSE(IsProgram(program));
    EXPECT_FALSE(ProgramRunning(program));
  }
  // The waiters still reap their children after the handles are gone.
  EXPECT_TRUE(WaitFor([] { return ChildProcesses(false).empty(); }));
}

TEST_F(ProcessTest, ADetachedProgramOutlivesTheCallAndLeavesNoZombie) {
  const std::string pidFile = dir_ / "pid";
  const std::string goFile = dir_ / "go";
  const std::string script =
      "echo $$ > '" + pidFile + "'; while [ ! -e '" + goFile + "' ]; do sleep 0.05; done";
  ASSERT_EQ(RunProgram("sh", "-c \"" + script + "\"", "", kRunDetached), 1u);
  EXPECT_TRUE(ZombieChildren().empty()) << "the intermediate child was reaped";

  ASSERT_TRUE(WaitFor([&] { return ReadFile(pidFile).find('\n') != std::string::npos; }));
  const pid_t pid = std::stoi(ReadFile(pidFile));
  EXPECT_EQ(kill(pid, 0), 0) << "still running after the call returned";
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  int parent = 0;
  ASSERT_EQ(std::sscanf(stat.c_str() + stat.rfind(')') + 1, " %*c %d", &parent), 1);
  EXPECT_NE(parent, getpid()) << "not a child of this process";

  std::ofstream(goFile) << "";
  EXPECT_TRUE(WaitFor([&] { return kill(pid, 0) != 0; }));
  EXPECT_TRUE(ZombieChildren().empty());
}

std::atomic<ProgramHandle> gStarted{0};

int StartProbe(int) {
  gStarted = RunProgram(kProbe, "", "", kRunKeepHandle);
  return 0;
}

TEST_F(ProcessTest, AProgramStartedFromAPausableThreadDoesNotInheritItsBlockedSignal) {
  if (testing::UnderEmulator())
    GTEST_SKIP() << "qemu-user without binfmt cannot start the ARM probe program";
  ScopedVariable out("VANDREL_PROBE_OUT", (dir_ / "probe.out").c_str());
  gStarted = 0;
  ASSERT_NE(CreateThread(StartProbe, 0), 0u);
  ASSERT_TRUE(WaitFor([] { return gStarted != 0; }));
  const ProgramHandle program = gStarted;
  ASSERT_TRUE(WaitFor([&] { return !ProgramRunning(program); }));
  EXPECT_EQ(ProgramExitCode(program), 0);
  ReleaseProgram(program);
  std::string report = ReadFile(dir_ / "probe.out");
  EXPECT_NE(report.find("\nusr1-open\n"), std::string::npos) << report;
}

}  // namespace
}  // namespace vandrel::sys

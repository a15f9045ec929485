// Tests of the command line, the program path and the environment lookups.
#include "system/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/emulation.h"
#include "support/test_support.h"

namespace vandrel::sys {
namespace {

using vandrel::testing::ScopedVariable;

class PathsTest : public ::testing::Test {};

TEST_F(PathsTest, ParametersAreCountedAfterTheProgramName) {
  std::string words[] = {"/usr/bin/vandrel", "first file", ""};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(), nullptr};
  SetCommandLine(3, argv);
  EXPECT_EQ(CountProgramParameters(), 2);
  EXPECT_EQ(ProgramParameter(0), "first file");
  EXPECT_EQ(ProgramParameter(1), "");
  EXPECT_EQ(ProgramParameter(2), "");
  EXPECT_EQ(ProgramParameter(-1), "");

  SetCommandLine(1, argv);
  EXPECT_EQ(CountProgramParameters(), 0);
  EXPECT_EQ(ProgramParameter(0), "");

  SetCommandLine(0, nullptr);
  EXPECT_EQ(CountProgramParameters(), 0);
}

TEST_F(PathsTest, ProgramPathNamesTheRunningExecutable) {
  if (testing::UnderEmulator())
    GTEST_SKIP() << "under qemu-user /proc/self/exe names the emulator, not the test";
  const std::string path = ProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  struct stat named {};
  struct stat running {};
  ASSERT_EQ(stat(path.c_str(), &named), 0);
  ASSERT_EQ(stat("/proc/self/exe", &running), 0);
  EXPECT_EQ(named.st_dev, running.st_dev);
  EXPECT_EQ(named.st_ino, running.st_ino);
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "toolkit_paths_test");
}

TEST_F(PathsTest, PathPartKeepsEverythingUpToTheLastSlash) {
  EXPECT_EQ(PathPart("/home/ann/Vandrel.prefs"), "/home/ann/");
  EXPECT_EQ(PathPart("/home/ann/"), "/home/ann/");
  EXPECT_EQ(PathPart("/vandrel"), "/");
  EXPECT_EQ(PathPart("relative/file"), "relative/");
  EXPECT_EQ(PathPart("vandrel"), "");
  EXPECT_EQ(PathPart(""), "");
}

TEST_F(PathsTest, HomeDirectoryGetsATrailingSlashOnlyWhenItNeedsOne) {
  {
    ScopedVariable home("HOME", "/home/ann");
    EXPECT_EQ(HomeDirectory(), "/home/ann/");
  }
  {
    ScopedVariable home("HOME", "/home/ann/");
    EXPECT_EQ(HomeDirectory(), "/home/ann/");
  }
  {
    ScopedVariable home("HOME", "/");
    EXPECT_EQ(HomeDirectory(), "/");
  }
  {
    ScopedVariable home("HOME", "~");
    EXPECT_EQ(HomeDirectory(), "~");
  }
  {
    ScopedVariable home("HOME", "");
    EXPECT_EQ(HomeDirectory(), "");
  }
  {
    ScopedVariable home("HOME", nullptr);
    EXPECT_EQ(HomeDirectory(), "");
  }
}

TEST_F(PathsTest, EnvironmentVariablesReadAsSetAndEmptyWhenUnset) {
  ScopedVariable set("VANDREL_TEST_VALUE", "a b=c");
  ScopedVariable unset("VANDREL_TEST_UNSET", nullptr);
  EXPECT_EQ(EnvironmentVariable("VANDREL_TEST_VALUE"), "a b=c");
  EXPECT_EQ(EnvironmentVariable("VANDREL_TEST_UNSET"), "");
  EXPECT_EQ(TemporaryDirectory(), "/tmp/");
}

}  // namespace
}  // namespace vandrel::sys

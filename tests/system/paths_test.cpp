// Tests of the command line, the program path, the environment lookups, and
// how a file is named from a folder in a tree with a linked folder, where
// ".." from the link's side climbs its target's folder.
#include "system/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/emulation.h"
#include "support/test_support.h"
#include "system/path_from_folder.h"

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

TEST(NamesFromFolderTest, NamesReachTheFileFromTheFolderAsTheKernelResolvesThem) {
  namespace fs = std::filesystem;
  testing::TestDirectory scratch;
  // The scratch folder's real place, so that expected names hold no links.
  const std::string root = fs::canonical(scratch.path()).string();
  fs::create_directories(root + "/data/sub");
  fs::create_directories(root + "/lists");
  fs::create_directory_symlink("data/sub", root + "/link");
  std::ofstream(root + "/data/a") << "a";
  std::ofstream(root + "/data/sub/b") << "b";

  const struct {
    std::string folder, path, name;
  } cases[] = {
      {root + "/lists", root + "/data/a", "../data/a"},
      {root + "/data/", root + "/data/sub/b", "sub/b"},
      // Below a link as written: the same names from there.
      {root + "/link", root + "/link/b", "b"},
      // From the link, ".." is data, not the scratch folder.
      {root + "/link", root + "/data/a", "../a"},
      {root + "/lists", root + "/link/b", "../data/sub/b"},
      {root + "/lists", root + "/link/../a", "../data/a"},
      {root + "/lists", root + "/lists/../data/./a", "../data/a"},
      // Only the root in common.
      {root + "/lists", "/bin/sh", "/bin/sh"},
      {"/dev", root + "/link/../a", root + "/data/a"},
      // Relative to the working directory, which is the scratch folder.
      {"lists", "data/a", "../data/a"},
      {root + "/data", "link/../a", "a"},
  };
  const fs::path previous = fs::current_path();
  fs::current_path(root);
  for (const auto& c : cases) {
    EXPECT_EQ(NamesFromFolder(c.folder).nameOf(c.path), c.name) << c.folder << " | " << c.path;
    // What the name reaches from the folder is the file itself.
    const std::string folder = c.folder.empty() ? "." : c.folder;
    const std::string reached = c.name.front() == '/' ? c.name : folder + "/" + c.name;
    EXPECT_TRUE(fs::equivalent(reached, c.path)) << reached;
  }
  fs::current_path(previous);
}

}  // namespace
}  // namespace vandrel::sys

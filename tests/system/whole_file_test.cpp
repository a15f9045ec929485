// SaveWholeFile against real folders and devices: content and permissions
// of a replaced file, failures that must leave the earlier file whole (a
// read-only folder, a write cut short by the file size limit), and devices
// and links that must be written through, never replaced.
#include "system/whole_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "support/test_support.h"

namespace vandrel::sys {
namespace {

namespace fs = std::filesystem;
using vandrel::testing::TestDirectory;

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// The child's result (an errno) as its exit status; 99 when it could not
// drop root, which reads and writes everything.
int InChild(bool asNobody, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (asNobody && geteuid() == 0 &&
        (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)) {
      _exit(99);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    fs::permissions(dir_.path(), fs::perms(0755));
  }
  TestDirectory dir_;
};

TEST_F(WholeFileTest, ReplacesTheContentAndKeepsThePermissions) {
  const std::string path = dir_ / "sums.txt";
  Write(path, std::string(10000, 'o'));
  fs::permissions(path, fs::perms(0640));
  EXPECT_EQ(SaveWholeFile(path, "new\n"), 0);
  EXPECT_EQ(Read(path), "new\n");
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
  EXPECT_EQ(Entries(dir_.path()), std::set<std::string>{"sums.txt"});

  const mode_t old = umask(027);
  EXPECT_EQ(SaveWholeFile(dir_ / "fresh", ""), 0);
  umask(old);
  EXPECT_EQ(fs::status(dir_ / "fresh").permissions(), fs::perms(0640));
  EXPECT_EQ(fs::file_size(dir_ / "fresh"), 0u);
}

TEST_F(WholeFileTest, AFailedSaveLeavesTheEarlierFileWholeAndNoStrayFile) {
  const std::string path = dir_ / "sums.txt";
  const std::string earlier(3000, 'e');
  const std::string text(100000, 't');
  struct Case {
    const char* name;
    bool asNobody;
    int expected;
    std::function<void()> prepare;
  };
  const Case cases[] = {
      {"read-only folder", true, EACCES, [] {}},
      {"write cut short at 4 KiB", false, EFBIG,
       [] {
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit limit{4096, 4096};
         setrlimit(RLIMIT_FSIZE, &limit);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(path, earlier);
    fs::permissions(path, fs::perms(0644));
    fs::permissions(dir_.path(), fs::perms(0555));
    const int result = InChild(c.asNobody, [&] {
      c.prepare();
      return SaveWholeFile(path, text);
    });
    fs::permissions(dir_.path(), fs::perms(0755));
    EXPECT_EQ(result, c.expected) << std::strerror(result);
    EXPECT_EQ(Read(path), earlier);
    EXPECT_EQ(Entries(dir_.path()), std::set<std::string>{"sums.txt"});
  }
  EXPECT_EQ(SaveWholeFile(dir_ / "missing/sums.txt", text), ENOENT);
}

TEST_F(WholeFileTest, DevicesAndLinksAreWrittenThroughNeverReplaced) {
  EXPECT_EQ(SaveWholeFile("/dev/full", "text"), ENOSPC);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_EQ(SaveWholeFile("/dev/null", "text"), 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  const std::string target = dir_ / "target";
  Write(target, "old");
  fs::create_symlink(target, dir_ / "link");
  EXPECT_EQ(SaveWholeFile(dir_ / "link", "through the link"), 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
  EXPECT_EQ(Read(target), "through the link");
  EXPECT_EQ(Entries(dir_.path()), (std::set<std::string>{"link", "target"}));
}

}  // namespace
}  // namespace vandrel::sys

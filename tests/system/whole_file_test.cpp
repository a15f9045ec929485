// SaveWholeFile against real folders and devices: content and permissions
// of a replaced file, failures that must leave the earlier file whole (a
// read-only folder, a write cut short by the file size limit), devices and
// links that must be written through, never replaced, links another user
// planted in a shared folder that must not be, the files a rename would harm
// (other links, owners, set-id bits) overwritten in place behind a kept
// copy, which leftovers of earlier saves are removed, and what a save killed
// at each of its system calls leaves.
#include "system/whole_file.h"

#include <fcntl.h>
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
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/emulation.h"
#include "support/test_support.h"
#include "system/whole_file_internal.h"

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
    fs::permissions(state_.path(), fs::perms(01777));
  }
  TestDirectory dir_;
  // Where copies go that a file's own folder refuses, for root and nobody.
  TestDirectory state_;
  vandrel::testing::ScopedVariable stateHome_{"XDG_STATE_HOME", state_.path().c_str()};
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

TEST_F(WholeFileTest, TheNewTextIsNeverMoreReadableThanTheOldFile) {
  struct Case {
    const char* name;
    int oldMode;  // -1: nothing there yet
    mode_t umask;
    mode_t modeAtFirstByte;
  };
  const Case cases[] = {
      {"private file", 0600, 022, 0600},
      {"group-readable file", 0640, 077, 0640},
      {"new file", -1, 027, 0640},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_ / "secret";
    fs::remove(path);
    if (c.oldMode >= 0) {
      Write(path, "old");
      fs::permissions(path, fs::perms(c.oldMode));
    }
    mode_t seen = 07777;
    const mode_t old = umask(c.umask);
    const int result =
        internal::SaveWholeFile(path, "new secret", [&](int fd, std::string_view bytes) {
          struct stat status {};
          if (fstat(fd, &status) == 0) seen = status.st_mode & 07777;
          return internal::WriteAll(fd, bytes);
        });
    umask(old);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen, c.modeAtFirstByte) << std::oct << seen;
    EXPECT_EQ(Read(path), "new secret");
  }
}

TEST_F(WholeFileTest, FollowsChainsOfLinksToTargetsThatNeedNotExist) {
  const std::string root = dir_.path();
  fs::create_directory(root + "/sub");
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // name, target
    std::string target;  // where the text must land; empty: nowhere
    int expected;
  };
  const Case cases[] = {
      {"dangling relative link", {{"link", "sub/new"}}, "sub/new", 0},
      {"relative to the link's own folder", {{"sub/link", "../up"}}, "up", 0},
      {"chain ending in an absolute dangling link",
       {{"first", "sub/second"}, {"sub/second", root + "/end"}},
       "end",
       0},
      {"loop", {{"loop-a", "loop-b"}, {"loop-b", "loop-a"}}, "", ELOOP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [name, target] : c.links) fs::create_symlink(target, root + "/" + name);
    EXPECT_EQ(SaveWholeFile(root + "/" + c.links.front().first, "text"), c.expected);
    for (const auto& [name, target] : c.links) {
      EXPECT_TRUE(fs::is_symlink(root + "/" + name)) << name;
      fs::remove(root + "/" + name);
    }
    if (!c.target.empty()) {
      EXPECT_TRUE(fs::is_regular_file(root + "/" + c.target));
      EXPECT_EQ(Read(root + "/" + c.target), "text");
      fs::remove(root + "/" + c.target);
    }
    EXPECT_EQ(Entries(root), std::set<std::string>{"sub"});
    EXPECT_TRUE(fs::is_empty(root + "/sub"));
  }
}

// Runs as root: the cases that need an ordinary user save from a child that
// has become nobody.
TEST_F(WholeFileTest, KeepsLinksOwnersAndSetIdBitsWritingInPlaceWhereARenameWouldLoseThem) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files away and to become nobody";
  const std::string path = dir_ / "sums.txt";
  const std::string other = dir_ / "other-name";
  const std::string earlier(3000, 'e');
  struct Case {
    const char* name;
    bool asNobody;
    uid_t owner;
    mode_t mode;
    mode_t folderMode;
    bool hardLink;
    rlim_t sizeLimit;
    int expected;
  };
  const rlim_t none = RLIM_INFINITY;
  const Case cases[] = {
      {"hard link", false, 0, 0644, 0755, true, none, 0},
      {"writable file in a read-only folder", true, 65534, 0644, 0555, false, none, 0},
      {"another user's file saved by root", false, 65534, 0640, 0755, false, none, 0},
      {"root's file saved by a user who may write it", true, 0, 0666, 0777, false, none, 0},
      {"set-user-id file saved by root", false, 0, 04755, 0755, false, none, 0},
      {"set-id file saved by its owner", true, 65534, 06755, 0777, false, none, 0},
      {"too big for the size limit", false, 0, 0644, 0755, true, 4096, EFBIG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(path, earlier);
    ASSERT_EQ(chown(path.c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    if (c.hardLink) fs::create_hard_link(path, other);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    fs::permissions(dir_.path(), fs::perms(c.folderMode));
    const std::string text = c.expected ? std::string(100000, 't') : "short";
    const int result = InChild(c.asNobody, [&] {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{c.sizeLimit, c.sizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
      return SaveWholeFile(path, text);
    });
    fs::permissions(dir_.path(), fs::perms(0755));
    EXPECT_EQ(result, c.expected) << std::strerror(result);
    const std::string content = c.expected ? earlier : text;
    EXPECT_EQ(Read(path), content);
    if (c.hardLink) {
      EXPECT_EQ(Read(other), content);
      EXPECT_EQ(fs::hard_link_count(path), 2u);
      fs::remove(other);
    }
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode) << std::oct << after.st_mode;
    EXPECT_EQ(Entries(dir_.path()), std::set<std::string>{"sums.txt"});
  }
}

TEST_F(WholeFileTest, AnOverwriteInPlaceFailingMidwayKeepsAWholeCopyAndSaysWhere) {
  const std::string path = dir_ / "sums.txt";
  Write(path, "old content");
  fs::create_hard_link(path, dir_ / "other-name");
  SaveDetails details;
  const auto failAfterThreeBytes = [](int fd, std::string_view bytes) {
    internal::WriteAll(fd, bytes.substr(0, 3));
    return EIO;
  };
  EXPECT_EQ(internal::SaveWholeFile(path, "fresh text", failAfterThreeBytes, &details), EIO);
  EXPECT_EQ(Read(path), "fre content");
  EXPECT_EQ(details.keptCopy, path + ".vandrel-copy");
  EXPECT_EQ(Read(details.keptCopy), "old content");
}

// Only this user's temporaries that no running save holds go.
TEST_F(WholeFileTest, TheNextSaveRemovesOnlyStaleTemporariesOfItsOwnUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a temporary to another user";
  for (const char* name : {".vandrel-save-1", ".vandrel-save-2", ".vandrel-save-3",
                           ".vandrel-save-4x", "vandrel-save-5"}) {
    Write(dir_ / name, "left");
  }
  fs::create_symlink(dir_ / "sums", dir_ / ".vandrel-save-6");
  const int held = open((dir_ / ".vandrel-save-2").c_str(), O_WRONLY);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  ASSERT_EQ(fcntl(held, F_OFD_SETLK, &lock), 0);
  ASSERT_EQ(chown((dir_ / ".vandrel-save-3").c_str(), 65534, 65534), 0);
  EXPECT_EQ(SaveWholeFile(dir_ / "sums", "text"), 0);
  close(held);
  EXPECT_EQ(Entries(dir_.path()),
            (std::set<std::string>{".vandrel-save-2", ".vandrel-save-3", ".vandrel-save-4x",
                                   "vandrel-save-5", ".vandrel-save-6", "sums"}));
}

// Saving as root through links in a sticky folder every user may write; the
// links are planted and followed by root or by nobody, with the kernel's own
// rule for such links on and off.
TEST_F(WholeFileTest, FollowsALinkInASharedFolderOnlyWhereTheKernelRuleWould) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become nobody and to switch the kernel rule";
  const std::string rule = "/proc/sys/fs/protected_symlinks";
  const std::string before = Read(rule);
  const std::shared_ptr<void> restore(nullptr, [&](void*) { Write(rule, before); });
  const std::string shared = dir_ / "shared";
  const std::string target = shared + "/precious";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms(01777));
  struct Case {
    const char* name;
    bool plantedByNobody, savedByNobody, followed;
  };
  const Case cases[] = {
      {"another user's link", true, false, false},
      {"the saver's own link", true, true, true},
      {"the folder owner's link", false, true, true},
  };
  for (const char* setting : {"0\n", "1\n"}) {
    Write(rule, setting);
    if (Read(rule) != setting) GTEST_SKIP() << rule << " cannot be written here";
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", kernel rule " + setting);
      fs::remove(target);
      Write(target, "precious");
      ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
      const std::string link = shared + "/sums";
      ASSERT_EQ(InChild(c.plantedByNobody, [&] { return symlink(target.c_str(), link.c_str()); }),
                0);
      SaveDetails details;
      const int result = c.savedByNobody
                             ? InChild(true, [&] { return SaveWholeFile(link, "list"); })
                             : SaveWholeFile(link, "list", &details);
      EXPECT_EQ(result, c.followed ? 0 : EACCES);
      EXPECT_EQ(Read(target), c.followed ? "list" : "precious");
      EXPECT_EQ(details.refusedLink, c.followed ? "" : link);
      EXPECT_TRUE(fs::is_symlink(link));
      fs::remove(link);
    }
  }
}

// The calls after the marker in a trace written by strace -o, each with its
// count among the calls of its kind since the program started.
std::vector<std::pair<std::string, int>> SaveCalls(const std::string& trace) {
  std::vector<std::pair<std::string, int>> calls;
  std::map<std::string, int> counts;
  std::istringstream lines(trace);
  bool saving = false;
  for (std::string line; std::getline(lines, line);) {
    const std::string name = line.substr(0, line.find('('));
    if (name.size() == line.size() || name.starts_with("---") || name.starts_with("+++")) continue;
    const int nth = ++counts[name];
    if (saving && name != "exit_group") calls.emplace_back(name, nth);
    saving = saving || name == "getppid";
  }
  return calls;
}

// strace injects SIGKILL on entry to the Nth call of one kind, for every
// call of a save in turn.
TEST(WholeFileCrashTest, AKilledSaveLeavesOldOrNewContentAndAtMostOneFileBeside) {
  if (vandrel::testing::UnderEmulator()) GTEST_SKIP() << "strace cannot follow emulated programs";
  ASSERT_EQ(std::system("strace -V >/dev/null"), 0) << "strace is missing (scripts/deps)";
  const bool root = geteuid() == 0;
  TestDirectory dir, state, traces;
  fs::permissions(dir.path(), fs::perms(0755));
  fs::permissions(state.path(), fs::perms(0777));
  const std::string old(300000, 'o'), fresh(200000, 'n'), sums = dir / "sums";
  const auto beside = [&] {
    std::vector<fs::path> paths;  // besides the file and its second link
    for (const std::string& folder : {dir.path(), state / "vandrel"}) {
      std::error_code missing;
      for (const auto& entry : fs::directory_iterator(folder, missing)) {
        if (entry.path() != sums && entry.path() != dir / "other") paths.push_back(entry.path());
      }
    }
    return paths;
  };
  struct Scenario {
    std::string name;
    bool exists, hardLink, asNobody;
  };
  const Scenario scenarios[] = {{"new name", false, false, false},
                                {"replaced file", true, false, false},
                                {"hard-linked file", true, true, false},
                                {"folder its user may not write", true, false, true}};
  std::map<std::string, int> outcomes;
  int kills = 0;
  for (const Scenario& s : scenarios) {
    if (s.asNobody && !root) continue;
    const auto prepare = [&] {
      fs::permissions(dir.path(), fs::perms(0755));
      for (const std::string& folder : {dir.path(), state.path()}) {
        for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
      }
      if (s.exists) Write(sums, old);
      if (s.hardLink) fs::create_hard_link(sums, dir / "other");
      if (s.asNobody) {
        ASSERT_EQ(chown(sums.c_str(), 65534, 65534), 0);
        fs::permissions(dir.path(), fs::perms(0555));
      }
    };
    // LeakSanitizer cannot work under ptrace: a sanitized probe skips it.
    const auto save = [&](const std::string& straceOptions) {
      return std::system(("cd " + dir.path() + " && XDG_STATE_HOME=" + state.path() +
                          " ASAN_OPTIONS=detect_leaks=0 strace -qq " +
                          (s.asNobody ? "-u nobody " : "") + straceOptions +
                          " " VANDREL_PROBE_PATH " sums 200000 2>/dev/null")
                             .c_str());
    };
    prepare();
    ASSERT_EQ(save("-o " + (traces / "trace")), 0);
    const std::string trace = Read(traces / "trace");
    if (s.name == "replaced file") {  // the folder is synced after the rename
      EXPECT_EQ(trace.substr(trace.find('\n', trace.find("renameat(")) + 1, 6), "fsync(");
    }
    for (const auto& [call, nth] : SaveCalls(trace)) {
      SCOPED_TRACE(s.name + ": killed on " + call + " #" + std::to_string(nth));
      prepare();
      save("-o /dev/null -e inject=" + call + ":signal=KILL:when=" + std::to_string(nth));
      ++kills;
      const std::string now = Read(sums);
      const std::vector<fs::path> left = beside();
      EXPECT_LE(left.size(), 1u);
      const bool copyKept =
          left.size() == 1 && left[0].filename() == "sums.vandrel-copy" && Read(left[0]) == old;
      const std::string outcome = now == fresh                   ? "new"
                                  : now == (s.exists ? old : "") ? "old"
                                  : copyKept                     ? "cut, old kept in a copy"
                                                                 : "mixed";
      EXPECT_NE(outcome, "mixed");
      ++outcomes[outcome + (left.empty() ? "" : ", one file beside")];
      if (s.hardLink) {
        EXPECT_EQ(Read(dir / "other"), now);
      }
      // The next save clears what the crash left, bar a copy of old content.
      EXPECT_EQ(save("-o /dev/null"), 0);
      EXPECT_EQ(Read(sums), fresh);
      for (const fs::path& path : beside()) {
        EXPECT_FALSE(path.filename().string().starts_with(".vandrel-save-")) << path;
      }
    }
  }
  for (const auto& [outcome, count] : outcomes) std::cout << count << " x " << outcome << "\n";
  EXPECT_GE(kills, root ? 100 : 50);
}

}  // namespace
}  // namespace vandrel::sys

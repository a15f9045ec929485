// Tests of file size, make directory (one level and a whole path), delete
// and directory listings, against real files, links, FIFOs and devices made
// for each test. (CI runs as root, so unreadable directories are not tried:
// root reads them.)
#include "system/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vandrel::sys {
namespace {

using vandrel::testing::FileMode;
using vandrel::testing::TestDirectory;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  // Every entry of a listing, in order, with its type.
  static std::vector<std::pair<std::string, int>> ReadListing(int number) {
    std::vector<std::pair<std::string, int>> entries;
    while (NextDirectoryEntry(number)) {
      entries.emplace_back(DirectoryEntryName(number), DirectoryEntryType(number));
    }
    return entries;
  }

  static std::set<std::string> Names(const std::vector<std::pair<std::string, int>>& entries) {
    std::set<std::string> names;
    for (const auto& entry : entries) names.insert(entry.first);
    return names;
  }

  std::set<std::string> List(const std::string& pattern) {
    const int number = ExamineDirectory(-1, dir_.path(), pattern);
    EXPECT_NE(number, 0);
    auto names = Names(ReadListing(number));
    FinishDirectory(number);
    return names;
  }

  TestDirectory dir_;
};

TEST_F(FilesTest, FileSizeReportsBytesMissingAndDirectoriesFollowingLinks) {
  WriteFile("seven", "1234567");
  WriteFile("empty", "");
  ASSERT_EQ(symlink((dir_ / "seven").c_str(), (dir_ / "to-file").c_str()), 0);
  ASSERT_EQ(symlink(dir_.path().c_str(), (dir_ / "to-dir").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir_ / "dangling").c_str()), 0);
  EXPECT_EQ(FileSize(dir_ / "seven"), 7);
  EXPECT_EQ(FileSize(dir_ / "empty"), 0);
  EXPECT_EQ(FileSize(dir_ / "absent"), kFileMissing);
  EXPECT_EQ(FileSize(""), kFileMissing);
  EXPECT_EQ(FileSize(dir_.path()), kFileIsDirectory);
  EXPECT_EQ(FileSize(dir_ / "to-file"), 7);
  EXPECT_EQ(FileSize(dir_ / "to-dir"), kFileIsDirectory);
  EXPECT_EQ(FileSize(dir_ / "dangling"), kFileMissing);
}

TEST_F(FilesTest, FileSizeOfAFileOverFourGibibytesIsExact) {
  // A sparse file: no disk space is used. Catches 32-bit size truncation.
  const std::int64_t size = (std::int64_t{1} << 32) + 12345;
  {
    const int fd = open((dir_ / "big").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const bool grown = ftruncate(fd, static_cast<off_t>(size)) == 0;
    close(fd);
    if (!grown) GTEST_SKIP() << "file system refuses sparse files this large";
  }
  EXPECT_EQ(FileSize(dir_ / "big"), size);
}

TEST_F(FilesTest, MakeDirectoryMakesOneLevelWithOwnerOnlyAccess) {
  const mode_t previous = umask(0);
  const int made = MakeDirectory(dir_ / "private");
  umask(previous);
  ASSERT_EQ(made, 1);
  struct stat status {};
  ASSERT_EQ(stat((dir_ / "private").c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0700u);

  EXPECT_EQ(MakeDirectory(dir_ / "private"), 0) << "already exists";
  EXPECT_EQ(MakeDirectory(dir_ / "no/parents"), 0);
  EXPECT_EQ(FileSize(dir_ / "no"), kFileMissing);
  EXPECT_EQ(MakeDirectory(""), 0);
}

TEST_F(FilesTest, DeleteFileRemovesFilesOnly) {
  WriteFile("doomed", "x");
  EXPECT_EQ(DeleteFile(dir_ / "doomed"), 1);
  EXPECT_EQ(FileSize(dir_ / "doomed"), kFileMissing);
  EXPECT_EQ(DeleteFile(dir_ / "doomed"), 0);
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  EXPECT_EQ(DeleteFile(dir_ / "sub"), 0);
  EXPECT_EQ(FileSize(dir_ / "sub"), kFileIsDirectory);
}

TEST_F(FilesTest, StarDotStarListsEveryEntryIncludingDotsAndHiddenNames) {
  WriteFile("a.txt", "");
  WriteFile("noext", "");
  WriteFile(".hidden", "");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  const std::set<std::string> expected{".", "..", ".hidden", "a.txt", "noext", "sub"};
  EXPECT_EQ(List("*.*"), expected);
  EXPECT_EQ(List("*"), expected);
}

TEST_F(FilesTest, PatternsMatchCaseExactlyAndWholeNames) {
  WriteFile("en.language", "");
  WriteFile("DE.LANGUAGE", "");
  WriteFile("fr.Language", "");
  WriteFile("it.language.bak", "");
  WriteFile("language", "");
  EXPECT_EQ(List("*.language"), (std::set<std::string>{"en.language"}));
  EXPECT_EQ(List("??.*"), (std::set<std::string>{"en.language", "DE.LANGUAGE", "fr.Language",
                                                 "it.language.bak"}));
  EXPECT_EQ(List("[ef]*"), (std::set<std::string>{"en.language", "fr.Language"}));
}

TEST_F(FilesTest, BackslashInAPatternIsAnOrdinaryCharacter) {
  WriteFile("a\\bc", "");
  WriteFile("abc", "");
  WriteFile("a*c", "");
  EXPECT_EQ(List("a\\b*"), (std::set<std::string>{"a\\bc"}));
  // With escaping, "a\*c" would match only the literal "a*c".
  EXPECT_EQ(List("a\\*c"), (std::set<std::string>{"a\\bc"}));
}

TEST_F(FilesTest, EntryTypeJudgesLinksThemselvesNotTheirTargets) {
  WriteFile("plain", "x");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink((dir_ / "sub").c_str(), (dir_ / "to-dir").c_str()), 0);
  ASSERT_EQ(symlink((dir_ / "plain").c_str(), (dir_ / "to-file").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir_ / "dangling").c_str()), 0);

  const int number = ExamineDirectory(-1, dir_.path(), "*.*");
  ASSERT_NE(number, 0);
  auto entries = ReadListing(number);
  FinishDirectory(number);
  std::sort(entries.begin(), entries.end());
  const std::vector<std::pair<std::string, int>> expected{
      {".", kEntryDirectory}, {"..", kEntryDirectory},  {"dangling", kEntryFile},
      {"plain", kEntryFile},  {"sub", kEntryDirectory}, {"to-dir", kEntryFile},
      {"to-file", kEntryFile}};
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(FileSize(dir_ / "to-dir"), kFileIsDirectory);
}

TEST_F(FilesTest, FifosAndDevicesAreSpecialThroughLinksToo) {
  WriteFile("plain", "x");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(symlink((dir_ / "pipe").c_str(), (dir_ / "to-pipe").c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", (dir_ / "to-null").c_str()), 0);
  ASSERT_EQ(symlink((dir_ / "plain").c_str(), (dir_ / "to-plain").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir_ / "dangling").c_str()), 0);

  const int number = ExamineDirectory(-1, dir_.path(), "*");
  ASSERT_NE(number, 0);
  std::set<std::string> special;
  while (NextDirectoryEntry(number)) {
    if (DirectoryEntryIsSpecial(number)) special.insert(DirectoryEntryName(number));
  }
  FinishDirectory(number);
  EXPECT_EQ(special, (std::set<std::string>{"pipe", "to-pipe", "to-null"}));

  const int devices = ExamineDirectory(-1, "/dev", "null");
  ASSERT_NE(devices, 0);
  ASSERT_TRUE(NextDirectoryEntry(devices));
  EXPECT_TRUE(DirectoryEntryIsSpecial(devices));
  EXPECT_EQ(DirectoryEntryType(devices), kEntryFile);
  EXPECT_FALSE(NextDirectoryEntry(devices));
  FinishDirectory(devices);
}

TEST_F(FilesTest, EntriesThatVanishAfterReadingStartAreSkipped) {
  // The first readdir buffers every name; deleting the files afterwards
  // makes their status unreadable, and they must not be reported.
  for (int i = 0; i < 20; ++i) WriteFile(std::string("f").append(std::to_string(i)), "");
  const int number = ExamineDirectory(-1, dir_.path(), "*");
  ASSERT_NE(number, 0);
  ASSERT_TRUE(NextDirectoryEntry(number));
  std::set<std::string> seen{DirectoryEntryName(number)};
  for (int i = 0; i < 20; ++i) unlink((dir_ / std::string("f").append(std::to_string(i))).c_str());
  while (NextDirectoryEntry(number)) seen.insert(DirectoryEntryName(number));
  FinishDirectory(number);
  seen.erase(".");
  seen.erase("..");
  EXPECT_LE(seen.size(), 1u) << "at most the entry read before the deletion";
}

TEST_F(FilesTest, ListingsAreNumberedObjects) {
  WriteFile("only", "");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  WriteFile("sub/inner", "");

  const int first = ExamineDirectory(-1, dir_.path(), "only");
  const int second = ExamineDirectory(-1, dir_.path(), "only");
  EXPECT_NE(first, 0);
  EXPECT_NE(second, 0);
  EXPECT_NE(first, second);

  // Re-using a number in use replaces its listing.
  EXPECT_EQ(ExamineDirectory(second, dir_ / "sub", "*"), second);
  std::set<std::string> names = Names(ReadListing(second));
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "inner"}));

  ASSERT_TRUE(NextDirectoryEntry(first));
  EXPECT_EQ(DirectoryEntryName(first), "only");
  EXPECT_FALSE(NextDirectoryEntry(first));
  EXPECT_EQ(DirectoryEntryName(first), "");
  EXPECT_EQ(DirectoryEntryType(first), 0);

  FinishDirectory(first);
  FinishDirectory(second);
  EXPECT_FALSE(NextDirectoryEntry(first));
  EXPECT_EQ(DirectoryEntryName(first), "");
  EXPECT_EQ(DirectoryEntryType(first), 0);
  EXPECT_FALSE(DirectoryEntryIsSpecial(first));
  FinishDirectory(first);

  EXPECT_EQ(ExamineDirectory(-1, dir_ / "absent", "*"), 0);
  // A failed create on a number in use still frees the old listing.
  ASSERT_EQ(ExamineDirectory(7, dir_.path(), "*"), 7);
  EXPECT_EQ(ExamineDirectory(7, dir_ / "only", "*"), 0) << "a file is no directory";
  EXPECT_FALSE(NextDirectoryEntry(7));
}

TEST_F(FilesTest, EmptyDirectoryMeansTheWorkingDirectory) {
  WriteFile("marker", "");
  std::string previous(4096, '\0');
  ASSERT_NE(getcwd(previous.data(), previous.size()), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  const int number = ExamineDirectory(-1, "", "marker");
  const bool found = number != 0 && NextDirectoryEntry(number);
  const int type = DirectoryEntryType(number);
  FinishDirectory(number);
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(type, kEntryFile);
}

class MakeDirectoryPathTest : public ::testing::Test {
 protected:
  TestDirectory root_;
};

TEST_F(MakeDirectoryPathTest, MakesEveryMissingComponentPrivate) {
  MakeDirectoryPath(root_ / "a/b/c");
  EXPECT_EQ(FileMode(root_ / "a"), 0700);
  EXPECT_EQ(FileMode(root_ / "a/b"), 0700);
  EXPECT_EQ(FileMode(root_ / "a/b/c"), 0700);

  MakeDirectoryPath(root_ / "a/b/d/e/");
  EXPECT_EQ(FileMode(root_ / "a/b/d"), 0700);
  EXPECT_EQ(FileMode(root_ / "a/b/d/e"), 0700);
}

TEST_F(MakeDirectoryPathTest, LeavesExistingComponentsAsTheyAre) {
  std::filesystem::create_directory(root_ / "open");
  chmod((root_ / "open").c_str(), 0755);
  MakeDirectoryPath(root_ / "open/inner");
  EXPECT_EQ(FileMode(root_ / "open"), 0755);
  EXPECT_EQ(FileMode(root_ / "open/inner"), 0700);
}

TEST_F(MakeDirectoryPathTest, LeavesAFileInTheWayAlone) {
  std::ofstream(root_ / "file") << "data";
  MakeDirectoryPath(root_ / "file/inner");
  EXPECT_TRUE(std::filesystem::is_regular_file(root_ / "file"));
  EXPECT_FALSE(std::filesystem::exists(root_ / "file/inner"));
}

}  // namespace
}  // namespace vandrel::sys

// The name a save needs, without a display: an extension that names another
// algorithm than the rows' digests (or one when there are none) would make a
// list no checker reads, so the name that fits is offered instead. And the
// saved list, checked by coreutils' sha256sum in the list's folder.
#include "app/checksum_list_save.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/scratch_directory.h"

namespace vandrel {
namespace {

TEST(NameFittingDigestsTest, OffersTheExtensionOfTheDigestsOnlyWhenTheNameNamesAnother) {
  const std::optional<DigestKind> none;
  auto kind = [](const char* name) { return FindDigestKindByName(name); };
  const struct {
    std::string path;
    std::optional<DigestKind> computed;
    std::optional<std::string> fitting;
  } cases[] = {
      {"/d/out.sha256", kind("md5"), "/d/out.md5"},
      {"/d/out.sha256", none, "/d/out.txt"},
      {"/d/out.md5", kind("crc32"), "/d/out.sfv"},
      {"/d/files.sfv", kind("sha3-256"), "/d/files.sha3-256"},
      {"/d/v1.2.SHA1", kind("sha224"), "/d/v1.2.sha224"},
      // Names that fit, or name no algorithm, stay.
      {"/d/out.sha256", kind("sha256"), std::nullopt},
      {"/d/files.sfv", kind("crc32"), std::nullopt},
      {"/d/out.txt", kind("md5"), std::nullopt},
      {"/d.sha256/out", kind("md5"), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameFittingDigests(c.path, c.computed), c.fitting) << c.path;
  }
}

// The output of a shell command, and whether it succeeded.
std::pair<std::string, bool> Shell(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {"", false};
  std::string output;
  for (int c; (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  return {output, pclose(pipe) == 0};
}

TEST(ChecksumListTextTest, Sha256sumInTheListsFolderFindsEveryFileHoweverItWasGiven) {
  namespace fs = std::filesystem;
  testing::ScratchDirectory scratch;
  const std::string root = fs::canonical(scratch.path()).string() + "/";
  fs::create_directories(root + "start/data/sub");
  fs::create_directories(root + "lists");
  fs::create_directory_symlink("start/data/sub", root + "link");
  // Rows as the window holds them (typed from where the program started,
  // absolute, through the link and out of it, escaped), and each file.
  const std::pair<std::string, std::string> files[] = {
      {"data/a", "start/data/a"},
      {root + "start/data/sub/b", "start/data/sub/b"},
      {root + "link/../c", "start/data/c"},
      {"data/new\nline\\", "start/data/new\nline\\"}};
  const fs::path previous = fs::current_path();
  fs::current_path(root + "start");
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& [given, onDisk] : files) {
    std::ofstream(root + onDisk) << onDisk;
    const auto [sum, ok] = Shell("sha256sum < '" + root + onDisk + "'");
    ASSERT_TRUE(ok);
    rows.emplace_back(given, sum.substr(0, 64));
  }
  const auto text =
      ChecksumListText(root + "lists/sums.sha256", *FindDigestKindByName("sha256"), rows);
  fs::current_path(previous);
  ASSERT_TRUE(text);
  std::ofstream(root + "lists/sums.sha256") << *text;

  const auto [report, ok] =
      Shell("cd '" + root + "lists' && sha256sum --strict -c sums.sha256 2>&1");
  EXPECT_TRUE(ok) << *text << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4) << report;
}

}  // namespace
}  // namespace vandrel

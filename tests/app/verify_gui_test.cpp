// Checksum lists in the window, in-process: Verify checksum list in every
// form the reader knows (rows, options, colours, summary counts), a list with
// no usable line, and Save as a checksum list. Expected digests come from
// OpenSSL and zlib, never from the engine under test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/accessibility.h"
#include "app/checksum_list_save.h"
#include "app/job_gui_support.h"
#include "app/results_list.h"
#include "app/verify_list.h"
#include "app/verify_list_read.h"

namespace vandrel {
namespace {

using testing::EnglishSummary;
using testing::ReferenceDigest;

// The verify lines of the summary in English, as the dialog shows them.
std::string EnglishVerifyLines(int matched, int mismatched, int missing, int rejected) {
  std::string text = "\n\nMatched:\t" + std::to_string(matched) + "\nDifferent:\t" +
                     std::to_string(mismatched) + "\nMissing or unreadable:\t" +
                     std::to_string(missing);
  if (rejected) text += "\nUnusable list lines:\t" + std::to_string(rejected);
  return text;
}

class VerifyTest : public testing::JobGuiTest {
 protected:
  // Five files: good1..good3 unchanged, "changed" differs from the list,
  // "missing" is named but not there.
  void SetUp() override {
    JobGuiTest::SetUp();
    dir_ = testing::ScratchFolder("verify");
    for (const char* name : {"good1", "good 2.iso", "good3", "changed"}) {
      testing::WriteBytes(dir_ + name, std::string("contents of ") + name + "\n");
    }
  }

  // The digest the list claims for `name`: the true one, except for the
  // changed file (its old contents) and the missing one.
  std::string Claimed(const std::string& name, const EVP_MD* md) const {
    if (name == "changed") return ReferenceDigest("old contents\n", md);
    if (name == "missing") return ReferenceDigest("gone\n", md);
    return ReferenceDigest(testing::ReadBytes(dir_ + name), md);
  }

  // Runs Verify on the list written as `listName` with `text`; returns the
  // summary it showed.
  std::string Verify(const std::string& listName, const std::string& text) {
    testing::WriteBytes(dir_ + listName, text);
    tk::testing::ScriptRequester({{dir_ + listName}, nullptr});
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    tk::ActivateMenuItem(kMainMenu, kMenuVerify);
    EXPECT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !shown.empty(); }));
    return shown.empty() ? "" : shown[0][0];
  }

  std::string dir_;
  const std::vector<std::string> names_ = {"good1", "good 2.iso", "changed", "missing", "good3"};
};

TEST_F(VerifyTest, EveryListFormGivesGreenMatchesRedDifferencesAndTheCounts) {
  struct Form {
    std::string listName;
    const EVP_MD* md;
    int option, size;
    std::function<std::string(const std::string& name, const std::string& hex)> line;
  };
  const Form forms[] = {
      {"SHA256SUMS", EVP_sha256(), kGadgetSha2, kGadgetBits256,
       [](auto& name, auto& hex) { return hex + "  " + name + "\n"; }},
      {"image.sha512", EVP_sha512(), kGadgetSha2, kGadgetBits512,
       [](auto& name, auto& hex) { return "SHA512 (" + name + ") = " + hex + "\n"; }},
      {"sums.md5", EVP_md5(), kGadgetMd5, 0,
       [](auto& name, auto& hex) { return hex + " *" + name + "\r\n"; }},
      {"files.sfv", nullptr, kGadgetCrc32, 0,
       [](auto& name, auto& hex) { return name + " " + hex + "\n"; }},
      {"CHECKSUMS", EVP_sha3_256(), kGadgetSha3, kGadgetBits256,
       [](auto& name, auto& hex) { return "SHA3-256 (" + name + ") = " + hex + "\n"; }},
  };
  DescribeMainWindow();
  for (const Form& form : forms) {
    SCOPED_TRACE(form.listName);
    tk::ClearGadgetItems(kGadgetResults);
    Click(kGadgetSha1);
    std::string list = "; a comment\n\n";
    for (const std::string& name : names_) list += form.line(name, Claimed(name, form.md));
    list += "this line is no checksum line\n";

    EXPECT_EQ(Verify(form.listName, list),
              EnglishSummary(false, 5, 5, 2) + EnglishVerifyLines(3, 1, 1, 1));
    EXPECT_TRUE(tk::GetGadgetState(form.option));
    if (form.size) {
      EXPECT_TRUE(tk::GetGadgetState(form.size));
    }
    EXPECT_EQ(Program().settings.digest.algorithm,
              kAlgorithms[form.option - kGadgetCrc32].algorithm);
    ASSERT_EQ(Rows(), 5);
    for (int row = 0; row < 5; ++row) {
      const std::string& name = names_[row];
      EXPECT_EQ(Cell(row, 0), dir_ + name);
      const bool good = name.rfind("good", 0) == 0;
      EXPECT_TRUE(RowShows(row, good                ? kImageRowMatches
                                : name == "missing" ? kImageRowMissing
                                                    : kImageRowDiffers))
          << name;
      // A changed file shows what it really holds; a missing one nothing.
      const std::string truth =
          name == "missing" ? "" : ReferenceDigest(testing::ReadBytes(dir_ + name), form.md);
      EXPECT_EQ(Cell(row, 1), truth) << name;
      // A red row says why in its tooltip, and to a screen reader too, which
      // also hears a match, a difference and a missing file apart.
      const std::string tip = tk::GadgetItemToolTipText(kGadgetResults, row);
      const std::string why = name == "changed"
                                  ? "expected " + Claimed(name, form.md) + " / got " + truth
                              : name == "missing" ? "cannot open: no such file or folder"
                                                  : "";
      EXPECT_NE(tip.find(why), std::string::npos) << tip;
      for (int column : {0, 1}) {
        EXPECT_EQ(tk::testing::ListRowTextDescription(kGadgetResults, row, column), why);
      }
      const std::string heard = good                ? "Matches"
                                : name == "missing" ? "Missing or unreadable"
                                                    : "Differs";
      EXPECT_EQ(tk::testing::ListRowImageDescription(kGadgetResults, row).first, heard);
    }
    EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir_);
  }
}

TEST_F(VerifyTest, AListWithoutAUsableLineAddsNothingAndSaysSo) {
  AddSource(dir_ + "good1");
  for (const std::string& text :
       {std::string(), std::string("# only a comment\n"), std::string("not a list\nat all\n")}) {
    tk::testing::ScriptRequester({{dir_ + "bad.sha256"}, nullptr});
    testing::WriteBytes(dir_ + "bad.sha256", text);
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    tk::ActivateMenuItem(kMainMenu, kMenuVerify);
    ASSERT_TRUE(RunUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown[0][0],
              "This file holds no checksum line that Vandrel can read.\n"
              "Nothing has been added to the list.");
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Job().JobRunning, 0);
  }
  // A cancelled requester changes nothing and shows nothing.
  tk::testing::ScriptRequester({{}, nullptr});
  tk::ActivateMenuItem(kMainMenu, kMenuVerify);
  DispatchPending();
  EXPECT_EQ(Rows(), 1);
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
}

TEST_F(VerifyTest, AListThatIsNoFileOrCannotBeReadGivesItsReasonAndAddsNothing) {
  ASSERT_EQ(::mkfifo((dir_ + "pipe.sha256").c_str(), 0600), 0);
  const struct {
    std::string list;
    std::string notice;
  } cases[] = {
      {dir_ + "pipe.sha256",
       "This is a folder, a device or a pipe, not a checksum list file.\n"
       "Nothing has been added to the list."},
      {dir_ + "gone.sha256",
       "The checksum list could not be read.\n" + dir_ + "gone.sha256\nNo such file or directory"},
  };
  for (const auto& c : cases) {
    tk::testing::ScriptRequester({{c.list}, nullptr});
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    tk::ActivateMenuItem(kMainMenu, kMenuVerify);
    ASSERT_TRUE(RunUntil([&] { return !shown.empty(); })) << c.list;
    EXPECT_EQ(shown[0][0], c.notice);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
  }
}

TEST_F(VerifyTest, PlansOnlyLinesOfTheFirstAlgorithmAndResolvesNamesAgainstTheListFolder) {
  const std::string md5 = ReferenceDigest("x", EVP_md5());
  const std::string sha1 = ReferenceDigest("x", EVP_sha1());
  testing::WriteBytes(dir_ + "CHECKSUMS", "MD5 (a) = " + md5 + "\nSHA1 (b) = " + sha1 + "\n" + md5 +
                                              "  /abs/c\n" + md5 + "  sub/d\n");
  const ListFileRead read = ReadChecksumListFile(dir_ + "CHECKSUMS");
  ASSERT_EQ(read.problem, ListFileProblem::None);
  const VerifyPlan& plan = read.plan;
  EXPECT_EQ(plan.kind, (DigestKind{Algorithm::Md5, 128}));
  ASSERT_EQ(plan.entries.size(), 3u);
  EXPECT_EQ(plan.entries[0].path, dir_ + "a");
  EXPECT_EQ(plan.entries[1].path, "/abs/c");
  EXPECT_EQ(plan.entries[2].path, dir_ + "sub/d");
  EXPECT_EQ(plan.entries[2].expectedHex, md5);
  EXPECT_EQ(plan.rejectedLines, 1u);
}

TEST_F(VerifyTest, SeveralListsAreOneJobInTheAlgorithmOfTheFirstUsableLine) {
  std::filesystem::create_directory(dir_ + "other");
  testing::WriteBytes(dir_ + "other/good4", "contents of good4\n");
  auto sha256 = [&](const std::string& name) {
    return Claimed(name, EVP_sha256()) + "  " + name + "\n";
  };
  testing::WriteBytes(dir_ + "empty.sha256", "");
  testing::WriteBytes(dir_ + "SHA256SUMS", sha256("good1") + sha256("changed"));
  testing::WriteBytes(dir_ + "sums.md5", Claimed("good3", EVP_md5()) + "  good3\n");
  testing::WriteBytes(
      dir_ + "other/SHA256SUMS",
      ReferenceDigest("contents of good4\n", EVP_sha256()) + "  good4\n" + sha256("missing"));
  Click(kGadgetCrc32);
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  VerifyLists(
      {dir_ + "empty.sha256", dir_ + "SHA256SUMS", dir_ + "sums.md5", dir_ + "other/SHA256SUMS"});
  ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !shown.empty(); }));
  // The MD5 list cannot be checked in a SHA-256 job: its line counts as unusable.
  EXPECT_EQ(shown[0][0], EnglishSummary(false, 4, 4, 2) + EnglishVerifyLines(2, 1, 1, 1));
  EXPECT_TRUE(tk::GetGadgetState(kGadgetSha2));
  EXPECT_TRUE(tk::GetGadgetState(kGadgetBits256));
  const std::vector<std::string> paths = {dir_ + "good1", dir_ + "changed", dir_ + "other/good4",
                                          dir_ + "other/missing"};
  ASSERT_EQ(Rows(), 4);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(Cell(row, 0), paths[row]) << "row " << row;
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir_ + "other/");
}

class SaveAsListTest : public testing::JobGuiTest {
 protected:
  std::string Save(const std::string& chosen) {
    tk::testing::ScriptRequester({{chosen}, nullptr});
    Click(kGadgetSave);
    return testing::ReadBytes(chosen);
  }
};

TEST_F(SaveAsListTest, AnExtensionNamingTheAlgorithmWritesAListOtherNamesTheExport) {
  const std::string dir = testing::ScratchFolder("save-list");
  std::filesystem::create_directories(dir + "sub");
  const std::vector<std::string> names = {"one.txt", "sub/two words", "back\\slash"};
  for (const std::string& name : names) testing::WriteBytes(dir + name, name);
  testing::WriteBytes(dir + "gone", "");
  AddEach({dir + names[0], dir + names[1], dir + "gone", dir + names[2]});
  std::filesystem::remove(dir + "gone");
  Click(kGadgetSha2);
  Click(kGadgetBits256);
  RunJob();
  ClickHoldingWorker(kGadgetResults);

  auto sha = [&](int i) { return ReferenceDigest(names[i], EVP_sha256()); };
  // coreutils' form: a name with a backslash is escaped and the line marked.
  EXPECT_EQ(Save(dir + "sums.sha256"),
            sha(0) + "  one.txt\n" + sha(1) + "  sub/two words\n\\" + sha(2) + "  back\\\\slash\n");
  // Another folder: the names lead there from the list's folder.
  const std::string other = testing::ScratchFolder("save-list-other");
  EXPECT_EQ(Save(other + "all.SHA256"), sha(0) + "  ../save-list/one.txt\n" + sha(1) +
                                            "  ../save-list/sub/two words\n\\" + sha(2) +
                                            "  ../save-list/back\\\\slash\n");
  // Names of no algorithm keep the export byte for byte.
  for (const char* name : {"results.txt", "plain"}) {
    tk::testing::ScriptRequester({{dir + name}, nullptr});
    Click(kGadgetSave);
    EXPECT_EQ(testing::ReadBytes(WithDefaultExtension(dir + name)), ExportText()) << name;
  }
  // Names of another algorithm would make a list no checker reads: the
  // question offers the name that fits, and No writes nothing.
  const std::string offer =
      "The extension names a different algorithm from the one the checksums were calculated "
      "with.\nSave under this name instead?\n";
  for (const char* name : {"sums.md5", "sums.sha3-256", "sums.sfv"}) {
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyEscape}, &shown);
    tk::testing::ScriptRequester({{dir + name}, nullptr});
    Click(kGadgetSave);
    ASSERT_EQ(shown.size(), 1u) << name;
    EXPECT_EQ(shown[0][0], offer + dir + "sums.sha256");
    EXPECT_FALSE(std::filesystem::exists(dir + name)) << name;
  }
  // Yes writes the list under that name instead.
  std::filesystem::remove(dir + "sums.sha256");
  AnswerDialogsInTurn({tk::kKeyReturn});
  tk::testing::ScriptRequester({{dir + "sums.md5"}, nullptr});
  Click(kGadgetSave);
  EXPECT_EQ(testing::ReadBytes(dir + "sums.sha256"),
            sha(0) + "  one.txt\n" + sha(1) + "  sub/two words\n\\" + sha(2) + "  back\\\\slash\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "sums.md5"));

  Click(kGadgetCrc32);
  RunJob();
  auto crc = [&](int i) { return ReferenceDigest(names[i], nullptr); };
  // SFV cannot escape, so the name with a backslash is written as it is.
  EXPECT_EQ(Save(dir + "files.sfv"),
            "one.txt " + crc(0) + "\nsub/two words " + crc(1) + "\nback\\slash " + crc(2) + "\n");
}

}  // namespace
}  // namespace vandrel

// File names that a line-based format cannot hold as they are (line feed,
// tab, a backslash, bytes that are not UTF-8), taken in by each intake and
// followed through the job, the list, the clipboard and a saved file. The
// saved file is checked by coreutils' own sha256sum -c.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>

#include "app/job_gui_support.h"
#include "app/results_list.h"
#include "checksum_list/checksum_list.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

using testing::ReferenceDigest;

// Name -> contents; every file different, so that a row showing another
// file's digest cannot pass.
const std::map<std::string, std::string> kHostileFiles = {
    {"a", "plain a\n"},
    {"a\nb", "line feed inside\n"},
    {"a\tc", "tab inside\n"},
    {"caf\xE9", "Latin-1 e acute\n"},
    {"back\\slash", "backslash inside\n"},
};

// The path and digest of one export line, undoing the backslash form.
std::pair<std::string, std::string> ParseExportLine(const std::string& line) {
  const std::size_t comma = line.rfind(',');
  std::string name = line.substr(0, comma);
  if (!name.empty() && name[0] == '\\') {
    std::string plain;
    for (std::size_t i = 1; i < name.size(); ++i) {
      if (name[i] == '\\' && i + 1 < name.size()) {
        plain += name[i + 1] == 'n' ? '\n' : name[i + 1];
        ++i;
      } else {
        plain += name[i];
      }
    }
    name = plain;
  }
  return {name, line.substr(comma + 1)};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the last line ends with a line feed";
  return lines;
}

class HostileNamesTest : public testing::JobGuiTest {
 protected:
  void SetUp() override {
    JobGuiTest::SetUp();
    dir_ = testing::ScratchFolder("hostile");
    for (const auto& [name, bytes] : kHostileFiles) testing::WriteBytes(dir_ + name, bytes);
    Click(kGadgetSha2);
    Click(kGadgetBits256);
  }

  std::set<std::string> ExpectedPaths() const {
    std::set<std::string> paths;
    for (const auto& entry : kHostileFiles) paths.insert(dir_ + entry.first);
    return paths;
  }

  // Each row names one of the files, each file once, and shows the digest
  // of that very file.
  void ExpectEveryRowDigestsItsOwnFile(const std::string& intake) {
    ASSERT_EQ(Rows(), static_cast<int>(kHostileFiles.size())) << intake;
    std::set<std::string> seen;
    for (int row = 0; row < Rows(); ++row) {
      const std::string path = Cell(row, 0);
      seen.insert(path);
      EXPECT_TRUE(RowShows(row, kImageRowComputed)) << intake << ": " << path;
      EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(path), EVP_sha256()))
          << intake << ": " << path;
    }
    EXPECT_EQ(seen, ExpectedPaths()) << intake;
  }

  std::string dir_;
};

TEST_F(HostileNamesTest, EveryIntakeGivesEachFileItsOwnRowAndDigest) {
  const std::set<std::string> expected = ExpectedPaths();
  const std::vector<std::string> paths(expected.begin(), expected.end());
  std::vector<std::string> uris;
  for (const std::string& path : paths) uris.push_back(testing::FileUri(path));
  const std::vector<std::pair<std::string, std::function<void()>>> intakes = {
      {"command line folder", [&] { AddSource(dir_); }},
      {"command line files", [&] { AddEach(paths); }},
      {"dropped folder",
       [&] {
         tk::testing::DropUris(kGadgetResults, {testing::FileUri(dir_.substr(0, dir_.size() - 1))});
         DispatchPending();
       }},
      {"dropped files",
       [&] {
         tk::testing::DropUris(kGadgetResults, uris);
         DispatchPending();
       }},
      {"requester",
       [&] {
         tk::testing::ScriptRequester({paths, nullptr});
         Click(kGadgetBrowse);
       }},
  };
  for (const auto& [intake, add] : intakes) {
    tk::ClearGadgetItems(kGadgetResults);
    add();
    for (int row = 0; row < Rows(); ++row) EXPECT_EQ(Cell(row, 1), "") << intake;
    RunJob();
    ExpectEveryRowDigestsItsOwnFile(intake);
  }
}

TEST_F(HostileNamesTest, ExportsOneLinePerRowThatCoreutilsVerifies) {
  AddSource(dir_);
  RunJob();
  ASSERT_EQ(Rows(), static_cast<int>(kHostileFiles.size()));

  const std::string saved = dir_ + "sums.csv";
  tk::testing::ScriptRequester({{saved}, nullptr});
  Click(kGadgetSave);
  const std::vector<std::string> lines = Lines(testing::ReadBytes(saved));
  ASSERT_EQ(lines.size(), kHostileFiles.size());

  std::string checkList;
  std::set<std::string> parsedPaths;
  for (int row = 0; row < Rows(); ++row) {
    const std::string& line = lines[row];
    const std::string path = Cell(row, 0);
    const std::string digest = Cell(row, 1);
    const bool escaped = path.find_first_of("\\\n") != std::string::npos;
    // Lines of ordinary names stay byte for byte what they always were.
    if (!escaped) {
      EXPECT_EQ(line, path + "," + digest);
    }
    EXPECT_EQ(line[0] == '\\', escaped) << line;
    const auto [parsedPath, parsedDigest] = ParseExportLine(line);
    EXPECT_EQ(parsedPath, path);
    EXPECT_EQ(parsedDigest, ReferenceDigest(testing::ReadBytes(parsedPath), EVP_sha256()));
    parsedPaths.insert(parsedPath);
    // The same line in sha256sum's own layout, its escaped name unchanged.
    const std::size_t comma = line.rfind(',');
    checkList += (escaped ? "\\" : "") + digest + "  " +
                 line.substr(escaped ? 1 : 0, comma - escaped) + "\n";
  }
  EXPECT_EQ(parsedPaths, ExpectedPaths());
  EXPECT_EQ(testing::ReadBytes(saved), ExportText(ExportForm::File));

  testing::WriteBytes(dir_ + "check.sha256", checkList);
  FILE* verifier = popen(("sha256sum --strict -c '" + dir_ + "check.sha256' 2>&1").c_str(), "r");
  ASSERT_NE(verifier, nullptr);
  std::string report;
  for (int c; (c = std::fgetc(verifier)) != EOF;) report += static_cast<char>(c);
  EXPECT_EQ(pclose(verifier), 0) << report;
  int verified = 0;
  for (const std::string& reportLine : Lines(report)) verified += reportLine.ends_with(": OK");
  EXPECT_EQ(verified, static_cast<int>(kHostileFiles.size())) << report;

  // The clipboard takes only UTF-8: a name that is not goes there escaped,
  // reads back as its bytes, and is counted; its tooltip shows it readable.
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  Click(kGadgetClipboard);
  const std::string clipboard = tk::GetClipboardText();
  EXPECT_EQ(clipboard, ExportText(ExportForm::Clipboard));
  EXPECT_NE(clipboard.find("\\" + dir_ + "caf\\xe9,"), std::string::npos) << clipboard;
  std::set<std::string> copiedPaths;
  for (const std::string& line : Lines(clipboard)) {
    copiedPaths.insert(checksum_list::ParseLine(line, {}).name);
  }
  EXPECT_EQ(copiedPaths, ExpectedPaths());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0],
            "The list has been copied to the clipboard.\nNames that are not UTF-8 were copied in "
            "escaped form, which Vandrel and vandrelsum read back unchanged: 1");
  for (int row = 0; row < Rows(); ++row) {
    if (Cell(row, 0) != dir_ + "caf\xE9") continue;
    EXPECT_EQ(tk::GadgetItemToolTipText(kGadgetResults, row),
              dir_ + "caf\xEF\xBF\xBD\n" + Cell(row, 1));
  }
}

// Pango warns on stderr about text that is not UTF-8; the list must never
// hand it any, however it is drawn.
TEST_F(HostileNamesTest, DrawingTheListGivesNoPangoWarnings) {
  AddSource(dir_);
  RunJob();
  // A folder name that is not UTF-8 lands in the source field.
  std::filesystem::create_directory(dir_ + "f\xE9");
  testing::WriteBytes(dir_ + "f\xE9/x", "x");
  AddSource(dir_ + "f\xE9");
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir_ + "f\xEF\xBF\xBD/");
  std::fflush(stderr);
  const std::string capture = dir_ + "stderr.txt";
  const int saved = dup(2);
  FILE* sink = std::fopen(capture.c_str(), "w");
  ASSERT_NE(sink, nullptr);
  dup2(fileno(sink), 2);
  tk::testing::ResizeWindow(kMainWindow, 900, 640);
  Settle(300);
  for (int row = 0; row < Rows(); ++row) tk::GadgetItemToolTipText(kGadgetResults, row);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(sink);
  const std::string warnings = testing::ReadBytes(capture);
  EXPECT_EQ(warnings.find("UTF-8"), std::string::npos) << warnings;
  EXPECT_EQ(warnings.find("Pango"), std::string::npos) << warnings;
}

}  // namespace
}  // namespace vandrel

// Single digests and the clipboard, in-process: Ctrl+C on the results list
// copies the selected rows' digests, and Compare with copied checksum finds
// the rows whose digest the clipboard holds. Digests come from OpenSSL.
#include <gtest/gtest.h>

#include <cctype>

#include "app/digest_clipboard.h"
#include "app/job_gui_support.h"
#include "toolkit/accelerators.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

using testing::ReferenceDigest;

class DigestClipboardTest : public testing::JobGuiTest {
 protected:
  // Three files and one path that is gone by the time the job runs, so row
  // 2 fails; SHA-256 digests computed.
  void SetUp() override {
    JobGuiTest::SetUp();
    dir_ = testing::ScratchFolder("digest-clipboard");
    const std::vector<std::string> contents = {"alpha\n", "beta\n", "", "delta\n"};
    for (std::size_t i = 0; i < contents.size(); ++i) {
      paths_.push_back(dir_ + "file" + std::to_string(i));
      testing::WriteBytes(paths_.back(), contents[i]);
      digests_.push_back(ReferenceDigest(contents[i], EVP_sha256()));
    }
    AddEach(paths_);
    std::filesystem::remove(paths_[2]);
  }

  void ComputeSha256() {
    Click(kGadgetSha2);
    Click(kGadgetBits256);
    RunJob();
    ASSERT_EQ(Column(1), (std::vector<std::string>{digests_[0], digests_[1], "", digests_[3]}));
  }

  static void SelectRows(const std::vector<int>& rows) {
    tk::SetGadgetState(kGadgetResults, -1);
    for (int row : rows) tk::SetGadgetItemSelected(kGadgetResults, row, true);
  }

  static void PressCtrlC(int modifiers = tk::kModifierControl) {
    tk::testing::FocusGadget(kGadgetResults);
    tk::testing::PressKey(kMainWindow, tk::kKeyLetterC, modifiers);
    DispatchPending();
  }

  static std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int row = 0; row < Rows(); ++row) {
      if (tk::IsGadgetItemSelected(kGadgetResults, row)) rows.push_back(row);
    }
    return rows;
  }

  // Chooses Compare and returns the notice it showed ("" when none).
  static std::string Compare(const std::string& clipboard) {
    tk::SetClipboardText(clipboard);
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    tk::ActivateMenuItem(kMainMenu, kMenuCompare);
    DispatchPending();
    EXPECT_TRUE(RunUntil([&] { return !shown.empty(); }, 5000));
    return shown.empty() ? "" : shown[0][0];
  }

  std::string dir_;
  std::vector<std::string> paths_;
  std::vector<std::string> digests_;
};

TEST_F(DigestClipboardTest, CtrlCCopiesTheSelectedDigestsOnePerLine) {
  ComputeSha256();
  const struct {
    std::vector<int> selected;
    std::string clipboard;
  } cases[] = {
      {{1}, digests_[1]},
      {{0, 3}, digests_[0] + "\n" + digests_[3]},
      // The failed row has no digest and adds no empty line.
      {{0, 2, 3}, digests_[0] + "\n" + digests_[3]},
  };
  for (const auto& c : cases) {
    tk::SetClipboardText("before");
    SelectRows(c.selected);
    PressCtrlC();
    EXPECT_EQ(tk::GetClipboardText(), c.clipboard) << c.selected.size() << " rows";
  }

  // Only the failed row, a plain "c", or the source field: the clipboard stays.
  tk::SetClipboardText("before");
  SelectRows({2});
  PressCtrlC();
  SelectRows({0});
  PressCtrlC(0);
  tk::testing::FocusGadget(kGadgetSource);
  tk::testing::PressKey(kMainWindow, tk::kKeyLetterC, tk::kModifierControl);
  DispatchPending();
  EXPECT_EQ(tk::GetClipboardText(), "before");
  // The copy key is no click: the buttons keep their state.
  EXPECT_TRUE(Enabled(kGadgetClipboard));
}

TEST_F(DigestClipboardTest, CompareSelectsAndNamesEveryRowWithACopiedDigest) {
  EXPECT_EQ(Compare(digests_[0]),
            "No checksums have been calculated yet.\nCalculate them first, then compare.");
  ComputeSha256();

  std::string upper = digests_[3];
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Compare("SHA256 (file3) = " + upper), "The copied checksum matches:\n" + paths_[3]);
  EXPECT_EQ(SelectedRows(), std::vector<int>{3});
  EXPECT_EQ(tk::GetGadgetState(kGadgetResults), 3);
  EXPECT_TRUE(Enabled(kGadgetDelete));

  EXPECT_EQ(Compare("sha256: " + digests_[1] + "\r\nand also " + digests_[0] + ".\n"),
            "The copied checksum matches:\n" + paths_[0] + "\n" + paths_[1]);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));

  // A digest of the right length that no row has: the selection stays.
  EXPECT_EQ(Compare(std::string(64, 'a')),
            "The copied checksum matches none of the files in the list.");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Compare("nothing like a digest, deadbeefcafe, " + digests_[0] + "0"),
            "The clipboard holds no checksum.\nCopy a checksum first, then compare.");
}

}  // namespace
}  // namespace vandrel

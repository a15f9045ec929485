// The results list's commands in-process: export to the clipboard and to a
// file, the ".txt" rule, deleting rows, and which buttons are usable when.
#include <gtest/gtest.h>

#include "app/job_gui_support.h"
#include "app/results_list.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

class ResultsListTest : public testing::JobGuiTest {
 protected:
  std::string dir_;

  std::vector<std::string> AddFiles(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      paths.push_back(dir_ + "row" + std::to_string(i));
      testing::WriteBytes(paths.back(), std::to_string(i));
    }
    AddEach(paths);
    return paths;
  }

  // Clipboard, Save, Delete, Delete all, Calculate: '1' usable, '0' not.
  static std::string Buttons() {
    std::string state;
    for (int gadget :
         {kGadgetClipboard, kGadgetSave, kGadgetDelete, kGadgetDeleteAll, kGadgetCalculate}) {
      state += Enabled(gadget) ? '1' : '0';
    }
    return state;
  }

  static void ClickRow(int row) {
    tk::testing::ClickListRow(kGadgetResults, row);
    DispatchPending();
  }
};

TEST_F(ResultsListTest, ExportsPathCommaDigestLinesIdenticallyToClipboardAndFile) {
  dir_ = testing::ScratchFolder("export");
  testing::WriteBytes(dir_ + "first.txt", "abc");
  testing::WriteBytes(dir_ + "gone", "x");
  testing::WriteBytes(dir_ + "third,with,commas", "");
  AddEach({dir_ + "first.txt", dir_ + "gone", dir_ + "third,with,commas"});
  std::filesystem::remove(dir_ + "gone");
  Click(kGadgetMd5);
  RunJob();
  const std::string expected = dir_ + "first.txt,900150983cd24fb0d6963f7d28e17f72\n" + dir_ +
                               "gone,\n" + dir_ +
                               "third,with,commas,d41d8cd98f00b204e9800998ecf8427e\n";
  EXPECT_EQ(ExportText(), expected);

  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  Click(kGadgetClipboard);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0][0], "The list has been copied to the clipboard.");
  EXPECT_EQ(DialogConfigs().notice.height, 160);
  EXPECT_EQ(tk::GetClipboardText(), expected);

  // The suggested name, and a file already there is replaced whole.
  testing::WriteBytes(dir_ + "Checksum.txt", std::string(4 * expected.size(), '#'));
  std::string title, start;
  tk::testing::ScriptRequester(
      {{dir_ + "Checksum"}, [&](const std::string& t, const std::string& s, const std::string&) {
         title = t;
         start = s;
       }});
  // The ".txt" rule made the name: the replacement is confirmed first.
  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetSave);
  EXPECT_EQ(title, "Save checksums");
  EXPECT_EQ(start, dir_ + "Checksum");
  EXPECT_EQ(testing::ReadBytes(dir_ + "Checksum.txt"), expected);
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));

  tk::testing::ScriptRequester({{dir_ + "results.csv"}, nullptr});
  Click(kGadgetSave);
  EXPECT_EQ(testing::ReadBytes(dir_ + "results.csv"), expected);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "results.csv.txt"));

  // Cancelled, or into a folder that is not there: nothing is written.
  tk::testing::ScriptRequester({{}, nullptr});
  Click(kGadgetSave);
  tk::testing::ScriptRequester({{dir_ + "no such folder/sums"}, nullptr});
  AnswerDialogsInTurn({tk::kKeyReturn});  // the notice of the failure
  Click(kGadgetSave);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 4);
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
}

TEST_F(ResultsListTest, AddsTxtOnlyToSaveNamesWithoutAnExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"sums", "sums.txt"},
      {"my sums", "my sums.txt"},
      {"sums.md5", "sums.md5"},
      {"a.b c", "a.b c.txt"},
      {".sums", ".sums.txt"},
      {"/dir.d/file", "/dir.d/file.txt"},
      {"dir\\.x", "dir\\.x.txt"},
      {"/home/u/.sums", "/home/u/.sums.txt"},
      {"/tmp/results.csv", "/tmp/results.csv"},
  };
  for (const auto& [chosen, saved] : cases)
    EXPECT_EQ(WithDefaultExtension(chosen), saved) << chosen;
}

TEST_F(ResultsListTest, DeleteRemovesOnlyTheSelectedRowsAfterAYes) {
  dir_ = testing::ScratchFolder("delete");
  std::vector<std::string> rows = AddFiles(5);
  ClickRow(1);
  tk::SetGadgetItemSelected(kGadgetResults, 3, true);
  ASSERT_EQ(Buttons(), "11111");

  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyEscape}, &shown);
  Click(kGadgetDelete);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0][0], "Remove the selected entries?\nThe files on disk are not affected.");
  EXPECT_EQ(Column(0), rows);
  EXPECT_EQ(Buttons(), "11111");

  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetDelete);
  EXPECT_EQ(Column(0), (std::vector<std::string>{rows[0], rows[2], rows[4]}));
  EXPECT_EQ(Buttons(), "11011");
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir_);
  ClickRow(2);
  EXPECT_EQ(Buttons(), "11111");
}

TEST_F(ResultsListTest, EmptyingTheListClearsTheSourceAndDisablesTheButtons) {
  dir_ = testing::ScratchFolder("delete-all");
  std::vector<std::string> rows = AddFiles(3);
  RunJob();
  ASSERT_TRUE(Job().ComputedKind);
  ClickRow(0);
  AnswerDialogsInTurn({tk::kKeyEscape});
  Click(kGadgetDeleteAll);
  EXPECT_EQ(Column(0), rows);
  EXPECT_TRUE(Job().ComputedKind);

  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  Click(kGadgetDeleteAll);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0][0], "Clear the list?\nThe files on disk are not affected.");
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "");
  EXPECT_EQ(Buttons(), "00000");
  // No digest is left of the job's algorithm, so no saved list may claim it.
  EXPECT_FALSE(Job().ComputedKind);

  // Deleting the last row by selection ends the same way.
  AddFiles(1);
  RunJob();
  ASSERT_TRUE(Job().ComputedKind);
  ClickRow(0);
  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetDelete);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "");
  EXPECT_EQ(Buttons(), "00000");
  EXPECT_FALSE(Job().ComputedKind);
}

TEST_F(ResultsListTest, ButtonsFollowTheStateTableThroughAJobAndDeletions) {
  dir_ = testing::ScratchFolder("buttons");
  EXPECT_EQ(Buttons(), "00000");  // as built
  AddFiles(3);
  EXPECT_EQ(Buttons(), "00011");
  ClickRow(0);
  EXPECT_EQ(Buttons(), "11111");

  AnswerDialogsInTurn({tk::kKeyReturn});
  ClickHoldingWorker(kGadgetCalculate);
  EXPECT_EQ(Buttons(), "00001");
  EXPECT_EQ(tk::GetGadgetText(kGadgetCalculate), "Cancel");
  for (int gadget : {kGadgetSource, kGadgetBrowse, kGadgetResults, kGadgetCrc32, kGadgetSha3,
                     kGadgetBits224, kGadgetBits512}) {
    EXPECT_FALSE(Enabled(gadget)) << "gadget " << gadget;
  }
  for (int item : {kMenuOpen, kMenuQuit, kMenuOpenHelp, kMenuAbout, kMenuOpenWeb}) {
    EXPECT_TRUE(tk::IsMenuItemDisabled(kMainMenu, item)) << "menu item " << item;
  }
  OnListEvent();  // a list event during the job changes nothing
  EXPECT_EQ(Buttons(), "00001");

  ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }));
  EXPECT_EQ(Buttons(), "11111");  // the last computed row stays selected
  EXPECT_EQ(tk::GetGadgetState(kGadgetResults), 2);
  // Show help comes back with the rest: the manual is beside the program.
  EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, kMenuOpenHelp));
  EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, kMenuAbout));

  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetDelete);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Buttons(), "11011");

  ClickRow(0);
  tk::SetGadgetItemSelected(kGadgetResults, 1, true);
  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetDelete);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(Buttons(), "00000");
}

}  // namespace
}  // namespace vandrel

// Rows that fail say why in their tooltip, with the full path and digest;
// a link to a folder fails as a folder; entries past PATH_MAX are listed and
// fail with the system's reason; deleting many selected rows keeps the rest.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <map>

#include "app/job_gui_support.h"
#include "app/results_list.h"

namespace vandrel {
namespace {

using testing::ReferenceDigest;

class RowReasonsTest : public testing::JobGuiTest {
 protected:
  static std::string ToolTip(int row) { return tk::GadgetItemToolTipText(kGadgetResults, row); }
};

TEST_F(RowReasonsTest, AFailedRowShowsItsReasonAndAComputedOneItsWholeDigest) {
  const std::string dir = testing::ScratchFolder("reasons");
  testing::WriteBytes(dir + "file", "contents");
  std::filesystem::create_directory(dir + "sub");
  std::filesystem::create_directory_symlink(dir + "sub", dir + "link to sub");
  testing::WriteBytes(dir + "vanishes", "v");
  AddSource(dir);
  std::filesystem::remove(dir + "vanishes");
  Click(kGadgetSha3);
  Click(kGadgetBits512);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(ToolTip(0), Cell(0, 0)) << "a queued row shows its path";

  RunJob();
  const std::map<std::string, std::string> reasons = {
      {dir + "file", ""},
      {dir + "link to sub", "is a folder"},
      {dir + "vanishes", "cannot open: no such file or folder"},
  };
  for (int row = 0; row < Rows(); ++row) {
    const std::string& reason = reasons.at(Cell(row, 0));
    if (reason.empty()) {
      const std::string digest = ReferenceDigest("contents", EVP_sha3_512());
      EXPECT_TRUE(RowShows(row, kImageRowComputed));
      EXPECT_EQ(Cell(row, 1), digest);
      EXPECT_EQ(ToolTip(row), Cell(row, 0) + "\n" + digest);
    } else {
      EXPECT_TRUE(RowShows(row, kImageRowFailed)) << Cell(row, 0);
      EXPECT_EQ(Cell(row, 1), "");
      EXPECT_EQ(ToolTip(row), Cell(row, 0) + "\n" + reason);
    }
  }

  // A new job starts every row afresh: no reason outlives its failure.
  std::filesystem::remove(dir + "link to sub");
  testing::WriteBytes(dir + "link to sub", "now a file");
  testing::WriteBytes(dir + "vanishes", "back again");
  RunJob();
  for (int row = 0; row < Rows(); ++row) {
    EXPECT_TRUE(RowShows(row, kImageRowComputed)) << Cell(row, 0);
    EXPECT_EQ(ToolTip(row), Cell(row, 0) + "\n" + Cell(row, 1));
  }
}

// A folder whose own path fits PATH_MAX but whose entries' paths do not.
TEST_F(RowReasonsTest, EntriesPastPathMaxAreListedAndFailWithTheReason) {
  std::string deep = testing::ScratchFolder("long");
  const std::size_t depth = PATH_MAX - 100;
  while (deep.size() < depth) {
    const std::size_t room = std::max<std::size_t>(depth - deep.size(), 2);
    deep += std::string(std::min<std::size_t>(200, room - 1), 'd') + "/";
  }
  std::filesystem::create_directories(deep);
  const std::string shortName = "s";
  const std::string longName(150, 'L');
  ASSERT_LT(deep.size() + shortName.size(), static_cast<std::size_t>(PATH_MAX));
  ASSERT_GT(deep.size() + longName.size(), static_cast<std::size_t>(PATH_MAX));
  const int folder = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  for (const std::string& name : {shortName, longName}) {
    const int file = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0) << name;
    ASSERT_EQ(write(file, name.data(), name.size()), static_cast<ssize_t>(name.size()));
    close(file);
  }

  AddSource(deep);
  Click(kGadgetMd5);
  RunJob();
  // Removed before any check can stop the test: nothing else can.
  for (const std::string& name : {shortName, longName}) unlinkat(folder, name.c_str(), 0);
  close(folder);

  ASSERT_EQ(Rows(), 2);
  for (int row = 0; row < Rows(); ++row) {
    if (Cell(row, 0) == deep + shortName) {
      EXPECT_EQ(Cell(row, 1), ReferenceDigest(shortName, EVP_md5()));
    } else {
      EXPECT_EQ(Cell(row, 0), deep + longName);
      EXPECT_TRUE(RowShows(row, kImageRowFailed));
      EXPECT_EQ(ToolTip(row), Cell(row, 0) + "\ncannot open: file name too long");
    }
  }
}

TEST_F(RowReasonsTest, DeletingManySelectedRowsKeepsTheOthersAsTheyWere) {
  const std::string dir = testing::ScratchFolder("many");
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) {
    files.push_back(dir + "f" + std::to_string(i));
    testing::WriteBytes(files.back(), std::to_string(i));
  }
  AddEach(files);
  std::filesystem::remove(dir + "f11");
  RunJob();
  ASSERT_TRUE(RowShows(11, kImageRowFailed));

  // Selections with the cursor row inside, at the end, and everything.
  // The cursor goes on the last selected row: in the middle, then at the
  // end of the list.
  const std::vector<std::vector<int>> selections = {{0, 1, 2, 5, 11}, {3, 4}, {4}};
  for (const std::vector<int>& selected : selections) {
    std::vector<std::string> paths = Column(0), cells = Column(1);
    std::vector<bool> failed;
    for (int row = 0; row < Rows(); ++row) failed.push_back(RowShows(row, kImageRowFailed));
    tk::testing::ClickListRow(kGadgetResults, selected.back());
    DispatchPending();
    tk::SetGadgetState(kGadgetResults, selected.back());
    for (int row : selected) tk::SetGadgetItemSelected(kGadgetResults, row, true);
    AnswerDialogsInTurn({tk::kKeyReturn});
    Click(kGadgetDelete);
    for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
      paths.erase(paths.begin() + *row);
      cells.erase(cells.begin() + *row);
      failed.erase(failed.begin() + *row);
    }
    EXPECT_EQ(Column(0), paths);
    EXPECT_EQ(Column(1), cells);
    for (int row = 0; row < Rows(); ++row) {
      EXPECT_EQ(RowShows(row, kImageRowFailed), failed[row]) << row;
      EXPECT_FALSE(tk::IsGadgetItemSelected(kGadgetResults, row)) << row;
    }
  }
  ASSERT_EQ(Rows(), 4);
  tk::testing::ClickListRow(kGadgetResults, 0);
  DispatchPending();
  for (int row = 0; row < Rows(); ++row) tk::SetGadgetItemSelected(kGadgetResults, row, true);
  AnswerDialogsInTurn({tk::kKeyReturn});
  Click(kGadgetDelete);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "");
}

}  // namespace
}  // namespace vandrel

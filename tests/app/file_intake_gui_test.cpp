// How files reach the results list: folders and files by path, drops on the
// list, and the open-file requester behind Browse and the Open menu item.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/job_gui_support.h"

namespace vandrel {
namespace {

class FileIntakeTest : public testing::JobGuiTest {
 protected:
  // The names a folder listing yields, in its order, without folders.
  static std::vector<std::string> ListedFiles(const std::string& dir) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.is_regular_file()) paths.push_back(dir + entry.path().filename().string());
    }
    return paths;
  }

  static void ExpectAllQueuedAndEmpty() {
    for (int row = 0; row < Rows(); ++row) {
      EXPECT_TRUE(RowShows(row, kImageRowQueued)) << row;
      EXPECT_EQ(Cell(row, 1), "") << row;
    }
  }
};

TEST_F(FileIntakeTest, AFolderAddsItsFilesAndHiddenFilesButNoSubfolderOrPipe) {
  std::string dir = testing::ScratchFolder("folder");
  testing::WriteBytes(dir + "one", "1");
  testing::WriteBytes(dir + "two", "2");
  testing::WriteBytes(dir + ".hidden", "h");
  std::filesystem::create_directory(dir + "sub");
  testing::WriteBytes(dir + "sub/inner", "i");
  ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0644), 0);

  // Given without its trailing slash, as a command-line argument may be.
  AddSource(dir.substr(0, dir.size() - 1));
  std::vector<std::string> expected = ListedFiles(dir);
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_EQ(Column(0), expected);
  ExpectAllQueuedAndEmpty();
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir);
  EXPECT_TRUE(Enabled(kGadgetDeleteAll));
  EXPECT_TRUE(Enabled(kGadgetCalculate));
}

TEST_F(FileIntakeTest, AFileAddsOneRowAndShowsItsFolderWhileMissingPathsAddNothing) {
  std::string dir = testing::ScratchFolder("single");
  std::filesystem::create_directory(dir + "empty folder");
  AddSource(dir + "empty folder");
  AddSource(dir + "missing");
  AddSource("");
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "");
  EXPECT_FALSE(Enabled(kGadgetCalculate));

  testing::WriteBytes(dir + "file", "f");
  AddEach({dir + "file", dir + "file", dir + "missing"});
  EXPECT_EQ(Column(0), (std::vector<std::string>{dir + "file", dir + "file"}));
  ExpectAllQueuedAndEmpty();
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir);
  EXPECT_TRUE(Enabled(kGadgetDeleteAll));
  EXPECT_TRUE(Enabled(kGadgetCalculate));
  EXPECT_FALSE(Enabled(kGadgetClipboard));
}

TEST_F(FileIntakeTest, ADropAddsAFolderThenAFileInOrderAndShowsTheFilesFolder) {
  std::string dir = testing::ScratchFolder("drop");
  std::filesystem::create_directory(dir + "folder");
  testing::WriteBytes(dir + "folder/a", "a");
  testing::WriteBytes(dir + "folder/b", "b");
  std::filesystem::create_directory(dir + "other place");
  testing::WriteBytes(dir + "other place/with blank.txt", "w");

  tk::testing::DropUris(kGadgetResults, {testing::FileUri(dir + "folder"), "http://example.org/x",
                                         testing::FileUri(dir + "other place/with blank.txt")});
  DispatchPending();
  std::vector<std::string> expected = ListedFiles(dir + "folder/");
  expected.push_back(dir + "other place/with blank.txt");
  EXPECT_EQ(Column(0), expected);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), dir + "other place/");
}

TEST_F(FileIntakeTest, BrowseStartsInTheSourceFolderAndAppendsTheChosenFiles) {
  std::string dir = testing::ScratchFolder("browse");
  testing::WriteBytes(dir + "first", "1");
  AddSource(dir + "first");

  std::string title, start;
  tk::testing::ScriptRequester(
      {{"/elsewhere/x", dir + "y"},
       [&](const std::string& t, const std::string& s, const std::string&) {
         title = t;
         start = s;
       }});
  Click(kGadgetBrowse);
  EXPECT_EQ(title, "Choose files");
  EXPECT_EQ(start, dir);
  EXPECT_EQ(Column(0), (std::vector<std::string>{dir + "first", "/elsewhere/x", dir + "y"}));
  ExpectAllQueuedAndEmpty();
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "/elsewhere/");

  // A cancelled requester, here from the Open menu item, changes nothing.
  tk::testing::ScriptRequester(
      {{}, [&](const std::string&, const std::string& s, const std::string&) { start = s; }});
  tk::ActivateMenuItem(kMainMenu, kMenuOpen);
  DispatchPending();
  EXPECT_EQ(start, "/elsewhere/");
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(tk::GetGadgetText(kGadgetSource), "/elsewhere/");
}

}  // namespace
}  // namespace vandrel

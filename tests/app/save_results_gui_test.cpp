// Saving the results when it cannot succeed: the notice names the path and
// the system's reason, or the link it would not follow and why, and a name
// made by the ".txt" rule is not replaced without a question. A save cut
// short part-way is SaveWholeFile's own test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "app/job_gui_support.h"
#include "app/results_list.h"
#include "settings/text_table.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

class SaveResultsTest : public testing::JobGuiTest {
 protected:
  void SetUp() override {
    JobGuiTest::SetUp();
    dir_ = testing::ScratchFolder("save");
    testing::WriteBytes(dir_ + "data", "data");
    AddSource(dir_ + "data");
    Click(kGadgetMd5);
    RunJob();
  }

  // Saves to `chosen`, answering each dialog in turn; what they showed.
  std::vector<std::vector<std::string>> Save(const std::string& chosen, std::vector<int> answers) {
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn(std::move(answers), &shown);
    tk::testing::ScriptRequester({{chosen}, nullptr});
    Click(kGadgetSave);
    EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
    return shown;
  }

  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

TEST_F(SaveResultsTest, AFailedSaveShowsTheNoticeWithPathAndReason) {
  const auto missing = Save(dir_ + "no such folder/sums", {tk::kKeyReturn});
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0][0], "The checksums could not be saved.\n" + dir_ +
                               "no such folder/sums.txt\nNo such file or directory");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"data"});

  // Without the key in the language, the path and the reason still show.
  Texts().setText("tReqSAVEFAILED", "");
  const auto bare = Save(dir_ + "gone/x.txt", {tk::kKeyReturn});
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_EQ(bare[0][0], dir_ + "gone/x.txt\nNo such file or directory");
}

TEST_F(SaveResultsTest, ALinkAnotherUserPlantedInASharedFolderIsNamedWithTheReason) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the link to another user";
  std::filesystem::create_directory(dir_ + "shared");
  std::filesystem::permissions(dir_ + "shared", std::filesystem::perms(01777));
  const std::string link = dir_ + "shared/sums.csv";
  std::filesystem::create_symlink(dir_ + "data", link);
  ASSERT_EQ(lchown(link.c_str(), 65534, 65534), 0);
  const auto shown = Save(link, {tk::kKeyReturn});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0], "The checksums could not be saved.\n" + link + "\n" + T("tReqSAVELINK"));
  EXPECT_EQ(testing::ReadBytes(dir_ + "data"), "data");
}

TEST_F(SaveResultsTest, ADeviceIsWrittenInPlaceAndItsFailureReported) {
  // /dev/full chosen by its own name would become "/dev/full.txt" by the
  // ".txt" rule; a link with an extension leads the save onto the device.
  std::filesystem::create_symlink("/dev/full", dir_ + "device.csv");
  const auto shown = Save(dir_ + "device.csv", {tk::kKeyReturn});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0],
            "The checksums could not be saved.\n" + dir_ + "device.csv\nNo space left on device");
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ + "device.csv"));
}

TEST_F(SaveResultsTest, AsksBeforeReplacingOnlyANameTheTxtRuleMade) {
  const std::string expected = ExportText();
  testing::WriteBytes(dir_ + "notes.txt", "mine");

  auto shown = Save(dir_ + "notes", {tk::kKeyEscape});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0], "A file of this name already exists. Replace it?\n" + dir_ + "notes.txt");
  EXPECT_EQ(testing::ReadBytes(dir_ + "notes.txt"), "mine");

  shown = Save(dir_ + "notes", {tk::kKeyReturn});
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(testing::ReadBytes(dir_ + "notes.txt"), expected);

  // Picked by name in the requester, or not there yet: no question.
  testing::WriteBytes(dir_ + "notes.txt", "mine");
  EXPECT_TRUE(Save(dir_ + "notes.txt", {tk::kKeyReturn}).empty());
  EXPECT_EQ(testing::ReadBytes(dir_ + "notes.txt"), expected);
  EXPECT_TRUE(Save(dir_ + "fresh", {tk::kKeyReturn}).empty());
  EXPECT_EQ(testing::ReadBytes(dir_ + "fresh.txt"), expected);
}

}  // namespace
}  // namespace vandrel

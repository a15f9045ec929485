// A confirmed cancel on a file that would take minutes (an 8 GiB sparse file
// under SHA3-512) or never end (a link to /proc/self/pagemap in a listed
// folder): the job ends within seconds (the grace is one), not in minutes or
// never; the row goes back to queued with no digest, and nothing counts as
// failed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "app/job_gui_support.h"
#include "app/job_runner.h"

namespace vandrel {
namespace {

using testing::EnglishSummary;

// One digest thread: the small file after the long one is not started
// before the cancel.
class CancelBoundTest : public testing::JobGuiTest {
 protected:
  void SetUp() override {
    testing::JobGuiTest::SetUp();
    Job().Threads = 1;
  }
};

TEST_F(CancelBoundTest, AConfirmedCancelAbandonsAHugeOrEndlessFileInSecondsNotMinutes) {
  struct Case {
    const char* what;
    // Adds the long file as row 0 and returns nothing; row 1 is added after.
    std::function<void(const std::string& dir)> add;
  };
  const Case cases[] = {
      {"8 GiB sparse file",
       [](const std::string& dir) {
         std::ofstream(dir + "huge.bin").close();
         std::filesystem::resize_file(dir + "huge.bin", std::uintmax_t{8} << 30);
         AddSource(dir + "huge.bin");
       }},
      {"link to /proc/self/pagemap in a listed folder",
       [](const std::string& dir) {
         std::filesystem::create_directory(dir + "listed");
         std::filesystem::create_symlink("/proc/self/pagemap", dir + "listed/endless");
         AddSource(dir + "listed/");
       }},
  };
  Click(kGadgetSha3);
  Click(kGadgetBits512);
  int caseNumber = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = testing::ScratchFolder("cancel-bound-" + std::to_string(caseNumber++));
    tk::ClearGadgetItems(kGadgetResults);
    c.add(dir);
    testing::WriteBytes(dir + "small", "small");
    AddSource(dir + "small");
    ASSERT_EQ(Rows(), 2);

    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn, tk::kKeyReturn}, &shown);
    Click(kGadgetCalculate);
    ASSERT_TRUE(RunUntil([] { return RowShows(0, kImageRowComputing); }));
    Settle(300);  // well into the file

    const auto clicked = std::chrono::steady_clock::now();
    Click(kGadgetCalculate);
    ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && shown.size() == 2; }, 20000));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - clicked);
    // Generous against a loaded machine: the file would take a minute or more.
    EXPECT_LT(waited.count(), 5000);

    EXPECT_EQ(shown[0][0], "Do you want to stop the calculation?");
    EXPECT_EQ(shown[1][0], EnglishSummary(true, 0, 2, 0));
    for (int row = 0; row < 2; ++row) {
      EXPECT_TRUE(RowShows(row, kImageRowQueued)) << row;
      EXPECT_EQ(Cell(row, 1), "") << row;
    }
    std::filesystem::remove_all(dir);
  }
}

}  // namespace
}  // namespace vandrel

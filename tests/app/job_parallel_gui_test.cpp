// A job on several digest threads leaves the window as the same job on one
// thread does: every row's digest, image and tooltip, the bar counting the
// finished rows up to the last, the selection on the last row, and the
// summary; for plain rows and for rows from a checksum list alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/job_gui_support.h"
#include "app/job_runner.h"

namespace vandrel {
namespace {

struct Window {
  std::vector<std::string> rows;  // path, digest, state image and tooltip of each row
  int selected = -1;
  std::string summary;
  bool operator==(const Window&) const = default;
};

class JobParallelTest : public testing::JobGuiTest {
 protected:
  // Runs `start` (which starts a job) on `threads` digest threads and
  // returns the window as the job left it. Meanwhile the bar counts the
  // finished rows: it never goes back, nor past the rows.
  static Window RunOn(int threads, const std::function<void()>& start) {
    Job().Threads = threads;
    Window window;
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    start();
    int bar = 0;
    EXPECT_TRUE(RunUntil(
        [&] {
          if (Job().JobRunning) {
            const int now = tk::GetGadgetState(kGadgetProgress);
            EXPECT_GE(now, bar) << threads << " threads";
            EXPECT_LE(now, Rows()) << threads << " threads";
            bar = now;
          }
          return Job().JobRunning == 0 && !shown.empty();
        },
        60000));
    if (!shown.empty()) window.summary = shown[0][0];
    window.selected = tk::GetGadgetState(kGadgetResults);
    for (int row = 0; row < Rows(); ++row) {
      int image = kImageRowComputing;
      while (image <= kImageRowMissing && !RowShows(row, image)) ++image;
      window.rows.push_back(Cell(row, 0) + " | " + Cell(row, 1) + " | " + std::to_string(image) +
                            " | " + tk::GadgetItemToolTipText(kGadgetResults, row));
    }
    return window;
  }
};

TEST_F(JobParallelTest, SeveralThreadsLeaveTheWindowAsOneThreadDoes) {
  const std::string dir = testing::ScratchFolder("parallel");
  std::vector<std::string> names;
  // Two files past the large-file size, many small ones, and an empty one.
  for (int i = 0; i < 2; ++i) {
    names.push_back("large" + std::to_string(i));
    testing::WriteBytes(dir + names.back(), std::string((9 << 20) + i, static_cast<char>('a' + i)));
  }
  for (int i = 0; i < 40; ++i) {
    names.push_back("small" + std::to_string(i));
    testing::WriteBytes(dir + names.back(), "small file " + std::to_string(i) + "\n");
  }
  names.push_back("empty");
  testing::WriteBytes(dir + names.back(), "");
  std::string list;
  for (const std::string& name : names) {
    const std::string claimed =
        name == "small7" ? std::string(64, '0')
                         : testing::ReferenceDigest(testing::ReadBytes(dir + name), EVP_sha256());
    list += claimed + "  " + name + "\n";
  }
  list += std::string(64, 'f') + "  missing\n";
  testing::WriteBytes(dir + "SHA256SUMS", list);
  std::filesystem::create_directory(dir + "plain");
  for (const std::string& name : names) {
    std::filesystem::copy_file(dir + name, dir + "plain/" + name);
  }

  const struct {
    const char* what;
    std::function<void()> start;
  } jobs[] = {
      {"a checksum list",
       [&] {
         tk::ClearGadgetItems(kGadgetResults);
         tk::testing::ScriptRequester({{dir + "SHA256SUMS"}, nullptr});
         tk::ActivateMenuItem(kMainMenu, kMenuVerify);
       }},
      {"plain rows",
       [&] {
         tk::ClearGadgetItems(kGadgetResults);
         testing::WriteBytes(dir + "plain/vanished", "listed, then deleted");
         AddSource(dir + "plain/");
         std::filesystem::remove(dir + "plain/vanished");
         Click(kGadgetCalculate);
       }},
  };
  for (const auto& job : jobs) {
    SCOPED_TRACE(job.what);
    const Window one = RunOn(1, job.start);
    ASSERT_GT(one.rows.size(), names.size());
    for (int threads : {2, 4}) {
      EXPECT_EQ(RunOn(threads, job.start), one) << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace vandrel

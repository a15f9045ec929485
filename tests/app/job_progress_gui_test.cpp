// The progress bar inside a file, in-process: a large file moves the bar
// many times while it is read, with bytes, rate and time left in the bar's
// tooltip, and the bar's value is still the count of finished rows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "app/job_gui_support.h"
#include "app/job_progress.h"

namespace vandrel {
namespace {

using namespace std::chrono_literals;

class JobProgressTest : public testing::JobGuiTest {};

TEST_F(JobProgressTest, ALargeFileMovesTheBarAndNamesItsProgressInTheTooltip) {
  const std::string dir = testing::ScratchFolder("progress");
  // Sparse: read as zeros from memory, so the test costs no disk.
  const std::string big = dir + "big.img";
  ASSERT_EQ(truncate((testing::WriteBytes(big, ""), big).c_str(), 1536ll * 1024 * 1024), 0);
  testing::WriteBytes(dir + "small", "small");
  AddEach({dir + "small", big});
  Click(kGadgetSha1);

  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  Click(kGadgetCalculate);
  std::vector<int> parts;
  std::set<std::string> tips;
  int valueWhileBig = -1;
  ASSERT_TRUE(RunUntil(
      [&] {
        const int part = tk::GetGadgetAttribute(kGadgetProgress, tk::kProgressBarPart);
        if (part > 0 && (parts.empty() || part != parts.back())) {
          parts.push_back(part);
          valueWhileBig = tk::GetGadgetState(kGadgetProgress);
        }
        if (!tk::GadgetToolTipText(kGadgetProgress).empty()) {
          tips.insert(tk::GadgetToolTipText(kGadgetProgress));
        }
        return Job().JobRunning == 0 && !shown.empty();
      },
      60000));
  EXPECT_GE(parts.size(), 5u);
  EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()));
  EXPECT_EQ(valueWhileBig, 1);  // one finished row under the bar's share
  ASSERT_FALSE(tips.empty());
  for (const std::string& tip : tips) {
    EXPECT_NE(tip.find(" / 1.5 GiB  \u00b7  "), std::string::npos) << tip;
  }
  // Done: the tooltip is gone and the bar is back at zero.
  EXPECT_EQ(tk::GadgetToolTipText(kGadgetProgress), "");
  EXPECT_EQ(tk::GetGadgetState(kGadgetProgress), 0);
  EXPECT_EQ(tk::GetGadgetAttribute(kGadgetProgress, tk::kProgressBarPart), 0);
  EXPECT_TRUE(RowShows(1, kImageRowComputed));
}

TEST_F(JobProgressTest, TheTooltipGivesAmountsInTheTotalsUnitRateAndTimeLeft) {
  constexpr std::uint64_t kMiB = 1024 * 1024;
  const struct {
    std::uint64_t done, total;
    std::chrono::milliseconds elapsed;
    const char* text;
  } cases[] = {
      {1536 * kMiB, 3072 * kMiB, 3000ms, "1.5 / 3.0 GiB  \u00b7  512.0 MiB/s  \u00b7  0:03"},
      {100 * kMiB, 200 * kMiB, 1000ms, "100.0 / 200.0 MiB  \u00b7  100.0 MiB/s  \u00b7  0:01"},
      {1 * kMiB, 4096 * kMiB, 1000ms, "0.0 / 4.0 GiB  \u00b7  1.0 MiB/s  \u00b7  1:08:15"},
      {0, 80 * kMiB, 500ms, "0.0 / 80.0 MiB"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressTipText(c.done, c.total, c.elapsed), c.text);
}

}  // namespace
}  // namespace vandrel

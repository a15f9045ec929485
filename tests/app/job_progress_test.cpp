// The progress bar of a running job, without a display: its value follows
// the last finished row, the oldest file still being read moves it by its
// share (with bytes, rate and time left in the tooltip for a large file),
// and a file that finishes takes its share and tooltip with it.
#include "app/job_progress.h"

#include <gtest/gtest.h>

#include <thread>

#include "toolkit/gadgets.h"

namespace vandrel {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kMiB = 1024 * 1024;

TEST(JobBarTest, FollowsTheFinishedRowsAndTheOldestFileStillRead) {
  JobBar bar;
  const auto reading = [](std::size_t row, std::uint64_t done, std::uint64_t total) {
    return std::optional<engine::EntryProgress>(engine::EntryProgress{row, done, total});
  };
  // Row 0 finished; row 1, 1.5 GiB, has begun: the bar moves only once its
  // interval is over.
  BarChange change = bar.update(0, reading(1, 10 * kMiB, 1536 * kMiB));
  EXPECT_EQ(change.value, 1);
  EXPECT_FALSE(change.part);
  std::this_thread::sleep_for(kProgressInterval + 20ms);
  change = bar.update(std::nullopt, reading(1, 768 * kMiB, 1536 * kMiB));
  EXPECT_FALSE(change.value);
  EXPECT_EQ(change.part, tk::kProgressBarPartScale / 2);
  ASSERT_TRUE(change.tip);
  EXPECT_EQ(change.tip->rfind("0.8 / 1.5 GiB  \u00b7  ", 0), 0u) << *change.tip;
  // Row 1 finished, row 2 is small: the tooltip goes, no part is shown yet.
  change = bar.update(1, reading(2, 1000, 4000));
  EXPECT_EQ(change.value, 2);
  EXPECT_EQ(change.tip, std::string());
  EXPECT_FALSE(change.part);
  std::this_thread::sleep_for(kProgressInterval + 20ms);
  change = bar.update(std::nullopt, reading(2, 2000, 4000));
  EXPECT_EQ(change.part, tk::kProgressBarPartScale / 2);
  EXPECT_FALSE(change.tip) << "a small file has no tooltip";
}

TEST(JobBarTest, TheTooltipGivesAmountsInTheTotalsUnitRateAndTimeLeft) {
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

// Work beside the window and the toolkit: frame timers tick only while the
// main thread waits for events, calls from other threads do nothing, and a
// list shows a program's own rows, hearing of a large change in slices.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/test_rows.h"
#include "testing/toolkit_hooks.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/list_source.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

constexpr int kWindow = 43;
constexpr int kList = 1;

class FrameTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindow(kWindow, 0, 0, 300, 200, "frames", kWindowSystemMenu));
    ListIconGadget(kList, 0, 0, 300, 200, "path", 200, kListMultiSelect);
  }
  void TearDown() override {
    CloseWindow(kWindow);
    while (WaitWindowEventTimeout(10) != kEventNone) {
    }
  }
};

TEST_F(FrameTimerTest, TicksComeOnlyWhileTheMainThreadWaitsAndStopFromATick) {
  int ticks = 0;
  int timer = 0;
  timer = StartFrameTimer(5, [&] {
    if (++ticks == 3) StopFrameTimer(timer);
  });
  ASSERT_NE(timer, 0);
  // "In a command": the toolkit's own work runs, the ticks do not.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ProcessPendingToolkitEvents();
  EXPECT_EQ(ticks, 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ticks < 3 && std::chrono::steady_clock::now() < end) WaitWindowEventTimeout(10);
  WaitWindowEventTimeout(50);
  EXPECT_EQ(ticks, 3);
}

TEST_F(FrameTimerTest, CallsFromAnotherThreadDoNothing) {
  testing::TestRows rows(kList, {{{"row"}}});
  PostEvent(kEventCustom + 1, kWindow);
  std::atomic<int> count{-1};
  std::atomic<int> timer{-1};
  std::atomic<int> waited{-1};
  std::thread other([&] {
    ClearGadgetItems(kList);
    count = CountGadgetItems(kList);
    timer = StartFrameTimer(5, [] {});
    waited = WaitWindowEventTimeout(0);
  });
  other.join();
  EXPECT_EQ(count, 0);
  EXPECT_EQ(timer, 0);
  EXPECT_EQ(waited, kEventNone);
  EXPECT_EQ(CountGadgetItems(kList), 1);
  // Posting is what crosses threads: the event waits for the main thread.
  EXPECT_EQ(WaitWindowEventTimeout(100), kEventCustom + 1);
}

TEST_F(FrameTimerTest, AListShowsAProgramsRowsAndHearsOfALargeChangeInSlices) {
  constexpr int kRows = 20000;
  std::vector<testing::TestRow> initial;
  for (int i = 0; i < kRows; ++i) initial.push_back({{"r" + std::to_string(i)}});
  testing::TestRows rows(kList, std::move(initial));
  EXPECT_EQ(CountGadgetItems(kList), kRows);
  EXPECT_EQ(GetGadgetItemText(kList, 123, 0), "r123");

  std::vector<int> told;
  testing::ObserveListRows(kList, [&](int row) { told.push_back(row); });
  for (testing::TestRow& row : rows.rows) row.columns[0] = "changed";
  GadgetRowsChanged(kList, 0, kRows);
  // The rows in view are told at once, the others as the loop goes idle.
  EXPECT_LT(told.size(), 100u);
  EXPECT_EQ(GetGadgetItemText(kList, kRows - 1, 0), "changed");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::set<int>(told.begin(), told.end()).size() < kRows &&
         std::chrono::steady_clock::now() < end) {
    WaitWindowEventTimeout(10);
  }
  EXPECT_EQ(std::set<int>(told.begin(), told.end()).size(), static_cast<std::size_t>(kRows));

  // The list's own removals ask the owner.
  SetGadgetItemSelected(kList, 5, true);
  SetGadgetItemSelected(kList, 7, true);
  EXPECT_EQ(RemoveSelectedGadgetItems(kList), 2);
  EXPECT_EQ(rows.asked, (std::vector<int>{5, 7}));
  EXPECT_EQ(CountGadgetItems(kList), kRows - 2);
  EXPECT_TRUE(SelectedGadgetItems(kList).empty());
  testing::ObserveListRows(kList, nullptr);
  SetGadgetRowSource(kList, nullptr);
  EXPECT_EQ(CountGadgetItems(kList), 0);
}

}  // namespace
}  // namespace vandrel::tk

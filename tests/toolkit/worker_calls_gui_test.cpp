// Calls from other threads: handed to the main thread, in effect when they
// return, never run in the middle of a command or while held.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "system/threads.h"
#include "testing/toolkit_hooks.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

constexpr int kWindow = 43;
constexpr int kList = 1;

class WorkerCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindow(kWindow, 0, 0, 300, 200, "worker", kWindowSystemMenu));
    ListIconGadget(kList, 0, 0, 300, 200, "path", 200, kListMultiSelect);
    AddGadgetColumn(kList, 1, "digest", 100);
  }
  void TearDown() override { CloseWindow(kWindow); }

  // Waits for events, as the event loop does, until `done`.
  static void LoopUntil(const std::atomic<bool>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < end) WaitWindowEventTimeout(20);
  }
};

TEST_F(WorkerCallTest, ACallHasTakenEffectWhenItReturns) {
  std::atomic<bool> done{false};
  std::atomic<int> mismatches{0};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      AddGadgetItem(kList, -1, std::string("row").append(std::to_string(i)).append("\n"));
      if (CountGadgetItems(kList) != i + 1) ++mismatches;
      const std::string digest = std::string("d").append(std::to_string(i));
      SetGadgetItemText(kList, i, digest, 1);
      if (GetGadgetItemText(kList, i, 1) != digest) ++mismatches;
    }
    done = true;
  });
  LoopUntil(done);
  worker.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(CountGadgetItems(kList), 200);
  EXPECT_TRUE(IsMainThread());
}

TEST_F(WorkerCallTest, CallsRunAsOneAreSeenByTheMainThreadAllAtOnce) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    RunAsOneCall([] {
      for (int i = 0; i < 100; ++i) AddGadgetItem(kList, -1, "row\n");
    });
    done = true;
  });
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (CountGadgetItems(kList) == 0 && std::chrono::steady_clock::now() < end) {
    testing::RunWorkerCalls();
  }
  EXPECT_EQ(CountGadgetItems(kList), 100) << "one turn of the main thread ran them all";
  LoopUntil(done);
  worker.join();
}

TEST_F(WorkerCallTest, CallsWaitWhileTheMainThreadRunsACommand) {
  std::atomic<bool> started{false}, done{false};
  std::thread worker([&] {
    started = true;
    AddGadgetItem(kList, -1, "late\n");
    done = true;
  });
  while (!started) std::this_thread::yield();
  // The main thread is "in a command": it does not wait for events, so the
  // worker's call must not have run, however long it takes.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ProcessPendingToolkitEvents();
  EXPECT_EQ(CountGadgetItems(kList), 0);
  EXPECT_FALSE(done);
  LoopUntil(done);
  worker.join();
  EXPECT_EQ(CountGadgetItems(kList), 1);
}

TEST_F(WorkerCallTest, HeldCallsWaitThroughANestedLoopAndRunAfterIt) {
  std::atomic<bool> done{false};
  std::thread worker;
  {
    WorkerCallsHeld held;
    worker = std::thread([&] {
      AddGadgetItem(kList, -1, "held\n");
      done = true;
    });
    // A modal loop waits for events meanwhile; the row must not appear.
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) WaitWindowEventTimeout(20);
    EXPECT_EQ(CountGadgetItems(kList), 0);
    EXPECT_FALSE(done);
  }
  LoopUntil(done);
  worker.join();
  EXPECT_EQ(CountGadgetItems(kList), 1);
}

// A worker paused in its digest while the question is open, then resumed:
// no deadlock, and it finishes its calls after the resume.
std::atomic<int> g_rowsDone{0};
std::atomic<bool> g_releaseWorker{false};
sys::PauseGate g_pause;

int PausableWorker(int rows) {
  for (int i = 0; i < rows; ++i) {
    while (!g_releaseWorker && i == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    g_pause.waitWhilePaused();  // the digest's safe point before its toolkit call
    AddGadgetItem(kList, -1, "r\n");
    ++g_rowsDone;
  }
  PostEvent(kEventCustom);
  return 0;
}

TEST_F(WorkerCallTest, APausedWorkerCannotDeadlockTheMainThread) {
  g_rowsDone = 0;
  g_releaseWorker = false;
  sys::ThreadHandle worker = sys::CreateThread(PausableWorker, 5);
  ASSERT_NE(worker, 0u);
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (g_rowsDone < 1 && std::chrono::steady_clock::now() < end) WaitWindowEventTimeout(10);
  g_pause.pause();
  {
    WorkerCallsHeld held;  // as a question would
    g_releaseWorker = true;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until) WaitWindowEventTimeout(10);
    EXPECT_LE(CountGadgetItems(kList), 2) << "no rows appear while the question is open";
  }
  int rowsAtResume = CountGadgetItems(kList);
  g_pause.resume();
  int kind = kEventNone;
  end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (kind != kEventCustom && std::chrono::steady_clock::now() < end)
    kind = WaitWindowEventTimeout(20);
  EXPECT_EQ(kind, kEventCustom);
  EXPECT_EQ(CountGadgetItems(kList), 5);
  EXPECT_LE(rowsAtResume, 2);
}

TEST(ToolkitEndTest, CallsFromOtherThreadsReturnZeroOnceTheEndBegan) {
  // The child starts afresh rather than sharing the parent's display connection.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        OpenWindow(44, 0, 0, 100, 100, "end", kWindowSystemMenu);
        ListIconGadget(1, 0, 0, 100, 100, "p", 50, 0);
        std::atomic<int> result{-1};
        std::thread worker([&] {
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          for (int i = 0; i < 1000; ++i) AddGadgetItem(1, -1, "x");
          result = CountGadgetItems(1);
        });
        worker.detach();
        // The main thread never waits for events: the worker's first call
        // blocks until the end releases it.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        EndOfProgram(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vandrel::tk

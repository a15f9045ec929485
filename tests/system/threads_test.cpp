// Tests of CreateThread, the pause gate and Delay. Thread procedures report
// through atomics; every wait in the tests is bounded so a fault shows as a
// failure, not a hang.
#include "system/threads.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "testing/system_queries.h"

namespace vandrel::sys {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 3000ms) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

std::atomic<int> gArgument{0};
std::atomic<std::size_t> gStackSize{0};
std::atomic<bool> gRelease{false};

int RecordArgumentAndStack(int argument) {
  gArgument = argument;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    gStackSize = size;
    pthread_attr_destroy(&attributes);
  }
  while (!gRelease) Delay(1);
  return 0;
}

std::atomic<bool> gStop{false};
std::atomic<long> gInside{0};
std::atomic<long> gOutside{0};
std::atomic<bool> gEnterSection{false};
PauseGate gGate;

// Counts, taking the gate's safe point each time, until told to stop.
int CountInsideSections(int) {
  while (!gStop) {
    gGate.waitWhilePaused();
    ++gInside;
  }
  return 0;
}

// Counts without safe points until told to take them, then counts with.
int CountOutsideThenInside(int) {
  while (!gEnterSection && !gStop) ++gOutside;
  while (!gStop) {
    gGate.waitWhilePaused();
    ++gInside;
  }
  return 0;
}

class ThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gStop = false;
    gRelease = false;
    gEnterSection = false;
    gInside = 0;
    gOutside = 0;
  }

  // Whether `counter` stays put for a while.
  static bool Holds(const std::atomic<long>& counter) {
    const long before = counter;
    std::this_thread::sleep_for(250ms);
    return counter == before;
  }

  static bool Moves(const std::atomic<long>& counter) {
    const long before = counter;
    return WaitFor([&] { return counter > before + 10; }, 1500ms);
  }
};

TEST_F(ThreadsTest, ThreadRunsItsProcedureOnAOneMebibyteStackAndIsForgottenAfter) {
  const ThreadHandle thread = CreateThread(RecordArgumentAndStack, 4711);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(WaitFor([] { return gArgument == 4711; }));
  EXPECT_TRUE(IsThread(thread));
  ASSERT_TRUE(WaitFor([] { return gStackSize != 0; }));
  EXPECT_EQ(gStackSize.load(), 1024u * 1024u);
  gRelease = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
  EXPECT_FALSE(IsThread(0));
  EXPECT_EQ(CreateThread(nullptr, 0), 0u);
}

TEST_F(ThreadsTest, AwaitingAllThreadsWaitsForTheLastOneAndGivesUpAtItsLimit) {
  ASSERT_TRUE(AwaitAllThreads(0));
  const ThreadHandle first = CreateThread(RecordArgumentAndStack, 1);
  const ThreadHandle second = CreateThread(CountInsideSections, 0);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  const auto start = Clock::now();
  EXPECT_FALSE(AwaitAllThreads(200));
  EXPECT_GE(Clock::now() - start, 200ms);
  gRelease = true;
  EXPECT_FALSE(AwaitAllThreads(200));  // the counting thread still runs
  std::thread stopper([] {
    std::this_thread::sleep_for(100ms);
    gStop = true;
  });
  EXPECT_TRUE(AwaitAllThreads(3000));
  stopper.join();
  EXPECT_FALSE(IsThread(first));
  EXPECT_FALSE(IsThread(second));
}

TEST_F(ThreadsTest, PausingTwiceNeedsTwoResumes) {
  const ThreadHandle thread = CreateThread(CountInsideSections, 0);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(Moves(gInside));

  gGate.pause();
  gGate.pause();
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Holds(gInside)) << "paused";
  gGate.resume();
  EXPECT_TRUE(Holds(gInside)) << "one resume of two";
  gGate.resume();
  EXPECT_TRUE(Moves(gInside)) << "second resume";

  // Resuming a running thread does not bank a pause credit.
  gGate.resume();
  gGate.pause();
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Holds(gInside));
  gGate.resume();
  EXPECT_TRUE(Moves(gInside));

  // Opened for good, as for a cancel: a pause then or later stops nothing.
  PauseGate cancelled;
  cancelled.pause();
  cancelled.openForGood();
  cancelled.pause();
  EXPECT_FALSE(cancelled.paused());

  gStop = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
}

TEST_F(ThreadsTest, APauseTakesEffectAtTheThreadsNextSafePoint) {
  const ThreadHandle thread = CreateThread(CountOutsideThenInside, 0);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(Moves(gOutside));

  gGate.pause();
  EXPECT_TRUE(gGate.paused());
  EXPECT_TRUE(Moves(gOutside)) << "between safe points the thread goes on";
  gEnterSection = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(gInside, 0) << "stopped at its first safe point";
  EXPECT_TRUE(Holds(gInside));
  gGate.resume();
  EXPECT_FALSE(gGate.paused());
  EXPECT_TRUE(Moves(gInside));

  gStop = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
}

std::atomic<int> gReadFd{-1};
std::atomic<bool> gReading{false};
std::atomic<long> gReadResult{0};
std::atomic<int> gReadErrno{0};

// A read, then the safe point after it, as a digest takes them.
int ReadInsideSection(int) {
  char buffer[16] = {};
  gReading = true;
  const ssize_t got = read(gReadFd, buffer, sizeof buffer);
  gReadErrno = got < 0 ? errno : 0;
  gReadResult = got;
  gGate.waitWhilePaused();
  ++gInside;
  return 0;
}

TEST_F(ThreadsTest, PausingABlockedReadDoesNotCutItShort) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  gReadFd = ends[0];
  gReading = false;
  gReadResult = -99;
  const ThreadHandle thread = CreateThread(ReadInsideSection, 0);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(WaitFor([] { return gReading.load(); }));
  std::this_thread::sleep_for(50ms);
  for (int i = 0; i < 3; ++i) {
    gGate.pause();
    std::this_thread::sleep_for(30ms);
    gGate.resume();
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_EQ(gReadResult, -99) << "read returned early, errno " << gReadErrno;
  // Paused while the read waits: the read still returns whole, and the
  // thread stops at the safe point after it.
  gGate.pause();
  ASSERT_EQ(write(ends[1], "digest", 6), 6);
  EXPECT_TRUE(WaitFor([] { return gReadResult != -99; }));
  EXPECT_EQ(gReadResult, 6);
  EXPECT_TRUE(Holds(gInside));
  EXPECT_TRUE(IsThread(thread));
  gGate.resume();
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
  EXPECT_EQ(gInside, 1);
  close(ends[0]);
  close(ends[1]);
}

std::atomic<bool> gSelfDone{false};

// Pauses the gate itself, goes on to its end, and lets it go again.
int PauseItself(int) {
  gGate.pause();
  gGate.pause();
  gSelfDone = true;
  gGate.resume();
  gGate.resume();
  return 0;
}

TEST_F(ThreadsTest, PausingTakesHoldOnlyAtSafePointsEvenOnThePausingThread) {
  gSelfDone = false;
  const ThreadHandle counter = CreateThread(CountInsideSections, 0);
  ASSERT_NE(counter, 0u);
  ASSERT_TRUE(Moves(gInside));
  // A waiting thread holds no lock the pausing one needs: pausing again and
  // resuming from a third thread while it waits ends its wait.
  gGate.pause();
  std::this_thread::sleep_for(50ms);
  ASSERT_TRUE(Holds(gInside));
  const ThreadHandle thread = CreateThread(PauseItself, 0);
  ASSERT_NE(thread, 0u);
  EXPECT_TRUE(WaitFor([] { return gSelfDone.load(); }));
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
  EXPECT_TRUE(Holds(gInside)) << "still paused once";
  gGate.resume();
  EXPECT_TRUE(Moves(gInside));
  gStop = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(counter); }));
}

std::atomic<long> gSleptMs{0};
std::atomic<pthread_t> gSleeper{};
std::atomic<bool> gSleeperKnown{false};

void Interrupted(int) {}

int DelayInsideSection(int milliseconds) {
  gSleeper = pthread_self();
  gSleeperKnown = true;
  const auto start = Clock::now();
  Delay(milliseconds);
  gSleptMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return 0;
}

TEST_F(ThreadsTest, DelaySleepsItsFullTimeThoughInterrupted) {
  // A handler without SA_RESTART, so each signal cuts the sleep short.
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = Interrupted;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR2, &action, &previous), 0);
  gSleptMs = -1;
  gSleeperKnown = false;
  const ThreadHandle thread = CreateThread(DelayInsideSection, 400);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(WaitFor([] { return gSleeperKnown.load(); }));
  std::this_thread::sleep_for(50ms);
  for (int i = 0; i < 5 && gSleptMs < 0; ++i) {
    pthread_kill(gSleeper, SIGUSR2);
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(WaitFor([] { return gSleptMs >= 0; }));
  EXPECT_GE(gSleptMs, 400);
  EXPECT_LT(gSleptMs, 1400);

  const auto start = Clock::now();
  Delay(30);
  EXPECT_GE(Clock::now() - start, 30ms);
  sigaction(SIGUSR2, &previous, nullptr);
}

int EnterSectionBriefly(int) {
  gGate.waitWhilePaused();
  gGate.waitWhilePaused();
  return 0;
}

TEST_F(ThreadsTest, PausingThreadsThatAreEndingIsSafeAndNoneStaysStuck) {
  // Pause and resume race with threads reaching their safe points and
  // leaving their procedures: a resume that a waiting thread misses would
  // leave it stuck.
  std::vector<ThreadHandle> threads;
  for (int round = 0; round < 200; ++round) {
    gGate.pause();
    const ThreadHandle thread = CreateThread(EnterSectionBriefly, round);
    ASSERT_NE(thread, 0u);
    threads.push_back(thread);
    gGate.resume();
  }
  for (ThreadHandle thread : threads) {
    EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); })) << "thread " << thread;
  }
}

}  // namespace
}  // namespace vandrel::sys

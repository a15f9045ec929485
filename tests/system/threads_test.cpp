// Tests of CreateThread, pause and resume by signal, PausableSection and
// Delay. Thread procedures report through atomics; every wait in the tests
// is bounded so a fault shows as a failure, not a hang.
#include "system/threads.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

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

// Counts inside a section until told to stop.
int CountInsideSections(int) {
  while (!gStop) {
    PausableSection section;
    ++gInside;
  }
  return 0;
}

// Counts outside any section until told to enter one, then counts inside.
int CountOutsideThenInside(int) {
  while (!gEnterSection && !gStop) ++gOutside;
  {
    PausableSection section;
    while (!gStop) ++gInside;
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

  // A forgotten handle is an unknown number: pause and resume do nothing.
  PauseThread(thread);
  ResumeThread(thread);
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

  PauseThread(thread);
  PauseThread(thread);
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Holds(gInside)) << "paused";
  ResumeThread(thread);
  EXPECT_TRUE(Holds(gInside)) << "one resume of two";
  const auto resumed = Clock::now();
  ResumeThread(thread);
  EXPECT_TRUE(Moves(gInside)) << "second resume";
  EXPECT_LT(Clock::now() - resumed, 1000ms);

  // Resuming a running thread does not bank a pause credit.
  ResumeThread(thread);
  PauseThread(thread);
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Holds(gInside));
  ResumeThread(thread);
  EXPECT_TRUE(Moves(gInside));

  gStop = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
}

TEST_F(ThreadsTest, PauseOutsideASectionTakesEffectAtTheNextSectionEntry) {
  const ThreadHandle thread = CreateThread(CountOutsideThenInside, 0);
  ASSERT_NE(thread, 0u);
  ASSERT_TRUE(Moves(gOutside));

  PauseThread(thread);
  EXPECT_TRUE(Moves(gOutside)) << "outside a section the thread goes on";
  gEnterSection = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(gInside, 0) << "stopped on entering the section";
  EXPECT_TRUE(Holds(gInside));
  ResumeThread(thread);
  EXPECT_TRUE(Moves(gInside));

  gStop = true;
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
}

std::atomic<int> gReadFd{-1};
std::atomic<bool> gReading{false};
std::atomic<long> gReadResult{0};
std::atomic<int> gReadErrno{0};

int ReadInsideSection(int) {
  PausableSection section;
  char buffer[16] = {};
  gReading = true;
  const ssize_t got = read(gReadFd, buffer, sizeof buffer);
  gReadErrno = got < 0 ? errno : 0;
  gReadResult = got;
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
    PauseThread(thread);
    std::this_thread::sleep_for(30ms);
    ResumeThread(thread);
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_EQ(gReadResult, -99) << "read returned early, errno " << gReadErrno;
  ASSERT_EQ(write(ends[1], "digest", 6), 6);
  EXPECT_TRUE(WaitFor([] { return gReadResult != -99; }));
  EXPECT_EQ(gReadResult, 6);
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
  close(ends[0]);
  close(ends[1]);
}

std::atomic<ThreadHandle> gSelf{0};
std::atomic<bool> gSelfDone{false};

int PauseItself(int) {
  while (gSelf == 0) Delay(1);
  PausableSection section;
  PauseThread(gSelf);
  PauseThread(gSelf);
  gSelfDone = true;
  return 0;
}

TEST_F(ThreadsTest, PausingTheCallingThreadDoesNothing) {
  gSelf = 0;
  gSelfDone = false;
  const ThreadHandle thread = CreateThread(PauseItself, 0);
  ASSERT_NE(thread, 0u);
  gSelf = thread;
  EXPECT_TRUE(WaitFor([] { return gSelfDone.load(); }));
  EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); }));
}

std::atomic<long> gSleptMs{0};

int DelayInsideSection(int milliseconds) {
  PausableSection section;
  const auto start = Clock::now();
  Delay(milliseconds);
  gSleptMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return 0;
}

TEST_F(ThreadsTest, DelaySleepsItsFullTimeThoughInterrupted) {
  gSleptMs = -1;
  const ThreadHandle thread = CreateThread(DelayInsideSection, 400);
  ASSERT_NE(thread, 0u);
  std::this_thread::sleep_for(50ms);
  // Each pause interrupts the sleep; the handler returns at the resume.
  for (int i = 0; i < 5; ++i) {
    PauseThread(thread);
    ResumeThread(thread);
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(WaitFor([] { return gSleptMs >= 0; }));
  EXPECT_GE(gSleptMs, 400);
  EXPECT_LT(gSleptMs, 1400);

  const auto start = Clock::now();
  Delay(30);
  EXPECT_GE(Clock::now() - start, 30ms);
}

int EnterSectionBriefly(int) {
  PausableSection outer;
  PausableSection inner;
  return 0;
}

TEST_F(ThreadsTest, PausingThreadsThatAreEndingIsSafeAndNoneStaysStuck) {
  // Pause and resume race with threads leaving their procedures; a signal
  // sent to a thread that has already exited would be undefined behaviour.
  std::vector<ThreadHandle> threads;
  for (int round = 0; round < 200; ++round) {
    const ThreadHandle thread = CreateThread(EnterSectionBriefly, round);
    ASSERT_NE(thread, 0u);
    threads.push_back(thread);
    PauseThread(thread);
    ResumeThread(thread);
  }
  for (ThreadHandle thread : threads) {
    EXPECT_TRUE(WaitFor([&] { return !IsThread(thread); })) << "thread " << thread;
  }
}

}  // namespace
}  // namespace vandrel::sys

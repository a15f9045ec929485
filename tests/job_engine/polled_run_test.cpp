// The engine's polled face on real files: every outcome handed out once and
// in list order whatever order files finish in, each start reported, the
// oldest file's bytes, nothing while paused, and after a cancel the files in
// flight finished within the grace and the rest abandoned. References come
// from libcrypto.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "digest/digest_references.h"
#include "job_engine/job_engine.h"
#include "support/scratch_directory.h"

namespace vandrel::engine {
namespace {

using testing::Combination;
using testing::PatternBytes;
using testing::Reference;

constexpr Combination kSha256{kDigestSha2, 256, "SHA2-256"};

// Reads that crawl (2 ms per 4 KiB) or fail after the first chunk, for the
// files whose names say so.
ssize_t TestRead(int descriptor, void* buffer, std::size_t count) {
  char link[64], name[512];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  const ssize_t length = ::readlink(link, name, sizeof name - 1);
  const std::string path(name, length > 0 ? static_cast<std::size_t>(length) : 0);
  if (path.find("broken") != std::string::npos && ::lseek(descriptor, 0, SEEK_CUR) > 0) {
    errno = EIO;
    return -1;
  }
  if (path.find("slow") != std::string::npos) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return ::read(descriptor, buffer, count);
}

// Everything the polls of one run handed out.
struct Heard {
  std::vector<Outcome> finished;
  std::vector<std::size_t> started;
  std::vector<EntryProgress> progress;
  Tally tally;
  bool over = false;
};

class PolledRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterStandardDigests(); }

  static PlanSource PlanOf(const std::vector<std::string>& paths) {
    return {paths.size(),
            [paths](std::size_t i) {
              return PlanEntry{paths[i], ""};
            },
            DigestKind{Algorithm::Sha2, 256}};
  }

  // Polls a frame apart until the run is over or `stop` says so.
  static Heard PollUntil(PolledRun& run, const std::function<bool(const Heard&)>& stop = nullptr) {
    Heard heard;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!heard.over && std::chrono::steady_clock::now() < end && !(stop && stop(heard))) {
      Polled polled = run.poll();
      heard.finished.insert(heard.finished.end(), polled.finished.begin(), polled.finished.end());
      heard.started.insert(heard.started.end(), polled.started.begin(), polled.started.end());
      if (polled.oldest) heard.progress.push_back(*polled.oldest);
      heard.tally = polled.tally;
      heard.over = polled.over;
      std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    return heard;
  }

  testing::ScratchDirectory scratch_;
};

TEST_F(PolledRunTest, HandsOutEveryOutcomeOnceInListOrderAndEveryStart) {
  std::vector<std::string> data, paths;
  for (int i = 0; i < 30; ++i) {
    // Every third file crawls, so later ones finish first.
    const std::string name = (i % 3 == 0 ? "slow" : "fast") + std::to_string(i);
    data.push_back(PatternBytes(static_cast<std::size_t>(i * 977 % 40000), i));
    paths.push_back(scratch_.write(name, data.back()));
  }
  paths.push_back(scratch_ / "missing");
  paths.push_back(scratch_.write("broken", PatternBytes(20000, 7)));
  const struct {
    const char* what;
    std::vector<std::string> paths;
    int threads;
  } cases[] = {
      {"an empty plan", {}, 2},
      {"one thread", paths, 1},
      {"three threads", paths, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunOptions options;
    options.threads = c.threads;
    options.read = TestRead;
    options.chunkBytes = 4096;
    PolledRun run(PlanOf(c.paths), options);
    ASSERT_TRUE(run.working());
    const Heard heard = PollUntil(run);
    ASSERT_TRUE(heard.over);
    ASSERT_EQ(heard.finished.size(), c.paths.size());
    for (std::size_t i = 0; i < heard.finished.size(); ++i) {
      const Outcome& outcome = heard.finished[i];
      EXPECT_EQ(outcome.index, i);
      if (i < data.size()) {
        EXPECT_EQ(outcome.digest.hex, Reference(kSha256, data[i])) << i;
      } else {
        EXPECT_EQ(outcome.verdict, Verdict::Failed) << i;
        EXPECT_EQ(outcome.digest.error, i == data.size() ? ENOENT : EIO) << i;
      }
    }
    EXPECT_EQ(std::set<std::size_t>(heard.started.begin(), heard.started.end()).size(),
              heard.started.size())
        << "a start told twice";
    EXPECT_EQ(heard.started.size(), c.paths.size());
    EXPECT_EQ(heard.tally, (Tally{c.paths.empty() ? 0u : data.size(), c.paths.empty() ? 0u : 2u}));
  }
}

TEST_F(PolledRunTest, TellsHowFarTheOldestFileIs) {
  const std::string data = PatternBytes(1 << 20, 3);
  RunOptions options;
  options.threads = 2;
  options.read = TestRead;
  options.chunkBytes = 4096;
  PolledRun run(PlanOf({scratch_.write("slow-big", data), scratch_.write("small", "x")}), options);
  const Heard heard = PollUntil(run);
  ASSERT_FALSE(heard.progress.empty());
  for (std::size_t i = 0; i < heard.progress.size(); ++i) {
    EXPECT_EQ(heard.progress[i].index, 0u);
    EXPECT_EQ(heard.progress[i].total, data.size());
    if (i > 0) {
      EXPECT_GE(heard.progress[i].done, heard.progress[i - 1].done);
    }
  }
  EXPECT_EQ(heard.finished.size(), 2u);
}

TEST_F(PolledRunTest, APausedRunHandsOutNothingUntilResumed) {
  JobControl control;
  control.pause();
  RunOptions options;
  options.threads = 2;
  options.control = &control;
  PolledRun run(PlanOf({scratch_.write("a", "a"), scratch_.write("b", "b")}), options);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  const Heard paused =
      PollUntil(run, [&](const Heard&) { return std::chrono::steady_clock::now() > until; });
  EXPECT_TRUE(paused.started.empty());
  EXPECT_TRUE(paused.finished.empty());
  EXPECT_FALSE(paused.over);
  control.resume();
  EXPECT_EQ(PollUntil(run).finished.size(), 2u);
}

TEST_F(PolledRunTest, ACancelFinishesFilesInFlightWithinItsGraceAndAbandonsTheRest) {
  const std::string data = PatternBytes(1 << 20, 5);  // about half a second of crawling reads
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) paths.push_back(scratch_.write("slow" + std::to_string(i), data));
  const struct {
    std::chrono::milliseconds grace;
    bool inFlightFinish;
  } cases[] = {{std::chrono::seconds(60), true}, {std::chrono::milliseconds(0), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.grace.count());
    JobControl control;
    RunOptions options;
    options.threads = 2;
    options.read = TestRead;
    options.chunkBytes = 4096;
    options.control = &control;
    PolledRun run(PlanOf(paths), options);
    Heard heard = PollUntil(run, [](const Heard& h) { return h.started.size() >= 2; });
    ASSERT_GE(heard.started.size(), 2u);
    control.cancel(c.grace);
    ASSERT_TRUE(run.join(std::chrono::seconds(30)));
    const Heard rest = PollUntil(run);
    ASSERT_TRUE(rest.over);
    heard.finished.insert(heard.finished.end(), rest.finished.begin(), rest.finished.end());
    heard.started.insert(heard.started.end(), rest.started.begin(), rest.started.end());
    const std::set<std::size_t> started(heard.started.begin(), heard.started.end());
    // Every entry the run held comes back; only started ones may have a digest.
    ASSERT_EQ(heard.finished.size(), paths.size());
    std::size_t computed = 0;
    for (std::size_t i = 0; i < heard.finished.size(); ++i) {
      const Outcome& outcome = heard.finished[i];
      EXPECT_EQ(outcome.index, i);
      if (outcome.verdict == Verdict::Abandoned) continue;
      EXPECT_TRUE(started.count(i)) << i;
      EXPECT_EQ(outcome.digest.hex, Reference(kSha256, data)) << i;
      ++computed;
    }
    if (c.inFlightFinish) {
      EXPECT_EQ(computed, started.size());
    } else {
      EXPECT_LT(computed, started.size());
    }
    EXPECT_EQ(rest.tally.processed(), computed);
  }
}

}  // namespace
}  // namespace vandrel::engine

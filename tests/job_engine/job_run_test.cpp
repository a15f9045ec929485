// The job engine's runs on real files with injected reads: outcomes in list
// order whatever order files finish in, failures in the middle of a run,
// cancel and pause, one large-file reader per device, and the verdicts for
// every checksum-list form. References come from libcrypto and zlib.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "checksum_list/checksum_list.h"
#include "checksum_list/list_file.h"
#include "digest/digest_references.h"
#include "job_engine/device_gate.h"
#include "job_engine/job_engine.h"
#include "support/scratch_directory.h"
#include "testing/list_parsing.h"

namespace vandrel::engine {
namespace {

using testing::Combination;
using testing::PatternBytes;
using testing::Reference;
using testing::ScratchDirectory;

constexpr Combination kSha256{kDigestSha2, 256, "SHA2-256"};
constexpr DigestKind kSha256Kind{Algorithm::Sha2, 256};

class JobRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterStandardDigests(); }

  ScratchDirectory scratch_;
};

int ThreadsOfThisProcess() {
  int count = 0;
  if (DIR* tasks = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(tasks)) count += entry->d_name[0] != '.';
    ::closedir(tasks);
  }
  return count;
}

// The threads of this process once those that have ended are gone, waiting
// up to three seconds for them to fall to `most`: a joined thread may still
// be listed for a moment while it is reaped (for long moments under
// qemu-user), and may still be counted in `most` itself, but one that runs on
// stays.
int ThreadsOnceAtMost(int most) {
  for (int wait = 0; wait < 300 && ThreadsOfThisProcess() > most; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ThreadsOfThisProcess();
}

std::uint64_t SizeOf(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

// Reads that each take a random 0-2 ms, so files finish in any order, and
// count how many run at once.
std::atomic<int> reads_now{0};
std::atomic<int> reads_most{0};

ssize_t RandomlySlowRead(int descriptor, void* buffer, std::size_t count) {
  thread_local std::mt19937 random(std::hash<std::thread::id>()(std::this_thread::get_id()));
  const int now = ++reads_now;
  for (int most = reads_most; now > most && !reads_most.compare_exchange_weak(most, now);) {
  }
  std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
  const ssize_t got = ::read(descriptor, buffer, count);
  --reads_now;
  return got;
}

TEST_F(JobRunTest, OutcomesComeInListOrderWhateverOrderFilesFinishIn) {
  std::vector<std::string> data;
  Plan plan;
  plan.kind = kSha256Kind;
  for (int i = 0; i < 40; ++i) {
    data.push_back(PatternBytes(static_cast<std::size_t>(i * 7919 % 90000), i));
    plan.files.push_back({scratch_.write("f" + std::to_string(i), data.back()), ""});
  }
  for (const int threads : {2, 3, 8}) {
    reads_most = 0;
    RunOptions options;
    options.threads = threads;
    options.read = RandomlySlowRead;
    options.chunkBytes = 8192;
    std::vector<std::size_t> order;
    const std::thread::id owner = std::this_thread::get_id();
    options.finished = [&](const Outcome& outcome) {
      EXPECT_EQ(std::this_thread::get_id(), owner);
      order.push_back(outcome.index);
      ASSERT_LT(outcome.index, data.size());
      EXPECT_EQ(outcome.digest.hex, Reference(kSha256, data[outcome.index])) << outcome.index;
      EXPECT_EQ(outcome.verdict, Verdict::Computed);
    };
    const Tally tally = engine::Run(plan, options);
    std::vector<std::size_t> listOrder(data.size());
    for (std::size_t i = 0; i < listOrder.size(); ++i) listOrder[i] = i;
    EXPECT_EQ(order, listOrder) << threads << " threads";
    EXPECT_EQ(tally.computed, data.size());
    EXPECT_GE(reads_most.load(), 2) << threads << " threads never read two files at once";
  }
}

// Fails the read of any file of exactly kBrokenSize bytes, as a bad sector
// would, after its first chunk.
constexpr std::size_t kBrokenSize = 20000;

ssize_t BrokenFileRead(int descriptor, void* buffer, std::size_t count) {
  if (SizeOf(descriptor) == kBrokenSize && ::lseek(descriptor, 0, SEEK_CUR) > 0) {
    errno = EIO;
    return -1;
  }
  return ::read(descriptor, buffer, count);
}

TEST_F(JobRunTest, FailedAndVanishedFilesInTheMiddleOfAParallelRun) {
  constexpr int kThreads = 2;
  // Entries from here on are not held yet when the first outcome comes.
  constexpr std::size_t kVanishFrom = kThreads * kHeldPerThread;
  enum Kind { Good, NeverThere, Broken, Folder, Vanishes };
  std::vector<Kind> kinds = {Good, NeverThere, Good, Broken, Folder, Good, Good, Good};
  kinds.resize(kVanishFrom, Good);
  for (int i = 0; i < 4; ++i) kinds.push_back(Vanishes), kinds.push_back(Good);
  Plan plan;
  plan.kind = kSha256Kind;
  std::vector<std::string> data;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const std::string name = "e" + std::to_string(i);
    data.push_back(PatternBytes(kinds[i] == Broken ? kBrokenSize : 5000 + i, i));
    if (kinds[i] == Folder) {
      ASSERT_EQ(::mkdir((scratch_ / name).c_str(), 0700), 0);
    } else if (kinds[i] != NeverThere) {
      scratch_.write(name, data[i]);
    }
    plan.files.push_back({scratch_ / name, ""});
  }
  RunOptions options;
  options.threads = kThreads;
  options.read = BrokenFileRead;
  options.chunkBytes = 4096;
  options.refuseFolders = true;
  std::vector<Outcome> outcomes;
  options.finished = [&](const Outcome& outcome) {
    if (outcome.index == 0) {
      for (std::size_t i = kVanishFrom; i < kinds.size(); ++i) {
        if (kinds[i] == Vanishes) ::unlink(plan.files[i].path.c_str());
      }
    }
    outcomes.push_back(outcome);
  };
  const Tally tally = engine::Run(plan, options);
  ASSERT_EQ(outcomes.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const DigestResult& got = outcomes[i].digest;
    EXPECT_EQ(outcomes[i].index, i);
    switch (kinds[i]) {
      case Good:
        EXPECT_EQ(got.hex, Reference(kSha256, data[i])) << i;
        break;
      case NeverThere:
      case Vanishes:
        EXPECT_EQ(got.failure, DigestFailure::CannotOpen) << i;
        EXPECT_EQ(got.error, ENOENT) << i;
        break;
      case Broken:
        EXPECT_EQ(got.failure, DigestFailure::ReadError) << i;
        EXPECT_EQ(got.error, EIO) << i;
        EXPECT_EQ(got.bytesRead, 4096u) << i;
        break;
      case Folder:
        EXPECT_EQ(got.failure, DigestFailure::IsAFolder) << i;
        break;
    }
    EXPECT_EQ(outcomes[i].verdict, kinds[i] == Good ? Verdict::Computed : Verdict::Failed) << i;
  }
  EXPECT_EQ(tally.failed, 7u);
  EXPECT_EQ(tally.computed, kinds.size() - 7);
}

// 5 ms per 4 KiB read: a 7 MiB file would take about nine seconds, one of
// 1 MiB more than a second.
ssize_t CrawlingRead(int descriptor, void* buffer, std::size_t count) {
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return ::read(descriptor, buffer, count);
}

TEST_F(JobRunTest, CancelStartsNothingMoreAndLeavesNoThread) {
  struct Case {
    std::size_t fileBytes;
    std::chrono::milliseconds grace;
    bool inFlightFinish;  // within the grace; else abandoned at once
  } const cases[] = {
      {7 << 20, std::chrono::milliseconds(0), false},
      {1 << 20, std::chrono::seconds(60), true},
  };
  // A first run, so that threads a sanitizer starts on the first one do not
  // count as left behind.
  engine::Run(Plan{{{scratch_.write("warm-up", "x"), ""}}, kSha256Kind}, RunOptions{});
  for (const Case& c : cases) {
    Plan plan;
    plan.kind = kSha256Kind;
    const std::string data = PatternBytes(c.fileBytes, 5);
    const std::string slow = scratch_.write("slow", data);
    for (int i = 0; i < 8; ++i) plan.files.push_back({slow, ""});
    const int threadsBefore = ThreadsOfThisProcess();
    JobControl control;
    std::mutex mutex;
    std::condition_variable startedChanged;
    std::vector<std::size_t> started;
    RunOptions options;
    options.threads = 4;
    options.read = CrawlingRead;
    options.chunkBytes = 4096;
    options.control = &control;
    options.started = [&](std::size_t index) {
      std::lock_guard<std::mutex> lock(mutex);
      started.push_back(index);
      startedChanged.notify_all();
    };
    std::vector<Outcome> outcomes;
    options.finished = [&](const Outcome& outcome) { outcomes.push_back(outcome); };
    Tally tally;
    std::thread owner([&] { tally = engine::Run(plan, options); });
    {
      std::unique_lock<std::mutex> lock(mutex);
      startedChanged.wait_for(lock, std::chrono::seconds(30), [&] { return started.size() == 4; });
      ASSERT_EQ(started.size(), 4u);
    }
    const auto cancelledAt = std::chrono::steady_clock::now();
    control.cancel(c.grace);
    owner.join();
    // Generous against a loaded machine; the run would take far longer.
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::seconds(5));
    EXPECT_LE(ThreadsOnceAtMost(threadsBefore), threadsBefore);
    EXPECT_EQ(started.size(), 4u);
    // Entries the run had taken by the cancel, the started ones among them,
    // come back; the rest of the plan was never taken.
    ASSERT_GE(outcomes.size(), 4u);
    ASSERT_LE(outcomes.size(), plan.files.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
      EXPECT_EQ(outcomes[i].index, i);
      const bool wasStarted = std::find(started.begin(), started.end(), i) != started.end();
      if (wasStarted && c.inFlightFinish) {
        EXPECT_EQ(outcomes[i].digest.hex, Reference(kSha256, data)) << i;
      } else {
        EXPECT_EQ(outcomes[i].digest.failure, DigestFailure::Abandoned) << i;
      }
    }
    EXPECT_EQ(tally.abandoned, outcomes.size() - (c.inFlightFinish ? 4 : 0));
  }
}

std::atomic<int> reads_seen{0};

ssize_t CountedRead(int descriptor, void* buffer, std::size_t count) {
  ++reads_seen;
  return ::read(descriptor, buffer, count);
}

TEST_F(JobRunTest, APausedRunStartsNothingUntilResumed) {
  Plan plan;
  plan.kind = kSha256Kind;
  const std::string data = PatternBytes(3000, 3);
  for (int i = 0; i < 10; ++i)
    plan.files.push_back({scratch_.write("p" + std::to_string(i), data), ""});
  for (const int threads : {1, 3}) {
    reads_seen = 0;
    JobControl control;
    control.pause();
    std::atomic<int> started{0};
    RunOptions options;
    options.threads = threads;
    options.read = CountedRead;
    options.control = &control;
    options.started = [&](std::size_t) { ++started; };
    Tally tally;
    std::thread owner([&] { tally = engine::Run(plan, options); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(started.load(), 0) << threads;
    EXPECT_EQ(reads_seen.load(), 0) << threads;
    control.resume();
    owner.join();
    EXPECT_EQ(tally.computed, plan.files.size()) << threads;
  }
}

// Counts reads at once per device, large files and small files apart.
struct DeviceReads {
  std::mutex mutex;
  std::map<dev_t, int> largeNow;
  int largeMost = 0;
  int smallNow = 0;
  int smallMost = 0;
} device_reads;

ssize_t DeviceCountingRead(int descriptor, void* buffer, std::size_t count) {
  struct stat status {};
  ::fstat(descriptor, &status);
  const bool large = static_cast<std::uint64_t>(status.st_size) >= kLargeFileBytes;
  {
    std::lock_guard<std::mutex> lock(device_reads.mutex);
    if (large) {
      device_reads.largeMost =
          std::max(device_reads.largeMost, ++device_reads.largeNow[status.st_dev]);
    } else {
      device_reads.smallMost = std::max(device_reads.smallMost, ++device_reads.smallNow);
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(large ? 1 : 30));
  const ssize_t got = ::read(descriptor, buffer, count);
  {
    std::lock_guard<std::mutex> lock(device_reads.mutex);
    if (large) {
      --device_reads.largeNow[status.st_dev];
    } else {
      --device_reads.smallNow;
    }
  }
  return got;
}

TEST_F(JobRunTest, OneLargeFileReaderPerDeviceWhileSmallFilesShare) {
  const std::string large = PatternBytes(kLargeFileBytes, 8);
  const std::string small = PatternBytes(100000, 9);
  Plan plan;
  plan.kind = kSha256Kind;
  for (int i = 0; i < 4; ++i) {
    plan.files.push_back({scratch_.write("large" + std::to_string(i), large), ""});
    plan.files.push_back({scratch_.write("small" + std::to_string(i), small), ""});
    plan.files.push_back({scratch_.write("small-b" + std::to_string(i), small), ""});
  }
  RunOptions options;
  options.threads = 4;
  options.read = DeviceCountingRead;
  options.chunkBytes = 64 * 1024;
  std::size_t checked = 0;
  options.finished = [&](const Outcome& outcome) {
    EXPECT_EQ(outcome.digest.hex, Reference(kSha256, outcome.index % 3 == 0 ? large : small));
    ++checked;
  };
  engine::Run(plan, options);
  EXPECT_EQ(checked, plan.files.size());
  EXPECT_EQ(device_reads.largeMost, 1);
  EXPECT_GE(device_reads.smallMost, 2);
}

// Whether a large file passes the gate rests on how much of it must come
// from the device: pages dropped from memory count, pages kept do not.
TEST_F(JobRunTest, CountsTheBytesThatMustComeFromTheDevice) {
  constexpr std::uint64_t kMiB = 1024 * 1024;
  const std::string data = PatternBytes(16 * kMiB, 10);
  const int descriptor = ::open(scratch_.write("cached", data).c_str(), O_RDONLY);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(::fdatasync(descriptor), 0);
  EXPECT_LT(UncachedBytes(descriptor, data.size(), UINT64_MAX), kLargeFileBytes);
  ::posix_fadvise(descriptor, 0, 12 * kMiB, POSIX_FADV_DONTNEED);
  const std::uint64_t dropped = UncachedBytes(descriptor, data.size(), UINT64_MAX);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  EXPECT_EQ(UncachedBytes(ends[0], 5000, UINT64_MAX), 5000u);
  ::close(ends[0]);
  ::close(ends[1]);
  ::close(descriptor);
  if (dropped == 0) GTEST_SKIP() << "this file system keeps every page in memory";
  EXPECT_GE(dropped, 12 * kMiB);
  EXPECT_LE(dropped, data.size());
}

TEST_F(JobRunTest, EveryListFormIsJudgedMatchedDiffersOrMissing) {
  namespace cl = checksum_list;
  ASSERT_EQ(::mkdir((scratch_ / "files").c_str(), 0700), 0);
  const std::string good = PatternBytes(7000, 1);
  const std::string bad = PatternBytes(7000, 2);
  scratch_.write("files/good", good);
  scratch_.write("files/bad", bad);
  constexpr Combination kCrc32{kDigestCrc32, 0, nullptr};
  const std::string shaGood = Reference(kSha256, good);
  const std::string crcGood = Reference(kCrc32, good);
  const std::string absolute = scratch_ / "files/";
  struct Case {
    const char* listName;
    std::string text;
  } const cases[] = {
      {"files/SHA256SUMS.sha256",
       shaGood + "  good\n" + shaGood + " *bad\n" + shaGood + "  gone\n"},
      {"files/tagged.txt", "SHA256 (good) = " + shaGood + "\nSHA256 (bad) = " + shaGood +
                               "\nSHA256 (gone) = " + shaGood + "\n"},
      {"files/check.sfv",
       "; made by hand\ngood " + crcGood + "\nbad " + crcGood + "\ngone " + crcGood + "\n"},
      {"export.csv", absolute + "good," + shaGood + "\n" + absolute + "bad," + shaGood + "\n" +
                         absolute + "gone," + shaGood + "\n"},
  };
  for (const Case& c : cases) {
    const std::string listPath = scratch_ / c.listName;
    const cl::ListNameHint hint = cl::KindFromListName(listPath);
    cl::ReadOptions read;
    read.listKind = hint.kind;
    read.preferSfv = hint.sfv;
    const std::vector<cl::ListLine> lines = cl::ParseList(c.text, read);
    ASSERT_EQ(lines.size(), 3u) << c.listName;
    Plan plan;
    plan.kind = lines[0].kind;
    for (const cl::ListLine& line : lines) {
      ASSERT_EQ(line.rejection, cl::Rejection::None) << c.listName << " line " << line.lineNumber;
      plan.files.push_back(
          {cl::ResolveListedName(cl::ListFolder(listPath), line.name), line.expectedHex});
    }
    std::vector<Verdict> verdicts;
    RunOptions options;
    options.threads = 2;
    options.finished = [&](const Outcome& outcome) { verdicts.push_back(outcome.verdict); };
    const Tally tally = engine::Run(plan, options);
    EXPECT_EQ(verdicts,
              (std::vector<Verdict>{Verdict::Matched, Verdict::Differs, Verdict::Missing}))
        << c.listName;
    EXPECT_EQ(tally, (Tally{0, 0, 1, 1, 1, 0})) << c.listName;
  }
}

}  // namespace
}  // namespace vandrel::engine

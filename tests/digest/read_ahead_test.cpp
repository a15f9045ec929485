// Tests of the engine with a reading thread: the same digests as zlib and
// libcrypto give in one call, read errors and abandons past the point where
// the thread takes over, and no thread for pipes or small files. Read
// functions injected here record which thread called them, so each test
// can tell that the reading thread really ran.
#include "digest/read_ahead.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include "digest/digest_engine.h"
#include "digest/digest_references.h"
#include "support/scratch_directory.h"
#include "testing/digest_seams.h"

namespace vandrel {
namespace {

using testing::Combination;
using testing::kCombinations;
using testing::PatternBytes;
using testing::Reference;

constexpr std::size_t kChunk = 64 * 1024;

// Which threads called the read function, and how many bytes it handed out.
std::mutex seen_mutex;
std::set<std::thread::id> reading_threads;
std::atomic<std::uint64_t> bytes_handed_out{0};
// The read function fails with EIO once this many bytes were handed out.
std::atomic<std::uint64_t> fail_at{UINT64_MAX};

void ResetSeams() {
  std::lock_guard<std::mutex> lock(seen_mutex);
  reading_threads.clear();
  bytes_handed_out = 0;
  fail_at = UINT64_MAX;
}

std::size_t ReadingThreadCount() {
  std::lock_guard<std::mutex> lock(seen_mutex);
  return reading_threads.size();
}

// read(2), recording the caller; interrupted now and then, and short reads
// of odd lengths, so that chunk seams fall anywhere.
ssize_t RecordingRead(int descriptor, void* buffer, std::size_t count) {
  static std::atomic<unsigned> calls{0};
  {
    std::lock_guard<std::mutex> lock(seen_mutex);
    reading_threads.insert(std::this_thread::get_id());
  }
  const unsigned call = calls++;
  if (call % 7 == 3) {
    errno = EINTR;
    return -1;
  }
  if (bytes_handed_out >= fail_at) {
    errno = EIO;
    return -1;
  }
  std::size_t wanted = call % 5 == 1 ? count / 3 + 1 : count;
  if (fail_at != UINT64_MAX && bytes_handed_out + wanted > fail_at)
    wanted = static_cast<std::size_t>(fail_at - bytes_handed_out);
  const ssize_t got = ::read(descriptor, buffer, wanted);
  if (got > 0) bytes_handed_out += static_cast<std::uint64_t>(got);
  return got;
}

// The engine reads on one thread where the process may use only one CPU.
bool MayUseSeveralCpus() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  return ::sched_getaffinity(0, sizeof cpus, &cpus) != 0 || CPU_COUNT(&cpus) > 1;
}

int TaskCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++count;
  return count;
}

// The threads of this process once those that ended are gone, waiting up to
// three seconds for them to fall to `most`: a joined thread may still be
// listed while it is reaped (for long moments under qemu-user), but one that
// runs on stays.
int TaskCountOnceAtMost(int most) {
  for (int wait = 0; wait < 300 && TaskCount() > most; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return TaskCount();
}

class ReadAheadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const bool registered = RegisterStandardDigests();
    ASSERT_TRUE(registered);
  }

  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    ResetSeams();
    options_.readAhead = true;
    options_.chunkBytes = kChunk;
    options_.read = RecordingRead;
  }

  std::string WriteFile(const std::string& data) {
    const std::string path = scratch_.path() + "/data";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
    return path;
  }

  testing::ScratchDirectory scratch_;
  DigestOptions options_;
};

// Tests that need the reading thread.
class ReadAheadThreadTest : public ReadAheadTest {
 protected:
  void SetUp() override {
    ReadAheadTest::SetUp();
    if (!MayUseSeveralCpus()) GTEST_SKIP() << "this process may run on one CPU only";
  }
};

TEST_F(ReadAheadThreadTest, GivesEveryAlgorithmsDigestAndCountsEveryByte) {
  // Long enough for the ring to go round many times after the hand-over.
  const std::string data = PatternBytes(kReadAheadAfterBytes + 3 * 1024 * 1024 + 5, 21);
  const std::string path = WriteFile(data);
  for (const Combination& combination : kCombinations) {
    SCOPED_TRACE(combination.openssl_name ? combination.openssl_name : "CRC32");
    ResetSeams();
    std::uint64_t last = 0;
    bool rising = true;
    options_.progress = [&](std::uint64_t done, std::uint64_t total) {
      rising = rising && done > last && total == data.size();
      last = done;
      return true;
    };
    const DigestResult result = DigestFile(path, combination.algorithm, combination.bits, options_);
    EXPECT_EQ(result.hex, Reference(combination, data));
    EXPECT_EQ(result.bytesRead, data.size());
    EXPECT_TRUE(rising);
    EXPECT_EQ(last, data.size());
    EXPECT_EQ(ReadingThreadCount(), 2u);
  }
}

TEST_F(ReadAheadThreadTest, FailsWithTheBytesBeforeAReadErrorWhereverItFalls) {
  const std::string data = PatternBytes(kReadAheadAfterBytes + 2 * 1024 * 1024, 22);
  const std::string path = WriteFile(data);
  const std::uint64_t failures[] = {
      kReadAheadAfterBytes,                                  // the reading thread's first read
      kReadAheadAfterBytes + kChunk * kReadAheadSlots + 17,  // after the ring went round
      data.size() - 1,                                       // one byte short of the end
  };
  for (const std::uint64_t at : failures) {
    SCOPED_TRACE(at);
    ResetSeams();
    fail_at = at;
    const DigestResult result = DigestFile(path, kDigestSha2, 256, options_);
    EXPECT_EQ(result.failure, DigestFailure::ReadError);
    EXPECT_EQ(result.error, EIO);
    EXPECT_EQ(result.hex, "");
    EXPECT_EQ(result.bytesRead, at);
    EXPECT_EQ(ReadingThreadCount(), 2u);
  }
}

TEST_F(ReadAheadThreadTest, StopsTheReadingThreadWhenTheDigestIsAbandoned) {
  const std::string data = PatternBytes(kReadAheadAfterBytes + 8 * 1024 * 1024, 23);
  const std::string path = WriteFile(data);
  const std::uint64_t stopAfter = kReadAheadAfterBytes + 2 * kChunk;
  options_.progress = [&](std::uint64_t done, std::uint64_t) { return done < stopAfter; };
  // Counted after a first round, since a sanitizer's runtime may start a
  // thread of its own when the process makes its first one.
  int tasksAfterFirst = 0;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ResetSeams();
    const DigestResult result = DigestFile(path, kDigestMd5, 0, options_);
    EXPECT_EQ(result.failure, DigestFailure::Abandoned);
    EXPECT_GE(result.bytesRead, stopAfter);
    EXPECT_LT(result.bytesRead, stopAfter + kChunk);
    // The reader ran ahead by at most the ring, and has been joined.
    EXPECT_LE(bytes_handed_out.load(), result.bytesRead + (kReadAheadSlots + 1) * kChunk);
    EXPECT_EQ(ReadingThreadCount(), 2u);
    if (round == 0) tasksAfterFirst = TaskCount();
  }
  EXPECT_LE(TaskCountOnceAtMost(tasksAfterFirst), tasksAfterFirst);
}

TEST_F(ReadAheadThreadTest, HandsOverOnlyOnceACpuIsSpareAndThenStopsAsking) {
  const std::string data = PatternBytes(kReadAheadAfterBytes + 2 * 1024 * 1024, 26);
  const std::string path = WriteFile(data);
  struct Case {
    int busyAnswers;  // how many times the question is answered no first
    std::size_t readingThreads;
  };
  for (const Case c : {Case{0, 2}, Case{5, 2}, Case{INT_MAX, 1}}) {
    SCOPED_TRACE(c.busyAnswers);
    ResetSeams();
    int asked = 0;
    options_.spareCpu = [&] { return asked++ >= c.busyAnswers; };
    const DigestResult result = DigestFile(path, kDigestSha2, 256, options_);
    EXPECT_EQ(result.hex, Reference(kCombinations[4], data));
    EXPECT_EQ(ReadingThreadCount(), c.readingThreads);
    if (c.readingThreads == 2) {
      EXPECT_EQ(asked, c.busyAnswers + 1);
    } else {
      EXPECT_GT(asked, 0);
    }
  }
}

TEST_F(ReadAheadTest, KeepsSmallFilesAndPipesOnTheCallingThread) {
  const std::string small = PatternBytes(kReadAheadAfterBytes - 1, 24);
  EXPECT_EQ(DigestFile(WriteFile(small), kDigestSha1, 0, options_).hex,
            Reference(kCombinations[2], small));
  EXPECT_EQ(ReadingThreadCount(), 1u);

  // A pipe's writer may keep it open without writing; a reader blocked
  // there would hold up an abandoned digest.
  ResetSeams();
  const std::string big = PatternBytes(kReadAheadAfterBytes + 1024 * 1024, 25);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([&] {
    for (std::size_t written = 0; written < big.size();) {
      const ssize_t n = ::write(ends[1], big.data() + written, big.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    ::close(ends[1]);
  });
  const DigestResult piped = DigestOpenDescriptor(ends[0], kDigestCrc32, 0, options_);
  writer.join();
  ::close(ends[0]);
  EXPECT_EQ(piped.hex, Reference(kCombinations[0], big));
  EXPECT_EQ(ReadingThreadCount(), 1u);
}

}  // namespace
}  // namespace vandrel

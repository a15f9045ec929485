// Tests of the digest engine's front end: reading across chunk boundaries,
// size rules, the algorithm table, refused and failing files, and calls on
// several threads at once. References come from one-shot calls of zlib and
// libcrypto on the same bytes, never from the engine's own read loop.
#include "digest/digest_engine.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "digest/digest_references.h"
#include "support/scratch_directory.h"
#include "testing/digest_seams.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using testing::Combination;
using testing::kCombinations;
using testing::PatternBytes;
using testing::Reference;

constexpr std::size_t kMiB = 1024 * 1024;

// Reader seams. Each test that uses one resets the call counter first.
std::atomic<int> reader_calls{0};

ssize_t FailAfterFirstChunk(int descriptor, void* buffer, std::size_t count) {
  if (reader_calls++ == 0) return ::read(descriptor, buffer, count);
  errno = EIO;
  return -1;
}

// Interrupts every other call and otherwise hands out at most 777 bytes.
ssize_t InterruptedAndShortReads(int descriptor, void* buffer, std::size_t count) {
  if (reader_calls++ % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  return ::read(descriptor, buffer, count < 777 ? count : 777);
}

// A test-only algorithm: its output is the total byte count (8 bytes) and
// the largest single update (4 bytes), both most significant byte first.
struct CountingContext : DigestContext {
  std::uint64_t total = 0;
  std::uint32_t largest = 0;
};

DigestContext* CountingInit(std::int32_t) {
  auto context = std::make_unique<CountingContext>();
  context->bits = 96;
  return context.release();
}
void CountingUpdate(DigestContext* context, const std::uint8_t*, std::size_t count) {
  auto* counting = static_cast<CountingContext*>(context);
  counting->total += count;
  if (count > counting->largest) counting->largest = static_cast<std::uint32_t>(count);
}
void CountingFinal(DigestContext* context) {
  auto* counting = static_cast<CountingContext*>(context);
  for (int i = 0; i < 8; ++i)
    counting->output[i] = static_cast<std::uint8_t>(counting->total >> (56 - 8 * i));
  for (int i = 0; i < 4; ++i)
    counting->output[8 + i] = static_cast<std::uint8_t>(counting->largest >> (24 - 8 * i));
}
void CountingFree(DigestContext* context) {
  std::unique_ptr<CountingContext> owned(static_cast<CountingContext*>(context));
}

int OpenDescriptorCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

class DigestEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const bool registered = RegisterStandardDigests();
    ASSERT_TRUE(registered);
  }

  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string WriteFile(const std::string& name, const std::string& data) {
    const std::string path = directory_ + "/" + name;
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }

  testing::ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

TEST_F(DigestEngineTest, AgreesWithOneShotDigestsAcrossChunkBoundaries) {
  const std::size_t sizes[] = {0, 1, kMiB - 1, kMiB, kMiB + 1, 3 * kMiB + 5};
  for (std::size_t size : sizes) {
    const std::string data = PatternBytes(size, static_cast<std::uint32_t>(size));
    const std::string path = WriteFile("chunk" + std::to_string(size), data);
    for (const Combination& combination : kCombinations) {
      EXPECT_EQ(FileDigest(path, combination.algorithm, combination.bits),
                Reference(combination, data))
          << "size " << size << ", algorithm " << combination.algorithm << "/" << combination.bits;
    }
  }
  // The program's own name for a digest reaches the same operations.
  for (const DigestKindName& named : kDigestKindNames) {
    EXPECT_EQ(DigestFile(WriteFile("kind", "abc"), named.kind).hex,
              FileDigest(WriteFile("kind", "abc"), Info(named.kind.algorithm).registryNumber,
                         named.kind.bits))
        << named.name;
  }
}

TEST_F(DigestEngineTest, ReadsInRequestsOfOneMebibyteAndPassesEveryByteOn) {
  ASSERT_TRUE(RegisterDigest(42, {CountingInit, CountingUpdate, CountingFinal, CountingFree}));
  const std::string path = WriteFile("big", PatternBytes(3 * kMiB + 5, 7));
  EXPECT_EQ(FileDigest(path, 42), "000000000030000500100000");
}

TEST_F(DigestEngineTest, TreatsBitsZeroAsTwoHundredFiftySix) {
  const std::string path = WriteFile("abc", "abc");
  EXPECT_EQ(FileDigest(path, kDigestSha2, 0),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(FileDigest(path, kDigestSha3, 0),
            "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532");
  EXPECT_EQ(FileDigest(path, kDigestSha2), FileDigest(path, kDigestSha2, 256));
  EXPECT_EQ(FileDigest(path, kDigestSha3), FileDigest(path, kDigestSha3, 256));
}

TEST_F(DigestEngineTest, GivesTheEmptyTextForSizesSha2AndSha3DoNotOffer) {
  const std::string path = WriteFile("abc", "abc");
  for (std::int32_t bits : {-256, -1, 1, 32, 128, 160, 255, 257, 1024}) {
    EXPECT_EQ(FileDigest(path, kDigestSha2, bits), "") << bits;
    EXPECT_EQ(FileDigest(path, kDigestSha3, bits), "") << bits;
  }
}

TEST_F(DigestEngineTest, IgnoresBitsForCrc32Md5AndSha1) {
  const std::string path = WriteFile("abc", "abc");
  for (std::int32_t bits : {0, -1, 7, 224, 512, 99999}) {
    EXPECT_EQ(FileDigest(path, kDigestCrc32, bits), "352441c2") << bits;
    EXPECT_EQ(FileDigest(path, kDigestMd5, bits), "900150983cd24fb0d6963f7d28e17f72") << bits;
    EXPECT_EQ(FileDigest(path, kDigestSha1, bits), "a9993e364706816aba3e25717850c26c9cd0d89d")
        << bits;
  }
}

TEST_F(DigestEngineTest, GivesTheEmptyTextForNumbersThatAreNotRegistered) {
  const std::string path = WriteFile("abc", "abc");
  for (std::int32_t algorithm : {0, 6, -1, 1000}) EXPECT_EQ(FileDigest(path, algorithm), "");
}

TEST_F(DigestEngineTest, RefusesASecondRegistrationAndKeepsTheFirst) {
  EXPECT_FALSE(RegisterStandardDigests());
  EXPECT_FALSE(
      RegisterDigest(kDigestMd5, {CountingInit, CountingUpdate, CountingFinal, CountingFree}));
  const std::string path = WriteFile("abc", "abc");
  EXPECT_EQ(FileDigest(path, kDigestMd5), "900150983cd24fb0d6963f7d28e17f72");
}

TEST_F(DigestEngineTest, RefusesOperationSetsWithAMissingOperation) {
  EXPECT_FALSE(RegisterDigest(77, {CountingInit, CountingUpdate, CountingFinal, nullptr}));
  EXPECT_FALSE(RegisterDigest(77, {nullptr, CountingUpdate, CountingFinal, CountingFree}));
  EXPECT_EQ(FileDigest(WriteFile("abc", "abc"), 77), "");
}

TEST_F(DigestEngineTest, GivesTheEmptyTextForAMissingFileOrNoPath) {
  EXPECT_EQ(FileDigest(directory_ + "/absent", kDigestMd5), "");
  EXPECT_EQ(FileDigest("", kDigestMd5), "");
}

TEST_F(DigestEngineTest, GivesTheEmptyInputDigestForADirectory) {
  EXPECT_EQ(FileDigest(directory_, kDigestCrc32), "00000000");
  EXPECT_EQ(FileDigest(directory_ + "/", kDigestMd5), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(FileDigest(directory_, kDigestSha3, 224),
            "6b4e03423667dbb73b6e15454f0eb1abd4597f9a1b078e3f5b5a6bc7");
}

TEST_F(DigestEngineTest, GivesTheEmptyTextForAFileItMayNotRead) {
  ASSERT_EQ(chmod(directory_.c_str(), 0755), 0);
  const std::string secret = WriteFile("secret", "abc");
  const std::string open = WriteFile("open", "abc");
  ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
  ASSERT_EQ(chmod(open.c_str(), 0644), 0);
  const char* kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";

  if (geteuid() != 0) {
    ASSERT_EQ(chmod(secret.c_str(), 0), 0);
    EXPECT_EQ(FileDigest(secret, kDigestMd5), "");
    EXPECT_EQ(FileDigest(open, kDigestMd5), kAbcMd5);
    return;
  }
  // Root reads everything, so the check runs in a child that became nobody.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
        setresuid(kNobody, kNobody, kNobody) != 0) {
      _exit(4);
    }
    int code = 0;
    if (!FileDigest(secret, kDigestMd5).empty()) code |= 1;
    if (FileDigest(open, kDigestMd5) != kAbcMd5) code |= 2;
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status) & 1, 1) << "an unreadable file gave a digest";
  EXPECT_NE(WEXITSTATUS(status) & 2, 2) << "a readable file failed as nobody";
  EXPECT_NE(WEXITSTATUS(status), 4) << "could not drop privileges";
}

TEST_F(DigestEngineTest, RefusesANamedPipeAtOnceInsteadOfWaitingForAWriter) {
  const std::string fifo = directory_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto result = std::async(std::launch::async, [&] { return FileDigest(fifo, kDigestMd5); });
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Release the blocked reader so that the test can end, then fail.
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    result.wait();
    FAIL() << "FileDigest blocked on a named pipe";
  }
  EXPECT_EQ(result.get(), "");
}

TEST_F(DigestEngineTest, RefusesCharacterDevicesAndSockets) {
  EXPECT_EQ(FileDigest("/dev/null", kDigestCrc32), "");

  const std::string socketPath = directory_ + "/socket";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  EXPECT_EQ(FileDigest(socketPath, kDigestCrc32), "");
  ::close(listener);
}

TEST_F(DigestEngineTest, FailsWhenAReadErrorCutsTheFileShort) {
  const std::string path = WriteFile("big", PatternBytes(3 * kMiB, 3));
  reader_calls = 0;
  EXPECT_EQ(FileDigestWithReader(path, kDigestSha2, 256, FailAfterFirstChunk), "");
  EXPECT_EQ(reader_calls.load(), 2);
  // The same file reads fine without the injected error.
  EXPECT_EQ(FileDigestWithReader(path, kDigestSha2, 256, ::read).size(), 64u);
}

TEST_F(DigestEngineTest, FailsOnAReadErrorReportedByTheKernel) {
  // Reading this process's memory at offset 0 fails with EIO at once; the
  // file itself opens as a regular file.
  EXPECT_EQ(FileDigest("/proc/self/mem", kDigestMd5), "");
}

TEST_F(DigestEngineTest, RetriesInterruptedReadsAndKeepsReadingAfterShortOnes) {
  const std::string data = PatternBytes(kMiB + 3, 11);
  const std::string path = WriteFile("data", data);
  reader_calls = 0;
  EXPECT_EQ(FileDigestWithReader(path, kDigestSha1, 0, InterruptedAndShortReads),
            Reference(kCombinations[2], data));
  EXPECT_GT(reader_calls.load(), 2 * static_cast<int>(kMiB / 777));
}

TEST_F(DigestEngineTest, SaysWhyNoDigestCouldBeMade) {
  const std::string big = WriteFile("reasons", PatternBytes(3 * kMiB, 5));
  const std::string fifo = directory_ + "/reasons-fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const DigestOptions plain;
  DigestOptions failing;
  failing.read = FailAfterFirstChunk;
  struct Case {
    std::string path;
    DigestOptions options;
    DigestFailure failure;
    std::string reason;
  };
  const Case cases[] = {
      {directory_ + "/absent", plain, DigestFailure::CannotOpen,
       "cannot open: no such file or directory"},
      {fifo, plain, DigestFailure::NotAFile, "not a regular file"},
      {big, failing, DigestFailure::ReadError,
       "read error after 1048576 bytes: input/output error"},
  };
  for (const Case& c : cases) {
    reader_calls = 0;
    const DigestResult result = DigestFile(c.path, kDigestSha2, 256, c.options);
    EXPECT_EQ(result.failure, c.failure) << c.path;
    EXPECT_EQ(result.hex, "") << c.path;
    EXPECT_EQ(DescribeDigestFailure(result), c.reason) << c.path;
  }
}

TEST_F(DigestEngineTest, ReportsProgressAgainstTheFileSizeAndStopsWhenAsked) {
  const std::string data = PatternBytes(5 * kMiB + 7, 9);
  const std::string path = WriteFile("progress", data);
  std::vector<std::uint64_t> seen;
  DigestOptions options;
  options.progress = [&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, data.size());
    seen.push_back(done);
    return true;
  };
  EXPECT_EQ(DigestFile(path, kDigestMd5, 0, options).hex, Reference(kCombinations[1], data));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), data.size());

  int calls = 0;
  options.progress = [&](std::uint64_t, std::uint64_t) { return ++calls < 2; };
  const DigestResult abandoned = DigestFile(path, kDigestMd5, 0, options);
  EXPECT_EQ(abandoned.failure, DigestFailure::Abandoned);
  EXPECT_EQ(abandoned.hex, "");
  EXPECT_EQ(abandoned.bytesRead, 2 * kMiB);
}

TEST_F(DigestEngineTest, DigestsWhatAPipeCarries) {
  const std::string data = PatternBytes(2 * kMiB + 1, 4);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([&] {
    std::size_t written = 0;
    while (written < data.size()) {
      const ssize_t n = ::write(ends[1], data.data() + written, data.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    ::close(ends[1]);
  });
  const DigestResult result = DigestOpenDescriptor(ends[0], kDigestSha3, 512);
  writer.join();
  ::close(ends[0]);
  EXPECT_EQ(result.hex, Reference(kCombinations[10], data));
}

TEST_F(DigestEngineTest, ClosesEveryFileItOpens) {
  const std::string path = WriteFile("abc", "abc");
  const std::string fifo = directory_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int before = OpenDescriptorCount();
  for (int i = 0; i < 20; ++i) {
    FileDigest(path, kDigestMd5);
    FileDigest(path, kDigestSha2, 1);  // refused size
    FileDigest(directory_, kDigestSha1);
    FileDigest(fifo, kDigestCrc32);
    reader_calls = 0;
    FileDigestWithReader(path, kDigestMd5, 0, FailAfterFirstChunk);
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(DigestEngineTest, GivesCorrectResultsOnSeveralThreadsAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 6;
  std::vector<std::string> paths;
  std::vector<std::vector<std::string>> expected(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    const std::string data = PatternBytes(kMiB + 1000 * t, 100 + t);
    paths.push_back(WriteFile("thread" + std::to_string(t), data));
    for (const Combination& combination : kCombinations) {
      expected[t].push_back(Reference(combination, data));
    }
  }
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        const std::size_t index = (t * 3 + round) % std::size(kCombinations);
        const Combination& combination = kCombinations[index];
        if (FileDigest(paths[t], combination.algorithm, combination.bits) != expected[t][index]) {
          ++mismatches;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace vandrel

// Throughput of FileDigest against a bare read-and-update loop over the same
// libraries, for every algorithm and size, on one large file in the page
// cache; libdeflate's CRC-32 against zlib's; and the peak memory one
// FileDigest call adds. Prints a summary table after the benchmark's own.
//
// With "--digest ALGORITHM BITS PATH" it only prints FileDigest's result,
// which bench/compare-tools times against the system's digest tools; with
// "--stream ALGORITHM BITS READ_BYTES PATH" DigestOpenDescriptor's at that read
// size; with "--zlib-crc32 READ_BYTES PATH" the CRC-32 of a plain loop of
// read() and zlib's crc32(), the baseline for the engine's CRC32.
// VANDREL_BENCH_MIB sets the file size (default 256), VANDREL_BENCH_ROUNDS
// the number of alternating FileDigest / bare-loop rounds (default 3).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libdeflate.h>
#include <malloc.h>
#include <openssl/evp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "digest/digest_engine.h"
#include "testing/digest_seams.h"

namespace {

using vandrel::FileDigest;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kChunk = vandrel::kDigestChunkBytes;

struct Combination {
  const char* label;
  std::int32_t algorithm;
  std::int32_t bits;
  const char* openssl_name;  // nullptr: CRC-32 through libdeflate
};

constexpr Combination kCombinations[] = {
    {"CRC32", vandrel::kDigestCrc32, 0, nullptr},
    {"MD5", vandrel::kDigestMd5, 0, "MD5"},
    {"SHA1", vandrel::kDigestSha1, 0, "SHA1"},
    {"SHA2-224", vandrel::kDigestSha2, 224, "SHA2-224"},
    {"SHA2-256", vandrel::kDigestSha2, 256, "SHA2-256"},
    {"SHA2-384", vandrel::kDigestSha2, 384, "SHA2-384"},
    {"SHA2-512", vandrel::kDigestSha2, 512, "SHA2-512"},
    {"SHA3-224", vandrel::kDigestSha3, 224, "SHA3-224"},
    {"SHA3-256", vandrel::kDigestSha3, 256, "SHA3-256"},
    {"SHA3-384", vandrel::kDigestSha3, 384, "SHA3-384"},
    {"SHA3-512", vandrel::kDigestSha3, 512, "SHA3-512"},
};

struct FreeRelease {
  void operator()(void* memory) const { std::free(memory); }
};
struct MdRelease {
  void operator()(EVP_MD* md) const { EVP_MD_free(md); }
};
struct MdContextRelease {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class Descriptor {
 public:
  explicit Descriptor(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string test_file;
std::uint64_t test_file_bytes = 0;

// Reads the whole test file in 1 MiB requests into `buffer`, handing every
// chunk to `consume`. Returns false on a read error.
template <typename Consume>
bool ReadFileChunks(std::uint8_t* buffer, Consume&& consume) {
  Descriptor file(test_file);
  if (file.get() < 0) return false;
  (void)::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, kChunk);
    if (got > 0) {
      consume(buffer, static_cast<std::size_t>(got));
    } else if (got == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
}

void BenchFileDigest(benchmark::State& state, Combination combination) {
  for (auto _ : state) {
    const std::string digest = FileDigest(test_file, combination.algorithm, combination.bits);
    if (digest.empty()) state.SkipWithError("FileDigest failed");
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * test_file_bytes));
}

// The same work without the engine: one buffer made once, the library called
// directly on every chunk.
void BenchBareLoop(benchmark::State& state, Combination combination) {
  std::unique_ptr<std::uint8_t, FreeRelease> buffer(
      static_cast<std::uint8_t*>(std::aligned_alloc(4096, kChunk)));
  std::memset(buffer.get(), 0, kChunk);
  std::unique_ptr<EVP_MD, MdRelease> md;
  if (combination.openssl_name != nullptr) {
    md.reset(EVP_MD_fetch(nullptr, combination.openssl_name, nullptr));
  }
  for (auto _ : state) {
    unsigned char out[EVP_MAX_MD_SIZE];
    if (!md) {
      std::uint32_t crc = 0;
      ReadFileChunks(buffer.get(), [&](const std::uint8_t* data, std::size_t count) {
        crc = libdeflate_crc32(crc, data, count);
      });
      benchmark::DoNotOptimize(crc);
      continue;
    }
    std::unique_ptr<EVP_MD_CTX, MdContextRelease> context(EVP_MD_CTX_new());
    EVP_DigestInit_ex2(context.get(), md.get(), nullptr);
    ReadFileChunks(buffer.get(), [&](const std::uint8_t* data, std::size_t count) {
      EVP_DigestUpdate(context.get(), data, count);
    });
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), out, &length);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * test_file_bytes));
}

void BenchZlibCrc32(benchmark::State& state) {
  std::unique_ptr<std::uint8_t, FreeRelease> buffer(
      static_cast<std::uint8_t*>(std::aligned_alloc(4096, kChunk)));
  std::memset(buffer.get(), 0, kChunk);
  for (auto _ : state) {
    uLong crc = crc32(0, nullptr, 0);
    ReadFileChunks(buffer.get(), [&](const std::uint8_t* data, std::size_t count) {
      crc = crc32(crc, data, static_cast<uInt>(count));
    });
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * test_file_bytes));
}

// Keeps the best throughput seen per benchmark name: on a shared machine the
// fastest round is the one least disturbed by others.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const auto counter = run.counters.find("bytes_per_second");
      if (counter == run.counters.end()) continue;
      double& best = best_[run.benchmark_name()];
      best = std::max(best, static_cast<double>(counter->second));
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Best(const std::string& name) const {
    const auto found = best_.find(name);
    return found == best_.end() ? 0.0 : found->second;
  }

 private:
  std::map<std::string, double> best_;
};

long StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t keyLength = std::strlen(key);
  while (std::getline(status, line)) {
    if (line.compare(0, keyLength, key) == 0 && line.size() > keyLength && line[keyLength] == ':') {
      return std::strtol(line.c_str() + keyLength + 1, nullptr, 10);
    }
  }
  return -1;
}

// Peak resident memory a FileDigest call adds, measured in a fresh child so
// that the benchmark's own buffers do not hide it. The child first digests a
// small file, so that library code pages it maps on first touch are not
// counted, with a fixed mmap threshold, so that the 1 MiB buffer comes fresh
// from the system each time instead of from a heap already made resident by
// the warm-up. Then it resets its high-water mark, digests the big file and
// reports peak minus starting size.
long PeakKiBOfOneCall(const Combination& combination, const std::string& smallFile) {
  int channel[2];
  if (::pipe(channel) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    long delta = -1;
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    FileDigest(smallFile, combination.algorithm, combination.bits);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKiB("VmRSS");
    const std::string digest = FileDigest(test_file, combination.algorithm, combination.bits);
    const long peak = StatusKiB("VmHWM");
    if (!digest.empty() && before >= 0 && peak >= 0) delta = peak - before;
    const ssize_t written = ::write(channel[1], &delta, sizeof delta);
    ::_exit(written == sizeof delta ? 0 : 1);
  }
  ::close(channel[1]);
  long delta = -1;
  if (child < 0 || ::read(channel[0], &delta, sizeof delta) != sizeof delta) delta = -1;
  ::close(channel[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return delta;
}

bool MakeTestFile(const std::string& directory, std::size_t mib) {
  test_file = directory + "/digest-bench.bin";
  std::ofstream out(test_file, std::ios::binary);
  std::vector<char> block(kMiB);
  std::uint32_t state = 12345;
  for (std::size_t m = 0; m < mib; ++m) {
    for (char& c : block) {
      state = state * 1664525u + 1013904223u;
      c = static_cast<char>(state >> 24);
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  out.close();
  test_file_bytes = static_cast<std::uint64_t>(mib) * kMiB;
  if (!out) return false;
  // Read it once so that every measurement starts from the page cache.
  std::unique_ptr<std::uint8_t, FreeRelease> buffer(
      static_cast<std::uint8_t*>(std::aligned_alloc(4096, kChunk)));
  return ReadFileChunks(buffer.get(), [](const std::uint8_t*, std::size_t) {});
}

std::size_t EnvironmentNumber(const char* name, std::size_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr) return fallback;
  const long value = std::strtol(text, nullptr, 10);
  return value > 0 ? static_cast<std::size_t>(value) : fallback;
}

void PrintSummary(const SummaryReporter& reporter) {
  constexpr double kMB = 1e6;
  std::printf("\nFileDigest against the bare loop (best round, MB/s = 10^6 bytes/s, CPU time)\n");
  std::printf("%-10s %12s %12s %8s  %s\n", "algorithm", "FileDigest", "bare loop", "ratio",
              "target >= 97%");
  for (const Combination& combination : kCombinations) {
    const double engine = reporter.Best(std::string("FileDigest/") + combination.label);
    const double bare = reporter.Best(std::string("BareLoop/") + combination.label);
    const double ratio = bare > 0 ? engine / bare : 0;
    std::printf("%-10s %12.0f %12.0f %7.1f%%  %s\n", combination.label, engine / kMB, bare / kMB,
                100 * ratio, ratio >= 0.97 ? "met" : "MISSED");
  }
  const double libdeflate = reporter.Best("FileDigest/CRC32");
  const double zlib = reporter.Best("ZlibCrc32");
  std::printf("\nCRC32: FileDigest %.0f MB/s, zlib crc32 %.0f MB/s, %.2fx (target >= 2x: %s)\n",
              libdeflate / kMB, zlib / kMB, zlib > 0 ? libdeflate / zlib : 0,
              zlib > 0 && libdeflate / zlib >= 2 ? "met" : "MISSED");
}

void PrintMemory(const std::string& smallFile) {
  std::printf(
      "\nPeak memory one FileDigest call adds over a %llu MiB file (KiB; buffer is %zu KiB)\n",
      static_cast<unsigned long long>(test_file_bytes / kMiB), kChunk / 1024);
  for (const Combination& combination : kCombinations) {
    std::printf("%-10s %6ld KiB\n", combination.label, PeakKiBOfOneCall(combination, smallFile));
  }
}

// The plain loop a CRC-32 tool without libdeflate would run.
int PrintZlibCrc32(std::size_t readBytes, const char* path) {
  const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0 || readBytes == 0) return 1;
  std::vector<unsigned char> buffer(readBytes);
  uLong crc = crc32(0, nullptr, 0);
  ssize_t got = 0;
  while ((got = ::read(descriptor, buffer.data(), buffer.size())) > 0) {
    crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
  }
  ::close(descriptor);
  if (got < 0) return 1;
  std::printf("%08lx\n", crc);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!vandrel::RegisterStandardDigests()) {
    std::fprintf(stderr, "digest registration failed\n");
    return 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "--digest") == 0) {
    const std::string digest = FileDigest(argv[4], static_cast<std::int32_t>(std::atoi(argv[2])),
                                          static_cast<std::int32_t>(std::atoi(argv[3])));
    std::printf("%s\n", digest.c_str());
    return digest.empty() ? 1 : 0;
  }

  if (argc == 6 && std::strcmp(argv[1], "--stream") == 0) {
    vandrel::DigestOptions options;
    options.chunkBytes = std::strtoull(argv[4], nullptr, 10);
    const int descriptor = ::open(argv[5], O_RDONLY | O_CLOEXEC);
    const vandrel::DigestResult result =
        vandrel::DigestOpenDescriptor(descriptor, static_cast<std::int32_t>(std::atoi(argv[2])),
                                      static_cast<std::int32_t>(std::atoi(argv[3])), options);
    if (descriptor >= 0) ::close(descriptor);
    std::printf("%s\n", result.hex.c_str());
    return result.hex.empty() ? 1 : 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--zlib-crc32") == 0) {
    return PrintZlibCrc32(std::strtoull(argv[2], nullptr, 10), argv[3]);
  }

  benchmark::Initialize(&argc, argv);
  char pattern[] = "/tmp/vandrel-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const std::string directory = pattern;
  const std::size_t mib = EnvironmentNumber("VANDREL_BENCH_MIB", 256);
  const std::size_t rounds = EnvironmentNumber("VANDREL_BENCH_ROUNDS", 3);
  int status = 1;
  if (MakeTestFile(directory, mib)) {
    const std::string smallFile = directory + "/warm.bin";
    std::ofstream(smallFile, std::ios::binary) << std::string(4096, 'w');
    PrintMemory(smallFile);
    std::printf("\n");
    // FileDigest and its bare loop alternate, so that a busy moment of the
    // machine hits both rather than one.
    for (std::size_t round = 0; round < rounds; ++round) {
      for (const Combination& combination : kCombinations) {
        benchmark::RegisterBenchmark((std::string("FileDigest/") + combination.label).c_str(),
                                     BenchFileDigest, combination);
        benchmark::RegisterBenchmark((std::string("BareLoop/") + combination.label).c_str(),
                                     BenchBareLoop, combination);
      }
      benchmark::RegisterBenchmark("ZlibCrc32", BenchZlibCrc32);
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    status = 0;
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  benchmark::Shutdown();
  return status;
}

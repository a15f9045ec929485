// How well one file's job overlaps reading with digesting: the engine reads
// through a read function paced to a fixed rate R while the digest runs at
// its rate C, and the job's rate is reported as a share of min(R, C) (the
// counter "of_min"; 1.0 is perfect overlap, R*C/(R+C) / min(R, C) is none).
//
// Two digests: SHA-256 itself, with C measured in the same run as the
// engine's rate over the same file when reads cost nothing, and a stand-in
// paced to C by the clock, which shows the overlap alone, whatever else the
// machine is doing. R = C and R = C / 2 for each.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "job_engine/job_engine.h"

namespace {

using Clock = std::chrono::steady_clock;
using vandrel::engine::Plan;
using vandrel::engine::RunOptions;

constexpr std::size_t kFileBytes = 256u << 20;
// The engine runs the families it knows: the stand-in takes SHA-3's place
// in this process's registry, which has no other use for SHA-3.
constexpr vandrel::DigestKind kPacedDigest{vandrel::Algorithm::Sha3, 256};
constexpr vandrel::DigestKind kSha256{vandrel::Algorithm::Sha2, 256};

// Pacing by a running deadline: each call's bytes push the deadline on by
// bytes / rate, and the call returns no earlier than it, so the average rate
// is exact even though one sleep is coarse.
struct Pace {
  double bytesPerSecond = 0;
  Clock::time_point ready;

  void take(std::size_t bytes) {
    const Clock::time_point now = Clock::now();
    if (ready < now - std::chrono::milliseconds(20)) ready = now;  // no credit for idle time
    ready += std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) / bytesPerSecond));
    std::this_thread::sleep_until(ready);
  }
};

Pace read_pace;

ssize_t PacedRead(int descriptor, void* buffer, std::size_t count) {
  const ssize_t got = ::read(descriptor, buffer, count);
  if (got > 0) read_pace.take(static_cast<std::size_t>(got));
  return got;
}

double paced_digest_rate = 0;

struct PacedContext : vandrel::DigestContext {
  Pace pace;
};

vandrel::DigestContext* PacedInit(std::int32_t) {
  auto* context = new PacedContext;
  context->pace.bytesPerSecond = paced_digest_rate;
  return context;
}
void PacedUpdate(vandrel::DigestContext* context, const std::uint8_t*, std::size_t count) {
  static_cast<PacedContext*>(context)->pace.take(count);
}
void PacedFinal(vandrel::DigestContext* context) { context->bits = 32; }
void PacedFree(vandrel::DigestContext* context) { delete static_cast<PacedContext*>(context); }

const std::string& DataFile() {
  static const std::string path = [] {
    std::string name = "/tmp/vandrel-overlap-XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    for (std::size_t done = 0; done < kFileBytes; done += block.size()) {
      if (::write(descriptor, block.data(), block.size()) < 0) std::abort();
    }
    ::close(descriptor);
    std::atexit([] { ::unlink(DataFile().c_str()); });
    return name;
  }();
  return path;
}

// Reads that cost nothing: the file position moves on, no byte is copied.
ssize_t FreeRead(int descriptor, void*, std::size_t count) {
  struct stat status {};
  const off_t at = ::lseek(descriptor, 0, SEEK_CUR);
  if (at < 0 || ::fstat(descriptor, &status) != 0) return -1;
  const auto left = static_cast<std::size_t>(std::max<off_t>(status.st_size - at, 0));
  const std::size_t got = std::min(count, left);
  ::lseek(descriptor, static_cast<off_t>(got), SEEK_CUR);
  return static_cast<ssize_t>(got);
}

// SHA-256's rate C as the engine digests one file when reading costs
// nothing: the best of three jobs, in bytes per second.
double Sha256RateInTheEngine() {
  static const double rate = [] {
    Plan plan;
    plan.kind = kSha256;
    plan.files.push_back({DataFile(), ""});
    RunOptions options;
    options.threads = 1;
    options.read = FreeRead;
    options.readAhead = false;
    options.chunkBytes = 256 * 1024;
    double best = 0;
    for (int pass = 0; pass < 3; ++pass) {
      const Clock::time_point start = Clock::now();
      vandrel::engine::Run(plan, options);
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      best = std::max(best, static_cast<double>(kFileBytes) / seconds);
    }
    return best;
  }();
  return rate;
}

// state.range(0): 0 for SHA-256, 1 for the paced stand-in; range(1): R as a
// share of C in percent.
void OneFileJob(benchmark::State& state) {
  static const bool registered = [] {
    const bool standIn = vandrel::RegisterDigest(
        vandrel::Info(kPacedDigest.algorithm).registryNumber,
        vandrel::DigestOperations{PacedInit, PacedUpdate, PacedFinal, PacedFree});
    vandrel::RegisterStandardDigests();  // all but SHA-3, which is taken
    return standIn;
  }();
  if (!registered) {
    state.SkipWithError("cannot register the paced digest");
    return;
  }
  const bool paced = state.range(0) == 1;
  // The stand-in runs at 400 MB/s: slow enough that the pacing is exact.
  const double digestRate = paced ? 400e6 : Sha256RateInTheEngine();
  paced_digest_rate = digestRate;
  read_pace.bytesPerSecond = digestRate * static_cast<double>(state.range(1)) / 100;
  Plan plan;
  plan.kind = paced ? kPacedDigest : kSha256;
  plan.files.push_back({DataFile(), ""});
  RunOptions options;
  options.threads = 1;
  options.read = PacedRead;
  options.chunkBytes = 256 * 1024;
  bool digested = true;
  options.finished = [&digested](const vandrel::engine::Outcome& outcome) {
    digested = !outcome.digest.hex.empty();
  };
  double bestRate = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    vandrel::engine::Run(plan, options);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bestRate = std::max(bestRate, static_cast<double>(kFileBytes) / seconds);
  }
  if (!digested) state.SkipWithError("the job made no digest");
  const double limit = std::min(read_pace.bytesPerSecond, digestRate);
  state.counters["C_MBps"] = digestRate / 1e6;
  state.counters["R_MBps"] = read_pace.bytesPerSecond / 1e6;
  state.counters["job_MBps"] = bestRate / 1e6;
  state.counters["of_min"] = bestRate / limit;
  state.counters["no_overlap"] =
      read_pace.bytesPerSecond * digestRate / (read_pace.bytesPerSecond + digestRate) / limit;
}

BENCHMARK(OneFileJob)
    ->ArgNames({"paced", "R_pct_of_C"})
    ->Args({0, 100})
    ->Args({0, 50})
    ->Args({1, 100})
    ->Args({1, 50})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

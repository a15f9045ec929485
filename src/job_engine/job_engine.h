// The job engine: digests the files of a job on a pool of threads and hands
// back each file's outcome in list order, for the window's job and for
// vandrelsum alike. Needs no display.
//
// Design: one pool, two faces. The owner of a JobRun (vandrelsum) adds
// entries one by one, in list order, and waits when too many are held; the
// owner of a PolledRun (the window) has the whole plan and never waits: each
// poll() tops the held entries up from the plan and takes what has come
// back. Either way entries go to a queue that the pool's threads take from,
// each thread keeping one read buffer for the whole run, and outcomes come
// back into per-entry slots that the owner alone empties, in list order. So
// `finished` and `progress` (JobRun) and poll() (PolledRun) run on the
// owner's thread, one at a time. A JobRun of one thread digests each entry
// on the owner's thread as it is added; a PolledRun always has a pool.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/algorithm.h"
#include "digest/digest_engine.h"
#include "system/threads.h"

namespace vandrel::engine {

// Files of at least this size are read from their device one at a time.
inline constexpr std::uint64_t kLargeFileBytes = 8ull * 1024 * 1024;
inline constexpr int kMaxThreads = 8;
// A run holds at most this many entries per thread that are added but not
// yet delivered: enough that no thread waits for work while the owner waits
// for a slow oldest file, few enough that a list of millions of lines costs
// no memory.
inline constexpr std::size_t kHeldPerThread = 8;
// A polled run is topped up only once a poll, a frame apart: it holds
// enough small files per thread to keep the threads busy through a late
// frame or two.
inline constexpr std::size_t kPolledPerThread = 4096;

// What a run uses when not told: the CPUs the process may use
// (sys::UsableCpuCount), at most kMaxThreads.
int DefaultThreadCount();

// ---- Judging and counting -----------------------------------------------

enum class Verdict {
  Computed,  // a plain file (nothing expected) with its digest
  Failed,    // a plain file without a digest
  Matched,   // the digest is the one expected
  Differs,   // a digest, but not the one expected
  Missing,   // a digest was expected but none could be made
  Abandoned  // cut short by a cancel: neither digested nor failed
};

// What `got` means for an entry that expects `expectedHex` (empty: nothing).
Verdict Judge(const DigestResult& got, const std::string& expectedHex);

struct Tally {
  std::size_t computed = 0;
  std::size_t failed = 0;
  std::size_t matched = 0;
  std::size_t differs = 0;
  std::size_t missing = 0;
  std::size_t abandoned = 0;

  void count(Verdict verdict);
  // Entries that were digested or failed: all but the abandoned ones.
  std::size_t processed() const { return computed + failed + matched + differs + missing; }
  // Entries without the digest they should have: failed, different, missing.
  std::size_t unsuccessful() const { return failed + differs + missing; }
  bool operator==(const Tally&) const = default;
};

// ---- Progress arithmetic ------------------------------------------------

struct ProgressRate {
  double bytesPerSecond = 0;  // 0 until something was read
  double secondsLeft = 0;     // at that rate; 0 when unknown or done
};

// The rate so far and the time left for `done` of `total` bytes after
// `elapsedSeconds`. Each program words and rounds the figures itself.
ProgressRate MeasureProgress(std::uint64_t done, std::uint64_t total, double elapsedSeconds);

// `bytes` divided by 1024 until below 1024 or `unitCount` - 1 steps were
// taken; `unit` says how many steps (0: bytes, 1: KiB, ...).
struct ScaledAmount {
  double value = 0;
  int unit = 0;
};
ScaledAmount ScaleBinary(double bytes, int unitCount);

// ---- Pause and cancel ---------------------------------------------------

// Pause and cancel for a run. The owner (any thread but the engine's)
// writes; engine threads look only at safe points: before they start a
// file and between two reads. A paused engine thread holds no lock and is
// inside no callback. Thread-safe.
class JobControl {
 public:
  // Nests: every pause needs its resume.
  void pause();
  void resume();
  // From the call on no file is started; files in flight are abandoned at
  // their next read once `grace` has passed (DigestFailure::Abandoned), so
  // a file that can finish within the grace still does. Ends any pause for
  // good. A second call keeps the first one's time and grace.
  void cancel(std::chrono::milliseconds grace = {});
  bool cancelled() const;
  // Whether a file in flight should be given up now: cancelled, and the
  // grace is over.
  bool abandonNow() const;
  bool paused() const;
  // Returns at once unless paused; else when resumed or cancelled. Engine
  // threads call it at their safe points.
  void waitWhilePaused() const;

 private:
  mutable sys::PauseGate pause_;  // waiting at it changes nothing
  mutable std::mutex mutex_;
  bool cancelled_ = false;                           // mutex_
  std::chrono::steady_clock::time_point abandonAt_;  // mutex_
};

// ---- The run ------------------------------------------------------------

struct PlanEntry {
  std::string path;         // already resolved (checksum_list::ResolveListedName)
  std::string expectedHex;  // empty: a plain file, not judged
  // A list may mix algorithms line by line (BSD tags): an entry may name its
  // own digest instead of the run's.
  std::optional<DigestKind> kind = std::nullopt;
};

struct Outcome {
  std::size_t index = 0;  // the entry's place: 0 for the first added
  DigestResult digest;    // hex, or the failure (+ errno, bytesRead)
  Verdict verdict = Verdict::Computed;
};

struct RunOptions {
  int threads = 0;  // 0: DefaultThreadCount(); more than kMaxThreads: kMaxThreads
  // read(2) stand-in, to slow or fail reads on purpose (benchmarks, tests). An injected read stands
  // for a device: its files are never taken as already in memory.
  DigestReadFunction read = nullptr;
  bool readAhead = true;  // large files: a second thread reads while one digests
  std::size_t chunkBytes = kDigestChunkBytes;
  bool refuseFolders = false;  // a folder fails (IsAFolder) instead of digesting as empty
  // Named pipes and character devices are read too (opened blocking, as a
  // pipe named on a command line is meant to be read), and "-" is standard
  // input, read by the owner's thread after every entry before it is done.
  bool readStreams = false;
  JobControl* control = nullptr;  // none: the run is never paused or cancelled
  // The three calls a JobRun makes; a PolledRun hands the same news out
  // through poll() instead.
  // On the engine thread that starts on entry `index` (any order, several
  // threads at once).
  std::function<void(std::size_t index)> started;
  // On the owner's thread: how far the oldest unfinished entry is, at most
  // every kProgressEvery and after each read when digesting on the owner's
  // thread. `total` is the size at opening, 0 when unknown.
  std::function<void(std::size_t index, std::uint64_t done, std::uint64_t total)> progress;
  // On the owner's thread, in list order, once per added entry. After a
  // cancel, entries not finished come with DigestFailure::Abandoned.
  std::function<void(const Outcome&)> finished;
};

struct RunCore;

inline constexpr auto kProgressEveryMilliseconds = 50;

// One run over entries added one by one, for plans that are read while
// they run (a list of millions of lines, a folder tree): at most a few
// entries per thread are held at any time.
class JobRun {
 public:
  JobRun(DigestKind kind, RunOptions options);
  // Cancels what is still running and waits for every thread to end.
  ~JobRun();
  JobRun(const JobRun&) = delete;
  JobRun& operator=(const JobRun&) = delete;

  // Queues an entry, delivering outcomes that are ready; waits (delivering)
  // while too many entries are held. False, and nothing queued, once the
  // run was cancelled. Owner's thread only.
  bool add(PlanEntry entry);

  // Delivers every remaining outcome, ends the threads and returns the
  // counts. Owner's thread only; the run takes no more entries after it.
  Tally finish();

 private:
  struct Owner;
  std::unique_ptr<RunCore> core_;
  std::unique_ptr<Owner> owner_;
};

struct Plan {
  std::vector<PlanEntry> files;  // list order
  DigestKind kind;
};

// Runs the whole plan (or until its cancel) and returns when every thread
// has ended.
Tally Run(const Plan& plan, const RunOptions& options);

// ---- The polled run -----------------------------------------------------

// A plan known whole: how many entries, each one asked for by its index,
// in list order, on the owner's thread while the run holds fewer than
// kPolledPerThread per thread. The owner keeps what `entry` reads unchanged
// until the run is over.
struct PlanSource {
  std::size_t size = 0;
  std::function<PlanEntry(std::size_t index)> entry;
  DigestKind kind;
};

struct EntryProgress {
  std::size_t index = 0;  // the oldest entry not finished
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // its size at opening, 0 when unknown
};

// What came back since the last poll.
struct Polled {
  std::vector<Outcome> finished;        // list order; after a cancel, Abandoned ones too
  std::vector<std::size_t> started;     // entries a thread began on, any order
  std::optional<EntryProgress> oldest;  // once the oldest unfinished entry has read bytes
  // Every entry has come back, or a cancel stopped the run and every entry
  // it had taken has; no thread digests any more.
  bool over = false;
  Tally tally;  // of every outcome handed out so far
};

// One run over a whole plan for an owner that must never wait (the window's
// main thread). Pause, resume and cancel go through options.control; the
// options' three calls are not made.
class PolledRun {
 public:
  // Starts the threads and the first entries at once.
  PolledRun(PlanSource plan, RunOptions options);
  // Stops what still runs (as a cancel without grace) and ends the threads.
  ~PolledRun();
  PolledRun(const PolledRun&) = delete;
  PolledRun& operator=(const PolledRun&) = delete;

  // False when no thread could be started: nothing will ever come back.
  bool working() const;
  // Takes what is ready and tops the run up from the plan; never waits.
  // Owner's thread only.
  Polled poll();
  // After a cancel: waits until no file is in flight (within the cancel's
  // grace, unless a read itself hangs), at most `patience`, and then ends
  // the threads. False when a file was still in flight: its thread goes on
  // and is joined by the destructor. What they finished stays for the next
  // poll.
  bool join(std::chrono::milliseconds patience);

 private:
  void topUp();  // queues entries of the plan while there is room

  PlanSource plan_;
  std::size_t next_ = 0;  // the next entry of the plan to hand to the run
  std::unique_ptr<RunCore> core_;
};

}  // namespace vandrel::engine

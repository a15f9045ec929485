// The pool of digest threads, the entries a run holds and their delivery in
// list order; see job_engine.h for who owns what.
#include <atomic>
#include <chrono>
#include <deque>
#include <system_error>
#include <thread>

#include "digest/read_buffer.h"
#include "job_engine/device_gate.h"
#include "job_engine/job_engine.h"
#include "system/cpus.h"

namespace vandrel::engine {
namespace {

// One held entry. The engine thread that took it writes `result` and then
// sets `done` under the run's mutex; the owner reads `result` only after
// seeing `done`. The byte counts are read by the owner while it runs.
struct Slot {
  PlanEntry entry;
  std::size_t index = 0;
  bool done = false;
  DigestResult result;
  std::atomic<std::uint64_t> bytesDone{0};
  std::atomic<std::uint64_t> bytesTotal{0};
};

DigestResult AbandonedResult() {
  DigestResult result;
  result.failure = DigestFailure::Abandoned;
  return result;
}

}  // namespace

int DefaultThreadCount() { return std::min(sys::UsableCpuCount(), kMaxThreads); }

struct JobRun::Shared {
  DigestKind kind;
  RunOptions options;
  std::size_t threadCount = 1;
  DeviceGate gate;
  // Entries added whose digest has not ended, queued ones included, against
  // the CPUs there are: a file takes a reading thread of its own only while
  // some CPU has no file to digest and none waits for it (the last files of
  // a run). A thread between two files is not idle for long.
  std::atomic<int> unfinished{0};
  int cpus = sys::UsableCpuCount();

  std::mutex mutex;
  std::condition_variable workQueued;      // engine threads wait on it
  std::condition_variable outcomeReady;    // the owner waits on it
  std::deque<std::unique_ptr<Slot>> held;  // added, not delivered; list order
  std::deque<Slot*> queue;                 // held and not yet taken
  bool closing = false;
  std::atomic<bool> stopping{false};  // a run dropped before its finish
  std::vector<std::thread> pool;

  // The owner's alone.
  std::size_t added = 0;
  Tally tally;
  bool finished = false;
  ReadBuffer ownerBuffer;
  std::size_t reportedIndex = 0;
  std::uint64_t reportedBytes = 0;
  bool reportedAny = false;

  // No entry starts once this is true.
  bool stopped() const {
    return stopping.load(std::memory_order_relaxed) ||
           (options.control != nullptr && options.control->cancelled());
  }

  // An entry in flight is given up once this is true.
  bool abandonNow() const {
    return stopping.load(std::memory_order_relaxed) ||
           (options.control != nullptr && options.control->abandonNow());
  }

  // Runs on an engine thread, or on the owner's with `slot` null (its
  // progress then goes straight to the options' callback).
  DigestResult digest(const PlanEntry& entry, std::size_t index, std::uint8_t* buffer, Slot* slot) {
    JobControl* control = options.control;
    if (control != nullptr) control->waitWhilePaused();
    if (stopped()) return AbandonedResult();
    if (options.started) options.started(index);
    DigestOptions digestOptions;
    digestOptions.read = options.read;
    digestOptions.chunkBytes = options.chunkBytes;
    digestOptions.readAhead = options.readAhead;
    digestOptions.spareCpu = [this] { return unfinished.load(std::memory_order_relaxed) < cpus; };
    digestOptions.refuseFolders = options.refuseFolders;
    digestOptions.readStreams = options.readStreams;
    digestOptions.buffer = buffer;
    digestOptions.progress = [this, control, index, slot](std::uint64_t done, std::uint64_t total) {
      if (slot != nullptr) {
        slot->bytesDone.store(done, std::memory_order_relaxed);
      } else if (options.progress) {
        options.progress(index, done, total);
      }
      if (control != nullptr) control->waitWhilePaused();
      return !abandonNow();
    };
    const OpenedInput input = OpenInput(entry.path, digestOptions);
    if (!input.ready()) return input.failure;
    const struct stat& status = input.status;
    if (slot != nullptr && S_ISREG(status.st_mode)) {
      slot->bytesTotal.store(static_cast<std::uint64_t>(status.st_size), std::memory_order_relaxed);
    }
    // A large file of which less than a large file's worth must come from
    // the device reads like a small one: the system drops a few pages of
    // files in the page cache now and then, and that should not put the
    // files back in single file.
    const bool gated = IsLargeInput(status) &&
                       (S_ISBLK(status.st_mode) || options.read != nullptr ||
                        UncachedBytes(input.descriptor, static_cast<std::uint64_t>(status.st_size),
                                      kLargeFileBytes) >= kLargeFileBytes);
    if (gated && !gate.enter(status.st_dev, index, [this] { return stopped(); })) {
      return AbandonedResult();
    }
    DigestResult result = DigestOpened(input, entry.kind.value_or(kind), digestOptions);
    if (gated) gate.leave(status.st_dev);
    return result;
  }

  // An engine thread: takes entries until the run closes.
  void workLoop() {
    const ReadBuffer buffer = MakeReadBuffer(options.chunkBytes);
    for (;;) {
      Slot* slot = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex);
        workQueued.wait(lock, [this] { return closing || !queue.empty(); });
        if (queue.empty()) return;
        slot = queue.front();
        queue.pop_front();
      }
      // Without a buffer of its own the digest makes one, or fails as out
      // of memory when it cannot either.
      DigestResult result = digest(slot->entry, slot->index, buffer.get(), slot);
      unfinished.fetch_sub(1, std::memory_order_relaxed);
      bool wakeOwner = false;
      {
        std::lock_guard<std::mutex> lock(mutex);
        slot->result = std::move(result);
        slot->done = true;
        wakeOwner = ownerMayGoOn();
      }
      if (wakeOwner) outcomeReady.notify_one();
    }
  }

  void deliver(std::size_t index, DigestResult digest, const std::string& expectedHex) {
    Outcome outcome;
    outcome.index = index;
    outcome.verdict = Judge(digest, expectedHex);
    outcome.digest = std::move(digest);
    tally.count(outcome.verdict);
    if (options.finished) options.finished(outcome);
  }

  void reportProgress(const Slot& slot) {
    if (!options.progress) return;
    const std::uint64_t done = slot.bytesDone.load(std::memory_order_relaxed);
    if (done == 0 || (reportedAny && reportedIndex == slot.index && reportedBytes == done)) return;
    reportedAny = true;
    reportedIndex = slot.index;
    reportedBytes = done;
    options.progress(slot.index, done, slot.bytesTotal.load(std::memory_order_relaxed));
  }

  std::size_t heldCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return held.size();
  }

  // Whether the owner, waiting for room, should be woken: the oldest entry
  // is done and the threads are about to run out of work. Waking it for
  // every finished small file would cost a switch per file; it wakes every
  // kProgressEveryMilliseconds anyway, so no outcome waits longer than that.
  // mutex held.
  bool ownerMayGoOn() const {
    return !held.empty() && held.front()->done && queue.size() <= threadCount;
  }

  // Delivers the finished entries at the front of the list. With `wait`,
  // first waits until the oldest is finished, reporting its progress.
  void deliverFront(bool wait) {
    for (;;) {
      std::unique_ptr<Slot> front;
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (held.empty()) return;
        if (!held.front()->done) {
          if (!wait) return;
          if (!queue.empty()) workQueued.notify_all();
          outcomeReady.wait_for(lock, std::chrono::milliseconds(kProgressEveryMilliseconds),
                                [this] { return ownerMayGoOn(); });
          if (!held.front()->done) {
            const Slot* oldest = held.front().get();
            lock.unlock();
            reportProgress(*oldest);
            continue;
          }
        }
        front = std::move(held.front());
        held.pop_front();
      }
      deliver(front->index, std::move(front->result), front->entry.expectedHex);
      wait = false;
    }
  }

  void deliverAll() {
    while (heldCount() > 0) deliverFront(true);
  }

  std::uint8_t* ownersBuffer() {
    if (!ownerBuffer) ownerBuffer = MakeReadBuffer(options.chunkBytes);
    return ownerBuffer.get();
  }

  void close() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      closing = true;
    }
    workQueued.notify_all();
    for (std::thread& thread : pool) thread.join();
    pool.clear();
  }
};

JobRun::JobRun(DigestKind kind, RunOptions options) : shared_(std::make_unique<Shared>()) {
  Shared& run = *shared_;
  run.kind = kind;
  if (options.chunkBytes == 0) options.chunkBytes = kDigestChunkBytes;
  run.options = std::move(options);
  const int wanted =
      run.options.threads > 0 ? std::min(run.options.threads, kMaxThreads) : DefaultThreadCount();
  run.threadCount = static_cast<std::size_t>(wanted);
  if (run.threadCount < 2) return;
  try {
    for (std::size_t i = 0; i < run.threadCount; ++i) {
      run.pool.emplace_back([&run] { run.workLoop(); });
    }
  } catch (const std::system_error&) {
    // Fewer threads than asked: the run goes on with those it has, or on
    // the owner's thread alone.
  }
  if (run.pool.size() < 2) {
    run.close();
    run.closing = false;
  }
  run.threadCount = std::max<std::size_t>(run.pool.size(), 1);
}

JobRun::~JobRun() {
  if (!shared_->finished) shared_->stopping = true;
  shared_->close();
}

bool JobRun::add(PlanEntry entry) {
  Shared& run = *shared_;
  if (run.finished || run.stopped()) return false;
  const std::size_t index = run.added++;
  run.unfinished.fetch_add(1, std::memory_order_relaxed);
  // Standard input is one stream: read by the owner once everything before
  // it is done, and nothing after it starts until it is read.
  if (run.pool.empty() || (run.options.readStreams && entry.path == "-")) {
    run.deliverAll();
    DigestResult result = run.digest(entry, index, run.ownersBuffer(), nullptr);
    run.unfinished.fetch_sub(1, std::memory_order_relaxed);
    run.deliver(index, std::move(result), entry.expectedHex);
    return true;
  }
  auto slot = std::make_unique<Slot>();
  slot->entry = std::move(entry);
  slot->index = index;
  bool wakeThreads = false;
  {
    std::lock_guard<std::mutex> lock(run.mutex);
    run.queue.push_back(slot.get());
    run.held.push_back(std::move(slot));
    // Idle threads are woken for a few entries at a time: waking one per
    // small file would cost a switch per file. The owner wakes them before
    // it waits, so nothing queued is left lying.
    wakeThreads = run.queue.size() >= run.threadCount;
  }
  if (wakeThreads) run.workQueued.notify_all();
  run.deliverFront(false);
  // A full run delivers down to half before it takes more, so that the
  // owner wakes once per batch of small files, not once per file.
  if (run.heldCount() >= run.threadCount * kHeldPerThread) {
    while (run.heldCount() > run.threadCount * kHeldPerThread / 2) run.deliverFront(true);
  }
  return true;
}

Tally JobRun::finish() {
  Shared& run = *shared_;
  run.deliverAll();
  run.close();
  run.finished = true;
  return run.tally;
}

Tally Run(const Plan& plan, const RunOptions& options) {
  JobRun run(plan.kind, options);
  for (const PlanEntry& entry : plan.files) {
    if (!run.add(entry)) break;
  }
  return run.finish();
}

}  // namespace vandrel::engine

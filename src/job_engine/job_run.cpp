// The blocking face of a run: entries added one by one, outcomes delivered
// through the options' calls on the owner's thread; see job_engine.h.
#include <chrono>

#include "job_engine/job_engine.h"
#include "job_engine/run_core.h"

namespace vandrel::engine {

// What the owner of a JobRun keeps beside the pool.
struct JobRun::Owner {
  explicit Owner(RunCore& core) : run(core) {}

  RunCore& run;
  std::size_t added = 0;
  bool finished = false;
  ReadBuffer buffer;
  std::size_t reportedIndex = 0;
  std::uint64_t reportedBytes = 0;
  bool reportedAny = false;

  void deliver(std::size_t index, DigestResult digest, const std::string& expectedHex) {
    const Outcome outcome = run.judge(index, std::move(digest), expectedHex);
    if (run.options.finished) run.options.finished(outcome);
  }

  void reportProgress(const Slot& slot) {
    if (!run.options.progress) return;
    const std::uint64_t done = slot.bytesDone.load(std::memory_order_relaxed);
    if (done == 0 || (reportedAny && reportedIndex == slot.index && reportedBytes == done)) return;
    reportedAny = true;
    reportedIndex = slot.index;
    reportedBytes = done;
    run.options.progress(slot.index, done, slot.bytesTotal.load(std::memory_order_relaxed));
  }

  // Delivers the finished entries at the front of the list. With `wait`,
  // first waits until the oldest is finished, reporting its progress.
  void deliverFront(bool wait) {
    for (;;) {
      std::unique_ptr<Slot> front = run.takeFinishedFront();
      if (!front) {
        std::unique_lock<std::mutex> lock(run.mutex);
        if (run.held.empty() || !wait) return;
        if (!run.held.front()->done) {
          if (!run.waiting.empty()) run.workQueued.notify_all();
          run.outcomeReady.wait_for(lock, std::chrono::milliseconds(kProgressEveryMilliseconds));
          if (!run.held.front()->done) {
            const Slot* oldest = run.held.front().get();
            lock.unlock();
            reportProgress(*oldest);
          }
        }
        continue;
      }
      deliver(front->index, std::move(front->result), front->entry.expectedHex);
      wait = false;
    }
  }

  void deliverAll() {
    while (run.heldCount() > 0) deliverFront(true);
  }

  std::uint8_t* ownersBuffer() {
    if (!buffer) buffer = MakeReadBuffer(run.options.chunkBytes);
    return buffer.get();
  }
};

JobRun::JobRun(DigestKind kind, RunOptions options)
    : core_(std::make_unique<RunCore>(kind, std::move(options), 2)),
      owner_(std::make_unique<Owner>(*core_)) {}

JobRun::~JobRun() = default;

bool JobRun::add(PlanEntry entry) {
  RunCore& run = *core_;
  Owner& owner = *owner_;
  if (owner.finished || run.stopped()) return false;
  const std::size_t index = owner.added++;
  // Standard input is one stream: read by the owner once everything before
  // it is done, and nothing after it starts until it is read.
  if (run.pool.empty() || (run.options.readStreams && entry.path == "-")) {
    owner.deliverAll();
    run.unfinished.fetch_add(1, std::memory_order_relaxed);
    DigestResult result = run.digest(entry, index, owner.ownersBuffer(), nullptr);
    run.unfinished.fetch_sub(1, std::memory_order_relaxed);
    owner.deliver(index, std::move(result), entry.expectedHex);
    return true;
  }
  run.queue(std::move(entry), index);
  owner.deliverFront(false);
  // A full run delivers down to half before it takes more, so that the
  // owner wakes once per batch of small files, not once per file.
  if (run.heldCount() >= run.threadCount * kHeldPerThread) {
    while (run.heldCount() > run.threadCount * kHeldPerThread / 2) owner.deliverFront(true);
  }
  return true;
}

Tally JobRun::finish() {
  owner_->deliverAll();
  core_->close();
  owner_->finished = true;
  return core_->tally;
}

Tally Run(const Plan& plan, const RunOptions& options) {
  JobRun run(plan.kind, options);
  for (const PlanEntry& entry : plan.files) {
    if (!run.add(entry)) break;
  }
  return run.finish();
}

}  // namespace vandrel::engine

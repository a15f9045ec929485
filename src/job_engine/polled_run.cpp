// The polling face of a run: the whole plan known, the owner never waits;
// see job_engine.h.
#include <chrono>
#include <thread>

#include "job_engine/job_engine.h"
#include "job_engine/run_core.h"

namespace vandrel::engine {
PolledRun::PolledRun(PlanSource plan, RunOptions options) : plan_(std::move(plan)) {
  // The owner hears of started entries through poll(), not on engine threads.
  options.started = nullptr;
  options.progress = nullptr;
  options.finished = nullptr;
  core_ = std::make_unique<RunCore>(plan_.kind, std::move(options), 1, true);
  topUp();
}

PolledRun::~PolledRun() = default;

bool PolledRun::working() const { return !core_->pool.empty(); }

Polled PolledRun::poll() {
  RunCore& run = *core_;
  Polled polled;
  while (std::unique_ptr<Slot> front = run.takeFinishedFront()) {
    polled.finished.push_back(
        run.judge(front->index, std::move(front->result), front->entry.expectedHex));
  }
  topUp();
  {
    std::lock_guard<std::mutex> lock(run.mutex);
    polled.started.swap(run.startedSince);
    if (!run.held.empty() && !run.held.front()->done) {
      const Slot& oldest = *run.held.front();
      const std::uint64_t done = oldest.bytesDone.load(std::memory_order_relaxed);
      if (done > 0) {
        polled.oldest =
            EntryProgress{oldest.index, done, oldest.bytesTotal.load(std::memory_order_relaxed)};
      }
    }
    polled.over = run.held.empty() && (next_ == plan_.size || run.stopped());
  }
  polled.tally = run.tally;
  return polled;
}

bool PolledRun::join(std::chrono::milliseconds patience) {
  RunCore& run = *core_;
  const auto end = std::chrono::steady_clock::now() + patience;
  while (run.unfinished.load(std::memory_order_relaxed) > 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.close();
  return true;
}

void PolledRun::topUp() {
  RunCore& run = *core_;
  const std::size_t room = run.threadCount * kPolledPerThread;
  while (next_ < plan_.size && !run.stopped() && run.heldCount() < room) {
    run.queue(plan_.entry(next_), next_);
    ++next_;
  }
  // Entries queued too few to wake a thread must not lie there until more come.
  run.workQueued.notify_all();
}

}  // namespace vandrel::engine

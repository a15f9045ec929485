// The pool of digest threads and the entries a run holds; see run_core.h.
#include "job_engine/run_core.h"

#include <chrono>
#include <system_error>

namespace vandrel::engine {
namespace {

DigestResult AbandonedResult() {
  DigestResult result;
  result.failure = DigestFailure::Abandoned;
  return result;
}

// Whether the owner, waiting for room, should be woken: the oldest entry is
// done and the threads are about to run out of work. Waking it for every
// finished small file would cost a switch per file; it wakes every
// kProgressEveryMilliseconds anyway, so no outcome waits longer than that.
// The mutex held.
bool OwnerMayGoOn(const RunCore& run) {
  return !run.held.empty() && run.held.front()->done && run.waiting.size() <= run.threadCount;
}

}  // namespace

int DefaultThreadCount() { return std::min(sys::UsableCpuCount(), kMaxThreads); }

RunCore::RunCore(DigestKind digestKind, RunOptions runOptions, std::size_t fewestPool,
                 bool keepStartedEntries)
    : kind(digestKind), options(std::move(runOptions)), keepStarted(keepStartedEntries) {
  if (options.chunkBytes == 0) options.chunkBytes = kDigestChunkBytes;
  const int wanted =
      options.threads > 0 ? std::min(options.threads, kMaxThreads) : DefaultThreadCount();
  threadCount = static_cast<std::size_t>(wanted);
  if (threadCount < fewestPool) return;
  try {
    for (std::size_t i = 0; i < threadCount; ++i) pool.emplace_back([this] { workLoop(); });
  } catch (const std::system_error&) {
    // Fewer threads than asked: the run goes on with those it has, or on
    // the owner's thread alone.
  }
  if (pool.size() < fewestPool) {
    close();
    closing = false;
  }
  threadCount = std::max<std::size_t>(pool.size(), 1);
}

RunCore::~RunCore() {
  stopping = true;
  close();
}

bool RunCore::stopped() const {
  return stopping.load(std::memory_order_relaxed) ||
         (options.control != nullptr && options.control->cancelled());
}

bool RunCore::abandonNow() const {
  return stopping.load(std::memory_order_relaxed) ||
         (options.control != nullptr && options.control->abandonNow());
}

DigestResult RunCore::digest(const PlanEntry& entry, std::size_t index, std::uint8_t* buffer,
                             Slot* slot) {
  JobControl* control = options.control;
  if (control != nullptr) control->waitWhilePaused();
  if (stopped()) return AbandonedResult();
  if (options.started) options.started(index);
  if (keepStarted) {
    std::lock_guard<std::mutex> lock(mutex);
    startedSince.push_back(index);
  }
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

void RunCore::workLoop() {
  const ReadBuffer buffer = MakeReadBuffer(options.chunkBytes);
  for (;;) {
    Slot* slot = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex);
      workQueued.wait(lock, [this] { return closing || !waiting.empty(); });
      if (waiting.empty()) return;
      slot = waiting.front();
      waiting.pop_front();
    }
    // Without a buffer of its own the digest makes one, or fails as out of
    // memory when it cannot either.
    DigestResult result = digest(slot->entry, slot->index, buffer.get(), slot);
    unfinished.fetch_sub(1, std::memory_order_relaxed);
    bool wakeOwner = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      slot->result = std::move(result);
      slot->done = true;
      wakeOwner = OwnerMayGoOn(*this);
    }
    if (wakeOwner) outcomeReady.notify_one();
  }
}

void RunCore::queue(PlanEntry entry, std::size_t index) {
  unfinished.fetch_add(1, std::memory_order_relaxed);
  auto slot = std::make_unique<Slot>();
  slot->entry = std::move(entry);
  slot->index = index;
  bool wakeThreads = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    waiting.push_back(slot.get());
    held.push_back(std::move(slot));
    // Idle threads are woken for a few entries at a time: waking one per
    // small file would cost a switch per file. The owner wakes them before
    // it waits, so nothing queued is left lying.
    wakeThreads = waiting.size() >= threadCount;
  }
  if (wakeThreads) workQueued.notify_all();
}

std::unique_ptr<Slot> RunCore::takeFinishedFront() {
  std::lock_guard<std::mutex> lock(mutex);
  if (held.empty() || !held.front()->done) return nullptr;
  std::unique_ptr<Slot> front = std::move(held.front());
  held.pop_front();
  return front;
}

Outcome RunCore::judge(std::size_t index, DigestResult digest, const std::string& expectedHex) {
  Outcome outcome;
  outcome.index = index;
  outcome.verdict = Judge(digest, expectedHex);
  outcome.digest = std::move(digest);
  tally.count(outcome.verdict);
  return outcome;
}

std::size_t RunCore::heldCount() {
  std::lock_guard<std::mutex> lock(mutex);
  return held.size();
}

void RunCore::close() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    closing = true;
  }
  workQueued.notify_all();
  for (std::thread& thread : pool) thread.join();
  pool.clear();
}

}  // namespace vandrel::engine

// The hand-over of toolkit calls made on other threads to the main thread.
// A caller queues a record that lives on its own stack and waits until the
// main thread has run the call and marked the record done, or until the
// toolkit ends. When the main thread runs queued calls: see toolkit.h.
#include "toolkit/main_thread.h"

#include <glib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vandrel::tk {
namespace {

// Calls queued by other threads. The caller's record lives on its stack
// until `done` is set or the toolkit ends.
struct QueuedCall {
  const std::function<void()>* call;
  std::atomic<bool> done{false};
};

struct WorkerCalls {
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<QueuedCall*> queue;
  std::atomic<int> queued{0};
  bool ended = false;
  int held = 0;  // main thread only
};

// A worker makes its calls in quick runs (a handful per file), and sleeping
// and waking a thread costs tens of microseconds on a virtual or idle CPU,
// several times the call itself. So each side first spins briefly for the
// other before it sleeps.
constexpr auto kWorkerSpin = std::chrono::microseconds(200);
constexpr auto kMainSpin = std::chrono::microseconds(100);

// Yields rather than busy-waits: on a machine with as few cores as threads
// that want them (the worker, the main thread, the X server drawing what
// they change) a pure spin would keep the very thread it waits for off the CPU.
inline void CpuRelax() { std::this_thread::yield(); }

template <typename Done>
bool SpinFor(Done done, std::chrono::microseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (unsigned i = 0;; ++i) {
    if (done()) return true;
    if ((i & 7) == 0 && std::chrono::steady_clock::now() > end) return false;
    CpuRelax();
  }
}

WorkerCalls& Calls() {
  static WorkerCalls calls;
  return calls;
}

}  // namespace

bool RunAsOneCall(const std::function<void()>& calls) {
  if (IsMainThread()) {
    calls();
    return true;
  }
  return detail::RunOnMainThread(calls);
}

namespace detail {

bool RunOnMainThread(const std::function<void()>& call) {
  WorkerCalls& calls = Calls();
  QueuedCall record{&call};
  {
    std::lock_guard lock(calls.mutex);
    if (calls.ended) return false;
    calls.queue.push_back(&record);
    calls.queued.fetch_add(1, std::memory_order_release);
  }
  // Thread-safe, and wakes a main thread blocked in the main-loop iteration.
  g_main_context_wakeup(nullptr);
  if (SpinFor([&] { return record.done.load(std::memory_order_acquire); }, kWorkerSpin)) {
    return true;
  }
  std::unique_lock lock(calls.mutex);
  calls.finished.wait(lock, [&] { return record.done.load() || calls.ended; });
  return record.done.load();
}

bool RunQueuedWorkerCalls() {
  WorkerCalls& calls = Calls();
  if (calls.held > 0) return false;
  bool ran = false;
  for (;;) {
    QueuedCall* record;
    {
      std::lock_guard lock(calls.mutex);
      if (calls.queue.empty() || calls.ended) return ran;
      record = calls.queue.front();
      calls.queue.pop_front();
      calls.queued.fetch_sub(1, std::memory_order_relaxed);
    }
    (*record->call)();
    ran = true;
    {
      // Under the lock, so that a caller about to sleep cannot miss it; the
      // record must not be touched after this, its owner may return at once.
      std::lock_guard lock(calls.mutex);
      record->done.store(true, std::memory_order_release);
    }
    calls.finished.notify_all();
  }
}

bool AwaitWorkerCall() {
  WorkerCalls& calls = Calls();
  if (calls.held > 0) return false;
  return SpinFor([&] { return calls.queued.load(std::memory_order_acquire) > 0; }, kMainSpin);
}

void EndWorkerCalls() {
  WorkerCalls& calls = Calls();
  {
    std::lock_guard lock(calls.mutex);
    calls.ended = true;
    calls.queue.clear();
  }
  calls.finished.notify_all();
}

bool ToolkitEnded() {
  std::lock_guard lock(Calls().mutex);
  return Calls().ended;
}

}  // namespace detail

WorkerCallsHeld::WorkerCallsHeld() { ++Calls().held; }
WorkerCallsHeld::~WorkerCallsHeld() { --Calls().held; }

}  // namespace vandrel::tk

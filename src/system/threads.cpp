// Detached threads with 1 MiB stacks, and the pause gate.
//
// Design: the thread list maps handles to records; a record is created and
// inserted under the list mutex together with pthread_create, and its own
// thread removes it under the same mutex when the procedure returns.
#include "system/threads.h"

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "system/debug_log.h"
#include "system/immortal.h"
#include "system/thread_records.h"

namespace vandrel::sys {

detail::ThreadList& detail::Threads() {
  static Immortal<ThreadList> holder;
  return holder.value;
}

namespace {

using detail::ThreadList;
using detail::ThreadRecord;
using detail::Threads;

constexpr std::size_t kThreadStackSize = 1024 * 1024;

void* ThreadStart(void* argument) {
  ThreadRecord* record = static_cast<ThreadRecord*>(argument);
  try {
    record->procedure(record->argument);
  } catch (const std::exception& error) {
    // A procedure that throws has a bug; say what it was before the
    // runtime ends the program, instead of leaving only "terminate called".
    DebugLog("thread", std::string("ended by an exception: ") + error.what());
    throw;
  }

  ThreadList& list = Threads();
  std::lock_guard lock(list.mutex);
  list.records.erase(record->handle);
  return nullptr;
}

class ThreadAttributes {
 public:
  ThreadAttributes() { ok_ = pthread_attr_init(&attributes_) == 0; }
  ~ThreadAttributes() {
    if (ok_) pthread_attr_destroy(&attributes_);
  }
  ThreadAttributes(const ThreadAttributes&) = delete;
  ThreadAttributes& operator=(const ThreadAttributes&) = delete;

  bool ok() const { return ok_; }
  pthread_attr_t* get() { return &attributes_; }

 private:
  pthread_attr_t attributes_{};
  bool ok_ = false;
};

}  // namespace

ThreadHandle CreateThread(ThreadProcedure procedure, int argument) {
  if (!procedure) return 0;

  ThreadAttributes attributes;
  if (!attributes.ok()) return 0;
  const std::size_t stackSize = std::max<std::size_t>(kThreadStackSize, PTHREAD_STACK_MIN);
  if (pthread_attr_setstacksize(attributes.get(), stackSize) != 0) return 0;
  if (pthread_attr_setdetachstate(attributes.get(), PTHREAD_CREATE_DETACHED) != 0) return 0;

  auto record = std::make_unique<ThreadRecord>();
  record->procedure = procedure;
  record->argument = argument;

  ThreadList& list = Threads();
  std::lock_guard lock(list.mutex);
  record->handle = ++list.lastHandle;

  if (pthread_create(&record->thread, attributes.get(), ThreadStart, record.get()) != 0) return 0;

  const ThreadHandle handle = record->handle;
  list.records[handle] = std::move(record);
  return handle;
}

void Delay(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

bool AwaitAllThreads(int milliseconds) {
  constexpr int kStepMilliseconds = 10;
  ThreadList& list = Threads();
  for (int waited = 0;; waited += kStepMilliseconds) {
    {
      std::lock_guard lock(list.mutex);
      if (list.records.empty()) return true;
    }
    if (waited >= milliseconds) return false;
    Delay(kStepMilliseconds);
  }
}

void PauseGate::pause() {
  std::lock_guard lock(mutex_);
  if (!open_ && pauses_++ == 0) paused_.store(true, std::memory_order_release);
}

void PauseGate::resume() {
  {
    std::lock_guard lock(mutex_);
    if (pauses_ == 0 || --pauses_ > 0) return;
    paused_.store(false, std::memory_order_release);
  }
  resumed_.notify_all();
}

void PauseGate::waitWhilePaused() {
  if (!paused()) return;
  std::unique_lock lock(mutex_);
  resumed_.wait(lock, [this] { return pauses_ == 0; });
}

void PauseGate::openForGood() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
    pauses_ = 0;
    paused_.store(false, std::memory_order_release);
  }
  resumed_.notify_all();
}

}  // namespace vandrel::sys

// Detached threads with 1 MiB stacks, paused and resumed by SIGUSR1.
//
// Design: the thread list maps handles to records; a record is created and
// inserted under the list mutex together with pthread_create, and its own
// thread removes it under the same mutex when the procedure returns. Pause
// signals the thread while holding that mutex, so the thread it names has
// not yet left its start routine. A thread made here starts with SIGUSR1
// blocked (the mask is inherited from the creator, which blocks it around
// pthread_create) and unblocks it only inside a PausableSection; a pause
// sent meanwhile stays pending until the next section is entered.
#include "system/threads.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "system/debug_log.h"
#include "system/immortal.h"

namespace vandrel::sys {
namespace {

constexpr std::size_t kThreadStackSize = 1024 * 1024;
constexpr long kPauseStepNanoseconds = 10'000'000;

struct ThreadRecord {
  ThreadProcedure procedure = nullptr;
  int argument = 0;
  ThreadHandle handle = 0;
  pthread_t thread{};
  std::atomic<int> pauseCount{0};
};
static_assert(std::atomic<int>::is_always_lock_free, "the pause handler reads the count");

// Set on a thread made by CreateThread for as long as its procedure runs;
// a plain pointer so the signal handler can read it without TLS set-up.
constinit thread_local ThreadRecord* tRecord = nullptr;
constinit thread_local int tSectionDepth = 0;

class ThreadList {
 public:
  std::mutex mutex;
  std::map<ThreadHandle, std::unique_ptr<ThreadRecord>> records;
  ThreadHandle lastHandle = 0;

  ThreadRecord* find(ThreadHandle handle) {
    auto it = records.find(handle);
    return it == records.end() ? nullptr : it->second.get();
  }
};

// Never destroyed: detached threads may still end, and remove their
// records, while static destructors run at program exit.
ThreadList& Threads() {
  static Immortal<ThreadList> holder;
  return holder.value;
}

// Runs on the paused thread, inside a PausableSection. Only atomics and
// nanosleep here: both are async-signal-safe.
void PauseHandler(int) {
  const int savedErrno = errno;
  ThreadRecord* record = tRecord;
  if (record) {
    const timespec step{0, kPauseStepNanoseconds};
    while (record->pauseCount.load() > 0) nanosleep(&step, nullptr);
  }
  errno = savedErrno;
}

void InstallPauseHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = PauseHandler;
    sigemptyset(&action.sa_mask);
    // Reads and waits interrupted by a pause resume rather than fail, so a
    // paused file read is never cut short.
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
  });
}

void SetUserSignalBlocked(bool blocked) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGUSR1);
  pthread_sigmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void* ThreadStart(void* argument) {
  ThreadRecord* record = static_cast<ThreadRecord*>(argument);
  tRecord = record;
  try {
    record->procedure(record->argument);
  } catch (const std::exception& error) {
    // A procedure that throws has a bug; say what it was before the
    // runtime ends the program, instead of leaving only "terminate called".
    DebugLog("thread", std::string("ended by an exception: ") + error.what());
    throw;
  }
  tRecord = nullptr;
  tSectionDepth = 0;
  SetUserSignalBlocked(true);

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
  InstallPauseHandler();

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

  sigset_t block;
  sigset_t previous;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &block, &previous);
  const int created = pthread_create(&record->thread, attributes.get(), ThreadStart, record.get());
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (created != 0) return 0;

  const ThreadHandle handle = record->handle;
  list.records[handle] = std::move(record);
  return handle;
}

bool IsThread(ThreadHandle thread) {
  ThreadList& list = Threads();
  std::lock_guard lock(list.mutex);
  return list.find(thread) != nullptr;
}

void PauseThread(ThreadHandle thread) {
  ThreadList& list = Threads();
  std::lock_guard lock(list.mutex);
  ThreadRecord* record = list.find(thread);
  if (!record || pthread_equal(record->thread, pthread_self())) return;
  if (record->pauseCount.fetch_add(1) == 0) pthread_kill(record->thread, SIGUSR1);
}

void ResumeThread(ThreadHandle thread) {
  ThreadList& list = Threads();
  std::lock_guard lock(list.mutex);
  ThreadRecord* record = list.find(thread);
  if (!record) return;
  int count = record->pauseCount.load();
  while (count > 0 && !record->pauseCount.compare_exchange_weak(count, count - 1)) {
  }
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

PausableSection::PausableSection() : opened_(tRecord != nullptr) {
  if (opened_ && tSectionDepth++ == 0) SetUserSignalBlocked(false);
}

PausableSection::~PausableSection() {
  if (opened_ && --tSectionDepth == 0) SetUserSignalBlocked(true);
}

PauseHeld::PauseHeld() : held_(tRecord != nullptr && tSectionDepth > 0) {
  if (held_) SetUserSignalBlocked(true);
}

PauseHeld::~PauseHeld() {
  if (held_) SetUserSignalBlocked(false);
}

}  // namespace vandrel::sys

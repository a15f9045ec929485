// Threads of the program's own: detached, with 1 MiB stacks; and the pause
// that such threads take at points of their own choosing.
//
// Design: a thread is never stopped from outside wherever it happens to be,
// since it might hold a lock that the pausing thread then needs (malloc's,
// the toolkit's). Instead a PauseGate is shared: whoever pauses closes it,
// and the working threads call waitWhilePaused where they hold no lock,
// such as between two reads of a file or before a toolkit call. A pause
// takes effect at each thread's next such point.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vandrel::sys {

using ThreadProcedure = int (*)(int);
using ThreadHandle = std::uint64_t;

// Starts `procedure(argument)` on a detached thread with a 1 MiB stack.
// Returns its handle, 0 when the thread cannot be made. The handle is
// forgotten when the procedure returns.
ThreadHandle CreateThread(ThreadProcedure procedure, int argument);
// Sleeps the calling thread; interrupted sleeps are resumed.
void Delay(int milliseconds);
// Waits until every thread made by CreateThread has returned from its
// procedure; false when some are still running after `milliseconds`.
bool AwaitAllThreads(int milliseconds);

// Pauses nest: every pause needs its resume, and a resume without a pause
// does nothing. Any thread may pause, resume and wait.
class PauseGate {
 public:
  void pause();
  void resume();
  bool paused() const { return paused_.load(std::memory_order_acquire); }
  // Returns at once unless paused; otherwise once the last resume came.
  void waitWhilePaused();
  // Ends every pause for good: waits return now, later pauses do nothing.
  // For work that is being cancelled and must not stay stopped.
  void openForGood();

 private:
  std::mutex mutex_;
  std::condition_variable resumed_;
  int pauses_ = 0;     // mutex_
  bool open_ = false;  // mutex_
  // pauses_ > 0, readable without the lock: the check costs nothing when
  // nobody pauses, and it is made after every read.
  std::atomic<bool> paused_{false};
};

}  // namespace vandrel::sys

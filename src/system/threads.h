// Threads of the program's own: detached, 1 MiB stacks, paused and resumed
// by the user signal 1.
//
// Design: a paused thread sleeps inside the signal handler until its pause
// count is back at 0. Sleeping in a handler is only safe where the thread
// holds no lock that another thread may need (malloc's, the toolkit's), so a
// thread made here keeps the signal blocked except inside a PausableSection
// that its procedure opens around lock-free work, such as reading and
// digesting a file. A pause asked for outside such a section takes effect
// when the thread next enters one.
#pragma once

#include <cstdint>

namespace vandrel::sys {

using ThreadProcedure = int (*)(int);
using ThreadHandle = std::uint64_t;

// Starts `procedure(argument)` on a detached thread with a 1 MiB stack.
// Returns its handle, 0 when the thread cannot be made. The handle is
// forgotten when the procedure returns.
ThreadHandle CreateThread(ThreadProcedure procedure, int argument);
// Whether the thread is still running its procedure.
bool IsThread(ThreadHandle thread);
// Pausing another thread counts up; the first pause sends the user signal 1.
// Pausing the calling thread does nothing. Every pause needs its resume.
void PauseThread(ThreadHandle thread);
void ResumeThread(ThreadHandle thread);
// Sleeps the calling thread; interrupted sleeps are resumed.
void Delay(int milliseconds);
// Waits until every thread made by CreateThread has returned from its
// procedure; false when some are still running after `milliseconds`.
bool AwaitAllThreads(int milliseconds);

// While one is alive on a thread made by CreateThread, that thread may be
// stopped by PauseThread. Nests.
class PausableSection {
 public:
  PausableSection();
  ~PausableSection();
  PausableSection(const PausableSection&) = delete;
  PausableSection& operator=(const PausableSection&) = delete;

 private:
  bool opened_;
};

// While one is alive inside a PausableSection, the thread cannot be paused:
// for a short piece of work that takes locks, such as a toolkit call made
// from a digest's progress callback. A pause asked for meanwhile takes
// effect when it ends. Does nothing outside a PausableSection.
class PauseHeld {
 public:
  PauseHeld();
  ~PauseHeld();
  PauseHeld(const PauseHeld&) = delete;
  PauseHeld& operator=(const PauseHeld&) = delete;

 private:
  bool held_;
};

}  // namespace vandrel::sys

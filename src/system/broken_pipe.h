// Writing to a child program's pipe without the process dying of SIGPIPE
// when the child quits early, while the process keeps its own disposition of
// the signal (vandrelsum, like coreutils, is meant to end on a closed
// standard output). Any thread.
#pragma once

#include <signal.h>

#include <functional>

namespace vandrel::sys {

// Runs `call` and then puts back the process's disposition of SIGPIPE as it
// was before: for libraries that set it to "ignore" when they start.
void KeepingBrokenPipeDisposition(const std::function<void()>& call);

// While it lives, SIGPIPE is blocked on the calling thread; one raised by a
// write of this thread meanwhile is taken off again before the old mask
// returns, so it is never delivered. A write to a closed pipe fails with
// EPIPE instead.
class BrokenPipeHold {
 public:
  BrokenPipeHold();
  ~BrokenPipeHold();
  BrokenPipeHold(const BrokenPipeHold&) = delete;
  BrokenPipeHold& operator=(const BrokenPipeHold&) = delete;

 private:
  sigset_t before_;
  bool pendingBefore_ = false;
};

}  // namespace vandrel::sys

// SIGPIPE kept away from a thread for a while, and a library's change of its
// disposition undone.
#include "system/broken_pipe.h"

#include <pthread.h>

#include <ctime>

namespace vandrel::sys {
namespace {

sigset_t BrokenPipeOnly() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}

bool BrokenPipePending() {
  sigset_t pending;
  sigemptyset(&pending);
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

void KeepingBrokenPipeDisposition(const std::function<void()>& call) {
  struct sigaction before {};
  const bool known = sigaction(SIGPIPE, nullptr, &before) == 0;
  call();
  if (known) sigaction(SIGPIPE, &before, nullptr);
}

BrokenPipeHold::BrokenPipeHold() {
  const sigset_t pipe = BrokenPipeOnly();
  pthread_sigmask(SIG_BLOCK, &pipe, &before_);
  // One that was already waiting is not ours to take away.
  pendingBefore_ = BrokenPipePending();
}

BrokenPipeHold::~BrokenPipeHold() {
  if (!pendingBefore_ && BrokenPipePending()) {
    const sigset_t pipe = BrokenPipeOnly();
    const timespec now{};
    sigtimedwait(&pipe, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

}  // namespace vandrel::sys

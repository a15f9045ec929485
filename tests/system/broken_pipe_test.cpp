// SIGPIPE held off one thread: a write to a closed pipe fails with EPIPE,
// the process lives on and no signal is left waiting; and a library's
// change of the signal's disposition is undone.
#include "system/broken_pipe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

namespace vandrel::sys {
namespace {

TEST(BrokenPipeTest, AWriteToAClosedPipeFailsWithoutTheSignal) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  {
    const BrokenPipeHold hold;
    EXPECT_EQ(::write(ends[1], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
  }
  ::close(ends[1]);
  sigset_t pending;
  ASSERT_EQ(sigpending(&pending), 0);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST(BrokenPipeTest, KeepsTheDispositionACallChanges) {
  KeepingBrokenPipeDisposition([] { ::signal(SIGPIPE, SIG_IGN); });
  struct sigaction now {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace vandrel::sys

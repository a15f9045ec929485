// The debug log speaks only when VANDREL_DEBUG=1 is set, one whole line per
// call. Each case runs in a child, since the setting is read once a process.
#include "system/debug_log.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vandrel {
namespace {

// What a child with VANDREL_DEBUG set to `value` (nullptr: unset) writes to
// standard error when it logs two lines.
std::string ChildLog(const char* value) {
  int ends[2];
  if (::pipe(ends) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ends[1], STDERR_FILENO);
    if (value)
      ::setenv("VANDREL_DEBUG", value, 1);
    else
      ::unsetenv("VANDREL_DEBUG");
    DebugLog("job", "/tmp/a: cannot open: permission denied");
    DebugLog("save", "/nowhere/x.txt: no such file or directory");
    ::_exit(0);
  }
  ::close(ends[1]);
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  ::close(ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return text;
}

TEST(DebugLogTest, WritesWholeLinesOnlyWhenSwitchedOn) {
  const struct {
    const char* value;
    std::string expected;
  } cases[] = {
      {"1",
       "vandrel: job: /tmp/a: cannot open: permission denied\n"
       "vandrel: save: /nowhere/x.txt: no such file or directory\n"},
      {nullptr, ""},
      {"0", ""},
      {"yes", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChildLog(c.value), c.expected) << (c.value ? c.value : "(unset)");
  }
}

}  // namespace
}  // namespace vandrel

// The debug log: one environment look-up, then single writes to stderr.
#include "system/debug_log.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace vandrel {

bool DebugLogEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("VANDREL_DEBUG");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void DebugLog(std::string_view topic, std::string_view message) {
  if (!DebugLogEnabled()) return;
  std::string line = "vandrel: ";
  line.append(topic).append(": ").append(message).push_back('\n');
  // Best effort: a log line that cannot be written is not worth a failure.
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace vandrel

// Stand-ins for the programs the dialogs start: a shell script, written into
// a scratch folder that goes in front of PATH, which appends one line per
// start to a log ("<working dir> [arg]... pid=<n>") and then sleeps.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace vandrel::testing {

class FakeProgram {
 public:
  // `seconds` is how long the program stays alive after logging.
  FakeProgram(const TestDirectory& folder, const std::string& name, const std::string& seconds)
      : log_(folder / (name + ".log")) {
    const std::string path = folder / name;
    std::ofstream script(path);
    script << "#!/bin/sh\n"
           << "{ printf '%s' \"$(pwd)\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; "
           << "printf ' pid=%s\\n' \"$$\"; } >> '" << log_ << "'\n"
           << "exec sleep " << seconds << "\n";
    script.close();
    chmod(path.c_str(), 0755);
  }

  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  // The process id logged on line `index`, or -1.
  int pid(std::size_t index) const {
    std::vector<std::string> all = lines();
    if (index >= all.size()) return -1;
    std::size_t at = all[index].rfind(" pid=");
    return at == std::string::npos ? -1 : std::stoi(all[index].substr(at + 5));
  }

 private:
  std::string log_;
};

// Polls `condition` every 10 ms for up to `milliseconds`; its last answer.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline bool ProcessExists(int pid) {
  return pid > 0 && std::filesystem::exists("/proc/" + std::to_string(pid));
}

// How many live processes have `needle` in their command line (arguments
// joined by blanks). Zombies have an empty command line and do not count.
inline int CountProcessesMentioning(const std::string& needle) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string line;
    // A process that ends while it is read fails the read (ESRCH), and the
    // file buffer throws: it is gone, so it does not count.
    try {
      line.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
      continue;
    }
    for (char& c : line) c = c == '\0' ? ' ' : c;
    if (line.find(needle) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace vandrel::testing

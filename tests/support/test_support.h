// Helpers shared by the toolkit tests: a scratch directory, a scoped
// environment variable and a path's permission bits.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/scratch_directory.h"

namespace vandrel::testing {

// The toolkit tests' name for the shared scratch directory.
using TestDirectory = ScratchDirectory;

// Sets or unsets one environment variable and restores it when destroyed.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// The permission bits of `path` (such as 0700), -1 when it cannot be examined.
inline int FileMode(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return -1;
  return static_cast<int>(status.st_mode & 07777);
}

}  // namespace vandrel::testing

// Helpers shared by the toolkit tests: a scratch directory and a scoped
// environment variable.
#pragma once

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

}  // namespace vandrel::testing

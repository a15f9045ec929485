// Helpers shared by the toolkit tests: a scratch directory and a scoped
// environment variable.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace vandrel::testing {

// A fresh directory under /tmp, removed with everything in it when the
// object goes away.
class TestDirectory {
 public:
  TestDirectory() {
    std::string pattern = "/tmp/vandrel-test-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TestDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  // The directory without a trailing "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

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

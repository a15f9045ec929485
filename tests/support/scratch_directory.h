// A fresh directory under the temporary folder for one test, removed with
// everything in it when the object goes away.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vandrel::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vandrel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The directory without a trailing "/"; empty when it could not be made.
  const std::string& path() const { return path_; }
  // With a trailing "/", as the program holds directories.
  std::string dir() const { return path_ + "/"; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string operator/(const std::string& name) const { return file(name); }
  // Writes `data` as file `name` in it and returns the file's path.
  std::string write(const std::string& name, const std::string& data) const {
    const std::string path = file(name);
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }

 private:
  std::string path_;
};

}  // namespace vandrel::testing

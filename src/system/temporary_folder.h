// A private scratch folder that lives as long as its owner: made new with
// mode 0700 under $TMPDIR (else /tmp), and removed with everything in it,
// whatever was made there meanwhile, when the owner goes. Any thread.
#pragma once

#include <string>

namespace vandrel::sys {

class TemporaryFolder {
 public:
  // `prefix` starts the folder's name ("vandrel-gpg-" gives
  // /tmp/vandrel-gpg-Xy12Ab).
  explicit TemporaryFolder(const std::string& prefix);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // False when the folder could not be made; error() says why.
  bool valid() const { return !path_.empty(); }
  int error() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int error_ = 0;
};

}  // namespace vandrel::sys

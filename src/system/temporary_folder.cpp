// TemporaryFolder: mkdtemp for the name (it makes the folder 0700), nftw
// depth-first for the removal, never following a link out of the folder.
#include "system/temporary_folder.h"

#include <ftw.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace vandrel::sys {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;  // go on: whatever cannot be removed stays, the rest goes
}

}  // namespace

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
  const char* folder = ::getenv("TMPDIR");
  std::string name = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
  name += "/" + prefix + "XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    error_ = errno;
    return;
  }
  path_ = buffer.data();
}

TemporaryFolder::~TemporaryFolder() {
  if (path_.empty()) return;
  ::nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

}  // namespace vandrel::sys

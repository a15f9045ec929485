// Depth-first walk with an explicit set of the folders already entered,
// keyed by device and inode, which is what makes link loops harmless.
#include "vandrelsum/tree_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "vandrelsum/messages.h"

namespace vandrel::sum {
namespace {

struct DirectoryClose {
  void operator()(DIR* directory) const { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryClose>;

class Walker {
 public:
  Walker(const std::function<void(const std::string&)>& visitFile, const WalkMessage& message)
      : visitFile_(visitFile), message_(message) {}

  void complainAbout(const std::string& path, int error) {
    message_([path, error] { ComplainAbout(path, error); });
  }

  bool walkFolder(const std::string& path, const struct stat& status) {
    if (!entered_.insert({status.st_dev, status.st_ino}).second) return true;
    std::vector<std::string> names;
    {
      // Closed before going deeper, so a deep tree does not use up descriptors.
      DirectoryHandle directory(::opendir(path.c_str()));
      if (!directory) {
        complainAbout(path, errno);
        return false;
      }
      errno = 0;
      while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      if (errno != 0) {
        complainAbout(path, errno);
        ok_ = false;
      }
    }
    std::sort(names.begin(), names.end());
    const std::string prefix = path.ends_with('/') ? path : path + "/";
    for (const std::string& name : names) visit(prefix + name);
    return ok_;
  }

  void visit(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
      complainAbout(path, errno);
      ok_ = false;
      return;
    }
    if (S_ISDIR(status.st_mode)) {
      if (!walkFolder(path, status)) ok_ = false;
    } else if (S_ISREG(status.st_mode)) {
      visitFile_(path);
    } else {
      message_([path] { Complain(QuoteName(path) + ": skipped: not a regular file"); });
    }
  }

  bool ok() const { return ok_; }

 private:
  const std::function<void(const std::string&)>& visitFile_;
  const WalkMessage& message_;
  std::set<std::pair<dev_t, ino_t>> entered_;
  bool ok_ = true;
};

}  // namespace

bool WalkTree(const std::string& root, const std::function<void(const std::string&)>& visitFile,
              const WalkMessage& message) {
  Walker walker(visitFile, message);
  struct stat status {};
  if (::stat(root.c_str(), &status) != 0) {
    walker.complainAbout(root, errno);
    return false;
  }
  if (!S_ISDIR(status.st_mode)) {
    walker.visit(root);
    return walker.ok();
  }
  return walker.walkFolder(root, status);
}

}  // namespace vandrel::sum

// How a file is named from a folder, the way the kernel will resolve the
// name: the name a checksum list saved in that folder gives the file. Looks
// at the disk (symbolic links, the working directory); one object per thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vandrel::sys {

// Names files from one folder: the name that reaches each file from there.
// Under the folder as written: the rest of the path. Otherwise, when the two
// share a real folder below the root: "../" steps from the folder's real
// place, since ".." leaves a folder reached through a link towards the
// link's target, not back where the link stands. Otherwise the absolute
// path. The last part of a path is kept as it is, a link included.
class NamesFromFolder {
 public:
  // `folder` absolute, or relative to the working directory (empty: the
  // working directory itself).
  explicit NamesFromFolder(const std::string& folder);
  // `path` absolute, or relative to the working directory.
  std::string nameOf(const std::string& path);

 private:
  using Parts = std::vector<std::string>;
  const std::optional<Parts>& realFolder();
  const std::optional<Parts>& realParent(const std::string& parent);

  std::string workingDirectory_;
  std::string folder_;  // absolute; empty when the working directory is unknown
  Parts folderParts_;
  bool realFolderKnown_ = false;
  std::optional<Parts> realFolder_;
  // The rows of a list mostly share a folder: the last one looked up.
  std::string lastParent_;
  std::optional<Parts> lastRealParent_;
};

}  // namespace vandrel::sys

// The copy of a file's old content that an overwrite in place keeps until
// the new content is on disk, named "<name>.vandrel-copy" ("-2", "-3" ...
// when taken) beside the file or, where that folder takes no new file, in
// the user's state folder ($XDG_STATE_HOME/vandrel/). It is written under a
// temporary name and given its own only once whole and synced: a file of
// that name is always a complete copy. Any thread.
#pragma once

#include <string>

#include "system/file_descriptor.h"

namespace vandrel::sys::internal {

class KeptCopy {
 public:
  // Copies all that `source` holds; 0 or errno. `folder` (with its path
  // `folderText`) holds the file called `name`, and outlives this object.
  int make(int folder, const std::string& folderText, const std::string& name, int source);
  // Where the copy is.
  const std::string& path() const { return path_; }
  // The new content is safe: the copy goes.
  void remove();

 private:
  int makeIn(int folder, const std::string& name, int source);

  FileDescriptor stateFolder_;
  int folder_ = -1;
  std::string name_;
  std::string path_;
};

}  // namespace vandrel::sys::internal

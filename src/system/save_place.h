// Where a save lands: the path walked one name at a time from a folder's
// descriptor, following a symbolic link only where the kernel's
// protected_symlinks rule lets it be followed, whether that rule is on or
// not, so that a link another user planted in a shared folder (/tmp) cannot
// send the save elsewhere. Any thread.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "system/file_descriptor.h"

namespace vandrel::sys::internal {

struct SavePlace {
  int error = 0;
  // With EACCES: the link that was not followed, as the walk reached it.
  std::string refusedLink;
  // The folder that holds `name`: opened for reading where it may be read
  // (to list and sync it), otherwise only a handle to open names in.
  FileDescriptor folder;
  std::string folderText;  // the folder as a path ending in "/"; empty: the working folder
  std::string name;        // never a link, and never empty
  bool exists = false;
  struct stat status {};  // of `name`, when it exists
};

SavePlace FindSavePlace(const std::string& path);

// The kernel's rule: a link in a sticky folder that every user may write is
// followed only by its owner, or when the folder's owner owns it too.
bool MayFollowLink(const struct stat& folder, uid_t linkOwner, uid_t follower);

}  // namespace vandrel::sys::internal

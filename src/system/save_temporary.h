// The hidden files a save writes before it renames them into place
// (".vandrel-save-" and digits). Each is locked with an open file
// description lock from before its first byte until it is renamed or
// removed, so a later save can tell the leftover of a crash, which no
// process holds, from a save still running, and removes only the former.
// Any thread.
#pragma once

#include <sys/types.h>

#include <string>

#include "system/file_descriptor.h"

namespace vandrel::sys::internal {

class SaveTemporary {
 public:
  SaveTemporary() = default;
  // Unlinks the file unless it was kept.
  ~SaveTemporary();
  SaveTemporary(const SaveTemporary&) = delete;
  SaveTemporary& operator=(const SaveTemporary&) = delete;

  // A new locked file in `folder`, which must outlive this object, with
  // `mode` less the umask; 0 or errno.
  int create(int folder, mode_t mode);
  int descriptor() const { return file_.get(); }
  const std::string& name() const { return name_; }
  // The file has left its name (renamed into place): nothing to unlink.
  void keep() { kept_ = true; }
  // Unlinks and closes the file now.
  void discard();
  // Closes the file, which also gives up the lock, and reports what close
  // says: on some file systems (NFS) a failed write surfaces only there.
  int close();

 private:
  int folder_ = -1;
  std::string name_;
  FileDescriptor file_;
  bool kept_ = false;
};

// Removes the temporaries in `folder` that no process holds and that belong
// to the caller's user: another user's file, or anything not named and made
// as a temporary (a link, a folder), is left alone.
void RemoveStaleTemporaries(int folder);

// fsync of a folder, so that a name just made or renamed there lasts
// through a power cut; 0 where the folder cannot be synced at all (only a
// handle to it could be opened, or its file system has no such sync).
int SyncFolder(int folder);

}  // namespace vandrel::sys::internal

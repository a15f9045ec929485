// KeptCopy: the old content read through the open file, written to a save
// temporary, synced, then renamed to a copy name without replacing anything
// (a hard link where the file system cannot rename so), and the folder
// synced, all before the first byte of the overwrite.
#include "system/kept_copy.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system/paths.h"
#include "system/save_temporary.h"
#include "system/whole_file_internal.h"

namespace vandrel::sys::internal {
namespace {

constexpr int kCopyNames = 100;
// Room for the suffix within the longest name a folder takes (255 bytes).
constexpr std::size_t kMaxBaseBytes = 200;

std::string CopyName(const std::string& name, int number) {
  std::string copy = name.substr(0, kMaxBaseBytes) + ".vandrel-copy";
  return number == 1 ? copy : copy + "-" + std::to_string(number);
}

int CopyContent(int source, int target) {
  char buffer[64 * 1024];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(source, buffer, sizeof buffer, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    if (const int error = WriteAll(target, {buffer, static_cast<std::size_t>(got)})) return error;
    at += got;
  }
}

// The folder for copies a file's own folder refuses, made private to the
// user; empty without a home.
std::string StateFolder() {
  std::string base = EnvironmentVariable("XDG_STATE_HOME");
  if (base.empty() || base.front() != '/') {
    const std::string home = HomeDirectory();
    if (home.empty()) return {};
    base = home + ".local/state";
  }
  const std::string folder = base + "/vandrel/";
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  return folder;
}

}  // namespace

int KeptCopy::make(int folder, const std::string& folderText, const std::string& name, int source) {
  int error = makeIn(folder, name, source);
  if (error == 0) {
    path_ = folderText + name_;
    return 0;
  }
  if (error != EACCES && error != EPERM && error != EROFS) return error;
  const std::string state = StateFolder();
  if (state.empty()) return error;
  stateFolder_ = FileDescriptor(::open(state.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!stateFolder_.valid()) return errno;
  RemoveStaleTemporaries(stateFolder_.get());
  if ((error = makeIn(stateFolder_.get(), name, source))) return error;
  path_ = state + name_;
  return 0;
}

int KeptCopy::makeIn(int folder, const std::string& name, int source) {
  SaveTemporary temporary;
  if (const int error = temporary.create(folder, 0600)) return error;
  if (const int error = CopyContent(source, temporary.descriptor())) return error;
  if (::fsync(temporary.descriptor()) != 0) return errno;
  for (int number = 1; number <= kCopyNames; ++number) {
    const std::string copy = CopyName(name, number);
    const char* from = temporary.name().c_str();
    int error = ::renameat2(folder, from, folder, copy.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
    if (error == 0) {
      temporary.keep();
    } else if (error == EINVAL || error == ENOSYS) {
      // No such rename on this file system (NFS): a second name, which
      // cannot replace anything either; the temporary's goes at the end.
      error = ::linkat(folder, from, folder, copy.c_str(), 0) == 0 ? 0 : errno;
    }
    if (error == EEXIST) continue;
    if (error) return error;
    folder_ = folder;
    name_ = copy;
    return SyncFolder(folder);
  }
  return EEXIST;
}

void KeptCopy::remove() {
  if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
  name_.clear();
}

}  // namespace vandrel::sys::internal

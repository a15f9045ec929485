// SaveWholeFile: the place behind any links the save may follow, then a
// locked temporary file beside it renamed over it once complete, or an
// overwrite in place behind a kept copy where a rename would lose the
// file's links, owner or set-id bits; devices and pipes written in place.
#include "system/whole_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system/file_descriptor.h"
#include "system/kept_copy.h"
#include "system/save_place.h"
#include "system/save_temporary.h"
#include "system/whole_file_internal.h"

namespace vandrel::sys {
namespace internal {

int WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace internal

namespace {

using internal::KeptCopy;
using internal::SavePlace;
using internal::SaveTemporary;
using internal::WriteBytes;

// A device or a pipe: no size to reserve, nothing to cut.
int WriteToNode(const SavePlace& place, std::string_view bytes) {
  // Non-blocking for the open only: a named pipe without a reader refuses
  // at once instead of waiting for one.
  FileDescriptor file(
      ::openat(place.folder.get(), place.name.c_str(),
               O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return errno;
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return internal::WriteAll(file.get(), bytes);
}

// A regular file overwritten where it is, keeping its inode and so its links,
// owner and mode. Whatever can be refused before the first byte is: the size
// limit, a file that changed since it was looked at, and the disk space
// (reserved past the old end without moving it, once the copy of the old
// content is made). The copy stays if the overwrite fails.
int OverwriteInPlace(const SavePlace& place, std::string_view bytes, const WriteBytes& write,
                     SaveDetails* details) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      bytes.size() > limit.rlim_cur) {
    return EFBIG;
  }
  FileDescriptor file(
      ::openat(place.folder.get(), place.name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  if (!file.valid()) return errno;
  struct stat now {};
  if (::fstat(file.get(), &now) != 0) return errno;
  if (now.st_dev != place.status.st_dev || now.st_ino != place.status.st_ino) return EAGAIN;
  KeptCopy copy;
  if (const int error = copy.make(place.folder.get(), place.folderText, place.name, file.get())) {
    return error;
  }
  if (!bytes.empty() &&
      ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    const int error = errno;
    copy.remove();
    return error;
  }
  int error = write(file.get(), bytes);
  if (!error && ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0) error = errno;
  if (!error && ::fsync(file.get()) != 0) error = errno;
  if (const int closeError = ::close(file.release()) == 0 ? 0 : errno; !error) error = closeError;
  if (error) {
    if (details) details->keptCopy = copy.path();
    return error;
  }
  copy.remove();
  return 0;
}

// Gives the temporary file the old file's owner, group and permission bits,
// before any byte is written; false when it cannot have them.
bool TakeOverOwnerAndMode(int descriptor, const struct stat& old, int& error) {
  struct stat now {};
  if (::fstat(descriptor, &now) != 0) {
    error = errno;
    return false;
  }
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(descriptor, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  if (::fchmod(descriptor, old.st_mode & 0777) != 0) {
    error = errno;
    return false;
  }
  return true;
}

// Set-id bits go on last: a write by a process that may not keep them
// clears them. True when the file now has exactly the old owner and mode.
bool EndsWithTheOldOwnerAndMode(int descriptor, const struct stat& old) {
  const mode_t wanted = old.st_mode & 07777;
  if ((wanted & 07000) != 0 && ::fchmod(descriptor, wanted) != 0) return false;
  struct stat now {};
  return ::fstat(descriptor, &now) == 0 && (now.st_mode & 07777) == wanted &&
         now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

int WriteThroughTemporary(const SavePlace& place, std::string_view bytes, const WriteBytes& write,
                          SaveDetails* details) {
  const struct stat* old = place.exists ? &place.status : nullptr;
  const int folder = place.folder.get();
  // A replaced file's text is never readable by more people than the old
  // one's; a new file starts as it will stay.
  SaveTemporary temporary;
  if (int error = temporary.create(folder, old ? 0600 : 0666)) {
    return error == EACCES && old ? OverwriteInPlace(place, bytes, write, details) : error;
  }
  // The rename would change the file's owner or mode: write in place.
  const auto inPlaceInstead = [&] {
    temporary.discard();
    return OverwriteInPlace(place, bytes, write, details);
  };
  int error = 0;
  if (old && !TakeOverOwnerAndMode(temporary.descriptor(), *old, error)) {
    return error ? error : inPlaceInstead();
  }
  if ((error = write(temporary.descriptor(), bytes))) return error;
  if (old && !EndsWithTheOldOwnerAndMode(temporary.descriptor(), *old)) return inPlaceInstead();
  if (::fsync(temporary.descriptor()) != 0) return errno;
  if (::renameat(folder, temporary.name().c_str(), folder, place.name.c_str()) != 0) return errno;
  temporary.keep();
  // The lock stays until the rename is done: unlocked, the file would look
  // like a crash's leftover to a save running beside this one.
  error = internal::SyncFolder(folder);
  const int closeError = temporary.close();
  return error ? error : closeError;
}

}  // namespace

namespace internal {

int SaveWholeFile(const std::string& path, std::string_view bytes, const WriteBytes& write,
                  SaveDetails* details) {
  const SavePlace place = FindSavePlace(path);
  if (place.error) {
    if (details) details->refusedLink = place.refusedLink;
    return place.error;
  }
  if (place.exists && !S_ISREG(place.status.st_mode)) return WriteToNode(place, bytes);
  RemoveStaleTemporaries(place.folder.get());
  // A rename would leave the other names with the old content.
  if (place.exists && place.status.st_nlink > 1) {
    return OverwriteInPlace(place, bytes, write, details);
  }
  return WriteThroughTemporary(place, bytes, write, details);
}

}  // namespace internal

int SaveWholeFile(const std::string& path, std::string_view bytes, SaveDetails* details) {
  return internal::SaveWholeFile(path, bytes, internal::WriteAll, details);
}

}  // namespace vandrel::sys

// SaveWholeFile: the name behind any links, then a temporary file beside it
// renamed over it once complete, or an overwrite in place where a rename
// would lose the file's links, owner or set-id bits; devices and pipes
// written in place.
#include "system/whole_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>

#include "system/file_descriptor.h"
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

using internal::WriteBytes;

constexpr int kNameAttempts = 100;
// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int kMaxLinkHops = 40;

// Closes a descriptor and reports what close says: on some file systems
// (NFS) a failed write surfaces only there.
int CloseChecked(int descriptor) { return ::close(descriptor) == 0 ? 0 : errno; }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where the content of `path` lives: the end of its chain of links, which
// need not exist yet. `status` describes it when `exists`.
struct LinkEnd {
  int error = 0;
  std::string path;
  bool exists = false;
  struct stat status {};
};

LinkEnd FollowLinks(std::string path) {
  LinkEnd end;
  for (int hops = 0;; ++hops) {
    if (::lstat(path.c_str(), &end.status) != 0) {
      if (errno != ENOENT) end.error = errno;
      break;
    }
    if (!S_ISLNK(end.status.st_mode)) {
      end.exists = true;
      break;
    }
    if (hops == kMaxLinkHops) {
      end.error = ELOOP;
      break;
    }
    std::string target(static_cast<std::size_t>(end.status.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) {
      end.error = errno;
      break;
    }
    // A link changed between lstat and readlink: read it again.
    if (static_cast<std::size_t>(length) == target.size()) continue;
    target.resize(static_cast<std::size_t>(length));
    path = !target.empty() && target.front() == '/' ? target : FolderOf(path) + target;
  }
  end.path = std::move(path);
  return end;
}

// A fresh name in `folder`, different on every call and in every process.
std::string TemporaryName(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned long long mix = static_cast<unsigned long long>(now) * 2654435761u ^
                                 (static_cast<unsigned long long>(::getpid()) << 20) ^
                                 counter.fetch_add(1);
  return folder + ".vandrel-save-" + std::to_string(mix % 100000000000ull);
}

// Closes the descriptor and unlinks the temporary file unless it was renamed
// into place.
class TemporaryFile {
 public:
  TemporaryFile(std::string path, int descriptor)
      : path_(std::move(path)), descriptor_(descriptor) {}
  ~TemporaryFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  int descriptor() const { return descriptor_; }
  int close() {
    const int error = CloseChecked(descriptor_);
    descriptor_ = -1;
    return error;
  }
  void keep() { kept_ = true; }

 private:
  std::string path_;
  int descriptor_;
  bool kept_ = false;
};

// A device or a pipe: no size to reserve, nothing to cut.
int WriteToNode(const std::string& path, std::string_view bytes) {
  // Non-blocking for the open only: a named pipe without a reader refuses
  // at once instead of waiting for one.
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return errno;
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return internal::WriteAll(file.get(), bytes);
}

// A regular file overwritten where it is, keeping its inode and so its links,
// owner and mode. Whatever can be refused before the first byte is: the size
// limit, and the disk space (reserved past the old end without moving it).
int Overwrite(int descriptor, std::string_view bytes, const WriteBytes& write) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      bytes.size() > limit.rlim_cur) {
    return EFBIG;
  }
  if (!bytes.empty() &&
      ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    return errno;
  }
  if (const int error = write(descriptor, bytes)) return error;
  if (::ftruncate(descriptor, static_cast<off_t>(bytes.size())) != 0) return errno;
  return ::fsync(descriptor) == 0 ? 0 : errno;
}

int OverwriteInPlace(const std::string& path, std::string_view bytes, const WriteBytes& write) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) return errno;
  const int error = Overwrite(descriptor, bytes, write);
  const int closeError = CloseChecked(descriptor);
  return error ? error : closeError;
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

int WriteThroughTemporary(const std::string& path, std::string_view bytes, const struct stat* old,
                          const WriteBytes& write) {
  const std::string folder = FolderOf(path);
  // A replaced file's text is never readable by more people than the old
  // one's; a new file starts as it will stay.
  const mode_t creationMode = old ? 0600 : 0666;
  std::unique_ptr<TemporaryFile> temporary;
  for (int attempt = 0; attempt < kNameAttempts && !temporary; ++attempt) {
    std::string name = TemporaryName(folder);
    const int descriptor =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, creationMode);
    if (descriptor >= 0) {
      temporary = std::make_unique<TemporaryFile>(std::move(name), descriptor);
    } else if (errno == EACCES && old) {
      return OverwriteInPlace(path, bytes, write);
    } else if (errno != EEXIST) {
      return errno;
    }
  }
  if (!temporary) return EEXIST;
  int error = 0;
  if (old && !TakeOverOwnerAndMode(temporary->descriptor(), *old, error)) {
    if (error) return error;
    temporary.reset();
    return OverwriteInPlace(path, bytes, write);
  }
  if ((error = write(temporary->descriptor(), bytes))) return error;
  if (old && !EndsWithTheOldOwnerAndMode(temporary->descriptor(), *old)) {
    temporary.reset();
    return OverwriteInPlace(path, bytes, write);
  }
  if (::fsync(temporary->descriptor()) != 0) return errno;
  if ((error = temporary->close())) return error;
  if (::rename(temporary->path().c_str(), path.c_str()) != 0) return errno;
  temporary->keep();
  return 0;
}

}  // namespace

namespace internal {

int SaveWholeFile(const std::string& path, std::string_view bytes, const WriteBytes& write) {
  if (path.empty()) return ENOENT;
  const LinkEnd end = FollowLinks(path);
  if (end.error) return end.error;
  if (!end.exists) return WriteThroughTemporary(end.path, bytes, nullptr, write);
  if (!S_ISREG(end.status.st_mode)) return WriteToNode(end.path, bytes);
  // A rename would leave the other names with the old content.
  if (end.status.st_nlink > 1) return OverwriteInPlace(end.path, bytes, write);
  return WriteThroughTemporary(end.path, bytes, &end.status, write);
}

}  // namespace internal

int SaveWholeFile(const std::string& path, std::string_view bytes) {
  return internal::SaveWholeFile(path, bytes, internal::WriteAll);
}

}  // namespace vandrel::sys

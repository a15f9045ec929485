// SaveTemporary and the sweep of stale ones. A writer holds a write lock;
// the sweep takes a read lock, which no writer's lock can share, before it
// unlinks, and a writer that finds its new file taken (lock refused, or
// its name already gone) simply makes another.
#include "system/save_temporary.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <vector>

namespace vandrel::sys::internal {
namespace {

constexpr int kNameAttempts = 100;
constexpr std::string_view kPrefix = ".vandrel-save-";

// A fresh name, different on every call and in every process.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned long long mix = static_cast<unsigned long long>(now) * 2654435761u ^
                                 (static_cast<unsigned long long>(::getpid()) << 20) ^
                                 counter.fetch_add(1);
  return std::string(kPrefix) + std::to_string(mix % 100000000000ull);
}

bool IsTemporaryName(std::string_view name) {
  if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) return false;
  for (const char c : name.substr(kPrefix.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A lock on the whole file, without waiting; false with errno set.
bool Lock(int descriptor, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return ::fcntl(descriptor, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

SaveTemporary::~SaveTemporary() { discard(); }

int SaveTemporary::create(int folder, mode_t mode) {
  folder_ = folder;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryName();
    FileDescriptor file(::openat(folder, name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                                 mode));
    if (!file.valid()) {
      if (errno == EEXIST) continue;
      return errno;
    }
    // Between the open and the lock a sweep may have taken the file: it then
    // holds it, or has already removed its name. Either way, another name.
    // A file system without locks leaves it unlocked; no sweep removes
    // anything there, since the sweep cannot lock either.
    if (!Lock(file.get(), F_WRLCK) && (errno == EAGAIN || errno == EACCES)) continue;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return errno;
    if (status.st_nlink == 0) continue;
    name_ = std::move(name);
    file_ = std::move(file);
    return 0;
  }
  return EEXIST;
}

void SaveTemporary::discard() {
  if (!name_.empty() && !kept_) ::unlinkat(folder_, name_.c_str(), 0);
  kept_ = true;
  file_ = FileDescriptor();
}

int SaveTemporary::close() { return ::close(file_.release()) == 0 ? 0 : errno; }

void RemoveStaleTemporaries(int folder) {
  DIR* listing = ::fdopendir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listing == nullptr) return;  // an unreadable folder keeps its leftovers
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryName(entry->d_name)) names.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  for (const std::string& name : names) {
    FileDescriptor file(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid() || !Lock(file.get(), F_RDLCK)) {
      continue;
    }
    // Only while the name still is the file this lock holds.
    struct stat named {};
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == status.st_dev && named.st_ino == status.st_ino) {
      ::unlinkat(folder, name.c_str(), 0);
    }
  }
}

int SyncFolder(int folder) {
  if (::fsync(folder) == 0 || errno == EBADF || errno == EINVAL) return 0;
  return errno;
}

}  // namespace vandrel::sys::internal

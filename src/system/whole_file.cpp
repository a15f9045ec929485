// SaveWholeFile: a temporary file beside the target, renamed over it once
// complete; devices and pipes written in place.
#include "system/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "system/file_descriptor.h"

namespace vandrel::sys {
namespace {

constexpr int kNameAttempts = 100;

// Every byte, across short writes and interrupted calls; 0 or errno.
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

// Closes a descriptor and reports what close says: on some file systems
// (NFS) a failed write surfaces only there.
int CloseChecked(int descriptor) { return ::close(descriptor) == 0 ? 0 : errno; }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

// Unlinks the temporary file unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

int WriteInPlace(const std::string& path, std::string_view bytes) {
  // Non-blocking for the open only: a named pipe without a reader refuses
  // at once instead of waiting for one.
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return errno;
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return WriteAll(file.get(), bytes);
}

int WriteThroughTemporary(const std::string& path, std::string_view bytes, const struct stat* old) {
  const std::string folder = FolderOf(path);
  int descriptor = -1;
  std::unique_ptr<TemporaryFile> temporary;
  for (int attempt = 0; attempt < kNameAttempts && descriptor < 0; ++attempt) {
    std::string name = TemporaryName(folder);
    descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor >= 0) {
      temporary = std::make_unique<TemporaryFile>(std::move(name));
    } else if (errno != EEXIST) {
      return errno;
    }
  }
  if (descriptor < 0) return EEXIST;
  int error = WriteAll(descriptor, bytes);
  if (!error && old && ::fchmod(descriptor, old->st_mode & 0777) != 0) error = errno;
  if (!error && ::fsync(descriptor) != 0) error = errno;
  const int closeError = CloseChecked(descriptor);
  if (!error) error = closeError;
  if (error) return error;
  if (::rename(temporary->path().c_str(), path.c_str()) != 0) return errno;
  temporary->keep();
  return 0;
}

}  // namespace

int SaveWholeFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return ENOENT;
  std::string target = path;
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  if (::stat(target.c_str(), &status) != 0) {
    if (errno != ENOENT) return errno;
    return WriteThroughTemporary(target, bytes, nullptr);
  }
  if (!S_ISREG(status.st_mode)) return WriteInPlace(target, bytes);
  return WriteThroughTemporary(target, bytes, &status);
}

}  // namespace vandrel::sys

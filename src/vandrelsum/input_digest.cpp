// Opening, reading and digesting one input, with the progress line for big
// files. The descriptor is opened blocking: a pipe named on the command line
// is meant to be read.
#include "vandrelsum/input_digest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "digest/digest_engine.h"
#include "system/file_descriptor.h"
#include "vandrelsum/messages.h"
#include "vandrelsum/progress_line.h"

namespace vandrel::sum {
namespace {

InputDigest DigestDescriptor(int descriptor, DigestKind kind, const std::string& shownName) {
  InputDigest result;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) {
    result.error = errno;
    return result;
  }
  if (S_ISDIR(status.st_mode)) {
    result.error = EISDIR;
    return result;
  }
  DigestOptions options;
  options.chunkBytes = kSumReadBytes;
  options.readAhead = true;
  std::unique_ptr<ProgressLine> progress;
  if (S_ISREG(status.st_mode)) {
    // Only a hint for read-ahead; reading works the same without it.
    (void)::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (WantsProgress(size)) {
      progress = std::make_unique<ProgressLine>(QuoteName(shownName), size);
      options.progress = [&progress](std::uint64_t done, std::uint64_t) {
        progress->update(done);
        return true;
      };
    }
  }
  const DigestResult digest =
      DigestOpenDescriptor(descriptor, Info(kind.algorithm).engine, kind.bits, options);
  result.hex = digest.hex;
  if (digest.failure == DigestFailure::OutOfMemory) {
    result.error = ENOMEM;
  } else if (result.hex.empty()) {
    result.error = digest.error != 0 ? digest.error : EINVAL;
  }
  return result;
}

}  // namespace

InputDigest DigestInput(const std::string& path, DigestKind kind, const std::string& shownName) {
  if (path == "-") return DigestDescriptor(STDIN_FILENO, kind, shownName);
  sys::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (!file.valid()) {
    InputDigest result;
    result.error = errno;
    return result;
  }
  return DigestDescriptor(file.get(), kind, shownName);
}

}  // namespace vandrel::sum

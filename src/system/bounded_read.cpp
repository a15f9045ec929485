// Bounded whole-file reads: the size is judged on the open descriptor, so
// the file that is read is the one that was judged.
#include "system/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "system/file_descriptor.h"

namespace vandrel::sys {
namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

BoundedRead Problem(ReadProblem problem, int error = 0) {
  BoundedRead read;
  read.problem = problem;
  read.error = error;
  return read;
}

BoundedRead ReadUpTo(int descriptor, std::size_t maxBytes, std::size_t expectedBytes) {
  BoundedRead read;
  read.bytes.reserve(std::min(expectedBytes, maxBytes) + 1);
  for (;;) {
    // One byte past the ceiling is enough to know the file is too large.
    const std::size_t room = std::min(kChunkBytes, maxBytes + 1 - read.bytes.size());
    const std::size_t had = read.bytes.size();
    read.bytes.resize(had + room);
    const ssize_t got = ::read(descriptor, read.bytes.data() + had, room);
    read.bytes.resize(had + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got == 0) return read;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Problem(ReadProblem::Failed, errno);
    }
    if (read.bytes.size() > maxBytes) return Problem(ReadProblem::TooLarge);
  }
}

}  // namespace

BoundedRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file.valid()) return Problem(ReadProblem::Failed, errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return Problem(ReadProblem::Failed, errno);
  if (!S_ISREG(status.st_mode)) return Problem(ReadProblem::NotRegularFile);
  if (static_cast<std::uint64_t>(status.st_size) > maxBytes) return Problem(ReadProblem::TooLarge);
  return ReadUpTo(file.get(), maxBytes, static_cast<std::size_t>(status.st_size));
}

}  // namespace vandrel::sys

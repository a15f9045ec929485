// The digest engine: the algorithm table and FileDigest, which reads a file
// sequentially in 1 MiB requests and feeds each chunk to the algorithm as
// read (past the first few MiB on a second thread, when asked). It knows the
// algorithms only through their four operations.
//
// Design: registration writes a table slot and then publishes the new count
// with a release store; lookups read the count with an acquire load, so a
// reader never sees a half-written slot. A FileDigest call owns its
// descriptor, its one buffer and its one context, and shares nothing else.
#include "digest/digest_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "digest/digest_crc32.h"
#include "digest/digest_openssl.h"
#include "digest/read_ahead.h"
#include "digest/read_buffer.h"
#include "system/cpus.h"

namespace vandrel {
namespace {

constexpr std::size_t kTableCapacity = 16;

struct TableEntry {
  std::int32_t algorithm = 0;
  DigestOperations operations;
};

std::array<TableEntry, kTableCapacity> table;
std::atomic<std::size_t> table_size{0};

const DigestOperations* FindDigest(std::int32_t algorithm) {
  const std::size_t size = table_size.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < size; ++i) {
    if (table[i].algorithm == algorithm) return &table[i].operations;
  }
  return nullptr;
}

class ContextRelease {
 public:
  explicit ContextRelease(void (*freeOperation)(DigestContext*)) : free_(freeOperation) {}
  void operator()(DigestContext* context) const { free_(context); }

 private:
  void (*free_)(DigestContext*);
};
using ContextHandle = std::unique_ptr<DigestContext, ContextRelease>;

// Only regular files, block devices and directories are read. A named pipe
// would block until some writer appears, a character device such as
// /dev/zero may never end, and a socket cannot be read as a file.
bool IsReadableKind(mode_t mode) { return S_ISREG(mode) || S_ISBLK(mode) || S_ISDIR(mode); }

// Where the bytes of one digest go: the algorithm, then the progress
// callback after every chunk.
struct DigestSink {
  const DigestOperations& operations;
  DigestContext* context;
  const DigestOptions& options;
  std::uint64_t total;
  DigestResult& result;

  // False when the progress callback asked to stop.
  bool take(const std::uint8_t* data, std::size_t count) {
    operations.DigestUpdate(context, data, count);
    result.bytesRead += count;
    if (options.progress && !options.progress(result.bytesRead, total)) {
      result.failure = DigestFailure::Abandoned;
      return false;
    }
    return true;
  }
};

// Files and disks only: a read from a pipe or terminal may block for as
// long as its writer pleases, and an abandoned digest would then wait for
// the reading thread.
bool MayReadAhead(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 &&
         (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode)) && sys::UsableCpuCount() > 1;
}

// The rest of the input through a ReadAhead. False when its thread or
// buffers could not be had; nothing has been read then.
bool ReadAheadToEnd(int descriptor, DigestReadFunction readFunction, std::size_t chunk,
                    DigestSink& sink) {
  std::optional<ReadAhead> ahead;
  try {
    ahead.emplace(descriptor, readFunction, chunk);
  } catch (const std::exception&) {
    return false;
  }
  for (;;) {
    const ReadAhead::Chunk got = ahead->next();
    if (got.size == 0) {
      if (got.error != 0) {
        sink.result.failure = DigestFailure::ReadError;
        sink.result.error = got.error;
      }
      return true;
    }
    if (!sink.take(got.data, got.size)) return true;
  }
}

// Reads to end of file. A short read is not taken as the end: only a read of
// 0 bytes is. A read error fails the digest, so that a file cut short by a
// failing disk is never reported with the digest of its first part.
void ReadToEnd(int descriptor, const DigestOptions& options, DigestSink& sink) {
  const std::size_t chunk = options.chunkBytes > 0 ? options.chunkBytes : kDigestChunkBytes;
  ReadBuffer ownBuffer;
  std::uint8_t* buffer = options.buffer;
  if (buffer == nullptr) {
    ownBuffer = MakeReadBuffer(chunk);
    buffer = ownBuffer.get();
  }
  if (buffer == nullptr) {
    sink.result.failure = DigestFailure::OutOfMemory;
    return;
  }
  const DigestReadFunction readFunction = options.read ? options.read : ::read;
  // Asked only once the input is big enough, so small files pay nothing.
  bool mayReadAhead = options.readAhead;
  for (;;) {
    if (mayReadAhead && sink.result.bytesRead >= kReadAheadAfterBytes &&
        (!options.spareCpu || options.spareCpu())) {
      mayReadAhead = false;
      if (MayReadAhead(descriptor) && ReadAheadToEnd(descriptor, readFunction, chunk, sink)) {
        return;
      }
    }
    const ssize_t got = readFunction(descriptor, buffer, chunk);
    if (got > 0) {
      if (!sink.take(buffer, static_cast<std::size_t>(got))) return;
    } else if (got == 0) {
      return;
    } else if (errno != EINTR) {
      sink.result.failure = DigestFailure::ReadError;
      sink.result.error = errno;
      return;
    }
    // EINTR: a signal came before any byte did; asking again loses nothing.
  }
}

}  // namespace

std::string SystemErrorText(int error) {
  std::string text = std::strerror(error);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || text[1] > 'Z')) {
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  }
  return text;
}

namespace {

std::string HexText(const DigestContext& context) {
  static constexpr char kDigits[] = "0123456789abcdef";
  if (context.bits <= 0 || context.bits % 8 != 0) return {};
  const std::size_t bytes = static_cast<std::size_t>(context.bits / 8);
  if (bytes > context.output.size()) return {};
  std::string text(bytes * 2, '0');
  for (std::size_t i = 0; i < bytes; ++i) {
    text[2 * i] = kDigits[context.output[i] >> 4];
    text[2 * i + 1] = kDigits[context.output[i] & 0x0f];
  }
  return text;
}

DigestResult Failed(DigestFailure failure, int error = 0) {
  DigestResult result;
  result.failure = failure;
  result.error = error;
  return result;
}

// Digests what `descriptor` yields until its end; `total` is what the
// progress callback is told the whole is (0 when unknown).
DigestResult DigestFrom(int descriptor, const DigestOperations* operations, std::int32_t bits,
                        const DigestOptions& options, std::uint64_t total) {
  if (operations == nullptr) return Failed(DigestFailure::UnknownAlgorithm);
  ContextHandle context(operations->DigestInit(bits), ContextRelease(operations->DigestFree));
  if (!context) return Failed(DigestFailure::UnknownAlgorithm);
  DigestResult result;
  DigestSink sink{*operations, context.get(), options, total, result};
  ReadToEnd(descriptor, options, sink);
  if (result.failure != DigestFailure::None) return result;
  operations->DigestFinal(context.get());
  result.hex = HexText(*context);
  // The library failed inside the finish operation.
  if (result.hex.empty()) result.failure = DigestFailure::UnknownAlgorithm;
  return result;
}

}  // namespace

bool RegisterDigest(std::int32_t algorithm, const DigestOperations& operations) {
  if (operations.DigestInit == nullptr || operations.DigestUpdate == nullptr ||
      operations.DigestFinal == nullptr || operations.DigestFree == nullptr) {
    return false;
  }
  if (FindDigest(algorithm) != nullptr) return false;
  const std::size_t size = table_size.load(std::memory_order_relaxed);
  if (size == kTableCapacity) return false;
  table[size] = TableEntry{algorithm, operations};
  table_size.store(size + 1, std::memory_order_release);
  return true;
}

bool RegisterStandardDigests() {
  const TableEntry standard[] = {
      {Info(Algorithm::Crc32).registryNumber, Crc32Operations()},
      {Info(Algorithm::Md5).registryNumber, Md5Operations()},
      {Info(Algorithm::Sha1).registryNumber, Sha1Operations()},
      {Info(Algorithm::Sha2).registryNumber, Sha2Operations()},
      {Info(Algorithm::Sha3).registryNumber, Sha3Operations()},
  };
  bool allRegistered = true;
  for (const TableEntry& entry : standard) {
    if (!RegisterDigest(entry.algorithm, entry.operations)) allRegistered = false;
  }
  return allRegistered;
}

OpenedInput::OpenedInput(OpenedInput&& other) noexcept
    : descriptor(other.descriptor),
      owned(other.owned),
      status(other.status),
      failure(std::move(other.failure)) {
  other.owned = false;
}

OpenedInput::~OpenedInput() {
  if (owned && descriptor >= 0) ::close(descriptor);
}

OpenedInput OpenInput(const std::string& path, const DigestOptions& options) {
  OpenedInput input;
  const auto fail = [&input](DigestFailure failure, int error) -> OpenedInput& {
    input.failure = Failed(failure, error);
    return input;
  };
  if (options.readStreams && path == "-") {
    input.descriptor = STDIN_FILENO;
  } else {
    if (path.empty()) return std::move(fail(DigestFailure::CannotOpen, ENOENT));
    // Unless streams are wanted, non-blocking for the open itself: opening
    // a named pipe would otherwise wait for a writer before fstat could
    // refuse it.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (options.readStreams ? 0 : O_NONBLOCK);
    input.descriptor = ::open(path.c_str(), flags);
    if (input.descriptor < 0) return std::move(fail(DigestFailure::CannotOpen, errno));
    input.owned = true;
  }
  if (::fstat(input.descriptor, &input.status) != 0) {
    return std::move(fail(DigestFailure::CannotOpen, errno));
  }
  const mode_t mode = input.status.st_mode;
  if (S_ISDIR(mode) && (options.refuseFolders || options.readStreams)) {
    return std::move(fail(DigestFailure::IsAFolder, EISDIR));
  }
  if (!options.readStreams && !IsReadableKind(mode)) {
    return std::move(fail(DigestFailure::NotAFile, 0));
  }
  if (input.owned && !options.readStreams && !S_ISDIR(mode)) {
    const int flags = ::fcntl(input.descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(input.descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      return std::move(fail(DigestFailure::CannotOpen, errno));
    }
  }
  // Only a hint for read-ahead; reading works the same without it. A file
  // that one read takes whole gains nothing from it but a system call.
  const std::size_t chunk = options.chunkBytes > 0 ? options.chunkBytes : kDigestChunkBytes;
  if (S_ISBLK(mode) ||
      (S_ISREG(mode) && static_cast<std::uint64_t>(input.status.st_size) > chunk)) {
    (void)::posix_fadvise(input.descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return input;
}

namespace {

DigestResult DigestOpenedWith(const OpenedInput& input, const DigestOperations* operations,
                              std::int32_t bits, const DigestOptions& options) {
  if (!input.ready()) return input.failure;
  if (S_ISDIR(input.status.st_mode)) {
    DigestOptions nothingToRead = options;
    nothingToRead.read = [](int, void*, std::size_t) -> ssize_t { return 0; };
    return DigestFrom(input.descriptor, operations, bits, nothingToRead, 0);
  }
  const std::uint64_t total =
      S_ISREG(input.status.st_mode) ? static_cast<std::uint64_t>(input.status.st_size) : 0;
  return DigestFrom(input.descriptor, operations, bits, options, total);
}

const DigestOperations* OperationsOf(DigestKind kind) {
  return FindDigest(Info(kind.algorithm).registryNumber);
}

}  // namespace

DigestResult DigestOpened(const OpenedInput& input, DigestKind kind, const DigestOptions& options) {
  return DigestOpenedWith(input, OperationsOf(kind), kind.bits, options);
}

DigestResult DigestFile(const std::string& path, DigestKind kind, const DigestOptions& options) {
  if (OperationsOf(kind) == nullptr) return Failed(DigestFailure::UnknownAlgorithm);
  return DigestOpened(OpenInput(path, options), kind, options);
}

DigestResult DigestFile(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                        const DigestOptions& options) {
  const DigestOperations* operations = FindDigest(algorithm);
  if (operations == nullptr) return Failed(DigestFailure::UnknownAlgorithm);
  return DigestOpenedWith(OpenInput(path, options), operations, bits, options);
}

std::string DescribeDigestFailure(const DigestResult& result) {
  switch (result.failure) {
    case DigestFailure::None:
      return {};
    case DigestFailure::UnknownAlgorithm:
      return "algorithm or size not available";
    case DigestFailure::CannotOpen:
      return "cannot open: " + SystemErrorText(result.error);
    case DigestFailure::NotAFile:
      return "not a regular file";
    case DigestFailure::IsAFolder:
      return "is a folder";
    case DigestFailure::ReadError:
      return "read error after " + std::to_string(result.bytesRead) +
             " bytes: " + SystemErrorText(result.error);
    case DigestFailure::Abandoned:
      return "abandoned";
    case DigestFailure::OutOfMemory:
      return "out of memory";
  }
  return {};
}

std::string FileDigest(const std::string& path, std::int32_t algorithm, std::int32_t bits) {
  return DigestFile(path, algorithm, bits).hex;
}

}  // namespace vandrel

// The digest engine: the algorithm table and FileDigest, which reads a file
// sequentially in 1 MiB requests and feeds each chunk to the algorithm as
// read. It knows the algorithms only through their four operations.
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
#include <memory>

#include "digest/digest_crc32.h"
#include "digest/digest_openssl.h"
#include "system/file_descriptor.h"

namespace vandrel {
namespace {

constexpr std::size_t kTableCapacity = 16;
// Page alignment lets the kernel copy whole pages into the buffer.
constexpr std::size_t kBufferAlignment = 4096;

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


struct BufferRelease {
  void operator()(std::uint8_t* buffer) const { std::free(buffer); }
};
using ReadBuffer = std::unique_ptr<std::uint8_t, BufferRelease>;

class ContextRelease {
 public:
  explicit ContextRelease(void (*free_operation)(DigestContext*)) : free_(free_operation) {}
  void operator()(DigestContext* context) const { free_(context); }

 private:
  void (*free_)(DigestContext*);
};
using ContextHandle = std::unique_ptr<DigestContext, ContextRelease>;

// Only regular files, block devices and directories are read. A named pipe
// would block until some writer appears, a character device such as
// /dev/zero may never end, and a socket cannot be read as a file.
bool IsReadableKind(mode_t mode) { return S_ISREG(mode) || S_ISBLK(mode) || S_ISDIR(mode); }

// Reads to end of file. A short read is not taken as the end: only a read of
// 0 bytes is. False on a read error, so that a file cut short by a failing
// disk is never reported with the digest of its first part.
bool DigestDescriptor(int descriptor, const DigestOperations& operations, DigestContext* context,
                      DigestReadFunction read_function) {
  ReadBuffer buffer(
      static_cast<std::uint8_t*>(std::aligned_alloc(kBufferAlignment, kDigestChunkBytes)));
  if (!buffer) return false;
  for (;;) {
    const ssize_t got = read_function(descriptor, buffer.get(), kDigestChunkBytes);
    if (got > 0) {
      operations.DigestUpdate(context, buffer.get(), static_cast<std::size_t>(got));
    } else if (got == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
    // EINTR: the worker thread was paused by a signal before any byte came;
    // asking again loses nothing.
  }
}

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
      {kDigestCrc32, Crc32Operations()}, {kDigestMd5, Md5Operations()},
      {kDigestSha1, Sha1Operations()},   {kDigestSha2, Sha2Operations()},
      {kDigestSha3, Sha3Operations()},
  };
  bool all_registered = true;
  for (const TableEntry& entry : standard) {
    if (!RegisterDigest(entry.algorithm, entry.operations)) all_registered = false;
  }
  return all_registered;
}

std::string FileDigest(const std::string& path, std::int32_t algorithm, std::int32_t bits) {
  return FileDigestWithReader(path, algorithm, bits, ::read);
}

std::string FileDigestWithReader(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                                 DigestReadFunction read_function) {
  const DigestOperations* operations = FindDigest(algorithm);
  if (operations == nullptr || path.empty() || read_function == nullptr) return {};

  // Non-blocking only for the open itself: opening a named pipe would
  // otherwise wait for a writer before fstat could refuse it.
  tk::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return {};
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !IsReadableKind(status.st_mode)) return {};

  ContextHandle context(operations->DigestInit(bits), ContextRelease(operations->DigestFree));
  if (!context) return {};

  if (!S_ISDIR(status.st_mode)) {
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
    // Only a hint for read-ahead; reading works the same without it.
    (void)::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    if (!DigestDescriptor(file.get(), *operations, context.get(), read_function)) return {};
  }
  operations->DigestFinal(context.get());
  return HexText(*context);
}

}  // namespace vandrel

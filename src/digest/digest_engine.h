// The digest engine: a table of algorithms, each with four operations, and
// FileDigest, which reads one file and returns its digest as lowercase hex.
// The algorithms themselves live in small adapter files (digest_crc32.cpp,
// digest_openssl.cpp); this header knows nothing about the libraries.
//
// Design: the table is filled once at start-up on the main thread and only
// read afterwards. FileDigest keeps everything it uses (buffer, context) on
// its own call, so any number of calls may run at once on any threads.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/algorithm.h"

namespace vandrel {

inline constexpr std::size_t kDigestMaxOutputBytes = 64;
// Size of one read request, and so of the one buffer a FileDigest call holds.
inline constexpr std::size_t kDigestChunkBytes = 1024 * 1024;

// Common head of every algorithm's context. `bits` is the digest size in
// force (32, 128, 160, or the SHA2/SHA3 size); the finish operation fills
// the first bits / 8 bytes of `output`, or sets `bits` to 0 when the library
// failed, which makes the result the empty text.
struct DigestContext {
  std::int32_t bits = 0;
  std::array<std::uint8_t, kDigestMaxOutputBytes> output{};
};

// The four operations of one algorithm. DigestInit returns a new context
// that the caller owns until it hands it to DigestFree, or nullptr when the
// size is not accepted or memory is short. DigestUpdate takes any count,
// including 0. All four may run on any thread.
struct DigestOperations {
  DigestContext* (*DigestInit)(std::int32_t bits) = nullptr;
  void (*DigestUpdate)(DigestContext* context, const std::uint8_t* data,
                       std::size_t count) = nullptr;
  void (*DigestFinal)(DigestContext* context) = nullptr;
  void (*DigestFree)(DigestContext* context) = nullptr;
};

// Adds an algorithm under `algorithm`. Refused (false, table unchanged) when
// the number is taken, an operation is missing or the table is full.
// Start-up only, on the main thread, before any FileDigest call.
bool RegisterDigest(std::int32_t algorithm, const DigestOperations& operations);

// Registers CRC32, MD5, SHA1, SHA2 and SHA3, in that order. False when any
// of them was refused (already registered, or missing from the library).
bool RegisterStandardDigests();

// The digest of the file at `path` as lowercase hex, or the empty text when
// no digest could be made: unknown algorithm, unsupported size, a file that
// cannot be opened or fails to read, or a named pipe, socket or character
// device. A directory gives the digest of empty input. `bits` picks the
// SHA2/SHA3 size (0 means 256) and is ignored by the others.
// May run on any thread.
std::string FileDigest(const std::string& path, std::int32_t algorithm, std::int32_t bits = 0);

// FileDigest with the read(2) call replaced, so that tests can inject
// interrupted, short and failing reads. May run on any thread.
using DigestReadFunction = ssize_t (*)(int descriptor, void* buffer, std::size_t count);
std::string FileDigestWithReader(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                                 DigestReadFunction read_function);

}  // namespace vandrel

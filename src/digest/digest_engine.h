// The digest engine: a table of algorithms, each with four operations, and
// FileDigest, which reads one file and returns its digest as lowercase hex.
// The algorithms themselves live in small adapter files (digest_crc32.cpp,
// digest_openssl.cpp); this header knows nothing about the libraries.
//
// Design: the table is filled once at start-up on the main thread and only
// read afterwards. FileDigest keeps everything it uses (buffers, context, a
// reading thread when asked for one) on its own call, so any number of calls
// may run at once on any threads.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// Why a digest could not be made.
enum class DigestFailure {
  None,
  UnknownAlgorithm,  // not registered, or the size is not accepted
  CannotOpen,        // `error` holds errno
  NotAFile,          // a named pipe, socket or character device
  IsAFolder,         // only when the options refuse folders
  ReadError,         // `error` holds errno; `bytesRead` says where
  Abandoned,         // the progress callback asked to stop
  OutOfMemory,
};

struct DigestResult {
  std::string hex;  // lowercase hex; empty unless `failure` is None
  DigestFailure failure = DigestFailure::None;
  int error = 0;
  std::uint64_t bytesRead = 0;
};

// Called on the digesting thread after each read with the bytes read so far
// and the size the file had when it was opened (0 when unknown, as for a
// pipe). Returning false abandons the digest between two reads.
using DigestProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// read(2), or a stand-in that tests use to inject interrupted, short and
// failing reads.
using DigestReadFunction = ssize_t (*)(int descriptor, void* buffer, std::size_t count);

struct DigestOptions {
  DigestReadFunction read = nullptr;  // nullptr means read(2)
  DigestProgress progress;            // empty: never called
  std::size_t chunkBytes = kDigestChunkBytes;
  // A row of the results list names a file: a folder there (a link to one
  // in a listed folder) is a failure, not the digest of empty input.
  bool refuseFolders = false;
  // Past the first kReadAheadAfterBytes of a regular file or block device,
  // a second thread reads the next chunks while this one digests.
  bool readAhead = false;
  // With readAhead, asked before each read past that point until it says
  // yes: whether a CPU is idle for the reading thread. Where every CPU
  // already digests a file of its own, the reading thread would only take
  // turns with them and copy each chunk through another core's cache. Empty
  // means always. May be called on any thread that digests.
  std::function<bool()> spareCpu;
  // Named pipes and character devices are read as well, opened blocking (a
  // pipe named on a command line is meant to be read), and "-" is standard
  // input; a folder then always fails (IsAFolder).
  bool readStreams = false;
  // Where reads go: at least chunkBytes, page-aligned (MakeReadBuffer), kept
  // by the caller across files so that each file costs no allocation. Null:
  // the call makes its own.
  std::uint8_t* buffer = nullptr;
};

// Below this much input a second thread would cost more than it saves.
inline constexpr std::uint64_t kReadAheadAfterBytes = 4 * 1024 * 1024;

// The digest of the file at `path`, with the reason when there is none. Only
// regular files, block devices and folders are read; a folder gives the
// digest of empty input unless the options refuse folders. May run on any
// thread.
DigestResult DigestFile(const std::string& path, DigestKind kind,
                        const DigestOptions& options = {});

// A file opened for digesting, with its status, or the reason it could not
// be opened (`failure`). Closes what it opened; standard input stays open.
struct OpenedInput {
  int descriptor = -1;
  bool owned = false;
  struct stat status {};
  DigestResult failure;  // failure None: ready to read

  OpenedInput() = default;
  OpenedInput(OpenedInput&& other) noexcept;
  OpenedInput& operator=(OpenedInput&&) = delete;
  OpenedInput(const OpenedInput&) = delete;
  ~OpenedInput();
  bool ready() const { return failure.failure == DigestFailure::None; }
};

// DigestFile in two steps, for callers that look at the file (its size, its
// device) between opening and reading. May run on any thread.
OpenedInput OpenInput(const std::string& path, const DigestOptions& options = {});
DigestResult DigestOpened(const OpenedInput& input, DigestKind kind,
                          const DigestOptions& options = {});

// A short English reason for a failed result: "permission denied",
// "not a regular file", "read error after 4096 bytes: input/output error".
std::string DescribeDigestFailure(const DigestResult& result);
// strerror's text with a lower-case first letter, as a reason reads inside a
// sentence ("cannot open: permission denied").
std::string SystemErrorText(int error);

// The front end in the registry's numbers (kDigest*, or any number given to
// RegisterDigest): `bits` picks the SHA2/SHA3 size (0 means 256) and is
// ignored by the others. May run on any thread.
DigestResult DigestFile(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                        const DigestOptions& options = {});
// Its text alone: the digest, or the empty text when none could be made.
std::string FileDigest(const std::string& path, std::int32_t algorithm, std::int32_t bits = 0);

}  // namespace vandrel

// Reading a whole small file into memory with a ceiling on its size, for
// text that must be handled as one piece (a signature, a key file, a
// keyring). A file above the ceiling is refused, and a pipe, socket or device
// can never make the reading wait or grow without end. Any thread.
#pragma once

#include <cstddef>
#include <string>

namespace vandrel::sys {

enum class ReadProblem {
  None,
  NotRegularFile,  // a folder, a pipe, a socket or a device
  TooLarge,        // more bytes than the ceiling
  Failed,          // open or read failed; `error` says why
};

struct BoundedRead {
  ReadProblem problem = ReadProblem::None;
  int error = 0;      // errno, for Failed
  std::string bytes;  // the whole content, when problem is None
};

// Opens `path` without waiting for a writer and reads it only when the open
// descriptor is a regular file of at most `maxBytes`, judged before any byte
// is read (a file that grows meanwhile is held to the same ceiling).
BoundedRead ReadRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace vandrel::sys

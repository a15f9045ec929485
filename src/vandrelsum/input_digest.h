// Digests one input of vandrelsum: a named file, or standard input for "-".
// Named files are read whatever they are, as coreutils reads them, so
// `vandrelsum <(command)` works; a folder fails with EISDIR.
#pragma once

#include <cstddef>
#include <string>

#include "core/algorithm.h"

namespace vandrel::sum {

// Read size for vandrelsum: big enough to keep system calls rare, small
// enough to stay in the L2 cache between read() and the digest
// (bench/compare-tools measures the choice).
inline constexpr std::size_t kSumReadBytes = 256 * 1024;

struct InputDigest {
  std::string hex;  // empty on failure
  int error = 0;    // errno of the failure
};

// `path` "-" is standard input. `shownName` names the file on the progress
// line, which appears only for big files when stderr is a terminal.
InputDigest DigestInput(const std::string& path, DigestKind kind, const std::string& shownName);

}  // namespace vandrel::sum

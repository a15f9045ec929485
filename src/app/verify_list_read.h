// Reading a checksum list for Verify, without a display: only a regular file
// is read, never more than kMaxListBytes, and it is streamed through the
// checksum-list reader, so a pipe, a device or a huge file can neither hang
// the reading nor fill memory. Any thread may call these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/algorithm.h"

namespace vandrel {

// One file the list names, with its path resolved against the list's folder.
struct VerifyEntry {
  std::string path;
  std::string expectedHex;
};

struct VerifyPlan {
  DigestKind kind;
  std::vector<VerifyEntry> entries;
  std::size_t rejectedLines = 0;  // lines the reader refused or of another algorithm
};

// A list larger than this is refused unread: no real list comes near it,
// and its entries would need several times as much memory again.
inline constexpr std::int64_t kMaxListBytes = std::int64_t{256} << 20;

enum class ListFileProblem {
  None,
  NotRegularFile,  // a folder, a pipe, a socket or a device
  TooLarge,        // more than kMaxListBytes
  Unreadable,      // open or read failed; `error` says why
};

struct ListFileRead {
  ListFileProblem problem = ListFileProblem::None;
  int error = 0;    // errno, for Unreadable
  VerifyPlan plan;  // entries only when problem is None
};

// Opens `listPath` without waiting for a writer (a pipe) and reads it only
// when it is a regular file of at most kMaxListBytes. The list's name hints
// the algorithm (".sha256", ".sfv"); the algorithm is the first usable
// line's, and lines of another algorithm cannot be checked in the same job
// and count as rejected. An empty `entries` means the list has no usable
// line.
ListFileRead ReadChecksumListFile(const std::string& listPath);

}  // namespace vandrel

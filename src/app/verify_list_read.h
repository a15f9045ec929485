// A checksum list read for Verify, without a display: the shared list reader
// (checksum_list/list_file.h) with the window's care (only a regular file,
// never more than kMaxListBytes), its signature checked on the bytes read,
// and its lines made into the files to check. Any thread may call these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "checksum_list/list_file.h"
#include "core/algorithm.h"
#include "signature/list_signature.h"

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

using checksum_list::kMaxListBytes;
using checksum_list::ListFileProblem;

// What a list's signature is checked with: the signature layer's check when
// null. Another may stand in for it (a machine whose gpg cannot run).
using ListSignatureCheck = signature::ListSignature (*)(const signature::ListSignatureRequest&);

struct ListFileRead {
  ListFileProblem problem = ListFileProblem::None;
  int error = 0;    // errno, for Unreadable
  VerifyPlan plan;  // entries only when problem is None
  // The list's signature as checked; its text has gone into the plan.
  signature::ListSignature signature;
};

// Reads `listPath` when it is a regular file of at most kMaxListBytes and
// checks its signature, if it has one, with `keys`. The rows of a signed
// list come from the bytes checked: a clearsigned list's signed lines only
// (the others are counted in the signature, never planned); one gpg could
// not read as clearsigned is read as a list without a signature, which
// streams from the file as it did before signatures were checked. The list's name hints the
// algorithm (".sha256", ".sfv"); the algorithm is the first usable line's,
// and lines of another algorithm cannot be checked in the same job and
// count as rejected. An empty `entries` means the list has no usable line.
ListFileRead ReadChecksumListFile(const std::string& listPath,
                                  const signature::KeySource& keys = {},
                                  ListSignatureCheck check = nullptr);

}  // namespace vandrel

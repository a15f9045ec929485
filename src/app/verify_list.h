// Verify checksum list: a list in any form the checksum-list reader knows
// (GNU, BSD tagged, SFV, the window's own export) becomes rows that carry
// the digest they should have, and the job checks them at once. Main thread
// only; the comparison itself happens in the job (job_runner.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/algorithm.h"

namespace vandrel {

// The results-list column, never shown, that holds a row's expected digest
// (lowercase hex; empty for rows that did not come from a list).
inline constexpr int kColumnExpected = 2;

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

// Reads the list text as found at `listPath` (its name hints the algorithm:
// ".sha256", ".sfv"). The algorithm is the first usable line's; lines of
// another algorithm cannot be checked in the same job and count as rejected.
// An empty `entries` means the list has no usable line.
VerifyPlan PlanVerify(const std::string& listPath, const std::string& listText);

// The menu command: asks for a list, appends its entries, switches the
// options to its algorithm and starts the job; a list without a usable line
// gives a notice and adds nothing.
void VerifyChecksumList();

}  // namespace vandrel

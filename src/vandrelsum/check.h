// vandrelsum -c: verifies checksum lists, printing "name: OK" / "name:
// FAILED" / "name: FAILED open or read" and coreutils' closing warnings.
#pragma once

#include "vandrelsum/options.h"

namespace vandrel::sum {

// Checks every list of `options`; the exit status as `sha256sum -c` gives it.
int CheckLists(const SumOptions& options);

}  // namespace vandrel::sum

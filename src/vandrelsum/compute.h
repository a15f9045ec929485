// vandrelsum without -c: one checksum line per input on stdout, in the
// exact bytes coreutils' *sum tools print.
#pragma once

#include "vandrelsum/options.h"

namespace vandrel::sum {

// Digests every input of `options`; the exit status (1 when any failed).
int ComputeChecksums(const SumOptions& options);

}  // namespace vandrel::sum

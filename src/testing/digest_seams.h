// Ways into the digest engine that only tests and benchmarks take: an
// injected read function behind the plain digest text, and an open
// descriptor read as it is. The programs open their own inputs through
// OpenInput. Needs no display: the digest tests link this library alone.
#pragma once

#include <cstdint>
#include <string>

#include "digest/digest_engine.h"

namespace vandrel {

// The digest of everything that can still be read from an open descriptor,
// whatever it is (a pipe, a file). The caller keeps the descriptor. May run
// on any thread.
DigestResult DigestOpenDescriptor(int descriptor, std::int32_t algorithm, std::int32_t bits,
                                  const DigestOptions& options = {});

// FileDigest with reads made by `readFunction`; the empty text without one.
std::string FileDigestWithReader(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                                 DigestReadFunction readFunction);

}  // namespace vandrel

// Judging one file's digest against what its list expects, and counting.
#include "job_engine/job_engine.h"

namespace vandrel::engine {

Verdict Judge(const DigestResult& got, const std::string& expectedHex) {
  if (got.failure == DigestFailure::Abandoned) return Verdict::Abandoned;
  const bool digested = got.failure == DigestFailure::None && !got.hex.empty();
  if (expectedHex.empty()) return digested ? Verdict::Computed : Verdict::Failed;
  if (!digested) return Verdict::Missing;
  return got.hex == expectedHex ? Verdict::Matched : Verdict::Differs;
}

void Tally::count(Verdict verdict) {
  switch (verdict) {
    case Verdict::Computed:
      ++computed;
      return;
    case Verdict::Failed:
      ++failed;
      return;
    case Verdict::Matched:
      ++matched;
      return;
    case Verdict::Differs:
      ++differs;
      return;
    case Verdict::Missing:
      ++missing;
      return;
    case Verdict::Abandoned:
      ++abandoned;
      return;
  }
}

}  // namespace vandrel::engine

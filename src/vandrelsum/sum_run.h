// How vandrelsum digests its inputs: through the job engine, several files
// at once (-j), each one's report printed in the order the inputs were
// given, with the messages that came up between two inputs in their place,
// so the output is the same bytes at any -j. Named files are read whatever
// they are, as coreutils reads them, so `vandrelsum <(command)` works; a
// folder fails with EISDIR; "-" is standard input.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "digest/digest_engine.h"
#include "job_engine/job_engine.h"
#include "vandrelsum/options.h"
#include "vandrelsum/progress_line.h"

namespace vandrel::sum {

// Read size for vandrelsum: big enough to keep system calls rare, small
// enough to stay in the L2 cache between read() and the digest
// (bench/compare-tools measures the choice).
inline constexpr std::size_t kSumReadBytes = 256 * 1024;

// The errno a failed input is reported with.
int FailureErrno(const DigestResult& digest);

class SumRun {
 public:
  // Gets each input's shown name and its outcome (digest or failure, and
  // the verdict when a digest was expected), in order.
  using Report = std::function<void(const std::string& shownName, const engine::Outcome& outcome)>;

  SumRun(const SumOptions& options, Report report);
  SumRun(const SumRun&) = delete;
  SumRun& operator=(const SumRun&) = delete;

  // `shownName` names the input in its report and on the progress line,
  // which appears only for big files when stderr is a terminal.
  // `kind`: the algorithm of this input, when not the run's (a list line's).
  void addFile(const std::string& path, const std::string& shownName,
               const std::string& expectedHex = {}, std::optional<DigestKind> kind = {});
  // `say` prints a message; it runs once every input added before it has
  // been reported.
  void addMessage(std::function<void()> say);
  // Reports what is left; the counts of every input's outcome.
  engine::Tally finish();

 private:
  struct Pending {
    std::string shownName;      // an input, when `say` is empty
    std::function<void()> say;  // or a message
  };

  void delivered(const engine::Outcome& outcome);
  void progress(std::uint64_t done, std::uint64_t total);
  void sayWaitingMessages();

  Report report_;
  std::deque<Pending> pending_;  // list order; the front input is the oldest unreported
  std::unique_ptr<ProgressLine> progressLine_;
  engine::JobRun run_;
};

}  // namespace vandrel::sum

// The window's rows: every file in the results list with what the program
// knows of it (the path as added; the digest a checksum list expects and its
// algorithm; the digest computed; the verdict; why it failed), the last
// job's algorithm and its counts. Every command reads and changes the rows
// here; the list gadget only shows them. Needs no display.
//
// Design: one instance, owned and used by the main thread alone. Each change
// tells the observer (the list's view) which rows it touched, so that only
// those are drawn again. A running job reads the rows through the plan
// beginJob gives, on the main thread too; the engine's threads never see
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/algorithm.h"
#include "digest/digest_engine.h"
#include "job_engine/job_engine.h"

namespace vandrel {

enum class RowState : std::uint8_t {
  Queued,     // not computed (yet, or again after a cancel cut it short)
  Computing,  // a digest thread works on it
  Done,       // the verdict says how it ended
};

struct ResultRow {
  std::string path;         // as added, byte for byte
  std::string expectedHex;  // from a checksum list; empty for other rows
  DigestKind expectedKind;  // the list's algorithm, with expectedHex
  std::string digest;       // lowercase hex, or empty
  RowState state = RowState::Queued;
  engine::Verdict verdict = engine::Verdict::Computed;  // with state Done
  DigestFailure failure = DigestFailure::None;
  int error = 0;                // errno of the failure
  std::uint64_t bytesRead = 0;  // where a read error struck
};

class ResultsModel {
 public:
  // What the rows' view hears of each change. Indices are the rows' places.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void rowsInserted(std::size_t first, std::size_t count) = 0;
    virtual void rowsChanged(std::size_t first, std::size_t count) = 0;
    // `rows` ascending, numbered as they were before they went.
    virtual void rowsRemoved(const std::vector<std::size_t>& rows) = 0;
    virtual void rowsReset() = 0;  // every row went
  };

  // nullptr: nobody is told.
  void setObserver(Observer* observer) { observer_ = observer; }

  const std::vector<ResultRow>& rows() const { return rows_; }
  std::size_t size() const { return rows_.size(); }
  const ResultRow& row(std::size_t index) const { return rows_[index]; }

  // A queued row for a file; `path` stays as given.
  void append(std::string path);
  // A queued row that should have `expectedHex` in `kind` (Verify).
  void appendListed(std::string path, std::string expectedHex, DigestKind kind);
  // Drops the rows at these places (any order); the others keep theirs.
  void remove(std::vector<std::size_t> rows);
  void clear();

  // The algorithm of the last job, while a row is left that it may have
  // computed; nothing before the first job and once the list is empty.
  const std::optional<DigestKind>& computedKind() const { return computedKind_; }
  // The last job's counts, as the engine gave them.
  const engine::Tally& tally() const { return tally_; }

  // A job over every row in `kind`: each row queued again without a digest,
  // and the plan that digests them in list order. A row's expected digest
  // is judged only when its list had the same algorithm; another job
  // computes the row as a plain one rather than call a different digest a
  // mismatch. The rows must not be added or removed until the job is over.
  engine::PlanSource beginJob(DigestKind kind);
  // What the engine handed back: started rows turn Computing, finished
  // ones Done with their digest and verdict; a row a cancel cut short goes
  // back to Queued and counts as nothing. Returns the last row that
  // finished in this news (not one cut short), if any.
  std::optional<std::size_t> apply(const engine::Polled& polled);

 private:
  void changed(std::size_t first, std::size_t count);

  std::vector<ResultRow> rows_;
  std::optional<DigestKind> computedKind_;
  engine::Tally tally_;
  Observer* observer_ = nullptr;
};

// The window's rows. Main thread only.
ResultsModel& Results();

}  // namespace vandrel

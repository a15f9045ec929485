// The window's rows, their edits and a job's news applied to them.
#include "app/results_model/results_model.h"

#include <algorithm>
#include <utility>

namespace vandrel {
namespace {

// A row as intake leaves it, and as a job starts it: nothing computed.
bool IsFresh(const ResultRow& row) {
  return row.state == RowState::Queued && row.digest.empty() && row.failure == DigestFailure::None;
}

void MakeFresh(ResultRow& row) {
  row.state = RowState::Queued;
  row.digest.clear();
  row.digest.shrink_to_fit();
  row.verdict = engine::Verdict::Computed;
  row.failure = DigestFailure::None;
  row.error = 0;
  row.bytesRead = 0;
}

}  // namespace

ResultsModel& Results() {
  static ResultsModel model;
  return model;
}

void ResultsModel::append(std::string path) {
  ResultRow row;
  row.path = std::move(path);
  rows_.push_back(std::move(row));
  if (observer_) observer_->rowsInserted(rows_.size() - 1, 1);
}

void ResultsModel::appendListed(std::string path, std::string expectedHex, DigestKind kind) {
  ResultRow row;
  row.path = std::move(path);
  row.expectedHex = std::move(expectedHex);
  row.expectedKind = kind;
  rows_.push_back(std::move(row));
  if (observer_) observer_->rowsInserted(rows_.size() - 1, 1);
}

void ResultsModel::remove(std::vector<std::size_t> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  while (!rows.empty() && rows.back() >= rows_.size()) rows.pop_back();
  if (rows.empty()) return;
  std::size_t kept = rows.front();
  auto doomed = rows.begin();
  for (std::size_t at = rows.front(); at < rows_.size(); ++at) {
    if (doomed != rows.end() && *doomed == at) {
      ++doomed;
      continue;
    }
    rows_[kept++] = std::move(rows_[at]);
  }
  rows_.resize(kept);
  // With its rows gone, the last job's algorithm describes no digest: a
  // list saved later must not be written, or named, after it.
  if (rows_.empty()) computedKind_.reset();
  if (observer_) observer_->rowsRemoved(rows);
}

void ResultsModel::clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  computedKind_.reset();
  if (observer_) observer_->rowsReset();
}

engine::PlanSource ResultsModel::beginJob(DigestKind kind) {
  computedKind_ = kind;
  tally_ = {};
  std::size_t first = rows_.size();
  std::size_t last = 0;
  for (std::size_t at = 0; at < rows_.size(); ++at) {
    if (IsFresh(rows_[at])) continue;
    MakeFresh(rows_[at]);
    first = std::min(first, at);
    last = at;
  }
  if (first < rows_.size()) changed(first, last + 1 - first);
  engine::PlanSource plan;
  plan.size = rows_.size();
  plan.kind = kind;
  plan.entry = [this, kind](std::size_t index) {
    // Rows the job was not meant to lose: an empty path fails unread.
    if (index >= rows_.size()) return engine::PlanEntry{};
    const ResultRow& row = rows_[index];
    const bool judged = !row.expectedHex.empty() && row.expectedKind == kind;
    return engine::PlanEntry{row.path, judged ? row.expectedHex : std::string(), std::nullopt};
  };
  return plan;
}

std::optional<std::size_t> ResultsModel::apply(const engine::Polled& polled) {
  std::vector<std::size_t> touched;
  for (std::size_t index : polled.started) {
    if (index >= rows_.size() || rows_[index].state != RowState::Queued) continue;
    rows_[index].state = RowState::Computing;
    touched.push_back(index);
  }
  std::optional<std::size_t> lastFinished;
  for (const engine::Outcome& outcome : polled.finished) {
    if (outcome.index >= rows_.size()) continue;
    ResultRow& row = rows_[outcome.index];
    touched.push_back(outcome.index);
    if (outcome.verdict == engine::Verdict::Abandoned) {
      // Cut short by the cancel: neither digested nor failed.
      row.state = RowState::Queued;
      continue;
    }
    row.state = RowState::Done;
    row.verdict = outcome.verdict;
    row.digest = outcome.digest.hex;
    row.failure = outcome.digest.failure;
    row.error = outcome.digest.error;
    row.bytesRead = outcome.digest.bytesRead;
    lastFinished = outcome.index;
  }
  tally_ = polled.tally;
  // One change per run of neighbouring rows.
  std::sort(touched.begin(), touched.end());
  for (std::size_t at = 0; at < touched.size();) {
    std::size_t end = at + 1;
    while (end < touched.size() && touched[end] <= touched[end - 1] + 1) ++end;
    changed(touched[at], touched[end - 1] + 1 - touched[at]);
    at = end;
  }
  return lastFinished;
}

void ResultsModel::changed(std::size_t first, std::size_t count) {
  if (observer_) observer_->rowsChanged(first, count);
}

}  // namespace vandrel

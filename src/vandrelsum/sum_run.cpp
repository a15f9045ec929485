// vandrelsum's side of the job engine: its options, the order of reports
// and messages, and the progress line of the oldest input being read.
#include "vandrelsum/sum_run.h"

#include <cerrno>
#include <utility>

#include "vandrelsum/messages.h"

namespace vandrel::sum {
namespace {

engine::RunOptions EngineOptions(const SumOptions& options) {
  engine::RunOptions run;
  run.threads = options.jobs;
  run.chunkBytes = kSumReadBytes;
  run.readAhead = true;
  run.readStreams = true;
  return run;
}

}  // namespace

int FailureErrno(const DigestResult& digest) {
  if (digest.failure == DigestFailure::OutOfMemory) return ENOMEM;
  return digest.error != 0 ? digest.error : EINVAL;
}

SumRun::SumRun(const SumOptions& options, Report report)
    : report_(std::move(report)), run_(options.kind, [this, &options] {
        engine::RunOptions run = EngineOptions(options);
        run.finished = [this](const engine::Outcome& outcome) { delivered(outcome); };
        run.progress = [this](std::size_t, std::uint64_t done, std::uint64_t total) {
          progress(done, total);
        };
        return run;
      }()) {}

void SumRun::addFile(const std::string& path, const std::string& shownName,
                     const std::string& expectedHex, std::optional<DigestKind> kind) {
  pending_.push_back(Pending{shownName, {}});
  run_.add(engine::PlanEntry{path, expectedHex, kind});
}

void SumRun::addMessage(std::function<void()> say) {
  if (pending_.empty()) {
    say();
    return;
  }
  pending_.push_back(Pending{{}, std::move(say)});
}

engine::Tally SumRun::finish() {
  const engine::Tally tally = run_.finish();
  sayWaitingMessages();
  return tally;
}

void SumRun::sayWaitingMessages() {
  while (!pending_.empty() && pending_.front().say) {
    pending_.front().say();
    pending_.pop_front();
  }
}

void SumRun::delivered(const engine::Outcome& outcome) {
  sayWaitingMessages();
  progressLine_.reset();
  const std::string shownName = std::move(pending_.front().shownName);
  pending_.pop_front();
  report_(shownName, outcome);
  // Messages that came after this input and before the next.
  sayWaitingMessages();
}

void SumRun::progress(std::uint64_t done, std::uint64_t total) {
  if (!progressLine_) {
    if (!WantsProgress(total)) return;
    // The oldest unreported input: the first one after any messages.
    for (const Pending& pending : pending_) {
      if (pending.say) continue;
      progressLine_ = std::make_unique<ProgressLine>(QuoteName(pending.shownName), total);
      break;
    }
    if (!progressLine_) return;
  }
  progressLine_->update(done);
}

}  // namespace vandrel::sum

// Gathering a job's row changes and handing them to the window once a frame.
#include "app/job_hand_over.h"

#include <utility>

#include "toolkit/toolkit.h"

namespace vandrel {

RowHandOver::RowHandOver(std::function<void(const RowChanges&)> apply)
    : apply_(std::move(apply)), thread_([this] { handOverLoop(); }) {}

RowHandOver::~RowHandOver() { finish(); }

// The hand-over thread waits for the first change after a hand-over; later
// ones join it without waking the thread, which would only sleep again
// until its frame is up: one wake-up a frame, not one a row.
void RowHandOver::started(std::size_t row) {
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    first = pending_.empty();
    pending_.started.push_back(row);
  }
  if (first) changed_.notify_one();
}

void RowHandOver::progress(std::size_t row, std::uint64_t done, std::uint64_t total) {
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    first = pending_.empty();
    // A report that crossed its row's finish would move the bar past it.
    if (row < finishedRows_) return;
    if (!file_ || fileRow_ != row) {
      file_.emplace();
      fileRow_ = row;
    }
    if (!file_->update(done, total, pending_.part, pending_.tip)) return;
  }
  if (first) changed_.notify_one();
}

void RowHandOver::finished(engine::Outcome outcome) {
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    first = pending_.empty();
    const std::size_t row = outcome.index;
    finishedRows_ = row + 1;
    pending_.finished.push_back(std::move(outcome));
    // The bar starts again from the new count of finished rows.
    pending_.part = -1;
    if (file_ && fileRow_ == row) {
      if (file_->tipShown()) pending_.tip = std::string();
      file_.reset();
    }
  }
  if (first) changed_.notify_one();
}

void RowHandOver::finish() {
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) return;
    ending_ = true;
  }
  changed_.notify_one();
  thread_.join();
}

void RowHandOver::handOverLoop() {
  auto last = std::chrono::steady_clock::now() - kFrame;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ending_ || !pending_.empty(); });
    // At most one hand-over a frame: what comes meanwhile joins this one.
    // The last one goes at once: the job's end waits for it.
    changed_.wait_until(lock, last + kFrame, [this] { return ending_; });
    RowChanges changes = std::exchange(pending_, RowChanges{});
    const bool end = ending_;
    lock.unlock();
    if (!changes.empty()) tk::RunAsOneCall([&] { apply_(changes); });
    last = std::chrono::steady_clock::now();
    lock.lock();
    if (end && pending_.empty()) return;
  }
}

}  // namespace vandrel

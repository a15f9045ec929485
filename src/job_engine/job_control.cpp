// Pause and cancel of a run; see JobControl in job_engine.h.
#include "job_engine/job_engine.h"

namespace vandrel::engine {

void JobControl::pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++pauses_;
}

void JobControl::resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pauses_ > 0) --pauses_;
  }
  changed_.notify_all();
}

void JobControl::cancel(std::chrono::milliseconds grace) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!cancelled_) abandonAt_ = std::chrono::steady_clock::now() + grace;
    cancelled_ = true;
  }
  changed_.notify_all();
}

bool JobControl::cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool JobControl::abandonNow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_ && std::chrono::steady_clock::now() >= abandonAt_;
}

bool JobControl::paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pauses_ > 0 && !cancelled_;
}

void JobControl::waitWhilePaused() const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pauses_ == 0 || cancelled_; });
}

}  // namespace vandrel::engine

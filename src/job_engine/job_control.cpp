// Pause and cancel of a run; see JobControl in job_engine.h.
#include "job_engine/job_engine.h"

namespace vandrel::engine {

void JobControl::pause() { pause_.pause(); }

void JobControl::resume() { pause_.resume(); }

void JobControl::cancel(std::chrono::milliseconds grace) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!cancelled_) abandonAt_ = std::chrono::steady_clock::now() + grace;
    cancelled_ = true;
  }
  pause_.openForGood();
}

bool JobControl::cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool JobControl::abandonNow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_ && std::chrono::steady_clock::now() >= abandonAt_;
}

bool JobControl::paused() const { return pause_.paused(); }

void JobControl::waitWhilePaused() const { pause_.waitWhilePaused(); }

}  // namespace vandrel::engine

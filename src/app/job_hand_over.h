// The rows a running job has changed since the window last heard of them,
// and the thread that hands them to the window: at most one toolkit call per
// frame however many rows finished, so ten thousand small files cost the
// main thread a few dozen hand-overs a second instead of several per row.
//
// Design: the digesting threads report through started, progress and
// finished; those only add to the pending changes under the mutex and never
// wait for the window. The hand-over thread, owned by RowHandOver, takes the
// pending changes at most once per kFrame and gives them to `apply` on the
// main thread in one call; while a question holds the worker calls, that
// call waits and the changes pile up. finish() hands over what is left and
// joins the thread, so every change is in the window when it returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/job_progress.h"
#include "job_engine/job_engine.h"

namespace vandrel {

inline constexpr std::chrono::milliseconds kFrame{16};

// What changed since the last hand-over, in the order it happened.
struct RowChanges {
  std::vector<std::size_t> started;       // rows a thread began on
  std::vector<engine::Outcome> finished;  // in list order
  // The bar's share of the file after the finished rows, in
  // tk::kProgressBarPartScale; -1 leaves it as it is.
  int part = -1;
  std::optional<std::string> tip;  // the bar's tooltip; empty takes it away

  bool empty() const { return started.empty() && finished.empty() && part < 0 && !tip; }
};

class RowHandOver {
 public:
  // `apply` runs on the main thread, once per hand-over.
  explicit RowHandOver(std::function<void(const RowChanges&)> apply);
  ~RowHandOver();  // as finish()
  RowHandOver(const RowHandOver&) = delete;
  RowHandOver& operator=(const RowHandOver&) = delete;

  // These three may run on any thread, never waiting for the window.
  void started(std::size_t row);
  // `done` of `total` bytes of `row`, the oldest row not yet finished.
  void progress(std::size_t row, std::uint64_t done, std::uint64_t total);
  // Rows finish in list order.
  void finished(engine::Outcome outcome);

  // Hands over what is pending and ends the hand-over thread.
  void finish();

 private:
  void handOverLoop();  // the hand-over thread

  std::function<void(const RowChanges&)> apply_;
  std::mutex mutex_;
  std::condition_variable changed_;
  RowChanges pending_;                // mutex_
  std::size_t finishedRows_ = 0;      // mutex_
  std::optional<FileProgress> file_;  // mutex_; the row progress reports on
  std::size_t fileRow_ = 0;           // mutex_
  bool ending_ = false;               // mutex_
  std::thread thread_;
};

}  // namespace vandrel

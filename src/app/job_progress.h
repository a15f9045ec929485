// The progress bar inside one file: while a digest thread reads a file, the bar
// moves by the share of it read so far, and for a large file its tooltip
// tells bytes done, rate and time left. The bar's value stays the number of
// finished rows; the share is drawn on top of it (kProgressBarPart).
//
// Design: JobBar keeps one FileProgress for the oldest row still being read
// and asks it at each poll of the job what the bar should show. It moves the
// bar at most every kProgressInterval, so a file read faster than that
// changes nothing on it at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "job_engine/job_engine.h"

namespace vandrel {

inline constexpr std::chrono::milliseconds kProgressInterval{100};
// The tooltip changes less often: GTK hides and shows a tooltip again on
// every change, and one that changed ten times a second would never show.
inline constexpr std::chrono::milliseconds kProgressTipInterval{1000};
// Files above this size say in the bar's tooltip how far they are.
inline constexpr std::uint64_t kProgressTipBytes = 64ull * 1024 * 1024;

// "1.5 / 3.0 GiB  ·  512 MiB/s  ·  0:03": bytes done and total, the rate so
// far and the time left at that rate; numbers and units only, so it needs
// no translation.
std::string ProgressTipText(std::uint64_t done, std::uint64_t total,
                            std::chrono::milliseconds elapsed);

// One file's progress. Holds no toolkit state: any thread may keep one.
class FileProgress {
 public:
  FileProgress();

  // After each read: `done` of `total` bytes (total 0 when unknown). Sets
  // `part` (in tk::kProgressBarPartScale) and `tip` when the bar should
  // change now, and leaves them as they are otherwise. True when it set any.
  bool update(std::uint64_t done, std::uint64_t total, int& part, std::optional<std::string>& tip);
  // Whether the bar shows this file's tooltip, which must go with the file.
  bool tipShown() const { return tipShown_; }

 private:
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point shown_;
  std::chrono::steady_clock::time_point tipShownAt_;
  bool tipShown_ = false;
};

// What the progress bar should show after a poll of the job.
struct BarChange {
  std::optional<int> value;        // finished rows; setting it clears the part
  std::optional<int> part;         // share of the oldest file read, in tk::kProgressBarPartScale
  std::optional<std::string> tip;  // the bar's tooltip; empty takes it away
};

// The bar of a running job: its value counts the rows up to the last that
// finished, and the oldest file still being read moves it by its share,
// with a tooltip when it is large. Holds no toolkit state.
class JobBar {
 public:
  // `lastFinished`: the last row that finished in this poll (none: none
  // did); `oldest`: how far the oldest unfinished file is, if it has begun.
  BarChange update(std::optional<std::size_t> lastFinished,
                   const std::optional<engine::EntryProgress>& oldest);

 private:
  std::optional<FileProgress> file_;  // the row the bar's share belongs to
  std::size_t fileRow_ = 0;
};

}  // namespace vandrel

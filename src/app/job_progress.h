// The progress bar inside one file: while the worker reads a file, the bar
// moves by the share of it read so far, and for a large file its tooltip
// tells bytes done, rate and time left. The bar's value stays the number of
// finished rows; the share is drawn on top of it (kProgressBarPart).
//
// Design: the digest engine calls a FileProgress after each read, on the
// worker thread, inside the section where the worker may be paused. It
// touches the window at most every kProgressInterval, so a file read faster
// than that costs no toolkit call at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

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

// One file's progress. Runs on the worker thread.
class FileProgress {
 public:
  FileProgress();
  ~FileProgress();  // takes the tooltip away again
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // After each read: `done` of `total` bytes (total 0 when unknown).
  void update(std::uint64_t done, std::uint64_t total);

 private:
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point shown_;
  std::chrono::steady_clock::time_point tipShownAt_;
  bool tipShown_ = false;
};

}  // namespace vandrel

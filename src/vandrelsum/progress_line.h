// The progress line vandrelsum keeps on stderr while it reads a big file:
// bytes done, rate and time left, redrawn in place a few times a second and
// wiped when the file is done. Only shown when stderr is a terminal, so
// scripts and pipes never see it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vandrel::sum {

// Files at least this large get a progress line.
inline constexpr std::uint64_t kProgressMinBytes = 256ull * 1024 * 1024;

// Whether a file of `size` bytes should show a progress line now.
bool WantsProgress(std::uint64_t size);

class ProgressLine {
 public:
  ProgressLine(std::string name, std::uint64_t totalBytes);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Redraws when enough time has passed since the last drawing.
  void update(std::uint64_t bytesDone);

 private:
  using Clock = std::chrono::steady_clock;
  std::string name_;
  std::uint64_t total_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
  bool drawn_ = false;
};

}  // namespace vandrel::sum

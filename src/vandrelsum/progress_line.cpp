// Drawing of the progress line: carriage return, the text, and an erase to
// the end of the line, so a shorter text never leaves old characters behind.
#include "vandrelsum/progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace vandrel::sum {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string Size(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  while (bytes >= 1024 && unit < 4) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text;
}

}  // namespace

bool WantsProgress(std::uint64_t size) {
  return size > kProgressMinBytes && ::isatty(STDERR_FILENO) == 1;
}

ProgressLine::ProgressLine(std::string name, std::uint64_t totalBytes)
    : name_(std::move(name)), total_(totalBytes), start_(Clock::now()), lastDrawn_(start_) {}

ProgressLine::~ProgressLine() {
  if (drawn_) std::fputs("\r\033[K", stderr);
}

void ProgressLine::update(std::uint64_t bytesDone) {
  const Clock::time_point now = Clock::now();
  if (now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(bytesDone) / seconds : 0;
  const double left =
      rate > 0 && total_ > bytesDone ? static_cast<double>(total_ - bytesDone) / rate : 0;
  std::fprintf(stderr, "\r%s: %s of %s, %s/s, %.0f s left\033[K", name_.c_str(),
               Size(static_cast<double>(bytesDone)).c_str(),
               Size(static_cast<double>(total_)).c_str(), Size(rate).c_str(), left);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace vandrel::sum

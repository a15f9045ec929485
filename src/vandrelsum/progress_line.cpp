// Drawing of the progress line: carriage return, the text, and an erase to
// the end of the line, so a shorter text never leaves old characters behind.
#include "vandrelsum/progress_line.h"

#include <unistd.h>

#include <cstdio>
#include <iterator>

#include "job_engine/job_engine.h"

namespace vandrel::sum {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string Size(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  const engine::ScaledAmount amount = engine::ScaleBinary(bytes, std::size(kUnits));
  char text[32];
  std::snprintf(text, sizeof text, amount.unit == 0 ? "%.0f %s" : "%.1f %s", amount.value,
                kUnits[amount.unit]);
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
  const engine::ProgressRate rate = engine::MeasureProgress(
      bytesDone, total_, std::chrono::duration<double>(now - start_).count());
  std::fprintf(stderr, "\r%s: %s of %s, %s/s, %.0f s left\033[K", name_.c_str(),
               Size(static_cast<double>(bytesDone)).c_str(),
               Size(static_cast<double>(total_)).c_str(), Size(rate.bytesPerSecond).c_str(),
               rate.secondsLeft);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace vandrel::sum

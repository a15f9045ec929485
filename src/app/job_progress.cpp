// The progress bar's share of the file being read, and its tooltip.
#include "app/job_progress.h"

#include <cstdio>

#include "core/ids.h"
#include "system/threads.h"
#include "toolkit/gadgets.h"

namespace vandrel {
namespace {

// `bytes` in the largest binary unit that keeps it at 1 or more.
std::string Amount(double bytes, const char* const* unit) {
  while (bytes >= 1024 && unit[1]) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", bytes, *unit);
  return text;
}

constexpr const char* kSizeUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", nullptr};
constexpr const char* kRateUnits[] = {"B/s", "KiB/s", "MiB/s", "GiB/s", nullptr};

// The toolkit calls below take locks: no pause may stop the worker in them.
// A negative `part` leaves the bar as it is; a null `tip` the tooltip.
void ShowOnBar(int part, const std::string* tip) {
  sys::PauseHeld held;
  if (part >= 0) tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarPart, part);
  if (tip) tk::GadgetToolTip(kGadgetProgress, *tip);
}

}  // namespace

std::string ProgressTipText(std::uint64_t done, std::uint64_t total,
                            std::chrono::milliseconds elapsed) {
  // Both amounts in the unit of the total, so they read as a fraction.
  const char* const* unit = kSizeUnits;
  double scale = 1;
  for (double size = static_cast<double>(total); size >= 1024 && unit[1]; size /= 1024) {
    scale *= 1024;
    ++unit;
  }
  char amounts[64];
  std::snprintf(amounts, sizeof amounts, "%.1f / %.1f %s", done / scale, total / scale, *unit);
  std::string text = amounts;
  const double seconds = elapsed.count() / 1000.0;
  if (seconds <= 0 || done == 0) return text;
  const double rate = done / seconds;
  text += "  \u00b7  " + Amount(rate, kRateUnits);
  const auto left = static_cast<long long>((total > done ? total - done : 0) / rate + 0.5);
  char time[32];
  if (left >= 3600) {
    std::snprintf(time, sizeof time, "%lld:%02lld:%02lld", left / 3600, left / 60 % 60, left % 60);
  } else {
    std::snprintf(time, sizeof time, "%lld:%02lld", left / 60, left % 60);
  }
  return text + "  \u00b7  " + time;
}

FileProgress::FileProgress() : start_(std::chrono::steady_clock::now()), shown_(start_) {}

FileProgress::~FileProgress() {
  if (!tipShown_) return;
  const std::string none;
  ShowOnBar(-1, &none);
}

void FileProgress::update(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - shown_ < kProgressInterval) return;
  shown_ = now;
  const int part = static_cast<int>(done >= total ? tk::kProgressBarPartScale
                                                  : done * tk::kProgressBarPartScale / total);
  if (total <= kProgressTipBytes || (tipShown_ && now - tipShownAt_ < kProgressTipInterval)) {
    ShowOnBar(part, nullptr);
    return;
  }
  const std::string tip = ProgressTipText(
      done, total, std::chrono::duration_cast<std::chrono::milliseconds>(now - start_));
  ShowOnBar(part, &tip);
  tipShown_ = true;
  tipShownAt_ = now;
}

}  // namespace vandrel

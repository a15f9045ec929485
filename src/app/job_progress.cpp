// The progress bar's share of the file being read, and its tooltip.
#include "app/job_progress.h"

#include <cmath>
#include <cstdio>
#include <iterator>

#include "job_engine/job_engine.h"
#include "toolkit/gadgets.h"

namespace vandrel {
namespace {

constexpr const char* kSizeUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
constexpr const char* kRateUnits[] = {"B/s", "KiB/s", "MiB/s", "GiB/s"};

}  // namespace

std::string ProgressTipText(std::uint64_t done, std::uint64_t total,
                            std::chrono::milliseconds elapsed) {
  // Both amounts in the unit of the total, so they read as a fraction.
  const engine::ScaledAmount whole =
      engine::ScaleBinary(static_cast<double>(total), std::size(kSizeUnits));
  const double scale = std::pow(1024.0, whole.unit);
  char amounts[64];
  std::snprintf(amounts, sizeof amounts, "%.1f / %.1f %s", done / scale, whole.value,
                kSizeUnits[whole.unit]);
  std::string text = amounts;
  const engine::ProgressRate rate =
      engine::MeasureProgress(done, total, static_cast<double>(elapsed.count()) / 1000.0);
  if (rate.bytesPerSecond <= 0) return text;
  const engine::ScaledAmount speed =
      engine::ScaleBinary(rate.bytesPerSecond, std::size(kRateUnits));
  char speedText[32];
  std::snprintf(speedText, sizeof speedText, "%.1f %s", speed.value, kRateUnits[speed.unit]);
  text += "  \u00b7  ";
  text += speedText;
  const auto left = static_cast<long long>(rate.secondsLeft + 0.5);
  char time[32];
  if (left >= 3600) {
    std::snprintf(time, sizeof time, "%lld:%02lld:%02lld", left / 3600, left / 60 % 60, left % 60);
  } else {
    std::snprintf(time, sizeof time, "%lld:%02lld", left / 60, left % 60);
  }
  return text + "  \u00b7  " + time;
}

FileProgress::FileProgress() : start_(std::chrono::steady_clock::now()), shown_(start_) {}

bool FileProgress::update(std::uint64_t done, std::uint64_t total, int& part,
                          std::optional<std::string>& tip) {
  if (total == 0) return false;
  const auto now = std::chrono::steady_clock::now();
  if (now - shown_ < kProgressInterval) return false;
  shown_ = now;
  part = static_cast<int>(done >= total ? tk::kProgressBarPartScale
                                        : done * tk::kProgressBarPartScale / total);
  if (total <= kProgressTipBytes || (tipShown_ && now - tipShownAt_ < kProgressTipInterval)) {
    return true;
  }
  tip = ProgressTipText(done, total,
                        std::chrono::duration_cast<std::chrono::milliseconds>(now - start_));
  tipShown_ = true;
  tipShownAt_ = now;
  return true;
}

BarChange JobBar::update(std::optional<std::size_t> lastFinished,
                         const std::optional<engine::EntryProgress>& oldest) {
  BarChange change;
  if (lastFinished) change.value = static_cast<int>(*lastFinished + 1);
  // A file that finished takes its share and its tooltip with it.
  const bool fileDone = file_ && (!oldest || oldest->index != fileRow_);
  if (fileDone) {
    if (file_->tipShown()) change.tip = std::string();
    file_.reset();
  }
  if (!oldest) return change;
  if (!file_) {
    file_.emplace();
    fileRow_ = oldest->index;
  }
  int part = -1;
  if (file_->update(oldest->done, oldest->total, part, change.tip) && part >= 0) {
    change.part = part;
  }
  return change;
}

}  // namespace vandrel

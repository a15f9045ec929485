// The arithmetic behind both programs' progress texts: rate, time left and
// binary units. The wording stays with each program.
#include "job_engine/job_engine.h"

namespace vandrel::engine {

ProgressRate MeasureProgress(std::uint64_t done, std::uint64_t total, double elapsedSeconds) {
  ProgressRate rate;
  if (elapsedSeconds <= 0 || done == 0) return rate;
  rate.bytesPerSecond = static_cast<double>(done) / elapsedSeconds;
  if (total > done) rate.secondsLeft = static_cast<double>(total - done) / rate.bytesPerSecond;
  return rate;
}

ScaledAmount ScaleBinary(double bytes, int unitCount) {
  ScaledAmount amount{bytes, 0};
  while (amount.value >= 1024 && amount.unit + 1 < unitCount) {
    amount.value /= 1024;
    ++amount.unit;
  }
  return amount;
}

}  // namespace vandrel::engine

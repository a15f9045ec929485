// The pure pieces of the job engine: the verdict table, the tally and the
// progress arithmetic.
#include <gtest/gtest.h>

#include "job_engine/job_engine.h"

namespace vandrel::engine {
namespace {

TEST(Verdicts, EveryCombinationOfExpectedAndGot) {
  const auto digest = [](const char* hex, DigestFailure failure) {
    DigestResult result;
    result.hex = hex;
    result.failure = failure;
    return result;
  };
  struct Case {
    DigestResult got;
    const char* expected;
    Verdict verdict;
  } const cases[] = {
      {digest("ab12", DigestFailure::None), "", Verdict::Computed},
      {digest("", DigestFailure::CannotOpen), "", Verdict::Failed},
      {digest("ab12", DigestFailure::None), "ab12", Verdict::Matched},
      {digest("ab12", DigestFailure::None), "ab13", Verdict::Differs},
      {digest("ab12", DigestFailure::None), "AB12", Verdict::Differs},
      {digest("", DigestFailure::ReadError), "ab12", Verdict::Missing},
      {digest("", DigestFailure::IsAFolder), "ab12", Verdict::Missing},
      {digest("", DigestFailure::Abandoned), "ab12", Verdict::Abandoned},
      {digest("", DigestFailure::Abandoned), "", Verdict::Abandoned},
  };
  Tally tally;
  for (const Case& c : cases) {
    EXPECT_EQ(Judge(c.got, c.expected), c.verdict) << c.got.hex << " / " << c.expected;
    tally.count(Judge(c.got, c.expected));
  }
  EXPECT_EQ(tally, (Tally{1, 1, 1, 2, 2, 2}));
  EXPECT_EQ(tally.processed(), 7u);
  EXPECT_EQ(tally.unsuccessful(), 5u);
}

TEST(ProgressArithmetic, RateAndTimeLeft) {
  struct Case {
    std::uint64_t done, total;
    double seconds, rate, left;
  } const cases[] = {
      {0, 100, 1, 0, 0},              // nothing read: no rate, no estimate
      {50, 100, 0, 0, 0},             // no time passed
      {50, 100, 2, 25, 2},            // half way at 25 B/s
      {100, 100, 4, 25, 0},           // done
      {120, 100, 4, 30, 0},           // grew while read
      {1 << 20, 0, 0.5, 2 << 20, 0},  // size unknown
  };
  for (const Case& c : cases) {
    const ProgressRate rate = MeasureProgress(c.done, c.total, c.seconds);
    EXPECT_DOUBLE_EQ(rate.bytesPerSecond, c.rate) << c.done << "/" << c.total;
    EXPECT_DOUBLE_EQ(rate.secondsLeft, c.left) << c.done << "/" << c.total;
  }
}

TEST(ProgressArithmetic, BinaryUnitsStopAtTheLastUnit) {
  struct Case {
    double bytes;
    int units;
    double value;
    int unit;
  } const cases[] = {
      {1023, 5, 1023, 0},
      {1024, 5, 1, 1},
      {1536, 5, 1.5, 1},
      {3.0 * (1ull << 30), 5, 3, 3},
      {2.0 * (1ull << 50), 5, 2048, 4},  // past TiB stays in TiB
      {5.0 * (1 << 20), 1, 5.0 * (1 << 20), 0},
  };
  for (const Case& c : cases) {
    const ScaledAmount amount = ScaleBinary(c.bytes, c.units);
    EXPECT_DOUBLE_EQ(amount.value, c.value) << c.bytes;
    EXPECT_EQ(amount.unit, c.unit) << c.bytes;
  }
}

}  // namespace
}  // namespace vandrel::engine

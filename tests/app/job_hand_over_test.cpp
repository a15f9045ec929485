// The hand-over of a job's rows to the window, without a display (the
// toolkit then runs each hand-over where it is made): every change arrives
// once and in the order made, in at most one hand-over a frame.
#include "app/job_hand_over.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vandrel {
namespace {

using Clock = std::chrono::steady_clock;

// What the window would have been told, in order. The hand-over thread
// writes it; the test reads it only after finish() has joined that thread.
struct Window {
  std::vector<std::string> rows;  // "s3" started, "f3" finished
  int handOvers = 0;

  void apply(const RowChanges& changes) {
    ++handOvers;
    for (std::size_t row : changes.started) rows.push_back("s" + std::to_string(row));
    for (const engine::Outcome& row : changes.finished) {
      rows.push_back("f" + std::to_string(row.index));
    }
  }
};

TEST(RowHandOverTest, ManyRowsArriveOnceInOrderInAtMostOneHandOverAFrame) {
  constexpr std::size_t kRows = 20000;
  Window window;
  const Clock::time_point start = Clock::now();
  {
    RowHandOver handOver([&window](const RowChanges& changes) { window.apply(changes); });
    std::thread digester([&handOver] {
      for (std::size_t row = 0; row < kRows; ++row) {
        handOver.started(row);
        handOver.finished(engine::Outcome{row, DigestResult{"00"}, engine::Verdict::Computed});
      }
    });
    digester.join();
    handOver.finish();
  }
  const auto frames = (Clock::now() - start) / kFrame;
  ASSERT_EQ(window.rows.size(), 2 * kRows);
  std::vector<std::size_t> startedAt(kRows, kRows * 2), finishedAt(kRows, kRows * 2);
  std::size_t nextFinished = 0;
  for (std::size_t at = 0; at < window.rows.size(); ++at) {
    const std::size_t row = std::stoul(window.rows[at].substr(1));
    ASSERT_LT(row, kRows);
    if (window.rows[at][0] == 's') {
      EXPECT_EQ(startedAt[row], kRows * 2) << "started twice: " << row;
      startedAt[row] = at;
    } else {
      EXPECT_EQ(row, nextFinished++) << "finished out of order";
      finishedAt[row] = at;
    }
  }
  for (std::size_t row = 0; row < kRows; ++row) {
    // A row's start and finish may share a hand-over, but never swap.
    EXPECT_LT(startedAt[row], finishedAt[row]) << row;
  }
  // One a frame, and the last one without waiting for its frame.
  EXPECT_LE(window.handOvers, frames + 2);
}

}  // namespace
}  // namespace vandrel

// The window's rows without a display: what each edit tells the view, a
// job's start and plan, and a job's news applied, a cancel's included.
#include "app/results_model/results_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandrel {
namespace {

// What the view would have heard, one line per call.
struct Heard : ResultsModel::Observer {
  std::vector<std::string> calls;
  void rowsInserted(std::size_t first, std::size_t count) override {
    calls.push_back("inserted " + std::to_string(first) + "+" + std::to_string(count));
  }
  void rowsChanged(std::size_t first, std::size_t count) override {
    calls.push_back("changed " + std::to_string(first) + "+" + std::to_string(count));
  }
  void rowsRemoved(const std::vector<std::size_t>& rows) override {
    std::string line = "removed";
    for (std::size_t row : rows) line += " " + std::to_string(row);
    calls.push_back(line);
  }
  void rowsReset() override { calls.push_back("reset"); }
  std::vector<std::string> take() { return std::exchange(calls, {}); }
};

constexpr DigestKind kSha256{Algorithm::Sha2, 256};
constexpr DigestKind kMd5{Algorithm::Md5, 128};

engine::Outcome Finished(std::size_t index, engine::Verdict verdict, std::string hex = {},
                         DigestFailure failure = DigestFailure::None) {
  engine::Outcome outcome;
  outcome.index = index;
  outcome.verdict = verdict;
  outcome.digest.hex = std::move(hex);
  outcome.digest.failure = failure;
  return outcome;
}

std::vector<std::string> Paths(const ResultsModel& model) {
  std::vector<std::string> paths;
  for (const ResultRow& row : model.rows()) paths.push_back(row.path);
  return paths;
}

class ResultsModelTest : public ::testing::Test {
 protected:
  void SetUp() override { model_.setObserver(&heard_); }
  ResultsModel model_;
  Heard heard_;
};

TEST_F(ResultsModelTest, EditsTellTheViewWhichRowsAndKeepTheOthersInOrder) {
  for (const char* path : {"a", "b", "c", "d", "e"}) model_.append(path);
  model_.appendListed("f", "00ff", kMd5);
  EXPECT_EQ(heard_.take(),
            (std::vector<std::string>{"inserted 0+1", "inserted 1+1", "inserted 2+1",
                                      "inserted 3+1", "inserted 4+1", "inserted 5+1"}));
  model_.beginJob(kMd5);
  model_.remove({4, 1, 9, 1});  // any order; twice or past the end counts once or not at all
  EXPECT_EQ(heard_.take(), (std::vector<std::string>{"removed 1 4"}));
  EXPECT_EQ(Paths(model_), (std::vector<std::string>{"a", "c", "d", "f"}));
  EXPECT_EQ(model_.row(3).expectedHex, "00ff");
  EXPECT_TRUE(model_.computedKind());
  model_.remove({0, 1, 2, 3});
  // No row is left that the last job computed.
  EXPECT_FALSE(model_.computedKind());
  model_.append("g");
  model_.beginJob(kMd5);
  model_.clear();
  EXPECT_EQ(heard_.take(), (std::vector<std::string>{"removed 0 1 2 3", "inserted 0+1", "reset"}));
  EXPECT_FALSE(model_.computedKind());
}

TEST_F(ResultsModelTest, AJobStartsEveryRowAfreshAndJudgesOnlyRowsOfItsAlgorithm) {
  model_.append("plain");
  model_.appendListed("listed sha256", "aa", kSha256);
  model_.appendListed("listed md5", "bb", kMd5);
  model_.append("untouched");
  engine::PlanSource plan = model_.beginJob(kSha256);
  engine::Polled news;
  news.finished = {Finished(0, engine::Verdict::Computed, "11"),
                   Finished(1, engine::Verdict::Differs, "22"),
                   Finished(2, engine::Verdict::Failed, "", DigestFailure::CannotOpen)};
  model_.apply(news);
  heard_.take();

  // Only the rows that hold something are told, as one run.
  plan = model_.beginJob(kMd5);
  EXPECT_EQ(heard_.take(), (std::vector<std::string>{"changed 0+3"}));
  for (const ResultRow& row : model_.rows()) {
    EXPECT_EQ(row.state, RowState::Queued) << row.path;
    EXPECT_EQ(row.digest, "") << row.path;
    EXPECT_EQ(row.failure, DigestFailure::None) << row.path;
  }
  ASSERT_EQ(plan.size, 4u);
  EXPECT_EQ(plan.kind, kMd5);
  const std::vector<std::string> expected = {"", "", "bb", ""};
  for (std::size_t i = 0; i < plan.size; ++i) {
    EXPECT_EQ(plan.entry(i).path, model_.row(i).path);
    EXPECT_EQ(plan.entry(i).expectedHex, expected[i]) << i;
  }
}

// After a cancel on several threads the engine hands back the rows it held
// as abandoned, after the last one computed: they go back to queued, count
// as nothing, and the bar and the selection stay on the last computed row.
TEST_F(ResultsModelTest, ANewsOfRowsAppliesAndRowsCutShortGoBackToQueued) {
  for (int i = 0; i < 6; ++i) model_.append("f" + std::to_string(i));
  model_.beginJob(kSha256);
  heard_.take();
  engine::Polled first;
  first.started = {0, 1, 3};
  first.finished = {Finished(0, engine::Verdict::Computed, "aa")};
  EXPECT_EQ(model_.apply(first), 0u);
  EXPECT_EQ(heard_.take(), (std::vector<std::string>{"changed 0+2", "changed 3+1"}));
  EXPECT_EQ(model_.row(1).state, RowState::Computing);

  engine::Polled cancelled;
  cancelled.started = {2};
  cancelled.finished = {Finished(1, engine::Verdict::Failed, "", DigestFailure::ReadError),
                        Finished(2, engine::Verdict::Abandoned, "", DigestFailure::Abandoned),
                        Finished(3, engine::Verdict::Abandoned, "", DigestFailure::Abandoned)};
  cancelled.tally = engine::Tally{1, 1, 0, 0, 0, 2};
  EXPECT_EQ(model_.apply(cancelled), 1u);
  EXPECT_EQ(heard_.take(), (std::vector<std::string>{"changed 1+3"}));
  const std::vector<RowState> states = {RowState::Done,   RowState::Done,   RowState::Queued,
                                        RowState::Queued, RowState::Queued, RowState::Queued};
  for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(model_.row(i).state, states[i]) << i;
  EXPECT_EQ(model_.row(0).digest, "aa");
  EXPECT_EQ(model_.row(1).failure, DigestFailure::ReadError);
  EXPECT_EQ(model_.row(1).verdict, engine::Verdict::Failed);
  EXPECT_EQ(model_.tally().processed(), 2u);
  engine::Polled nothing;
  nothing.finished = {Finished(4, engine::Verdict::Abandoned, "", DigestFailure::Abandoned)};
  EXPECT_EQ(model_.apply(nothing), std::nullopt);
}

}  // namespace
}  // namespace vandrel

// The checksum job in-process: every algorithm and size against reference
// digests, failed rows, cancel and quit questions, a completion that arrives
// behind a cancel click, a second run over the same rows, and how a screen
// reader hears each row's state.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "app/accessibility.h"
#include "app/command_line.h"
#include "app/job_gui_support.h"
#include "app/job_runner.h"

namespace vandrel {
namespace {

using testing::EnglishSummary;
using testing::ReferenceDigest;

// A disk that stalls on one file: its reads wait until Release, as a large
// or slow file would hold the job there.
class StalledFile {
 public:
  static void Hold(const std::string& path) {
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0) << path;
    inode_ = status.st_ino;
    held_ = true;
  }
  static void Release() { held_ = false; }

  // Runs on the job's digesting thread.
  static ssize_t Read(int descriptor, void* buffer, std::size_t count) {
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && status.st_ino == inode_) {
      while (held_) usleep(1000);
    }
    return read(descriptor, buffer, count);
  }

 private:
  static inline std::atomic<ino_t> inode_{0};
  static inline std::atomic<bool> held_{false};
};

// One digest thread, so that the rows start one at a time, as these tests
// step through them.
class JobRunnerTest : public testing::JobGuiTest {
 protected:
  void SetUp() override {
    testing::JobGuiTest::SetUp();
    Job().Threads = 1;
  }

  // Ten small files added one by one, so row i holds files[i].
  std::vector<std::string> AddTenFiles(const std::string& name) {
    std::string dir = testing::ScratchFolder(name);
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
      files.push_back(dir + "file" + std::to_string(i));
      testing::WriteBytes(files.back(), "contents of file " + std::to_string(i) + "\n");
    }
    AddEach(files);
    return files;
  }

  void TearDown() override {
    StalledFile::Release();
    testing::JobGuiTest::TearDown();
  }

  // Starts a job and holds it inside the digest of row `row`, as a large
  // file would: the row's first read waits. ReleaseWorker lets it go on.
  static void StartAndStopAtRow(int row) {
    StalledFile::Hold(Cell(row, 0));
    Job().Read = StalledFile::Read;
    Click(kGadgetCalculate);
    ASSERT_EQ(Job().JobRunning, 1);
    ASSERT_TRUE(StepWorkerUntil([row] { return RowShows(row, kImageRowComputing); }));
  }

  static void ReleaseWorker() { StalledFile::Release(); }

  static void ExpectIdleWindow() {
    EXPECT_EQ(Job().JobRunning, 0);
    EXPECT_EQ(Job().CancelRequested, 0);
    EXPECT_EQ(Job().JobCancelled, 0);
    EXPECT_EQ(tk::GetGadgetText(kGadgetCalculate), "Calculate");
    EXPECT_EQ(tk::GetGadgetState(kGadgetProgress), 0);
    for (int gadget : {kGadgetSource, kGadgetBrowse, kGadgetResults, kGadgetClipboard, kGadgetSave,
                       kGadgetDeleteAll, kGadgetCrc32, kGadgetSha3, kGadgetCalculate}) {
      EXPECT_TRUE(Enabled(gadget)) << "gadget " << gadget;
    }
    EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, kMenuOpen));
    EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, kMenuQuit));
  }
};

TEST_F(JobRunnerTest, ComputesEveryAlgorithmAndSizeExactlyAsTheReferenceLibrariesDo) {
  std::string dir = testing::ScratchFolder("algorithms");
  std::string big;
  // Past the 1 MiB read size, so one file takes two reads.
  for (unsigned i = 0, x = 12345; i < (1u << 20) + 4097; ++i) {
    x = x * 1103515245u + 12345u;
    big += static_cast<char>(x >> 23);
  }
  std::map<std::string, std::string> contents = {
      {dir + "empty", ""},
      {dir + "x", "x"},
      {dir + "big.bin", big},
      {dir + "a,b.txt", "comma in the name"},
      {dir + "two  blanks here", "blanks in the name\n"},
  };
  for (const auto& [path, bytes] : contents) testing::WriteBytes(path, bytes);
  AddSource(dir);
  ASSERT_EQ(Rows(), 5);

  struct Choice {
    int algorithm, size;
    const EVP_MD* md;
    std::size_t digits;
  };
  const Choice choices[] = {
      {kGadgetCrc32, 0, nullptr, 8},
      {kGadgetMd5, 0, EVP_md5(), 32},
      {kGadgetSha1, 0, EVP_sha1(), 40},
      {kGadgetSha2, kGadgetBits224, EVP_sha224(), 56},
      {kGadgetSha2, kGadgetBits256, EVP_sha256(), 64},
      {kGadgetSha2, kGadgetBits384, EVP_sha384(), 96},
      {kGadgetSha2, kGadgetBits512, EVP_sha512(), 128},
      {kGadgetSha3, kGadgetBits224, EVP_sha3_224(), 56},
      {kGadgetSha3, kGadgetBits256, EVP_sha3_256(), 64},
      {kGadgetSha3, kGadgetBits384, EVP_sha3_384(), 96},
      {kGadgetSha3, kGadgetBits512, EVP_sha3_512(), 128},
  };
  for (const Choice& choice : choices) {
    SCOPED_TRACE("algorithm " + std::to_string(choice.algorithm) + " size " +
                 std::to_string(choice.size));
    Click(choice.algorithm);
    if (choice.size) Click(choice.size);
    ASSERT_EQ(Program().settings.digest.algorithm,
              kAlgorithms[choice.algorithm - kGadgetCrc32].algorithm);
    EXPECT_EQ(RunJob(), EnglishSummary(false, 5, 5, 0));
    for (int row = 0; row < Rows(); ++row) {
      const std::string digest = Cell(row, 1);
      EXPECT_TRUE(RowShows(row, kImageRowComputed)) << Cell(row, 0);
      EXPECT_EQ(digest.size(), choice.digits);
      EXPECT_EQ(digest, ReferenceDigest(contents.at(Cell(row, 0)), choice.md)) << Cell(row, 0);
    }
    // The size options are usable after the job only for SHA2 and SHA3.
    const bool sized = choice.size != 0;
    for (int option = kGadgetBits224; option <= kGadgetBits512; ++option) {
      EXPECT_EQ(Enabled(option), sized) << "size option " << option;
    }
  }
}

// Root reads any file, so while alive this drops the effective ids to
// nobody's; the saved ids stay root's and bring them back.
class WithoutRootPowers {
 public:
  WithoutRootPowers() : dropped_(geteuid() == 0) {
    if (!dropped_) return;
    EXPECT_EQ(setresgid(-1, 65534, -1), 0);
    EXPECT_EQ(setresuid(-1, 65534, -1), 0);
  }
  ~WithoutRootPowers() {
    if (!dropped_) return;
    EXPECT_EQ(setresuid(-1, 0, -1), 0);
    EXPECT_EQ(setresgid(-1, 0, -1), 0);
  }
  WithoutRootPowers(const WithoutRootPowers&) = delete;
  WithoutRootPowers& operator=(const WithoutRootPowers&) = delete;

 private:
  bool dropped_;
};

TEST_F(JobRunnerTest, UnreadableAndVanishedFilesTurnRedAndCountAsFailed) {
  std::string dir = testing::ScratchFolder("unreadable");
  testing::WriteBytes(dir + "good", "abc");
  testing::WriteBytes(dir + "locked", "secret");
  testing::WriteBytes(dir + "gone", "soon deleted");
  std::filesystem::permissions(dir + "locked", std::filesystem::perms::none);
  AddEach({dir + "good", dir + "locked", dir + "gone", dir + "good"});
  std::filesystem::remove(dir + "gone");
  Click(kGadgetMd5);

  std::string summary;
  {
    WithoutRootPowers unprivileged;
    summary = RunJob();
  }
  EXPECT_EQ(summary, EnglishSummary(false, 4, 4, 2));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"900150983cd24fb0d6963f7d28e17f72", "", "",
                                                 "900150983cd24fb0d6963f7d28e17f72"}));
  EXPECT_TRUE(RowShows(0, kImageRowComputed));
  EXPECT_TRUE(RowShows(1, kImageRowFailed));
  EXPECT_TRUE(RowShows(2, kImageRowFailed));
  EXPECT_TRUE(RowShows(3, kImageRowComputed));
}

TEST_F(JobRunnerTest, CancelAnsweredNoLetsTheJobRunToTheEnd) {
  std::vector<std::string> files = AddTenFiles("cancel-no");
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyEscape, tk::kKeyReturn}, &shown);
  StartAndStopAtRow(2);
  Click(kGadgetCalculate);
  EXPECT_EQ(Job().JobCancelled, 0);
  ReleaseWorker();
  ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }));

  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0],
            (std::vector<std::string>{"Do you want to stop the calculation?", "", "No", "Yes"}));
  EXPECT_EQ(shown[1][0], EnglishSummary(false, 10, 10, 0));
  for (int row = 0; row < 10; ++row) {
    EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(files[row]), nullptr));
  }
  ExpectIdleWindow();
}

TEST_F(JobRunnerTest, CancelConfirmedOnTheThirdOfTenRowsFinishesItAndSkipsTheRest) {
  std::vector<std::string> files = AddTenFiles("cancel-yes");
  Click(kGadgetSha1);
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn, tk::kKeyReturn}, &shown);
  StartAndStopAtRow(2);
  Click(kGadgetCalculate);
  EXPECT_EQ(Job().CancelRequested, 1);
  ReleaseWorker();
  ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }));

  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1][0], EnglishSummary(true, 3, 10, 0));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(RowShows(row, kImageRowComputed));
    EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(files[row]), EVP_sha1()));
  }
  for (int row = 3; row < 10; ++row) {
    EXPECT_TRUE(RowShows(row, kImageRowQueued)) << row;
    EXPECT_EQ(Cell(row, 1), "") << row;
  }
  ExpectIdleWindow();
  // The job leaves its last computed row selected, so Delete is usable again.
  EXPECT_EQ(tk::GetGadgetState(kGadgetResults), 2);
  EXPECT_TRUE(Enabled(kGadgetDelete));
}

// The click is queued before the job's completion event, so the cancel
// question's own loop runs while the completion waits behind it.
TEST_F(JobRunnerTest, CancelClickedAsTheLastRowFinishesStillEndsWithASummary) {
  std::vector<std::string> files = AddTenFiles("cancel-last");
  StartAndStopAtRow(9);
  tk::testing::ClickGadget(kGadgetCalculate);
  ReleaseWorker();
  // The click, then the completion the job's last poll posts.
  ASSERT_TRUE(StepWorkerUntil([] { return tk::CountQueuedEvents() == 2; }));

  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn, tk::kKeyReturn}, &shown);
  ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && shown.size() == 2; }));
  EXPECT_EQ(shown[0][0], "Do you want to stop the calculation?");
  EXPECT_EQ(shown[1][0], EnglishSummary(true, 10, 10, 0));
  for (int row = 0; row < 10; ++row) {
    EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(files[row]), nullptr));
  }
  ExpectIdleWindow();
}

TEST_F(JobRunnerTest, CalculatingAgainClearsEveryRowBeforeRecomputingIt) {
  std::vector<std::string> files = AddTenFiles("twice");
  EXPECT_EQ(RunJob(), EnglishSummary(false, 10, 10, 0));
  testing::WriteBytes(files[4], "changed between the jobs");

  ClickHoldingWorker(kGadgetCalculate);
  for (int row = 0; row < 10; ++row) {
    EXPECT_TRUE(RowShows(row, kImageRowQueued)) << row;
    EXPECT_EQ(Cell(row, 1), "") << row;
  }
  EXPECT_EQ(tk::GetGadgetAttribute(kGadgetProgress, tk::kProgressBarMaximum), 10);
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !shown.empty(); }));
  EXPECT_EQ(shown[0][0], EnglishSummary(false, 10, 10, 0));
  for (int row = 0; row < 10; ++row) {
    EXPECT_TRUE(RowShows(row, kImageRowComputed)) << row;
    EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(files[row]), nullptr)) << row;
  }
}

// A file manager's Compute action: the job starts before any event, with the
// algorithm and size the preferences stored; without the option the rows wait.
TEST_F(JobRunnerTest, CalculateOnTheCommandLineStartsTheStoredAlgorithmAtOnce) {
  Program().settings.digest = DigestKind{Algorithm::Sha3, 384};
  RebuildMainWindow();
  std::vector<std::string> files = AddTenFiles("calculate");
  StartCommandLineJob(ParseCommandLine({files[0]}));
  EXPECT_EQ(Job().JobRunning, 0);

  StartCommandLineJob(ParseCommandLine({"--calculate", files[0]}));
  EXPECT_EQ(Job().JobRunning, 1);
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
  ASSERT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !shown.empty(); }));
  EXPECT_EQ(shown[0][0], EnglishSummary(false, 10, 10, 0));
  for (int row = 0; row < 10; ++row) {
    EXPECT_EQ(Cell(row, 1), ReferenceDigest(testing::ReadBytes(files[row]), EVP_sha3_384())) << row;
  }
}

// A screen reader reads each row's state image as the state, in the language
// of the moment; the texts are the language files' own.
TEST_F(JobRunnerTest, EachRowsStateImageIsDescribedInTheCurrentLanguage) {
  constexpr int kDeutschItem = 12;
  std::vector<std::string> files = AddTenFiles("described");
  std::filesystem::remove(files[9]);
  DescribeMainWindow();
  auto expect = [](const std::string& code, const std::map<int, std::string>& keys) {
    for (const auto& [row, key] : keys) {
      const std::string text = testing::LanguageFileText(code, key);
      ASSERT_FALSE(text.empty()) << key << " in " << code;
      EXPECT_EQ(tk::testing::ListRowImageDescription(kGadgetResults, row), std::pair(text, text))
          << "row " << row << ", " << key << " in " << code;
    }
  };
  expect("en_GB", {{0, "tMainROWQUEUED"}, {9, "tMainROWQUEUED"}});
  StartAndStopAtRow(1);
  expect("en_GB", {{0, "tMainROWCOMPUTED"}, {1, "tMainROWCOMPUTING"}, {2, "tMainROWQUEUED"}});
  ReleaseWorker();
  {
    AutoAnswer summary(tk::kKeyReturn);
    ASSERT_TRUE(RunUntil([] { return Job().JobRunning == 0; }));
  }
  expect("en_GB", {{1, "tMainROWCOMPUTED"}, {9, "tMainROWFAILED"}});
  tk::ActivateMenuItem(kMainMenu, kDeutschItem);
  ASSERT_TRUE(RunUntil([] { return Program().settings.Language == "de_DE"; }));
  expect("de_DE", {{0, "tMainROWCOMPUTED"}, {9, "tMainROWFAILED"}});
}

TEST_F(JobRunnerTest, ClosingTheWindowDuringAJobAsksAndStopsItOnlyOnYes) {
  AddTenFiles("quit");
  std::vector<std::vector<std::string>> shown;
  AnswerDialogsInTurn({tk::kKeyEscape, tk::kKeyReturn}, &shown);
  StartAndStopAtRow(1);
  tk::testing::RequestClose(kMainWindow);
  DispatchPending();
  EXPECT_FALSE(QuitDecided());
  EXPECT_EQ(Job().CancelRequested, 0);
  // The disk comes back while the confirmed quit waits for the row in flight.
  std::thread disk([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ReleaseWorker();
  });
  // Only the close is dispatched: the program would end after it.
  tk::testing::RequestClose(kMainWindow);
  if (DispatchEvent(tk::WaitWindowEventTimeout(20))) QuitDecided() = true;
  disk.join();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1][0], "A calculation is still running.\nStop it and quit?");
  EXPECT_TRUE(QuitDecided());
  EXPECT_EQ(Job().CancelRequested, 1);
  // The job finishes the row it is on and touches no other.
  ASSERT_TRUE(StepWorkerUntil([] { return tk::CountQueuedEvents() == 1; }));
  EXPECT_TRUE(RowShows(1, kImageRowComputed));
  for (int row = 2; row < 10; ++row) EXPECT_TRUE(RowShows(row, kImageRowQueued)) << row;
}

}  // namespace
}  // namespace vandrel

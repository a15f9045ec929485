// Starting, running, cancelling and finishing a checksum job.
#include "app/job_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/failure_reason.h"
#include "app/help.h"
#include "app/job_progress.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/verify_list.h"
#include "core/algorithm.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "settings/program.h"
#include "system/debug_log.h"
#include "system/threads.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"

namespace vandrel {
namespace {

constexpr int kJobMenuItems[] = {kMenuOpen,     kMenuVerify, kMenuCompare, kMenuQuit,
                                 kMenuOpenHelp, kMenuAbout,  kMenuOpenWeb};

// Whether the size options apply to the algorithm stored in the settings.
bool StoredAlgorithmHasSizes() {
  const std::optional<Algorithm> algorithm = AlgorithmFromSetting(Program().settings.Fingerprint);
  return algorithm && HasSizes(*algorithm);
}

// The window as it is between jobs.
void RestoreIdleWindow() {
  JobState& job = Job();
  job.CancelRequested = 0;
  job.JobRunning = 0;
  for (int item : {kMenuOpen, kMenuVerify, kMenuCompare, kMenuQuit, kMenuAbout, kMenuOpenWeb}) {
    tk::DisableMenuItem(kMainMenu, item, false);
  }
  EnableHelpItem();
  tk::SetGadgetText(kGadgetCalculate, T("tMainCALCULATE"));
  tk::SetGadgetState(kGadgetProgress, 0);
  for (int gadget = kGadgetSource; gadget <= kGadgetSave; ++gadget)
    tk::DisableGadget(gadget, false);
  tk::DisableGadget(kGadgetDelete, tk::GetGadgetState(kGadgetResults) < 0);
  tk::DisableGadget(kGadgetDeleteAll, false);
  for (int option = kGadgetCrc32; option <= kGadgetSha3; ++option) tk::DisableGadget(option, false);
  SetSizeOptionsEnabled(StoredAlgorithmHasSizes());
}

// Runs on the worker thread.
int SelectedDigestBits() {
  for (std::size_t i = 0; i < kSizeOptionGadgets.size(); ++i) {
    if (tk::GetGadgetState(kSizeOptionGadgets[i])) return kDigestSizes[i];
  }
  return 0;
}

// A confirmed cancel lets the current file finish, but only for this long:
// a huge file or an endless one (a link into /proc) would hold the window
// for minutes, or for ever.
constexpr std::int64_t kCancelGraceMilliseconds = 1000;

// When the cancel (or quit) was confirmed, in steady-clock milliseconds;
// written by the main thread before it resumes the worker.
std::atomic<std::int64_t> g_cancelConfirmedAt{0};

std::int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Runs on the worker thread, between two reads of a file, inside the
// pausable section: atomics and the clock only.
bool KeepDigesting(std::uint64_t, std::uint64_t) {
  return !Job().CancelRequested ||
         NowMilliseconds() - g_cancelConfirmedAt.load() < kCancelGraceMilliseconds;
}

// Runs on the worker thread.
DigestResult DigestOf(const std::string& path, Algorithm algorithm, int bits) {
  // The digest itself is the long, lock-free part of a row: the only place
  // where a pause may stop the worker.
  FileProgress progress;
  sys::PausableSection pausable;
  DigestOptions options;
  // One call per read: the share for the bar, then whether to go on.
  options.progress = [&progress](std::uint64_t done, std::uint64_t total) {
    progress.update(done, total);
    return KeepDigesting(done, total);
  };
  options.refuseFolders = true;
  DigestResult result =
      DigestFile(path, Info(algorithm).engine, HasSizes(algorithm) ? bits : 0, options);
  if (result.failure != DigestFailure::None)
    DebugLog("job", path + ": " + DescribeDigestFailure(result));
  return result;
}

// The digest each row should have, taken on the main thread before the
// worker starts and only read by it afterwards; empty when no row came from
// a checksum list, so a plain job costs nothing more than before. The list
// cannot change during a job, so the indices hold.
std::vector<std::string> g_expected;
const std::string kNothingExpected;

// A row keeps the digest its list gave in that list's algorithm; a job of
// another algorithm computes the row as a plain one rather than call a
// different digest a mismatch.
void CollectExpectedDigests(const std::optional<DigestKind>& computed) {
  g_expected = tk::GetGadgetColumnTexts(kGadgetResults, kColumnExpected);
  const std::vector<std::string> kinds =
      tk::GetGadgetColumnTexts(kGadgetResults, kColumnExpectedKind);
  for (std::size_t row = 0; row < g_expected.size(); ++row) {
    const std::optional<DigestKind> kind =
        row < kinds.size() ? FindDigestKindByName(kinds[row]) : std::nullopt;
    if (!kind || !computed || *kind != *computed) g_expected[row].clear();
  }
  const bool none = std::all_of(g_expected.begin(), g_expected.end(),
                                [](const std::string& expected) { return expected.empty(); });
  if (none) g_expected.clear();
}

// The words of a failed or different row's tooltip in the language of the
// moment the job started; the worker never reads the text table.
FailureTexts g_failureTexts;

// Height of one line of the summary, in the notice's bold font.
constexpr int kSummaryLineHeight = 20;

int LineBreaks(const std::string& text) {
  int count = 0;
  for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 2)) {
    ++count;
  }
  return count;
}

// A row from a checksum list: green only when the digest is the one the
// list expects. A different digest is still shown, so the user sees what
// the file really holds. Runs on the worker thread.
void MarkVerifiedRow(int row, const DigestResult& digest, const std::string& expected) {
  JobState& job = Job();
  const bool matches = !digest.hex.empty() && digest.hex == expected;
  const int image = matches              ? kImageRowMatches
                    : digest.hex.empty() ? kImageRowMissing
                                         : kImageRowDiffers;
  tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(image));
  if (!digest.hex.empty()) tk::SetGadgetItemText(kGadgetResults, row, digest.hex, 1);
  if (matches) {
    ++job.FilesMatched;
    return;
  }
  ++job.FilesFailed;
  if (digest.hex.empty()) {
    ++job.FilesMissing;
    tk::SetGadgetItemToolTip(kGadgetResults, row, FormatFailureReason(digest, g_failureTexts));
  } else {
    ++job.FilesMismatched;
    tk::SetGadgetItemToolTip(kGadgetResults, row,
                             FormatDifference(expected, digest.hex, g_failureTexts));
  }
}

// Asks `question` with the worker paused, so that no row changes under it.
int AskWithWorkerPaused(const MessageDialogConfig& config, const std::string& question) {
  sys::ThreadHandle worker = Job().WorkerThread;
  sys::PauseThread(worker);
  int answer = ShowMessageDialog(config, question);
  if (answer == 1) {
    g_cancelConfirmedAt = NowMilliseconds();
    Job().CancelRequested = 1;
    Job().JobCancelled = 1;
  }
  sys::ResumeThread(worker);
  return answer;
}

}  // namespace

JobState& Job() {
  static JobState state;
  return state;
}

std::string JobSummaryText(bool cancelled, int processed, int rows, int failed) {
  return T(cancelled ? "tReqCANCELLED" : "tReqFINISHED") + "\\n\\n" + T("tInfoFILESPROCESSED") +
         "\t" + std::to_string(processed) + "\\" + std::to_string(rows) + "\\n" +
         T("tInfoERRORCALCULATE") + "\t" + std::to_string(failed) + " " + T("tInfoFILES");
}

std::string VerifySummaryText(int matched, int mismatched, int missing, int rejected) {
  std::string text = "\\n\\n" + T("tInfoMATCHED") + "\t" + std::to_string(matched) + "\\n" +
                     T("tInfoMISMATCHED") + "\t" + std::to_string(mismatched) + "\\n" +
                     T("tInfoMISSING") + "\t" + std::to_string(missing);
  if (rejected > 0) text += "\\n" + T("tInfoREJECTED") + "\t" + std::to_string(rejected);
  return text;
}

void StartJob() {
  const int rows = tk::CountGadgetItems(kGadgetResults);
  g_failureTexts = CurrentFailureTexts();
  tk::ResetGadgetItems(kGadgetResults, 1, "", tk::ImageID(kImageRowQueued));
  tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarMaximum, rows);
  tk::SetGadgetText(kGadgetCalculate, T("tMainCANCEL"));
  for (int item : kJobMenuItems) tk::DisableMenuItem(kMainMenu, item, true);
  for (int gadget = kGadgetSource; gadget <= kGadgetDeleteAll; ++gadget) {
    tk::DisableGadget(gadget, true);
  }
  for (int option = kGadgetCrc32; option <= kGadgetBits512; ++option) {
    tk::DisableGadget(option, true);
  }
  JobState& job = Job();
  job.JobRunning = 1;
  job.JobCancelled = 0;
  job.CancelRequested = 0;
  job.ListLinesRejected = 0;
  if (const std::optional<Algorithm> family =
          AlgorithmFromSetting(Program().settings.Fingerprint)) {
    job.ComputedKind = DigestKind{
        *family, HasSizes(*family) ? BitsForSizeSetting(SelectedBits()) : Info(*family).fixedBits};
  } else {
    job.ComputedKind.reset();
  }
  CollectExpectedDigests(job.ComputedKind);
  job.WorkerThread = sys::CreateThread(JobWorker, Program().settings.Fingerprint);
  // Without a worker nothing would ever end the job: go back to idle at once.
  if (!job.WorkerThread) RestoreIdleWindow();
}

int JobWorker(int algorithm) {
  JobState& job = Job();
  job.FilesFailed = 0;
  job.FilesProcessed = 0;
  job.FilesMatched = 0;
  job.FilesMismatched = 0;
  job.FilesMissing = 0;
  const int bits = SelectedDigestBits();
  const std::optional<Algorithm> family = AlgorithmFromSetting(algorithm);
  for (int row = 0; row < tk::CountGadgetItems(kGadgetResults); ++row) {
    if (job.CancelRequested) continue;
    ++job.FilesProcessed;
    tk::SetGadgetState(kGadgetProgress, row);
    tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(kImageRowComputing));
    tk::SetGadgetState(kGadgetResults, row);
    const std::string path = tk::GetGadgetItemText(kGadgetResults, row, 0);
    if (!family) {
      DebugLog("job", "no algorithm has the setting " + std::to_string(algorithm));
      continue;
    }
    const DigestResult result = DigestOf(path, *family, bits);
    const std::string& expected =
        static_cast<std::size_t>(row) < g_expected.size() ? g_expected[row] : kNothingExpected;
    if (result.failure == DigestFailure::Abandoned) {
      // Cut short by the cancel: the file was neither digested nor failed.
      tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(kImageRowQueued));
      --job.FilesProcessed;
    } else if (!expected.empty()) {
      MarkVerifiedRow(row, result, expected);
    } else if (result.failure == DigestFailure::None) {
      tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(kImageRowComputed));
      tk::SetGadgetItemText(kGadgetResults, row, result.hex, 1);
    } else {
      tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(kImageRowFailed));
      tk::SetGadgetItemToolTip(kGadgetResults, row, FormatFailureReason(result, g_failureTexts));
      ++job.FilesFailed;
    }
  }
  tk::PostEvent(kEventJobFinished);
  return 0;
}

void RequestCancel() { AskWithWorkerPaused(DialogConfigs().cancelQuestion, T("tReqCANCEL")); }

void QuitDuringJob() {
  if (AskWithWorkerPaused(DialogConfigs().warningQuestion, T("tReqINPROGRESSQUIT")) != 1) return;
  sys::Delay(100);
  Program().quitRequest = true;
}

void OnJobFinished() {
  RestoreIdleWindow();
  JobState& job = Job();
  std::string summary = JobSummaryText(job.JobCancelled != 0, job.FilesProcessed,
                                       tk::CountGadgetItems(kGadgetResults), job.FilesFailed);
  // The verify counts appear only when rows carried an expected digest or a
  // list was read, so a plain job's summary stays as it always was. The
  // notice has a fixed height: it grows by the lines they add, and goes back.
  MessageDialogConfig& notice = DialogConfigs().notice;
  const int height = notice.height;
  if (job.FilesMatched + job.FilesMismatched + job.FilesMissing + job.ListLinesRejected > 0) {
    const std::string counts = VerifySummaryText(job.FilesMatched, job.FilesMismatched,
                                                 job.FilesMissing, job.ListLinesRejected);
    summary += counts;
    notice.height += kSummaryLineHeight * LineBreaks(counts);
  }
  ShowMessageDialog(notice, summary);
  notice.height = height;
  job.JobCancelled = 0;
}

void SelectAlgorithm(int option) {
  for (std::size_t i = 0; i < kAlgorithmOptionGadgets.size(); ++i) {
    if (kAlgorithmOptionGadgets[i] != option) continue;
    Program().settings.Fingerprint = static_cast<std::int32_t>(i);
    SetSizeOptionsEnabled(HasSizes(kAlgorithms[i].algorithm));
  }
}

}  // namespace vandrel

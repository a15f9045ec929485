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
#include "app/job_hand_over.h"
#include "app/job_progress.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/verify_list.h"
#include "core/algorithm.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "job_engine/job_engine.h"
#include "settings/text_table.h"
#include "system/debug_log.h"
#include "system/threads.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"

namespace vandrel {
namespace {

// The source field and the list with the buttons that always work on it;
// Delete depends on the selection.
constexpr int kListGadgets[] = {kGadgetSource, kGadgetBrowse, kGadgetResults, kGadgetClipboard,
                                kGadgetSave};

constexpr int kJobMenuItems[] = {kMenuOpen,     kMenuVerify, kMenuCompare, kMenuQuit,
                                 kMenuOpenHelp, kMenuAbout,  kMenuOpenWeb};

// Whether the size options apply to the algorithm stored in the settings.
bool StoredAlgorithmHasSizes() { return HasSizes(Program().settings.digest.algorithm); }

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
  for (int gadget : kListGadgets) tk::DisableGadget(gadget, false);
  tk::DisableGadget(kGadgetDelete, tk::GetGadgetState(kGadgetResults) < 0);
  tk::DisableGadget(kGadgetDeleteAll, false);
  for (int option : kAlgorithmOptionGadgets) tk::DisableGadget(option, false);
  SetSizeOptionsEnabled(StoredAlgorithmHasSizes());
}

// A confirmed cancel lets the files in flight finish, but only for this
// long: a huge file or an endless one (a link into /proc) would hold the
// window for minutes, or for ever.
constexpr std::chrono::milliseconds kCancelGrace{1000};

// Digests the rows on the engine's threads, in list order, until the end or
// a confirmed cancel. Runs on the worker thread, the engine's owner.
void DigestRows(JobState& job, RowHandOver& handOver) {
  engine::RunOptions options;
  options.threads = job.Threads;
  options.read = job.Read;
  options.refuseFolders = true;
  options.control = &*job.Control;
  options.started = [&handOver](std::size_t row) { handOver.started(row); };
  options.progress = [&handOver](std::size_t row, std::uint64_t done, std::uint64_t total) {
    handOver.progress(row, done, total);
  };
  options.finished = [&handOver](const engine::Outcome& outcome) {
    if (outcome.digest.failure != DigestFailure::None &&
        outcome.digest.failure != DigestFailure::Abandoned) {
      DebugLog("job", Job().Paths[outcome.index] + ": " + DescribeDigestFailure(outcome.digest));
    }
    handOver.finished(outcome);
  };
  // The engine ignores the size of algorithms that have only one.
  engine::JobRun run(job.Digest, std::move(options));
  for (std::size_t row = 0; row < job.Paths.size(); ++row) {
    if (!run.add({job.Paths[row], row < job.Expected.size() ? job.Expected[row] : std::string()}))
      break;
  }
  run.finish();
}

// The digest each row should have, taken on the main thread before the
// worker starts and only read by it afterwards. The list cannot change
// during a job, so the indices hold. A row keeps the digest its list gave in
// that list's algorithm; a job of another algorithm computes the row as a
// plain one rather than call a different digest a mismatch.
void CollectExpectedDigests(const std::optional<DigestKind>& computed) {
  std::vector<std::string>& expected = Job().Expected;
  expected = tk::GetGadgetColumnTexts(kGadgetResults, kColumnExpected);
  const std::vector<std::string> kinds =
      tk::GetGadgetColumnTexts(kGadgetResults, kColumnExpectedKind);
  for (std::size_t row = 0; row < expected.size(); ++row) {
    const std::optional<DigestKind> kind =
        row < kinds.size() ? FindDigestKindByName(kinds[row]) : std::nullopt;
    if (!kind || !computed || *kind != *computed) expected[row].clear();
  }
  const bool none = std::all_of(expected.begin(), expected.end(),
                                [](const std::string& text) { return text.empty(); });
  if (none) expected.clear();
}

// Height of one line of the summary, in the notice's bold font.
constexpr int kSummaryLineHeight = 20;

// A row from a checksum list has an image of its own for each verdict.
int VerdictImage(engine::Verdict verdict) {
  switch (verdict) {
    case engine::Verdict::Computed:
      return kImageRowComputed;
    case engine::Verdict::Matched:
      return kImageRowMatches;
    case engine::Verdict::Differs:
      return kImageRowDiffers;
    case engine::Verdict::Missing:
      return kImageRowMissing;
    case engine::Verdict::Abandoned:
      return kImageRowQueued;
    case engine::Verdict::Failed:
      break;
  }
  return kImageRowFailed;
}

// A finished row as the window shows it, and its counts. A row from a
// checksum list matches only when its digest is the one the list expects; a
// different digest is still shown, so the user sees what the file holds.
void MarkFinishedRow(const engine::Outcome& outcome) {
  JobState& job = Job();
  const int row = static_cast<int>(outcome.index);
  const DigestResult& digest = outcome.digest;
  if (outcome.verdict == engine::Verdict::Abandoned) {
    // Cut short by the cancel: the file was neither digested nor failed.
    tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(kImageRowQueued));
    return;
  }
  ++job.FilesProcessed;
  tk::SetGadgetItemImage(kGadgetResults, row, tk::ImageID(VerdictImage(outcome.verdict)));
  if (!digest.hex.empty()) tk::SetGadgetItemText(kGadgetResults, row, digest.hex, 1);
  switch (outcome.verdict) {
    case engine::Verdict::Matched:
      ++job.FilesMatched;
      break;
    case engine::Verdict::Differs:
      ++job.FilesFailed;
      ++job.FilesMismatched;
      tk::SetGadgetItemToolTip(
          kGadgetResults, row,
          FormatDifference(job.Expected[outcome.index], digest.hex, job.FailureWords));
      break;
    case engine::Verdict::Missing:
    case engine::Verdict::Failed:
      ++job.FilesFailed;
      if (outcome.verdict == engine::Verdict::Missing) ++job.FilesMissing;
      tk::SetGadgetItemToolTip(kGadgetResults, row, FormatFailureReason(digest, job.FailureWords));
      break;
    case engine::Verdict::Computed:
    case engine::Verdict::Abandoned:
      break;
  }
}

// One hand-over of the job's changes to the window. Runs on the main thread.
void ApplyRowChanges(const RowChanges& changes) {
  for (std::size_t row : changes.started) {
    tk::SetGadgetItemImage(kGadgetResults, static_cast<int>(row), tk::ImageID(kImageRowComputing));
  }
  for (const engine::Outcome& outcome : changes.finished) MarkFinishedRow(outcome);
  if (!changes.finished.empty()) {
    // The bar counts the finished rows; the selection follows the last one.
    const int last = static_cast<int>(changes.finished.back().index);
    tk::SetGadgetState(kGadgetProgress, last + 1);
    tk::SetGadgetState(kGadgetResults, last);
  }
  if (changes.part >= 0)
    tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarPart, changes.part);
  if (changes.tip) tk::GadgetToolTip(kGadgetProgress, *changes.tip);
}

// Asks `question` with the job paused. No row changes under it either way:
// the dialog holds the worker's calls to the window.
void CancelConfirmed() {
  JobState& job = Job();
  job.CancelRequested = 1;
  job.JobCancelled = 1;
  if (job.Control) job.Control->cancel(kCancelGrace);
}

int AskWithWorkerPaused(const MessageDialogConfig& config, const std::string& question) {
  JobState& job = Job();
  job.Control->pause();
  int answer = ShowMessageDialog(config, question);
  if (answer == 1) CancelConfirmed();
  job.Control->resume();
  return answer;
}

// After a confirmed quit, the worker's moment to stop before the end.
constexpr int kQuitDelayMilliseconds = 100;

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
  JobState& job = Job();
  job.Paths = tk::GetGadgetColumnTexts(kGadgetResults, 0);
  const int rows = static_cast<int>(job.Paths.size());
  job.FailureWords = CurrentFailureTexts();
  job.Control.emplace();
  tk::ResetGadgetItems(kGadgetResults, 1, "", tk::ImageID(kImageRowQueued));
  tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarMaximum, rows);
  tk::SetGadgetText(kGadgetCalculate, T("tMainCANCEL"));
  for (int item : kJobMenuItems) tk::DisableMenuItem(kMainMenu, item, true);
  for (int gadget : kListGadgets) tk::DisableGadget(gadget, true);
  tk::DisableGadget(kGadgetDelete, true);
  tk::DisableGadget(kGadgetDeleteAll, true);
  for (int option : kAlgorithmOptionGadgets) tk::DisableGadget(option, true);
  for (int option : kSizeOptionGadgets) tk::DisableGadget(option, true);
  job.JobRunning = 1;
  job.JobCancelled = 0;
  job.CancelRequested = 0;
  job.ListLinesRejected = 0;
  job.FilesFailed = 0;
  job.FilesProcessed = 0;
  job.FilesMatched = 0;
  job.FilesMismatched = 0;
  job.FilesMissing = 0;
  const Algorithm family = Program().settings.digest.algorithm;
  job.Digest = DigestKind{family, SelectedDigest().bits}.concrete();
  job.ComputedKind = job.Digest;
  CollectExpectedDigests(job.ComputedKind);
  job.WorkerThread = sys::CreateThread(JobWorker, static_cast<int>(family));
  // Without a worker nothing would ever end the job: go back to idle at once.
  if (!job.WorkerThread) RestoreIdleWindow();
}

int JobWorker(int algorithm) {
  JobState& job = Job();
  DebugLog("job", std::to_string(job.Paths.size()) + " rows, algorithm " +
                      std::to_string(algorithm) + ", " + std::to_string(job.Digest.bits) + " bits");
  RowHandOver handOver(ApplyRowChanges);
  // An algorithm or size the libraries lack fails each row with its reason.
  DigestRows(job, handOver);
  handOver.finish();
  tk::PostEvent(kEventJobFinished);
  return 0;
}

void RequestCancel() { AskWithWorkerPaused(DialogConfigs().cancelQuestion, T("tReqCANCEL")); }

bool QuitDuringJob() {
  if (AskWithWorkerPaused(DialogConfigs().warningQuestion, T("tReqINPROGRESSQUIT")) != 1) {
    return false;
  }
  sys::Delay(kQuitDelayMilliseconds);
  return true;
}

void EndJobForQuit() {
  CancelConfirmed();
  sys::Delay(kQuitDelayMilliseconds);
}

void OnJobFinished() {
  RestoreIdleWindow();
  JobState& job = Job();
  std::string summary = JobSummaryText(job.JobCancelled != 0, job.FilesProcessed,
                                       tk::CountGadgetItems(kGadgetResults), job.FilesFailed);
  // The verify counts appear only when rows carried an expected digest or a
  // list was read, so a plain job's summary stays as it always was. The
  // notice has a fixed height: this one grows by the lines they add.
  const MessageDialogConfig& notice = DialogConfigs().notice;
  int height = notice.height;
  if (job.FilesMatched + job.FilesMismatched + job.FilesMissing + job.ListLinesRejected > 0) {
    const std::string counts = VerifySummaryText(job.FilesMatched, job.FilesMismatched,
                                                 job.FilesMissing, job.ListLinesRejected);
    summary += counts;
    height += kSummaryLineHeight * MessageLineBreaks(counts);
  }
  ShowMessageDialog(WithHeight(notice, height), summary);
  job.JobCancelled = 0;
}

void SelectAlgorithm(int option) {
  for (std::size_t i = 0; i < kAlgorithmOptionGadgets.size(); ++i) {
    if (kAlgorithmOptionGadgets[i] != option) continue;
    Program().settings.digest.algorithm = kAlgorithms[i].algorithm;
    SetSizeOptionsEnabled(HasSizes(kAlgorithms[i].algorithm));
  }
}

}  // namespace vandrel

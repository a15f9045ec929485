// Starting, running, cancelling and finishing a checksum job.
#include "app/job_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/frame_clock.h"
#include "app/help.h"
#include "app/job_progress.h"
#include "app/job_state.h"
#include "app/list_trust.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_model/results_model.h"
#include "app/results_view.h"
#include "core/algorithm.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "job_engine/job_engine.h"
#include "settings/text_table.h"
#include "system/debug_log.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"

namespace vandrel {
namespace {

// The source field and the list with the buttons that always work on it;
// Delete depends on the selection.
constexpr int kListGadgets[] = {kGadgetSource, kGadgetBrowse, kGadgetResults, kGadgetClipboard,
                                kGadgetSave};

constexpr int kJobMenuItems[] = {kMenuOpen, kMenuVerify,   kMenuVerifyWithKey, kMenuCompare,
                                 kMenuQuit, kMenuOpenHelp, kMenuAbout,         kMenuOpenWeb};

// A confirmed cancel lets the files in flight finish, but only for this
// long: a huge file or an endless one (a link into /proc) would hold the
// window for minutes, or for ever.
constexpr std::chrono::milliseconds kCancelGrace{1000};
// A confirmed quit waits this long for the files in flight: a read that
// itself hangs (a dead network folder) must not keep the program alive.
constexpr std::chrono::milliseconds kQuitPatience = kCancelGrace + std::chrono::seconds(1);

// Height of one line of the summary, in the notice's bold font.
constexpr int kSummaryLineHeight = 20;
// A summary headed by signature outcomes (a signer's name and a grouped
// fingerprint of 49 characters) is this wide, and its lines wrap after
// about so many characters of the bold font.
constexpr int kSignedSummaryWidth = 620;
constexpr std::size_t kSignedSummaryLineChars = 50;

// The job between StartJob and OnJobFinished.
struct RunningJob {
  engine::JobControl control;
  std::unique_ptr<engine::PolledRun> run;
  JobBar bar;
  bool over = false;  // the completion has been posted
};

std::unique_ptr<RunningJob>& Running() {
  static std::unique_ptr<RunningJob> running;
  return running;
}

// Whether the size options apply to the algorithm stored in the settings.
bool StoredAlgorithmHasSizes() { return HasSizes(Program().settings.digest.algorithm); }

// The window as it is between jobs.
void RestoreIdleWindow() {
  JobState& job = Job();
  job.CancelRequested = 0;
  job.JobRunning = 0;
  for (int item : {kMenuOpen, kMenuVerify, kMenuVerifyWithKey, kMenuCompare, kMenuQuit, kMenuAbout,
                   kMenuOpenWeb}) {
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

// How many lines `message` takes in a text that wraps after about `width`
// characters.
int WrappedLines(const std::string& message, std::size_t width) {
  int lines = 0;
  const std::string text = MessageText(message);
  for (std::size_t begin = 0; begin <= text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines += static_cast<int>(std::max<std::size_t>(1, (end - begin + width - 1) / width));
    begin = end + 1;
  }
  return lines;
}

// A cancel asked for (CancelRequested) stops the engine: nothing more
// starts, and files in flight have the grace to finish.
void HandCancelToEngine(RunningJob& running) {
  if (Job().CancelRequested && !running.control.cancelled()) running.control.cancel(kCancelGrace);
}

void LogFailures(const engine::Polled& polled) {
  for (const engine::Outcome& outcome : polled.finished) {
    const DigestFailure failure = outcome.digest.failure;
    if (failure == DigestFailure::None || failure == DigestFailure::Abandoned) continue;
    DebugLog("job",
             Results().row(outcome.index).path + ": " + DescribeDigestFailure(outcome.digest));
  }
}

// What the engine handed back, applied to the rows, then to the bar, the
// selection and the counts. The bar and the selection follow the last row
// that finished; rows a cancel cut short move neither.
void ApplyToWindow(RunningJob& running, const engine::Polled& polled) {
  LogFailures(polled);
  const std::optional<std::size_t> last = Results().apply(polled);
  JobState& job = Job();
  job.FilesProcessed = static_cast<std::int32_t>(polled.tally.processed());
  job.FilesFailed = static_cast<std::int32_t>(polled.tally.unsuccessful());
  const BarChange bar = running.bar.update(last, polled.oldest);
  if (bar.value) tk::SetGadgetState(kGadgetProgress, *bar.value);
  if (bar.part) tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarPart, *bar.part);
  if (bar.tip) tk::GadgetToolTip(kGadgetProgress, *bar.tip);
  if (last) tk::SetGadgetState(kGadgetResults, static_cast<int>(*last));
}

// The frame clock's poll of the job. False once the completion is posted.
bool PollJob() {
  RunningJob* running = Running().get();
  if (!running || running->over) return false;
  HandCancelToEngine(*running);
  // While a question about the job is open nothing changes under it.
  if (running->control.paused()) return true;
  const engine::Polled polled = running->run->poll();
  ApplyToWindow(*running, polled);
  if (!polled.over) return true;
  running->over = true;
  tk::PostEvent(kEventJobFinished);
  return false;
}

// Asks `question` with the job paused at its safe points; Yes cancels it.
int AskWithJobPaused(const MessageDialogConfig& config, const std::string& question) {
  RunningJob* running = Running().get();
  if (running) running->control.pause();
  const int answer = ShowMessageDialog(config, question);
  if (answer == 1) {
    Job().CancelRequested = 1;
    Job().JobCancelled = 1;
    if (running) HandCancelToEngine(*running);
  }
  if (running) running->control.resume();
  return answer;
}

}  // namespace

JobState& Job() {
  static JobState state(Results().computedKind());
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
  const Algorithm family = Program().settings.digest.algorithm;
  const DigestKind kind = DigestKind{family, SelectedDigest().bits}.concrete();
  // A failed row says why in the language the job began in.
  UseFailureTexts(CurrentFailureTexts());
  engine::PlanSource plan = Results().beginJob(kind);
  DebugLog("job", std::to_string(plan.size) + " rows, algorithm " +
                      std::to_string(static_cast<int>(family)) + ", " + std::to_string(kind.bits) +
                      " bits");
  tk::SetGadgetAttribute(kGadgetProgress, tk::kProgressBarMaximum, static_cast<int>(plan.size));
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
  job.ListTrustInSummary = 0;
  job.FilesFailed = 0;
  job.FilesProcessed = 0;
  auto running = std::make_unique<RunningJob>();
  engine::RunOptions options;
  options.threads = job.Threads;
  options.read = job.Read;
  options.refuseFolders = true;
  options.control = &running->control;
  running->run = std::make_unique<engine::PolledRun>(std::move(plan), std::move(options));
  // Without a thread nothing would ever end the job: back to idle at once.
  if (!running->run->working()) {
    RestoreIdleWindow();
    return;
  }
  Running() = std::move(running);
  PollEachFrame(PollJob);
}

void RequestCancel() { AskWithJobPaused(DialogConfigs().cancelQuestion, T("tReqCANCEL")); }

bool QuitDuringJob() {
  if (AskWithJobPaused(DialogConfigs().warningQuestion, T("tReqINPROGRESSQUIT")) != 1) {
    return false;
  }
  EndJobForQuit();
  return true;
}

void EndJobForQuit() {
  Job().CancelRequested = 1;
  Job().JobCancelled = 1;
  if (RunningJob* running = Running().get()) {
    HandCancelToEngine(*running);
    running->run->join(kQuitPatience);
  }
}

void OnJobFinished() {
  Running().reset();
  RestoreIdleWindow();
  JobState& job = Job();
  const ResultsModel& results = Results();
  std::string summary = JobSummaryText(job.JobCancelled != 0, job.FilesProcessed,
                                       static_cast<int>(results.size()), job.FilesFailed);
  // The verify counts appear only when rows carried an expected digest or a
  // list was read, so a plain job's summary stays as it always was. The
  // notice has a fixed height: this one grows by the lines they add.
  const engine::Tally& tally = results.tally();
  const MessageDialogConfig& notice = DialogConfigs().notice;
  int height = notice.height;
  if (tally.matched + tally.differs + tally.missing + job.ListLinesRejected > 0) {
    const std::string counts =
        VerifySummaryText(static_cast<int>(tally.matched), static_cast<int>(tally.differs),
                          static_cast<int>(tally.missing), job.ListLinesRejected);
    summary += counts;
    height += kSummaryLineHeight * MessageLineBreaks(counts);
  }
  MessageDialogConfig shown = WithHeight(notice, height);
  if (job.ListTrustInSummary) {
    const std::string trust = ListTrustSummary();
    summary = trust + "\\n\\n" + summary;
    shown.width = kSignedSummaryWidth;
    shown.height += kSummaryLineHeight * (WrappedLines(trust, kSignedSummaryLineChars) + 1);
  }
  ShowMessageDialog(shown, summary);
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

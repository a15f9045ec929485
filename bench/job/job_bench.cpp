// Whole checksum jobs in-process, with the real window and event loop, over
// (a) one 1 GiB file and (b) 10,000 files of 4 KiB, SHA-256, against
// FileDigest alone and sha256sum over the same files. Also: the longest gap
// between two main-loop iterations during each job, the peak memory of (a),
// and the cost of one worker-to-window call. Needs an X display; run by hand
// (bench/job/run-job-bench starts Xvfb when there is none).
//
// Every figure is taken on warm page-cache files: the files are written just
// before they are read, and the machine has the memory to keep them.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/file_intake.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "settings/program.h"
#include "system/threads.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace vandrel {
namespace {

constexpr std::uintmax_t kBigFileBytes = 1ull << 30;
constexpr int kSmallFiles = 10000;
constexpr std::size_t kSmallFileBytes = 4096;
constexpr int kRuns = 3;
constexpr int kWorkerCalls = 2000;
constexpr int kEventProbeDone = tk::kEventCustom + 1;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A temporary folder that is removed, with everything in it, at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vandrel-job-bench.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data())) path_ = name.data();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool WriteRandomFile(const std::string& path, std::uintmax_t bytes, std::mt19937_64& random) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<std::uint64_t> block(std::min<std::uintmax_t>(bytes, 1 << 20) / 8 + 1);
  for (std::uintmax_t written = 0; out && written < bytes;) {
    for (std::uint64_t& word : block) word = random();
    const std::uintmax_t n = std::min<std::uintmax_t>(bytes - written, block.size() * 8);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
    written += n;
  }
  return static_cast<bool>(out);
}

// Kilobytes from a line of /proc/self/status such as "VmHWM:".
long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  }
  return -1;
}

// Lowers VmHWM to the current resident size, so the next reading is the
// peak of what follows. False on kernels without it.
bool ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// Runs `command` through the shell, discarding its output; seconds taken.
double TimeCommand(const std::string& command) {
  const Clock::time_point start = Clock::now();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[65536];
  while (std::fread(buffer, 1, sizeof buffer, pipe) > 0) {
  }
  const int status = pclose(pipe);
  return status == 0 ? Seconds(Clock::now() - start) : -1;
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Records the longest interval between two runs of a 1 ms main-loop timer.
class GapMonitor {
 public:
  void start() {
    running_ = true;
    longest_ = 0;
    last_ = Clock::now();
    Arm();
  }
  void stop() { running_ = false; }
  double longestMilliseconds() const { return longest_ * 1000; }

 private:
  void Arm() {
    tk::testing::AtNextWait(
        [this] {
          const Clock::time_point now = Clock::now();
          longest_ = std::max(longest_, Seconds(now - last_));
          last_ = now;
          if (running_) Arm();
        },
        1);
  }
  bool running_ = false;
  double longest_ = 0;
  Clock::time_point last_;
};

// Presses Return on the summary dialog once it is open.
void AnswerSummaryWithReturn() {
  const int dialog = tk::testing::LastOpenedWindow();
  if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow && tk::IsWindow(dialog)) {
    tk::testing::PressKey(dialog, tk::kKeyReturn);
    return;
  }
  tk::testing::AtNextWait(AnswerSummaryWithReturn, 2);
}

struct JobRun {
  double seconds = 0;          // Calculate until the completion event arrives
  double startJobSeconds = 0;  // StartJob itself, on the main thread
  double longestGapMs = 0;
  int processed = 0;
  int failed = 0;
};

// One job through the program's own commands and event loop: StartJob, then
// events dispatched as the event loop does until the summary is answered.
JobRun RunJob(bool monitorGaps) {
  GapMonitor monitor;
  JobRun run;
  if (monitorGaps) monitor.start();
  const Clock::time_point start = Clock::now();
  StartJob();
  run.startJobSeconds = Seconds(Clock::now() - start);
  bool finished = false;
  while (!finished) {
    const int kind = tk::WaitWindowEvent();
    if (kind == kEventJobFinished && tk::EventWindow() == kMainWindow) {
      run.seconds = Seconds(Clock::now() - start);
      monitor.stop();
      run.longestGapMs = monitor.longestMilliseconds();
      run.processed = Job().FilesProcessed;
      run.failed = Job().FilesFailed;
      tk::testing::AtNextWait(AnswerSummaryWithReturn, 2);
      finished = true;
    }
    DispatchEvent(kind);
  }
  // Let the last timer run out before the monitor goes out of scope.
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
  return run;
}

// The worker-to-window call probe: toolkit calls from a worker thread while
// the main thread waits for events, one kind of call at a time, walking the
// rows of the list as the worker does.
enum class ProbeCall : int {
  kGetButtonState,
  kCountRows,
  kGetRowPath,
  kSetRowImage,
  kSetRowDigest,
  kSelectRow,
  kSetProgress,
};
constexpr const char* kProbeCallNames[] = {
    "GetGadgetState (a button)", "CountGadgetItems",  "GetGadgetItemText",
    "SetGadgetItemImage",        "SetGadgetItemText", "SetGadgetState (select row + scroll)",
    "SetGadgetState (progress)"};
std::atomic<int> g_probeCall{0};
std::atomic<double> g_probeSeconds{0};

// Runs on the worker thread.
int WorkerCallProbe(int calls) {
  const int rows = std::max(1, tk::CountGadgetItems(kGadgetResults));
  tk::ImageRef image = tk::ImageID(kImageRowComputed);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    const int row = i % rows;
    switch (static_cast<ProbeCall>(g_probeCall.load())) {
      case ProbeCall::kGetButtonState:
        tk::GetGadgetState(kGadgetCalculate);
        break;
      case ProbeCall::kCountRows:
        tk::CountGadgetItems(kGadgetResults);
        break;
      case ProbeCall::kGetRowPath:
        tk::GetGadgetItemText(kGadgetResults, row, 0);
        break;
      case ProbeCall::kSetRowImage:
        tk::SetGadgetItemImage(kGadgetResults, row, image);
        break;
      case ProbeCall::kSetRowDigest:
        tk::SetGadgetItemText(kGadgetResults, row, (i & 1) ? "odd" : "even", 1);
        break;
      case ProbeCall::kSelectRow:
        tk::SetGadgetState(kGadgetResults, row);
        break;
      case ProbeCall::kSetProgress:
        tk::SetGadgetState(kGadgetProgress, row);
        break;
    }
  }
  g_probeSeconds = Seconds(Clock::now() - start);
  tk::PostEvent(kEventProbeDone);
  return 0;
}

// The median of five rounds, since other processes on the machine can stall
// any single round.
double MicrosecondsPerWorkerCall(ProbeCall call, int calls) {
  g_probeCall = static_cast<int>(call);
  std::vector<double> rounds;
  for (int round = 0; round < 5; ++round) {
    if (!sys::CreateThread(WorkerCallProbe, calls)) return -1;
    while (tk::WaitWindowEvent() != kEventProbeDone) {
    }
    rounds.push_back(g_probeSeconds * 1e6 / calls);
  }
  return Median(rounds);
}

void ReportWorkerCalls(int calls) {
  std::printf("  %d rows in the list, median of 5 rounds of %d calls of each kind:\n",
              tk::CountGadgetItems(kGadgetResults), calls);
  for (int call = 0; call <= static_cast<int>(ProbeCall::kSetProgress); ++call) {
    std::printf("    %-38s %9.2f us per call\n", kProbeCallNames[call],
                MicrosecondsPerWorkerCall(static_cast<ProbeCall>(call), calls));
  }
}

void BringUpProgram() {
  RegisterStandardDigests();
  LoadBuiltInFonts();
  DecodeBuiltInImages();
  ProgramState& program = Program();
  program.settings = Settings{};
  program.settings.Language = "en_GB";
  program.settings.Fingerprint = 3;  // SHA2
  program.settings.Bits = 1;         // 256
  program.programDirectory = VANDREL_PROGRAM_DIR "/";
  program.languages.discover(program.programDirectory);
  program.languages.load(program.programDirectory + "Vandrel.lang", "en_GB", program.texts);
  ResetDialogConfigs();
  if (!BuildMainWindow()) {
    std::fprintf(stderr, "the main window could not be opened\n");
    std::exit(1);
  }
  SetDialogBackground(tk::WindowThemeBackground(kMainWindow));
  tk::HideWindow(kMainWindow, false);
  while (tk::WaitWindowEventTimeout(50) != tk::kEventNone) {
  }
}

void ClearList() {
  tk::ClearGadgetItems(kGadgetResults);
  tk::SetGadgetText(kGadgetSource, "");
}

struct Scenario {
  std::vector<double> job, startJob, digest, tool, gaps;
  int processed = 0, failed = 0, rows = 0;
};

void Report(const char* name, const Scenario& s, double units, const char* unitName) {
  const double job = Median(s.job), digest = Median(s.digest), tool = Median(s.tool);
  std::printf("%s: %d rows, %d processed, %d failed\n", name, s.rows, s.processed, s.failed);
  std::printf("  job            %8.3f s  %10.1f %s/s\n", job, units / job, unitName);
  std::printf("    of which StartJob on the main thread: %.1f ms\n", Median(s.startJob) * 1000);
  std::printf("  FileDigest     %8.3f s  %10.1f %s/s   job speed = %.1f %% of it\n", digest,
              units / digest, unitName, 100 * digest / job);
  std::printf("  sha256sum      %8.3f s  %10.1f %s/s   job is %.2fx its speed\n", tool,
              units / tool, unitName, tool / job);
  std::printf("  longest main-loop gap during the job: %.1f ms (median of %zu monitored runs)\n",
              Median(s.gaps), s.gaps.size());
}

int Run() {
  ScratchFolder scratch;
  if (scratch.path().empty()) {
    std::fprintf(stderr, "no temporary folder\n");
    return 1;
  }
  const fs::space_info space = fs::space(scratch.path());
  if (space.available < kBigFileBytes + kSmallFiles * kSmallFileBytes * 2 + (256u << 20)) {
    std::fprintf(stderr, "not enough space in %s\n", scratch.path().c_str());
    return 1;
  }
  std::mt19937_64 random(20240601);
  const std::string bigFolder = scratch.path() + "/big";
  const std::string smallFolder = scratch.path() + "/small";
  fs::create_directory(bigFolder);
  fs::create_directory(smallFolder);
  const std::string bigFile = bigFolder + "/one-gibibyte.bin";
  if (!WriteRandomFile(bigFile, kBigFileBytes, random)) return 1;
  std::vector<std::string> smallFiles;
  for (int i = 0; i < kSmallFiles; ++i) {
    smallFiles.push_back(smallFolder + "/f" + std::to_string(i) + ".bin");
    if (!WriteRandomFile(smallFiles.back(), kSmallFileBytes, random)) return 1;
  }

  BringUpProgram();
  std::printf("SHA-256, median of %d runs each, files in %s\n\n", kRuns, scratch.path().c_str());

  // (a) one 1 GiB file. Peak memory is taken over the unmonitored job runs.
  Scenario big;
  AddSource(bigFolder);
  big.rows = tk::CountGadgetItems(kGadgetResults);
  const long residentBefore = StatusKilobytes("VmRSS:");
  const bool peakReset = ResetPeakMemory();
  for (int i = 0; i < kRuns; ++i) {
    JobRun run = RunJob(false);
    big.job.push_back(run.seconds);
    big.startJob.push_back(run.startJobSeconds);
    big.processed = run.processed;
    big.failed = run.failed;
  }
  const long peak = StatusKilobytes("VmHWM:");
  const long anonymous = StatusKilobytes("RssAnon:");
  const long fileBacked = StatusKilobytes("RssFile:");
  for (int i = 0; i < kRuns; ++i) big.gaps.push_back(RunJob(true).longestGapMs);
  for (int i = 0; i < kRuns; ++i) {
    Clock::time_point start = Clock::now();
    if (FileDigest(bigFile, kDigestSha2, 256).empty()) return 1;
    big.digest.push_back(Seconds(Clock::now() - start));
    big.tool.push_back(TimeCommand("sha256sum " + ShellQuoted(bigFile)));
  }
  ClearList();

  // (b) 10,000 files of 4 KiB.
  Scenario small;
  AddSource(smallFolder);
  small.rows = tk::CountGadgetItems(kGadgetResults);
  for (int i = 0; i < kRuns; ++i) {
    JobRun run = RunJob(false);
    small.job.push_back(run.seconds);
    small.startJob.push_back(run.startJobSeconds);
    small.processed = run.processed;
    small.failed = run.failed;
  }
  for (int i = 0; i < kRuns; ++i) small.gaps.push_back(RunJob(true).longestGapMs);
  for (int i = 0; i < kRuns; ++i) {
    Clock::time_point start = Clock::now();
    for (const std::string& file : smallFiles) {
      if (FileDigest(file, kDigestSha2, 256).empty()) return 1;
    }
    small.digest.push_back(Seconds(Clock::now() - start));
    small.tool.push_back(TimeCommand("cd " + ShellQuoted(smallFolder) + " && sha256sum -- *"));
  }

  Report("(a) one file of 1 GiB", big, double(kBigFileBytes) / (1 << 20), "MiB");
  std::printf(
      "  peak memory (VmHWM) during the jobs: %.1f MB%s, of which %.1f MB above the\n"
      "  %.1f MB the program held before the first job\n",
      peak / 1024.0, peakReset ? "" : " (whole process: peak reset unavailable)",
      (peak - residentBefore) / 1024.0, residentBefore / 1024.0);
  std::printf(
      "  resident after the jobs: %.1f MB private (RssAnon), %.1f MB mapped files\n"
      "  (RssFile: shared libraries, shared with other processes)\n\n",
      anonymous / 1024.0, fileBacked / 1024.0);
  Report("(b) 10,000 files of 4 KiB", small, kSmallFiles, "files");
  std::printf("\nworker-to-window calls, from a worker thread while the main thread waits:\n");
  ReportWorkerCalls(kWorkerCalls);
  ClearList();
  AddSource(bigFolder);
  ReportWorkerCalls(kWorkerCalls);
  ClearList();
  std::printf(
      "\ntargets: (a) job >= 95 %% of FileDigest and > 3x sha256sum; (b) >= 3300 files/s;\n"
      "         (c) longest gap < 50 ms; (d) peak memory during (a) < 40 MB\n");
  return 0;
}

}  // namespace
}  // namespace vandrel

int main(int argc, char** argv) {
  if (!vandrel::tk::InitialiseToolkit(&argc, &argv)) {
    std::fprintf(stderr, "job_bench needs an X display (run it under xvfb-run)\n");
    return 1;
  }
  const int status = vandrel::Run();
  std::fflush(stdout);
  vandrel::tk::EndOfProgram(status);
}

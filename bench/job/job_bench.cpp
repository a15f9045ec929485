// Whole checksum jobs in-process, with the real window and event loop, each
// against the library itself over the same files in the same run:
// (a) 8 files of 256 MiB, SHA-256 and SHA3-512, against one EVP read-and-
//     update loop over the 8 files one after the other, with the peak memory
//     of the job; (b) one 3 GiB file, SHA-256, against the same loop;
// (c) 10,000 files of 4 KiB, SHA-256, against sha256sum over them;
// (d) 200,000 files of 64 bytes: the longest main-loop gap when the job
//     starts and while it runs, and the resident memory per row at its peak;
// (e) Compare with copied checksum over 100 MB of copied text: the longest
//     main-loop gap from the command to its notice.
// Also the longest gap between two main-loop iterations during each job.
// Needs an X display; run by hand (bench/job/run-job-bench starts Xvfb when
// there is none).
//
// Every figure is taken on warm page-cache files: the files are written just
// before they are read, and the machine has the memory to keep them. Each
// figure is the best of kRuns, job and reference taken in turn, so that a
// burst of load from other processes hits both alike.
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

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

#include "app/digest_clipboard.h"
#include "app/event_loop.h"
#include "app/file_intake.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_model/results_model.h"
#include "app/startup.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "settings/text_table.h"
#include "system/threads.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/requesters.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace vandrel {
namespace {

constexpr std::uintmax_t kMiB = 1ull << 20;
constexpr int kManyFiles = 8;
constexpr std::uintmax_t kManyFileBytes = 256 * kMiB;
constexpr std::uintmax_t kHugeFileBytes = 3072 * kMiB;
constexpr int kSmallFiles = 10000;
constexpr std::size_t kSmallFileBytes = 4096;
constexpr int kRuns = 4;
constexpr int kManySmallFiles = 200000;
constexpr std::size_t kTinyFileBytes = 64;
constexpr std::size_t kClipboardBytes = 100u << 20;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

std::string LoadAverage() {
  std::ifstream load("/proc/loadavg");
  std::string one, five, fifteen;
  load >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
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

void BringUpProgram() {
  RegisterStandardDigests();
  LoadBuiltInFonts();
  DecodeBuiltInImages();
  ProgramState& program = Program();
  program.settings = Settings{};
  program.settings.Language = "en_GB";
  program.settings.digest = {Algorithm::Sha2, 256};
  program.programDirectory = VANDREL_PROGRAM_DIR "/";
  program.languages.discover(program.programDirectory);
  program.languages.load(program.programDirectory + "Vandrel.lang", "en_GB", Texts());
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

// Adds a folder's files and lets the window show them, as it has before
// anyone can press Calculate: drawing new rows is the intake's work, not
// the job's.
void AddAndShow(const std::string& folder) {
  AddSource(folder);
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
}

void ClearList() {
  Results().clear();
  tk::SetGadgetText(kGadgetSource, "");
}

// Picks an algorithm (and size) by clicking its options, as a user would.
void Choose(int algorithm, int size) {
  tk::testing::ClickGadget(algorithm);
  if (size) tk::testing::ClickGadget(size);
  for (int kind = tk::WaitWindowEventTimeout(20); kind != tk::kEventNone;
       kind = tk::WaitWindowEventTimeout(20)) {
    DispatchEvent(kind);
  }
}

// The library alone: each file read in 1 MiB requests and fed to EVP, one
// file after the other on one thread. Seconds, or -1 on a failure.
double LibraryLoop(const std::vector<std::string>& files, const EVP_MD* md) {
  std::vector<unsigned char> buffer(kMiB);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const Clock::time_point start = Clock::now();
  bool ok = context != nullptr;
  for (const std::string& file : files) {
    const int descriptor = open(file.c_str(), O_RDONLY);
    ok = ok && descriptor >= 0 && EVP_DigestInit_ex(context, md, nullptr);
    for (ssize_t got; ok && (got = read(descriptor, buffer.data(), buffer.size())) > 0;) {
      ok = EVP_DigestUpdate(context, buffer.data(), static_cast<std::size_t>(got));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(context, digest, &length);
    if (descriptor >= 0) close(descriptor);
  }
  EVP_MD_CTX_free(context);
  return ok ? Seconds(Clock::now() - start) : -1;
}

struct Scenario {
  explicit Scenario(const char* title) : name(title) {}
  const char* name;
  std::vector<double> job, reference, gaps, startJob;
  long peakKilobytes = 0;
  int processed = 0, failed = 0, rows = 0;
};

// Runs the job over the rows in the list kRuns times, each run after one of
// `reference` (which returns seconds), the first monitored for main-loop gaps.
bool Measure(Scenario& s, const std::function<double()>& reference, bool peak) {
  s.rows = tk::CountGadgetItems(kGadgetResults);
  for (int i = 0; i < kRuns; ++i) {
    const double seconds = reference();
    if (seconds < 0) return false;
    s.reference.push_back(seconds);
    const bool peakReset = peak && ResetPeakMemory();
    JobRun run = RunJob(i == 0);
    if (peakReset) s.peakKilobytes = std::max(s.peakKilobytes, StatusKilobytes("VmHWM:"));
    s.job.push_back(run.seconds);
    s.startJob.push_back(run.startJobSeconds);
    if (i == 0) s.gaps.push_back(run.longestGapMs);
    s.processed = run.processed;
    s.failed = run.failed;
  }
  return true;
}

void Report(const Scenario& s, const char* reference, double units, const char* unitName) {
  const double job = Best(s.job), ref = Best(s.reference);
  std::printf("%s: %d rows, %d processed, %d failed\n", s.name, s.rows, s.processed, s.failed);
  std::printf("  job         %8.3f s  %10.1f %s/s   (median %.3f s)\n", job, units / job, unitName,
              Median(s.job));
  std::printf("  %-11s %8.3f s  %10.1f %s/s   (median %.3f s)\n", reference, ref, units / ref,
              unitName, Median(s.reference));
  std::printf("  job rate = %.2fx %s\n", ref / job, reference);
  std::printf("  longest main-loop gap during the job: %.1f ms, of which StartJob %.1f ms\n",
              Best(s.gaps), Median(s.startJob) * 1000);
  if (s.peakKilobytes > 0) {
    std::printf("  peak resident memory (VmHWM) during the job: %.1f MB\n",
                s.peakKilobytes / 1024.0);
  }
}

std::vector<std::string> WriteFiles(const std::string& folder, const std::string& stem, int count,
                                    std::uintmax_t bytes, std::mt19937_64& random) {
  fs::create_directory(folder);
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    files.push_back(folder + "/" + stem + std::to_string(i) + ".bin");
    if (!WriteRandomFile(files.back(), bytes, random)) return {};
  }
  return files;
}

// (d) A job over many tiny files: how long StartJob holds the main thread,
// the longest gap while the job runs, and what each row costs in resident
// memory at the job's peak (rows, list view, engine and all, against the
// resident size before the rows were added).
bool ManySmallFiles(const std::string& folder, std::mt19937_64& random) {
  ClearList();
  if (WriteFiles(folder, "t", kManySmallFiles, kTinyFileBytes, random).empty()) return false;
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
  const long before = StatusKilobytes("VmRSS:");
  AddAndShow(folder);
  const int rows = static_cast<int>(Results().size());
  std::vector<double> starts, gaps;
  long peak = 0;
  for (int i = 0; i < 2; ++i) {  // the second start resets every row first
    const bool peakReset = ResetPeakMemory();
    const JobRun run = RunJob(true);
    if (peakReset) peak = std::max(peak, StatusKilobytes("VmHWM:"));
    starts.push_back(run.startJobSeconds * 1000);
    gaps.push_back(run.longestGapMs);
  }
  std::printf("(d) %d files of %zu bytes, SHA-256, two jobs:\n", rows, kTinyFileBytes);
  std::printf("  StartJob %.1f / %.1f ms, longest main-loop gap %.1f / %.1f ms\n", starts[0],
              starts[1], gaps[0], gaps[1]);
  if (peak > 0 && rows > 0) {
    std::printf("  resident memory at the job's peak: %.0f bytes a row (%.1f MB over %.1f MB)\n",
                (peak - before) * 1024.0 / rows, (peak - before) / 1024.0, before / 1024.0);
  }
  ClearList();
  fs::remove_all(folder);
  return true;
}

// (e) Compare with copied checksum over a large copied text holding one
// row's digest near its end: the longest main-loop gap from the command to
// its notice, on rows that hold computed digests.
bool CompareOverALargeClipboard(const std::string& folder) {
  ClearList();
  AddAndShow(folder);
  RunJob(false);
  if (Results().size() == 0) return false;
  std::string text;
  text.reserve(kClipboardBytes + 128);
  while (text.size() < kClipboardBytes) text += "lorem ipsum 0123456789abcdef deadbeef cafe ";
  text += Results().row(Results().size() / 2).digest + "\n";
  tk::SetClipboardText(text);
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
  GapMonitor monitor;
  monitor.start();
  const Clock::time_point start = Clock::now();
  CompareWithClipboard();
  const double commandMs = Seconds(Clock::now() - start) * 1000;
  double answeredMs = 0;
  for (bool done = false; !done;) {
    const int kind = tk::WaitWindowEvent();
    if (kind == kEventCompareFinished && tk::EventWindow() == kMainWindow) {
      answeredMs = Seconds(Clock::now() - start) * 1000;
      monitor.stop();
      tk::testing::AtNextWait(AnswerSummaryWithReturn, 2);
      done = true;
    }
    DispatchEvent(kind);
  }
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
  std::printf(
      "(e) Compare over %.0f MB of copied text, %zu rows: answer after %.0f ms,\n"
      "  the command itself %.1f ms, longest main-loop gap meanwhile %.1f ms\n",
      text.size() / 1e6, Results().size(), answeredMs, commandMs, monitor.longestMilliseconds());
  ClearList();
  return true;
}

int Run() {
  ScratchFolder scratch;
  if (scratch.path().empty()) {
    std::fprintf(stderr, "no temporary folder\n");
    return 1;
  }
  const fs::space_info space = fs::space(scratch.path());
  if (space.available < kHugeFileBytes + (512 * kMiB)) {
    std::fprintf(stderr, "not enough space in %s\n", scratch.path().c_str());
    return 1;
  }
  std::mt19937_64 random(20240601);
  BringUpProgram();
  std::printf("best of %d runs each, files in %s, %ld CPUs online, load %s\n\n", kRuns,
              scratch.path().c_str(), sysconf(_SC_NPROCESSORS_ONLN), LoadAverage().c_str());

  // (a) 8 files of 256 MiB, SHA-256 and SHA3-512.
  const std::string manyFolder = scratch.path() + "/many";
  const std::vector<std::string> many =
      WriteFiles(manyFolder, "m", kManyFiles, kManyFileBytes, random);
  if (many.empty()) return 1;
  AddAndShow(manyFolder);
  Scenario manySha2{"(a) 8 files of 256 MiB, SHA-256"};
  Choose(kGadgetSha2, kGadgetBits256);
  if (!Measure(
          manySha2, [&] { return LibraryLoop(many, EVP_sha256()); }, true))
    return 1;
  Scenario manySha3{"(a) 8 files of 256 MiB, SHA3-512"};
  Choose(kGadgetSha3, kGadgetBits512);
  if (!Measure(
          manySha3, [&] { return LibraryLoop(many, EVP_sha3_512()); }, true))
    return 1;
  ClearList();
  fs::remove_all(manyFolder);
  const double manyMiB = double(kManyFiles * kManyFileBytes) / kMiB;
  Report(manySha2, "EVP loop", manyMiB, "MiB");
  Report(manySha3, "EVP loop", manyMiB, "MiB");

  // (b) one file of 3 GiB, SHA-256.
  const std::string hugeFolder = scratch.path() + "/huge";
  const std::vector<std::string> huge = WriteFiles(hugeFolder, "h", 1, kHugeFileBytes, random);
  if (huge.empty()) return 1;
  AddAndShow(hugeFolder);
  Scenario hugeSha2{"(b) one file of 3 GiB, SHA-256"};
  Choose(kGadgetSha2, kGadgetBits256);
  if (!Measure(
          hugeSha2, [&] { return LibraryLoop(huge, EVP_sha256()); }, true))
    return 1;
  ClearList();
  fs::remove_all(hugeFolder);
  Report(hugeSha2, "EVP loop", double(kHugeFileBytes) / kMiB, "MiB");

  // (c) 10,000 files of 4 KiB, SHA-256.
  const std::string smallFolder = scratch.path() + "/small";
  if (WriteFiles(smallFolder, "f", kSmallFiles, kSmallFileBytes, random).empty()) return 1;
  AddAndShow(smallFolder);
  Scenario small{"(c) 10,000 files of 4 KiB, SHA-256"};
  if (!Measure(
          small,
          [&] { return TimeCommand("cd " + ShellQuoted(smallFolder) + " && sha256sum -- *"); },
          false)) {
    return 1;
  }
  Report(small, "sha256sum", kSmallFiles, "files");

  ClearList();
  if (!ManySmallFiles(scratch.path() + "/tiny", random)) return 1;
  if (!CompareOverALargeClipboard(smallFolder)) return 1;
  std::printf(
      "\nload at the end: %s\n"
      "targets: (a) job >= 1.8x the EVP loop for both, peak memory < 64 MB; (b) job >= 0.97x\n"
      "         the EVP loop; (c) job >= 2.0x sha256sum; every longest gap < 50 ms;\n"
      "         (e) every gap < 100 ms\n",
      LoadAverage().c_str());
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

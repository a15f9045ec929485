// Starts other programs: PATH resolution, parameter splitting, a detached
// start through an intermediate child, and kept handles watched by waiter
// threads.
//
// Design: the process list maps handles to shared records; a waiter thread
// holds its own reference, so releasing a handle while the child still runs
// is safe. The waiter first waits without reaping (WNOWAIT), then, under the
// record's mutex, reaps the child and marks it ended. Kill and the running
// test take the same mutex and skip a child marked ended, so neither can
// reach a process id that has been recycled.
#include "system/process.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "system/immortal.h"
#include "system/paths.h"
#include "system/program_records.h"

namespace vandrel::sys {
namespace {

using detail::FindProgramRecord;
using detail::ProgramRecord;

struct ProcessList {
  std::mutex mutex;
  std::map<ProgramHandle, std::shared_ptr<ProgramRecord>> records;
  // Handles start above 1 so that a detached start's result never names one.
  ProgramHandle lastHandle = 1;
};

// Never destroyed: a watcher thread may still ask about its program while
// static destructors run at program exit.
ProcessList& Programs() {
  static Immortal<ProcessList> holder;
  return holder.value;
}

// The waiter's stack is small; sanitizer run-times need far more.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kWaiterStackSize = 1024 * 1024;
#else
constexpr std::size_t kWaiterStackSize = 16000;
#endif

bool IsExecutableFile(const std::string& path, bool mustHaveContent) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
  if (mustHaveContent && status.st_size == 0) return false;
  return faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

// Everything the child needs, built before fork: between fork and exec the
// child only calls async-signal-safe functions and allocates nothing.
struct LaunchPlan {
  std::string path;
  std::string workingDirectory;
  std::vector<std::string> arguments;
  std::vector<char*> argv;
  sigset_t emptyMask{};

  LaunchPlan(std::string resolved, const std::string& name, const std::string& parameters,
             const std::string& directory)
      : path(std::move(resolved)), workingDirectory(directory) {
    arguments.push_back(name);
    for (std::string& argument : SplitParameters(parameters))
      arguments.push_back(std::move(argument));
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    sigemptyset(&emptyMask);
  }
  LaunchPlan(const LaunchPlan&) = delete;
  LaunchPlan& operator=(const LaunchPlan&) = delete;
};

// Runs in a freshly forked child; never returns.
[[noreturn]] void ExecuteInChild(const LaunchPlan& plan) {
  // Threads made by CreateThread block the pause signal; a started program
  // must not inherit that mask.
  sigprocmask(SIG_SETMASK, &plan.emptyMask, nullptr);
  if (!plan.workingDirectory.empty() && chdir(plan.workingDirectory.c_str()) != 0) _exit(1);
  execv(plan.path.c_str(), plan.argv.data());
  _exit(1);
}

pid_t WaitForChild(pid_t pid, int* status) {
  pid_t result;
  do {
    result = waitpid(pid, status, 0);
  } while (result < 0 && errno == EINTR);
  return result;
}

// Runs on the waiter thread of one kept program.
void* WaitForProgram(void* argument) {
  std::unique_ptr<std::shared_ptr<ProgramRecord>> owner(
      static_cast<std::shared_ptr<ProgramRecord>*>(argument));
  ProgramRecord& record = **owner;

  siginfo_t info{};
  int waited;
  do {
    waited = waitid(P_PID, static_cast<id_t>(record.pid), &info, WEXITED | WNOWAIT);
  } while (waited < 0 && errno == EINTR);

  std::lock_guard lock(record.mutex);
  int status = 0;
  if (waited == 0 && WaitForChild(record.pid, &status) == record.pid) {
    record.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  }
  // Otherwise someone else reaped the child (SIGCHLD ignored, say): it has
  // ended, but its exit code is unknown and stays -1.
  record.ended = true;
  return nullptr;
}

bool StartWaiter(std::shared_ptr<ProgramRecord> record) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  const std::size_t stackSize = std::max<std::size_t>(kWaiterStackSize, PTHREAD_STACK_MIN);
  bool ok = pthread_attr_setstacksize(&attributes, stackSize) == 0 &&
            pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0;

  auto owner = std::make_unique<std::shared_ptr<ProgramRecord>>(std::move(record));
  if (ok) {
    // The waiter takes no signals, so the process's own go to other threads.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    pthread_t thread;
    ok = pthread_create(&thread, &attributes, WaitForProgram, owner.get()) == 0;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (ok) owner.release();  // the waiter owns it now
  }
  pthread_attr_destroy(&attributes);
  return ok;
}

ProgramHandle RunKeepingHandle(const LaunchPlan& plan, int flags) {
  const pid_t pid = fork();
  if (pid < 0) return 0;
  if (pid == 0) ExecuteInChild(plan);

  auto record = std::make_shared<ProgramRecord>();
  record->pid = pid;
  record->flags = flags;
  if (!StartWaiter(record)) {
    // Without a waiter the child would stay a zombie; take it back.
    kill(pid, SIGKILL);
    int status = 0;
    WaitForChild(pid, &status);
    return 0;
  }

  ProcessList& list = Programs();
  std::lock_guard lock(list.mutex);
  const ProgramHandle handle = ++list.lastHandle;
  list.records[handle] = std::move(record);
  return handle;
}

class Pipe {
 public:
  Pipe() { ok_ = pipe2(ends_, O_CLOEXEC) == 0; }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  bool ok() const { return ok_; }
  int readEnd() const { return ends_[0]; }
  int writeEnd() const { return ends_[1]; }
  void closeRead() { CloseEnd(ends_[0]); }
  void closeWrite() { CloseEnd(ends_[1]); }

 private:
  static void CloseEnd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int ends_[2] = {-1, -1};
  bool ok_ = false;
};

ProgramHandle RunDetached(const LaunchPlan& plan) {
  Pipe channel;
  if (!channel.ok()) return 0;
  const pid_t middle = fork();
  if (middle < 0) return 0;
  if (middle == 0) {
    const pid_t program = fork();
    if (program == 0) ExecuteInChild(plan);
    if (program > 0) {
      ssize_t written;
      do {
        written = write(channel.writeEnd(), &program, sizeof program);
      } while (written < 0 && errno == EINTR);
    }
    _exit(program > 0 ? 0 : 1);
  }

  channel.closeWrite();
  pid_t program = -1;
  ssize_t got;
  do {
    got = read(channel.readEnd(), &program, sizeof program);
  } while (got < 0 && errno == EINTR);
  int status = 0;
  WaitForChild(middle, &status);
  return got == static_cast<ssize_t>(sizeof program) && program > 0 ? 1 : 0;
}

}  // namespace

std::shared_ptr<ProgramRecord> detail::FindProgramRecord(ProgramHandle handle) {
  ProcessList& list = Programs();
  std::lock_guard lock(list.mutex);
  auto it = list.records.find(handle);
  return it == list.records.end() ? nullptr : it->second;
}

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos && IsExecutableFile(name, false)) return name;
  if (name.front() == '/' || name.starts_with("./")) return {};

  const std::string path = EnvironmentVariable("PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    // An empty entry would mean the working directory, which plays no part.
    if (end > start) {
      const std::string candidate = path.substr(start, end - start) + "/" + name;
      if (IsExecutableFile(candidate, true)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

std::vector<std::string> SplitParameters(const std::string& parameters) {
  std::vector<std::string> arguments;
  const auto isSeparator = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  std::size_t i = 0;
  while (i < parameters.size()) {
    if (isSeparator(parameters[i])) {
      ++i;
      continue;
    }
    if (parameters[i] == '"') {
      const std::size_t close = parameters.find('"', i + 1);
      const std::size_t end = close == std::string::npos ? parameters.size() : close;
      arguments.push_back(parameters.substr(i + 1, end - i - 1));
      i = close == std::string::npos ? end : close + 1;
      continue;
    }
    std::size_t end = i;
    while (end < parameters.size() && !isSeparator(parameters[end])) ++end;
    arguments.push_back(parameters.substr(i, end - i));
    i = end;
  }
  return arguments;
}

ProgramHandle RunProgram(const std::string& name, const std::string& parameters,
                         const std::string& workingDirectory, int flags) {
  std::string resolved = FindProgram(name);
  if (resolved.empty()) return 0;
  const LaunchPlan plan(std::move(resolved), name, parameters, workingDirectory);
  if (flags & kRunKeepHandle) return RunKeepingHandle(plan, flags);
  return RunDetached(plan);
}

bool IsProgram(ProgramHandle program) { return FindProgramRecord(program) != nullptr; }

bool ProgramRunning(ProgramHandle program) {
  const auto record = FindProgramRecord(program);
  if (!record) return false;
  std::lock_guard lock(record->mutex);
  return !record->ended && kill(record->pid, 0) == 0;
}

bool ProgramFailed(ProgramHandle program) {
  const auto record = FindProgramRecord(program);
  if (!record) return false;
  std::lock_guard lock(record->mutex);
  return record->ended && record->exitCode > 0;
}

void KillProgram(ProgramHandle program) {
  const auto record = FindProgramRecord(program);
  if (!record) return;
  std::lock_guard lock(record->mutex);
  if (!record->ended) kill(record->pid, SIGKILL);
}

void ReleaseProgram(ProgramHandle program) {
  ProcessList& list = Programs();
  std::lock_guard lock(list.mutex);
  list.records.erase(program);
}

}  // namespace vandrel::sys

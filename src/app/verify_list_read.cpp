// Reading a checksum list file for Verify: the file checks, the bounded
// streaming read and the plan the lines make.
#include "app/verify_list_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "checksum_list/checksum_list.h"
#include "job_engine/job_engine.h"
#include "system/debug_log.h"
#include "system/file_descriptor.h"
#include "system/paths.h"

namespace vandrel {
namespace {

namespace cl = checksum_list;

constexpr std::size_t kReadBytes = 64 * 1024;

// Takes the reader's lines one at a time, so the list text is never held whole.
class Planner {
 public:
  explicit Planner(const std::string& listPath)
      : listPath_(listPath),
        folder_(engine::ListFolder(listPath)),
        reader_(Options(listPath), Sink()) {}

  void feed(std::string_view bytes) { reader_.feed(bytes); }

  VerifyPlan finish() {
    reader_.finish();
    return std::move(plan_);
  }

 private:
  static cl::ReadOptions Options(const std::string& listPath) {
    const cl::ListNameHint hint = cl::KindFromListName(listPath);
    cl::ReadOptions options;
    options.listKind = hint.kind;
    options.preferSfv = hint.sfv;
    return options;
  }

  cl::ListReader::Sink Sink() {
    return [this](const cl::ListLine& line) { take(line); };
  }

  void take(const cl::ListLine& line) {
    if (line.rejection != cl::Rejection::None || (kindChosen_ && line.kind != plan_.kind)) {
      DebugLog("verify", listPath_ + ": line " + std::to_string(line.lineNumber) + " not used");
      ++plan_.rejectedLines;
      return;
    }
    plan_.kind = line.kind;
    kindChosen_ = true;
    plan_.entries.push_back(
        {engine::ResolveListedName(folder_, line.name, false), line.expectedHex});
  }

  const std::string& listPath_;
  std::string folder_;
  VerifyPlan plan_;
  bool kindChosen_ = false;
  cl::ListReader reader_;
};

ListFileRead Problem(ListFileProblem problem, int error = 0) {
  ListFileRead read;
  read.problem = problem;
  read.error = error;
  return read;
}

}  // namespace

ListFileRead ReadChecksumListFile(const std::string& listPath) {
  // Without O_NONBLOCK, opening a pipe waits for a writer, for ever if none
  // comes; the type is judged on the open descriptor, so it cannot change
  // between the check and the read.
  sys::FileDescriptor file(::open(listPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file.valid()) return Problem(ListFileProblem::Unreadable, errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return Problem(ListFileProblem::Unreadable, errno);
  if (!S_ISREG(status.st_mode)) return Problem(ListFileProblem::NotRegularFile);
  if (status.st_size > kMaxListBytes) return Problem(ListFileProblem::TooLarge);

  Planner planner(listPath);
  std::vector<char> buffer(kReadBytes);
  std::int64_t total = 0;
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Problem(ListFileProblem::Unreadable, errno);
    }
    // A file that grows while it is read is held to the same bound.
    total += got;
    if (total > kMaxListBytes) return Problem(ListFileProblem::TooLarge);
    planner.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
  ListFileRead read;
  read.plan = planner.finish();
  return read;
}

}  // namespace vandrel

// Verify checksum list: reading the list off the main thread and queuing
// its files.
#include "app/verify_list.h"

#include <cstring>
#include <thread>

#include "app/file_intake.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/program.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

// The reading thread's "done", posted to a window number no window has, so
// that only the wait below takes it.
constexpr int kListReadEvent = tk::kEventCustom + 0x117;
constexpr int kListReadTarget = -0x117;

// Even a regular file can take long to read (a slow disk, a network folder,
// a list near the size bound): the main thread keeps drawing the window,
// disabled, while another thread reads, as it does for a dialog.
ListFileRead ReadWithWindowLive(const std::string& listPath) {
  ListFileRead read;
  tk::DisableWindow(kMainWindow, true);
  // Runs on the reading thread.
  std::thread reader([&read, &listPath] {
    read = ReadChecksumListFile(listPath);
    tk::PostEvent(kListReadEvent, kListReadTarget);
  });
  while (tk::WaitWindowEventOf(kListReadTarget) != kListReadEvent) {
  }
  reader.join();
  tk::DisableWindow(kMainWindow, false);
  return read;
}

// The notice for a list that gave no entry: why, and that nothing was added.
std::string ProblemNotice(const std::string& listPath, const ListFileRead& read) {
  switch (read.problem) {
    case ListFileProblem::NotRegularFile:
      return T("tReqLISTNOTFILE");
    case ListFileProblem::TooLarge:
      return T("tReqLISTTOOLARGE");
    case ListFileProblem::Unreadable:
      return T("tReqLISTUNREADABLE") + "\\n" + tk::DisplayText(listPath) + "\\n" +
             std::strerror(read.error);
    case ListFileProblem::None:
      break;
  }
  return T("tReqBADLIST");
}

void SelectOptionsFor(DigestKind kind) {
  const auto family = static_cast<std::size_t>(kind.algorithm);
  tk::SetGadgetState(kAlgorithmOptionGadgets[family], 1);
  Program().settings.Fingerprint = static_cast<std::int32_t>(family);
  if (HasSizes(kind.algorithm)) {
    for (std::size_t i = 0; i < kDigestSizes.size(); ++i) {
      if (kDigestSizes[i] == kind.bits) tk::SetGadgetState(kSizeOptionGadgets[i], 1);
    }
  }
  ApplySizeOptionRule();
}

}  // namespace

void VerifyChecksumList() {
  const std::string listPath = tk::OpenFileRequester(
      T("tReqVERIFYFILE"), FolderPart(tk::GetGadgetText(kGadgetSource)), T("tReqVERIFYPATTERN"), 0);
  if (listPath.empty()) return;
  const ListFileRead read = ReadWithWindowLive(listPath);
  const VerifyPlan& plan = read.plan;
  if (plan.entries.empty()) {
    ShowMessageDialog(DialogConfigs().notice, ProblemNotice(listPath, read));
    return;
  }
  tk::SetGadgetText(kGadgetSource, FolderPart(listPath));
  const std::string kindName(NamesOf(plan.kind).name);
  for (const VerifyEntry& entry : plan.entries) {
    tk::AddGadgetRow(kGadgetResults, -1, {entry.path, "", entry.expectedHex, kindName},
                     tk::ImageID(kImageRowQueued));
  }
  tk::DisableGadget(kGadgetDeleteAll, false);
  tk::DisableGadget(kGadgetCalculate, false);
  SelectOptionsFor(plan.kind);
  StartJob();
  Job().ListLinesRejected = static_cast<std::int32_t>(plan.rejectedLines);
}

}  // namespace vandrel

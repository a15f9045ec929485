// Verify checksum list: reading the list and checking its signature off
// the main thread, and queuing its files.
#include "app/verify_list.h"

#include <cstring>
#include <iterator>
#include <optional>
#include <thread>
#include <utility>

#include "app/file_intake.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/list_trust.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_model/results_model.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

// The reading thread's "done", posted to a window number no window has, so
// that only the wait below takes it.
constexpr int kListReadEvent = tk::kEventCustom + 0x117;
constexpr int kListReadTarget = -0x117;

// What the lists of one job gave: the plan over all of them, each list's
// signature, and the first list that gave no entry, with why, for the
// notice when none did.
struct ListsRead {
  VerifyPlan plan;
  std::vector<ListTrust> trust;
  std::string failedPath;
  ListFileRead failed;
};

// One job computes one algorithm: a list whose lines are of another than the
// first usable one can only count as unusable lines.
void AddToPlan(VerifyPlan& plan, VerifyPlan&& list) {
  plan.rejectedLines += list.rejectedLines;
  if (list.entries.empty()) return;
  if (plan.entries.empty()) plan.kind = list.kind;
  if (list.kind != plan.kind) {
    plan.rejectedLines += list.entries.size();
    return;
  }
  plan.entries.insert(plan.entries.end(), std::make_move_iterator(list.entries.begin()),
                      std::make_move_iterator(list.entries.end()));
}

// Even a regular file can take long to read (a slow disk, a network folder,
// a list near the size bound): the main thread keeps drawing the window,
// disabled, while another thread reads, as it does for a dialog; and gpg
// checks the list's signature on that thread too.
ListsRead ReadWithWindowLive(const std::vector<std::string>& listPaths,
                             const signature::KeySource& keys) {
  ListsRead lists;
  tk::DisableWindow(kMainWindow, true);
  // Runs on the reading thread.
  std::thread reader([&lists, &listPaths, &keys, check = Job().CheckSignature] {
    for (const std::string& listPath : listPaths) {
      ListFileRead read = ReadChecksumListFile(listPath, keys, check);
      lists.trust.push_back({listPath, keys, std::move(read.signature)});
      if (read.plan.entries.empty() && lists.failedPath.empty()) {
        lists.failedPath = listPath;
        lists.failed = read;
      }
      AddToPlan(lists.plan, std::move(read.plan));
    }
    tk::PostEvent(kListReadEvent, kListReadTarget);
  });
  while (tk::WaitWindowEventOf(kListReadTarget) != kListReadEvent) {
  }
  reader.join();
  tk::DisableWindow(kMainWindow, false);
  return lists;
}

// The notice for a list that gave no entry: why, and that nothing was added.
std::string ProblemNotice(const std::string& listPath, const ListFileRead& read) {
  switch (read.problem) {
    case ListFileProblem::NotRegularFile:
      return T("tReqLISTNOTFILE");
    case ListFileProblem::TooLarge:
      return T("tReqLISTTOOLARGE");
    case ListFileProblem::Unreadable:
      return MessageLines(
          {T("tReqLISTUNREADABLE"), tk::DisplayText(listPath), std::strerror(read.error)});
    case ListFileProblem::None:
      break;
  }
  return T("tReqBADLIST");
}

// The question for the signer's fingerprint: the cancel question's look,
// its buttons Cancel and OK, and room for three lines above the entry.
constexpr int kFingerprintQuestionHeight = 170;

MessageDialogConfig FingerprintQuestion() {
  MessageDialogConfig config = DialogConfigs().cancelQuestion;
  config.buttons = T("tGenCANCEL") + "|" + T("tGenOK");
  config.height = kFingerprintQuestionHeight;
  return config;
}

void SelectOptionsFor(DigestKind kind) {
  Program().settings.digest.algorithm = kind.algorithm;
  if (HasSizes(kind.algorithm)) Program().settings.digest.bits = kind.bits;
  ShowDigestOptions(kind);
}

}  // namespace

void VerifyChecksumList() {
  const std::string listPath = tk::OpenFileRequester(
      T("tReqVERIFYFILE"), FolderPart(tk::GetGadgetText(kGadgetSource)), T("tReqVERIFYPATTERN"), 0);
  if (listPath.empty()) return;
  VerifyLists({listPath});
}

void VerifyChecksumListWithKey() {
  const std::string listPath = tk::OpenFileRequester(
      T("tReqVERIFYFILE"), FolderPart(tk::GetGadgetText(kGadgetSource)), T("tReqVERIFYPATTERN"), 0);
  if (listPath.empty()) return;
  signature::KeySource keys;
  keys.keyFile =
      tk::OpenFileRequester(T("tReqKEYFILE"), FolderPart(listPath), T("tReqKEYPATTERN"), 0);
  if (keys.keyFile.empty()) return;
  std::string typed;
  for (;;) {
    if (ShowInputDialog(FingerprintQuestion(), T("tReqFINGERPRINT"), &typed) != 1) return;
    if (typed.find_first_not_of(" \t") == std::string::npos) break;
    if (std::optional<std::string> pinned = signature::NormaliseFingerprint(typed)) {
      keys.expectedFingerprint = *pinned;
      break;
    }
    ShowMessageDialog(DialogConfigs().notice, T("tReqBADFINGERPRINT"));
  }
  VerifyLists({listPath}, keys, true);
}

void VerifyLists(const std::vector<std::string>& listPaths, const signature::KeySource& keys,
                 bool keysAsked) {
  ListsRead lists = ReadWithWindowLive(listPaths, keys);
  const VerifyPlan& plan = lists.plan;
  if (plan.entries.empty()) {
    ShowMessageDialog(DialogConfigs().notice, ProblemNotice(lists.failedPath, lists.failed));
    return;
  }
  // Who vouches for the rows is on screen before the first is digested.
  ShowListTrust(std::move(lists.trust), keysAsked);
  tk::SetGadgetText(kGadgetSource, FolderPart(listPaths.back()));
  for (const VerifyEntry& entry : plan.entries) {
    Results().appendListed(entry.path, entry.expectedHex, plan.kind);
  }
  tk::DisableGadget(kGadgetDeleteAll, false);
  tk::DisableGadget(kGadgetCalculate, false);
  SelectOptionsFor(plan.kind);
  StartJob();
  Job().ListLinesRejected = static_cast<std::int32_t>(plan.rejectedLines);
  Job().ListTrustInSummary = !ListTrustSummary().empty();
}

}  // namespace vandrel

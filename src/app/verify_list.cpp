// Verify checksum list: reading the list and queuing its files.
#include "app/verify_list.h"

#include <fstream>

#include "app/file_intake.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "checksum_list/checksum_list.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "job_engine/job_engine.h"
#include "settings/program.h"
#include "system/debug_log.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/resources.h"

namespace vandrel {
namespace {

// A file that cannot be read gives the empty text, which has no usable line.
std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(file.gcount()));
  }
  return text;
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

VerifyPlan PlanVerify(const std::string& listPath, const std::string& listText) {
  namespace cl = checksum_list;
  const cl::ListNameHint hint = cl::KindFromListName(listPath);
  cl::ReadOptions options;
  options.listKind = hint.kind;
  options.preferSfv = hint.sfv;
  VerifyPlan plan;
  bool kindChosen = false;
  const std::string folder = engine::ListFolder(listPath);
  for (const cl::ListLine& line : cl::ParseList(listText, options)) {
    if (line.rejection != cl::Rejection::None || (kindChosen && line.kind != plan.kind)) {
      DebugLog("verify", listPath + ": line " + std::to_string(line.lineNumber) + " not used");
      ++plan.rejectedLines;
      continue;
    }
    plan.kind = line.kind;
    kindChosen = true;
    plan.entries.push_back({engine::ResolveListedName(folder, line.name), line.expectedHex});
  }
  return plan;
}

void VerifyChecksumList() {
  const std::string listPath = tk::OpenFileRequester(
      T("tReqVERIFYFILE"), FolderPart(tk::GetGadgetText(kGadgetSource)), T("tReqVERIFYPATTERN"), 0);
  if (listPath.empty()) return;
  const VerifyPlan plan = PlanVerify(listPath, ReadWholeFile(listPath));
  if (plan.entries.empty()) {
    ShowMessageDialog(DialogConfigs().notice, T("tReqBADLIST"));
    return;
  }
  tk::SetGadgetText(kGadgetSource, FolderPart(listPath));
  for (const VerifyEntry& entry : plan.entries) {
    tk::AddGadgetRow(kGadgetResults, -1, {entry.path, "", entry.expectedHex},
                     tk::ImageID(kImageRowQueued));
  }
  tk::DisableGadget(kGadgetDeleteAll, false);
  tk::DisableGadget(kGadgetCalculate, false);
  SelectOptionsFor(plan.kind);
  StartJob();
  Job().ListLinesRejected = static_cast<std::int32_t>(plan.rejectedLines);
}

}  // namespace vandrel

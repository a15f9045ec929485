// Export and pruning of the results list.
#include "app/results_list.h"

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "app/checksum_list_save.h"
#include "app/failure_reason.h"
#include "app/file_intake.h"
#include "app/job_state.h"
#include "app/list_trust.h"
#include "app/results_model/results_model.h"
#include "checksum_list/checksum_list.h"
#include "core/ids.h"
#include "core/utf8.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "system/debug_log.h"
#include "system/files.h"
#include "system/whole_file.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kClipboardNoticeHeight = 120;
// With the count of escaped names the notice holds two sentences.
constexpr int kEscapedClipboardNoticeHeight = 180;
// A refused link's or a kept copy's notice adds a sentence and a path.
constexpr int kLongSaveFailureHeight = 240;
// The question about a save's extension holds two sentences and a path.
constexpr int kFittingNameQuestionHeight = 170;

void DisableListButtonsAndCalculate() {
  for (int gadget :
       {kGadgetClipboard, kGadgetSave, kGadgetDelete, kGadgetDeleteAll, kGadgetCalculate}) {
    tk::DisableGadget(gadget, true);
  }
}

void ClearSourceWhenListEmpty() {
  if (Results().size() > 0) return;
  tk::SetGadgetText(kGadgetSource, "");
  ForgetListTrust();
  DisableListButtonsAndCalculate();
}

// A refused link is named with the reason it was refused; a failed
// overwrite in place says where the old content is kept.
void ShowSaveFailure(const std::string& path, int error, const sys::SaveDetails& details) {
  DebugLog("save", path + ": " + std::strerror(error));
  const std::string message =
      details.refusedLink.empty()
          ? MessageLines({T("tReqSAVEFAILED"), tk::DisplayText(path), std::strerror(error),
                          details.keptCopy.empty() ? "" : T("tReqSAVECOPYKEPT"),
                          tk::DisplayText(details.keptCopy)})
          : MessageLines(
                {T("tReqSAVEFAILED"), tk::DisplayText(details.refusedLink), T("tReqSAVELINK")});
  MessageDialogConfig config = WithIcon(DialogConfigs().notice, kImageDialogWarning);
  if (!details.refusedLink.empty() || !details.keptCopy.empty()) {
    config = WithHeight(config, kLongSaveFailureHeight);
  }
  ShowMessageDialog(config, message);
}

// The requester asked about the name the user picked, if at all; the name
// the ".txt" rule made from it is one the user never saw.
bool MayReplace(const std::string& chosen, const std::string& path) {
  if (path == chosen || sys::FileSize(path) == sys::kFileMissing) return true;
  return ShowMessageDialog(DialogConfigs().warningQuestion,
                           MessageLines({T("tReqSAVEREPLACE"), tk::DisplayText(path)})) == 1;
}

}  // namespace

std::string ExportText(ExportForm form) {
  std::string text;
  const checksum_list::WriteForm lineForm = form == ExportForm::Clipboard
                                                ? checksum_list::WriteForm::ExportUtf8
                                                : checksum_list::WriteForm::Export;
  for (const ResultRow& row : Results().rows()) {
    text += *checksum_list::FormatLine(lineForm, DigestKind{}, row.path, row.digest);
  }
  return text;
}

std::string WithDefaultExtension(const std::string& path) {
  for (std::size_t i = path.size(); i-- > 0;) {
    char c = path[i];
    if (c == '/' || c == ' ') break;
    if (c == '.') {
      bool hasExtension = i > 0 && path[i - 1] != '/' && path[i - 1] != '\\';
      return hasExtension ? path : path + ".txt";
    }
  }
  return path + ".txt";
}

namespace {

// A name like "sums.sha256" after a SHA-256 job asks for a checksum list;
// any other name gets the export.
std::string SavedText(const std::string& path) {
  if (const std::optional<DigestKind> kind = Results().computedKind()) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ResultRow& row : Results().rows()) rows.emplace_back(row.path, row.digest);
    if (std::optional<std::string> list = ChecksumListText(path, *kind, rows)) return *list;
  }
  return ExportText();
}

}  // namespace

// The text goes to the clipboard straight from memory: a temporary file of
// a fixed name in a shared folder could be a link planted by another user.
// A name that is not UTF-8 goes in escaped form, and the notice says how
// many did, since they read differently from the list.
void CopyToClipboard() {
  tk::SetClipboardText(ExportText(ExportForm::Clipboard));
  int escaped = 0;
  for (const ResultRow& row : Results().rows()) escaped += !IsUtf8(row.path);
  ShowMessageDialog(
      WithHeight(DialogConfigs().notice,
                 escaped == 0 ? kClipboardNoticeHeight : kEscapedClipboardNoticeHeight),
      MessageLines(
          {T("tReqCLIPBOARD"),
           escaped == 0 ? "" : Fill(T("tReqCLIPBOARDESCAPED"), "count", std::to_string(escaped))}));
}

void SaveResults() {
  const std::string chosen = tk::SaveFileRequester(
      T("tReqSAVEDATA"), FolderPart(tk::GetGadgetText(kGadgetSource)) + "Checksum",
      T("tReqSAVEPATTERN"), 0);
  if (chosen.empty()) return;
  std::string path = WithDefaultExtension(chosen);
  // "out.sha256" holding MD5 digests, or none, is a list no checker reads:
  // offer the name that fits them, and write nothing unless it is taken.
  if (const std::optional<std::string> fitting =
          NameFittingDigests(path, Results().computedKind())) {
    if (ShowMessageDialog(WithHeight(DialogConfigs().warningQuestion, kFittingNameQuestionHeight),
                          MessageLines({T("tReqSAVEOTHERKIND"), tk::DisplayText(*fitting)})) != 1) {
      return;
    }
    path = *fitting;
  }
  if (!MayReplace(chosen, path)) return;
  tk::DisableWindow(kMainWindow, true);
  sys::SaveDetails details;
  const int error = sys::SaveWholeFile(path, SavedText(path), &details);
  tk::DisableWindow(kMainWindow, false);
  if (error != 0) ShowSaveFailure(path, error, details);
}

void DeleteSelected() {
  if (tk::GetGadgetState(kGadgetResults) < 0) return;
  if (ShowMessageDialog(DialogConfigs().warningQuestion, T("tReqDELETE")) != 1) return;
  const std::vector<int> selected = tk::SelectedGadgetItems(kGadgetResults);
  Results().remove(std::vector<std::size_t>(selected.begin(), selected.end()));
  tk::DisableGadget(kGadgetDelete, true);
  ClearSourceWhenListEmpty();
}

void DeleteAll() {
  if (ShowMessageDialog(DialogConfigs().warningQuestion, T("tReqDELETEALL")) != 1) return;
  Results().clear();
  ClearSourceWhenListEmpty();
}

void OnListEvent() {
  if (Job().JobRunning || Results().size() == 0) return;
  for (int gadget : {kGadgetClipboard, kGadgetSave, kGadgetDelete, kGadgetDeleteAll}) {
    tk::DisableGadget(gadget, false);
  }
}

}  // namespace vandrel

// Export and pruning of the results list.
#include "app/results_list.h"

#include <fstream>

#include "core/ids.h"
#include "settings/program.h"
#include "dialogs/message_dialog.h"
#include "app/file_intake.h"
#include "app/job_state.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kClipboardNoticeHeight = 120;

void DisableListButtonsAndCalculate() {
  for (int gadget : {kGadgetClipboard, kGadgetSave, kGadgetDelete, kGadgetDeleteAll,
                     kGadgetCalculate}) {
    tk::DisableGadget(gadget, true);
  }
}

void ClearSourceWhenListEmpty() {
  if (tk::CountGadgetItems(kGadgetResults) > 0) return;
  tk::SetGadgetText(kGadgetSource, "");
  DisableListButtonsAndCalculate();
}

}  // namespace

std::string ExportText() {
  std::string text;
  const int rows = tk::CountGadgetItems(kGadgetResults);
  for (int row = 0; row < rows; ++row) {
    text += tk::GetGadgetItemText(kGadgetResults, row, 0);
    text += ',';
    text += tk::GetGadgetItemText(kGadgetResults, row, 1);
    text += '\n';
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

// The text goes to the clipboard straight from memory: a temporary file of
// a fixed name in a shared folder could be a link planted by another user.
void CopyToClipboard() {
  tk::SetClipboardText(ExportText());
  MessageDialogConfig& notice = DialogConfigs().notice;
  const int height = notice.height;
  notice.height = kClipboardNoticeHeight;
  ShowMessageDialog(notice, T("tReqCLIPBOARD"));
  notice.height = height;
}

void SaveResults() {
  std::string path = tk::SaveFileRequester(
      T("tReqSAVEDATA"), FolderPart(tk::GetGadgetText(kGadgetSource)) + "Checksum",
      T("tReqSAVEPATTERN"), 0);
  if (path.empty()) return;
  tk::DisableWindow(kMainWindow, true);
  // A file that cannot be created is left alone without a message.
  std::ofstream file(WithDefaultExtension(path), std::ios::binary | std::ios::trunc);
  if (file) file << ExportText();
  file.close();
  tk::DisableWindow(kMainWindow, false);
}

void DeleteSelected() {
  if (tk::GetGadgetState(kGadgetResults) < 0) return;
  if (ShowMessageDialog(DialogConfigs().warningQuestion, T("tReqDELETE")) != 1) return;
  for (int row = tk::GetGadgetState(kGadgetResults); row >= 0;
       row = tk::GetGadgetState(kGadgetResults)) {
    tk::RemoveGadgetItem(kGadgetResults, row);
  }
  tk::DisableGadget(kGadgetDelete, true);
  ClearSourceWhenListEmpty();
}

void DeleteAll() {
  if (ShowMessageDialog(DialogConfigs().warningQuestion, T("tReqDELETEALL")) != 1) return;
  tk::ClearGadgetItems(kGadgetResults);
  tk::SetGadgetText(kGadgetSource, "");
  DisableListButtonsAndCalculate();
}

void OnListEvent() {
  if (Job().JobRunning || tk::CountGadgetItems(kGadgetResults) == 0) return;
  for (int gadget : {kGadgetClipboard, kGadgetSave, kGadgetDelete, kGadgetDeleteAll}) {
    tk::DisableGadget(gadget, false);
  }
}

}  // namespace vandrel

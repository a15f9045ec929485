// The source field, the file requester and folder listings feed the list.
#include "app/file_intake.h"

#include "app/results_model/results_model.h"
#include "core/ids.h"
#include "settings/text_table.h"
#include "system/files.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

void AppendQueuedRow(const std::string& path) { Results().append(path); }

void EnableAfterAdding() {
  tk::DisableGadget(kGadgetDeleteAll, false);
  tk::DisableGadget(kGadgetCalculate, false);
}

}  // namespace

std::string FolderPart(const std::string& path) {
  std::size_t start = !path.empty() && path.front() == '"' ? 1 : 0;
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash < start) return "";
  return path.substr(start, slash + 1 - start);
}

std::string WithTrailingSlash(const std::string& path) {
  return path.empty() || path.back() == '/' ? path : path + "/";
}

void AddChosenFiles() {
  std::string first =
      tk::OpenFileRequester(T("tReqOPENFILE"), FolderPart(tk::GetGadgetText(kGadgetSource)),
                            T("tReqOPENPATTERN"), 0, tk::kRequesterMultiple);
  if (first.empty()) return;
  tk::SetGadgetText(kGadgetSource, FolderPart(first));
  for (std::string path = first; !path.empty(); path = tk::NextSelectedFileName()) {
    AppendQueuedRow(path);
  }
  EnableAfterAdding();
}

void AddSource(const std::string& path) {
  std::int64_t size = sys::FileSize(path);
  if (size == sys::kFileIsDirectory) {
    int listing = sys::ExamineDirectory(tk::kAutomatic, path, "*.*");
    if (!listing) return;
    const std::string folder = WithTrailingSlash(path);
    while (sys::NextDirectoryEntry(listing)) {
      if (sys::DirectoryEntryType(listing) == sys::kEntryDirectory) continue;
      if (sys::DirectoryEntryIsSpecial(listing)) continue;
      AppendQueuedRow(folder + sys::DirectoryEntryName(listing));
    }
    sys::FinishDirectory(listing);
    if (Results().size() > 0) {
      tk::SetGadgetText(kGadgetSource, folder);
      EnableAfterAdding();
    }
  } else if (size >= 0) {
    tk::SetGadgetText(kGadgetSource, FolderPart(path));
    AppendQueuedRow(path);
    EnableAfterAdding();
  }
}

void AddDroppedPaths(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) AddSource(path);
}

}  // namespace vandrel

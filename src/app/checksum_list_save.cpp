// The checksum-list form of a saved results list.
#include "app/checksum_list_save.h"

#include "app/file_intake.h"
#include "checksum_list/checksum_list.h"

namespace vandrel {

std::optional<std::string> ChecksumListText(
    const std::string& listPath, DigestKind computed,
    const std::vector<std::pair<std::string, std::string>>& rows) {
  namespace cl = checksum_list;
  const cl::ListNameHint hint = cl::KindFromListName(listPath);
  if (!hint.kind || *hint.kind != computed) return std::nullopt;
  const cl::WriteForm form = hint.sfv ? cl::WriteForm::Sfv : cl::WriteForm::Gnu;
  const std::string folder = FolderPart(listPath);
  std::string text;
  for (const auto& [path, digest] : rows) {
    if (digest.empty()) continue;
    const bool inside = !folder.empty() && path.size() > folder.size() &&
                        path.compare(0, folder.size(), folder) == 0;
    const std::string name = inside ? path.substr(folder.size()) : path;
    if (std::optional<std::string> line = cl::FormatLine(form, computed, name, digest))
      text += *line;
  }
  return text;
}

}  // namespace vandrel

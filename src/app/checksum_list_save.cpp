// The checksum-list form of a saved results list, and the name it needs.
#include "app/checksum_list_save.h"

#include "checksum_list/checksum_list.h"
#include "system/path_from_folder.h"
#include "system/paths.h"

namespace vandrel {

std::optional<std::string> ChecksumListText(
    const std::string& listPath, DigestKind computed,
    const std::vector<std::pair<std::string, std::string>>& rows) {
  namespace cl = checksum_list;
  const cl::ListNameHint hint = cl::KindFromListName(listPath);
  if (!hint.kind || *hint.kind != computed) return std::nullopt;
  const cl::WriteForm form = hint.sfv ? cl::WriteForm::Sfv : cl::WriteForm::Gnu;
  sys::NamesFromFolder names(sys::PathPart(listPath));
  std::string text;
  for (const auto& [path, digest] : rows) {
    if (digest.empty()) continue;
    // A row holds the path as it was given, perhaps relative to where the
    // program started; a checker reads the name from the list's folder.
    const std::string name = names.nameOf(path);
    if (std::optional<std::string> line = cl::FormatLine(form, computed, name, digest))
      text += *line;
  }
  return text;
}

std::optional<std::string> NameFittingDigests(const std::string& listPath,
                                              const std::optional<DigestKind>& computed) {
  const checksum_list::ListNameHint hint = checksum_list::KindFromListName(listPath);
  if (!hint.kind || hint.kind == computed) return std::nullopt;
  // A name with an algorithm's extension has a dot in its last part.
  const std::string stem = listPath.substr(0, listPath.rfind('.') + 1);
  if (!computed) return stem + "txt";
  if (computed->algorithm == Algorithm::Crc32) return stem + "sfv";
  return stem + std::string(NamesOf(*computed).name);
}

}  // namespace vandrel

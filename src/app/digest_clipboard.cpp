// Ctrl+C on the results list and Compare with copied checksum.
#include "app/digest_clipboard.h"

#include <algorithm>
#include <set>

#include "app/results_list.h"
#include "core/algorithm.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/program.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

// A notice lists this many names; a longer match says how many more there are.
constexpr std::size_t kNamesShown = 5;

bool IsWordCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigestLength(std::size_t length) {
  return std::any_of(
      kDigestKindNames.begin(), kDigestKindNames.end(),
      [length](const DigestKindName& entry) { return entry.kind.hexLength() == length; });
}

std::string LowercaseHexWord(std::string_view word) {
  std::string hex;
  for (char c : word) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return "";
    hex += c;
  }
  return hex;
}

void ShowNotice(const std::string& text) { ShowMessageDialog(DialogConfigs().notice, text); }

std::string MatchNotice(const std::vector<std::string>& names) {
  std::string text = T("tReqMATCH");
  for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
    text += kMessageLineBreak + names[i];
  }
  if (names.size() > kNamesShown) {
    text += kMessageLineBreak + ("… (+" + std::to_string(names.size() - kNamesShown) + ")");
  }
  return text;
}

}  // namespace

std::vector<std::string> HexDigestsIn(std::string_view text) {
  std::vector<std::string> digests;
  std::size_t at = 0;
  while (at < text.size()) {
    if (!IsWordCharacter(text[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && IsWordCharacter(text[end])) ++end;
    const std::string hex = LowercaseHexWord(text.substr(at, end - at));
    if (!hex.empty() && IsDigestLength(hex.size())) digests.push_back(hex);
    at = end;
  }
  return digests;
}

void CopySelectedDigests() {
  std::string digests;
  const int rows = tk::CountGadgetItems(kGadgetResults);
  for (int row = 0; row < rows; ++row) {
    if (!tk::IsGadgetItemSelected(kGadgetResults, row)) continue;
    const std::string digest = tk::GetGadgetItemText(kGadgetResults, row, 1);
    if (digest.empty()) continue;
    if (!digests.empty()) digests += '\n';
    digests += digest;
  }
  if (!digests.empty()) tk::SetClipboardText(digests);
}

void CompareWithClipboard() {
  const std::vector<std::string> copied = HexDigestsIn(tk::GetClipboardText());
  if (copied.empty()) {
    ShowNotice(T("tReqNODIGEST"));
    return;
  }
  const std::set<std::string> wanted(copied.begin(), copied.end());
  const int rows = tk::CountGadgetItems(kGadgetResults);
  std::vector<int> matching;
  bool computed = false;
  for (int row = 0; row < rows; ++row) {
    const std::string digest = tk::GetGadgetItemText(kGadgetResults, row, 1);
    computed = computed || !digest.empty();
    if (!digest.empty() && wanted.count(digest)) matching.push_back(row);
  }
  if (!computed) {
    ShowNotice(T("tReqNOTCOMPUTED"));
    return;
  }
  if (matching.empty()) {
    ShowNotice(T("tReqNOMATCH"));
    return;
  }
  // The first match is selected alone and scrolled into view; the others join it.
  tk::SetGadgetState(kGadgetResults, matching.front());
  std::vector<std::string> names;
  for (int row : matching) {
    tk::SetGadgetItemSelected(kGadgetResults, row, true);
    names.push_back(tk::DisplayText(tk::GetGadgetItemText(kGadgetResults, row, 0)));
  }
  // The rows are selected as if the user had clicked them: Delete and the
  // export buttons apply to them.
  OnListEvent();
  ShowNotice(MatchNotice(names));
}

}  // namespace vandrel

// Ctrl+C on the results list and Compare with copied checksum.
#include "app/digest_clipboard.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/copied_digests.h"
#include "app/results_list.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "toolkit/gadgets.h"
#include "toolkit/requesters.h"

namespace vandrel {
namespace {

// A notice lists this many names; a longer match says how many more there are.
constexpr std::size_t kNamesShown = 5;

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
  const std::vector<std::string> digests = tk::GetGadgetColumnTexts(kGadgetResults, 1);
  const CopiedDigestMatch match = MatchCopiedDigests(tk::GetClipboardText(), digests);
  if (!match.anyDigest) {
    ShowNotice(T("tReqNODIGEST"));
    return;
  }
  const bool computed = std::any_of(digests.begin(), digests.end(),
                                    [](const std::string& digest) { return !digest.empty(); });
  if (!computed) {
    ShowNotice(T("tReqNOTCOMPUTED"));
    return;
  }
  const std::vector<int>& matching = match.rows;
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

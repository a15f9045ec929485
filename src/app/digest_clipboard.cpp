// Ctrl+C on the results list and Compare with copied checksum.
#include "app/digest_clipboard.h"

#include <algorithm>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/copied_digests.h"
#include "app/frame_clock.h"
#include "app/results_list.h"
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

// A notice lists this many names; a longer match says how many more there are.
constexpr std::size_t kNamesShown = 5;

// A lookup in progress and, once its thread is done, its answer. The rows
// cannot change meanwhile: the window is disabled until the answer is shown.
struct Comparison {
  std::vector<std::string> digests;      // the rows' digests when it began
  std::future<CopiedDigestMatch> match;  // the lookup, on a thread of its own
  CopiedDigestMatch answer;
};

std::unique_ptr<Comparison>& Current() {
  static std::unique_ptr<Comparison> comparison;
  return comparison;
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

// The frame clock's poll of the lookup: once it is done, the answer waits
// for the event loop, which shows it.
bool PollComparison() {
  Comparison* comparison = Current().get();
  if (!comparison) return false;
  if (comparison->match.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    return true;
  }
  comparison->answer = comparison->match.get();
  tk::PostEvent(kEventCompareFinished);
  return false;
}

}  // namespace

void CopySelectedDigests() {
  std::string digests;
  for (int row : tk::SelectedGadgetItems(kGadgetResults)) {
    const std::string& digest = Results().row(static_cast<std::size_t>(row)).digest;
    if (digest.empty()) continue;
    if (!digests.empty()) digests += '\n';
    digests += digest;
  }
  if (!digests.empty()) tk::SetClipboardText(digests);
}

// A copied text can be large (a whole web page, a list of a million lines):
// it is searched beside the window, which stays drawn, disabled, meanwhile.
void CompareWithClipboard() {
  if (Current()) return;
  auto comparison = std::make_unique<Comparison>();
  for (const ResultRow& row : Results().rows()) comparison->digests.push_back(row.digest);
  // Runs on the lookup's thread; it reads the digests, which nobody changes
  // until the answer has been taken.
  comparison->match = std::async(std::launch::async,
                                 [text = tk::GetClipboardBytes(), digests = &comparison->digests] {
                                   return MatchCopiedDigests(*text, *digests);
                                 });
  tk::DisableWindow(kMainWindow, true);
  Current() = std::move(comparison);
  PollEachFrame(PollComparison);
}

void ShowComparison() {
  const std::unique_ptr<Comparison> comparison = std::move(Current());
  tk::DisableWindow(kMainWindow, false);
  if (!comparison) return;
  const CopiedDigestMatch& match = comparison->answer;
  if (!match.anyDigest) {
    ShowNotice(T("tReqNODIGEST"));
    return;
  }
  const std::vector<std::string>& digests = comparison->digests;
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
    names.push_back(tk::DisplayText(Results().row(static_cast<std::size_t>(row)).path));
  }
  // The rows are selected as if the user had clicked them: Delete and the
  // export buttons apply to them.
  OnListEvent();
  ShowNotice(MatchNotice(names));
}

}  // namespace vandrel

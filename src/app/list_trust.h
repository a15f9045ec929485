// Who vouches for the checksum lists the window verifies: each signed list's
// outcome in the user's words, on the source field (a mark at its end, the
// words over the mark and as what a screen reader reads) from the moment the
// list is read, before its rows are digested, and again at the head of the
// summary of the job it started. A list without a signature shows nothing.
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "signature/list_signature.h"

namespace vandrel {

struct ListTrust {
  std::string listPath;
  signature::KeySource keys;         // a key file and a pinned signer, or the keyring
  signature::ListSignature checked;  // its text not kept
};

// Shows the outcomes of the lists in `lists` that have a signature, or of
// every list when the user asked for a check with a key file (`asked`),
// in place of those shown before; with none to show, the mark goes.
void ShowListTrust(std::vector<ListTrust> lists, bool asked);
// No list is vouched for any more (the list was emptied).
void ForgetListTrust();
// The field's mark and words again, in the language loaded now.
void DescribeListTrust();
// The outcomes shown, for the summary's first lines: "the list cannot be
// trusted" first when a signature says the list was changed or comes from
// the wrong key; empty when none is shown.
std::string ListTrustSummary();
// One list's outcome in words, message line breaks between its sentences.
std::string ListTrustText(const ListTrust& list);

}  // namespace vandrel

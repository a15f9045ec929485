// Signature outcomes in the language's words, and where the window shows
// them.
#include "app/list_trust.h"

#include <algorithm>
#include <utility>

#include "app/failure_reason.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "toolkit/accessibility.h"
#include "toolkit/gadgets.h"
#include "toolkit/resources.h"

namespace vandrel {
namespace {

namespace sg = signature;

std::vector<ListTrust>& Shown() {
  static std::vector<ListTrust> shown;
  return shown;
}

// How many lists the job checks, with a signature or without: with several,
// each outcome names its list.
std::size_t& ListsChecked() {
  static std::size_t lists = 0;
  return lists;
}

// A signature that says the list is not what its publisher made: changed
// after signing, by a revoked key, or by another key than the one pinned.
bool Distrusted(const ListTrust& list) {
  const sg::Verdict verdict = list.checked.outcome.verdict;
  return verdict == sg::Verdict::Bad || verdict == sg::Verdict::Revoked ||
         verdict == sg::Verdict::WrongSigner;
}

// Each outcome on lines of its own, after its list's name when named.
std::string Outcomes() {
  std::string text;
  for (const ListTrust& list : Shown()) {
    std::string line = ListTrustText(list);
    if (ListsChecked() > 1) {
      line = tk::DisplayText(list.listPath.substr(list.listPath.rfind('/') + 1)) + ": " + line;
    }
    text = MessageLines({text, line});
  }
  return text;
}

// The field's mark: a tick when every list checked is vouched for wholly, a
// cross when one is distrusted, a bar for anything between (an unknown key,
// a signature that cannot be checked, lines outside the signed part, a list
// without a signature beside a signed one).
int MarkImage() {
  const std::vector<ListTrust>& shown = Shown();
  if (std::any_of(shown.begin(), shown.end(), Distrusted)) return kImageRowDiffers;
  const bool vouched = std::all_of(shown.begin(), shown.end(),
                                   [](const ListTrust& list) { return sg::Vouches(list.checked); });
  return vouched && shown.size() == ListsChecked() ? kImageRowMatches : kImageRowMissing;
}

// Why a signature cannot be read or checked, in the language's words; only
// gpg's own error text stays as gpg gives it.
std::string WhyText(const sg::Why& why) {
  const std::string file = tk::DisplayText(why.file);
  switch (why.cause) {
    case sg::Cause::None:
      break;
    case sg::Cause::NoSignatureInside:
      return T("tSigWHYNODATA");
    case sg::Cause::KeyNotForSigning:
      return T("tSigWHYNOTFORSIGNING");
    case sg::Cause::StrayArmour:
      return T("tSigWHYSTRAY");
    case sg::Cause::FileTooLarge:
      return Fill(T("tSigWHYLARGE"), "file", file);
    case sg::Cause::FileNotRegular:
      return Fill(T("tSigWHYNOTAFILE"), "file", file);
    case sg::Cause::FileUnreadable:
      return Fill(Fill(T("tSigWHYUNREADABLE"), "file", file), "error",
                  ErrorReason(why.error, CurrentFailureTexts()));
    case sg::Cause::KeyFileSecret:
      return Fill(T("tSigWHYSECRET"), "file", file);
    case sg::Cause::KeyFileNoPublicKey:
      return Fill(T("tSigWHYNOKEY"), "file", file);
    case sg::Cause::GpgMissing:
      return T("tSigWHYNOGPG");
    case sg::Cause::KeyringUnusable:
      return T("tSigWHYKEYRING");
    case sg::Cause::GpgError:
      return Fill(T("tSigWHYGPG"), "error", why.gpgText);
  }
  return {};
}

}  // namespace

std::string ListTrustText(const ListTrust& list) {
  const sg::Outcome& outcome = list.checked.outcome;
  const sg::Signer& signer = outcome.signer;
  const bool keyFile = !list.keys.keyFile.empty();
  auto signedBy = [&](const char* key) {
    return Fill(Fill(T(key), "signer", signer.userId.empty() ? T("tSigNONAME") : signer.userId),
                "key", sg::GroupFingerprint(signer.fingerprint));
  };
  std::string text;
  switch (outcome.verdict) {
    case sg::Verdict::NoSignature:
      text = T("tSigNONE");
      break;
    case sg::Verdict::Good:
      // A key file is the user's own choice of signer; a key in the keyring
      // that nobody certified is only a key someone imported.
      text = signedBy(keyFile || signer.validInKeyring ? "tSigGOOD" : "tSigGOODUNCERTIFIED");
      break;
    case sg::Verdict::Expired:
      text = signedBy("tSigEXPIRED");
      break;
    case sg::Verdict::Revoked:
      text = signedBy("tSigREVOKED");
      break;
    case sg::Verdict::UnknownKey:
      text = Fill(Fill(T(keyFile ? "tSigUNKNOWNKEYFILE" : "tSigUNKNOWNKEY"), "key",
                       sg::GroupFingerprint(signer.fingerprint)),
                  "file", tk::DisplayText(list.keys.keyFile));
      // Where the user can go next, named as the menu shows it.
      if (!keyFile) {
        text = MessageLines({text, Fill(T("tSigTRYKEYFILE"), "command",
                                        T("tMenuFILE") + " › " + T("tMenuVERIFYKEY"))});
      }
      break;
    case sg::Verdict::WrongSigner:
      text = Fill(signedBy("tSigWRONGSIGNER"), "expected",
                  sg::GroupFingerprint(list.keys.expectedFingerprint));
      break;
    case sg::Verdict::Bad:
      text = T("tSigBAD");
      break;
    case sg::Verdict::Unreadable:
      text = Fill(T("tSigUNREADABLE"), "reason", WhyText(outcome.why));
      break;
    case sg::Verdict::CannotCheck:
      text = Fill(T("tSigCANNOTCHECK"), "reason", WhyText(outcome.why));
      break;
  }
  if (list.checked.unsignedLines > 0) {
    text = MessageLines({text, Fill(Fill(T("tSigUNSIGNEDLINES"), "count",
                                         std::to_string(list.checked.unsignedLines)),
                                    "line", std::to_string(list.checked.firstUnsignedLine))});
  }
  return text;
}

void ShowListTrust(std::vector<ListTrust> lists, bool asked) {
  ListsChecked() = lists.size();
  if (!asked) {
    std::erase_if(
        lists, [](const ListTrust& list) { return list.checked.form == sg::SignatureForm::None; });
  }
  Shown() = std::move(lists);
  DescribeListTrust();
}

void ForgetListTrust() {
  if (Shown().empty()) return;
  Shown().clear();
  DescribeListTrust();
}

void DescribeListTrust() {
  if (Shown().empty()) {
    tk::SetStringGadgetMark(kGadgetSource, nullptr, "");
    tk::SetGadgetAccessibleDescription(kGadgetSource, "");
    return;
  }
  // The mark's tip and the description are the summary's lines.
  const std::string words = MessageText(ListTrustSummary());
  tk::SetStringGadgetMark(kGadgetSource, tk::ImageID(MarkImage()), words);
  tk::SetGadgetAccessibleDescription(kGadgetSource, words);
}

std::string ListTrustSummary() {
  if (Shown().empty()) return {};
  const bool distrusted = std::any_of(Shown().begin(), Shown().end(), Distrusted);
  return MessageLines({distrusted ? T("tSigUNTRUSTED") : std::string(), Outcomes()});
}

}  // namespace vandrel

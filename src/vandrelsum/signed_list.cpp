// The signature outcomes in vandrelsum's words. Only a good signature by
// the expected key, over every line the list's checks come from, lets the
// list through; everything else is an error.
#include "vandrelsum/signed_list.h"

#include "checksum_list/list_file.h"
#include "signature/list_signature.h"
#include "vandrelsum/messages.h"

namespace vandrel::sum {
namespace {

namespace sg = signature;

std::string Key(const sg::Signer& signer) {
  return "key " + sg::GroupFingerprint(signer.fingerprint);
}

std::string SignedBy(const sg::Signer& signer) {
  return (signer.userId.empty() ? std::string("an unnamed key") : signer.userId) + ", " +
         Key(signer);
}

// The line for `checked`; `good` tells whether it lets the list through.
std::string Describe(const sg::ListSignature& checked, const std::string& list,
                     const SumOptions& options, bool& good) {
  const sg::Outcome& outcome = checked.outcome;
  const std::string source = checked.form == sg::SignatureForm::Detached
                                 ? " (" + QuoteName(checked.signaturePath) + ")"
                                 : std::string();
  const std::string keys = options.keyring.empty() ? "your keyring" : QuoteName(options.keyring);
  good = false;
  switch (outcome.verdict) {
    case sg::Verdict::Good:
      if (checked.unsignedLines > 0) {
        return std::to_string(checked.unsignedLines) +
               (checked.unsignedLines == 1 ? " line lies" : " lines lie") +
               " outside the signed text, the first on line " +
               std::to_string(checked.firstUnsignedLine) + ": only a wholly signed list is checked";
      }
      good = true;
      return "good signature" + source + " by " + SignedBy(outcome.signer) +
             (options.keyring.empty() && !outcome.signer.validInKeyring
                  ? " (a key your keyring holds but you have not certified)"
                  : "");
    case sg::Verdict::NoSignature:
      if (list == "-") return "no signature: standard input is not clearsigned";
      return "no signature: the list is not clearsigned, and neither " + QuoteName(list + ".asc") +
             " nor its .sig, .gpg or .sign sibling exists";
    case sg::Verdict::Expired:
      return "signature" + source + " by " + SignedBy(outcome.signer) + ", but " + outcome.reason;
    case sg::Verdict::Revoked:
      return "signature" + source + " by " + SignedBy(outcome.signer) +
             ", but the key has been revoked";
    case sg::Verdict::UnknownKey:
      return "signed" + source + " by a key that is not in " + keys + " (" + Key(outcome.signer) +
             ")";
    case sg::Verdict::WrongSigner:
      return "signed" + source + " by " + SignedBy(outcome.signer) + ", not by the expected key " +
             sg::GroupFingerprint(options.fingerprint);
    case sg::Verdict::Bad:
      return "BAD signature" + source + ": the list was changed after it was signed";
    case sg::Verdict::Unreadable:
      return "the signature" + source + " cannot be read: " + outcome.reason;
    case sg::Verdict::CannotCheck:
      return "the signature cannot be checked: " + outcome.reason;
  }
  return {};
}

}  // namespace

std::optional<std::string> ReadSignedList(const SumOptions& options, const std::string& list) {
  // Read as -c reads a list (standard input, a pipe), but whole, and so
  // bounded.
  checksum_list::ListFileRules rules;
  rules.streams = true;
  rules.maxBytes = checksum_list::kMaxListBytes;
  checksum_list::ListBytes read = checksum_list::ReadListBytes(list, rules);
  if (!read.status.opened) {
    ComplainAbout(list, read.status.error);
    return std::nullopt;
  }
  if (read.status.problem != checksum_list::ListFileProblem::None) {
    Complain(QuoteName(ListName(list)) +
             ": the list cannot be read whole to check its signature: " +
             sg::ListProblemText(read.status, rules));
    return std::nullopt;
  }
  sg::ListSignatureRequest request;
  request.listPath = list;
  request.signaturePath = options.signatureFile;
  request.keys.keyFile = options.keyring;
  request.keys.expectedFingerprint = options.fingerprint;
  sg::ListSignature checked = sg::CheckListText(std::move(read.bytes), request);
  bool good = false;
  const std::string line = Describe(checked, list, options, good);
  if (!good || !options.status) Complain(QuoteName(ListName(list)) + ": " + line);
  if (!good) return std::nullopt;
  return std::move(checked.text);
}

}  // namespace vandrel::sum

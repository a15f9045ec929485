// Reading a checksum list file for Verify: its signature, then the plan its
// lines make.
#include "app/verify_list_read.h"

#include <utility>

#include "checksum_list/checksum_list.h"
#include "system/debug_log.h"

namespace vandrel {
namespace {

namespace cl = checksum_list;
namespace sg = signature;

// gpg never gave back a clearsigned list's signed text: the signature
// cannot be read or checked, which the window says, and the file is read
// as a list without one, as it was before signatures were checked.
bool SignedTextLost(const sg::ListSignature& checked) {
  return checked.form == sg::SignatureForm::Clearsigned && checked.text.empty() &&
         (checked.outcome.verdict == sg::Verdict::CannotCheck ||
          checked.outcome.verdict == sg::Verdict::Unreadable);
}

}  // namespace

ListFileRead ReadChecksumListFile(const std::string& listPath, const sg::KeySource& keys,
                                  ListSignatureCheck check) {
  ListFileRead read;
  // A list without a signature streams from its file, never held whole; a
  // signed one is read from the very bytes its signature was checked on.
  const bool hasSignature = sg::HasSignature(listPath);
  if (hasSignature) {
    read.signature = (check ? check : sg::CheckListSignature)({listPath, "", keys});
    if (read.signature.listStatus.problem != ListFileProblem::None) {
      read.problem = read.signature.listStatus.problem;
      read.error = read.signature.listStatus.error;
      return read;
    }
  }
  const std::string folder = cl::ListFolder(listPath);
  VerifyPlan plan;
  bool kindChosen = false;
  const cl::ListReader::Sink sink = [&](const cl::ListLine& line) {
    if (line.rejection != cl::Rejection::None || (kindChosen && line.kind != plan.kind)) {
      DebugLog("verify", listPath + ": line " + std::to_string(line.lineNumber) + " not used");
      ++plan.rejectedLines;
      return;
    }
    plan.kind = line.kind;
    kindChosen = true;
    // The window has no standard input: "-" is a file of that name.
    plan.entries.push_back({cl::ResolveListedName(folder, line.name, false), line.expectedHex});
  };
  const bool fromFile = !hasSignature || SignedTextLost(read.signature);
  const std::string text = std::move(read.signature.text);
  read.signature.text.clear();
  const cl::ListFileStatus status =
      fromFile ? cl::ReadListFile(listPath, cl::ListFileRules{}, sink)
               : cl::ReadListText(text, listPath, cl::ListFileRules{}, sink);
  read.problem = status.problem;
  read.error = status.error;
  if (status.problem == ListFileProblem::None) read.plan = std::move(plan);
  return read;
}

}  // namespace vandrel

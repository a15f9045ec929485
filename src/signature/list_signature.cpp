// Finding a list's signature: a signature the user named comes first, then
// the list's own clearsigned block, then a detached one beside the list.
#include "signature/list_signature.h"

#include <sys/stat.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "signature/clearsigned.h"

namespace vandrel::signature {
namespace {

constexpr const char* kDetachedSuffixes[] = {".asc", ".sig", ".gpg", ".sign"};

void CheckClearsigned(const std::string& list, const ClearsignedBlock& block, const KeySource& keys,
                      ListSignature& result) {
  result.form = SignatureForm::Clearsigned;
  result.unsignedLines = block.unsignedLines;
  result.firstUnsignedLine = block.firstUnsignedLine;
  if (block.strayArmour) {
    result.outcome = {Verdict::Unreadable,
                      {},
                      "a line inside its signed block starts like another OpenPGP block",
                      {Cause::StrayArmour}};
    return;
  }
  Verification verification =
      VerifyClearsigned(std::string_view(list).substr(block.begin, block.end - block.begin), keys);
  result.outcome = std::move(verification.outcome);
  result.text = std::move(verification.signedText);
}

// The first detached signature beside the list; its read, or nothing found
// (an empty path).
std::pair<std::string, sys::BoundedRead> FindDetached(const std::string& listPath) {
  if (listPath.empty() || listPath == "-") return {};
  for (const char* suffix : kDetachedSuffixes) {
    std::string path = listPath + suffix;
    sys::BoundedRead read = sys::ReadRegularFile(path, kMaxSignatureBytes);
    if (read.problem == sys::ReadProblem::Failed && read.error == ENOENT) continue;
    return {std::move(path), std::move(read)};
  }
  return {};
}

Why ListProblemWhy(const checksum_list::ListFileStatus& status, const std::string& listPath) {
  switch (status.problem) {
    case checksum_list::ListFileProblem::NotRegularFile:
      return {Cause::FileNotRegular, listPath};
    case checksum_list::ListFileProblem::TooLarge:
      return {Cause::FileTooLarge, listPath};
    default:
      return {Cause::FileUnreadable, listPath, status.error};
  }
}

}  // namespace

bool HasSignature(const std::string& listPath) {
  for (const char* suffix : kDetachedSuffixes) {
    struct stat status {};
    if (::stat((listPath + suffix).c_str(), &status) == 0 || errno != ENOENT) return true;
  }
  ClearsignedHeaderScan scan;
  const checksum_list::ListFileStatus read = checksum_list::ReadListPieces(
      listPath, {}, [&scan](std::string_view piece) { scan.feed(piece); });
  return read.problem == checksum_list::ListFileProblem::None && scan.found();
}

ListSignature CheckListText(std::string list, const ListSignatureRequest& request) {
  ListSignature result;
  std::pair<std::string, sys::BoundedRead> detached;
  if (!request.signaturePath.empty()) {
    detached = {request.signaturePath,
                sys::ReadRegularFile(request.signaturePath, kMaxSignatureBytes)};
  } else {
    const ClearsignedBlock block = FindClearsignedBlock(list);
    if (block.found) {
      CheckClearsigned(list, block, request.keys, result);
      return result;
    }
    detached = FindDetached(request.listPath);
  }
  const auto& [signaturePath, signature] = detached;
  if (!signaturePath.empty()) {
    result.form = SignatureForm::Detached;
    result.signaturePath = signaturePath;
    result.outcome = signature.problem == sys::ReadProblem::None
                         ? VerifyDetached(list, signature.bytes, request.keys)
                         : Outcome{Verdict::Unreadable,
                                   {},
                                   ReadProblemText(signature, kMaxSignatureBytes),
                                   ReadProblemWhy(signature, signaturePath)};
  }
  result.text = std::move(list);
  return result;
}

ListSignature CheckListSignature(const ListSignatureRequest& request) {
  const checksum_list::ListFileRules rules;
  checksum_list::ListBytes read = checksum_list::ReadListBytes(request.listPath, rules);
  if (read.status.problem != checksum_list::ListFileProblem::None) {
    ListSignature result;
    result.listStatus = read.status;
    result.outcome = {Verdict::CannotCheck,
                      {},
                      "the list cannot be read: " + ListProblemText(read.status, rules),
                      ListProblemWhy(read.status, request.listPath)};
    return result;
  }
  return CheckListText(std::move(read.bytes), request);
}

bool Vouches(const ListSignature& signature) {
  return signature.outcome.verdict == Verdict::Good && signature.unsignedLines == 0;
}

}  // namespace vandrel::signature

// The verdict over several signatures, in order of what matters most: a bad
// one, then a good one by the right key, then a good one by another key,
// then why none was good.
#include "signature/verdicts.h"

#include <algorithm>
#include <initializer_list>

namespace vandrel::signature {
namespace {

const CheckedSignature* Find(const std::vector<CheckedSignature>& signatures, Verdict verdict) {
  const auto found =
      std::find_if(signatures.begin(), signatures.end(),
                   [verdict](const CheckedSignature& s) { return s.verdict == verdict; });
  return found == signatures.end() ? nullptr : &*found;
}

Outcome From(const CheckedSignature& signature, Verdict verdict) {
  return Outcome{verdict, signature.signer, signature.reason, signature.why};
}

}  // namespace

Outcome JudgeSignatures(const std::vector<CheckedSignature>& signatures,
                        const std::string& expectedFingerprint) {
  if (const CheckedSignature* bad = Find(signatures, Verdict::Bad)) return From(*bad, Verdict::Bad);
  const CheckedSignature* anyGood = nullptr;
  for (const CheckedSignature& signature : signatures) {
    if (signature.verdict != Verdict::Good) continue;
    if (expectedFingerprint.empty() || signature.signer.fingerprint == expectedFingerprint) {
      return From(signature, Verdict::Good);
    }
    if (!anyGood) anyGood = &signature;
  }
  if (anyGood) return From(*anyGood, Verdict::WrongSigner);
  for (const Verdict verdict : {Verdict::Revoked, Verdict::Expired, Verdict::UnknownKey}) {
    if (const CheckedSignature* found = Find(signatures, verdict)) return From(*found, verdict);
  }
  if (signatures.empty()) {
    return Outcome{Verdict::Unreadable, {}, "it holds no signature", {Cause::NoSignatureInside}};
  }
  return From(signatures.front(), Verdict::Unreadable);
}

}  // namespace vandrel::signature

// From what gpg says of each signature over the same bytes to the one
// verdict a user reads. Several signatures are judged together: any bad one
// makes the whole Bad, even beside good ones; otherwise one good signature
// (by the expected key, when one is expected) is enough, and the others,
// made by keys not at hand or in a form gpg cannot read, take nothing from
// it. Pure; any thread.
#pragma once

#include <string>
#include <vector>

#include "signature/signature.h"

namespace vandrel::signature {

// One signature as gpg judged it; `verdict` is never WrongSigner,
// NoSignature or CannotCheck here.
struct CheckedSignature {
  Verdict verdict = Verdict::Unreadable;
  Signer signer;
  std::string reason;
  Why why;
};

// `expectedFingerprint`: empty for any signer. Unreadable when `signatures`
// is empty.
Outcome JudgeSignatures(const std::vector<CheckedSignature>& signatures,
                        const std::string& expectedFingerprint);

}  // namespace vandrel::signature

// Checking one OpenPGP signature with GPGME, which drives the gpg the
// system has: a detached signature over bytes in memory, or a clearsigned
// block. The keys are the user's keyring or one public-key file, each time
// in a private gpg home (gpg_home.h), so nothing the user owns is changed
// and nothing is fetched from a network.
// Design: GPGME is loaded and set up once per process (gpgme_library.h); each call has its own
// context, its own home and its own gpg processes and blocks SIGPIPE on its own thread while it
// feeds them, so calls on several threads do not meet. Any thread.
#pragma once

#include <string>
#include <string_view>

#include "signature/signature.h"

namespace vandrel::signature {

struct KeySource {
  // A file of public keys (armoured or binary, as gpg exports them): only
  // its keys count. Empty: the user's own keyring.
  std::string keyFile;
  // A full fingerprint, upper-case (NormaliseFingerprint): only a good
  // signature by this key is Good; one by another key is WrongSigner.
  // Empty: any signer.
  std::string expectedFingerprint;
};

struct Verification {
  Outcome outcome;
  // A clearsigned block's signed text as gpg gives it back, dash escapes
  // undone, whatever the verdict once gpg got as far as reading it (a
  // bad signature's text too, for a caller that shows what was claimed).
  std::string signedText;
};

// A detached signature over `data`.
Outcome VerifyDetached(std::string_view data, std::string_view signature, const KeySource& keys);

// A clearsigned block: one message from its header line to its signature's
// end line, nothing before or after it (FindClearsignedBlock).
Verification VerifyClearsigned(std::string_view block, const KeySource& keys);

}  // namespace vandrel::signature

// Who vouches for a checksum list: the outcome of checking an OpenPGP
// signature, in words both programs show, and the fingerprints users type.
// The checking itself (gpg_verify.h) goes through GPGME and the gpg the
// system has; finding a list's signature is list_signature.h. Display-free.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "checksum_list/list_file.h"
#include "system/bounded_read.h"

namespace vandrel::signature {

// Ceilings on what is handed to gpg; a larger file is refused unread. A
// detached signature is a few hundred bytes (a few kilobytes with several
// signers), a publisher's key file some kilobytes; a list is held to the
// list reader's own ceiling (checksum_list::kMaxListBytes).
inline constexpr std::size_t kMaxSignatureBytes = 256 * 1024;
inline constexpr std::size_t kMaxKeyFileBytes = 256 * 1024;
// Each file of the user's keyring that is copied into the private home.
inline constexpr std::size_t kMaxKeyringFileBytes = std::size_t{64} << 20;

enum class Verdict {
  NoSignature,  // the list has none
  Good,         // made by a key in the keys consulted, neither expired nor revoked
  Expired,      // made by a key in the keys consulted, but that key or the signature has expired
  Revoked,      // made by a key in the keys consulted that has since been revoked
  UnknownKey,   // signed, by a key that is not among the keys consulted
  WrongSigner,  // a good signature, but by another key than the one expected
  Bad,          // the signed bytes differ from those that were signed
  Unreadable,   // what should be a signature cannot be read as one; `reason`
  CannotCheck,  // gpg is missing or failed, or the keys cannot be used; `reason`
};

struct Signer {
  // The key's primary user id; empty when the key is unknown.
  std::string userId;
  // Upper-case hex. The primary key's fingerprint when the key is known;
  // for an unknown key, the signing key's as the signature names it (which
  // may be a subkey's, or only a 16-digit key id in an old signature).
  std::string fingerprint;
  // The user's keyring holds the key as valid: the user's own key, or one
  // certified through the user's web of trust. Never for a key file's key.
  bool validInKeyring = false;
};

// Why a signature cannot be read or checked, for a program to word in its
// user's language; `Outcome::reason` says the same in English.
enum class Cause {
  None,
  NoSignatureInside,   // what should be a signature holds none
  KeyNotForSigning,    // the key that made it is not meant for signing
  StrayArmour,         // a signed block holds a line that starts more armour
  FileTooLarge,        // `file`, the signature or the key file
  FileNotRegular,      // `file`
  FileUnreadable,      // `file`, `error`
  KeyFileSecret,       // `file` holds a secret key
  KeyFileNoPublicKey,  // `file`
  GpgMissing,          // GPGME or gpg is not installed or cannot be used
  KeyringUnusable,     // gpg's private copy of the keyring cannot be made
  GpgError,            // gpg's own words are in `gpgText`
};

struct Why {
  Why() = default;
  Why(Cause cause, std::string file = {}, int error = 0, std::string gpgText = {})
      : cause(cause), file(std::move(file)), error(error), gpgText(std::move(gpgText)) {}

  Cause cause = Cause::None;
  std::string file;
  int error = 0;  // errno
  std::string gpgText;
};

struct Outcome {
  Verdict verdict = Verdict::NoSignature;
  Signer signer;  // for every verdict that names a key
  // Unreadable: why the signature cannot be read; CannotCheck: a sentence
  // on what could not be done and why; Expired: what has expired.
  std::string reason;
  Why why;  // Unreadable and CannotCheck
};

// `text` as a full fingerprint (40 or 64 hex digits; spaces and tabs
// ignored, either case), upper-case; nothing when it is not one.
std::optional<std::string> NormaliseFingerprint(std::string_view text);

// "DF9B9C49..." as "DF9B 9C49 ...", groups of four.
std::string GroupFingerprint(std::string_view fingerprint);

// Why a bounded read failed ("it is larger than 256 KiB"); `maxBytes` is
// the ceiling it was held to.
std::string ReadProblemText(const sys::BoundedRead& read, std::size_t maxBytes);
// The same as a cause, about `file`.
Why ReadProblemWhy(const sys::BoundedRead& read, const std::string& file);
// The same for a list the list reader could not read whole with `rules`.
std::string ListProblemText(const checksum_list::ListFileStatus& status,
                            const checksum_list::ListFileRules& rules);

}  // namespace vandrel::signature

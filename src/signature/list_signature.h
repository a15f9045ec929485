// The signature of a checksum list, found and checked in one call: the
// list's own clearsigned block, or a detached signature named by the user or
// lying beside the list (L.asc, L.sig, L.gpg, L.sign, in that order). The
// list is read once, and what comes back is the text its rows are to be read
// from: the very bytes that were checked, so a list changed after the check
// cannot pass as the checked one. Any thread.
#pragma once

#include <cstddef>
#include <string>

#include "checksum_list/list_file.h"
#include "signature/gpg_verify.h"
#include "signature/signature.h"

namespace vandrel::signature {

struct ListSignatureRequest {
  // The list; for CheckListText only the place its detached signature is
  // looked for beside (empty or "-": nowhere).
  std::string listPath;
  // A detached signature to use instead of looking for one.
  std::string signaturePath;
  KeySource keys;
};

enum class SignatureForm { None, Clearsigned, Detached };

struct ListSignature {
  Outcome outcome;
  SignatureForm form = SignatureForm::None;
  std::string signaturePath;  // the detached signature checked
  // The text to read the list's rows from: a clearsigned list's signed text
  // as gpg gave it back (dash escapes undone; empty when gpg could not read
  // the block), otherwise the whole list as it was read and checked.
  std::string text;
  // Lines of a clearsigned list outside its signed block (before it, after
  // it, a second block), which are never taken as signed; the first one's
  // number (1-based).
  std::size_t unsignedLines = 0;
  std::size_t firstUnsignedLine = 0;
  // Why the list itself could not be read (CheckListSignature); the outcome
  // is then CannotCheck.
  checksum_list::ListFileStatus listStatus;
};

// Reads the list at `request.listPath` with the list reader's care (a
// regular file of at most checksum_list::kMaxListBytes, opened without
// waiting) and checks its signature.
ListSignature CheckListSignature(const ListSignatureRequest& request);

// Whether CheckListSignature would find a signature for the list at
// `listPath`: a detached one beside it, or a clearsigned block in it. The
// list is read in pieces, never held whole, so that a list without a
// signature can be streamed as before; one that cannot be read has none.
bool HasSignature(const std::string& listPath);

// The same for a list already read into `list`.
ListSignature CheckListText(std::string list, const ListSignatureRequest& request);

// A good signature over every line the rows come from: Good, and no line
// outside the signed part.
bool Vouches(const ListSignature& signature);

}  // namespace vandrel::signature

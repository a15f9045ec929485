// vandrelsum -c --signature: a list's signature checked before any file the
// list names is read, with one line on stderr naming the signer, or the
// reason the list is refused.
#pragma once

#include <optional>
#include <string>

#include "vandrelsum/options.h"

namespace vandrel::sum {

// Reads `list` once ("-": standard input) and checks its signature as
// `options` ask. The text to check the list's lines from (the very bytes
// that were checked, or a clearsigned list's signed text), or nothing when
// the list must not be checked; the reason is then on stderr.
std::optional<std::string> ReadSignedList(const SumOptions& options, const std::string& list);

}  // namespace vandrel::sum

// Finding the rows' digests in copied text for Compare with copied checksum,
// without a display. One pass over the text that keeps nothing of it: the
// memory is that of the rows' digests, however large the clipboard.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

struct CopiedDigestMatch {
  // The text holds some digest: a word of only hex digits whose length is
  // that of a digest the program makes (8 for CRC32 up to 128 for 512 bits).
  bool anyDigest = false;
  // The indices of the rows whose digest is such a word of the text.
  std::vector<int> rows;
};

// `rowDigests` are lowercase hex, empty for a row without one. A word ends
// at anything other than a letter or a digit, so "sha256:" or "(md5)" around
// a digest do not matter, while a longer word that merely holds hex letters
// is no digest; case does not matter. Only words of a length that some row's
// digest has are looked up.
CopiedDigestMatch MatchCopiedDigests(std::string_view text,
                                     const std::vector<std::string>& rowDigests);

}  // namespace vandrel

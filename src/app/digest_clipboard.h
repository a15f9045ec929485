// Single digests between the results list and the clipboard: Ctrl+C copies
// the selected rows' digests, and Compare finds the rows whose digest is one
// that the user copied from elsewhere (a web page, a mail). Main thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// Ctrl+C in the list: the digests of the selected rows, one per line, hex
// only. Rows without a digest are left out; with none, the clipboard keeps
// what it held.
void CopySelectedDigests();

// Compare with copied checksum: selects every row whose digest is one of
// those on the clipboard, scrolls to the first and names them in a notice;
// otherwise says that none matched, that the clipboard holds no digest, or
// that nothing has been computed yet.
void CompareWithClipboard();

// The digests in `text`, lowercase, in order of appearance: the words made
// only of hex digits whose length is that of some digest the program makes
// (8 for CRC32 up to 128 for 512 bits). A word ends at anything other than a
// letter or a digit, so "sha256:" or "(md5)" around a digest do not matter,
// while a longer word that merely holds hex letters is no digest.
std::vector<std::string> HexDigestsIn(std::string_view text);

}  // namespace vandrel

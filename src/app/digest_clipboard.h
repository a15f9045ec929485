// Single digests between the results list and the clipboard: Ctrl+C copies
// the selected rows' digests, and Compare finds the rows whose digest is one
// that the user copied from elsewhere (a web page, a mail). Main thread only.
#pragma once

namespace vandrel {

// Ctrl+C in the list: the digests of the selected rows, one per line, hex
// only. Rows without a digest are left out; with none, the clipboard keeps
// what it held.
void CopySelectedDigests();

// Compare with copied checksum: looks for the rows' digests in the
// clipboard's text beside the window; the answer comes with the event
// kEventCompareFinished.
void CompareWithClipboard();
// Its answer: selects every row whose digest is one of those on the
// clipboard, scrolls to the first and names them in a notice; otherwise says
// that none matched, that the clipboard holds no digest, or that nothing has
// been computed yet.
void ShowComparison();

}  // namespace vandrel

// Where the signed part of a clearsigned list lies. gpg itself checks the
// block and gives back its signed text; this only finds the one block to
// hand it, and the lines outside it, which are never taken as signed.
// Pure text work.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::signature {

struct ClearsignedBlock {
  bool found = false;  // the text holds a "-----BEGIN PGP SIGNED MESSAGE-----" line
  // The first block: from its header line to the end of its first
  // "-----END PGP ..." line after "-----BEGIN PGP SIGNATURE-----" (the
  // text's end when there is none), as byte offsets.
  std::size_t begin = 0;
  std::size_t end = 0;
  // Inside the block, a line that starts like armour ("-----") other than
  // the header, the signature's start and its end. Signed text never holds
  // one (gpg escapes it as "- -----"), so the block is not handed on: gpg
  // might read a second message in it.
  bool strayArmour = false;
  // Lines outside the block that hold more than blanks, and the first one's
  // number (1-based).
  std::size_t unsignedLines = 0;
  std::size_t firstUnsignedLine = 0;
};

ClearsignedBlock FindClearsignedBlock(std::string_view text);

// Watches a text fed piece by piece for the line a clearsigned block starts
// with, keeping no more than the start of the current line: a list can be
// told apart from a clearsigned one without being held whole.
class ClearsignedHeaderScan {
 public:
  void feed(std::string_view piece);
  // After the last piece: a header line was seen (a last line without a
  // line feed counts).
  bool found() const;

 private:
  std::string line_;  // the current line so far, while it can still be one
  bool tooLong_ = false;
  bool found_ = false;
};

}  // namespace vandrel::signature

// The clearsigned block found line by line. Armour lines are compared
// without trailing blanks and carriage returns, as gpg compares them.
#include "signature/clearsigned.h"

#include <string_view>

namespace vandrel::signature {
namespace {

constexpr std::string_view kHeader = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr std::string_view kSignatureStart = "-----BEGIN PGP SIGNATURE-----";
constexpr std::string_view kArmourEnd = "-----END PGP ";
constexpr std::string_view kArmour = "-----";

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
    line.remove_suffix(1);
  }
  return line;
}

bool Blank(std::string_view line) { return Trimmed(line).empty(); }

// Longer lines are not looked at: a header with more trailing blanks than
// this is missed, and the list is then taken as one without a signature.
constexpr std::size_t kLongestHeaderLine = 1024;

enum class Part { Before, SignedText, Signature, After };

}  // namespace

ClearsignedBlock FindClearsignedBlock(std::string_view text) {
  ClearsignedBlock block;
  Part part = Part::Before;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t feed = text.find('\n', at);
    const std::size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
    const std::string_view line =
        text.substr(at, next - at - (feed == std::string_view::npos ? 0 : 1));
    const std::string_view trimmed = Trimmed(line);
    ++lineNumber;
    switch (part) {
      case Part::Before:
        if (trimmed == kHeader) {
          block.found = true;
          block.begin = at;
          part = Part::SignedText;
        }
        break;
      case Part::SignedText:
        if (trimmed == kSignatureStart) {
          part = Part::Signature;
        } else if (line.starts_with(kArmour)) {
          block.strayArmour = true;
        }
        break;
      case Part::Signature:
        if (line.starts_with(kArmourEnd)) {
          block.end = next;
          part = Part::After;
        } else if (line.starts_with(kArmour)) {
          block.strayArmour = true;
        }
        break;
      case Part::After:
        break;
    }
    const bool outside = part == Part::After ? at >= block.end : part == Part::Before;
    if (outside && !Blank(line)) {
      if (block.unsignedLines == 0) block.firstUnsignedLine = lineNumber;
      ++block.unsignedLines;
    }
    at = next;
  }
  if (part == Part::SignedText || part == Part::Signature) block.end = text.size();
  if (!block.found) block = ClearsignedBlock{};
  return block;
}

void ClearsignedHeaderScan::feed(std::string_view piece) {
  while (!found_ && !piece.empty()) {
    const std::size_t feed = piece.find('\n');
    const std::string_view part = piece.substr(0, feed);
    if (!tooLong_) {
      if (line_.size() + part.size() > kLongestHeaderLine) {
        tooLong_ = true;
        line_.clear();
      } else {
        line_.append(part);
      }
    }
    if (feed == std::string_view::npos) return;
    found_ = !tooLong_ && Trimmed(line_) == kHeader;
    line_.clear();
    tooLong_ = false;
    piece.remove_prefix(feed + 1);
  }
}

bool ClearsignedHeaderScan::found() const {
  return found_ || (!tooLong_ && Trimmed(line_) == kHeader);
}

}  // namespace vandrel::signature

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

}  // namespace vandrel::signature

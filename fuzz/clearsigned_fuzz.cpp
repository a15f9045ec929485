// libFuzzer target for finding a clearsigned list's block. The block must
// lie within the text and start at a header line; the lines counted as
// unsigned must be exactly the non-blank lines outside it, recounted here
// the simple way; a block without stray armour holds no armour-like line
// but its three; and the block found again on its own is the whole of it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "signature/clearsigned.h"

namespace sg = vandrel::signature;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Blank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const sg::ClearsignedBlock block = sg::FindClearsignedBlock(text);
  if (!block.found) {
    Check(block.begin == 0 && block.end == 0 && block.unsignedLines == 0);
    return 0;
  }
  Check(block.begin < block.end && block.end <= text.size());
  Check(block.begin == 0 || text[block.begin - 1] == '\n');
  Check(text.substr(block.begin).starts_with("-----BEGIN PGP SIGNED MESSAGE-----"));

  std::size_t outside = 0;
  std::size_t first = 0;
  std::size_t armourLines = 0;
  std::size_t number = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t feed = text.find('\n', at);
    const std::size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
    const std::string_view line = text.substr(at, std::min(feed, text.size()) - at);
    ++number;
    const bool inside = at >= block.begin && at < block.end;
    if (!inside && !Blank(line) && outside++ == 0) first = number;
    if (inside && line.starts_with("-----")) ++armourLines;
    at = next;
  }
  Check(block.unsignedLines == outside && block.firstUnsignedLine == first);
  Check(block.strayArmour || armourLines <= 3);

  const std::string_view alone = text.substr(block.begin, block.end - block.begin);
  const sg::ClearsignedBlock again = sg::FindClearsignedBlock(alone);
  Check(again.found && again.begin == 0 && again.end == alone.size() && again.unsignedLines == 0 &&
        again.strayArmour == block.strayArmour);
  return 0;
}

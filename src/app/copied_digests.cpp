// Matching copied text against the rows' digests.
#include "app/copied_digests.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "core/algorithm.h"

namespace vandrel {
namespace {

constexpr std::size_t kLongestHex = 128;

bool IsWordCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigestLength(std::size_t length) {
  return std::any_of(
      kDigestKindNames.begin(), kDigestKindNames.end(),
      [length](const DigestKindName& entry) { return entry.kind.hexLength() == length; });
}

// `word` in lowercase into `hex`; false when it holds a letter past "f".
bool LowercaseHex(std::string_view word, std::string& hex) {
  hex.clear();
  for (char c : word) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    hex += c;
  }
  return true;
}

}  // namespace

CopiedDigestMatch MatchCopiedDigests(std::string_view text,
                                     const std::vector<std::string>& rowDigests) {
  // Each distinct row digest, and whether the text holds it.
  std::unordered_map<std::string_view, bool> found;
  std::array<bool, kLongestHex + 1> wantedLength{};
  for (const std::string& digest : rowDigests) {
    if (digest.empty() || digest.size() > kLongestHex) continue;
    found.emplace(digest, false);
    wantedLength[digest.size()] = true;
  }
  CopiedDigestMatch match;
  std::string hex;
  hex.reserve(kLongestHex);
  std::size_t at = 0;
  while (at < text.size()) {
    if (!IsWordCharacter(text[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && IsWordCharacter(text[end])) ++end;
    const std::size_t length = end - at;
    if (length <= kLongestHex && IsDigestLength(length) &&
        LowercaseHex(text.substr(at, length), hex)) {
      match.anyDigest = true;
      if (wantedLength[length]) {
        if (auto it = found.find(hex); it != found.end()) it->second = true;
      }
    }
    at = end;
  }
  for (std::size_t row = 0; row < rowDigests.size(); ++row) {
    const auto it = found.find(rowDigests[row]);
    if (it != found.end() && it->second) match.rows.push_back(static_cast<int>(row));
  }
  return match;
}

}  // namespace vandrel

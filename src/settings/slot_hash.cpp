// The slot hash of the text table and the language catalogue, computed over
// UTF-16 code units although the texts are held as UTF-8.
#include "settings/slot_hash.h"

#include "settings/utf8.h"

namespace vandrel {

std::uint32_t SlotHashValue(std::string_view utf8) {
  std::uint32_t h = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = NextCodePoint(utf8, pos);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      h = h * 65599u + static_cast<std::uint32_t>(0xD800 + (v >> 10));
      h = h * 65599u + static_cast<std::uint32_t>(0xDC00 + (v & 0x3FF));
    } else {
      h = h * 65599u + static_cast<std::uint32_t>(c);
    }
  }
  return h;
}

}  // namespace vandrel

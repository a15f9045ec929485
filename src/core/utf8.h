// Decoding UTF-8 one code point at a time: the settings repair damaged
// text with it, and checksum lists escape the bytes of names that are not
// UTF-8. Header only, as all of core.
#pragma once

#include <cstddef>
#include <string_view>

namespace vandrel {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at `pos` and advances `pos` past it; an invalid
// byte gives U+FFFD and advances by one. `pos` must be below text.size().
inline char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  }
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return kReplacementCharacter;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacementCharacter;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++pos;
    return kReplacementCharacter;
  }
  pos += length;
  return value;
}

// Whether the code point NextCodePoint just read, from `start` to `pos`,
// is a byte that belongs to no well-formed sequence.
inline bool WasStrayByte(std::string_view text, std::size_t start, std::size_t pos) {
  return pos == start + 1 && static_cast<unsigned char>(text[start]) >= 0x80;
}

// Whether all of `text` is well-formed UTF-8.
inline bool IsUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    NextCodePoint(text, pos);
    if (WasStrayByte(text, start, pos)) return false;
  }
  return true;
}

}  // namespace vandrel

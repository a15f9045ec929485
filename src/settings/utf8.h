// UTF-8 helpers for the settings code: reading ISO-8859-1 and damaged UTF-8
// into well-formed UTF-8, and walking the code points of a text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Every byte is one ISO-8859-1 character.
std::string Latin1ToUtf8(std::string_view bytes);

// Well-formed sequences are kept; every byte that does not belong to one
// (stray continuation bytes, truncated or overlong sequences, surrogates,
// values past U+10FFFF) becomes U+FFFD.
std::string RepairUtf8(std::string_view bytes);

// Decodes the code point at `pos` and advances `pos` past it; an invalid
// byte gives U+FFFD and advances by one. `pos` must be below text.size().
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace vandrel

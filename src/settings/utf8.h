// UTF-8 helpers for the settings code: reading ISO-8859-1 and damaged UTF-8
// into well-formed UTF-8; walking code points is core/utf8.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/utf8.h"

namespace vandrel {

// Every byte is one ISO-8859-1 character.
std::string Latin1ToUtf8(std::string_view bytes);

// Well-formed sequences are kept; every byte that does not belong to one
// (stray continuation bytes, truncated or overlong sequences, surrogates,
// values past U+10FFFF) becomes U+FFFD.
std::string RepairUtf8(std::string_view bytes);

}  // namespace vandrel

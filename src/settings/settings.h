// The settings the program carries from one run to the next, typed as the
// program uses them. One record lives on the main thread; Preferences is the
// only code that turns it into the file's integers and back.
#pragma once

#include <cstdint>
#include <string>

#include "core/algorithm.h"
#include "core/ids.h"

namespace vandrel {

// The main window's inner size in pixels.
struct WindowSize {
  std::int32_t width = kMinimumWidth;
  std::int32_t height = kMinimumHeight;
  friend constexpr bool operator==(const WindowSize&, const WindowSize&) = default;
};

struct Settings {
  std::string Language;  // language code such as "en_GB"; empty until chosen
  // The chosen family and the chosen size option. `bits` keeps the size
  // option even while a family of one size is chosen, so a switch to MD5
  // and back to SHA2 finds the size as it was; outputBits() gives the real one.
  DigestKind digest{Algorithm::Crc32, kDigestSizes[0]};
  WindowSize window;
};

}  // namespace vandrel

// The five settings the program carries from one run to the next. One record
// lives on the main thread; Preferences reads and writes it, the shell uses it.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

struct Settings {
  std::string Language;          // language code such as "en_GB"; empty until chosen
  std::int32_t Fingerprint = 0;  // 0 CRC32, 1 MD5, 2 SHA1, 3 SHA2, 4 SHA3
  std::int32_t Bits = 0;         // 0 = 224, 1 = 256, 2 = 384, 3 = 512 bits
  std::int32_t WindowWidth = 840;
  std::int32_t WindowHeight = 600;
};

}  // namespace vandrel

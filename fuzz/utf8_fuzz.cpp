// Fuzzes the UTF-8 repair and the ISO-8859-1 conversion against the C
// library's own UTF-8 decoder (mbrtowc in the C.UTF-8 locale): repaired text
// is always well-formed, well-formed input comes back unchanged, and a
// converted byte decodes to the code point of the same number.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "settings/utf8.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The code points of text by the C library's decoder; false when it finds an
// invalid or truncated sequence. glibc still decodes the old five- and
// six-byte forms and values past U+10FFFF, which Unicode's UTF-8 excludes.
bool DecodeWithLibc(std::string_view text, std::vector<char32_t>& points) {
  points.clear();
  std::mbstate_t state{};
  std::size_t pos = 0;
  while (pos < text.size()) {
    wchar_t wide = 0;
    const std::size_t used = std::mbrtowc(&wide, text.data() + pos, text.size() - pos, &state);
    if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) return false;
    if (wide > 0x10FFFF || (wide >= 0xD800 && wide <= 0xDFFF)) return false;
    points.push_back(static_cast<char32_t>(wide));
    pos += used == 0 ? 1 : used;  // 0 means a NUL byte was read
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Check(std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<char32_t> points;

  const std::string repaired = vandrel::RepairUtf8(bytes);
  Check(DecodeWithLibc(repaired, points));
  Check(vandrel::RepairUtf8(repaired) == repaired);
  std::vector<char32_t> original;
  if (DecodeWithLibc(bytes, original)) Check(repaired == bytes);

  // NextCodePoint walks the repaired text to the same code points.
  std::size_t pos = 0;
  std::size_t index = 0;
  while (pos < repaired.size()) {
    const std::size_t before = pos;
    const char32_t point = vandrel::NextCodePoint(repaired, pos);
    Check(pos > before && index < points.size() && point == points[index]);
    ++index;
  }
  Check(index == points.size());

  const std::string latin = vandrel::Latin1ToUtf8(bytes);
  Check(DecodeWithLibc(latin, points));
  Check(points.size() == bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    Check(points[i] == static_cast<unsigned char>(bytes[i]));
  }
  return 0;
}

// libFuzzer target for the checksum-list reader. The first input byte picks
// the reader's options and the chunk size the rest is fed in; every
// accepted GNU, BSD or export line must also survive a trip through the
// writer and back, which catches escaping faults as well as memory faults.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "checksum_list/checksum_list.h"

namespace cl = vandrel::checksum_list;

namespace {

cl::WriteForm WriteFormOf(cl::LineForm form) {
  switch (form) {
    case cl::LineForm::Gnu:
      return cl::WriteForm::Gnu;
    case cl::LineForm::BsdTag:
      return cl::WriteForm::BsdTag;
    default:
      return cl::WriteForm::Export;
  }
}

void CheckRoundTrip(const cl::ListLine& line) {
  if (line.rejection != cl::Rejection::None || line.form == cl::LineForm::Sfv) return;
  // The window exports whole paths; a relative export name may begin like a
  // GNU line ("<hex> x,<hex>"), which the reader rightly takes as one.
  if (line.form == cl::LineForm::Export && line.name.front() != '/') return;
  const cl::WriteForm form = WriteFormOf(line.form);
  const std::optional<std::string> text =
      cl::FormatLine(form, line.kind, line.name, line.expectedHex, line.binary);
  if (!text || text->back() != '\n') __builtin_trap();
  const cl::ListLine again = cl::ParseLine(std::string_view(*text).substr(0, text->size() - 1),
                                           {std::nullopt, line.kind, false});
  if (again.rejection != cl::Rejection::None || again.name != line.name ||
      again.expectedHex != line.expectedHex || !(again.kind == line.kind)) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  cl::ReadOptions options;
  if (control & 1) options.forcedKind = vandrel::kDigestKindNames[(control >> 4) % 11].kind;
  if (control & 2) options.listKind = vandrel::kDigestKindNames[(control >> 3) % 11].kind;
  options.preferSfv = (control & 4) != 0;
  const std::size_t chunk = 1 + (control >> 5) * 97;

  std::size_t lastLine = 0;
  cl::ListReader reader(options, [&lastLine](const cl::ListLine& line) {
    if (line.lineNumber <= lastLine) __builtin_trap();
    lastLine = line.lineNumber;
    CheckRoundTrip(line);
  });
  for (std::size_t at = 0; at < text.size(); at += chunk) reader.feed(text.substr(at, chunk));
  reader.finish();
  return 0;
}

// The checksum-list writer: one line per file in GNU, BSD tagged or SFV
// form. GNU and BSD lines match coreutils 9's *sum tools byte for byte,
// including the leading backslash that marks an escaped name.
#include "checksum_list/checksum_list.h"
#include "core/utf8.h"

namespace vandrel::checksum_list {

bool NeedsEscape(std::string_view name) {
  return name.find_first_of("\\\n\r") != std::string_view::npos;
}

std::string EscapeName(std::string_view name, bool strayBytes) {
  std::string text;
  text.reserve(name.size() + 8);
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t start = pos;
    NextCodePoint(name, pos);
    if (strayBytes && WasStrayByte(name, start, pos)) {
      constexpr char kDigits[] = "0123456789abcdef";
      const auto byte = static_cast<unsigned char>(name[start]);
      text.append("\\x").append(1, kDigits[byte >> 4]).append(1, kDigits[byte & 15]);
      continue;
    }
    for (const char c : name.substr(start, pos - start)) {
      switch (c) {
        case '\\':
          text += "\\\\";
          break;
        case '\n':
          text += "\\n";
          break;
        case '\r':
          text += "\\r";
          break;
        default:
          text += c;
      }
    }
  }
  return text;
}

std::optional<std::string> FormatLine(WriteForm form, DigestKind kind, std::string_view name,
                                      std::string_view hex, bool binary) {
  std::string line;
  line.reserve(name.size() + hex.size() + 24);
  if (form == WriteForm::Sfv) {
    if (name.empty() || name.front() == ';' ||
        name.find_first_of("\n\r") != std::string_view::npos) {
      return std::nullopt;
    }
    line.append(name).append(" ").append(hex).append("\n");
    return line;
  }
  const bool utf8Only = form == WriteForm::ExportUtf8;
  const bool exported = form == WriteForm::Export || utf8Only;
  const bool escape =
      exported ? name.find_first_of("\\\n") != std::string_view::npos || (utf8Only && !IsUtf8(name))
               : NeedsEscape(name);
  if (escape) line += '\\';
  const std::string shown = escape ? EscapeName(name, utf8Only) : std::string(name);
  if (exported) {
    line.append(shown).append(",").append(hex);
  } else if (form == WriteForm::BsdTag) {
    line.append(NamesOf(kind).tag).append(" (").append(shown).append(") = ").append(hex);
  } else {
    line.append(hex).append(binary ? " *" : "  ").append(shown);
  }
  line += '\n';
  return line;
}

}  // namespace vandrel::checksum_list

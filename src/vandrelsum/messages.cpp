// Error lines on stderr and the shell-style quoting of names in them.
#include "vandrelsum/messages.h"

#include <cstdio>
#include <cstring>

namespace vandrel::sum {
namespace {

bool IsHarmless(unsigned char c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::strchr("+-./:@_,%=^", c) != nullptr && c != '\0';
}

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x7f; }

}  // namespace

std::string QuoteName(std::string_view name) {
  bool harmless = !name.empty();
  for (const char c : name) harmless = harmless && IsHarmless(static_cast<unsigned char>(c));
  if (harmless) return std::string(name);

  std::string text;
  bool in_quotes = false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsPrintable(byte) && byte != '\'') {
      if (!in_quotes) text += '\'';
      in_quotes = true;
      text += c;
      continue;
    }
    if (in_quotes) text += '\'';
    in_quotes = false;
    if (byte == '\'') {
      text += "\\'";
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "$'\\%03o'", byte);
      text += escape;
    }
  }
  if (in_quotes || text.empty()) text += '\'';
  if (name.empty()) text = "''";
  return text;
}

void Complain(std::string_view text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgramName.size()), kProgramName.data(),
               static_cast<int>(text.size()), text.data());
}

void ComplainAbout(std::string_view name, int error) {
  Complain(QuoteName(name) + ": " + std::strerror(error));
}

}  // namespace vandrel::sum

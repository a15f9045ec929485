// Error lines on stderr, the closing of the standard streams, and the
// quoting of names in messages, which follows coreutils' byte for byte
// (quirks included) so that the two tools' messages can be compared.
#include "vandrelsum/messages.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace vandrel::sum {
namespace {

// One character of a name: its bytes, and whether it must be written as a
// $'...' escape.
struct NameChar {
  std::string_view bytes;
  bool escaped = false;
};

std::vector<NameChar> SplitName(std::string_view name) {
  std::vector<NameChar> chars;
  std::mbstate_t state{};
  for (std::size_t at = 0; at < name.size();) {
    const auto byte = static_cast<unsigned char>(name[at]);
    if (byte < 0x80) {
      chars.push_back({name.substr(at, 1), byte < 0x20 || byte == 0x7f});
      ++at;
      continue;
    }
    wchar_t wide = 0;
    const std::size_t length = std::mbrtowc(&wide, name.data() + at, name.size() - at, &state);
    if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2) ||
        length == 0) {
      state = std::mbstate_t{};
      chars.push_back({name.substr(at, 1), true});
      ++at;
      continue;
    }
    chars.push_back({name.substr(at, length), !std::iswprint(static_cast<wint_t>(wide))});
    at += length;
  }
  return chars;
}

bool IsAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Characters a shell reads literally wherever they stand.
bool IsPlain(char c) { return IsAlnum(c) || std::strchr("%+,-./@]_", c) != nullptr; }

bool LeftUnquoted(const std::vector<NameChar>& chars) {
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const NameChar& ch = chars[i];
    if (ch.escaped) return false;
    if (ch.bytes.size() > 1) continue;
    const char c = ch.bytes[0];
    if (IsPlain(c)) continue;
    if ((c == '#' || c == '~') && i > 0) continue;
    if ((c == '{' || c == '}') && chars.size() > 1) continue;
    return false;
  }
  return true;
}

// Only a single quote calls for double quotes, and only among characters
// that mean nothing inside them.
bool FitsDoubleQuotes(const std::vector<NameChar>& chars) {
  bool quote = false;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const NameChar& ch = chars[i];
    if (ch.escaped) return false;
    if (ch.bytes.size() > 1) continue;
    const char c = ch.bytes[0];
    if (c == '\'') {
      quote = true;
    } else if (!IsPlain(c) && c != ' ' && c != ':' && !((c == '#' || c == '~') && i == 0)) {
      return false;
    }
  }
  return quote;
}

void AppendEscape(std::string& text, std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const char* named = nullptr;
    switch (byte) {
      case '\a':
        named = "\\a";
        break;
      case '\b':
        named = "\\b";
        break;
      case '\t':
        named = "\\t";
        break;
      case '\n':
        named = "\\n";
        break;
      case '\v':
        named = "\\v";
        break;
      case '\f':
        named = "\\f";
        break;
      case '\r':
        named = "\\r";
        break;
      default:
        break;
    }
    if (named) {
      text += named;
    } else {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      text += octal;
    }
  }
}

// Single quotes, a quote inside as '\'' (or \' between escapes), and each
// run of escaped characters as one $'...' piece between quoted runs.
std::string SingleQuoted(const std::vector<NameChar>& chars) {
  std::string text = "'";
  bool quoted = true;
  bool inEscape = false;
  for (const NameChar& ch : chars) {
    if (ch.escaped) {
      if (!inEscape) {
        if (quoted) text += '\'';
        text += "$'";
        quoted = false;
        inEscape = true;
      }
      AppendEscape(text, ch.bytes);
      continue;
    }
    if (inEscape) {
      text += '\'';
      inEscape = false;
    }
    if (ch.bytes == "'") {
      text += quoted ? "'\\''" : "\\''";
    } else {
      if (!quoted) text += '\'';
      text += ch.bytes;
    }
    quoted = true;
  }
  if (inEscape || quoted) text += '\'';
  return text;
}

}  // namespace

std::string QuoteName(std::string_view name) {
  if (name.empty()) return "''";
  const std::vector<NameChar> chars = SplitName(name);
  if (LeftUnquoted(chars)) return std::string(name);
  if (FitsDoubleQuotes(chars)) {
    // Appended piece by piece: GCC 12 misreads the concatenation under
    // fortify as an overlapping copy.
    std::string text(1, '"');
    text.append(name).push_back('"');
    return text;
  }
  std::string text = SingleQuoted(chars);
  // coreutils' own oddity, kept so that messages compare equal: a name that
  // holds a single quote and ends in an escaped character gains a leading
  // '' when it starts with a plain character, and loses the leading ''$
  // when it starts with an escaped one.
  bool quote = false;
  for (const NameChar& ch : chars) quote = quote || ch.bytes == "'";
  if (quote && chars.back().escaped) {
    if (chars.front().escaped) {
      text.erase(0, 3);
    } else if (chars.front().bytes != "'") {
      text.insert(0, "''");
    }
  }
  return text;
}

std::string ListName(const std::string& list) { return list == "-" ? "standard input" : list; }

void Complain(std::string_view text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgramName.size()), kProgramName.data(),
               static_cast<int>(text.size()), text.data());
}

void ComplainAbout(std::string_view name, int error) {
  Complain(QuoteName(name) + ": " + std::strerror(error));
}

int ConcludeOutput(bool ok) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return ok ? 0 : 1;
  // A full disk or a closed pipe is the stream's trouble and has been met
  // already; a descriptor that was never open shows when it is closed.
  const int closeError = ::close(STDOUT_FILENO) == 0 ? 0 : errno;
  Complain(closeError ? std::string("write error: ") + std::strerror(closeError) : "write error");
  return 1;
}

bool CloseStandardInput() {
  if (::close(STDIN_FILENO) == 0) return true;
  Complain(std::string("standard input: ") + std::strerror(errno));
  return false;
}

}  // namespace vandrel::sum

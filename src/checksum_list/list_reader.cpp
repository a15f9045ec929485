// The checksum-list reader: splits input into bounded lines and reads each
// as a BSD tagged, GNU, export or SFV line. The GNU rules follow coreutils'
// *sum -c so that a list those tools accept is read the same way here.
#include <algorithm>
#include <cstring>
#include <utility>

#include "checksum_list/checksum_list.h"

namespace vandrel::checksum_list {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::size_t HexRun(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsHexDigit(text[end])) ++end;
  return end - from;
}

bool AllHex(std::string_view text) { return HexRun(text, 0) == text.size(); }

std::string Lowercase(std::string_view hex) {
  std::string text(hex);
  for (char& c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// An untagged digest of this length is taken as the coreutils algorithm of
// that length; SHA-3 needs a tag, a list extension or the user's choice.
std::optional<DigestKind> KindFromHexLength(std::size_t length) {
  for (std::string_view name : {"crc32", "md5", "sha1", "sha224", "sha256", "sha384", "sha512"}) {
    const std::optional<DigestKind> kind = FindDigestKindByName(name);
    if (kind && kind->hexLength() == length) return kind;
  }
  return std::nullopt;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Undoes EscapeName; `hexBytes` takes \xHH too, as the export's UTF-8 form
// writes it.
bool Unescape(std::string_view text, bool hexBytes, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 'x': {
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (!hexBytes || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

// Picks the algorithm of an untagged digest of `length` hex digits; the
// user's choice wins over the list's name, which wins over the length.
std::optional<DigestKind> UntaggedKind(std::size_t length, const ReadOptions& options,
                                       Rejection& reason) {
  const std::optional<DigestKind> wanted =
      options.forcedKind ? options.forcedKind : options.listKind;
  if (!wanted) {
    const std::optional<DigestKind> kind = KindFromHexLength(length);
    if (!kind) reason = std::max(reason, Rejection::WrongLength);
    return kind;
  }
  if (wanted->hexLength() != length) {
    reason = std::max(reason, Rejection::WrongLength);
    return std::nullopt;
  }
  return wanted;
}

bool Finish(ListLine& line, std::string_view hex, DigestKind kind, std::string_view name,
            bool escaped, Rejection& reason) {
  if (name.empty()) return false;
  if (escaped) {
    if (!Unescape(name, line.form == LineForm::Export, line.name)) {
      reason = std::max(reason, Rejection::BadEscape);
      return false;
    }
  } else {
    line.name.assign(name);
  }
  line.expectedHex = Lowercase(hex);
  line.kind = kind;
  line.rejection = Rejection::None;
  return true;
}

// "TAG (name) = hex", the name ending at the last ")" of the line.
bool ReadTagged(std::string_view text, std::size_t at, bool escaped, const ReadOptions& options,
                ListLine& line, Rejection& reason) {
  std::size_t tagEnd = at;
  while (tagEnd < text.size() && text[tagEnd] != ' ' && text[tagEnd] != '(') ++tagEnd;
  const std::optional<DigestKind> kind = FindDigestKindByTag(text.substr(at, tagEnd - at));
  if (!kind) return false;
  std::size_t i = tagEnd;
  if (i < text.size() && text[i] == ' ') ++i;
  if (i >= text.size() || text[i] != '(') return false;
  const std::size_t nameStart = i + 1;
  const std::size_t close = text.rfind(')');
  if (close == std::string_view::npos || close < nameStart) return false;
  i = close + 1;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i >= text.size() || text[i] != '=') return false;
  ++i;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const std::string_view hex = text.substr(i);
  if (!AllHex(hex) || hex.size() != kind->hexLength() ||
      (options.forcedKind && *options.forcedKind != *kind)) {
    reason = std::max(reason, Rejection::WrongLength);
    return false;
  }
  line.form = LineForm::BsdTag;
  return Finish(line, hex, *kind, text.substr(nameStart, close - nameStart), escaped, reason);
}

// "hex  name", "hex *name", or with GNU's one-space variant "hex name".
bool ReadGnu(std::string_view text, std::size_t at, bool escaped, const ReadOptions& options,
             int* singleSpaceForm, ListLine& line, Rejection& reason) {
  const std::size_t digits = HexRun(text, at);
  std::size_t i = at + digits;
  if (digits == 0 || i >= text.size() || !IsBlank(text[i])) return false;
  const std::optional<DigestKind> kind = UntaggedKind(digits, options, reason);
  if (!kind) return false;
  ++i;
  bool binary = false;
  const bool oneSpace = text.size() - i <= 1 || (text[i] != ' ' && text[i] != '*');
  if (oneSpace) {
    if (singleSpaceForm != nullptr && *singleSpaceForm == 0) return false;
  } else if (singleSpaceForm == nullptr || *singleSpaceForm != 1) {
    binary = text[i] == '*';
    ++i;
  }
  line.form = LineForm::Gnu;
  if (!Finish(line, text.substr(at, digits), *kind, text.substr(i), escaped, reason)) return false;
  line.binary = binary;
  if (singleSpaceForm != nullptr && (oneSpace || *singleSpaceForm != 1)) {
    *singleSpaceForm = oneSpace ? 1 : 0;
  }
  return true;
}

// "path,hex", split at the last comma; an escaped line ("\\path,hex", the
// backslash already skipped) as the window writes a name holding a
// backslash or a line feed, or, on the clipboard, one that is not UTF-8.
bool ReadExport(std::string_view text, bool escaped, const ReadOptions& options, ListLine& line,
                Rejection& reason) {
  const std::size_t comma = text.rfind(',');
  if (comma == std::string_view::npos || comma == 0) return false;
  const std::string_view hex = text.substr(comma + 1);
  if (hex.empty() || !AllHex(hex)) return false;
  const std::optional<DigestKind> kind = UntaggedKind(hex.size(), options, reason);
  if (!kind) return false;
  line.form = LineForm::Export;
  return Finish(line, hex, *kind, text.substr(0, comma), escaped, reason);
}

// "name crc32": the last blank-separated word is the CRC.
bool ReadSfv(std::string_view text, const ReadOptions& options, ListLine& line, Rejection& reason) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  std::size_t start = end;
  while (start > 0 && !IsBlank(text[start - 1])) --start;
  const std::string_view hex = text.substr(start, end - start);
  if (hex.size() != 8 || !AllHex(hex) || start == 0) return false;
  const DigestKind crc32 = *FindDigestKindByName("crc32");
  const std::optional<DigestKind> wanted =
      options.forcedKind ? options.forcedKind : options.listKind;
  if (wanted && *wanted != crc32) {
    reason = std::max(reason, Rejection::WrongLength);
    return false;
  }
  std::size_t nameEnd = start;
  while (nameEnd > 0 && IsBlank(text[nameEnd - 1])) --nameEnd;
  std::size_t nameStart = 0;
  while (nameStart < nameEnd && IsBlank(text[nameStart])) ++nameStart;
  line.form = LineForm::Sfv;
  return Finish(line, hex, crc32, text.substr(nameStart, nameEnd - nameStart), false, reason);
}

ListLine ParseWithState(std::string_view text, const ReadOptions& options, std::size_t lineNumber,
                        int* singleSpaceForm) {
  ListLine line;
  line.lineNumber = lineNumber;
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  // A NUL is read as any other byte, so that a checksum line whose name holds
  // one is known as such (it names no file that can exist) and is not
  // mistaken for a malformed line.
  const bool holdsNul = text.find('\0') != std::string_view::npos;
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  const bool escaped = at < text.size() && text[at] == '\\';
  if (escaped) ++at;

  Rejection reason = Rejection::Malformed;
  if (ReadTagged(text, at, escaped, options, line, reason) ||
      (options.preferSfv && ReadSfv(text, options, line, reason)) ||
      ReadGnu(text, at, escaped, options, singleSpaceForm, line, reason) ||
      ReadExport(escaped ? text.substr(at) : text, escaped, options, line, reason) ||
      (!options.preferSfv && ReadSfv(text, options, line, reason))) {
    if (holdsNul) line.rejection = Rejection::NulByte;
    return line;
  }
  line = ListLine{};
  line.lineNumber = lineNumber;
  line.rejection = holdsNul ? Rejection::NulByte : reason;
  return line;
}

}  // namespace

ListLine ParseLine(std::string_view line, const ReadOptions& options, std::size_t lineNumber) {
  return ParseWithState(line, options, lineNumber, nullptr);
}

ListReader::ListReader(ReadOptions options, Sink sink)
    : options_(std::move(options)), sink_(std::move(sink)) {}

void ListReader::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    const std::size_t take =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
              : bytes.size();
    const std::string_view piece = bytes.substr(0, take);
    const std::size_t room = kMaxLineBytes - pending_.size();
    pending_.append(piece.substr(0, room));
    if (piece.size() > room) {
      overlong_ = true;
      // Only the end of the rest is kept: where tagged and SFV lines put
      // their digest.
      tail_.append(piece.substr(room));
      if (tail_.size() > kOverlongTailBytes) tail_.erase(0, tail_.size() - kOverlongTailBytes);
    }
    if (!found) return;
    bytes.remove_prefix(take + 1);
    ++lineNumber_;
    if (overlong_) {
      takeOverlongLine();
      overlong_ = false;
      tail_.clear();
    } else {
      takeLine(pending_);
    }
    pending_.clear();
  }
}

// A line past the cap is refused; when its start and end still read as a
// checksum line, the start of its name goes with the refusal, since such a
// line names a file no system can open, which is not a malformed line.
void ListReader::takeOverlongLine() {
  const std::string joined = pending_ + tail_;
  ListLine line = ParseWithState(joined, options_, lineNumber_, nullptr);
  if (line.name.size() > tail_.size()) {
    line.name.resize(line.name.size() - tail_.size());
  } else {
    line = ListLine{};
    line.lineNumber = lineNumber_;
  }
  line.rejection = Rejection::TooLong;
  sink_(line);
}

void ListReader::finish() {
  if (pending_.empty() && !overlong_) return;
  // A last line without its line feed counts like any other.
  feed("\n");
}

void ListReader::takeLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() == '#' || line.front() == ';') return;
  sink_(ParseWithState(line, options_, lineNumber_, &singleSpaceForm_));
}

ListNameHint KindFromListName(std::string_view path) {
  ListNameHint hint;
  const std::size_t slash = path.rfind('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return hint;
  std::string extension(base.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (extension == "sfv") {
    hint.kind = FindDigestKindByName("crc32");
    hint.sfv = true;
  } else {
    hint.kind = FindDigestKindByName(extension);
  }
  return hint;
}

}  // namespace vandrel::checksum_list

// Checksum lists, read and written: GNU lines ("hex  name", "hex *name",
// backslash-escaped names), BSD tagged lines ("SHA256 (name) = hex"), SFV
// ("name crc32", ";" comments) and the window's own export ("path,hex").
// Pure text work: no files are opened here and nothing is printed, so the
// command-line tool and the window share it and decide their own policy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/algorithm.h"

namespace vandrel::checksum_list {

// Longest line the reader looks at; longer ones are rejected whole, without
// being kept in memory, so a hostile list cannot grow the reader.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

enum class LineForm { Gnu, BsdTag, Sfv, Export };

enum class Rejection {
  None,
  Malformed,    // no known form fits the line
  BadEscape,    // escaped name with a backslash sequence other than \\ \n \r
                // (and, in the export, \xHH)
  WrongLength,  // digest length does not fit the list's algorithm
  NulByte,      // the line holds a NUL byte
  TooLong,      // longer than kMaxLineBytes
};

// Bytes kept from the end of a line longer than kMaxLineBytes.
inline constexpr std::size_t kOverlongTailBytes = 256;

// One line of a list that is neither blank nor a comment.
struct ListLine {
  std::size_t lineNumber = 0;  // 1-based
  Rejection rejection = Rejection::None;
  LineForm form = LineForm::Gnu;
  // Raw bytes, escapes undone. Also kept for a NulByte or TooLong line that
  // otherwise reads as a checksum line: then it holds the NUL, or only the
  // start of the name.
  std::string name;
  std::string expectedHex;  // lowercase
  DigestKind kind;          // valid when rejection == None
  bool binary = false;      // GNU "*name"
};

struct ReadOptions {
  // Algorithm chosen by the user: every line must be of it.
  std::optional<DigestKind> forcedKind;
  // Algorithm implied by the list's file name (KindFromListName); lines
  // without a tag must be of it.
  std::optional<DigestKind> listKind;
  // Try SFV before GNU ("deadbeef 12345678" is read as SFV).
  bool preferSfv = false;
};

// What the list's extension says: ".sha256" gives SHA-256, ".sfv" CRC32 in
// SFV form, ".sha3-256" SHA3-256; nothing for any other name.
struct ListNameHint {
  std::optional<DigestKind> kind;
  bool sfv = false;
};
ListNameHint KindFromListName(std::string_view path);

// Reads a list in chunks of any size and hands each complete line that is
// not blank or a comment to `sink`, in order. Memory stays bounded by
// kMaxLineBytes whatever the input. GNU's rule that one list may not mix
// "hex name" with "hex  name" lines is kept per reader.
class ListReader {
 public:
  using Sink = std::function<void(const ListLine&)>;
  ListReader(ReadOptions options, Sink sink);

  void feed(std::string_view bytes);
  // Ends the input; a last line without a line feed is read here.
  void finish();

 private:
  void takeLine(std::string_view line);
  void takeOverlongLine();

  ReadOptions options_;
  Sink sink_;
  std::string pending_;
  std::string tail_;  // the last bytes of an overlong line
  bool overlong_ = false;
  std::size_t lineNumber_ = 0;
  int singleSpaceForm_ = -1;  // unknown, 0 = two-character separator, 1 = one space
};

// Parses one line (no line feed) on its own, without the mixed-form rule.
ListLine ParseLine(std::string_view line, const ReadOptions& options, std::size_t lineNumber = 1);

// The forms the writer makes. ExportUtf8 is the export for a place that
// takes only UTF-8 (the clipboard): a name that is not UTF-8 is escaped too,
// each byte outside a well-formed sequence written as \xHH.
enum class WriteForm { Gnu, BsdTag, Sfv, Export, ExportUtf8 };

// Whether GNU and BSD lines must escape `name`: it holds a backslash, a line
// feed or a carriage return.
bool NeedsEscape(std::string_view name);
// `name` with \ as \\, line feed as \n and carriage return as \r; with
// `strayBytes`, each byte outside a well-formed UTF-8 sequence as \xHH.
std::string EscapeName(std::string_view name, bool strayBytes = false);

// One line of a list, ending in a line feed, as coreutils' *sum tools write
// it: names that need it escaped and the line then prefixed with "\". SFV
// cannot carry a line feed, a carriage return or a leading ";", so such a
// name gives nothing. The export ("name,hex", `kind` unused, `hex` may be
// empty) escapes only a name holding a backslash or a line feed, the form
// the window has always written; the reader reads it back either way.
std::optional<std::string> FormatLine(WriteForm form, DigestKind kind, std::string_view name,
                                      std::string_view hex, bool binary = false);

}  // namespace vandrel::checksum_list

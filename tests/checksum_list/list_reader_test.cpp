// Tests of the checksum-list reader: which form and algorithm each kind of
// line is read as, the escape rules, the rejections, GNU's rule against
// mixing separators, and the bounds on hostile input. The expected readings
// follow what coreutils 9.1's sha256sum -c does with the same lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checksum_list/checksum_list.h"
#include "testing/list_parsing.h"

namespace vandrel::checksum_list {
namespace {

const std::string H8 = "e8b7be43";
const std::string H32(32, 'c');
const std::string H40(40, 'd');
const std::string H56(56, 'e');
const std::string H64 = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";
const std::string H96(96, '9');
const std::string H128(128, '1');

DigestKind Kind(std::string_view name) { return *FindDigestKindByName(name); }

struct LineCase {
  std::string line;
  ReadOptions options;
  Rejection rejection;
  LineForm form;
  std::string name;
  std::string hex;
  const char* kind;
  bool binary;
};

ReadOptions Forced(const char* name) { return {Kind(name), std::nullopt, false}; }
ReadOptions Listed(const char* name, bool sfv = false) { return {std::nullopt, Kind(name), sfv}; }

std::vector<LineCase> LineCases() {
  const Rejection ok = Rejection::None;
  const LineForm gnu = LineForm::Gnu, bsd = LineForm::BsdTag, sfv = LineForm::Sfv;
  return {
      // GNU lines and their separators.
      {H64 + "  name", {}, ok, gnu, "name", H64, "sha256", false},
      {H64 + " *name", {}, ok, gnu, "name", H64, "sha256", true},
      {H64 + " name", {}, ok, gnu, "name", H64, "sha256", false},
      {H64 + "\tname", {}, ok, gnu, "name", H64, "sha256", false},
      {"  " + H64 + "  name", {}, ok, gnu, "name", H64, "sha256", false},
      {H64 + "  name ", {}, ok, gnu, "name ", H64, "sha256", false},
      {H64 + "   name", {}, ok, gnu, " name", H64, "sha256", false},
      {H64 + "  a b\tc", {}, ok, gnu, "a b\tc", H64, "sha256", false},
      {H64 + "  name\r", {}, ok, gnu, "name", H64, "sha256", false},
      // Escaped names: only \\ \n \r, and only after a leading backslash.
      {"\\" + H64 + "  a\\\\b", {}, ok, gnu, "a\\b", H64, "sha256", false},
      {"\\" + H64 + "  c\\nd", {}, ok, gnu, "c\nd", H64, "sha256", false},
      {"\\" + H64 + "  e\\rf", {}, ok, gnu, "e\rf", H64, "sha256", false},
      {H64 + "  a\\\\b", {}, ok, gnu, "a\\\\b", H64, "sha256", false},
      {"\\" + H64 + "  \\f", {}, Rejection::BadEscape, gnu, "", "", nullptr, false},
      {"\\" + H64 + "  f\\", {}, Rejection::BadEscape, gnu, "", "", nullptr, false},
      // The algorithm from the digest's length, and hex case.
      {H8 + "  x", {}, ok, gnu, "x", H8, "crc32", false},
      {H32 + "  x", {}, ok, gnu, "x", H32, "md5", false},
      {H40 + "  x", {}, ok, gnu, "x", H40, "sha1", false},
      {H56 + "  x", {}, ok, gnu, "x", H56, "sha224", false},
      {H96 + "  x", {}, ok, gnu, "x", H96, "sha384", false},
      {H128 + "  x", {}, ok, gnu, "x", H128, "sha512", false},
      {"CA978112CA1BBDCAFAC231B39A23DC4DA786EFF8147C4E72B9807785AFEE48BB  x",
       {},
       ok,
       gnu,
       "x",
       H64,
       "sha256",
       false},
      {H64.substr(1) + "  x", {}, Rejection::WrongLength, gnu, "", "", nullptr, false},
      // BSD tagged lines; the name ends at the last ")".
      {"SHA256 (name) = " + H64, {}, ok, bsd, "name", H64, "sha256", false},
      {"SHA3-256 (a (b) c) = " + H64, {}, ok, bsd, "a (b) c", H64, "sha3-256", false},
      {"\\SHA256 (a\\nb) = " + H64, {}, ok, bsd, "a\nb", H64, "sha256", false},
      {"SHA256(f)= " + H64, {}, ok, bsd, "f", H64, "sha256", false},
      {"SHA256 (f)=" + H64, {}, ok, bsd, "f", H64, "sha256", false},
      {"MD5 (f) = " + H32, {}, ok, bsd, "f", H32, "md5", false},
      {"CRC32 (f) = " + H8, {}, ok, bsd, "f", H8, "crc32", false},
      {"SHA512 (f) = " + H128, {}, ok, bsd, "f", H128, "sha512", false},
      {"SHA256 (f) = " + H32, {}, Rejection::WrongLength, bsd, "", "", nullptr, false},
      {"SHA256 (f) = " + H64 + " ", {}, Rejection::WrongLength, bsd, "", "", nullptr, false},
      // SFV and the window's export.
      {"file.bin " + H8, {}, ok, sfv, "file.bin", H8, "crc32", false},
      {"my file.bin   " + H8 + "  ", {}, ok, sfv, "my file.bin", H8, "crc32", false},
      {"/home/u/a,b.iso," + H64, {}, ok, LineForm::Export, "/home/u/a,b.iso", H64, "sha256", false},
      {"C:\\x.bin," + H32, {}, ok, LineForm::Export, "C:\\x.bin", H32, "md5", false},
      // Lines nothing fits.
      {"garbage line", {}, Rejection::Malformed, gnu, "", "", nullptr, false},
      {H64, {}, Rejection::Malformed, gnu, "", "", nullptr, false},
      {H64 + "  ", {}, ok, gnu, " ", H64, "sha256", false},
      {H64 + " ", {}, Rejection::Malformed, gnu, "", "", nullptr, false},
      {"SHA256 (f = " + H64, {}, Rejection::Malformed, gnu, "", "", nullptr, false},
      {"   ", {}, Rejection::Malformed, gnu, "", "", nullptr, false},
      {H64 + "  a" + std::string(1, '\0') + "b",
       {},
       Rejection::NulByte,
       gnu,
       "",
       "",
       nullptr,
       false},
      // The user's algorithm and the list's extension.
      {H64 + "  x", Forced("md5"), Rejection::WrongLength, gnu, "", "", nullptr, false},
      {H64 + "  x", Forced("sha3-256"), ok, gnu, "x", H64, "sha3-256", false},
      {"MD5 (x) = " + H32, Forced("sha256"), Rejection::WrongLength, bsd, "", "", nullptr, false},
      {H64 + "  x", Listed("sha3-256"), ok, gnu, "x", H64, "sha3-256", false},
      {"SHA256 (x) = " + H64, Listed("sha3-256"), ok, bsd, "x", H64, "sha256", false},
      {"x " + H8, Listed("md5"), Rejection::WrongLength, gnu, "", "", nullptr, false},
      {"deadbeef 12345678", Listed("crc32", true), ok, sfv, "deadbeef", "12345678", "crc32", false},
      {"deadbeef 12345678", {}, ok, gnu, "12345678", "deadbeef", "crc32", false},
  };
}

TEST(ListReaderTest, ReadsEachKindOfLineAsCoreutilsDoes) {
  for (const LineCase& c : LineCases()) {
    SCOPED_TRACE(c.line);
    const ListLine line = ParseLine(c.line, c.options, 7);
    EXPECT_EQ(line.lineNumber, 7u);
    ASSERT_EQ(line.rejection, c.rejection);
    if (c.rejection != Rejection::None) continue;
    EXPECT_EQ(line.form, c.form);
    EXPECT_EQ(line.name, c.name);
    EXPECT_EQ(line.expectedHex, c.hex);
    EXPECT_EQ(line.kind, Kind(c.kind));
    EXPECT_EQ(line.binary, c.binary);
  }
}

struct ListCase {
  const char* label;
  std::string text;
  // Per reported line: its number and name, or "!" for a rejected line.
  std::vector<std::pair<std::size_t, std::string>> expected;
};

std::vector<ListCase> ListCases() {
  return {
      {"skips blank lines and both comment styles, counting them",
       "# made by hand\n\n" + H64 + "  a\r\n; sfv comment\n\r\n" + H64 + "  b",
       {{3, "a"}, {6, "b"}}},
      {"one-space form first: later lines keep their spaces in the name",
       H64 + " a\n" + H64 + "  b\n" + H64 + " *c\n",
       {{1, "a"}, {2, " b"}, {3, "*c"}}},
      {"two-character form first: a one-space line is refused",
       H64 + "  a\n" + H64 + " b\n" + H64 + " *c\n",
       {{1, "a"}, {2, "!"}, {3, "c"}}},
      {"mixed forms in one list",
       "SHA256 (a) = " + H64 + "\nx " + H8 + "\n/p/q," + H32 + "\n",
       {{1, "a"}, {2, "x"}, {3, "/p/q"}}},
  };
}

std::vector<std::pair<std::size_t, std::string>> Summary(const std::vector<ListLine>& lines) {
  std::vector<std::pair<std::size_t, std::string>> summary;
  for (const ListLine& line : lines) {
    summary.emplace_back(line.lineNumber, line.rejection == Rejection::None ? line.name : "!");
  }
  return summary;
}

TEST(ListReaderTest, ReadsWholeListsWithCommentsAndTheMixedFormRule) {
  for (const ListCase& c : ListCases()) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Summary(ParseList(c.text)), c.expected);
  }
}

TEST(ListReaderTest, GivesTheSameLinesWhateverTheChunkSize) {
  std::string text;
  for (const ListCase& c : ListCases()) text += c.text + "\n";
  text += std::string(kMaxLineBytes + 5, 'x') + "\n" + H64 + "  after\n";
  const auto whole = Summary(ParseList(text));
  for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
    std::vector<ListLine> lines;
    ListReader reader({}, [&lines](const ListLine& line) { lines.push_back(line); });
    for (std::size_t at = 0; at < text.size(); at += chunk) {
      reader.feed(std::string_view(text).substr(at, chunk));
    }
    reader.finish();
    EXPECT_EQ(Summary(lines), whole) << "chunk " << chunk;
  }
}

TEST(ListReaderTest, RefusesHostileInputLineByLineAndGoesOn) {
  std::string text = std::string(10 * 1024 * 1024, 'z') + "\n";  // one 10 MB line
  text += std::string("bin\0ary\xff\n", 9);
  text += H64 + "  kept\n";
  text += std::string(kMaxLineBytes + 1, 'q');  // overlong, no final line feed
  const std::vector<ListLine> lines = ParseList(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rejection, Rejection::TooLong);
  EXPECT_EQ(lines[1].rejection, Rejection::NulByte);
  EXPECT_EQ(lines[2].rejection, Rejection::None);
  EXPECT_EQ(lines[2].lineNumber, 3u);
  EXPECT_EQ(lines[3].rejection, Rejection::TooLong);
  EXPECT_EQ(lines[3].lineNumber, 4u);
}

// A checksum line naming what no file can be named (a NUL inside, a name
// past the cap) keeps the name, or its start, with its refusal, so a checker
// can fail it as a file that cannot be opened; junk keeps nothing.
TEST(ListReaderTest, KeepsTheNamesOfChecksumLinesNoFileCanHave) {
  using namespace std::string_literals;
  const std::string longName(kMaxLineBytes + 5000, 'z');
  struct Case {
    const char* label;
    std::string line;
    Rejection rejection;
    std::string name;  // for overlong lines: a start of the name, at least 60 KiB
  };
  const Case cases[] = {
      {"NUL in a GNU name", H64 + "  pla\0in"s, Rejection::NulByte, "pla\0in"s},
      {"NUL in a tagged name", "SHA256 (pl\0ain) = "s + H64, Rejection::NulByte, "pl\0ain"s},
      {"NUL first in the name", H64 + "  \0x"s, Rejection::NulByte, "\0x"s},
      {"NUL in the digest", H64 + "\0  plain"s, Rejection::NulByte, ""},
      {"NULs alone", "\0\0\0"s, Rejection::NulByte, ""},
      {"overlong GNU line", H64 + "  " + longName, Rejection::TooLong, longName},
      {"overlong tagged line", "SHA256 (" + longName + ") = " + H64, Rejection::TooLong, longName},
      {"overlong junk", longName + " " + H64, Rejection::TooLong, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::vector<ListLine> lines = ParseList(c.line + "\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rejection, c.rejection);
    if (c.rejection == Rejection::TooLong && !c.name.empty()) {
      EXPECT_GE(lines[0].name.size(), 60u * 1024);
      EXPECT_LE(lines[0].name.size(), kMaxLineBytes);
      EXPECT_EQ(c.name.compare(0, lines[0].name.size(), lines[0].name), 0);
    } else {
      EXPECT_EQ(lines[0].name, c.name);
    }
  }
}

TEST(ListReaderTest, CountsMillionsOfLines) {
  std::string text;
  for (int i = 0; i < 3'000'000; ++i) text += "x\n";
  std::size_t rejected = 0, last = 0;
  ListReader reader({}, [&](const ListLine& line) {
    rejected += line.rejection == Rejection::Malformed;
    last = line.lineNumber;
  });
  reader.feed(text);
  reader.finish();
  EXPECT_EQ(rejected, 3'000'000u);
  EXPECT_EQ(last, 3'000'000u);
}

TEST(ListReaderTest, TakesTheAlgorithmFromTheListsExtension) {
  struct NameCase {
    const char* path;
    const char* kind;  // nullptr: no hint
    bool sfv;
  };
  const NameCase cases[] = {
      {"SHA256SUMS", nullptr, false},
      {"x.md5", "md5", false},
      {"dir.v2/x.SHA256", "sha256", false},
      {"a.sha3-512", "sha3-512", false},
      {"a.sha1", "sha1", false},
      {"a.sha224", "sha224", false},
      {"a.sfv", "crc32", true},
      {"/x/.md5", nullptr, false},
      {"a.txt", nullptr, false},
      {"dir.md5/list", nullptr, false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.path);
    const ListNameHint hint = KindFromListName(c.path);
    EXPECT_EQ(hint.kind.has_value(), c.kind != nullptr);
    if (c.kind != nullptr && hint.kind) {
      EXPECT_EQ(*hint.kind, Kind(c.kind));
    }
    EXPECT_EQ(hint.sfv, c.sfv);
  }
}

}  // namespace
}  // namespace vandrel::checksum_list

// Tests of the checksum-list writer: the exact bytes of each form, with the
// escaping coreutils 9.1 applies (backslash, line feed and carriage return
// escaped, the line then led by a backslash), the window's export, and that
// what it writes reads back to the same name, digest and algorithm.
#include <gtest/gtest.h>

#include <string>

#include "checksum_list/checksum_list.h"
#include "testing/list_parsing.h"

namespace vandrel::checksum_list {
namespace {

const std::string H8 = "e8b7be43";
const std::string H64 = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";

DigestKind Kind(std::string_view name) { return *FindDigestKindByName(name); }

TEST(ListWriterTest, WritesTheBytesCoreutilsWrites) {
  struct Case {
    WriteForm form;
    const char* kind;
    std::string name;
    std::string hex;
    bool binary;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {WriteForm::Gnu, "sha256", "plain", H64, false, H64 + "  plain\n"},
      {WriteForm::Gnu, "sha256", "plain", H64, true, H64 + " *plain\n"},
      {WriteForm::Gnu, "sha256", "sp ace\ttab", H64, false, H64 + "  sp ace\ttab\n"},
      {WriteForm::Gnu, "sha256", "a\\b", H64, false, "\\" + H64 + "  a\\\\b\n"},
      {WriteForm::Gnu, "sha256", "c\nd", H64, false, "\\" + H64 + "  c\\nd\n"},
      {WriteForm::Gnu, "sha256", "e\rf", H64, false, "\\" + H64 + "  e\\rf\n"},
      {WriteForm::Gnu, "sha256", "\xff\xfe", H64, false, H64 + "  \xff\xfe\n"},
      {WriteForm::BsdTag, "sha256", "plain", H64, false, "SHA256 (plain) = " + H64 + "\n"},
      {WriteForm::BsdTag, "sha3-256", "a\\b", H64, false, "\\SHA3-256 (a\\\\b) = " + H64 + "\n"},
      {WriteForm::BsdTag, "crc32", "x", H8, false, "CRC32 (x) = " + H8 + "\n"},
      {WriteForm::Sfv, "crc32", "my file", H8, false, "my file " + H8 + "\n"},
      {WriteForm::Sfv, "crc32", "a\\b", H8, false, "a\\b " + H8 + "\n"},
      {WriteForm::Sfv, "crc32", "a\nb", H8, false, std::nullopt},
      {WriteForm::Sfv, "crc32", ";x", H8, false, std::nullopt},
      // The window's export escapes only for a backslash or a line feed.
      {WriteForm::Export, "sha256", "/a b,c", H64, false, "/a b,c," + H64 + "\n"},
      {WriteForm::Export, "sha256", "/e\rf", H64, false, "/e\rf," + H64 + "\n"},
      {WriteForm::Export, "sha256", "/a\\b\rc", H64, false, "\\/a\\\\b\\rc," + H64 + "\n"},
      {WriteForm::Export, "sha256", "/c\nd", H64, false, "\\/c\\nd," + H64 + "\n"},
      {WriteForm::Export, "sha256", "/not computed", "", false, "/not computed,\n"},
      // On the clipboard, a name that is not UTF-8 escapes its stray bytes.
      {WriteForm::ExportUtf8, "sha256", "/caf\xe9 \xc3\xa9", H64, false,
       "\\/caf\\xe9 \xc3\xa9," + H64 + "\n"},
      {WriteForm::ExportUtf8, "sha256", "/\xff\\\n", H64, false, "\\/\\xff\\\\\\n," + H64 + "\n"},
      {WriteForm::ExportUtf8, "sha256", "/caf\xc3\xa9", H64, false, "/caf\xc3\xa9," + H64 + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatLine(c.form, Kind(c.kind), c.name, c.hex, c.binary), c.expected);
  }
}

TEST(ListWriterTest, WrittenLinesReadBackUnchanged) {
  const std::string names[] = {
      "plain",   " lead", "trail ",       "a\\b",  "c\nd",  "e\rf",  "\\\\n",
      "x (y) z", "q)",    "\xc3\x28 bad", "t\tab", "*star", "#hash", "\\xe9\xe9",
  };
  for (WriteForm form :
       {WriteForm::Gnu, WriteForm::BsdTag, WriteForm::Export, WriteForm::ExportUtf8}) {
    for (const char* kind : {"sha256", "sha3-256", "md5"}) {
      const std::string hex(Kind(kind).hexLength(), 'a');
      for (const std::string& shortName : names) {
        // The window exports whole paths.
        const std::string name = form >= WriteForm::Export ? "/" + shortName : shortName;
        SCOPED_TRACE(name);
        const std::optional<std::string> line = FormatLine(form, Kind(kind), name, hex);
        ASSERT_TRUE(line);
        // A list named after the algorithm, as a window save would name it,
        // so that SHA-3 needs no tag to be read back.
        const std::vector<ListLine> read = ParseList(*line, {std::nullopt, Kind(kind), false});
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0].rejection, Rejection::None);
        EXPECT_EQ(read[0].name, name);
        EXPECT_EQ(read[0].expectedHex, hex);
        EXPECT_EQ(read[0].kind, Kind(kind));
      }
    }
  }
}

}  // namespace
}  // namespace vandrel::checksum_list

// KeyValueFile: reading (mark rule, line rules, damaged UTF-8), lookups with
// ASCII case folding, edits landing in their places, and byte-exact writing.
#include "settings/key_value_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "settings/scratch.h"

namespace vandrel {
namespace {

using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

const std::string kMark = "\xEF\xBB\xBF";

class KeyValueFileTest : public ::testing::Test {
 protected:
  // Every (group, key, value) the enumeration visits, in order.
  static std::vector<std::vector<std::string>> Enumerate(KeyValueFile& file) {
    std::vector<std::vector<std::string>> seen;
    file.examineGroups();
    while (file.nextGroup()) {
      if (!file.examineKeys()) continue;
      while (file.nextKey()) seen.push_back({file.keyName(), file.keyValue()});
      seen.push_back({"--group end--"});
    }
    return seen;
  }

  ScratchDirectory scratch_;
};

TEST_F(KeyValueFileTest, CreateThenCloseWritesOnlyTheMarkLine) {
  const std::string path = scratch_.file("new.prefs");
  WriteBytes(path, "old contents that must go\n");
  KeyValueFile file;
  ASSERT_TRUE(file.create(path));
  EXPECT_EQ(ReadBytes(path), "");  // truncated at once, before close
  file.close();
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF\n");
}

TEST_F(KeyValueFileTest, ReadsCrLfFilesWithBlanksLikeLfFiles) {
  const std::string crlf =
      "\r\n\r\n[Language]\r\n\r\n   Language   =   de_DE   \r\nOrphan\r\nNext = 1\r\n\r\n"
      "[Window]\r\r\n\tWindowWidth=900\r\n";
  const std::string lf =
      "[Language]\nLanguage = de_DE\nOrphan\nNext = 1\n[Window]\nWindowWidth = 900";
  KeyValueFile a;
  KeyValueFile b;
  ASSERT_TRUE(a.openMemory(crlf));
  ASSERT_TRUE(b.openMemory(lf));
  const auto seen = Enumerate(a);
  EXPECT_EQ(seen, Enumerate(b));
  const std::vector<std::vector<std::string>> expected = {
      {"Language", "de_DE"}, {"Orphan", ""},         {"Next", "1"},
      {"--group end--"},     {"WindowWidth", "900"}, {"--group end--"}};
  EXPECT_EQ(seen, expected);
  ASSERT_TRUE(a.selectGroup("Language"));
  EXPECT_EQ(a.readText("Language", "x"), "de_DE");
}

TEST_F(KeyValueFileTest, ReadsLatin1WithoutTheMarkAndUtf8WithIt) {
  KeyValueFile file;
  ASSERT_TRUE(file.openMemory("k = caf\xE9"));
  EXPECT_EQ(file.readText("k", ""), "caf\xC3\xA9");
  ASSERT_TRUE(file.openMemory("k = caf\xC3\xA9"));  // UTF-8 without the mark
  EXPECT_EQ(file.readText("k", ""), "caf\xC3\x83\xC2\xA9");
  ASSERT_TRUE(file.openMemory(kMark + "k = caf\xC3\xA9"));
  EXPECT_EQ(file.readText("k", ""), "caf\xC3\xA9");
  // Two bytes of a mark are not a mark: both are Latin-1 characters.
  ASSERT_TRUE(file.openMemory("\xEF\xBB"));
  EXPECT_EQ(file.serialise(), kMark + "\n\xC3\xAF\xC2\xBB = \n");
}

TEST_F(KeyValueFileTest, ReplacesEveryMalformedUtf8ByteAfterTheMark) {
  const std::string fffd = "\xEF\xBF\xBD";
  KeyValueFile file;
  // A stray continuation byte, a truncated sequence, two overlong "/", a
  // surrogate, and a value past U+10FFFF; the valid characters survive.
  ASSERT_TRUE(
      file.openMemory(kMark +
                      "k = a\x80 b\xE2\x82 c\xC0\xAF\xE0\x80\xAF d\xED\xA0\x80 e\xF4\x90\x80\x80 "
                      "\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_EQ(file.readText("k", ""), "a" + fffd + " b" + fffd + fffd + " c" + fffd + fffd + fffd +
                                        fffd + fffd + " d" + fffd + fffd + fffd + " e" + fffd +
                                        fffd + fffd + fffd + " \xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST_F(KeyValueFileTest, MatchesGroupsAndKeysIgnoringOnlyAsciiCase) {
  for (const char* group : {"[General]", "[general]", "[GENERAL]"}) {
    KeyValueFile file;
    ASSERT_TRUE(file.openMemory(std::string(group) + "\nfingerprint = 3\nA = 1\na = 2\n"));
    ASSERT_TRUE(file.selectGroup("General")) << group;
    EXPECT_EQ(file.readInteger("Fingerprint", 0), 3);
    EXPECT_EQ(file.readText("A", ""), "1");  // the first of two spellings wins
    EXPECT_EQ(file.readText("a", ""), "1");
  }
  KeyValueFile file;
  ASSERT_TRUE(file.openMemory(kMark + "[\xC3\x84rger]\nx = 1\n"));  // "Ärger"
  EXPECT_FALSE(file.selectGroup("\xC3\xA4rger"));                   // "ärger"
  EXPECT_TRUE(file.selectGroup("\xC3\x84RGER"));
}

TEST_F(KeyValueFileTest, SplitsLinesIntoCommentsGroupsAndPairs) {
  KeyValueFile file;
  ASSERT_TRUE(
      file.openMemory(";comment\n  ; comment\n;  two\n[ spaced ] trailing\nKey = a = b\n=lonely\n"
                      "Key with blanks \t= v  \n[open group\nx=1\n"));
  EXPECT_EQ(file.serialise(), kMark +
                                  "\n; comment\n; comment\n;  two\n[ spaced ]\nKey = a = b\n"
                                  " = lonely\nKey with blanks = v  \n[open group]\nx = 1\n");
  ASSERT_TRUE(file.selectGroup(" spaced "));
  EXPECT_FALSE(file.selectGroup("spaced"));
  ASSERT_TRUE(file.selectGroup(" SPACED "));
  EXPECT_EQ(file.readText("Key", ""), "a = b");
  EXPECT_EQ(file.readText("", ""), "lonely");
  EXPECT_EQ(file.readText("Key with blanks", ""), "v");
  ASSERT_TRUE(file.selectGroup("open group"));
  EXPECT_EQ(file.readInteger("x", 0), 1);
}

TEST_F(KeyValueFileTest, ReadsIntegersUpToTheFirstOtherCharacterAndSaturates) {
  KeyValueFile file;
  ASSERT_TRUE(file.openMemory(
      "[n]\na = 12abc\nb = abc\nc =\nd = -0012\ne = +7\nf = 99999999999\ng = -99999999999\n"
      "h = 2147483647\ni = -2147483648\nj = 2147483648\nk = - 5\n"));
  ASSERT_TRUE(file.selectGroup("n"));
  EXPECT_EQ(file.readInteger("a", 5), 12);
  EXPECT_EQ(file.readInteger("b", 5), 0);
  EXPECT_EQ(file.readInteger("c", 5), 0);
  EXPECT_EQ(file.readInteger("d", 5), -12);
  EXPECT_EQ(file.readInteger("e", 5), 7);
  EXPECT_EQ(file.readInteger("f", 5), INT32_MAX);
  EXPECT_EQ(file.readInteger("g", 5), INT32_MIN);
  EXPECT_EQ(file.readInteger("h", 5), INT32_MAX);
  EXPECT_EQ(file.readInteger("i", 5), INT32_MIN);
  EXPECT_EQ(file.readInteger("j", 5), INT32_MAX);
  EXPECT_EQ(file.readInteger("k", 5), 0);
  EXPECT_EQ(file.readInteger("missing", 5), 5);
}

TEST_F(KeyValueFileTest, AMissingGroupMakesEveryReadGiveItsDefault) {
  KeyValueFile file;
  ASSERT_TRUE(file.openMemory("top = 0\n[General]\nBits = 3\n"));
  ASSERT_TRUE(file.selectGroup("General"));
  EXPECT_FALSE(file.selectGroup("Nowhere"));
  EXPECT_EQ(file.readInteger("Bits", -1), -1);
  EXPECT_EQ(file.readText("Bits", "d"), "d");
  EXPECT_FALSE(file.examineKeys());
  ASSERT_TRUE(file.selectGroup(""));
  EXPECT_EQ(file.readText("top", ""), "0");
  EXPECT_EQ(file.readText("Bits", "none"), "none");  // the top ends at the first group
}

TEST_F(KeyValueFileTest, EnumerationSkipsPairsAboveTheFirstGroupAndVisitsRepeatedGroups) {
  KeyValueFile file;
  ASSERT_TRUE(file.openMemory("above = 1\n[A]\n; note\nx = 1\n[a]\ny = 2\n[Empty]\n"));
  const std::vector<std::vector<std::string>> expected = {
      {"x", "1"}, {"--group end--"}, {"y", "2"}, {"--group end--"}, {"--group end--"}};
  EXPECT_EQ(Enumerate(file), expected);
  EXPECT_FALSE(file.nextKey());
  EXPECT_EQ(file.keyName(), "");
}

TEST_F(KeyValueFileTest, EditsLandInTheirPlaces) {
  const std::string path = scratch_.file("edit.ini");
  WriteBytes(path, "; head\ntop = 1\n[One]\nA = 1\nB = 2\n[Two]\nC = 3\n");
  KeyValueFile file;
  ASSERT_TRUE(file.open(path));
  file.writeText("new top", "t");  // before the first group
  file.writeText("TOP", "9");      // replaced in place, spelling taken over
  ASSERT_TRUE(file.selectGroup("one"));
  file.addComment("after the group line");
  file.writeInteger("b", -5);
  file.writeText("D", "4");  // at the end of the group, before [Two]
  EXPECT_FALSE(file.selectGroup("Three"));
  file.writeText("E", "5");  // the pending group is appended first
  file.close();
  EXPECT_EQ(ReadBytes(path), kMark +
                                 "\n; head\nTOP = 9\nnew top = t\n[One]\n; after the group line\n"
                                 "A = 1\nb = -5\nD = 4\n[Two]\nC = 3\n[Three]\nE = 5\n");
}

TEST_F(KeyValueFileTest, ReadingAloneNeverRewritesTheFile) {
  const std::string path = scratch_.file("foreign.ini");
  const std::string original = "\r\n[General]\r\nBits   =   3   \r\n;x\r\n";
  WriteBytes(path, original);
  KeyValueFile file;
  ASSERT_TRUE(file.open(path));
  ASSERT_TRUE(file.selectGroup("general"));
  EXPECT_EQ(file.readInteger("bits", 0), 3);
  Enumerate(file);
  file.close();
  EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(KeyValueFileTest, WritesLineBreaksInsideAFieldAsBlanks) {
  const std::string path = scratch_.file("breaks.ini");
  KeyValueFile file;
  ASSERT_TRUE(file.create(path));
  file.selectGroup("G");
  file.writeText("Language", "x\n[General]\r\nFingerprint = 9");
  file.close();
  EXPECT_EQ(ReadBytes(path), kMark + "\n[G]\nLanguage = x [General]  Fingerprint = 9\n");
}

TEST_F(KeyValueFileTest, OpenFailsForWhatIsNotAReadableRegularFile) {
  KeyValueFile file;
  EXPECT_FALSE(file.open(scratch_.file("missing")));
  EXPECT_FALSE(file.open(scratch_.dir()));
  // A named pipe would block a plain read for ever.
  const std::string fifo = scratch_.file("pipe.language");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(file.open(fifo));
  EXPECT_EQ(file.readText("any", "default"), "default");

  const std::string locked = scratch_.file("locked.prefs");
  WriteBytes(locked, "[General]\nBits = 3\n");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(::chmod(scratch_.dir().c_str(), 0755), 0);
  EXPECT_EQ(testing::RunAsNobody([&] { return KeyValueFile().open(locked) ? 1 : 0; }), 0);

  EXPECT_FALSE(file.create(scratch_.file("no/such/dir/x.prefs")));
}

}  // namespace
}  // namespace vandrel

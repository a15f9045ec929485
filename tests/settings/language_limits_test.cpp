// The limits on what one language and one look through the catalogue may
// cost: keys one load adds, the size of one language, the entries and bytes
// one discovery examines, and the ZIP methods a pack entry may use. Each is
// checked on both sides of its edge, for a folder and for a pack alike.
#include "settings/language_limits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/language_catalogue.h"
#include "settings/scratch.h"
#include "settings/text_table.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;
using testing::WriteArchive;
using testing::WriteBytes;
using testing::ZipMember;

enum class Kind { Folder, Pack };

std::string Header(const std::string& name) {
  return "\xEF\xBB\xBF[LANGUAGE FILE]\ntLangFileNAME = " + name + "\n[Texts]\n";
}

// A language file of exactly `size` bytes: the header, then a comment line
// that fills it up.
std::string LanguageOfSize(const std::string& name, std::size_t size) {
  std::string text = Header(name) + "tMenuFILE = " + name + "\n;";
  text.append(size - text.size() - 1, 'x');
  text.push_back('\n');
  return text;
}

class LanguageLimitsTest : public ::testing::TestWithParam<Kind> {
 protected:
  void Make(const std::vector<ZipMember>& members) {
    const std::string path = program_.file(kCatalogueName);
    if (GetParam() == Kind::Pack) {
      ASSERT_TRUE(WriteArchive(path, members));
      return;
    }
    fs::create_directory(path);
    for (const ZipMember& member : members) WriteBytes(path + "/" + member.name, member.bytes);
  }

  ScratchDirectory program_;
  LanguageCatalogue catalogue_;
  TextTable table_;
};

TEST_P(LanguageLimitsTest, ALanguageUpToTheSizeLimitIsOfferedAndLoadedAndALargerOneIsNot) {
  Make({{"edge.language", LanguageOfSize("Edge", kMaxLanguageBytes)},
        {"over.language", LanguageOfSize("Over", kMaxLanguageBytes + 1)}});
  catalogue_.discover(program_.dir());
  ASSERT_EQ(catalogue_.size(), 1u);
  EXPECT_EQ(catalogue_.entries()[0].code, "edge");
  EXPECT_FALSE(catalogue_.load(catalogue_.cataloguePath(), "over", table_));
  ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), "edge", table_));
  EXPECT_EQ(table_.text("tMenuFILE"), "Edge");
}

TEST_P(LanguageLimitsTest, OneLoadAddsAtMostTheKeyLimitButStillReplacesKnownTexts) {
  std::string text = Header("Many");
  const std::size_t keys = kMaxLanguageKeys + 100;
  for (std::size_t i = 0; i < keys; ++i)
    text.append("k").append(std::to_string(i)).append(" = v\n");
  text += "tMainSAVE = New\nk0 = again\n";
  Make({{"many.language", text}});
  table_.setText("tMainSAVE", "Old");

  ASSERT_TRUE(catalogue_.load(program_.file(kCatalogueName), "many", table_));
  // tLangFileNAME is the first key the file adds.
  EXPECT_EQ(table_.size(), 1 + kMaxLanguageKeys);
  EXPECT_EQ(table_.text("tLangFileNAME"), "Many");
  EXPECT_TRUE(table_.contains("k" + std::to_string(kMaxLanguageKeys - 2)));
  EXPECT_FALSE(table_.contains("k" + std::to_string(kMaxLanguageKeys - 1)));
  EXPECT_EQ(table_.text("tMainSAVE"), "New");
  EXPECT_EQ(table_.text("k0"), "again");

  // The limit is per load: the next one adds the keys the first left out.
  ASSERT_TRUE(catalogue_.load(program_.file(kCatalogueName), "many", table_));
  EXPECT_EQ(table_.size(), 2 + keys);
}

TEST_P(LanguageLimitsTest, DiscoveryExaminesAtMostTheEntryLimit) {
  std::vector<ZipMember> members;
  for (std::size_t i = 0; i < kMaxCatalogueEntries + 40; ++i) {
    const std::string name = std::string("L").append(std::to_string(i));
    members.push_back({name + ".language", Header(name)});
  }
  Make(members);
  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.size(), kMaxCatalogueEntries);
}

TEST_P(LanguageLimitsTest, DiscoveryStopsReadingWhenItsByteBudgetIsSpent) {
  constexpr std::size_t kFitting = kMaxCatalogueBytes / kMaxLanguageBytes;
  std::vector<ZipMember> members;
  for (std::size_t i = 0; i < kFitting + 2; ++i) {
    const std::string name = std::string("B").append(std::to_string(i));
    members.push_back({name + ".language", LanguageOfSize(name, kMaxLanguageBytes)});
  }
  Make(members);
  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.size(), kFitting);
  // Loading one language is not part of the look and is never held back.
  const std::string last = "B" + std::to_string(kFitting + 1);
  ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), last, table_));
  EXPECT_EQ(table_.text("tMenuFILE"), last);
}

// Incompressible filler, so that a pack's size follows its entries' sizes.
std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 2463534242u;
  for (char& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state);
  }
  return bytes;
}

TEST(LanguagePackSizeTest, APackFileOverTheSizeLimitIsNotRead) {
  for (const bool over : {false, true}) {
    ScratchDirectory program;
    const std::string pack = program.file(kCatalogueName);
    const std::size_t filler = over ? kMaxPackBytes : kMaxPackBytes - 64 * 1024;
    ASSERT_TRUE(
        WriteArchive(pack, {{"en_GB.language", Header("English")}, {"filler.bin", Noise(filler)}}));
    ASSERT_EQ(fs::file_size(pack) > kMaxPackBytes, over);
    LanguageCatalogue catalogue;
    TextTable table;
    catalogue.discover(program.dir());
    EXPECT_EQ(catalogue.size(), over ? 0u : 1u) << over;
    EXPECT_EQ(catalogue.load(pack, "en_GB", table), !over) << over;
  }
}

INSTANTIATE_TEST_SUITE_P(FolderAndPack, LanguageLimitsTest,
                         ::testing::Values(Kind::Folder, Kind::Pack), [](const auto& info) {
                           return info.param == Kind::Folder ? "Folder" : "Pack";
                         });

// Packs made by Python's zipfile (one entry per method: bzip2, LZMA, stored,
// deflated) and a fuzzer's find: an LZMA entry whose header declares a
// dictionary of gigabytes, which the decoder would allocate before reading.
class PackMethodsTest : public ::testing::Test {
 protected:
  void Use(const char* dataFile) {
    fs::copy_file(std::string(VANDREL_SETTINGS_DATA_DIR "/") + dataFile,
                  program_.file(kCatalogueName));
  }
  ScratchDirectory program_;
  LanguageCatalogue catalogue_;
  TextTable table_;
};

TEST_F(PackMethodsTest, OnlyStoredAndDeflatedEntriesAreRead) {
  Use("pack-four-methods.zip");
  catalogue_.discover(program_.dir());
  std::vector<std::string> codes;
  for (const LanguageEntry& entry : catalogue_.entries()) codes.push_back(entry.code);
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<std::string>{"de_DE", "st_ST"}));
  for (const char* code : {"bz_BZ", "lz_LZ"}) {
    EXPECT_FALSE(catalogue_.load(catalogue_.cataloguePath(), code, table_)) << code;
  }
  ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), "st_ST", table_));
  EXPECT_EQ(table_.text("tMenuFILE"), "S");
  ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), "de_DE", table_));
  EXPECT_EQ(table_.text("tMenuFILE"), "D");
}

TEST_F(PackMethodsTest, AnLzmaEntryWithAHugeDictionaryIsSkippedUndecoded) {
  Use("pack-lzma-huge-dictionary.zip");
  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.size(), 0u);
  EXPECT_FALSE(catalogue_.load(catalogue_.cataloguePath(), "fr_FR", table_));
  EXPECT_EQ(table_.size(), 0u);
}

}  // namespace
}  // namespace vandrel

// Preferences: the exact bytes of a saved file, round trips of every choice,
// hand-edited files, and failures that must leave settings or files alone.
#include "settings/preferences.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "settings/scratch.h"

namespace vandrel {
namespace {

using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

class PreferencesTest : public ::testing::Test {
 protected:
  std::string prefsPath() const { return scratch_.file("Vandrel.prefs"); }

  // Settings far from every default, to see which ones a load overwrote.
  static Settings Unusual() { return Settings{"xx_XX", 2, 2, 1234, 987}; }

  ScratchDirectory scratch_;
};

TEST_F(PreferencesTest, SaveWritesExactlyTheTenLines) {
  WriteBytes(prefsPath(), "[Extra]\nkept = no\n");
  Settings settings{"hu_HU", 4, 3, 1024, -7};
  Preferences(settings).save(scratch_.dir());
  EXPECT_EQ(ReadBytes(prefsPath()),
            "\xEF\xBB\xBF\n"
            "; Vandrel Preferences\n"
            "[Language]\n"
            "Language = hu_HU\n"
            "[General]\n"
            "Fingerprint = 4\n"
            "Bits = 3\n"
            "[Window]\n"
            "WindowWidth = 1024\n"
            "WindowHeight = -7\n");
}

TEST_F(PreferencesTest, SaveThenLoadGivesBackEveryAlgorithmAndSize) {
  for (std::int32_t fingerprint = 0; fingerprint <= 4; ++fingerprint) {
    for (std::int32_t bits = 0; bits <= 3; ++bits) {
      Settings saved{"de_DE", fingerprint, bits, 800 + bits, 500 + fingerprint};
      Preferences(saved).save(scratch_.dir());
      Settings loaded;
      ASSERT_TRUE(Preferences(loaded).load(scratch_.dir()));
      EXPECT_EQ(loaded.Language, "de_DE");
      EXPECT_EQ(loaded.Fingerprint, fingerprint);
      EXPECT_EQ(loaded.Bits, bits);
      EXPECT_EQ(loaded.WindowWidth, 800 + bits);
      EXPECT_EQ(loaded.WindowHeight, 500 + fingerprint);
    }
  }
}

TEST_F(PreferencesTest, LoadReadsHandEditedFiles) {
  // No mark, so Latin-1; CR LF ends, lower-case names, units after numbers.
  WriteBytes(prefsPath(),
             "[language]\r\nlanguage = de_DE \r\n[general]\r\nbits = 3\r\n"
             "[Window]\r\nFingerprint = 4\r\nWindowWidth = 1024px\r\nWindowHeight =\r\n");
  Settings settings = Unusual();
  ASSERT_TRUE(Preferences(settings).load(scratch_.dir()));
  EXPECT_EQ(settings.Language, "de_DE");
  EXPECT_EQ(settings.Bits, 3);
  EXPECT_EQ(settings.Fingerprint, 0);  // it stands in the wrong group
  EXPECT_EQ(settings.WindowWidth, 1024);
  EXPECT_EQ(settings.WindowHeight, 0);
}

TEST_F(PreferencesTest, AnEmptyFileCountsAsFoundAndGivesEveryDefault) {
  WriteBytes(prefsPath(), "");
  Settings settings = Unusual();
  ASSERT_TRUE(Preferences(settings).load(scratch_.dir()));
  EXPECT_EQ(settings.Language, "");
  EXPECT_EQ(settings.Fingerprint, 0);
  EXPECT_EQ(settings.Bits, 0);
  EXPECT_EQ(settings.WindowWidth, 840);
  EXPECT_EQ(settings.WindowHeight, 600);
}

TEST_F(PreferencesTest, AnAlgorithmOrSizeTheProgramLacksFallsBackToZero) {
  const struct {
    const char* fingerprint;
    const char* bits;
    std::int32_t wantFingerprint;
    std::int32_t wantBits;
  } cases[] = {{"5", "4", 0, 0}, {"-1", "-1", 0, 0}, {"4", "3", 4, 3}, {"99999999999", "1", 0, 1}};
  for (const auto& c : cases) {
    WriteBytes(prefsPath(), std::string("[General]\nFingerprint = ") + c.fingerprint +
                                "\nBits = " + c.bits + "\n");
    Settings settings = Unusual();
    ASSERT_TRUE(Preferences(settings).load(scratch_.dir()));
    EXPECT_EQ(settings.Fingerprint, c.wantFingerprint) << c.fingerprint;
    EXPECT_EQ(settings.Bits, c.wantBits) << c.bits;
  }
}

TEST_F(PreferencesTest, AMissingFileLeavesTheSettingsUntouched) {
  Settings settings = Unusual();
  EXPECT_FALSE(Preferences(settings).load(scratch_.dir()));
  EXPECT_EQ(settings.Language, "xx_XX");
  EXPECT_EQ(settings.Fingerprint, 2);
  EXPECT_EQ(settings.WindowWidth, 1234);
}

TEST_F(PreferencesTest, AFileThatCannotBeRewrittenIsLeftAsItWas) {
  const std::string earlier = "[General]\nBits = 2\n";
  WriteBytes(prefsPath(), earlier);
  ASSERT_EQ(::chmod(scratch_.dir().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(prefsPath().c_str(), 0444), 0);
  const int status = testing::RunAsNobody([&] {
    Settings settings{"en_GB", 1, 1, 1, 1};
    Preferences(settings).save(scratch_.dir());
    return 0;
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(prefsPath()), earlier);
}

}  // namespace
}  // namespace vandrel

// Preferences: the exact bytes of a saved file, round trips of every choice,
// hand-edited files and the values loading corrects, the language chosen
// from the environment, and failures that must leave settings or files alone.
#include "settings/preferences.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

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
  static Settings Unusual() { return Settings{"xx_XX", {Algorithm::Sha1, 384}, {1234, 987}}; }

  ScratchDirectory scratch_;
};

TEST_F(PreferencesTest, SaveWritesExactlyTheTenLines) {
  WriteBytes(prefsPath(), "[Extra]\nkept = no\n");
  Settings settings{"hu_HU", {Algorithm::Sha3, 512}, {1024, -7}};
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
      const DigestKind digest{static_cast<Algorithm>(fingerprint), kDigestSizes[bits]};
      Settings saved{"de_DE", digest, {900 + bits, 700 + fingerprint}};
      Preferences(saved).save(scratch_.dir());
      EXPECT_NE(ReadBytes(prefsPath())
                    .find("Fingerprint = " + std::to_string(fingerprint) +
                          "\nBits = " + std::to_string(bits) + "\n"),
                std::string::npos);
      Settings loaded;
      ASSERT_TRUE(Preferences(loaded).load(scratch_.dir()));
      EXPECT_EQ(loaded.Language, "de_DE");
      EXPECT_EQ(loaded.digest, digest);
      EXPECT_EQ(loaded.window, (WindowSize{900 + bits, 700 + fingerprint}));
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
  EXPECT_EQ(settings.digest.bits, 512);
  EXPECT_EQ(settings.digest.algorithm, Algorithm::Crc32);  // it stands in the wrong group
  EXPECT_EQ(settings.window.width, 1024);
  EXPECT_EQ(settings.window.height, 600);  // read as 0, raised to the minimum
}

TEST_F(PreferencesTest, AnEmptyFileCountsAsFoundAndGivesEveryDefault) {
  WriteBytes(prefsPath(), "");
  Settings settings = Unusual();
  ASSERT_TRUE(Preferences(settings).load(scratch_.dir()));
  EXPECT_EQ(settings.Language, "");
  EXPECT_EQ(settings.digest, (DigestKind{Algorithm::Crc32, 224}));
  EXPECT_EQ(settings.window, (WindowSize{840, 600}));
}

TEST_F(PreferencesTest, AnAlgorithmOrSizeTheProgramLacksFallsBackToZero) {
  const struct {
    const char* fingerprint;
    const char* bits;
    DigestKind want;
  } cases[] = {
      {"5", "4", {Algorithm::Crc32, 224}},        {"-1", "-1", {Algorithm::Crc32, 224}},
      {"4", "3", {Algorithm::Sha3, 512}},         {"99999999999", "1", {Algorithm::Crc32, 256}},
      {"sha256", "256", {Algorithm::Crc32, 224}},  // words read as 0, 256 is no option
      {"2.9", "2x", {Algorithm::Sha1, 384}}};
  for (const auto& c : cases) {
    WriteBytes(prefsPath(), std::string("[General]\nFingerprint = ") + c.fingerprint +
                                "\nBits = " + c.bits + "\n");
    Settings settings = Unusual();
    ASSERT_TRUE(Preferences(settings).load(scratch_.dir()));
    EXPECT_EQ(settings.digest, c.want) << c.fingerprint << " / " << c.bits;
  }
}

TEST_F(PreferencesTest, AStoredWindowSizeIsFittedToTheWorkAreaTheMinimumAndX11sLimit) {
  struct Case {
    const char* width;
    const char* height;
    WindowSize area, want;
  };
  const Case cases[] = {
      {"1000", "700", {1920, 1080}, {1000, 700}},       // fits: kept
      {"840", "999999999", {1920, 1080}, {840, 1080}},  // the height that crashed cairo
      {"40000", "600", {1920, 1080}, {1920, 600}},      // the width of the X error
      {"0", "0", {1920, 1080}, {840, 600}},
      {"-5", "-5", {1920, 1080}, {840, 600}},
      {"wide", "", {1920, 1080}, {840, 600}},              // not numbers: 0, then the minimum
      {"2000", "1200", {1920, 1080}, {1920, 1080}},        // a little larger than the screen
      {"40000", "999999999", {0, 0}, {32767, 32767}},      // work area unknown: X11's limit
      {"40000", "40000", {50000, 50000}, {32767, 32767}},  // a wall of monitors
      {"1000", "1000", {800, 480}, {840, 600}},            // a small screen: the minimum wins
  };
  for (const Case& c : cases) {
    WriteBytes(prefsPath(), std::string("[Window]\nWindowWidth = ") + c.width +
                                "\nWindowHeight = " + c.height + "\n");
    Settings settings = Unusual();
    ASSERT_TRUE(Preferences(settings, {c.area, {}, "", ""}).load(scratch_.dir()));
    EXPECT_EQ(settings.window, c.want)
        << c.width << " x " << c.height << " on " << c.area.width << " x " << c.area.height;
  }
}

TEST_F(PreferencesTest, LanguageComesFromTheStoredCodeThenLanguageThenLangThenEnglish) {
  const std::vector<std::string> shipped = {"hu_HU", "de_DE", "en_GB", "pt_BR", "pt_PT", "fr_FR"};
  struct Case {
    const char* stored;
    bool askEnvironment;
    const char* languageList;  // LANGUAGE
    const char* lang;          // LANG
    std::vector<std::string> found;
    const char* want;
  };
  const Case cases[] = {
      {"hu_HU", true, "de_DE", "fr_FR.UTF-8", shipped, "hu_HU"},  // stored wins
      {"de_AT", true, "", "de_DE", shipped, "en_GB"},             // stored, not found: no guess
      {"", false, "de_DE", "de_DE", shipped, "en_GB"},            // beside the program: no guess
      {"", true, "", "hu_HU.UTF-8", shipped, "hu_HU"},
      {"", true, "", "de_AT.UTF-8", shipped, "de_DE"},  // same language, other country
      {"", true, "", "en_US.UTF-8", shipped, "en_GB"},
      {"", true, "", "pt", shipped, "pt_PT"},  // the language's home country
      {"", true, "", "pt_AO", {"pt_BR"}, "pt_BR"},
      {"", true, "", "es_AR.UTF-8", {"es_MX", "es_CL"}, "es_CL"},  // else the first by name
      {"", true, "fr_CA:de", "hu_HU.UTF-8", shipped, "fr_FR"},     // LANGUAGE first, near match too
      {"", true, "sv:de_CH", "hu_HU.UTF-8", shipped, "de_DE"},     // first entry that matches
      {"", true, "sv::", "hu_HU.UTF-8", shipped, "hu_HU"},         // none does: LANG
      {"", true, "", "C.UTF-8", shipped, "en_GB"},
      {"", true, "", "sv_SE.UTF-8", shipped, "en_GB"},
      {"", true, "", "de", {"deu_DE"}, "en_GB"},  // a language, not a prefix of one
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.Language = c.stored;
    Preferences(settings, {{}, c.found, c.languageList, c.lang}).settleLanguage(c.askEnvironment);
    EXPECT_EQ(settings.Language, c.want) << "stored '" << c.stored << "', LANGUAGE '"
                                         << c.languageList << "', LANG '" << c.lang << "'";
  }
}

TEST_F(PreferencesTest, AMissingFileLeavesTheSettingsUntouched) {
  Settings settings = Unusual();
  EXPECT_FALSE(Preferences(settings).load(scratch_.dir()));
  EXPECT_EQ(settings.Language, "xx_XX");
  EXPECT_EQ(settings.digest.algorithm, Algorithm::Sha1);
  EXPECT_EQ(settings.window.width, 1234);
}

TEST_F(PreferencesTest, AFileThatCannotBeRewrittenIsLeftAsItWas) {
  const std::string earlier = "[General]\nBits = 2\n";
  WriteBytes(prefsPath(), earlier);
  ASSERT_EQ(::chmod(scratch_.dir().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(prefsPath().c_str(), 0444), 0);
  const int status = testing::RunAsNobody([&] {
    Settings settings{"en_GB", {Algorithm::Md5, 256}, {1, 1}};
    Preferences(settings).save(scratch_.dir());
    return 0;
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(prefsPath()), earlier);
}

}  // namespace
}  // namespace vandrel

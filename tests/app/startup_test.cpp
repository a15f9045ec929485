// Start-up without a window: where the preferences are read from, when the
// configuration directory is made and how the language is chosen
// (preferences, then LANG, then "en_GB").
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/app_fixture.h"
#include "support/test_support.h"

namespace vandrel {
namespace {

using testing::FileMode;
using testing::LanguageFileText;
using testing::ScopedVariable;
using testing::TestDirectory;

// A preferences file as the program writes it.
std::string PrefsText(const std::string& language, int fingerprint, int bits, int width,
                      int height) {
  return "\xEF\xBB\xBF\n; Vandrel Preferences\n[Language]\nLanguage = " + language +
         "\n[General]\nFingerprint = " + std::to_string(fingerprint) +
         "\nBits = " + std::to_string(bits) + "\n[Window]\nWindowWidth = " + std::to_string(width) +
         "\nWindowHeight = " + std::to_string(height) + "\n";
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory_symlink(testing::BuiltProgramDirectory() + "Vandrel.lang",
                                              program_ / "Vandrel.lang");
    Program().settings = Settings{};
    Program().preferencesDirectory.clear();
  }

  std::string programDirectory() const { return program_.path() + "/"; }
  std::string configDirectory() const { return home_.path() + "/.Brassholt/Vandrel/"; }

  void WritePrefs(const std::string& directory, const std::string& text) {
    std::filesystem::create_directories(directory);
    std::ofstream(directory + "Vandrel.prefs", std::ios::binary) << text;
  }

  TestDirectory program_;
  TestDirectory home_;
  ScopedVariable homeVariable_{"HOME", home_.path().c_str()};
};

TEST_F(StartupTest, PrefsBesideTheProgramAreReadAndTheConfigDirectoryIsLeftAlone) {
  WritePrefs(programDirectory(), PrefsText("de_DE", 3, 2, 1000, 700));
  // Would win if the configuration directory were read as well.
  ScopedVariable lang("LANG", "hu_HU.UTF-8");

  LoadSettingsAndLanguage(programDirectory());

  const Settings& settings = Program().settings;
  EXPECT_EQ(settings.Language, "de_DE");
  EXPECT_EQ(settings.digest, (DigestKind{Algorithm::Sha2, 384}));
  EXPECT_EQ(settings.window, (WindowSize{1000, 700}));
  EXPECT_EQ(Program().programDirectory, programDirectory());
  EXPECT_EQ(Program().preferencesDirectory, programDirectory());
  EXPECT_EQ(Program().configurationDirectory, configDirectory());
  EXPECT_FALSE(std::filesystem::exists(home_ / ".Brassholt"));
  // The chosen language is loaded, and the dialogs speak it.
  EXPECT_EQ(T("tMenuFILE"), LanguageFileText("de_DE", "tMenuFILE"));
  EXPECT_EQ(DialogConfigs().warningQuestion.buttons,
            LanguageFileText("de_DE", "tGenNO") + "|" + LanguageFileText("de_DE", "tGenYES"));
}

TEST_F(StartupTest, FirstStartTakesLangAndMakesThePrivateConfigDirectory) {
  ScopedVariable lang("LANG", "hu_HU.UTF-8");

  LoadSettingsAndLanguage(programDirectory());

  EXPECT_EQ(Program().settings.Language, "hu_HU");
  EXPECT_EQ(T("tMenuFILE"), LanguageFileText("hu_HU", "tMenuFILE"));
  EXPECT_EQ(Program().preferencesDirectory, configDirectory());
  EXPECT_EQ(FileMode(home_ / ".Brassholt"), 0700);
  EXPECT_EQ(FileMode(home_ / ".Brassholt/Vandrel"), 0700);
  EXPECT_EQ(Program().settings.digest.algorithm, Algorithm::Crc32);
  EXPECT_EQ(Program().settings.window.width, 840);
}

TEST_F(StartupTest, LanguageFallsBackToEnglishWhenLangGivesNoShippedLanguage) {
  const struct {
    const char* lang;  // nullptr: unset
    const char* expected;
  } cases[] = {
      {nullptr, "en_GB"},  {"", "en_GB"},      {"xx_YY.UTF-8", "en_GB"}, {"C", "en_GB"},
      {".UTF-8", "en_GB"}, {"de_DE", "de_DE"}, {"de_DE.UTF-8", "de_DE"}, {"de_DE@euro", "de_DE"},
  };
  for (const auto& c : cases) {
    ScopedVariable lang("LANG", c.lang);
    Program().settings = Settings{};
    LoadSettingsAndLanguage(programDirectory());
    EXPECT_EQ(Program().settings.Language, c.expected) << "LANG=" << (c.lang ? c.lang : "(unset)");
  }
}

TEST_F(StartupTest, EmptyLanguageInTheConfigDirectoryPrefsRunsTheLangFallback) {
  WritePrefs(configDirectory(), PrefsText("", 4, 1, 900, 650));
  ScopedVariable lang("LANG", "de_DE.UTF-8");

  LoadSettingsAndLanguage(programDirectory());

  EXPECT_EQ(Program().settings.Language, "de_DE");
  EXPECT_EQ(Program().settings.digest, (DigestKind{Algorithm::Sha3, 256}));
  EXPECT_EQ(Program().settings.window.width, 900);
  EXPECT_EQ(Program().preferencesDirectory, configDirectory());
}

TEST_F(StartupTest, LanguageInTheConfigDirectoryPrefsWinsOverLang) {
  WritePrefs(configDirectory(), PrefsText("hu_HU", 0, 0, 840, 600));
  ScopedVariable lang("LANG", "de_DE.UTF-8");
  LoadSettingsAndLanguage(programDirectory());
  EXPECT_EQ(Program().settings.Language, "hu_HU");
}

TEST_F(StartupTest, EmptyLanguageInPrefsBesideTheProgramSkipsLangAndGivesEnglish) {
  WritePrefs(programDirectory(), PrefsText("", 2, 0, 840, 600));
  ScopedVariable lang("LANG", "de_DE.UTF-8");

  LoadSettingsAndLanguage(programDirectory());

  EXPECT_EQ(Program().settings.Language, "en_GB");
  EXPECT_EQ(Program().settings.digest.algorithm, Algorithm::Sha1);
  EXPECT_FALSE(std::filesystem::exists(home_ / ".Brassholt"));
}

TEST_F(StartupTest, UnknownLanguageInPrefsBecomesEnglish) {
  WritePrefs(programDirectory(), PrefsText("sv_SE", 1, 1, 840, 600));
  LoadSettingsAndLanguage(programDirectory());
  EXPECT_EQ(Program().settings.Language, "en_GB");
  EXPECT_EQ(T("tMenuFILE"), LanguageFileText("en_GB", "tMenuFILE"));
}

}  // namespace
}  // namespace vandrel

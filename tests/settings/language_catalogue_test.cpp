// LanguageCatalogue: discovery from a folder and from a ZIP pack, the menu
// order and check mark, loading into the text table, the language switch,
// hostile packs, and the language files shipped in lang/.
#include "settings/language_catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/key_value_file.h"
#include "settings/scratch.h"
#include "settings/text_table.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using testing::Listing;
using testing::ScratchDirectory;
using testing::WriteArchive;
using testing::WriteBytes;
using testing::ZipMember;
using Texts = std::vector<std::pair<std::string, std::string>>;

const std::string kMark = "\xEF\xBB\xBF";

class LanguageCatalogueTest : public ::testing::Test {
 protected:
  // A language file with the header group and one group of texts.
  static std::string LanguageFile(const std::string& name, const Texts& texts = {}) {
    std::string out = kMark + "; test language\n[LANGUAGE FILE]\ntLangFileNAME = " + name +
                      "\ntLangFileVERSION = 1." + std::to_string(name.size()) +
                      "\ntLangFileDATE = 2024-05-01\ntLangFileAUTHOR = Tester of " + name +
                      "\ntLangFileLANGID = id-" + name + "\ntLangFileSOFTWARE = Other\n[Texts]\n";
    for (const auto& [key, value] : texts) out += key + " = " + value + "\n";
    return out;
  }

  static std::vector<ZipMember> ThreeLanguages() {
    return {{"de_DE.language", LanguageFile("Deutsch", {{"tMenuFILE", "Datei"}})},
            {"en_GB.language", LanguageFile("English", {{"tMenuFILE", "File"}})},
            {"hu_HU.language", LanguageFile("Magyar", {{"tMenuFILE", "F\xC3\xA1jl"}})}};
  }

  // programDirectory + "Vandrel.lang" as a folder holding the members.
  static std::string MakeFolder(const ScratchDirectory& program,
                                const std::vector<ZipMember>& members) {
    const std::string folder = program.file(kCatalogueName);
    fs::create_directory(folder);
    for (const ZipMember& member : members) WriteBytes(folder + "/" + member.name, member.bytes);
    return folder;
  }

  static std::string MakePack(const ScratchDirectory& program,
                              const std::vector<ZipMember>& members) {
    const std::string pack = program.file(kCatalogueName);
    EXPECT_TRUE(WriteArchive(pack, members));
    return pack;
  }

  static std::vector<LanguageMenuItem> Items(std::initializer_list<LanguageMenuItem> items) {
    return items;
  }

  ScratchDirectory program_;
  LanguageCatalogue catalogue_;
  TextTable table_;
};

TEST_F(LanguageCatalogueTest, AFolderGivesTheMenuInHashOrderWithTheActiveLanguageChecked) {
  auto members = ThreeLanguages();
  members.push_back({"EN_GB.LANGUAGE", LanguageFile("Shouting")});
  members.push_back({"en_GB.language.bak", LanguageFile("Backup")});
  const std::string folder = MakeFolder(program_, members);
  fs::create_directory(folder + "/sub.language");
  WriteBytes(folder + "/sub.language/it_IT.language", LanguageFile("Italiano"));

  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.cataloguePath(), folder);
  EXPECT_EQ(catalogue_.menuItems("hu_HU"),
            Items({{5, "English", false}, {6, "Magyar", true}, {7, "Deutsch", false}}));
  EXPECT_EQ(catalogue_.checkedItem(), 6);
  EXPECT_TRUE(catalogue_.contains("en_GB"));
  EXPECT_FALSE(catalogue_.contains("EN_GB"));
  EXPECT_FALSE(catalogue_.contains("it_IT"));
  const LanguageEntry english = catalogue_.entries()[0];
  EXPECT_EQ(english, (LanguageEntry{"English", "en_GB", "1.7", "2024-05-01", "Tester of English",
                                    "id-English", "Other"}));

  catalogue_.menuItems("fr_FR");
  EXPECT_EQ(catalogue_.checkedItem(), 0);
}

TEST_F(LanguageCatalogueTest, LoadReadsEveryGroupInFileOrderAndKeepsKeysTheFileLacks) {
  const std::string folder = MakeFolder(
      program_,
      {{"en_GB.language", kMark + "above = top\n[LANGUAGE FILE]\ntLangFileLANGID = EN\n"
                                  "[Menu]\ntMenuFILE =   File   \ntmenufile = lower\n"
                                  "tReqSURETOEXIT = A\\nB\n[Again]\ntMenuFILE = Later\n"}});
  WriteBytes(program_.file("outside.language"), LanguageFile("Outside", {{"tMainSAVE", "Bad"}}));
  table_.setText("tMainSAVE", "Old save");

  ASSERT_TRUE(catalogue_.load(folder, "en_GB", table_));
  EXPECT_EQ(table_.text("tMenuFILE"), "Later");
  EXPECT_EQ(table_.text("tmenufile"), "lower");
  EXPECT_EQ(table_.text("tReqSURETOEXIT"), "A\\nB");
  EXPECT_EQ(table_.text("tLangFileLANGID"), "EN");
  EXPECT_EQ(table_.text("tMainSAVE"), "Old save");
  EXPECT_FALSE(table_.contains("above"));

  const std::size_t size = table_.size();
  EXPECT_FALSE(catalogue_.load(folder, "de_DE", table_));
  EXPECT_FALSE(catalogue_.load(folder, "../outside", table_));
  EXPECT_EQ(table_.size(), size);
  EXPECT_EQ(table_.text("tMainSAVE"), "Old save");
}

TEST_F(LanguageCatalogueTest, KeysAddedSinceTheFirstFilesFallBackToEnglishThenToNothing) {
  const std::string folder =
      MakeFolder(program_, {{"en_GB.language", LanguageFile("English", {{"tMenuQUIT", "Quit"},
                                                                        {"tReqBADLIST", "No list"},
                                                                        {"tInfoGOT", "got"}})},
                            {"xx_XX.language", LanguageFile("Old", {{"tInfoGOT", "kapott"}})}});
  // Key, what the language loaded before left, what the old file's load gives.
  const std::vector<std::array<std::string, 3>> texts = {{"tMenuQUIT", "Beenden", "Beenden"},
                                                         {"tReqBADLIST", "Keine Liste", "No list"},
                                                         {"tReqNODIGEST", "Keine Prüfsumme", ""},
                                                         {"tInfoGOT", "erhalten", "kapott"}};
  for (const auto& text : texts) table_.setText(text[0], text[1]);
  ASSERT_TRUE(catalogue_.load(folder, "xx_XX", table_));
  for (const auto& text : texts) EXPECT_EQ(table_.text(text[0]), text[2]) << text[0];
}

TEST_F(LanguageCatalogueTest, SwitchingLoadsTheChosenLanguageAndMovesTheCheck) {
  const std::string folder = MakeFolder(
      program_,
      {{"en_GB.language", LanguageFile("English", {{"tMenuFILE", "File"}, {"tMainSAVE", "Save"}})},
       {"de_DE.language", LanguageFile("Deutsch", {{"tMenuFILE", "Datei"}})}});
  catalogue_.discover(program_.dir());
  std::string code = "en_GB";
  ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), code, table_));
  ASSERT_EQ(catalogue_.menuItems(code), Items({{5, "English", true}, {6, "Deutsch", false}}));

  EXPECT_FALSE(catalogue_.switchTo(5, table_, code));
  EXPECT_FALSE(catalogue_.switchTo(4, table_, code));
  EXPECT_FALSE(catalogue_.switchTo(7, table_, code));
  EXPECT_EQ(code, "en_GB");
  EXPECT_EQ(catalogue_.checkedItem(), 5);

  EXPECT_TRUE(catalogue_.switchTo(6, table_, code));
  EXPECT_EQ(code, "de_DE");
  EXPECT_EQ(catalogue_.checkedItem(), 6);
  EXPECT_EQ(table_.text("tMenuFILE"), "Datei");
  EXPECT_EQ(table_.text("tMainSAVE"), "Save");

  // The file went away after start: the check and the code move, texts stay.
  fs::remove(folder + "/en_GB.language");
  EXPECT_TRUE(catalogue_.switchTo(5, table_, code));
  EXPECT_EQ(code, "en_GB");
  EXPECT_EQ(catalogue_.checkedItem(), 5);
  EXPECT_EQ(table_.text("tMenuFILE"), "Datei");
}

TEST_F(LanguageCatalogueTest, AHeaderlessFileAndRepeatedNamesGiveOneEntryEach) {
  MakeFolder(program_, {{"plain.language", "[Main]\ntMainSAVE = Plain\n"},
                        {"b.language", LanguageFile("Twin")},
                        {"c.language", LanguageFile("Twin")}});
  catalogue_.discover(program_.dir());
  const auto entries = catalogue_.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (LanguageEntry{"", "plain", "", "", "", "", ""}));  // slot 0
  EXPECT_EQ(entries[1].name, "Twin");
  EXPECT_TRUE(entries[1].code == "b" || entries[1].code == "c") << entries[1].code;

  std::string code = "b";
  const auto items = catalogue_.menuItems(code);
  EXPECT_EQ(items[0].text, "");
  EXPECT_TRUE(catalogue_.switchTo(items[0].id, table_, code));
  EXPECT_EQ(code, "plain");
  EXPECT_EQ(table_.text("tMainSAVE"), "Plain");
}

TEST_F(LanguageCatalogueTest, APackGivesTheSameCatalogueAsTheFolderAndLeavesNoCopies) {
  const auto before = Listing(fs::temp_directory_path());
  ScratchDirectory packProgram;
  MakeFolder(program_, ThreeLanguages());
  MakePack(packProgram, ThreeLanguages());

  LanguageCatalogue fromPack;
  catalogue_.discover(program_.dir());
  fromPack.discover(packProgram.dir());
  EXPECT_EQ(fromPack.entries(), catalogue_.entries());
  EXPECT_EQ(fromPack.menuItems("hu_HU"),
            Items({{5, "English", false}, {6, "Magyar", true}, {7, "Deutsch", false}}));

  TextTable packTexts;
  ASSERT_TRUE(fromPack.load(fromPack.cataloguePath(), "hu_HU", packTexts));
  EXPECT_EQ(packTexts.text("tMenuFILE"), "F\xC3\xA1jl");
  EXPECT_EQ(packTexts.text("tLangFileNAME"), "Magyar");
  std::string code = "hu_HU";
  ASSERT_TRUE(fromPack.switchTo(5, packTexts, code));
  EXPECT_EQ(packTexts.text("tMenuFILE"), "File");

  for (const std::string& name : Listing(fs::temp_directory_path())) {
    EXPECT_TRUE(before.count(name) || name.find(".language") == std::string::npos) << name;
  }
}

TEST_F(LanguageCatalogueTest, HostilePacksGiveASaneCatalogueAndWriteNothing) {
  const std::string tag = "vandrel-hostile-" + std::to_string(::getpid());
  std::string huge = LanguageFile("Huge") + "; ";
  huge.append(2 * 1024 * 1024, 'x');
  const std::vector<ZipMember> members = {
      {"../" + tag + ".language", LanguageFile("Escape")},
      {"/tmp/" + tag + ".language", LanguageFile("Absolute")},
      {"/etc/" + tag + ".language", LanguageFile("Etc")},
      {"sub/" + tag + ".language", LanguageFile("Nested")},
      {"sub\\" + tag + ".language", LanguageFile("Backslash")},
      {"folder.language/", "", true},
      {".language", LanguageFile("Bare")},
      {"empty.language", ""},
      {"huge.language", huge},
      {"README.txt", LanguageFile("Readme")},
      {"en_GB.language", LanguageFile("English", {{"tMenuFILE", "File"}})}};
  const std::string pack = MakePack(program_, members);
  const auto names = testing::ZipNames(pack);
  ASSERT_EQ(names.size(), members.size());
  ASSERT_NE(std::find(names.begin(), names.end(), "/etc/" + tag + ".language"), names.end());
  ASSERT_NE(std::find(names.begin(), names.end(), "../" + tag + ".language"), names.end());

  const fs::path cwd = fs::current_path();
  const std::vector<fs::path> watched = {fs::temp_directory_path(),
                                         cwd,
                                         cwd.parent_path(),
                                         "/etc",
                                         program_.dir(),
                                         fs::path(program_.dir()).parent_path().parent_path()};
  std::vector<std::set<std::string>> before;
  for (const fs::path& dir : watched) before.push_back(Listing(dir));

  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.entries(),
            (std::vector<LanguageEntry>{{"English", "en_GB", "1.7", "2024-05-01",
                                         "Tester of English", "id-English", "Other"}}));
  for (const std::string& code :
       std::vector<std::string>{"huge", "empty", "../" + tag, "sub/" + tag, tag, ""}) {
    EXPECT_FALSE(catalogue_.load(pack, code, table_)) << code;
  }
  EXPECT_EQ(table_.size(), 0u);
  ASSERT_TRUE(catalogue_.load(pack, "en_GB", table_));
  EXPECT_EQ(table_.text("tMenuFILE"), "File");

  for (std::size_t i = 0; i < watched.size(); ++i) {
    for (const std::string& name : Listing(watched[i])) {
      EXPECT_TRUE(before[i].count(name) || name.find(".language") == std::string::npos)
          << watched[i] << "/" << name;
    }
  }
  EXPECT_FALSE(fs::exists("/etc/" + tag + ".language"));
}

TEST_F(LanguageCatalogueTest, WhatIsNotAZipPackGivesAnEmptyCatalogue) {
  const std::string path = program_.file(kCatalogueName);
  // A tar archive holds a perfectly good language file, but a pack is a ZIP.
  ASSERT_TRUE(WriteArchive(path, {{"en_GB.language", LanguageFile("English")}},
                           testing::ArchiveFormat::Tar));
  const std::vector<std::pair<const char*, std::string>> packs = {
      {"tar", testing::ReadBytes(path)}, {"text", "en_GB.language = not a zip\n"}, {"empty", ""}};
  for (const auto& [what, bytes] : packs) {
    WriteBytes(path, bytes);
    catalogue_.discover(program_.dir());
    EXPECT_EQ(catalogue_.size(), 0u) << what;
    EXPECT_TRUE(catalogue_.menuItems("en_GB").empty()) << what;
    EXPECT_EQ(catalogue_.checkedItem(), 0);
    EXPECT_FALSE(catalogue_.load(path, "en_GB", table_)) << what;
  }
  fs::remove(path);
  catalogue_.discover(program_.dir());
  EXPECT_EQ(catalogue_.size(), 0u);
  EXPECT_EQ(table_.size(), 0u);
}

// The 49 keys of a complete language file: 43 the program asks for and the
// header keys, which live in the group "LANGUAGE FILE".
const std::set<std::string> kHeaderKeys = {"tLangFileNAME",   "tLangFileVERSION",
                                           "tLangFileDATE",   "tLangFileAUTHOR",
                                           "tLangFileLANGID", "tLangFileSOFTWARE"};
const std::set<std::string> kProgramKeys = {
    "tMenuFILE",      "tMenuOPEN",       "tMenuQUIT",           "tMenuLANGUAGES",
    "tMenuHELP",      "tMenuOPENHELP",   "tMenuABOUT",          "tMenuOPENWEB",
    "tMainSOURCE",    "tMainSOURCETIP",  "tGenBROWSE",          "tMainFILENAME",
    "tMainHASH",      "tMainCLIPBOARD",  "tMainSAVE",           "tMainDELETE",
    "tMainDELETEALL", "tMainSETTINGS",   "tMainALGORITHM",      "tMainBITS",
    "tMainCALCULATE", "tMainCANCEL",     "tReqOPENFILE",        "tReqOPENPATTERN",
    "tReqSAVEDATA",   "tReqSAVEPATTERN", "tGenMESSAGE",         "tGenOK",
    "tGenNO",         "tGenYES",         "tReqSURETOEXIT",      "tReqINPROGRESSQUIT",
    "tReqCANCEL",     "tReqCLIPBOARD",   "tReqDELETE",          "tReqDELETEALL",
    "tReqFINISHED",   "tReqCANCELLED",   "tInfoFILESPROCESSED", "tInfoERRORCALCULATE",
    "tInfoFILES",     "tAboutTITLE",     "tAboutCODE",          "tMainRESULTS",
    "tMainPROGRESS",  "tReqSAVEFAILED",  "tReqSAVEREPLACE"};
// The keys of the checksum-list, copied-checksum and list-save commands and of
// the manual's notice, which every shipped language has too.
const std::set<std::string> kVerifyKeys = {
    "tMenuVERIFY",       "tMenuCOMPARE",        "tReqVERIFYFILE",
    "tReqVERIFYPATTERN", "tReqBADLIST",         "tReqMATCH",
    "tReqNOMATCH",       "tReqNODIGEST",        "tReqNOTCOMPUTED",
    "tInfoMATCHED",      "tInfoMISMATCHED",     "tInfoMISSING",
    "tInfoREJECTED",     "tInfoEXPECTED",       "tInfoGOT",
    "tReqLISTNOTFILE",   "tReqLISTTOOLARGE",    "tReqLISTUNREADABLE",
    "tReqSAVEOTHERKIND", "tReqNOMANUAL",        "tReqSAVELINK",
    "tReqSAVECOPYKEPT",  "tReqCLIPBOARDESCAPED"};
// What a screen reader says for each state a results row's image shows.
const std::set<std::string> kRowStateKeys = {
    "tMainROWQUEUED",  "tMainROWCOMPUTING", "tMainROWCOMPUTED", "tMainROWFAILED",
    "tMainROWMATCHES", "tMainROWDIFFERS",   "tMainROWMISSING"};
// Why a row failed, the system's common reasons, and the key names the
// buttons' tooltips show.
const std::set<std::string> kReasonKeys = {
    "tInfoNOALGORITHM", "tInfoCANNOTOPEN", "tInfoNOTAFILE", "tInfoISAFOLDER", "tInfoREADERROR",
    "tInfoOUTOFMEMORY", "tErrNOENT",       "tErrACCES",     "tErrISDIR",      "tErrNAMETOOLONG",
    "tErrLOOP",         "tErrIO",          "tErrNOTDIR",    "tErrMFILE",      "tErrNOMEM",
    "tErrINVAL",        "tKeyCTRL",        "tKeySHIFT",     "tKeyRETURN",     "tKeyDELETE"};

// Signed lists: the outcomes, and the command that checks with a key file.
const std::set<std::string> kSignatureKeys = {"tMenuVERIFYKEY",     "tReqKEYFILE",
                                              "tReqKEYPATTERN",     "tReqFINGERPRINT",
                                              "tReqBADFINGERPRINT", "tGenCANCEL",
                                              "tSigGOOD",           "tSigGOODUNCERTIFIED",
                                              "tSigEXPIRED",        "tSigREVOKED",
                                              "tSigUNKNOWNKEY",     "tSigUNKNOWNKEYFILE",
                                              "tSigWRONGSIGNER",    "tSigBAD",
                                              "tSigUNREADABLE",     "tSigCANNOTCHECK",
                                              "tSigUNSIGNEDLINES",  "tSigNONE",
                                              "tSigNONAME",         "tSigUNTRUSTED",
                                              "tSigWHYNODATA",      "tSigWHYNOTFORSIGNING",
                                              "tSigWHYSTRAY",       "tSigWHYLARGE",
                                              "tSigWHYNOTAFILE",    "tSigWHYUNREADABLE",
                                              "tSigWHYSECRET",      "tSigWHYNOKEY",
                                              "tSigWHYNOGPG",       "tSigWHYKEYRING",
                                              "tSigWHYGPG",         "tSigTRYKEYFILE"};

std::vector<fs::path> ShippedLanguageFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(VANDREL_LANG_DIR)) {
    if (entry.path().extension() == ".language") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(LanguageCatalogueTest, ShippedLanguageFilesHoldExactlyTheKeys) {
  ASSERT_EQ(kProgramKeys.size(), 47u);
  const auto files = ShippedLanguageFiles();
  std::set<std::string> codes;
  std::set<std::string> names;
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.filename().string());
    const std::string code = path.stem().string();
    codes.insert(code);
    EXPECT_TRUE(std::regex_match(code, std::regex("[a-z]{2,3}_[A-Z]{2}")));
    EXPECT_EQ(testing::ReadBytes(path.string()).substr(0, 3), kMark);

    KeyValueFile file;
    ASSERT_TRUE(file.open(path.string()));
    std::map<std::string, int> seen;
    file.examineGroups();
    int group = 0;
    while (file.nextGroup()) {
      ++group;
      ASSERT_TRUE(file.examineKeys());
      while (file.nextKey()) {
        const std::string key = file.keyName();
        ++seen[key];
        EXPECT_FALSE(file.keyValue().empty()) << key;
      }
    }
    EXPECT_GT(group, 0);
    for (const auto& [key, count] : seen) {
      EXPECT_TRUE(kProgramKeys.count(key) || kHeaderKeys.count(key) || kVerifyKeys.count(key) ||
                  kRowStateKeys.count(key) || kReasonKeys.count(key) || kSignatureKeys.count(key))
          << "unknown key " << key;
      EXPECT_EQ(count, 1) << key;
    }
    for (const auto& keys :
         {kProgramKeys, kHeaderKeys, kVerifyKeys, kRowStateKeys, kReasonKeys, kSignatureKeys}) {
      for (const std::string& key : keys) EXPECT_TRUE(seen.count(key)) << "missing " << key;
    }
    ASSERT_TRUE(file.selectGroup("LANGUAGE FILE"));
    std::set<std::string> header;
    ASSERT_TRUE(file.examineKeys());
    while (file.nextKey()) header.insert(file.keyName());
    EXPECT_EQ(header, kHeaderKeys);
    const std::string name = file.readText("tLangFileNAME", "");
    EXPECT_TRUE(names.insert(name).second) << "display name used twice: " << name;
    EXPECT_NE(file.readText("tLangFileLANGID", ""), "");

    // The requester patterns are "name|pattern;pattern|name|pattern" pairs.
    TextTable texts;
    LanguageCatalogue().load(VANDREL_LANG_DIR, code, texts);
    EXPECT_EQ(texts.size(), 53u + kVerifyKeys.size() + kRowStateKeys.size() + kReasonKeys.size() +
                                kSignatureKeys.size());
    for (const char* key :
         {"tReqOPENPATTERN", "tReqSAVEPATTERN", "tReqVERIFYPATTERN", "tReqKEYPATTERN"}) {
      const std::string& pattern = texts.text(key);
      EXPECT_EQ(std::count(pattern.begin(), pattern.end(), '|') % 2, 1) << pattern;
      EXPECT_EQ(pattern.find("||"), std::string::npos) << pattern;
    }
  }
  for (const char* code : {"en_GB", "de_DE", "hu_HU", "fr_FR", "es_ES", "it_IT"}) {
    EXPECT_TRUE(codes.count(code)) << "no " << code << ".language";
  }
}

TEST_F(LanguageCatalogueTest, ShippedFilesGiveTheSameCatalogueAsAFolderAndAsAPack) {
  std::vector<ZipMember> members;
  for (const fs::path& path : ShippedLanguageFiles()) {
    members.push_back({path.filename().string(), testing::ReadBytes(path.string())});
  }
  ASSERT_FALSE(members.empty());
  ScratchDirectory packProgram;
  MakeFolder(program_, members);
  MakePack(packProgram, members);
  LanguageCatalogue fromPack;
  catalogue_.discover(program_.dir());
  fromPack.discover(packProgram.dir());
  EXPECT_EQ(catalogue_.size(), members.size());
  EXPECT_EQ(fromPack.entries(), catalogue_.entries());
  EXPECT_EQ(fromPack.menuItems("hu_HU"), catalogue_.menuItems("hu_HU"));

  for (const LanguageEntry& entry : catalogue_.entries()) {
    TextTable folderTexts;
    TextTable packTexts;
    ASSERT_TRUE(catalogue_.load(catalogue_.cataloguePath(), entry.code, folderTexts));
    ASSERT_TRUE(fromPack.load(fromPack.cataloguePath(), entry.code, packTexts));
    for (const auto& keys : {kProgramKeys, kHeaderKeys}) {
      for (const std::string& key : keys) {
        EXPECT_EQ(packTexts.text(key), folderTexts.text(key)) << entry.code << " " << key;
      }
    }
  }
}

}  // namespace
}  // namespace vandrel

// Discovery, loading and the language switch. A catalogue folder is listed
// through the toolkit's directory listing; a pack goes through language_pack.
// Every failure here is silent on purpose: a language that cannot be read is
// simply not offered, and a load that finds nothing leaves the texts as they are.
#include "settings/language_catalogue.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/ids.h"
#include "settings/key_value_file.h"
#include "settings/language_limits.h"
#include "settings/language_pack.h"
#include "settings/preferences.h"
#include "settings/text_table.h"
#include "system/files.h"

namespace vandrel {
namespace {

constexpr char kHeaderGroup[] = "LANGUAGE FILE";

// Owns one numbered directory listing of the toolkit.
class DirectoryListing {
 public:
  DirectoryListing(const std::string& directory, const std::string& pattern)
      : number_(sys::ExamineDirectory(-1, directory, pattern)) {}
  ~DirectoryListing() {
    if (number_ != 0) sys::FinishDirectory(number_);
  }
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;
  bool valid() const { return number_ != 0; }
  int number() const { return number_; }

 private:
  int number_;
};

// The keys of the first language files. A file made for that first version,
// or by someone who knew only those, lacks every key added since; such a key
// shows the English text rather than nothing. A first key a file lacks keeps
// its empty text or the previous language's, as it always has.
constexpr std::array<std::string_view, 49> kFirstKeys = {
    "tMenuFILE",        "tMenuOPEN",       "tMenuQUIT",           "tMenuLANGUAGES",
    "tMenuHELP",        "tMenuOPENHELP",   "tMenuABOUT",          "tMenuOPENWEB",
    "tMainSOURCE",      "tMainSOURCETIP",  "tGenBROWSE",          "tMainFILENAME",
    "tMainHASH",        "tMainCLIPBOARD",  "tMainSAVE",           "tMainDELETE",
    "tMainDELETEALL",   "tMainSETTINGS",   "tMainALGORITHM",      "tMainBITS",
    "tMainCALCULATE",   "tMainCANCEL",     "tReqOPENFILE",        "tReqOPENPATTERN",
    "tReqSAVEDATA",     "tReqSAVEPATTERN", "tGenMESSAGE",         "tGenOK",
    "tGenNO",           "tGenYES",         "tReqSURETOEXIT",      "tReqINPROGRESSQUIT",
    "tReqCANCEL",       "tReqCLIPBOARD",   "tReqDELETE",          "tReqDELETEALL",
    "tReqFINISHED",     "tReqCANCELLED",   "tInfoFILESPROCESSED", "tInfoERRORCALCULATE",
    "tInfoFILES",       "tAboutTITLE",     "tAboutCODE",          "tLangFileNAME",
    "tLangFileVERSION", "tLangFileDATE",   "tLangFileAUTHOR",     "tLangFileLANGID",
    "tLangFileSOFTWARE"};

bool IsFirstKey(std::string_view key) {
  return std::find(kFirstKeys.begin(), kFirstKeys.end(), key) != kFirstKeys.end();
}

enum class Keys { All, Later };

// Pairs above the first group line are not part of any group and not read.
// The table is never emptied, so each load may add only so many keys to it;
// past that, a pair still replaces the text of a key the table holds.
void FillTable(KeyValueFile& file, TextTable& table, Keys keys = Keys::All) {
  std::size_t added = 0;
  file.examineGroups();
  while (file.nextGroup()) {
    if (!file.examineKeys()) continue;
    while (file.nextKey()) {
      const std::string key = file.keyName();
      if (keys == Keys::Later && IsFirstKey(key)) continue;
      if (!table.contains(key)) {
        if (added == kMaxLanguageKeys) continue;
        ++added;
      }
      table.setText(key, file.keyValue());
    }
  }
}

bool IsFolder(const std::string& path) { return sys::FileSize(path) == sys::kFileIsDirectory; }

// `bytes` holds a pack entry's text while `file` reads it.
bool OpenLanguage(const std::string& cataloguePath, const std::string& code, KeyValueFile& file,
                  std::string& bytes) {
  // A code is a plain file name; one with a separator could reach outside
  // the catalogue folder.
  if (code.find('/') != std::string::npos) return false;
  if (IsFolder(cataloguePath)) {
    return file.open(cataloguePath + "/" + code + kLanguageExtension, kMaxLanguageBytes);
  }
  return sys::FileSize(cataloguePath) > 0 && ReadPackLanguage(cataloguePath, code, bytes) &&
         file.openMemory(bytes);
}

}  // namespace

void LanguageCatalogue::addFromDocument(KeyValueFile& file, const std::string& code) {
  file.selectGroup(kHeaderGroup);
  const std::string name = file.readText("tLangFileNAME", "");
  LanguageEntry& entry = entries_.obtain(name);
  entry.name = name;
  entry.code = code;
  entry.version = file.readText("tLangFileVERSION", "");
  entry.date = file.readText("tLangFileDATE", "");
  entry.author = file.readText("tLangFileAUTHOR", "");
  entry.langId = file.readText("tLangFileLANGID", "");
  entry.software = file.readText("tLangFileSOFTWARE", "");
}

void LanguageCatalogue::discover(const std::string& programDirectory) {
  entries_.clear();
  checkedId_ = 0;
  path_ = programDirectory + kCatalogueName;
  const std::int64_t size = sys::FileSize(path_);
  if (size == sys::kFileIsDirectory) {
    discoverFolder();
  } else if (size != 0) {
    discoverPack();  // a missing pack fails to open and gives nothing
  }
}

void LanguageCatalogue::discoverFolder() {
  const std::string_view extension = kLanguageExtension;
  DirectoryListing listing(path_, std::string("*") + kLanguageExtension);
  if (!listing.valid()) return;
  KeyValueFile file;
  CatalogueBudget budget;
  while (budget.examineEntry() && sys::NextDirectoryEntry(listing.number())) {
    if (sys::DirectoryEntryType(listing.number()) == sys::kEntryDirectory) continue;
    const std::string name = sys::DirectoryEntryName(listing.number());
    if (name.size() < extension.size() ||
        std::string_view(name).substr(name.size() - extension.size()) != extension) {
      continue;
    }
    // The size is only the budget's estimate; open enforces the file limit.
    const std::string path = path_ + "/" + name;
    const std::int64_t size = sys::FileSize(path);
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxLanguageBytes ||
        !budget.spend(static_cast<std::size_t>(size))) {
      continue;
    }
    if (!file.open(path, kMaxLanguageBytes)) continue;
    addFromDocument(file, name.substr(0, name.size() - extension.size()));
    file.close();
  }
}

void LanguageCatalogue::discoverPack() {
  KeyValueFile file;
  ForEachPackLanguage(path_, [&](const std::string& code, std::string_view bytes) {
    if (!file.openMemory(bytes)) return;
    addFromDocument(file, code);
    file.close();
  });
}

bool LanguageCatalogue::contains(const std::string& code) const {
  for (const LanguageEntry* entry : entries_.ordered()) {
    if (entry->code == code) return true;
  }
  return false;
}

std::vector<LanguageEntry> LanguageCatalogue::entries() const {
  std::vector<LanguageEntry> result;
  for (const LanguageEntry* entry : entries_.ordered()) result.push_back(*entry);
  return result;
}

bool LanguageCatalogue::load(const std::string& cataloguePath, const std::string& code,
                             TextTable& table) const {
  KeyValueFile file;
  std::string bytes;
  if (!OpenLanguage(cataloguePath, code, file, bytes)) return false;
  // Later keys: the chosen file's text, else the English one, else nothing.
  for (const std::string& key : table.keys()) {
    if (!IsFirstKey(key)) table.setText(key, "");
  }
  if (code != kFallbackLanguage) {
    KeyValueFile english;
    std::string englishBytes;
    if (OpenLanguage(cataloguePath, kFallbackLanguage, english, englishBytes)) {
      FillTable(english, table, Keys::Later);
      english.close();
    }
  }
  FillTable(file, table);
  file.close();
  return true;
}

std::vector<LanguageMenuItem> LanguageCatalogue::menuItems(const std::string& activeCode) {
  std::vector<LanguageMenuItem> items;
  checkedId_ = 0;
  int id = kMenuFirstLanguage;
  for (const LanguageEntry* entry : entries_.ordered()) {
    const bool checked = checkedId_ == 0 && entry->code == activeCode;
    if (checked) checkedId_ = id;
    items.push_back({id, entry->name, checked});
    ++id;
  }
  return items;
}

bool LanguageCatalogue::switchTo(int menuId, TextTable& table, std::string& languageCode) {
  if (menuId == checkedId_) return false;
  const std::vector<const LanguageEntry*> ordered = entries_.ordered();
  if (menuId < kMenuFirstLanguage ||
      static_cast<std::size_t>(menuId - kMenuFirstLanguage) >= ordered.size()) {
    return false;
  }
  const LanguageEntry& entry = *ordered[static_cast<std::size_t>(menuId - kMenuFirstLanguage)];
  load(path_, entry.code, table);
  languageCode = entry.code;
  checkedId_ = menuId;
  return true;
}

}  // namespace vandrel

// Discovery, loading and the language switch. A catalogue folder is listed
// through the toolkit's directory listing; a pack goes through language_pack.
// Every failure here is silent on purpose: a language that cannot be read is
// simply not offered, and a load that finds nothing leaves the texts as they are.
#include "settings/language_catalogue.h"

#include <string_view>

#include "core/ids.h"
#include "settings/key_value_file.h"
#include "settings/language_limits.h"
#include "settings/language_pack.h"
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

// Pairs above the first group line are not part of any group and not read.
// The table is never emptied, so each load may add only so many keys to it;
// past that, a pair still replaces the text of a key the table holds.
void FillTable(KeyValueFile& file, TextTable& table) {
  std::size_t added = 0;
  file.examineGroups();
  while (file.nextGroup()) {
    if (!file.examineKeys()) continue;
    while (file.nextKey()) {
      const std::string key = file.keyName();
      if (!table.contains(key)) {
        if (added == kMaxLanguageKeys) continue;
        ++added;
      }
      table.setText(key, file.keyValue());
    }
  }
}

bool IsFolder(const std::string& path) { return sys::FileSize(path) == sys::kFileIsDirectory; }

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
  // A code is a plain file name; one with a separator could reach outside
  // the catalogue folder.
  if (code.find('/') != std::string::npos) return false;
  KeyValueFile file;
  if (IsFolder(cataloguePath)) {
    if (!file.open(cataloguePath + "/" + code + kLanguageExtension, kMaxLanguageBytes))
      return false;
  } else {
    if (sys::FileSize(cataloguePath) <= 0) return false;
    std::string bytes;
    if (!ReadPackLanguage(cataloguePath, code, bytes) || !file.openMemory(bytes)) return false;
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

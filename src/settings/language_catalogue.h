// LanguageCatalogue: the languages found beside the program in "Vandrel.lang",
// a folder of "*.language" files or a ZIP pack of them, one entry per display
// name in the order of the Languages menu. It loads a language's texts into
// the text table and keeps the data side of a language switch (which entry an
// item id means, which item is checked). Building the menu is the shell's job.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/slot_hash.h"

namespace vandrel {

class KeyValueFile;
class TextTable;

struct LanguageEntry {
  std::string name;  // display name, the menu item's text
  std::string code;  // the file name without ".language", such as "en_GB"
  std::string version;
  std::string date;
  std::string author;
  std::string langId;  // names the help file
  std::string software;

  bool operator==(const LanguageEntry&) const = default;
};

struct LanguageMenuItem {
  int id = 0;
  std::string text;
  bool checked = false;

  bool operator==(const LanguageMenuItem&) const = default;
};

inline constexpr char kCatalogueName[] = "Vandrel.lang";
inline constexpr char kLanguageExtension[] = ".language";

class LanguageCatalogue {
 public:
  // Fills the catalogue from programDirectory + "Vandrel.lang" (the directory
  // ends in "/"). Unreadable files and entries are skipped silently: the
  // program simply offers the languages it can read.
  void discover(const std::string& programDirectory);

  // The path discover looked at; switchTo loads from it.
  const std::string& cataloguePath() const { return path_; }
  bool contains(const std::string& code) const;
  std::size_t size() const { return entries_.size(); }
  // Entries in menu order.
  std::vector<LanguageEntry> entries() const;

  // Puts every pair of every group of code's file into the table, later pairs
  // over earlier ones. Of the keys the file lacks, those added to Vandrel
  // after its first language files take the English file's text, or the
  // empty one; the first keys keep their texts. True when the file was found
  // and read; failure changes nothing and is not an error.
  bool load(const std::string& cataloguePath, const std::string& code, TextTable& table) const;

  // One item per entry, ids from 5 in menu order; the first item whose code
  // is activeCode is checked and becomes the checked item (0 when none).
  std::vector<LanguageMenuItem> menuItems(const std::string& activeCode);
  int checkedItem() const { return checkedId_; }

  // For a chosen language item: nothing happens (false) when it is the checked
  // item or no item of the menu. Otherwise the entry's file is loaded, the
  // code becomes the entry's even if nothing loaded, the item becomes the
  // checked one, and the caller must relabel the window (true).
  bool switchTo(int menuId, TextTable& table, std::string& languageCode);

 private:
  void addFromDocument(KeyValueFile& file, const std::string& code);
  void discoverFolder();
  void discoverPack();

  SlotHash<LanguageEntry> entries_;
  std::string path_;
  int checkedId_ = 0;
};

}  // namespace vandrel

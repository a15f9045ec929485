// What one language, and one look through the language catalogue, may cost.
// A real language file is about 2 KiB with fifty keys, and a catalogue holds
// a handful of them; the limits are far above that, yet low enough that any
// folder or pack beside the program is read in well under a second.
#pragma once

#include <cstddef>

namespace vandrel {

// One language file or pack entry; larger ones are skipped unread.
inline constexpr std::size_t kMaxLanguageBytes = 1024 * 1024;
// A whole pack file; a larger one is not opened. libarchive reads a ZIP's
// whole central directory before the first entry, so the entry limit alone
// would not bound the work a pack of a million empty entries asks for.
inline constexpr std::size_t kMaxPackBytes = 2 * 1024 * 1024;
// Keys one language load may add to the text table; texts of keys already
// there are still replaced.
inline constexpr std::size_t kMaxLanguageKeys = 4096;
// Folder or pack entries one look through the catalogue examines.
inline constexpr std::size_t kMaxCatalogueEntries = 512;
// Language bytes (read from files or decompressed from a pack) that one look
// through the catalogue may spend.
inline constexpr std::size_t kMaxCatalogueBytes = 4 * 1024 * 1024;

// What one look through the catalogue has left to spend.
class CatalogueBudget {
 public:
  // Counts one entry; false once kMaxCatalogueEntries have been examined.
  bool examineEntry() {
    if (entries_ == kMaxCatalogueEntries) return false;
    ++entries_;
    return true;
  }
  std::size_t bytesLeft() const { return kMaxCatalogueBytes - bytes_; }
  // Spends `bytes`, or all that is left when that is less, and then says
  // false: the look is over once the budget is spent.
  bool spend(std::size_t bytes) {
    const bool fits = bytes <= bytesLeft();
    bytes_ += fits ? bytes : bytesLeft();
    return fits;
  }

 private:
  std::size_t entries_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace vandrel

// TextTable: every visible text of the program, looked up by key ("tMenuFILE")
// at the moment of use. It starts empty, is filled only by loading a language
// file, and is never emptied. Keys are compared with exact case. The table
// the program shows lives here too, so the dialogs can look texts up without
// knowing the window program's records.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/slot_hash.h"

namespace vandrel {

class TextTable {
 public:
  // The text held for the key. A missing key is added with the empty text,
  // which is returned. The reference stays valid for the table's life; its
  // contents change when the key's text is set again.
  const std::string& text(const std::string& key);
  void setText(const std::string& key, const std::string& value);

  bool contains(const std::string& key) const { return texts_.find(key) != nullptr; }
  std::vector<std::string> keys() const {
    const std::vector<std::string_view> views = texts_.keys();
    return {views.begin(), views.end()};
  }
  std::size_t size() const { return texts_.size(); }

 private:
  SlotHash<std::string> texts_;
};

// The program's one text table; main thread.
TextTable& Texts();

// The text the program's table holds for `key` now; a missing key gives the
// empty text. Main thread.
const std::string& T(const std::string& key);

}  // namespace vandrel

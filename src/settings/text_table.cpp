// The text table's two operations over the shared slot hash, and the
// program's single table.
#include "settings/text_table.h"

namespace vandrel {

const std::string& TextTable::text(const std::string& key) { return texts_.obtain(key); }

void TextTable::setText(const std::string& key, const std::string& value) {
  texts_.obtain(key) = value;
}

TextTable& Texts() {
  static TextTable table;
  return table;
}

const std::string& T(const std::string& key) { return Texts().text(key); }

}  // namespace vandrel

// Fuzzes the key-value reader: any bytes must parse, every group and pair
// must be reachable by enumeration and lookup, and what the document writes
// back must read back to the very same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/key_value_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vandrel::KeyValueFile;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  KeyValueFile file;
  Check(file.openMemory(bytes));

  file.examineGroups();
  while (file.nextGroup()) {
    Check(file.examineKeys());
    while (file.nextKey()) {
      // Lookups may find an earlier twin of the name, but never nothing. No
      // value can hold a line feed, so it cannot be mistaken for a found one.
      const std::string key = file.keyName();
      Check(file.readText(key, "\n") != "\n");
      file.readInteger(key, 0);
    }
  }

  // Writing must reach a fixed point after one round: a second parse of the
  // written text must not lose, split or merge anything.
  const std::string written = file.serialise();
  KeyValueFile again;
  Check(again.openMemory(written));
  Check(again.serialise() == written);

  // Edits on a parsed document must keep it well-formed too.
  file.selectGroup("Fuzz");
  file.writeText("Key", std::string(bytes.substr(0, 16)));
  file.addComment("note");
  KeyValueFile edited;
  Check(edited.openMemory(file.serialise()));
  Check(edited.selectGroup("Fuzz"));
  return 0;
}

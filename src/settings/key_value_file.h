// KeyValueFile: the grouped "key = value" text format of the preferences and
// language files. It reads a whole file (or a buffer) into an ordered list of
// comments, groups and pairs, answers lookups, takes edits, and on close writes
// a changed document back as UTF-8 with the mark and LF line ends. A document
// that was only read is never written; one read from memory never is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// The program's own files are a few KiB. Anything far larger is not one of
// them, and reading it whole could exhaust a small board's memory.
inline constexpr std::size_t kMaxKeyValueFileBytes = 16 * 1024 * 1024;

class KeyValueFile {
 public:
  KeyValueFile() = default;
  ~KeyValueFile();
  KeyValueFile(const KeyValueFile&) = delete;
  KeyValueFile& operator=(const KeyValueFile&) = delete;

  // Each of these first closes a document that is still open.
  // False when the path is not a readable regular file or holds more than
  // maxBytes.
  bool open(const std::string& path, std::size_t maxBytes = kMaxKeyValueFileBytes);
  bool openMemory(std::string_view bytes);
  // Creates or truncates the file at once; the new empty document counts as
  // changed, so close writes at least the mark line.
  bool create(const std::string& path);
  // Writes the document back when it is changed and came from a file.
  void close();

  bool selectGroup(const std::string& name);
  std::string readText(const std::string& key, const std::string& fallback) const;
  std::int32_t readInteger(const std::string& key, std::int32_t fallback) const;

  void addComment(const std::string& text);
  void writeText(const std::string& key, const std::string& value);
  void writeInteger(const std::string& key, std::int32_t value);

  bool examineGroups();
  bool nextGroup();
  bool examineKeys();
  bool nextKey();
  // The pair reached by nextKey: key as spelled, value trimmed of blanks.
  // Empty when no pair is reached.
  std::string keyName() const;
  std::string keyValue() const;

  // The whole text close would write.
  std::string serialise() const;

 private:
  enum class Kind { Comment, Group, Pair };
  struct Entry {
    Kind kind;
    std::string name;   // comment text, group name or key
    std::string value;  // pairs only
  };
  // A position in `entries_`; kTop stands before the first entry.
  static constexpr std::size_t kTop = static_cast<std::size_t>(-1);

  void reset();
  void parse(std::string_view bytes);
  std::size_t scanStart(std::size_t group) const;
  std::size_t groupEnd(std::size_t group) const;
  std::optional<std::size_t> findKey(const std::string& key) const;
  void materialisePendingGroup();
  std::size_t insertAt(std::size_t index, Entry entry);

  std::vector<Entry> entries_;
  std::string path_;
  bool open_ = false;
  bool fromMemory_ = false;
  bool changed_ = false;
  std::size_t current_ = kTop;
  std::optional<std::string> pending_;
  std::size_t lastTouched_ = kTop;  // where addComment inserts after
  // Enumeration: the next entry nextGroup / nextKey look at (kTop for keys:
  // no enumeration started), and the pair nextKey reached last.
  std::size_t groupScan_ = 0;
  std::size_t keyScan_ = kTop;
  std::size_t reached_ = kTop;
};

}  // namespace vandrel

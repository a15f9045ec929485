// Reading, lookup, editing and writing of the grouped key-value text format.
// Files are read whole and closed at once; a changed document is written back
// whole on close. Nothing here keeps a descriptor open between calls.
#include "settings/key_value_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>

#include "settings/utf8.h"
#include "system/bounded_read.h"
#include "system/file_descriptor.h"

namespace vandrel {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A line break inside a field would split it into two entries when the file
// is read again, so each one is written as a blank instead.
void AppendOneLine(std::string& out, std::string_view text) {
  for (const char c : text) out.push_back((c == '\r' || c == '\n') ? ' ' : c);
}

int CreateTruncated(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
}

}  // namespace

KeyValueFile::~KeyValueFile() { close(); }

void KeyValueFile::reset() {
  entries_.clear();
  path_.clear();
  open_ = false;
  fromMemory_ = false;
  changed_ = false;
  current_ = kTop;
  pending_.reset();
  lastTouched_ = kTop;
  groupScan_ = 0;
  keyScan_ = kTop;
  reached_ = kTop;
}

bool KeyValueFile::open(const std::string& path, std::size_t maxBytes) {
  close();
  try {
    // Pipes, devices and folders are refused unread: opening them could
    // block or never end.
    const sys::BoundedRead read = sys::ReadRegularFile(path, maxBytes);
    if (read.problem != sys::ReadProblem::None) return false;
    parse(read.bytes);
  } catch (const std::bad_alloc&) {
    reset();
    return false;
  }
  path_ = path;
  open_ = true;
  return true;
}

bool KeyValueFile::openMemory(std::string_view bytes) {
  close();
  try {
    parse(bytes);
  } catch (const std::bad_alloc&) {
    reset();
    return false;
  }
  open_ = true;
  fromMemory_ = true;
  return true;
}

bool KeyValueFile::create(const std::string& path) {
  close();
  sys::FileDescriptor fd(CreateTruncated(path));
  if (!fd.valid()) return false;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  path_ = path;
  open_ = true;
  changed_ = true;
  return true;
}

void KeyValueFile::close() {
  if (open_ && changed_ && !fromMemory_) {
    const std::string text = serialise();
    sys::FileDescriptor fd(CreateTruncated(path_));
    // A failed or short write is not reported: the caller has no remedy, and
    // the file then holds what could be written.
    std::size_t done = 0;
    while (fd.valid() && done < text.size()) {
      const ssize_t put = ::write(fd.get(), text.data() + done, text.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
  }
  reset();
}

void KeyValueFile::parse(std::string_view bytes) {
  std::string text;
  if (bytes.size() >= kUtf8Mark.size() && bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    text = RepairUtf8(bytes.substr(kUtf8Mark.size()));
  } else {
    text = Latin1ToUtf8(bytes);
  }

  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;

    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty()) continue;

    if (line.front() == ';') {
      line.remove_prefix(1);
      if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
      entries_.push_back({Kind::Comment, std::string(line), {}});
    } else if (line.front() == '[') {
      line.remove_prefix(1);
      entries_.push_back({Kind::Group, std::string(line.substr(0, line.find(']'))), {}});
    } else {
      const std::size_t equals = line.find('=');
      std::string_view key = line.substr(0, equals);
      while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
      std::string_view value;
      if (equals != std::string_view::npos) {
        value = line.substr(equals + 1);
        while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
      }
      entries_.push_back({Kind::Pair, std::string(key), std::string(value)});
    }
  }
}

std::size_t KeyValueFile::scanStart(std::size_t group) const {
  return group == kTop ? 0 : group + 1;
}

std::size_t KeyValueFile::groupEnd(std::size_t group) const {
  std::size_t i = scanStart(group);
  while (i < entries_.size() && entries_[i].kind != Kind::Group) ++i;
  return i;
}

std::optional<std::size_t> KeyValueFile::findKey(const std::string& key) const {
  if (!open_ || pending_) return std::nullopt;
  for (std::size_t i = scanStart(current_); i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    if (entry.kind == Kind::Group) break;
    if (entry.kind == Kind::Pair && SameIgnoringAsciiCase(entry.name, key)) return i;
  }
  return std::nullopt;
}

std::size_t KeyValueFile::insertAt(std::size_t index, Entry entry) {
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  for (std::size_t* position : {&current_, &lastTouched_, &reached_, &groupScan_, &keyScan_}) {
    if (*position != kTop && *position >= index) ++*position;
  }
  changed_ = true;
  return index;
}

void KeyValueFile::materialisePendingGroup() {
  const std::size_t index = insertAt(entries_.size(), {Kind::Group, *pending_, {}});
  pending_.reset();
  current_ = index;
  lastTouched_ = index;
}

bool KeyValueFile::selectGroup(const std::string& name) {
  if (!open_) return false;
  if (name.empty()) {
    current_ = kTop;
    lastTouched_ = kTop;
    pending_.reset();
    return true;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == Kind::Group && SameIgnoringAsciiCase(entries_[i].name, name)) {
      current_ = i;
      lastTouched_ = i;
      pending_.reset();
      return true;
    }
  }
  pending_ = name;
  return false;
}

std::string KeyValueFile::readText(const std::string& key, const std::string& fallback) const {
  const auto found = findKey(key);
  if (!found) return fallback;
  return std::string(TrimBlanks(entries_[*found].value));
}

std::int32_t KeyValueFile::readInteger(const std::string& key, std::int32_t fallback) const {
  const auto found = findKey(key);
  if (!found) return fallback;
  std::string_view text = entries_[*found].value;
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Past the 32-bit range the result sticks at the range's end.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

void KeyValueFile::addComment(const std::string& text) {
  if (!open_) return;
  if (pending_) materialisePendingGroup();
  const std::size_t at = lastTouched_ == kTop ? 0 : lastTouched_ + 1;
  lastTouched_ = insertAt(at, {Kind::Comment, text, {}});
}

void KeyValueFile::writeText(const std::string& key, const std::string& value) {
  if (!open_) return;
  if (pending_) {
    materialisePendingGroup();
  } else if (const auto found = findKey(key)) {
    entries_[*found].name = key;
    entries_[*found].value = value;
    changed_ = true;
    return;
  }
  lastTouched_ = insertAt(groupEnd(current_), {Kind::Pair, key, value});
}

void KeyValueFile::writeInteger(const std::string& key, std::int32_t value) {
  writeText(key, std::to_string(value));
}

bool KeyValueFile::examineGroups() {
  if (!open_) return false;
  current_ = kTop;
  pending_.reset();
  groupScan_ = 0;
  keyScan_ = kTop;
  reached_ = kTop;
  return true;
}

bool KeyValueFile::nextGroup() {
  if (!open_) return false;
  while (groupScan_ < entries_.size()) {
    const std::size_t i = groupScan_++;
    if (entries_[i].kind == Kind::Group) {
      current_ = i;
      lastTouched_ = i;
      pending_.reset();
      keyScan_ = kTop;
      reached_ = kTop;
      return true;
    }
  }
  return false;
}

bool KeyValueFile::examineKeys() {
  reached_ = kTop;
  if (!open_ || pending_) {
    keyScan_ = kTop;
    return false;
  }
  keyScan_ = scanStart(current_);
  return true;
}

bool KeyValueFile::nextKey() {
  reached_ = kTop;
  if (keyScan_ == kTop) return false;
  while (keyScan_ < entries_.size()) {
    const Entry& entry = entries_[keyScan_];
    if (entry.kind == Kind::Group) return false;
    const std::size_t i = keyScan_++;
    if (entry.kind == Kind::Pair) {
      reached_ = i;
      lastTouched_ = i;
      return true;
    }
  }
  return false;
}

std::string KeyValueFile::keyName() const {
  return reached_ == kTop ? std::string() : entries_[reached_].name;
}

std::string KeyValueFile::keyValue() const {
  return reached_ == kTop ? std::string() : std::string(TrimBlanks(entries_[reached_].value));
}

std::string KeyValueFile::serialise() const {
  std::string out(kUtf8Mark);
  out.push_back('\n');
  for (const Entry& entry : entries_) {
    switch (entry.kind) {
      case Kind::Comment:
        out.append("; ");
        AppendOneLine(out, entry.name);
        break;
      case Kind::Group:
        out.push_back('[');
        AppendOneLine(out, entry.name);
        out.push_back(']');
        break;
      case Kind::Pair:
        AppendOneLine(out, entry.name);
        out.append(" = ");
        AppendOneLine(out, entry.value);
        break;
    }
    out.push_back('\n');
  }
  return out;
}

}  // namespace vandrel

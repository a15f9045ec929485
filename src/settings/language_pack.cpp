// Language packs read with libarchive, ZIP format only. Entry data goes into
// memory buffers capped at kMaxLanguageBytes; nothing touches the disk.
#include "settings/language_pack.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace vandrel {
namespace {

constexpr std::string_view kExtension = ".language";

struct ArchiveCloser {
  void operator()(archive* handle) const { archive_read_free(handle); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ArchivePtr OpenZip(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) > kMaxPackBytes) {
    return nullptr;
  }
  ArchivePtr handle(archive_read_new());
  if (!handle) return nullptr;
  if (archive_read_support_format_zip(handle.get()) != ARCHIVE_OK) return nullptr;
  if (archive_read_open_filename(handle.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
    return nullptr;
  return handle;
}

// Steps to the next entry; false at the end or when the archive is damaged
// beyond reading further.
bool NextEntry(archive* handle, archive_entry*& entry) {
  const int result = archive_read_next_header(handle, &entry);
  return result == ARCHIVE_OK || result == ARCHIVE_WARN;
}

std::string EntryName(archive_entry* entry) {
  const char* name = archive_entry_pathname(entry);
  if (name == nullptr) name = archive_entry_pathname_utf8(entry);
  return name == nullptr ? std::string() : std::string(name);
}

// A language pack needs only the two methods every ZIP tool writes. The
// others are refused before a byte is decompressed: their decoders size
// their state from the entry's own header (a crafted LZMA dictionary size
// asks for gigabytes at once). libarchive tells an entry's method only
// through the format name it reports while the entry is current.
bool StoredOrDeflated(archive* handle) {
  const char* format = archive_format_name(handle);
  if (format == nullptr) return false;
  const std::string_view name(format);
  return name.ends_with("(uncompressed)") || name.ends_with("(deflation)");
}

enum class ReadResult { Read, Skipped, Broken };

// Reads the current entry's data, at most `limit` bytes of it. A size
// announced in the header is trusted only to refuse early; the bytes actually
// decompressed are counted all the same, and spent from `budget` when given.
ReadResult ReadEntryData(archive* handle, archive_entry* entry, std::size_t limit,
                         CatalogueBudget* budget, std::string& bytes) {
  bytes.clear();
  if (archive_entry_filetype(entry) != AE_IFREG) return ReadResult::Skipped;
  if (archive_entry_is_encrypted(entry) || !StoredOrDeflated(handle)) return ReadResult::Skipped;
  if (archive_entry_size_is_set(entry) &&
      archive_entry_size(entry) > static_cast<la_int64_t>(limit)) {
    return ReadResult::Skipped;
  }
  char buffer[16384];
  for (;;) {
    const la_ssize_t got = archive_read_data(handle, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      return got == ARCHIVE_FATAL ? ReadResult::Broken : ReadResult::Skipped;
    }
    const auto size = static_cast<std::size_t>(got);
    if (budget != nullptr) budget->spend(size);
    if (bytes.size() + size > limit) {
      bytes.clear();
      return ReadResult::Skipped;
    }
    bytes.append(buffer, size);
  }
  return bytes.empty() ? ReadResult::Skipped : ReadResult::Read;
}

}  // namespace

std::string PackEntryCode(std::string_view entryName) {
  if (entryName.find_first_of("/\\") != std::string_view::npos) return {};
  if (entryName.size() <= kExtension.size()) return {};
  if (entryName.substr(entryName.size() - kExtension.size()) != kExtension) return {};
  return std::string(entryName.substr(0, entryName.size() - kExtension.size()));
}

bool ForEachPackLanguage(const std::string& packPath,
                         const std::function<void(const std::string&, std::string_view)>& visit) {
  const ArchivePtr handle = OpenZip(packPath);
  if (!handle) return false;
  archive_entry* entry = nullptr;
  std::string bytes;
  CatalogueBudget budget;
  while (budget.examineEntry() && NextEntry(handle.get(), entry)) {
    const std::string code = PackEntryCode(EntryName(entry));
    if (code.empty()) continue;
    const std::size_t limit = std::min(kMaxLanguageBytes, budget.bytesLeft());
    const ReadResult result = ReadEntryData(handle.get(), entry, limit, &budget, bytes);
    if (result == ReadResult::Broken) break;
    if (result == ReadResult::Read) visit(code, bytes);
  }
  return true;
}

bool ReadPackLanguage(const std::string& packPath, const std::string& code, std::string& bytes) {
  bytes.clear();
  if (code.empty() || code.find_first_of("/\\") != std::string::npos) return false;
  const ArchivePtr handle = OpenZip(packPath);
  if (!handle) return false;
  const std::string wanted = code + std::string(kExtension);
  archive_entry* entry = nullptr;
  CatalogueBudget budget;
  while (budget.examineEntry() && NextEntry(handle.get(), entry)) {
    if (EntryName(entry) != wanted) continue;
    return ReadEntryData(handle.get(), entry, kMaxLanguageBytes, nullptr, bytes) ==
           ReadResult::Read;
  }
  return false;
}

}  // namespace vandrel

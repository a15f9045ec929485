// Language packs read with libarchive, ZIP format only. Entry data goes into
// memory buffers capped at kMaxPackEntryBytes; nothing touches the disk.
#include "settings/language_pack.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace vandrel {
namespace {

constexpr std::string_view kExtension = ".language";

struct ArchiveCloser {
  void operator()(archive* handle) const { archive_read_free(handle); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ArchivePtr OpenZip(const std::string& path) {
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

enum class ReadResult { Read, Skipped, Broken };

// Reads the current entry's data. A size announced in the header is trusted
// only to refuse early; the bytes actually read are counted all the same.
ReadResult ReadEntryData(archive* handle, archive_entry* entry, std::string& bytes) {
  bytes.clear();
  if (archive_entry_filetype(entry) != AE_IFREG) return ReadResult::Skipped;
  if (archive_entry_size_is_set(entry) &&
      archive_entry_size(entry) > static_cast<la_int64_t>(kMaxPackEntryBytes)) {
    return ReadResult::Skipped;
  }
  char buffer[16384];
  for (;;) {
    const la_ssize_t got = archive_read_data(handle, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      return got == ARCHIVE_FATAL ? ReadResult::Broken : ReadResult::Skipped;
    }
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxPackEntryBytes) {
      bytes.clear();
      return ReadResult::Skipped;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
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
  while (NextEntry(handle.get(), entry)) {
    const std::string code = PackEntryCode(EntryName(entry));
    if (code.empty()) continue;
    const ReadResult result = ReadEntryData(handle.get(), entry, bytes);
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
  while (NextEntry(handle.get(), entry)) {
    if (EntryName(entry) != wanted) continue;
    return ReadEntryData(handle.get(), entry, bytes) == ReadResult::Read;
  }
  return false;
}

}  // namespace vandrel

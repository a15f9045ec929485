// The ZIP side of the language catalogue: top-level "*.language" entries of a
// pack are read straight into memory, never extracted to disk, so no entry
// name can make the program write anywhere.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vandrel {

// Entries larger than this are skipped unread: a language file is a few KiB,
// and the limit keeps a hostile pack from exhausting memory.
inline constexpr std::size_t kMaxPackEntryBytes = 1024 * 1024;

// The language code of a top-level entry name "code.language", or empty when
// the name is in a folder, lacks the extension (exact case) or is only it.
std::string PackEntryCode(std::string_view entryName);

// Calls visit(code, bytes) for every acceptable language entry in archive
// order; directories, links, folder entries, empty and oversized entries are
// skipped. False when the file cannot be opened as a ZIP archive.
bool ForEachPackLanguage(
    const std::string& packPath,
    const std::function<void(const std::string& code, std::string_view bytes)>& visit);

// Reads the first top-level entry whose name is exactly code + ".language".
// False when there is none or it is empty, oversized or unreadable.
bool ReadPackLanguage(const std::string& packPath, const std::string& code, std::string& bytes);

}  // namespace vandrel

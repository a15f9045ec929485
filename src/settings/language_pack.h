// The ZIP side of the language catalogue: top-level "*.language" entries of a
// pack are read straight into memory, never extracted to disk, so no entry
// name can make the program write anywhere.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "settings/language_limits.h"

namespace vandrel {

// The language code of a top-level entry name "code.language", or empty when
// the name is in a folder, lacks the extension (exact case) or is only it.
std::string PackEntryCode(std::string_view entryName);

// Calls visit(code, bytes) for every acceptable language entry in archive
// order; directories, links, folder entries, empty entries, entries over
// kMaxLanguageBytes and entries compressed other than stored or deflated are
// skipped. The walk ends after kMaxCatalogueEntries entries, and entries stop
// being read once kMaxCatalogueBytes have been decompressed. False when the
// file is not a regular file of at most kMaxPackBytes that opens as a ZIP
// archive.
bool ForEachPackLanguage(
    const std::string& packPath,
    const std::function<void(const std::string& code, std::string_view bytes)>& visit);

// Reads the first top-level entry whose name is exactly code + ".language"
// among the first kMaxCatalogueEntries. False when there is none or it is
// empty, oversized, compressed with another method or unreadable.
bool ReadPackLanguage(const std::string& packPath, const std::string& code, std::string& bytes);

}  // namespace vandrel

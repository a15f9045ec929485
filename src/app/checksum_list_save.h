// Save as a checksum list: when the chosen name's extension names the
// algorithm the digests were computed with (".sha256", ".md5", ".sha3-512",
// ".sfv" for CRC32), the saved file is a list that `sha256sum -c` and its
// peers read, instead of the "path,digest" export. Main thread only.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/algorithm.h"

namespace vandrel {

// The list text for rows of (path, digest) saved as `listPath`, or nothing
// when the name asks for no list of algorithm `computed`. Names under the
// list's folder are written relative to it; rows without a digest, and names
// the form cannot carry, are left out.
std::optional<std::string> ChecksumListText(
    const std::string& listPath, DigestKind computed,
    const std::vector<std::pair<std::string, std::string>>& rows);

}  // namespace vandrel

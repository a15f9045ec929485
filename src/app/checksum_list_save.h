// Save as a checksum list: when the chosen name's extension names the
// algorithm the digests were computed with (".sha256", ".md5", ".sha3-512",
// ".sfv" for CRC32), the saved file is a list that `sha256sum -c` and its
// peers read, instead of the "path,digest" export. Needs no display.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/algorithm.h"

namespace vandrel {

// The list text for rows of (path, digest) saved as `listPath`, or nothing
// when the name asks for no list of algorithm `computed`. Each file is named
// from the list's folder (sys::NamesFromFolder), so that a checker run there
// finds it; rows without a digest, and names the form cannot carry, are left
// out. Looks at the disk for links and the working directory.
std::optional<std::string> ChecksumListText(
    const std::string& listPath, DigestKind computed,
    const std::vector<std::pair<std::string, std::string>>& rows);

// When `listPath`'s extension names an algorithm and the rows hold digests
// of another one (`computed`), or none (nothing), a file under that name
// would be a list no checker can read: the name with the extension that
// fits instead (".md5", ".sfv" for CRC32, ".txt" for the export). Nothing
// when the name is fine as it is.
std::optional<std::string> NameFittingDigests(const std::string& listPath,
                                              const std::optional<DigestKind>& computed);

}  // namespace vandrel

// The step of SaveWholeFile that writes the bytes, open to replacement so a
// test can look at the file (its mode, its owner) as it is before the first
// byte of the new content lands. Not for the program's own callers.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "system/whole_file.h"

namespace vandrel::sys::internal {

// Writes every byte of `bytes` to `descriptor`; 0 or errno.
using WriteBytes = std::function<int(int descriptor, std::string_view bytes)>;

int WriteAll(int descriptor, std::string_view bytes);

int SaveWholeFile(const std::string& path, std::string_view bytes, const WriteBytes& write,
                  SaveDetails* details = nullptr);

}  // namespace vandrel::sys::internal

// Saving a text as the whole new content of a file, so that a failure never
// leaves the old content cut short. Any thread; main-thread callers only in
// this program.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::sys {

// Writes `bytes` as the whole content of the file at `path` and returns 0,
// or the errno of the first failure. A regular file, or a path where nothing
// exists yet, is written through a new file in the same folder that is
// renamed over it only once every byte is written and flushed: a failure
// leaves the old file exactly as it was, and no stray file behind. Anything
// else that exists there (a device such as /dev/null or /dev/full, a named
// pipe) is written in place, since renaming over it would replace the node
// itself. A symbolic link is followed, so its target gets the new content.
// A replaced file keeps its permission bits; a new one gets 0666 less the
// umask, as any created file does.
int SaveWholeFile(const std::string& path, std::string_view bytes);

}  // namespace vandrel::sys

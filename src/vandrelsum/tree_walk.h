// The -r walk of vandrelsum: every regular file below a folder, in byte
// order of names, following symbolic links but entering each folder only
// once, so a link loop ends. Pipes, sockets and devices are skipped with a
// message: reading them could block or never end.
#pragma once

#include <functional>
#include <string>

namespace vandrel::sum {

// Hands over a message about the walk (a folder that cannot be read, a
// skipped pipe) as the call that prints it, so the caller can print it in
// its place among the files' reports.
using WalkMessage = std::function<void(std::function<void()> say)>;

// Calls `visitFile` with the path of each regular file under `root` (the
// root's own name joined with "/"). False when some folder could not be
// read; its message has gone to `message`.
bool WalkTree(const std::string& root, const std::function<void(const std::string&)>& visitFile,
              const WalkMessage& message);

}  // namespace vandrel::sum

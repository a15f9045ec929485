// How files get into the results list: the file requester, and a path that
// names a file or a folder (the command line and every dropped path).
// Main thread only.
#pragma once

#include <string>
#include <vector>

namespace vandrel {

// The text up to and including its last "/", a leading double quote
// skipped; empty when there is no "/".
std::string FolderPart(const std::string& path);
// The path with "/" appended unless it is empty or ends in one.
std::string WithTrailingSlash(const std::string& path);

// Shows the open-file requester and appends the chosen files.
void AddChosenFiles();
// A folder adds a row for each entry that is not a folder (hidden ones too,
// no recursion; named pipes, sockets and devices are skipped since reading
// them can block for ever); a file adds one row; a missing path nothing.
void AddSource(const std::string& path);
// A drop: each path handed to AddSource in order.
void AddDroppedPaths(const std::vector<std::string>& paths);

}  // namespace vandrel

// Naming a file from a folder. Names are compared as written where that is
// safe (a path without ".." below the folder as written); where ".." steps
// are needed, both places are taken as realpath(3) gives them, free of links,
// so that each ".." climbs exactly one real folder.
#include "system/path_from_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

namespace vandrel::sys {
namespace {

using Parts = std::vector<std::string>;

std::string WorkingDirectory() {
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

// Empty when `path` is relative and the working directory is unknown.
std::string Absolute(const std::string& path, const std::string& workingDirectory) {
  if (!path.empty() && path.front() == '/') return path;
  if (workingDirectory.empty()) return {};
  return path.empty() ? workingDirectory : workingDirectory + "/" + path;
}

// The parts between slashes; empty parts and "." name nothing and go.
Parts Split(const std::string& path) {
  Parts parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

bool ClimbsUp(const Parts& parts) {
  return std::find(parts.begin(), parts.end(), "..") != parts.end();
}

std::string Join(const Parts& parts, std::size_t from) {
  std::string joined;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) joined += '/';
    joined += parts[i];
  }
  return joined;
}

// Nothing when the place does not exist or cannot be searched.
std::optional<Parts> RealParts(const std::string& absolute) {
  const std::unique_ptr<char, decltype(&free)> real(realpath(absolute.c_str(), nullptr), free);
  if (!real) return std::nullopt;
  return Split(real.get());
}

}  // namespace

NamesFromFolder::NamesFromFolder(const std::string& folder)
    : workingDirectory_(WorkingDirectory()),
      folder_(Absolute(folder, workingDirectory_)),
      folderParts_(Split(folder_)) {}

const std::optional<NamesFromFolder::Parts>& NamesFromFolder::realFolder() {
  if (!realFolderKnown_) realFolder_ = RealParts(folder_);
  realFolderKnown_ = true;
  return realFolder_;
}

const std::optional<NamesFromFolder::Parts>& NamesFromFolder::realParent(
    const std::string& parent) {
  if (parent != lastParent_) {
    lastParent_ = parent;
    lastRealParent_ = RealParts(parent);
  }
  return lastRealParent_;
}

std::string NamesFromFolder::nameOf(const std::string& path) {
  const std::string absolute = Absolute(path, workingDirectory_);
  // Without the working directory nothing better than the name as given is known.
  if (folder_.empty() || absolute.empty()) return path;
  const Parts parts = Split(absolute);
  if (parts.empty()) return "/";

  if (!ClimbsUp(folderParts_) && !ClimbsUp(parts) && parts.size() > folderParts_.size() &&
      std::equal(folderParts_.begin(), folderParts_.end(), parts.begin())) {
    return Join(parts, folderParts_.size());
  }

  // The file itself is not resolved: a link keeps its own name.
  const bool namesFolder = parts.back() == "..";
  std::optional<Parts> real =
      namesFolder ? RealParts(absolute)
                  : realParent("/" + Join(Parts(parts.begin(), parts.end() - 1), 0));
  if (real && !namesFolder) real->push_back(parts.back());
  const std::optional<Parts>& folder = realFolder();
  if (real && folder) {
    const std::size_t most = std::min(real->size(), folder->size());
    std::size_t shared = 0;
    while (shared < most && (*real)[shared] == (*folder)[shared]) ++shared;
    // Sharing only the root, the list and its files have nothing in common
    // to move together: the absolute path says more.
    if (shared > 0) {
      std::string name;
      for (std::size_t i = shared; i < folder->size(); ++i) name += "../";
      name += Join(*real, shared);
      if (name.empty()) return ".";
      if (name.back() == '/') name.pop_back();
      return name;
    }
  }
  if (!ClimbsUp(parts)) return "/" + Join(parts, 0);
  return real ? "/" + Join(*real, 0) : absolute;
}

}  // namespace vandrel::sys

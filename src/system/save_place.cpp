// FindSavePlace: each name of the path opened relative to the folder before
// it without following links (O_PATH | O_NOFOLLOW); a link found on the way
// is read and its target walked the same way, if the protected_symlinks rule
// allows it. The result is a folder descriptor and a last name that the
// caller opens with O_NOFOLLOW, so a link swapped in later fails there.
#include "system/save_place.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <string_view>

namespace vandrel::sys::internal {
namespace {

// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int kMaxLinkHops = 40;

// The names between the slashes of `path`, in front of `rest`.
void PrependNames(std::string_view path, std::deque<std::string>& rest) {
  std::deque<std::string> names;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view name = path.substr(0, slash);
    if (!name.empty()) names.emplace_back(name);
    path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
  }
  rest.insert(rest.begin(), names.begin(), names.end());
}

FileDescriptor OpenFolderHandle(int at, const char* name) {
  return FileDescriptor(::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

SavePlace Failed(int error, std::string refusedLink = {}) {
  SavePlace place;
  place.error = error;
  place.refusedLink = std::move(refusedLink);
  return place;
}

}  // namespace

bool MayFollowLink(const struct stat& folder, uid_t linkOwner, uid_t follower) {
  const bool shared = (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  return !shared || linkOwner == follower || linkOwner == folder.st_uid;
}

SavePlace FindSavePlace(const std::string& path) {
  if (path.empty()) return Failed(ENOENT);
  // A path ending in "/" names a folder, which a save never replaces.
  if (path.back() == '/') return Failed(EISDIR);
  std::deque<std::string> names;
  PrependNames(path, names);
  FileDescriptor folder = OpenFolderHandle(AT_FDCWD, path.front() == '/' ? "/" : ".");
  std::string folderText = path.front() == '/' ? "/" : "";
  for (int hops = 0;;) {
    if (!folder.valid()) return Failed(errno);
    if (names.empty()) return Failed(EISDIR);  // a link to "/"
    std::string name = std::move(names.front());
    names.pop_front();
    struct stat status {};
    if (::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT || !names.empty()) return Failed(errno);
      status = {};
    } else if (S_ISLNK(status.st_mode)) {
      struct stat folderStatus {};
      if (::fstat(folder.get(), &folderStatus) != 0) return Failed(errno);
      if (!MayFollowLink(folderStatus, status.st_uid, ::geteuid())) {
        return Failed(EACCES, folderText + name);
      }
      if (++hops > kMaxLinkHops) return Failed(ELOOP);
      char target[PATH_MAX];
      const ssize_t length = ::readlinkat(folder.get(), name.c_str(), target, sizeof target);
      if (length < 0) return Failed(errno);
      if (length == 0) return Failed(ENOENT);
      if (static_cast<std::size_t>(length) == sizeof target) return Failed(ENAMETOOLONG);
      const std::string_view text(target, static_cast<std::size_t>(length));
      PrependNames(text, names);
      if (text.front() == '/') {
        folder = OpenFolderHandle(AT_FDCWD, "/");
        // Not `= "/"`, which GCC 12 at -O2 misreads as an overlapping copy.
        folderText.assign(1, '/');
      }
      continue;
    }
    if (names.empty()) {
      SavePlace place;
      // Reading the folder lets the save list it (for leftovers) and sync it.
      FileDescriptor readable(::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      place.folder = readable.valid() ? std::move(readable) : std::move(folder);
      place.folderText = std::move(folderText);
      place.name = std::move(name);
      place.exists = status.st_mode != 0;
      place.status = status;
      return place;
    }
    // ".." goes where the kernel takes it: from a link's target, to the
    // target's parent.
    folder = OpenFolderHandle(folder.get(), name.c_str());
    folderText += name + "/";
  }
}

}  // namespace vandrel::sys::internal

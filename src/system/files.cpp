// File size, make directory, delete and numbered directory listings over
// POSIX. Listings live in a registry with its own mutex, so any thread may
// use them; the registry's destructor closes listings still open at exit.
// Nothing here follows a path's meaning beyond what stat and lstat report.
#include "system/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace vandrel::sys {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

struct Listing {
  std::unique_ptr<DIR, DirCloser> dir;
  std::string path;  // with a trailing "/"
  std::string pattern;
  std::string name;
  struct stat status {};  // lstat of the current entry
  bool hasEntry = false;
};

// Automatic numbers start far above the small fixed numbers callers choose,
// so the two kinds do not collide in practice.
constexpr int kFirstAutomaticNumber = 0x10000;

class ListingRegistry {
 public:
  int open(int number, const std::string& directory, const std::string& pattern) {
    std::lock_guard lock(mutex_);
    // The old listing under a number is freed even when the new one fails.
    if (number >= 0) listings_.erase(number);

    const std::string dirPath = directory.empty() ? std::string(".") : directory;
    auto listing = std::make_unique<Listing>();
    listing->dir.reset(opendir(dirPath.c_str()));
    if (!listing->dir) return 0;
    listing->path = dirPath;
    if (listing->path.back() != '/') listing->path += '/';
    listing->pattern = pattern == "*.*" ? std::string("*") : pattern;

    if (number < 0) number = nextAutomaticNumber();
    listings_[number] = std::move(listing);
    return number;
  }

  bool next(int number) {
    std::lock_guard lock(mutex_);
    Listing* listing = find(number);
    if (!listing) return false;
    listing->hasEntry = false;
    while (dirent* entry = readdir(listing->dir.get())) {
      if (fnmatch(listing->pattern.c_str(), entry->d_name, FNM_NOESCAPE) != 0) continue;
      // Relative to the open folder: an entry whose full path is longer
      // than PATH_MAX is still seen, and is then refused when opened.
      if (fstatat(dirfd(listing->dir.get()), entry->d_name, &listing->status,
                  AT_SYMLINK_NOFOLLOW) != 0) {
        continue;
      }
      listing->name = entry->d_name;
      listing->hasEntry = true;
      return true;
    }
    listing->name.clear();
    return false;
  }

  std::string name(int number) {
    std::lock_guard lock(mutex_);
    Listing* listing = find(number);
    return listing && listing->hasEntry ? listing->name : std::string();
  }

  int type(int number) {
    std::lock_guard lock(mutex_);
    Listing* listing = find(number);
    if (!listing || !listing->hasEntry) return 0;
    return S_ISDIR(listing->status.st_mode) ? kEntryDirectory : kEntryFile;
  }

  bool special(int number) {
    std::lock_guard lock(mutex_);
    Listing* listing = find(number);
    if (!listing || !listing->hasEntry) return false;
    struct stat target = listing->status;
    if (S_ISLNK(target.st_mode)) {
      // A dangling link cannot block a reader; opening it simply fails.
      if (fstatat(dirfd(listing->dir.get()), listing->name.c_str(), &target, 0) != 0) {
        return false;
      }
    }
    return S_ISFIFO(target.st_mode) || S_ISSOCK(target.st_mode) || S_ISCHR(target.st_mode);
  }

  void finish(int number) {
    std::lock_guard lock(mutex_);
    listings_.erase(number);
  }

 private:
  Listing* find(int number) {
    auto it = listings_.find(number);
    return it == listings_.end() ? nullptr : it->second.get();
  }

  int nextAutomaticNumber() {
    while (listings_.count(automatic_) != 0) advance();
    const int number = automatic_;
    advance();
    return number;
  }

  void advance() { automatic_ = automatic_ == INT32_MAX ? kFirstAutomaticNumber : automatic_ + 1; }

  std::mutex mutex_;
  std::map<int, std::unique_ptr<Listing>> listings_;
  int automatic_ = kFirstAutomaticNumber;
};

ListingRegistry& Listings() {
  static ListingRegistry registry;
  return registry;
}

}  // namespace

std::int64_t FileSize(const std::string& path) {
  if (path.empty()) return kFileMissing;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return kFileMissing;
  if (S_ISDIR(status.st_mode)) return kFileIsDirectory;
  return static_cast<std::int64_t>(status.st_size);
}

int MakeDirectory(const std::string& path) {
  if (path.empty()) return 0;
  return mkdir(path.c_str(), 0700) == 0 ? 1 : 0;
}

void MakeDirectoryPath(const std::string& path) {
  const std::string full = path.empty() || path.back() == '/' ? path : path + "/";
  std::string built;
  std::size_t start = 0;
  for (std::size_t slash = full.find('/'); slash != std::string::npos;
       slash = full.find('/', start)) {
    built += full.substr(start, slash - start);
    if (FileSize(built) == kFileMissing) MakeDirectory(built);
    built += '/';
    start = slash + 1;
  }
}

int DeleteFile(const std::string& path) {
  if (path.empty()) return 0;
  return unlink(path.c_str()) == 0 ? 1 : 0;
}

int ExamineDirectory(int number, const std::string& directory, const std::string& pattern) {
  return Listings().open(number, directory, pattern);
}

bool NextDirectoryEntry(int number) { return Listings().next(number); }

std::string DirectoryEntryName(int number) { return Listings().name(number); }

int DirectoryEntryType(int number) { return Listings().type(number); }

bool DirectoryEntryIsSpecial(int number) { return Listings().special(number); }

void FinishDirectory(int number) { Listings().finish(number); }

}  // namespace vandrel::sys

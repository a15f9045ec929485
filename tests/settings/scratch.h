// Helpers shared by the settings tests: a private scratch folder, whole-file
// reads and writes, ZIP packs written with libarchive, and running a check in
// a child process that has dropped root.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_directory.h"

namespace vandrel::testing {

namespace fs = std::filesystem;

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ZipMember {
  std::string name;
  std::string bytes;
  bool directory = false;
};

enum class ArchiveFormat { Zip, Tar };

// Writes the members, names exactly as given (the writer does not sanitise).
inline bool WriteArchive(const std::string& path, const std::vector<ZipMember>& members,
                         ArchiveFormat format = ArchiveFormat::Zip) {
  archive* zip = archive_write_new();
  bool ok =
      (format == ArchiveFormat::Zip ? archive_write_set_format_zip(zip)
                                    : archive_write_set_format_pax_restricted(zip)) == ARCHIVE_OK &&
      archive_write_open_filename(zip, path.c_str()) == ARCHIVE_OK;
  for (const ZipMember& member : members) {
    if (!ok) break;
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.name.c_str());
    archive_entry_set_filetype(entry, member.directory ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, member.directory ? 0755 : 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.bytes.size()));
    ok = archive_write_header(zip, entry) == ARCHIVE_OK;
    if (ok && !member.bytes.empty()) {
      ok = archive_write_data(zip, member.bytes.data(), member.bytes.size()) ==
           static_cast<la_ssize_t>(member.bytes.size());
    }
    archive_entry_free(entry);
  }
  ok = archive_write_close(zip) == ARCHIVE_OK && ok;
  archive_write_free(zip);
  return ok;
}

// The member names as a reader sees them, to prove a pack holds what a test
// means it to hold.
inline std::vector<std::string> ZipNames(const std::string& path) {
  std::vector<std::string> names;
  archive* zip = archive_read_new();
  archive_read_support_format_zip(zip);
  if (archive_read_open_filename(zip, path.c_str(), 16384) == ARCHIVE_OK) {
    archive_entry* entry = nullptr;
    while (archive_read_next_header(zip, &entry) == ARCHIVE_OK) {
      names.emplace_back(archive_entry_pathname(entry));
    }
  }
  archive_read_free(zip);
  return names;
}

inline std::set<std::string> Listing(const fs::path& directory) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Runs `check` in a forked child and returns its exit status (the check's
// result, or 99 when privileges could not be dropped). Under root the child
// takes the ids of "nobody" first, since root reads any file.
inline int RunAsNobody(const std::function<int()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 &&
        (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)) {
      ::_exit(99);
    }
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vandrel::testing

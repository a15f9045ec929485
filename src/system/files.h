// File and directory operations of the toolkit layer, over POSIX. Failures
// are reported by results only (-1, 0, false), never by exceptions. Every
// function may be called from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel::sys {

inline constexpr std::int64_t kFileMissing = -1;
inline constexpr std::int64_t kFileIsDirectory = -2;

// -1 when the path is missing or empty, -2 for a directory, otherwise the
// size in bytes. Symbolic links are followed.
std::int64_t FileSize(const std::string& path);

// Makes one directory with permissions 0700; parents are not made. 1 on success.
int MakeDirectory(const std::string& path);
// Makes a directory path component by component (mode 0700), ignoring
// failures; a caller that needs the directory checks that it is there.
void MakeDirectoryPath(const std::string& path);

// Removes a file. 1 on success.
int DeleteFile(const std::string& path);

// Directory listings are numbered objects. Opens `directory` ("." when empty)
// and returns the listing's number (a new one for -1), or 0 when it cannot
// be opened. The pattern "*.*" matches every name; otherwise names are
// matched as shell patterns with the backslash not special.
int ExamineDirectory(int number, const std::string& directory, const std::string& pattern);
// Moves to the next matching entry, "." and ".." included, in the order the
// system yields them; entries whose status cannot be read are skipped. An
// entry is examined relative to the open folder, so one whose full path is
// longer than PATH_MAX is listed all the same.
// False when there are no more.
bool NextDirectoryEntry(int number);
std::string DirectoryEntryName(int number);

inline constexpr int kEntryFile = 1;
inline constexpr int kEntryDirectory = 2;
// 2 for a directory, 1 for anything else; a symbolic link is judged itself,
// not by its target.
int DirectoryEntryType(int number);
// True for a named pipe, socket or character device, which can block or
// never end when read; a symbolic link is judged by its target.
bool DirectoryEntryIsSpecial(int number);
void FinishDirectory(int number);

}  // namespace vandrel::sys

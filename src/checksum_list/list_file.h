// Reading a checksum list from where it is kept: a file by its path, a
// descriptor already open, or bytes already in memory. One reader for the
// window's Verify and for vandrelsum -c: the list's name hints its algorithm,
// the lines stream through ListReader, and a file is never held whole. How
// careful the opening is (only regular files, at most so many bytes) is the
// caller's choice. Any thread may call these.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "checksum_list/checksum_list.h"
#include "core/algorithm.h"

namespace vandrel::checksum_list {

// The folder names in a list are relative to: everything up to and with
// the list's last '/', or nothing (the current folder) for standard input
// ("-") and lists named without a folder.
std::string ListFolder(const std::string& listPath);

// A name from a list as a path: absolute names stay as they are, others are
// taken relative to `listFolder` (from ListFolder). "-" stays "-" (standard
// input) unless `dashIsStandardInput` is false, as in the window, which has
// no standard input to read: there it is a file of that name.
std::string ResolveListedName(const std::string& listFolder, const std::string& name,
                              bool dashIsStandardInput = true);

// The window's bound: no real list comes near it, and its entries would need
// several times as much memory again.
inline constexpr std::int64_t kMaxListBytes = std::int64_t{256} << 20;

struct ListFileRules {
  // True: anything that can be read (a pipe, a device, "-" as standard
  // input), opened blocking as a pipe named on a command line is meant to
  // be read. False: only a regular file, opened without waiting for a
  // writer, so that a pipe or a device can neither hang nor flood the reader.
  bool streams = false;
  std::int64_t maxBytes = kMaxListBytes;  // 0: no bound
  std::optional<DigestKind> forcedKind;   // the user's choice: every line must be of it
};

enum class ListFileProblem {
  None,
  NotRegularFile,  // a folder, a pipe, a socket or a device, where streams are not wanted
  TooLarge,        // more than the rules' maxBytes
  Unreadable,      // open or read failed; `error` says why
};

struct ListFileStatus {
  ListFileProblem problem = ListFileProblem::None;
  int error = 0;        // errno, for Unreadable
  bool opened = false;  // the list was open (a read failed, not the open)
};

// Reads the list at `path` and hands each line to `sink` as it is read. A
// list cut short by a problem has handed over the lines before it; one
// refused at its opening, none.
ListFileStatus ReadListFile(const std::string& path, const ListFileRules& rules,
                            const ListReader::Sink& sink);
// The same from a descriptor the caller opened and keeps; `name` is the
// list's name for the algorithm hint ("-" for standard input gives none).
ListFileStatus ReadListDescriptor(int descriptor, const std::string& name,
                                  const ListFileRules& rules, const ListReader::Sink& sink);
// The same from bytes in memory (a list read once and checked); the size
// bound applies, the kind of file does not.
ListFileStatus ReadListText(std::string_view text, const std::string& name,
                            const ListFileRules& rules, const ListReader::Sink& sink);

// The list's raw bytes piece by piece, opened and judged as ReadListFile
// does, for a look at its text (a signature's armour) that never holds it
// whole.
ListFileStatus ReadListPieces(const std::string& path, const ListFileRules& rules,
                              const std::function<void(std::string_view)>& take);

struct ListBytes {
  ListFileStatus status;
  std::string bytes;  // the whole list, when status.problem is None
};

// The whole list at `path` in memory, opened and judged as ReadListFile
// does, for a caller that must read its lines from the very bytes it
// checked (a signature) through ReadListText. A list held whole is always
// bounded: a maxBytes of 0 counts as kMaxListBytes.
ListBytes ReadListBytes(const std::string& path, const ListFileRules& rules);

}  // namespace vandrel::checksum_list

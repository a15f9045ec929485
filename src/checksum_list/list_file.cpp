// Opening, checking and streaming a checksum list; see list_file.h.
#include "checksum_list/list_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "system/file_descriptor.h"
#include "system/paths.h"

namespace vandrel::checksum_list {
namespace {

constexpr std::size_t kReadBytes = 64 * 1024;

ListFileStatus Problem(ListFileProblem problem, int error = 0, bool opened = true) {
  return {problem, error, opened};
}

ReadOptions ReadOptionsFor(const std::string& name, const ListFileRules& rules) {
  ReadOptions options;
  options.forcedKind = rules.forcedKind;
  if (name != "-") {
    const ListNameHint hint = KindFromListName(name);
    options.listKind = hint.kind;
    options.preferSfv = hint.sfv;
  }
  return options;
}

bool Beyond(std::int64_t bytes, const ListFileRules& rules) {
  return rules.maxBytes > 0 && bytes > rules.maxBytes;
}

// Opens the list as `rules` say and hands the descriptor to `read`.
template <typename Read>
ListFileStatus WithListOpen(const std::string& path, const ListFileRules& rules, Read read) {
  if (rules.streams && path == "-") return read(STDIN_FILENO);
  // Without O_NONBLOCK, opening a pipe waits for a writer, for ever if none
  // comes; the kind is judged on the open descriptor, so it cannot change
  // between the check and the read.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (rules.streams ? 0 : O_NONBLOCK);
  const sys::FileDescriptor file(::open(path.c_str(), flags));
  if (!file.valid()) return Problem(ListFileProblem::Unreadable, errno, false);
  return read(file.get());
}

// Judges the open list by `rules` and hands its bytes to `take` piece by
// piece, up to the end or the first problem.
template <typename Take>
ListFileStatus ReadPieces(int descriptor, const ListFileRules& rules, Take take) {
  if (!rules.streams) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return Problem(ListFileProblem::Unreadable, errno);
    if (!S_ISREG(status.st_mode)) return Problem(ListFileProblem::NotRegularFile);
    if (Beyond(status.st_size, rules)) return Problem(ListFileProblem::TooLarge);
  }
  std::vector<char> buffer(kReadBytes);
  std::int64_t total = 0;
  for (;;) {
    const ssize_t got = ::read(descriptor, buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Problem(ListFileProblem::Unreadable, errno);
    }
    // A file that grows while it is read is held to the same bound.
    total += got;
    if (Beyond(total, rules)) return Problem(ListFileProblem::TooLarge);
    take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
  return Problem(ListFileProblem::None);
}

}  // namespace

std::string ListFolder(const std::string& listPath) {
  return listPath == "-" ? std::string() : sys::PathPart(listPath);
}

std::string ResolveListedName(const std::string& listFolder, const std::string& name,
                              bool dashIsStandardInput) {
  const bool absolute = !name.empty() && name.front() == '/';
  return absolute || (dashIsStandardInput && name == "-") ? name : listFolder + name;
}

ListFileStatus ReadListFile(const std::string& path, const ListFileRules& rules,
                            const ListReader::Sink& sink) {
  return WithListOpen(path, rules, [&](int descriptor) {
    return ReadListDescriptor(descriptor, path, rules, sink);
  });
}

ListFileStatus ReadListDescriptor(int descriptor, const std::string& name,
                                  const ListFileRules& rules, const ListReader::Sink& sink) {
  ListReader reader(ReadOptionsFor(name, rules), sink);
  const ListFileStatus status =
      ReadPieces(descriptor, rules, [&reader](std::string_view piece) { reader.feed(piece); });
  if (status.problem == ListFileProblem::None) reader.finish();
  return status;
}

ListFileStatus ReadListPieces(const std::string& path, const ListFileRules& rules,
                              const std::function<void(std::string_view)>& take) {
  return WithListOpen(path, rules,
                      [&](int descriptor) { return ReadPieces(descriptor, rules, take); });
}

ListBytes ReadListBytes(const std::string& path, const ListFileRules& rules) {
  ListFileRules bounded = rules;
  if (bounded.maxBytes <= 0) bounded.maxBytes = kMaxListBytes;
  ListBytes list;
  list.status =
      ReadListPieces(path, bounded, [&list](std::string_view piece) { list.bytes.append(piece); });
  if (list.status.problem != ListFileProblem::None) list.bytes = std::string();
  return list;
}

ListFileStatus ReadListText(std::string_view text, const std::string& name,
                            const ListFileRules& rules, const ListReader::Sink& sink) {
  if (Beyond(static_cast<std::int64_t>(text.size()), rules)) {
    return Problem(ListFileProblem::TooLarge);
  }
  ListReader reader(ReadOptionsFor(name, rules), sink);
  reader.feed(text);
  reader.finish();
  return Problem(ListFileProblem::None);
}

}  // namespace vandrel::checksum_list

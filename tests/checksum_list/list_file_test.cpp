// Reading a checksum list from a path, a descriptor or memory, or whole
// into memory: sources that
// would hang a careful reader (a pipe without a writer) or fill memory (a
// device, a huge file) are refused with their reason and never read, a
// regular list streams its lines, and listed names resolve against the
// list's folder.
#include "checksum_list/list_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_directory.h"

namespace vandrel::checksum_list {
namespace {

const std::string kHex = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";

TEST(ReadListFileTest, ReadsOnlyRegularFilesWithinTheBoundAndSaysWhyNot) {
  testing::ScratchDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());
  const std::string list = scratch / "SHA256SUMS";
  std::ofstream(list) << kHex << "  a\n" << kHex << "  b";
  const std::string fifo = scratch / "fifo.sha256";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string zeroLink = scratch / "zero.sha256";
  ASSERT_EQ(::symlink("/dev/zero", zeroLink.c_str()), 0);
  // Sparse, and its first line usable: a reader that ignored the bound would
  // find a line in it.
  const std::string huge = scratch / "huge.sha256";
  std::ofstream(huge) << kHex << "  a\n";
  ASSERT_EQ(::truncate(huge.c_str(), kMaxListBytes + 1), 0);

  struct Case {
    const char* what;
    std::string path;
    ListFileProblem problem;
    int error;
    std::size_t lines;
  };
  const Case cases[] = {
      {"a list whose last line has no line feed", list, ListFileProblem::None, 0, 2},
      {"a named pipe nobody writes to", fifo, ListFileProblem::NotRegularFile, 0, 0},
      {"a character device", "/dev/zero", ListFileProblem::NotRegularFile, 0, 0},
      {"a link to a device", zeroLink, ListFileProblem::NotRegularFile, 0, 0},
      {"a folder", scratch.path(), ListFileProblem::NotRegularFile, 0, 0},
      {"a file past the bound", huge, ListFileProblem::TooLarge, 0, 0},
      {"a missing file", scratch / "gone.sha256", ListFileProblem::Unreadable, ENOENT, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<ListLine> lines;
    const ListFileStatus status =
        ReadListFile(c.path, {}, [&](const ListLine& line) { lines.push_back(line); });
    EXPECT_EQ(status.problem, c.problem);
    EXPECT_EQ(status.error, c.error);
    ASSERT_EQ(lines.size(), c.lines);
    for (const ListLine& line : lines) EXPECT_EQ(line.expectedHex, kHex);
    // Held whole (to check a signature), the same list is judged the same.
    const ListBytes whole = ReadListBytes(c.path, {});
    EXPECT_EQ(whole.status.problem, c.problem);
    EXPECT_EQ(whole.status.error, c.error);
    EXPECT_EQ(whole.bytes, c.lines > 0 ? kHex + "  a\n" + kHex + "  b" : "");
  }
}

// vandrelsum's rules read a pipe; every source hints the algorithm by the
// list's name, so a SHA3-256 digest without a tag is read as one.
TEST(ReadListFileTest, APipeADescriptorAndMemoryReadAlikeUnderStreamRules) {
  const std::string text = kHex + "  a\n";
  const std::string name = "/lists/sums.sha3-256";
  const ListFileRules streams{true, 0, std::nullopt};
  std::vector<ListLine> lines;
  const auto collect = [&](const ListLine& line) { lines.push_back(line); };
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(ends[1]);
  EXPECT_EQ(ReadListDescriptor(ends[0], name, streams, collect).problem, ListFileProblem::None);
  ::close(ends[0]);
  EXPECT_EQ(ReadListText(text, name, streams, collect).problem, ListFileProblem::None);
  ListFileRules bounded;
  bounded.maxBytes = 10;
  EXPECT_EQ(ReadListText(text, name, bounded, collect).problem, ListFileProblem::TooLarge);
  ASSERT_EQ(lines.size(), 2u);
  for (const ListLine& line : lines) {
    EXPECT_EQ(line.rejection, Rejection::None);
    EXPECT_EQ(line.kind, (DigestKind{Algorithm::Sha3, 256}));
  }
}

TEST(ListedNames, ResolveAgainstTheListsFolder) {
  struct Case {
    const char* list;
    const char* name;
    const char* path;
    bool dashIsStandardInput = true;
  } const cases[] = {
      {"/data/sums/SHA256SUMS", "a.iso", "/data/sums/a.iso"},
      {"/data/sums/SHA256SUMS", "sub/b", "/data/sums/sub/b"},
      {"/data/sums/SHA256SUMS", "/etc/hosts", "/etc/hosts"},
      {"/data/sums/SHA256SUMS", "-", "-"},
      {"/data/sums/SHA256SUMS", "-", "/data/sums/-", false},
      {"/data/sums/SHA256SUMS", "../up", "/data/sums/../up"},
      {"SHA256SUMS", "a.iso", "a.iso"},
      {"rel/dir/SUMS", "x", "rel/dir/x"},
      {"-", "x", "x"},
      {"/SUMS", "x", "/x"},
      {"/data/sums/SHA256SUMS", "", "/data/sums/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveListedName(ListFolder(c.list), c.name, c.dashIsStandardInput), c.path)
        << c.list << " " << c.name;
  }
}

}  // namespace
}  // namespace vandrel::checksum_list

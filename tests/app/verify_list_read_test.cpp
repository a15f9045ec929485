// Reading a checksum list file for Verify, without a display: sources that
// would hang a blocking reader (a pipe without a writer) or fill memory (a
// device, a huge file) are refused with their reason and never read; a
// regular list streams into entries.
#include "app/verify_list_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "support/scratch_directory.h"

namespace vandrel {
namespace {

const std::string kHex = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";

TEST(ReadChecksumListFileTest, ReadsOnlyRegularFilesWithinTheBoundAndSaysWhyNot) {
  testing::ScratchDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());
  const std::string list = scratch / "SHA256SUMS";
  std::ofstream(list) << kHex << "  a\n" << kHex << "  b";
  const std::string fifo = scratch / "fifo.sha256";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string zeroLink = scratch / "zero.sha256";
  ASSERT_EQ(::symlink("/dev/zero", zeroLink.c_str()), 0);
  // Sparse, and its first line usable: a reader that ignored the bound would
  // find an entry in it.
  const std::string huge = scratch / "huge.sha256";
  std::ofstream(huge) << kHex << "  a\n";
  ASSERT_EQ(::truncate(huge.c_str(), kMaxListBytes + 1), 0);

  struct Case {
    const char* what;
    std::string path;
    ListFileProblem problem;
    int error;
    std::size_t entries;
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
    const ListFileRead read = ReadChecksumListFile(c.path);
    EXPECT_EQ(read.problem, c.problem);
    EXPECT_EQ(read.error, c.error);
    ASSERT_EQ(read.plan.entries.size(), c.entries);
    for (const VerifyEntry& entry : read.plan.entries) EXPECT_EQ(entry.expectedHex, kHex);
  }
}

}  // namespace
}  // namespace vandrel

// GPGME loaded at run time: the system's library is taken, and a missing
// file or a library that is not GPGME is refused whole, with the reason.
#include "signature/gpgme_library.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel::signature {
namespace {

TEST(GpgmeLibraryTest, TakesOnlyAWholeGpgmeAndSaysWhyNot) {
  const struct {
    const char* file;
    const char* problem;  // a part of the reason; "" when it loads
  } rows[] = {
      {kGpgmeLibraryName, ""},
      {"libvandrel-absent.so.11", "is not installed"},
      {"libc.so.6", "it lacks gpgme_check_version_internal"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const GpgmeLibrary library(row.file);
    EXPECT_EQ(library.functions() != nullptr, *row.problem == '\0');
    if (*row.problem == '\0') {
      EXPECT_EQ(library.problem(), "");
    } else {
      EXPECT_NE(library.problem().find(row.problem), std::string::npos) << library.problem();
    }
  }
}

}  // namespace
}  // namespace vandrel::signature

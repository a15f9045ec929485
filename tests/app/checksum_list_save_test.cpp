// The name a save needs, without a display: an extension that names another
// algorithm than the rows' digests (or one when there are none) would make a
// list no checker reads, so the name that fits is offered instead.
#include "app/checksum_list_save.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(NameFittingDigestsTest, OffersTheExtensionOfTheDigestsOnlyWhenTheNameNamesAnother) {
  const std::optional<DigestKind> none;
  auto kind = [](const char* name) { return FindDigestKindByName(name); };
  const struct {
    std::string path;
    std::optional<DigestKind> computed;
    std::optional<std::string> fitting;
  } cases[] = {
      {"/d/out.sha256", kind("md5"), "/d/out.md5"},
      {"/d/out.sha256", none, "/d/out.txt"},
      {"/d/out.md5", kind("crc32"), "/d/out.sfv"},
      {"/d/files.sfv", kind("sha3-256"), "/d/files.sha3-256"},
      {"/d/v1.2.SHA1", kind("sha224"), "/d/v1.2.sha224"},
      // Names that fit, or name no algorithm, stay.
      {"/d/out.sha256", kind("sha256"), std::nullopt},
      {"/d/files.sfv", kind("crc32"), std::nullopt},
      {"/d/out.txt", kind("md5"), std::nullopt},
      {"/d.sha256/out", kind("md5"), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameFittingDigests(c.path, c.computed), c.fitting) << c.path;
  }
}

}  // namespace
}  // namespace vandrel

// The package's MIME type for checksum lists against the list reader: a glob
// for every list-name extension the reader knows, and no extension glob the
// reader does not know, so a file manager offers Verify exactly for the
// lists Vandrel reads by their names.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "checksum_list/checksum_list.h"
#include "core/algorithm.h"

namespace vandrel::checksum_list {
namespace {

std::set<std::string> ExtensionGlobs() {
  std::ifstream in(VANDREL_MIME_XML);
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(xml.empty()) << "cannot read " << VANDREL_MIME_XML;
  std::set<std::string> extensions;
  const std::regex glob(R"(<glob pattern="\*\.([^"]+)\"/>)");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), glob); it != std::sregex_iterator();
       ++it) {
    extensions.insert((*it)[1]);
  }
  return extensions;
}

TEST(ListNameGlobsTest, OneGlobForEachExtensionTheReaderKnowsAndNoOther) {
  const std::set<std::string> globs = ExtensionGlobs();
  std::set<std::string> known = {"sfv"};
  for (const DigestKindName& entry : kDigestKindNames) known.insert(std::string(entry.name));
  for (const std::string& extension : known) {
    EXPECT_TRUE(globs.count(extension)) << "no glob *." << extension;
  }
  for (const std::string& extension : globs) {
    SCOPED_TRACE(extension);
    EXPECT_TRUE(KindFromListName("list." + extension).kind.has_value());
  }
}

}  // namespace
}  // namespace vandrel::checksum_list

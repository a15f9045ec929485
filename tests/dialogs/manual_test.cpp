// The manual's page for a language, with a fall-back to British
// English, and its hand-over to the URL opener as one argument.
#include "dialogs/manual.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/fake_program.h"
#include "support/test_support.h"

namespace vandrel {
namespace {

using testing::FakeProgram;
using testing::ScopedVariable;
using testing::TestDirectory;
using testing::WaitFor;

// A program folder (with a blank in its name) holding the given pages; an
// empty text makes an empty page.
std::string ProgramFolderWith(const TestDirectory& root,
                              const std::vector<std::pair<std::string, std::string>>& pages) {
  const std::string folder = root / "Vandrel 1/";
  std::filesystem::create_directories(folder + "help");
  for (const auto& [name, text] : pages) std::ofstream(folder + "help/" + name) << text;
  return folder;
}

TEST(ManualTest, PageForTheLanguageElseBritishEnglishElseNone) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> pages;
    std::string language;
    std::string expected;  // page name, or empty for none
  };
  const std::vector<Case> cases = {
      {"own page", {{"en_GB.html", "x"}, {"de_DE.html", "x"}}, "de_DE", "de_DE.html"},
      {"no own page", {{"en_GB.html", "x"}}, "hu_HU", "en_GB.html"},
      {"empty own page", {{"en_GB.html", "x"}, {"de_DE.html", ""}}, "de_DE", "en_GB.html"},
      {"no language yet", {{"en_GB.html", "x"}}, "", "en_GB.html"},
      {"no pages at all", {}, "de_DE", ""},
      {"only another language", {{"fr_FR.html", "x"}}, "de_DE", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestDirectory root;
    const std::string folder = ProgramFolderWith(root, c.pages);
    EXPECT_EQ(ManualPath(folder, c.language),
              c.expected.empty() ? "" : folder + "help/" + c.expected);
  }
}

TEST(ManualTest, OpensThePageWithBlanksInItsPathAsOneArgumentOrNothing) {
  TestDirectory bin;
  FakeProgram opener(bin, "xdg-open", "0");
  const char* old = std::getenv("PATH");
  ScopedVariable path("PATH", (bin.path() + ":" + (old ? old : "/usr/bin:/bin")).c_str());
  TestDirectory root;
  const std::string folder = ProgramFolderWith(root, {});
  EXPECT_EQ(OpenManual(ManualPath(folder, "it_IT")), 0u);

  std::ofstream(folder + "help/it_IT.html") << "<!DOCTYPE html>";
  const sys::ProgramHandle started = OpenManual(ManualPath(folder, "it_IT"));
  EXPECT_NE(started, 0u);
  ASSERT_TRUE(WaitFor([&] { return opener.lines().size() == 1; }));
  sys::ReleaseProgram(started);
  const std::string args = " [" + folder + "help/it_IT.html] pid=";
  EXPECT_NE(opener.lines()[0].find(args), std::string::npos) << opener.lines()[0];
}

}  // namespace
}  // namespace vandrel

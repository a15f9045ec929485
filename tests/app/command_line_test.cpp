// The window program's command line: which arguments are options, which are
// paths, and what ends the program before it needs a display.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, SeparatesOptionsFromPathsAndStopsAtTheFirstAnswerOrMistake) {
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    bool verify;
    std::vector<std::string> paths;
    std::string complaint;
  };
  const Case cases[] = {
      {{}, Action::Run, false, {}, ""},
      {{"a", "dir/", "-"}, Action::Run, false, {"a", "dir/", "-"}, ""},
      {{"--verify", "SHA256SUMS", "b.md5"}, Action::Run, true, {"SHA256SUMS", "b.md5"}, ""},
      {{"x.sfv", "--verify"}, Action::Run, true, {"x.sfv"}, ""},  // options anywhere
      {{"--", "--help", "-v", "--"}, Action::Run, false, {"--help", "-v", "--"}, ""},
      {{"--verify", "--", "--odd.sha256"}, Action::Run, true, {"--odd.sha256"}, ""},
      {{"a", "--help", "--bogus"}, Action::Help, false, {"a"}, ""},
      {{"--version", "--help"}, Action::Version, false, {}, ""},
      {{"a", "--bogus", "--help"},
       Action::Usage,
       false,
       {},
       "vandrel: unknown option '--bogus' (try 'vandrel --help')"},
      {{"-h"}, Action::Usage, false, {}, "vandrel: unknown option '-h' (try 'vandrel --help')"},
      {{"--verify=SUMS"},
       Action::Usage,
       false,
       {},
       "vandrel: unknown option '--verify=SUMS' (try 'vandrel --help')"},
      {{"--verify"},
       Action::Usage,
       false,
       {},
       "vandrel: --verify needs a checksum list (try 'vandrel --help')"},
      {{"--verify", "--"},
       Action::Usage,
       false,
       {},
       "vandrel: --verify needs a checksum list (try 'vandrel --help')"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += "'" + argument + "' ";
    const CommandLine got = ParseCommandLine(c.arguments);
    EXPECT_EQ(got.action, c.action) << shown;
    EXPECT_EQ(got.complaint, c.complaint) << shown;
    if (c.action != Action::Run) continue;
    EXPECT_EQ(got.verify, c.verify) << shown;
    EXPECT_EQ(got.paths, c.paths) << shown;
  }
}

}  // namespace
}  // namespace vandrel

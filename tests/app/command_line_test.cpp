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
    bool calculate = false;
  };
  const Case cases[] = {
      {{"a", "dir/", "-"}, Action::Run, false, {"a", "dir/", "-"}},
      {{"x.sfv", "--verify", "b.md5"}, Action::Run, true, {"x.sfv", "b.md5"}},  // options anywhere
      {{"--", "--help", "-v", "--"}, Action::Run, false, {"--help", "-v", "--"}},
      {{"--calculate", "--", "-", "--verify"}, Action::Run, false, {"-", "--verify"}, true},
      {{"a", "--help", "--bogus"}, Action::Help, false, {}},
      {{"--version", "--help"}, Action::Version, false, {}},
      {{"a", "--bogus", "--help"}, Action::Usage, false, {}},
      {{"-h"}, Action::Usage, false, {}},
      {{"--verify=SUMS"}, Action::Usage, false, {}},
      {{"--verify", "--"}, Action::Usage, false, {}},  // nothing to verify
      {{"--calculate"}, Action::Usage, false, {}},     // nothing to compute
      {{"--calculate", "--verify", "SUMS"}, Action::Usage, false, {}},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += "'" + argument + "' ";
    const CommandLine got = ParseCommandLine(c.arguments);
    EXPECT_EQ(got.action, c.action) << shown;
    if (c.action != Action::Run) continue;
    EXPECT_EQ(got.verify, c.verify) << shown;
    EXPECT_EQ(got.calculate, c.calculate) << shown;
    EXPECT_EQ(got.paths, c.paths) << shown;
  }
  EXPECT_EQ(ParseCommandLine({"--bogus"}).complaint,
            "vandrel: unknown option '--bogus' (try 'vandrel --help')");
}

}  // namespace
}  // namespace vandrel

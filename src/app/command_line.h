// The window program's command line, read before the toolkit starts so that
// --help, --version and a mistyped option need no display. Paths stay as
// typed; what they become (rows, or lists to verify) is start-up's business.
#pragma once

#include <string>
#include <vector>

namespace vandrel {

struct CommandLine {
  enum class Action { Run, Help, Version, Usage };
  Action action = Action::Run;
  bool verify = false;             // every path is a checksum list to check
  bool calculate = false;          // the job starts at once over the paths' rows
  std::vector<std::string> paths;  // in the order given
  std::string complaint;           // the one line a Usage error prints
};

// `arguments` excludes the program name. Options may stand anywhere before
// "--"; the first of --help, --version or a usage error decides.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What --help and --version print.
std::string CommandLineHelp();
std::string CommandLineVersion();

}  // namespace vandrel

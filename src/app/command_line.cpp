// Reading the window program's options; printing is left to the caller.
#include "app/command_line.h"

#ifndef VANDREL_VERSION
#define VANDREL_VERSION "unknown"
#endif

namespace vandrel {
namespace {

CommandLine Usage(const std::string& complaint) {
  CommandLine line;
  line.action = CommandLine::Action::Usage;
  line.complaint = "vandrel: " + complaint + " (try 'vandrel --help')";
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    // A lone "-" is a path like any other: the program reads no standard input.
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      line.paths.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help") {
      line.action = CommandLine::Action::Help;
      return line;
    } else if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    } else if (argument == "--verify") {
      line.verify = true;
    } else if (argument == "--calculate") {
      line.calculate = true;
    } else {
      return Usage("unknown option '" + argument + "'");
    }
  }
  if (line.verify && line.calculate) return Usage("--calculate and --verify exclude each other");
  if (line.verify && line.paths.empty()) return Usage("--verify needs a checksum list");
  if (line.calculate && line.paths.empty()) return Usage("--calculate needs a file or folder");
  return line;
}

std::string CommandLineHelp() {
  return "Usage: vandrel [FILE-OR-FOLDER]...\n"
         "  or:  vandrel --calculate FILE-OR-FOLDER...\n"
         "  or:  vandrel --verify LIST...\n"
         "Compute file digests (CRC32, MD5, SHA1, SHA2, SHA3) in a window.\n"
         "\n"
         "Each FILE goes into the list; a FOLDER puts in every file directly in it.\n"
         "\n"
         "      --calculate  compute the digests at once, with the algorithm and\n"
         "                   size chosen last\n"
         "      --verify     check the files each checksum LIST names (SHA256SUMS,\n"
         "                   *.md5, *.sha256, *.sfv, ...) in one job\n"
         "      --help       display this help and exit\n"
         "      --version    output version information and exit\n"
         "      --           end of options: every later argument is a path\n"
         "\n"
         "vandrelsum computes and checks the same digests without a window.\n";
}

std::string CommandLineVersion() {
  return std::string("vandrel (Vandrel) ") + VANDREL_VERSION + "\n";
}

}  // namespace vandrel

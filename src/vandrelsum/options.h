// The command line of vandrelsum: coreutils' *sum options plus -a ALGO,
// -j N and -r. Parsing prints --help, --version and usage errors itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/algorithm.h"

namespace vandrel::sum {

struct SumOptions {
  DigestKind kind = *FindDigestKindByName("sha256");
  bool kindGiven = false;
  bool check = false;
  bool tag = false;
  bool binary = false;
  bool recursive = false;
  bool zero = false;
  bool quiet = false;
  bool status = false;
  bool ignoreMissing = false;
  bool strict = false;
  bool warn = false;
  int jobs = 0;  // files digested at once; 0: one per CPU the process may use
  // -c with --signature[=FILE], --keyring=FILE or --fingerprint=FPR: every
  // list must carry a good signature before any file it names is read.
  bool signature = false;
  std::string signatureFile;       // the one list's detached signature; empty: find it
  std::string keyring;             // the only keys that count; empty: the user's keyring
  std::string fingerprint;         // the signer's, upper-case hex; empty: any signer
  std::vector<std::string> files;  // "-" when none were given
};

// The options to run with, or the exit status when the program should stop
// now (0 after --help or --version, 1 after a usage error).
struct ParsedCommandLine {
  std::optional<SumOptions> options;
  int exitStatus = 0;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);

}  // namespace vandrel::sum

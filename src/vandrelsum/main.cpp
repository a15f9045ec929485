// vandrelsum: the digest engine on the command line, with coreutils' *sum
// interface. Links no toolkit and needs no display.
#include <algorithm>
#include <clocale>
#include <cstdio>

#include "digest/digest_engine.h"
#include "vandrelsum/check.h"
#include "vandrelsum/compute.h"
#include "vandrelsum/messages.h"
#include "vandrelsum/options.h"

int main(int argc, char** argv) {
  // strerror texts in the user's language, as coreutils gives them.
  std::setlocale(LC_ALL, "");
  const vandrel::sum::ParsedCommandLine parsed = vandrel::sum::ParseCommandLine(argc, argv);
  if (!parsed.options) return parsed.exitStatus;
  if (!vandrel::RegisterStandardDigests()) {
    vandrel::sum::Complain("the crypto library lacks some digest algorithms");
    return 1;
  }
  const vandrel::sum::SumOptions& options = *parsed.options;
  int status =
      options.check ? vandrel::sum::CheckLists(options) : vandrel::sum::ComputeChecksums(options);
  // As coreutils does: standard input is closed (and a closed one reported)
  // before standard output.
  const bool readInput =
      std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
  if (readInput && !vandrel::sum::CloseStandardInput()) status = 1;
  return vandrel::sum::ConcludeOutput(status == 0);
}

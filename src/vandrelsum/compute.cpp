// Printing checksum lines: the list writer makes each line; -z lines are
// built here because they end in NUL and are never escaped.
#include "vandrelsum/compute.h"

#include <cstdio>

#include "checksum_list/checksum_list.h"
#include "vandrelsum/input_digest.h"
#include "vandrelsum/messages.h"
#include "vandrelsum/tree_walk.h"

namespace vandrel::sum {
namespace {

void PrintLine(const SumOptions& options, const std::string& name, const std::string& hex) {
  std::string line;
  if (options.zero) {
    line = options.tag ? std::string(NamesOf(options.kind).tag) + " (" + name + ") = " + hex
                       : hex + (options.binary ? " *" : "  ") + name;
    line += '\0';
  } else {
    using checksum_list::WriteForm;
    line = *checksum_list::FormatLine(options.tag ? WriteForm::BsdTag : WriteForm::Gnu,
                                      options.kind, name, hex, options.binary);
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
}

bool DigestAndPrint(const SumOptions& options, const std::string& path) {
  const InputDigest digest = DigestInput(path, options.kind, path);
  if (digest.hex.empty()) {
    ComplainAbout(path, digest.error);
    return false;
  }
  PrintLine(options, path, digest.hex);
  return true;
}

}  // namespace

int ComputeChecksums(const SumOptions& options) {
  bool ok = true;
  for (const std::string& path : options.files) {
    if (options.recursive && path != "-") {
      const bool walked = WalkTree(path, [&](const std::string& file) {
        if (!DigestAndPrint(options, file)) ok = false;
      });
      if (!walked) ok = false;
    } else if (!DigestAndPrint(options, path)) {
      ok = false;
    }
  }
  return ok ? 0 : 1;
}

}  // namespace vandrel::sum

// Printing checksum lines: the list writer makes each line; -z lines are
// built here because they end in NUL and are never escaped.
#include "vandrelsum/compute.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "checksum_list/checksum_list.h"
#include "vandrelsum/messages.h"
#include "vandrelsum/sum_run.h"
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

}  // namespace

int ComputeChecksums(const SumOptions& options) {
  bool ok = true;
  SumRun run(options, [&options](const std::string& name, const engine::Outcome& outcome) {
    const DigestResult& digest = outcome.digest;
    if (digest.hex.empty()) {
      ComplainAbout(name, FailureErrno(digest));
      return;
    }
    PrintLine(options, name, digest.hex);
  });
  const auto add = [&run](const std::string& file) { run.addFile(file, file); };
  const WalkMessage message = [&run](std::function<void()> say) { run.addMessage(std::move(say)); };
  for (const std::string& path : options.files) {
    if (options.recursive && path != "-") {
      if (!WalkTree(path, add, message)) ok = false;
    } else {
      add(path);
    }
  }
  return run.finish().failed == 0 && ok ? 0 : 1;
}

}  // namespace vandrel::sum

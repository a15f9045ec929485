// Reading a checksum list file for Verify: the plan its lines make.
#include "app/verify_list_read.h"

#include <utility>

#include "checksum_list/checksum_list.h"
#include "system/debug_log.h"

namespace vandrel {

ListFileRead ReadChecksumListFile(const std::string& listPath) {
  namespace cl = checksum_list;
  const std::string folder = cl::ListFolder(listPath);
  VerifyPlan plan;
  bool kindChosen = false;
  const cl::ListFileStatus status =
      cl::ReadListFile(listPath, cl::ListFileRules{}, [&](const cl::ListLine& line) {
        if (line.rejection != cl::Rejection::None || (kindChosen && line.kind != plan.kind)) {
          DebugLog("verify", listPath + ": line " + std::to_string(line.lineNumber) + " not used");
          ++plan.rejectedLines;
          return;
        }
        plan.kind = line.kind;
        kindChosen = true;
        // The window has no standard input: "-" is a file of that name.
        plan.entries.push_back({cl::ResolveListedName(folder, line.name, false), line.expectedHex});
      });
  ListFileRead read;
  read.problem = status.problem;
  read.error = status.error;
  if (status.problem == ListFileProblem::None) read.plan = std::move(plan);
  return read;
}

}  // namespace vandrel

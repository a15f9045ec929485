// Where a name from a checksum list points: the list's folder joined with
// the name, as `sha256sum -c` run in that folder would read it.
#include "job_engine/job_engine.h"
#include "system/paths.h"

namespace vandrel::engine {

std::string ListFolder(const std::string& listPath) {
  return listPath == "-" ? std::string() : sys::PathPart(listPath);
}

std::string ResolveListedName(const std::string& listFolder, const std::string& name,
                              bool dashIsStandardInput) {
  const bool absolute = !name.empty() && name.front() == '/';
  return absolute || (dashIsStandardInput && name == "-") ? name : listFolder + name;
}

}  // namespace vandrel::engine

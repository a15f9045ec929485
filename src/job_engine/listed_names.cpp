// Where a name from a checksum list points: the list's folder joined with
// the name, as `sha256sum -c` run in that folder would read it.
#include "job_engine/job_engine.h"

namespace vandrel::engine {

std::string ListFolder(const std::string& listPath) {
  if (listPath == "-") return {};
  const std::size_t slash = listPath.rfind('/');
  if (slash == std::string::npos) return {};
  return listPath.substr(0, slash + 1);
}

std::string ResolveListedName(const std::string& listFolder, const std::string& name,
                              bool dashIsStandardInput) {
  const bool absolute = !name.empty() && name.front() == '/';
  return absolute || (dashIsStandardInput && name == "-") ? name : listFolder + name;
}

}  // namespace vandrel::engine

// Making the private home: its configuration, and the keyring files of the
// user's home copied byte for byte (the keybox or the older keyring, and the
// trust database that says which keys the user has certified).
#include "signature/gpg_home.h"

#include <cerrno>
#include <cstring>

#include "signature/signature.h"
#include "system/bounded_read.h"
#include "system/whole_file.h"

namespace vandrel::signature {
namespace {

// Read by gpg before its command line. No agent means a secret key can
// never be imported and nothing is left running; no dirmngr and local key
// lookup mean no network, whatever the user's own configuration says
// (which is not copied).
constexpr char kConfiguration[] =
    "no-autostart\n"
    "no-auto-key-retrieve\n"
    "auto-key-locate local\n"
    "no-greeting\n";

constexpr const char* kKeyringFiles[] = {"pubring.kbx", "pubring.gpg", "trustdb.gpg"};

}  // namespace

GpgHome::GpgHome(const std::string& userHome) : folder_("vandrel-gpg-") {
  if (!folder_.valid()) {
    problem_ = std::string("no private folder for gpg: ") + std::strerror(folder_.error());
    return;
  }
  if (const int error = sys::SaveWholeFile(folder_.path() + "/gpg.conf", kConfiguration)) {
    problem_ = std::string("no private folder for gpg: ") + std::strerror(error);
    return;
  }
  if (userHome.empty()) return;
  for (const char* name : kKeyringFiles) {
    const std::string from = userHome + "/" + name;
    const sys::BoundedRead read = sys::ReadRegularFile(from, kMaxKeyringFileBytes);
    if (read.problem == sys::ReadProblem::Failed && read.error == ENOENT) continue;
    if (read.problem != sys::ReadProblem::None) {
      problem_ = "your keyring " + from +
                 " cannot be read: " + ReadProblemText(read, kMaxKeyringFileBytes);
      return;
    }
    if (const int error = sys::SaveWholeFile(folder_.path() + "/" + name, read.bytes)) {
      problem_ = "your keyring cannot be copied: " + std::string(std::strerror(error));
      return;
    }
  }
}

}  // namespace vandrel::signature

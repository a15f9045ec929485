// The manual's page for the current language. A language without its own
// page (one added by a user, say) still gets the British English one rather
// than nothing.
#include "dialogs/manual.h"

#include "dialogs/web_link.h"
#include "settings/program.h"
#include "system/files.h"

namespace vandrel {
namespace {

constexpr char kManualFolder[] = "help/";
constexpr char kFallbackLanguage[] = "en_GB";

std::string PageFor(const std::string& language) {
  // Without a program folder a relative path would be looked up wherever
  // the program happens to run.
  if (language.empty() || Program().programDirectory.empty()) return {};
  const std::string path = Program().programDirectory + kManualFolder + language + ".html";
  return sys::FileSize(path) > 0 ? path : std::string();
}

}  // namespace

std::string ManualPath() {
  std::string path = PageFor(Program().settings.Language);
  return path.empty() ? PageFor(kFallbackLanguage) : path;
}

bool OpenManual() {
  const std::string path = ManualPath();
  if (path.empty()) return false;
  OpenInBrowser(path);
  return true;
}

}  // namespace vandrel

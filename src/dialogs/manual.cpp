// The manual's page for a language. A language without its own page (one
// added by a user, say) still gets the British English one rather than
// nothing.
#include "dialogs/manual.h"

#include "settings/preferences.h"
#include "system/files.h"

namespace vandrel {
namespace {

constexpr char kManualFolder[] = "help/";

std::string PageFor(const std::string& programDirectory, const std::string& language) {
  // Without a program folder a relative path would be looked up wherever
  // the program happens to run.
  if (language.empty() || programDirectory.empty()) return {};
  const std::string path = programDirectory + kManualFolder + language + ".html";
  return sys::FileSize(path) > 0 ? path : std::string();
}

}  // namespace

std::string ManualPath(const std::string& programDirectory, const std::string& language) {
  std::string path = PageFor(programDirectory, language);
  return path.empty() ? PageFor(programDirectory, kFallbackLanguage) : path;
}

sys::ProgramHandle OpenManual(const std::string& page) {
  if (page.empty()) return 0;
  // Quoted: the page's path may hold blanks.
  return sys::RunProgram("xdg-open", '"' + page + '"', "", sys::kRunKeepHandle);
}

}  // namespace vandrel

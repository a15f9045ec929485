// Open web: an address goes to the desktop's URL opener. Nothing here waits
// for the opener or looks at what it does.
#include "dialogs/web_link.h"

#include "system/process.h"

namespace vandrel {

void OpenInBrowser(const std::string& address) {
  // Quoted: a manual page's path may hold blanks.
  std::string parameters(1, '"');
  parameters += address;
  parameters += '"';
  // Deliberately silent: without a URL opener there is nothing useful to say.
  sys::RunProgram("xdg-open", parameters, "", sys::kRunDetached);
}

void OpenWeb() { OpenInBrowser(kMakerWebAddress); }

}  // namespace vandrel

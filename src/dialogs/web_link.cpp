// Open web: the maker's address goes to the desktop's URL opener. Nothing
// here waits for the opener or looks at what it does.
#include "dialogs/web_link.h"

#include "system/process.h"

namespace vandrel {

void OpenWeb() {
  // Deliberately silent: without a URL opener there is nothing useful to say.
  sys::RunProgram("xdg-open", kMakerWebAddress, "", sys::kRunDetached);
}

}  // namespace vandrel

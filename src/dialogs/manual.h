// The manual: one HTML page per language in the "help" folder beside the
// program (named after the language file, "help/de_DE.html"), opened in the
// user's browser when the maker's help program is not installed.
#pragma once

#include <string>

#include "system/process.h"

namespace vandrel {

// The page for `language` in the program folder `programDirectory` (ending in
// "/"), else the British English one; the empty text when neither is there.
std::string ManualPath(const std::string& programDirectory, const std::string& language);

// Hands a page ManualPath found to the desktop's opener ("xdg-open", which
// itself tries $BROWSER and every browser it knows), as one argument. The
// opener's handle, for the caller to watch and release: it ends with a
// failure status when no browser can show the page. 0, and nothing started,
// when there is no page (the empty text) or no opener. Main thread.
sys::ProgramHandle OpenManual(const std::string& page);

}  // namespace vandrel

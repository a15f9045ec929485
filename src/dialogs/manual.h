// The manual: one HTML page per language in the "help" folder beside the
// program (named after the language file, "help/de_DE.html"), opened in the
// user's browser when the maker's help program is not installed.
#pragma once

#include <string>

namespace vandrel {

// The page for the current language, else the British English one; the empty
// text when neither is there. Main thread.
std::string ManualPath();

// Hands ManualPath() to the browser; false, and nothing started, when there
// is no page. Main thread.
bool OpenManual();

}  // namespace vandrel

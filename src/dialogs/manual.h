// The manual: one HTML page per language in the "help" folder beside the
// program (named after the language file, "help/de_DE.html"), opened in the
// user's browser when the maker's help program is not installed.
#pragma once

#include <string>

namespace vandrel {

// The page for `language` in the program folder `programDirectory` (ending in
// "/"), else the British English one; the empty text when neither is there.
std::string ManualPath(const std::string& programDirectory, const std::string& language);

// Hands a page ManualPath found to the browser; false, and nothing started,
// when there is no page (the empty text). Main thread.
bool OpenManual(const std::string& page);

}  // namespace vandrel

// Modal file requesters and the clipboard.
#pragma once

#include <string>

namespace vandrel::tk {

enum RequesterFlags : int { kRequesterMultiple = 1 };

// Pattern text: "name|pat;pat|name|pat..." ("*.*" means every file). A
// start path ending in "/" opens that folder; otherwise it names a file.
// Returns the first chosen path, or empty when cancelled.
std::string OpenFileRequester(const std::string& title, const std::string& startPath,
                              const std::string& pattern, int patternIndex, int flags = 0);
// The next chosen path; empty when none are left.
std::string NextSelectedFileName();
std::string SaveFileRequester(const std::string& title, const std::string& startPath,
                              const std::string& pattern, int patternIndex);
int SelectedFilePattern();

// Puts text on the desktop's clipboard (not the primary selection). 1, or 0
// when there is no clipboard. The text outlives the program where the
// desktop runs a clipboard store.
int SetClipboardText(const std::string& text);
std::string GetClipboardText();

}  // namespace vandrel::tk

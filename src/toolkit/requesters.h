// Modal file requesters and the clipboard.
#pragma once

#include <memory>
#include <string>
#include <vector>

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

// One file-type filter of a requester: its name and its shell patterns.
struct RequesterFilter {
  std::string name;
  std::vector<std::string> patterns;
};
// Splits "name|pat;pat|name|pat" into filters; "*.*" becomes "*", which also
// matches names without a dot. An unpaired trailing name is left out.
std::vector<RequesterFilter> ParseRequesterPattern(const std::string& pattern);

// Puts text on the desktop's clipboard (not the primary selection). 1, or 0
// when there is no clipboard. The text outlives the program where the
// desktop runs a clipboard store.
int SetClipboardText(const std::string& text);
std::string GetClipboardText();
// The clipboard's UTF-8 text as it came, unconverted and unchecked, shared
// rather than copied, for a search through a large copied text beside the
// window: GTK's conversion alone holds the main thread for half a second
// over 100 MB. Never null.
std::shared_ptr<const std::string> GetClipboardBytes();

}  // namespace vandrel::tk

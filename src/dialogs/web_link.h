// The maker's web site: its address, shared with the About window, and the
// Open web command that hands it to the desktop's URL opener.
#pragma once

#include <string>

namespace vandrel {

inline constexpr char kMakerWebAddress[] = "https://brassholt.example/vandrel/";

// Starts "xdg-open" on `address` (a web address or a local file's path, kept
// one argument whatever blanks it holds), detached; the program does not
// wait for it. Main thread.
void OpenInBrowser(const std::string& address);

// OpenInBrowser on the maker's address. Main thread.
void OpenWeb();

}  // namespace vandrel

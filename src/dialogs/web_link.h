// The maker's web site: its address, shared with the About window, and the
// Open web command that hands it to the desktop's URL opener.
#pragma once

namespace vandrel {

inline constexpr char kMakerWebAddress[] = "https://brassholt.example/vandrel/";

// Starts "xdg-open" on the maker's address, detached; the program does not
// wait for it. Main thread.
void OpenWeb();

}  // namespace vandrel

// Open help: the maker's help program "Leafscope.exe", started on the current
// language's help file and watched by a small thread until it ends, so that
// it is started only once at a time and killed when the program ends. Where
// the help program is not installed, the manual's page opens in the browser,
// and the user learns where the page is when no browser can show it.
#pragma once

#include <string>

#include "system/process.h"

namespace vandrel {

// Program directory + "Vandrel_" + T("tLangFileLANGID") + ".help". Main thread.
std::string HelpFilePath();

// The manual's page for the current language (ManualPath over the program
// folder); the empty text when there is none. Main thread.
std::string CurrentManualPage();

// Whether Open help has something to show: the help program on PATH or a
// manual page beside the program. Main thread.
bool HelpAvailable();

// Enables the Help menu's Show help item exactly when HelpAvailable(). Main
// thread.
void EnableHelpItem();

// Starts the help program unless one started earlier (or the manual's
// opener) is still known to run. Without a help program on PATH, hands the
// manual page to the desktop's opener, and says so in a notice naming the
// page when no opener is there or it fails; with neither a help program nor
// a page, does nothing. Main thread.
void OpenHelp();

// The notice that nothing could show the manual, naming its page. Main
// thread; OpenHelp's watcher asks for it with kEventManualNotShown.
void ShowManualNotShown();

// The watcher's procedure; runs on its own thread, not the main thread.
// `watch` is the number OpenHelp gave this watch; a watcher whose watch has
// been superseded ends. Returns 0.
int WatchHelpProgram(int watch);

// Shutdown: kills a help program that still runs and releases its handle,
// without racing the watcher. Main thread.
void StopHelpProgram();

}  // namespace vandrel

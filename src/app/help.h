// Open help: the maker's help program "Leafscope.exe", started on the current
// language's help file and watched by a small thread until it ends, so that
// it is started only once at a time and killed when the program ends.
#pragma once

#include <string>

#include "system/process.h"

namespace vandrel {

// Program directory + "Vandrel_" + T("tLangFileLANGID") + ".help". Main thread.
std::string HelpFilePath();

// Starts the help program unless one started earlier is still known to run.
// A missing help program is silently ignored. Main thread.
void OpenHelp();

// The watcher's procedure; runs on its own thread, not the main thread.
// `watch` is the number OpenHelp gave this watch; a watcher whose watch has
// been superseded ends. Returns 0.
int WatchHelpProgram(int watch);

// Shutdown: kills a help program that still runs and releases its handle,
// without racing the watcher. Main thread.
void StopHelpProgram();

}  // namespace vandrel

// Views of the window program's state for in-process tests.
#pragma once

#include "system/process.h"

namespace vandrel {

// The help program known to run (0 for none) and whether a watcher is meant
// to run.
sys::ProgramHandle HelpProcess();
bool HelpWatching();

}  // namespace vandrel

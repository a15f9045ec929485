// What tests read back from the system layer that the program never asks.
// Needs no display: the system tests link this library alone.
#pragma once

#include "system/process.h"
#include "system/threads.h"

namespace vandrel::sys {

// The exit code of a kept program once known (1 when ended by a signal), -1
// before; 0 for a handle the runner does not keep. Any thread.
int ProgramExitCode(ProgramHandle program);

// Whether a thread CreateThread made is still running its procedure. Any
// thread.
bool IsThread(ThreadHandle thread);

}  // namespace vandrel::sys

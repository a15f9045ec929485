// The event loop: one event at a time from the toolkit's queue, dispatched
// by window, kind and number to the program's commands. Main thread only.
#pragma once

namespace vandrel {

// Runs until the quit request is set.
void RunEventLoop();
// Handles one event already taken from the queue, as RunEventLoop does each.
void DispatchEvent(int kind);

}  // namespace vandrel

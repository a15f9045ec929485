// The event loop: one event at a time from the toolkit's queue, dispatched
// by window, kind and number to the program's commands. Main thread only.
#pragma once

namespace vandrel {

// Runs until a command decides that the program ends.
void RunEventLoop();
// Handles one event already taken from the queue, as RunEventLoop does each;
// true when it decided that the program ends (a confirmed quit, the
// desktop's end).
bool DispatchEvent(int kind);

}  // namespace vandrel

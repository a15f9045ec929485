// The desktop ending the program: the signals a logout, a shutdown or a
// terminal's Ctrl+C send, and the display connection going away when the X
// session ends. The program decides what ending means; this layer only turns
// these into an event it can handle, or one last call when there is no
// display left to handle events with.
#pragma once

namespace vandrel::tk {

// From now on SIGTERM, SIGHUP and SIGINT do not kill the process: each posts
// the custom event `kind` for window 0, and every modal wait that is open or
// opens later (message dialogs, file requesters) gives up as if closed, so
// that the event reaches the main loop at once. Main thread, after
// InitialiseToolkit; the signals are taken through the main loop, so the
// program's own code never runs inside a signal handler.
void PostEventOnEndSignals(int kind);

// When the display connection is lost, `lastWords` runs on the main thread
// and the process ends with status 0. The windows can no longer be drawn or
// changed then, but gadget states can still be read.
void OnDisplayLost(void (*lastWords)());

}  // namespace vandrel::tk

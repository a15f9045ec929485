// Process-wide set-up and end of the GTK half of the toolkit layer, and the
// rule for threads.
//
// Design: GTK is used from the main thread only, and so is every toolkit
// call: made on another thread, a call does nothing and returns 0 (or the
// empty text), but for DisplayText, which only converts text. Work beside
// the window comes back to it through PostEvent, which any thread may call,
// or is polled by a frame timer (events.h).
#pragma once

namespace vandrel::tk {

// Must run first, on the main thread: forces the X11 back end, initialises
// Xlib threads and GTK with the command line. False when there is no display.
bool InitialiseToolkit(int* argc, char*** argv);

// Frees every facility, hands the clipboard to the desktop's clipboard store
// and ends the process with `exitCode`. Does not return.
[[noreturn]] void EndOfProgram(int exitCode);

bool IsMainThread();

// Runs every event the toolkit has pending, without blocking: for the rare
// call that must see its own changes on screen at once.
void ProcessPendingToolkitEvents();

}  // namespace vandrel::tk

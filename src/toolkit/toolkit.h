// Process-wide set-up and end of the GTK half of the toolkit layer, and the
// rule for calls made from threads other than the main thread.
//
// Design: GTK is used from the main thread only. A toolkit call made on any
// other thread (the checksum worker) is queued and the caller blocks until
// the main thread has run it, so the call has taken effect when it returns.
// The main thread runs queued calls only while it waits for events in the
// event loop (WaitWindowEvent), never in the middle of a command, and not
// while a WorkerCallsHeld guard is alive (a modal question is open). After
// EndOfProgram has begun, calls from other threads do nothing and return 0.
#pragma once

#include <functional>
#include <string>

namespace vandrel::tk {

// Must run first, on the main thread: forces the X11 back end, initialises
// Xlib threads and GTK with the command line. False when there is no display.
bool InitialiseToolkit(int* argc, char*** argv);

// Frees every facility, hands the clipboard to the desktop's clipboard store
// and ends the process with `exitCode`. Does not return.
[[noreturn]] void EndOfProgram(int exitCode);

bool IsMainThread();

// Runs `calls` on the main thread as one hand-over: a thread with many
// toolkit calls to make waits once for them all, not once per call. Runs at
// once on the main thread. False when the toolkit has ended and it did not.
bool RunAsOneCall(const std::function<void()>& calls);

// While alive, calls queued by other threads wait instead of running, even
// when the main thread waits for events inside a nested loop.
class WorkerCallsHeld {
 public:
  WorkerCallsHeld();
  ~WorkerCallsHeld();
  WorkerCallsHeld(const WorkerCallsHeld&) = delete;
  WorkerCallsHeld& operator=(const WorkerCallsHeld&) = delete;
};

// Runs every event the toolkit has pending, without blocking: for the rare
// call that must see its own changes on screen at once.
void ProcessPendingToolkitEvents();

}  // namespace vandrel::tk

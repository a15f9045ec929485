// The single event queue: toolkit signals and the program's own posts land
// here, and the main thread takes them one at a time.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vandrel::tk {

enum EventKind : int {
  kEventNone = -1,
  kEventMenu = 1,
  kEventCloseWindow = 2,
  kEventGadget = 3,
  kEventSizeWindow = 6,
  kEventGadgetDrop = 11,
  kEventCustom = 0x10000,
};

// Blocks until an event is queued and returns its kind; meanwhile the main
// loop runs, and so do the frame timers that are due.
int WaitWindowEvent();
// Like WaitWindowEvent, but gives up after `milliseconds` and returns kEventNone.
int WaitWindowEventTimeout(int milliseconds);
// Waits for an event of `window` (a modal window's own loop). Events of other
// windows that arrive meanwhile are dropped, except custom events, which stay
// queued, in order, for the main loop. Once the desktop has asked the
// program to end (session_end.h), it returns a close event of `window` at
// once when that window is open.
int WaitWindowEventOf(int window);
// Fields of the event last taken.
int EventWindow();
int EventGadget();
int EventMenu();
// The type of the last gadget event (for lists: kListEventCopy and others).
int EventType();
// Local paths of the last drop event, joined by line feeds.
std::string EventDroppedFiles();
// The same paths one by one: a path may itself hold a line feed.
std::vector<std::string> EventDroppedPaths();

// May be called from any thread; wakes a main thread blocked in WaitWindowEvent.
// Custom events (kEventCustom and up) are always queued, in order.
void PostEvent(int kind, int window = 0, int object = 0, int type = 0, int data = 0);

// Toolkit-generated events use this: an event equal to the last queued one in
// kind, window, object, type and dropped paths is dropped.
void QueueToolkitEvent(int kind, int window, int object, int type = 0, int data = 0,
                       const std::vector<std::string>& dropped = {});

// Removes every queued event of `window` (used when a window closes).
void RemoveWindowEvents(int window);

// Calls `tick` about every `milliseconds` on the main thread while it waits
// for events (WaitWindowEvent, a modal window's own loop), never in the
// middle of a command; a tick that is late runs once. Returns the timer's
// number for StopFrameTimer, 0 off the main thread. Main thread only.
int StartFrameTimer(int milliseconds, std::function<void()> tick);
// No tick runs after this, not even one already due; a tick may stop its
// own timer.
void StopFrameTimer(int timer);

}  // namespace vandrel::tk

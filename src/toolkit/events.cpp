// The event queue. Any thread may post; only the main thread waits and takes.
#include "toolkit/events.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <deque>
#include <mutex>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

struct Event {
  int kind = kEventNone;
  int window = 0;
  int object = 0;
  int type = 0;
  int data = 0;
  std::vector<std::string> dropped;
};

struct EventQueue {
  std::mutex mutex;
  std::deque<Event> events;
  Event current;  // main thread only
};

// Main thread only.
bool g_waitingForEvents = false;

EventQueue& Queue() {
  static EventQueue queue;
  return queue;
}

gboolean StopWaiting(gpointer flag) {
  *static_cast<bool*>(flag) = true;
  return G_SOURCE_REMOVE;
}

// Takes the first event; with `onlyWindow` set, the first event of that
// window, dropping the others before it but leaving custom events queued.
bool TakeEvent(const int* onlyWindow = nullptr) {
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  for (auto it = queue.events.begin(); it != queue.events.end();) {
    if (!onlyWindow || it->window == *onlyWindow) {
      queue.current = std::move(*it);
      queue.events.erase(it);
      return true;
    }
    it = it->kind >= kEventCustom ? std::next(it) : queue.events.erase(it);
  }
  return false;
}

int Wait(int milliseconds, const int* onlyWindow) {
  EventQueue& queue = Queue();
  // The previous event's dropped paths must have been read by now.
  queue.current = Event{};
  bool timedOut = false;
  guint timer = 0;
  if (milliseconds >= 0) timer = g_timeout_add(milliseconds, StopWaiting, &timedOut);
  for (;;) {
    if (onlyWindow && detail::EndRequested() && detail::Windows().find(*onlyWindow)) {
      // The desktop is ending the program: a modal window's loop sees its
      // close box pressed, so that the end reaches the main loop. A wait
      // for a number no window has is a wait for work, and goes on.
      queue.current = Event{kEventCloseWindow, *onlyWindow, 0, 0, 0, {}};
      break;
    }
    const bool ranWorkerCalls = detail::RunQueuedWorkerCalls();
    if (TakeEvent(onlyWindow)) break;
    if (timedOut) return kEventNone;
    if (ranWorkerCalls) {
      // A worker in the middle of a row makes its next call at once: keep
      // the toolkit drawing without blocking, and wait a moment for it.
      // That iteration may have taken the wake-up of an event posted
      // meanwhile, so look at the queue again before blocking.
      g_main_context_iteration(nullptr, FALSE);
      detail::AwaitWorkerCall();
      continue;
    }
    // Blocks until some activity; PostEvent and queued worker calls wake it.
    const bool outer = g_waitingForEvents;
    g_waitingForEvents = true;
    g_main_context_iteration(nullptr, TRUE);
    g_waitingForEvents = outer;
  }
  if (timer && !timedOut) g_source_remove(timer);
  return queue.current.kind;
}

}  // namespace

int WaitWindowEventTimeout(int milliseconds) { return Wait(milliseconds, nullptr); }

int WaitWindowEventOf(int window) { return Wait(-1, &window); }

int WaitWindowEvent() { return WaitWindowEventTimeout(-1); }

int EventWindow() { return Queue().current.window; }
int EventGadget() {
  return Queue().current.kind == kEventGadget || Queue().current.kind == kEventGadgetDrop
             ? Queue().current.object
             : 0;
}
int EventMenu() { return Queue().current.kind == kEventMenu ? Queue().current.object : 0; }
int EventType() { return Queue().current.type; }
std::string EventDroppedFiles() {
  std::string joined;
  for (const std::string& path : Queue().current.dropped) {
    if (!joined.empty()) joined += '\n';
    joined += path;
  }
  return joined;
}
std::vector<std::string> EventDroppedPaths() { return Queue().current.dropped; }

void PostEvent(int kind, int window, int object, int type, int data) {
  if (detail::ToolkitEnded()) return;
  EventQueue& queue = Queue();
  {
    std::lock_guard lock(queue.mutex);
    queue.events.push_back(Event{kind, window, object, type, data, {}});
  }
  g_main_context_wakeup(nullptr);
}

void QueueToolkitEvent(int kind, int window, int object, int type, int data,
                       const std::vector<std::string>& dropped) {
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  if (kind < kEventCustom && !queue.events.empty()) {
    const Event& last = queue.events.back();
    // Two drops in one frame differ only in their paths: both must arrive.
    if (last.kind == kind && last.window == window && last.object == object && last.type == type &&
        last.dropped == dropped) {
      return;
    }
  }
  queue.events.push_back(Event{kind, window, object, type, data, dropped});
}

void RemoveWindowEvents(int window) {
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  std::erase_if(queue.events, [window](const Event& e) { return e.window == window; });
}

bool detail::WaitingForEvents() { return g_waitingForEvents; }

int detail::QueuedEventCount() {
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  return static_cast<int>(queue.events.size());
}

}  // namespace vandrel::tk

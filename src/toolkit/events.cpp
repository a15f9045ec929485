// The event queue and the frame timers. Any thread may post; only the main
// thread waits, takes and ticks.
#include "toolkit/events.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <atomic>
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
std::atomic<bool> g_postingEnded{false};

// A timer's GLib source only marks it due, in whatever iteration it fires
// (a file requester's own loop, say); the tick runs from an event wait.
struct FrameTimer {
  int number = 0;
  std::function<void()> tick;
  guint source = 0;
  bool due = false;
};

// Main thread only.
std::vector<FrameTimer> g_timers;
int g_lastTimer = 0;

gboolean MarkDue(gpointer number) {
  for (FrameTimer& timer : g_timers) {
    if (timer.number == GPOINTER_TO_INT(number)) timer.due = true;
  }
  return G_SOURCE_CONTINUE;
}

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
  if (!IsMainThread()) return kEventNone;
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
    detail::RunFrameTimers(false);
    if (TakeEvent(onlyWindow)) break;
    if (timedOut) return kEventNone;
    // Blocks until some activity; PostEvent and the frame timers wake it.
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

// The event the main thread took last; another thread has none.
int EventWindow() {
  return detail::OnMainThread([] { return Queue().current.window; });
}
int EventGadget() {
  return detail::OnMainThread([] {
    const Event& current = Queue().current;
    return current.kind == kEventGadget || current.kind == kEventGadgetDrop ? current.object : 0;
  });
}
int EventMenu() {
  return detail::OnMainThread(
      [] { return Queue().current.kind == kEventMenu ? Queue().current.object : 0; });
}
int EventType() {
  return detail::OnMainThread([] { return Queue().current.type; });
}
std::string EventDroppedFiles() {
  std::string joined;
  for (const std::string& path : EventDroppedPaths()) {
    if (!joined.empty()) joined += '\n';
    joined += path;
  }
  return joined;
}
std::vector<std::string> EventDroppedPaths() {
  return detail::OnMainThread([] { return Queue().current.dropped; });
}

void PostEvent(int kind, int window, int object, int type, int data) {
  if (g_postingEnded.load(std::memory_order_acquire)) return;
  EventQueue& queue = Queue();
  {
    std::lock_guard lock(queue.mutex);
    queue.events.push_back(Event{kind, window, object, type, data, {}});
  }
  g_main_context_wakeup(nullptr);
}

void QueueToolkitEvent(int kind, int window, int object, int type, int data,
                       const std::vector<std::string>& dropped) {
  if (!IsMainThread()) return;
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
  if (!IsMainThread()) return;
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  std::erase_if(queue.events, [window](const Event& e) { return e.window == window; });
}

bool detail::WaitingForEvents() { return g_waitingForEvents; }

void detail::EndEventPosting() { g_postingEnded.store(true, std::memory_order_release); }

int StartFrameTimer(int milliseconds, std::function<void()> tick) {
  if (!IsMainThread()) return 0;
  const int number = ++g_lastTimer;
  const guint source = g_timeout_add(static_cast<guint>(std::max(milliseconds, 1)), MarkDue,
                                     GINT_TO_POINTER(number));
  g_timers.push_back(FrameTimer{number, std::move(tick), source, false});
  return number;
}

void StopFrameTimer(int timer) {
  if (!IsMainThread()) return;
  const auto it = std::find_if(g_timers.begin(), g_timers.end(),
                               [timer](const FrameTimer& entry) { return entry.number == timer; });
  if (it == g_timers.end()) return;
  g_source_remove(it->source);
  g_timers.erase(it);
}

bool detail::RunFrameTimers(bool all) {
  std::vector<int> due;
  for (FrameTimer& timer : g_timers) {
    if (!timer.due && !all) continue;
    timer.due = false;
    due.push_back(timer.number);
  }
  for (int number : due) {
    // A tick may stop its own timer or another: look each one up afresh,
    // and run a copy of the tick.
    const auto it =
        std::find_if(g_timers.begin(), g_timers.end(),
                     [number](const FrameTimer& entry) { return entry.number == number; });
    if (it == g_timers.end()) continue;
    const std::function<void()> tick = it->tick;
    tick();
  }
  return !due.empty();
}

int detail::QueuedEventCount() {
  EventQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  return static_cast<int>(queue.events.size());
}

}  // namespace vandrel::tk

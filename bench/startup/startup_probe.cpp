// Measures how long the program takes from process start until its main
// window is mapped: watches the root window for MapNotify, starts the
// program, and prints the milliseconds (monotonic clock) until a window with
// the main window's title maps; then kills the program it started.
// Usage: startup_probe <program> [argument]; used by bench/startup-time.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr char kMainTitle[] = "Vandrel v1.0.0.0 (arm32) - Brassholt";
constexpr int kTimeoutMilliseconds = 15000;
using Clock = std::chrono::steady_clock;

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

std::string WindowTitle(Display* display, Window window) {
  XTextProperty property{};
  std::string title;
  if (XGetWMName(display, window, &property) && property.value) {
    title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
  }
  return title;
}

bool IsMainWindow(Display* display, Window window) {
  return WindowTitle(display, window) == kMainTitle;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_probe <program> [argument]\n");
    return 2;
  }
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "startup_probe: Can't open display\n");
    return 1;
  }
  Display* d = display.get();
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    execv(argv[1], argv + 1);
    _exit(127);
  }

  int result = 1;
  pollfd connection{ConnectionNumber(d), POLLIN, 0};
  while (result != 0) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (waited.count() > kTimeoutMilliseconds) {
      std::fprintf(stderr, "startup_probe: no main window within %d ms\n", kTimeoutMilliseconds);
      break;
    }
    if (!XPending(d)) {
      poll(&connection, 1, 50);
      continue;
    }
    XEvent event;
    XNextEvent(d, &event);
    if (event.type == MapNotify && IsMainWindow(d, event.xmap.window)) {
      const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
      std::printf("%.1f\n", elapsed.count());
      result = 0;
    }
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return result;
}

// Signals and the loss of the display, turned into the program's own end.
#include "toolkit/session_end.h"

#include <X11/Xlib.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "toolkit/events.h"
#include "toolkit/gtk_state.h"

namespace vandrel::tk {
namespace {

int g_endEvent = 0;
bool g_endRequested = false;  // main thread only
void (*g_lastWords)() = nullptr;

// Runs in the main loop, on the main thread, not in the signal handler.
gboolean OnEndSignal(gpointer) {
  g_endRequested = true;
  PostEvent(g_endEvent);
  // A file requester runs GTK's own loop: answer it with Cancel. The
  // program's message dialogs see the request in their own wait.
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* node = toplevels; node; node = node->next) {
    if (GTK_IS_DIALOG(node->data)) gtk_dialog_response(GTK_DIALOG(node->data), GTK_RESPONSE_CANCEL);
  }
  g_list_free(toplevels);
  return G_SOURCE_CONTINUE;
}

// Xlib ends the process when this returns, and GDK's own handler ends it
// with status 1; there is nothing left to draw on, so say the last words
// and end as a normal exit does.
int OnDisplayConnectionLost(Display*) {
  if (g_lastWords) g_lastWords();
  std::fflush(nullptr);
  _exit(0);
}

}  // namespace

void PostEventOnEndSignals(int kind) {
  g_endEvent = kind;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) g_unix_signal_add(signal, OnEndSignal, nullptr);
}

void OnDisplayLost(void (*lastWords)()) {
  g_lastWords = lastWords;
  XSetIOErrorHandler(OnDisplayConnectionLost);
}

bool detail::EndRequested() { return g_endRequested; }

}  // namespace vandrel::tk

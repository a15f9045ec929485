// Set-up and end of the GTK half of the toolkit layer: the environment GTK
// starts in, its settings and the gadgets' style.
#include "toolkit/toolkit.h"

#include <X11/Xlib.h>
#include <gtk/gtk.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "system/threads.h"
#include "toolkit/events.h"
#include "toolkit/gtk_state.h"

namespace vandrel::tk {
namespace {

#ifdef VANDREL_LEAK_CHECK_AT_EXIT
constexpr int kLeakCheckThreadWaitMilliseconds = 2000;
#endif

std::thread::id g_mainThread;
std::atomic<bool> g_initialised{false};

// Gadgets get the exact rectangles the program gives them, which are tighter
// than the theme's defaults: a radio button's label needs the room its
// indicator margins would take, and a progress bar should fill its height
// rather than draw a hairline at its foot.
constexpr const char* kGadgetCss =
    "radiobutton { padding-left: 0; padding-right: 0; } "
    "radiobutton radio { margin-left: 0; margin-right: 3px; } "
    "progressbar trough { min-height: 20px; } "
    "progressbar progress { min-height: 18px; } ";

// GTK's own theme draws the check and radio marks from SVG files, and its
// first SVG loads an SVG renderer of some 8 MB into every process. The theme
// ships the same marks as PNG files for systems without one: use those.
constexpr const char* kAdwaitaMarksCss =
    "check:checked { -gtk-icon-source: -gtk-recolor(url("
    "\"resource:///org/gtk/libgtk/theme/Adwaita/assets/check-symbolic.symbolic.png\")); } "
    "check:indeterminate { -gtk-icon-source: -gtk-recolor(url("
    "\"resource:///org/gtk/libgtk/theme/Adwaita/assets/dash-symbolic.symbolic.png\")); } "
    "treeview.view radio:checked:selected, radio:checked { -gtk-icon-source: -gtk-recolor(url("
    "\"resource:///org/gtk/libgtk/theme/Adwaita/assets/bullet-symbolic.symbolic.png\")); } "
    "treeview.view radio:indeterminate:selected, radio:indeterminate { -gtk-icon-source: "
    "-gtk-recolor(url("
    "\"resource:///org/gtk/libgtk/theme/Adwaita/assets/dash-symbolic.symbolic.png\")); } ";

// Most themes draw the default button (the one Return presses) apart from
// the others; GTK's own theme draws it like any other, which leaves a user
// guessing what Return will answer. Its accent colour round the border
// marks it, and goes when the button is disabled.
constexpr const char* kAdwaitaDefaultButtonCss =
    "button.default:not(:disabled) { border-color: @theme_selected_bg_color; } ";

bool UsesBuiltInTheme() {
  gchar* theme = nullptr;
  g_object_get(gtk_settings_get_default(), "gtk-theme-name", &theme, nullptr);
  const bool adwaita = theme && g_str_has_prefix(theme, "Adwaita");
  g_free(theme);
  return adwaita;
}

void InstallGadgetStyle() {
  GtkCssProvider* css = gtk_css_provider_new();
  std::string text = kGadgetCss;
  if (UsesBuiltInTheme()) {
    text += kAdwaitaMarksCss;
    text += kAdwaitaDefaultButtonCss;
  }
  gtk_css_provider_load_from_data(css, text.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION - 1);
  g_object_unref(css);
}

// Sets a variable for GTK's own start-up and puts back what the user had
// once GTK has read it (it reads both while it opens the display), so that
// the help program and the web browser start in the user's environment,
// not in the one chosen for this program's GTK.
class EnvironmentForGtk {
 public:
  EnvironmentForGtk(const char* name, const char* value, bool overwrite) : name_(name) {
    if (const char* previous = getenv(name)) previous_ = previous;
    setenv(name, value, overwrite ? 1 : 0);
  }
  ~EnvironmentForGtk() {
    if (previous_)
      setenv(name_, previous_->c_str(), 1);
    else
      unsetenv(name_);
  }
  EnvironmentForGtk(const EnvironmentForGtk&) = delete;
  EnvironmentForGtk& operator=(const EnvironmentForGtk&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace

bool IsMainThread() {
  return !g_initialised.load(std::memory_order_acquire) ||
         std::this_thread::get_id() == g_mainThread;
}

bool InitialiseToolkit(int* argc, char*** argv) {
  {
    // X11 even under a Wayland compositor: window placement and the clipboard
    // store behave as the program expects only there.
    EnvironmentForGtk backend("GDK_BACKEND", "x11", true);
    // Nothing here draws with OpenGL. Without this GDK probes GLX at start-up,
    // which on a machine without a GPU driver maps a software renderer of some
    // 50 MB and costs tens of milliseconds.
    EnvironmentForGtk gl("GDK_GL", "disable", false);
    XInitThreads();
    g_mainThread = std::this_thread::get_id();
    g_initialised.store(true, std::memory_order_release);
    // The program has set its locale already, with numbers in the "C" form;
    // GTK would otherwise set every category from the environment again.
    gtk_disable_setlocale();
    if (!gtk_init_check(argc, argv)) return false;
  }
  g_object_set(gtk_settings_get_default(), "gtk-menu-images", TRUE, nullptr);
  // The source field is typed into, not replaced: focusing it keeps its text unselected.
  g_object_set(gtk_settings_get_default(), "gtk-entry-select-on-focus", FALSE, nullptr);
  InstallGadgetStyle();
  return true;
}

void ProcessPendingToolkitEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void EndOfProgram(int exitCode) {
  // A thread still at work posts nothing into what is freed below.
  detail::EndEventPosting();
  detail::DestroyAllWindows();
  if (gdk_display_get_default()) {
    if (GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)) {
      gtk_clipboard_store(clipboard);
    }
  }
  detail::FreeResources();
  std::fflush(nullptr);
#ifdef VANDREL_LEAK_CHECK_AT_EXIT
  // Sanitizer builds end through exit so that LeakSanitizer examines the
  // heap, once the program's own threads have returned. One that is still
  // at work after the wait must not see static destructors run: such a run
  // ends unchecked.
  if (sys::AwaitAllThreads(kLeakCheckThreadWaitMilliseconds)) std::exit(exitCode);
#endif
  // A thread may still be at work; static destructors must not run under
  // it, so the process ends here without them.
  _exit(exitCode);
}

}  // namespace vandrel::tk

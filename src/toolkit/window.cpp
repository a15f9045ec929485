// Numbered top-level windows: a vertical box with an optional menu bar above
// the gadget area, placed by the program (there may be no window manager).
#include "toolkit/window.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>

#include "toolkit/events.h"
#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace detail {

Registry<WindowRecord>& Windows() {
  static Registry<WindowRecord> registry;
  return registry;
}

int& CurrentWindow() {
  static int current = -1;
  return current;
}

int& SuppressEvents() {
  static int depth = 0;
  return depth;
}

std::string CssColour(int colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return text;
}

void ApplyColourStyle(GtkWidget* widget, GtkCssProvider** provider, const std::string& front,
                      const std::string& back) {
  GtkStyleContext* context = gtk_widget_get_style_context(widget);
  if (*provider) {
    gtk_style_context_remove_provider(context, GTK_STYLE_PROVIDER(*provider));
    g_object_unref(*provider);
    *provider = nullptr;
  }
  if (front.empty() && back.empty()) return;
  std::string css = "* {";
  if (!front.empty()) css += " color: " + front + ";";
  if (!back.empty()) css += " background-color: " + back + "; background-image: none;";
  css += " }";
  *provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(*provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(*provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
}

void DestroyWindowRecord(WindowRecord& record) {
  DestroyGadgetsOf(record.number);
  // The window's menu bar dies with it: forget its record, so that a later
  // menu call, or a new menu under the same number, does not touch its
  // destroyed widgets.
  for (int menu : Menus().numbers()) {
    MenuRecord* owned = Menus().find(menu);
    if (owned && owned->window == record.number) Menus().remove(menu);
  }
  if (record.css) {
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(),
                                                 GTK_STYLE_PROVIDER(record.css));
    g_object_unref(record.css);
    record.css = nullptr;
  }
  if (record.colour) {
    g_object_unref(record.colour);
    record.colour = nullptr;
  }
  if (record.window) {
    GtkWidget* window = record.window;
    record.window = nullptr;
    gtk_widget_destroy(window);
  }
}

void DestroyAllWindows() {
  for (int number : Windows().numbers()) {
    if (auto record = Windows().remove(number)) DestroyWindowRecord(*record);
  }
}

}  // namespace detail

namespace {

using detail::WindowRecord;

// The window's own exact text for buttons and entries, so that the program's
// gadget heights hold with any theme.
constexpr const char* kWindowCss =
    "button, entry {min-height: 20px;} tab {min-height: 20px;} button, scale {padding-bottom: "
    "2px; padding-left: 2px; padding-right: 2px; padding-top: 2px} ";

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  int number = GPOINTER_TO_INT(data);
  WindowRecord* record = detail::Windows().find(number);
  if (record && !record->disabled) QueueToolkitEvent(kEventCloseWindow, number, 0);
  return TRUE;  // the program decides whether the window closes
}

void OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  int number = GPOINTER_TO_INT(data);
  WindowRecord* record = detail::Windows().find(number);
  if (!record || (allocation->width == record->width && allocation->height == record->height)) {
    return;
  }
  record->width = allocation->width;
  record->height = allocation->height;
  if (!record->disabled) QueueToolkitEvent(kEventSizeWindow, number, 0);
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  int number = GPOINTER_TO_INT(data);
  WindowRecord* record = detail::Windows().find(number);
  if (!record || record->disabled) return FALSE;
  int key = static_cast<int>(event->keyval);
  if (key == GDK_KEY_KP_Enter) key = GDK_KEY_Return;
  auto it = record->shortcuts.find(key);
  if (it == record->shortcuts.end()) return FALSE;
  QueueToolkitEvent(kEventMenu, number, it->second);
  return TRUE;  // the shortcut wins over the focused gadget
}

// The work area of the monitor a screen-centred window opens on: the
// primary one, or the first when no monitor is marked primary.
bool PrimaryWorkArea(GdkRectangle* area) {
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return false;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (!monitor) return false;
  gdk_monitor_get_workarea(monitor, area);
  return true;
}

// Motif hints are the only way X11 has to ask for a window without some of
// its boxes; GTK sets them only when asked, and only on a realized window.
void OnRealize(GtkWidget* window, gpointer data) {
  struct Box {
    int flag;
    int decoration;
    int function;
  };
  static constexpr Box kBoxes[] = {
      {kWindowTitleBar, GDK_DECOR_TITLE, 0},
      {kWindowSystemMenu, GDK_DECOR_MENU, GDK_FUNC_CLOSE},
      {kWindowMinimizeGadget, GDK_DECOR_MINIMIZE, GDK_FUNC_MINIMIZE},
      {kWindowMaximizeGadget, GDK_DECOR_MAXIMIZE, GDK_FUNC_MAXIMIZE},
      {kWindowSizeGadget, GDK_DECOR_RESIZEH, GDK_FUNC_RESIZE},
  };
  const int flags = GPOINTER_TO_INT(data);
  int decorations = GDK_DECOR_BORDER;
  int functions = GDK_FUNC_MOVE;
  for (const Box& box : kBoxes) {
    if (!(flags & box.flag)) continue;
    decorations |= box.decoration;
    functions |= box.function;
  }
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  gdk_window_set_decorations(gdkWindow, static_cast<GdkWMDecoration>(decorations));
  gdk_window_set_functions(gdkWindow, static_cast<GdkWMFunction>(functions));
}

void CentreOn(GtkWidget* window, int width, int height, GtkWidget* parent) {
  int x = 0, y = 0;
  if (parent) {
    int px, py, pw, ph;
    gtk_window_get_position(GTK_WINDOW(parent), &px, &py);
    gtk_window_get_size(GTK_WINDOW(parent), &pw, &ph);
    x = px + (pw - width) / 2;
    y = py + (ph - height) / 2;
  } else {
    GdkRectangle area{0, 0, width, height};
    PrimaryWorkArea(&area);
    x = area.x + (area.width - width) / 2;
    y = area.y + (area.height - height) / 2;
  }
  gtk_window_move(GTK_WINDOW(window), x < 0 ? 0 : x, y < 0 ? 0 : y);
}

}  // namespace

int OpenWindow(int number, int x, int y, int width, int height, const std::string& title, int flags,
               WindowHandle parent) {
  return detail::OnMainThread([&]() -> int {
    auto record = std::make_unique<WindowRecord>();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!window) return 0;
    record->window = window;
    record->title = title;
    record->flags = flags;
    record->parent = static_cast<GtkWidget*>(parent);
    record->width = width;
    record->height = height;
    gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    bool resizable = flags & kWindowSizeGadget;
    gtk_window_set_resizable(GTK_WINDOW(window), resizable);
    gtk_window_set_deletable(GTK_WINDOW(window), (flags & kWindowSystemMenu) != 0);
    gtk_window_set_type_hint(GTK_WINDOW(window), (flags & kWindowMinimizeGadget) || !parent
                                                     ? GDK_WINDOW_TYPE_HINT_NORMAL
                                                     : GDK_WINDOW_TYPE_HINT_DIALOG);
    if (resizable) {
      gtk_window_set_default_size(GTK_WINDOW(window), width, height);
      GdkGeometry hints{};
      hints.min_width = 30;
      hints.min_height = 30;
      gtk_window_set_geometry_hints(GTK_WINDOW(window), nullptr, &hints, GDK_HINT_MIN_SIZE);
    }

    record->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    record->area = detail::NewGadgetArea();
    gtk_box_pack_end(GTK_BOX(record->box), record->area, TRUE, TRUE, 0);
    // A fixed-size window takes its size from its content.
    if (!resizable) gtk_widget_set_size_request(record->area, width, height);
    gtk_container_add(GTK_CONTAINER(window), record->box);

    GtkWidget* parentWidget = static_cast<GtkWidget*>(parent);
    if (parentWidget) gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(parentWidget));
    if (flags & kWindowScreenCentered) {
      CentreOn(window, width, height, nullptr);
    } else if ((flags & kWindowWindowCentered) && parentWidget) {
      CentreOn(window, width, height, parentWidget);
    } else {
      gtk_window_move(GTK_WINDOW(window), x, y);
    }

    record->accelerators = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(window), record->accelerators);
    g_object_unref(record->accelerators);

    record->css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(record->css, kWindowCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(record->css), 600);

    std::unique_ptr<WindowRecord> replaced;
    WindowRecord* stored = record.get();
    int result = detail::Windows().add(number, std::move(record), &replaced);
    if (replaced) {
      detail::DestroyWindowRecord(*replaced);
      RemoveWindowEvents(result);
    }
    stored->number = result;
    gpointer data = GINT_TO_POINTER(result);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), data);
    g_signal_connect(window, "size-allocate", G_CALLBACK(OnSizeAllocate), data);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), data);
    // After GTK's own handler, which sets hints of its own for the deletable flag.
    g_signal_connect_after(window, "realize", G_CALLBACK(OnRealize), GINT_TO_POINTER(flags));
    detail::CurrentWindow() = result;

    gtk_widget_show_all(stored->box);
    if (!(flags & kWindowInvisible)) {
      gtk_widget_show(window);
      ProcessPendingToolkitEvents();
    }
    return number < 0 ? result : (result == 0 ? 1 : result);
  });
}

WindowHandle WindowID(int number) {
  return detail::OnMainThread([&]() -> WindowHandle {
    WindowRecord* record = detail::Windows().find(number);
    return record ? record->window : nullptr;
  });
}

int WindowWidth(int number) {
  return detail::OnMainThread([&] {
    WindowRecord* record = detail::Windows().find(number);
    return record ? record->width : 0;
  });
}

int WindowHeight(int number) {
  return detail::OnMainThread([&] {
    WindowRecord* record = detail::Windows().find(number);
    return record ? record->height : 0;
  });
}

void WindowBounds(int number, int minWidth, int minHeight, int maxWidth, int maxHeight) {
  detail::OnMainThreadVoid([&] {
    WindowRecord* record = detail::Windows().find(number);
    if (!record || !gtk_window_get_resizable(GTK_WINDOW(record->window))) return;
    GdkGeometry hints{};
    int mask = 0;
    if (minWidth != kUnchanged || minHeight != kUnchanged) {
      hints.min_width = minWidth == kUnchanged ? 30 : minWidth;
      hints.min_height = minHeight == kUnchanged ? 30 : minHeight;
      mask |= GDK_HINT_MIN_SIZE;
    }
    if (maxWidth != kUnchanged || maxHeight != kUnchanged) {
      hints.max_width = maxWidth == kUnchanged ? G_MAXSHORT : maxWidth;
      hints.max_height = maxHeight == kUnchanged ? G_MAXSHORT : maxHeight;
      mask |= GDK_HINT_MAX_SIZE;
    }
    gtk_window_set_geometry_hints(GTK_WINDOW(record->window), nullptr, &hints,
                                  static_cast<GdkWindowHints>(mask));
    // Without a window manager nobody enforces the hints: grow a window that
    // is now below its minimum ourselves.
    if (mask & GDK_HINT_MIN_SIZE) {
      int width = std::max(record->width, hints.min_width);
      int height = std::max(record->height, hints.min_height);
      if (width != record->width || height != record->height) {
        gtk_window_resize(GTK_WINDOW(record->window), width, height);
        if (!gtk_widget_get_visible(record->window)) {
          gtk_window_set_default_size(GTK_WINDOW(record->window), width, height);
          record->width = width;
          record->height = height;
          // A window that opens hidden and centred stays centred at its new size.
          if (record->flags & kWindowScreenCentered)
            CentreOn(record->window, width, height, nullptr);
          else if (record->flags & kWindowWindowCentered)
            CentreOn(record->window, width, height, record->parent);
        }
      }
    }
  });
}

void SetWindowColor(int number, std::int32_t colour) {
  detail::OnMainThreadVoid([&] {
    WindowRecord* record = detail::Windows().find(number);
    if (!record) return;
    detail::ApplyColourStyle(record->area, &record->colour, "",
                             colour == kThemeColour ? "" : detail::CssColour(colour));
  });
}

std::int32_t WindowThemeBackground(int number) {
  return detail::OnMainThread([&]() -> std::int32_t {
    WindowRecord* record = detail::Windows().find(number);
    if (!record) return 0xFFFFFF;
    GdkRGBA* rgba = nullptr;
    gtk_style_context_get(gtk_widget_get_style_context(record->window), GTK_STATE_FLAG_NORMAL,
                          GTK_STYLE_PROPERTY_BACKGROUND_COLOR, &rgba, nullptr);
    if (!rgba) return 0xFFFFFF;
    // 16-bit channels shifted down to 8 bits.
    auto channel = [](double value) {
      return (static_cast<int>(value * 65535.0 + 0.5) >> 8) & 0xFF;
    };
    std::int32_t colour =
        channel(rgba->red) | channel(rgba->green) << 8 | channel(rgba->blue) << 16;
    gdk_rgba_free(rgba);
    return colour;
  });
}

void DisableWindow(int number, bool disabled) {
  detail::OnMainThreadVoid([&] {
    WindowRecord* record = detail::Windows().find(number);
    if (!record) return;
    record->disabled = disabled;
    gtk_widget_set_sensitive(record->box, !disabled);
  });
}

bool IsWindowDisabled(int number) {
  return detail::OnMainThread([&] {
    WindowRecord* record = detail::Windows().find(number);
    return record && record->disabled;
  });
}

void HideWindow(int number, bool hidden) {
  detail::OnMainThreadVoid([&] {
    WindowRecord* record = detail::Windows().find(number);
    if (!record) return;
    if (hidden) {
      gtk_widget_hide(record->window);
    } else {
      gtk_widget_show(record->window);
      gtk_window_present(GTK_WINDOW(record->window));
    }
    ProcessPendingToolkitEvents();
  });
}

void SetWindowModal(int number, bool modal) {
  detail::OnMainThreadVoid([&] {
    if (WindowRecord* record = detail::Windows().find(number)) {
      gtk_window_set_modal(GTK_WINDOW(record->window), modal);
    }
  });
}

void CloseWindow(int number) {
  detail::OnMainThreadVoid([&] {
    auto record = detail::Windows().remove(number);
    if (!record) return;
    detail::DestroyWindowRecord(*record);
    if (detail::CurrentWindow() == number) detail::CurrentWindow() = -1;
    ProcessPendingToolkitEvents();
    RemoveWindowEvents(number);
  });
}

void DesktopWorkArea(int* width, int* height) {
  detail::OnMainThreadVoid([&] {
    GdkRectangle area{0, 0, 0, 0};
    PrimaryWorkArea(&area);
    *width = area.width;
    *height = area.height;
  });
}

}  // namespace vandrel::tk

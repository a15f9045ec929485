// Simulated user input and state views for in-process tests. Each input hook
// goes through the same GTK signal the real input would, so the toolkit's own
// handlers run.
#include "testing/toolkit_hooks.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <deque>
#include <memory>

#include "toolkit/accelerators.h"
#include "toolkit/events.h"
#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"
#include "toolkit/requester_provider.h"

namespace vandrel::tk::testing {
namespace {

gboolean RunAction(gpointer data) {
  auto* action = static_cast<std::function<void()>*>(data);
  (*action)();
  return G_SOURCE_REMOVE;
}

void DeleteAction(gpointer data) { delete static_cast<std::function<void()>*>(data); }

std::deque<RequesterAnswer>& ScriptedAnswers() {
  static std::deque<RequesterAnswer> answers;
  return answers;
}

std::optional<std::vector<std::string>> NextScriptedAnswer(const std::string& title,
                                                           const std::string& startPath,
                                                           const std::string& pattern) {
  std::deque<RequesterAnswer>& answers = ScriptedAnswers();
  if (answers.empty()) return std::nullopt;
  RequesterAnswer answer = std::move(answers.front());
  answers.pop_front();
  if (answer.observe) answer.observe(title, startPath, pattern);
  return std::move(answer.paths);
}

}  // namespace

void ScriptRequester(RequesterAnswer answer) {
  ScriptedAnswers().push_back(std::move(answer));
  SetRequesterProvider(NextScriptedAnswer);
}

void AtNextWait(std::function<void()> action, int milliseconds) {
  g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds, RunAction,
                     new std::function<void()>(std::move(action)), DeleteAction);
}

bool WaitingForEvents() { return detail::WaitingForEvents(); }

void ClickGadget(int gadget) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record || !gtk_widget_is_sensitive(record->inner)) return;
  if (GTK_IS_BUTTON(record->inner)) gtk_button_clicked(GTK_BUTTON(record->inner));
}

void PressKey(int window, int key, int modifiers) {
  detail::WindowRecord* record = detail::Windows().find(window);
  if (!record) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(record->window);
  if (!gdkWindow) return;
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(gdkWindow));
  event->key.send_event = TRUE;
  event->key.time = GDK_CURRENT_TIME;
  event->key.keyval = static_cast<guint>(key);
  if (modifiers & kModifierControl) event->key.state |= GDK_CONTROL_MASK;
  if (modifiers & kModifierShift) event->key.state |= GDK_SHIFT_MASK;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                        event->key.keyval, &keys, &count) &&
      count > 0) {
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  }
  g_free(keys);
  gtk_main_do_event(event);
  gdk_event_free(event);
}

namespace {

// The close box's event for a shown window; null when it has none yet.
GdkEvent* NewCloseRequest(int window) {
  detail::WindowRecord* record = detail::Windows().find(window);
  if (!record) return nullptr;
  GdkWindow* gdkWindow = gtk_widget_get_window(record->window);
  if (!gdkWindow) return nullptr;
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(gdkWindow));
  event->any.send_event = TRUE;
  return event;
}

}  // namespace

void RequestClose(int window) {
  if (GdkEvent* event = NewCloseRequest(window)) {
    gtk_main_do_event(event);
    gdk_event_free(event);
  }
}

void QueueCloseRequest(int window) {
  if (GdkEvent* event = NewCloseRequest(window)) {
    gdk_event_put(event);
    gdk_event_free(event);
  }
}

void DropUris(int gadget, const std::vector<std::string>& uris) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record) return;
  std::string list;
  for (const std::string& uri : uris) list += uri + "\r\n";
  detail::DeliverDroppedUriList(*record, list);
}

void ResizeWindow(int window, int width, int height) {
  detail::WindowRecord* record = detail::Windows().find(window);
  if (!record) return;
  gtk_window_resize(GTK_WINDOW(record->window), width, height);
  for (int i = 0; i < 200 && (record->width != width || record->height != height); ++i) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    g_usleep(2000);
  }
}

void ClickListRow(int gadget, int row) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record || record->kind != detail::GadgetKind::kList) return;
  if (!gtk_widget_is_sensitive(record->inner)) return;
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(record->inner));
  GtkTreeIter iter;
  if (row >= 0 && gtk_tree_model_iter_nth_child(record->model, &iter, nullptr, row)) {
    gtk_tree_selection_unselect_all(selection);
    gtk_tree_selection_select_iter(selection, &iter);
  }
  // A click posts its own event whether or not it hit a row.
  QueueToolkitEvent(kEventGadget, record->window, gadget, 1);
}

void GadgetAllocation(int gadget, int* x, int* y, int* width, int* height) {
  *x = *y = *width = *height = 0;
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  detail::WindowRecord* window = record ? detail::Windows().find(record->window) : nullptr;
  if (!record || !window) return;
  GtkAllocation child, area;
  gtk_widget_get_allocation(record->outer, &child);
  gtk_widget_get_allocation(window->area, &area);
  *x = child.x - area.x;
  *y = child.y - area.y;
  *width = child.width;
  *height = child.height;
}

bool GadgetHasFocus(int gadget) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  return record && gtk_widget_has_focus(record->inner);
}

void FocusGadget(int gadget) {
  if (detail::GadgetRecord* record = detail::Gadgets().find(gadget)) {
    gtk_widget_grab_focus(record->inner);
  }
}

bool SpinUntil(const std::function<bool()>& done, int milliseconds) {
  gint64 end = g_get_monotonic_time() + gint64(milliseconds) * 1000;
  while (!done()) {
    if (g_get_monotonic_time() > end) return false;
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    if (!done()) g_usleep(1000);
  }
  return true;
}

std::vector<int> WindowGadgets(int window) {
  std::vector<int> gadgets;
  for (int number : detail::Gadgets().numbers()) {
    detail::GadgetRecord* record = detail::Gadgets().find(number);
    if (record && record->window == window) gadgets.push_back(number);
  }
  return gadgets;  // automatic numbers grow, so number order is creation order
}

std::vector<std::string> WindowTexts(int window) {
  std::vector<std::string> texts;
  for (int number : WindowGadgets(window)) {
    detail::GadgetRecord* record = detail::Gadgets().find(number);
    if (record->kind == detail::GadgetKind::kText) {
      texts.emplace_back(gtk_label_get_text(GTK_LABEL(record->inner)));
    } else if (record->kind == detail::GadgetKind::kButton) {
      const char* label = gtk_button_get_label(GTK_BUTTON(record->inner));
      texts.emplace_back(label ? label : "");
    }
  }
  return texts;
}

int LastOpenedWindow() { return detail::CurrentWindow(); }

bool GadgetIsDefault(int gadget) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  return record && gtk_widget_get_can_default(record->inner) &&
         gtk_widget_has_default(record->inner);
}

bool GadgetIsWindowFocus(int gadget) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  return record && gtk_widget_is_focus(record->inner);
}

unsigned long NativeWindowId(int window) {
  detail::WindowRecord* record = detail::Windows().find(window);
  if (!record || !gtk_widget_get_realized(record->window)) return 0;
  // What GDK has asked of the server must be there before anyone looks.
  gdk_display_sync(gtk_widget_get_display(record->window));
  return GDK_WINDOW_XID(gtk_widget_get_window(record->window));
}

void RunFrameTimers() { detail::RunFrameTimers(true); }

namespace {

using RowObserver = std::function<void(int)>;

void OnRowChanged(GtkTreeModel*, GtkTreePath* path, GtkTreeIter*, gpointer data) {
  const gint* indices = gtk_tree_path_get_indices(path);
  if (indices) (*static_cast<RowObserver*>(data))(indices[0]);
}

void DeleteRowObserver(gpointer data, GClosure*) {
  std::unique_ptr<RowObserver> owned(static_cast<RowObserver*>(data));
}

}  // namespace

void ObserveListRows(int gadget, std::function<void(int row)> observer) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record || !record->model) return;
  g_signal_handlers_disconnect_matched(record->model, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                       reinterpret_cast<gpointer>(OnRowChanged), nullptr);
  if (!observer) return;
  g_signal_connect_data(record->model, "row-changed", G_CALLBACK(OnRowChanged),
                        std::make_unique<RowObserver>(std::move(observer)).release(),
                        DeleteRowObserver, GConnectFlags{});
}

std::pair<std::string, std::string> ListRowImageDescription(int gadget, int row) {
  std::pair<std::string, std::string> texts;
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record || record->kind != detail::GadgetKind::kList) return texts;
  AtkObject* cell = atk_table_ref_at(ATK_TABLE(gtk_widget_get_accessible(record->inner)), row, 0);
  if (!cell) return texts;
  for (int i = 0; i < atk_object_get_n_accessible_children(cell); ++i) {
    AtkObject* child = atk_object_ref_accessible_child(cell, i);
    if (ATK_IS_IMAGE(child)) {
      const gchar* description = atk_object_get_description(child);
      const gchar* imageDescription = atk_image_get_image_description(ATK_IMAGE(child));
      texts = {description ? description : "", imageDescription ? imageDescription : ""};
    }
    g_object_unref(child);
  }
  g_object_unref(cell);
  return texts;
}

std::string ListRowTextDescription(int gadget, int row, int column) {
  detail::GadgetRecord* record = detail::Gadgets().find(gadget);
  if (!record || record->kind != detail::GadgetKind::kList) return "";
  AtkObject* cell =
      atk_table_ref_at(ATK_TABLE(gtk_widget_get_accessible(record->inner)), row, column);
  if (!cell) return "";
  std::string text;
  auto take = [&text](AtkObject* object) {
    if (ATK_IS_TEXT(object) && !ATK_IS_IMAGE(object)) {
      const gchar* description = atk_object_get_description(object);
      text = description ? description : "";
    }
  };
  // The first column packs the image and the text in one container cell.
  take(cell);
  for (int i = 0; i < atk_object_get_n_accessible_children(cell); ++i) {
    AtkObject* child = atk_object_ref_accessible_child(cell, i);
    take(child);
    g_object_unref(child);
  }
  g_object_unref(cell);
  return text;
}

namespace {

AccessibleFacts FactsOf(GtkWidget* widget) {
  AccessibleFacts facts;
  AtkObject* accessible = widget ? gtk_widget_get_accessible(widget) : nullptr;
  if (!accessible) return facts;
  facts.role = atk_role_get_name(atk_object_get_role(accessible));
  AtkStateSet* states = atk_object_ref_state_set(accessible);
  for (int state = ATK_STATE_INVALID; state < ATK_STATE_LAST_DEFINED; ++state) {
    if (atk_state_set_contains_state(states, static_cast<AtkStateType>(state))) {
      facts.states.insert(atk_state_type_get_name(static_cast<AtkStateType>(state)));
    }
  }
  g_object_unref(states);
  return facts;
}

}  // namespace

void SetScreenCss(const std::string& css) {
  static GtkCssProvider* provider = nullptr;
  GdkScreen* screen = gdk_screen_get_default();
  if (provider) {
    gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider));
    g_object_unref(provider);
    provider = nullptr;
  }
  if (css.empty()) return;
  provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_USER + 10);
}

AccessibleFacts WindowAccessible(int window) {
  detail::WindowRecord* record = detail::Windows().find(window);
  return FactsOf(record ? record->window : nullptr);
}

AccessibleFacts MenuItemAccessible(int menu, int item) {
  detail::MenuRecord* record = detail::Menus().find(menu);
  if (!record) return {};
  auto found = record->items.find(item);
  return FactsOf(found == record->items.end() ? nullptr : found->second.item);
}

}  // namespace vandrel::tk::testing

namespace vandrel::tk {

int CountQueuedEvents() { return detail::QueuedEventCount(); }

void WindowPosition(int number, int* x, int* y) {
  detail::OnMainThreadVoid([&] {
    *x = *y = 0;
    detail::WindowRecord* record = detail::Windows().find(number);
    if (!record) return;
    GdkWindow* window = gtk_widget_get_window(record->window);
    if (window) {
      gdk_window_get_origin(window, x, y);
    } else {
      gtk_window_get_position(GTK_WINDOW(record->window), x, y);
    }
  });
}

void ActivateMenuItem(int menu, int item) {
  detail::OnMainThreadVoid([&] {
    detail::MenuRecord* record = detail::Menus().find(menu);
    if (!record) return;
    auto it = record->items.find(item);
    if (it != record->items.end() && gtk_widget_get_sensitive(it->second.item)) {
      gtk_menu_item_activate(GTK_MENU_ITEM(it->second.item));
    }
  });
}

std::string FontResolvedFamily(int id) {
  return detail::OnMainThread([&]() -> std::string {
    detail::FontRecord* font = detail::Fonts().find(id);
    if (!font) return "";
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFont* loaded = pango_font_map_load_font(map, context, font->description);
    std::string family;
    if (loaded) {
      PangoFontDescription* actual = pango_font_describe(loaded);
      family = pango_font_description_get_family(actual);
      pango_font_description_free(actual);
      g_object_unref(loaded);
    }
    g_object_unref(context);
    return family;
  });
}

}  // namespace vandrel::tk

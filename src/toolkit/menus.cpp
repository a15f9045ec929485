// Menu bars whose items show images, check items made in place, and the
// window's keyboard shortcuts.
#include "toolkit/menus.h"

#include <gtk/gtk.h>

#include "toolkit/events.h"
#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace detail {

Registry<MenuRecord>& Menus() {
  static Registry<MenuRecord> registry;
  return registry;
}

}  // namespace detail

namespace {

using detail::MenuItemRecord;
using detail::MenuRecord;

int g_currentMenu = -1;

// "&" marks the mnemonic letter; whatever follows a tab names a shortcut,
// which the program does not use, so it is left out.
std::string MnemonicText(const std::string& text) {
  std::string label = text.substr(0, text.find('\t'));
  std::string result;
  for (char c : label) {
    if (c == '_')
      result += "__";
    else if (c == '&')
      result += '_';
    else
      result += c;
  }
  return result;
}

// A menu item's signal data: its menu and item numbers packed in one word.
gpointer PackItem(int menu, int item) { return GINT_TO_POINTER((menu << 16) | (item & 0xFFFF)); }
int MenuOf(gpointer data) { return GPOINTER_TO_INT(data) >> 16; }
int ItemOf(gpointer data) { return GPOINTER_TO_INT(data) & 0xFFFF; }

MenuRecord* FindMenu(int menu) { return detail::Menus().find(menu); }

void OnActivate(GtkMenuItem*, gpointer data) {
  MenuRecord* menu = FindMenu(MenuOf(data));
  if (!menu || detail::SuppressEvents() > 0) return;
  QueueToolkitEvent(kEventMenu, menu->window, ItemOf(data));
}

// A check item shows what the program set, not what a click toggled.
void OnToggled(GtkCheckMenuItem* widget, gpointer data) {
  if (detail::SuppressEvents() > 0) return;
  MenuRecord* menu = FindMenu(MenuOf(data));
  if (!menu) return;
  auto it = menu->items.find(ItemOf(data));
  if (it == menu->items.end()) return;
  detail::SuppressGuard quiet;
  gtk_check_menu_item_set_active(widget, it->second.state != 0);
}

void Connect(GtkWidget* widget, int menu, int item, bool check) {
  g_signal_connect(widget, "activate", G_CALLBACK(OnActivate), PackItem(menu, item));
  if (check) g_signal_connect(widget, "toggled", G_CALLBACK(OnToggled), PackItem(menu, item));
}

// Builds the item widget: an image (or an empty slot of the same width, so
// texts line up) followed by the text.
void BuildItem(MenuItemRecord& record, bool check, const std::string& text, GdkPixbuf* image) {
  record.item = check ? gtk_check_menu_item_new() : gtk_menu_item_new();
  // An accelerator label shows the item's keyboard accelerator, if any, at
  // the right edge.
  record.label = gtk_accel_label_new("");
  gtk_label_set_text_with_mnemonic(GTK_LABEL(record.label), MnemonicText(text).c_str());
  gtk_accel_label_set_accel_widget(GTK_ACCEL_LABEL(record.label), record.item);
  gtk_label_set_xalign(GTK_LABEL(record.label), 0.0f);
  if (check) {
    gtk_container_add(GTK_CONTAINER(record.item), record.label);
    record.image = nullptr;
    return;
  }
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  record.image = image ? gtk_image_new_from_pixbuf(image) : nullptr;
  if (record.image) gtk_box_pack_start(GTK_BOX(box), record.image, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), record.label, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(record.item), box);
}

template <typename Body>
void WithItem(int menu, int item, Body&& body) {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(menu);
    if (!record) return;
    auto it = record->items.find(item);
    if (it != record->items.end()) body(*record, it->second);
  });
}

}  // namespace

int CreateImageMenu(int number, WindowHandle window) {
  return detail::OnMainThread([&] {
    detail::WindowRecord* owner = nullptr;
    for (int n : detail::Windows().numbers()) {
      detail::WindowRecord* candidate = detail::Windows().find(n);
      if (candidate && candidate->window == window) owner = candidate;
    }
    if (!owner) return 0;
    auto record = std::make_unique<MenuRecord>();
    record->window = owner->number;
    record->bar = gtk_menu_bar_new();
    gtk_box_pack_start(GTK_BOX(owner->box), record->bar, FALSE, FALSE, 0);
    gtk_widget_show(record->bar);
    std::unique_ptr<MenuRecord> replaced;
    int result = detail::Menus().add(number, std::move(record), &replaced);
    if (replaced && replaced->bar) gtk_widget_destroy(replaced->bar);
    FindMenu(result)->number = result;
    g_currentMenu = result;
    return number < 0 ? result : (result == 0 ? 1 : result);
  });
}

void MenuTitle(const std::string& title) {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(g_currentMenu);
    if (!record) return;
    GtkWidget* top = gtk_menu_item_new_with_mnemonic(MnemonicText(title).c_str());
    record->current = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), record->current);
    gtk_menu_shell_append(GTK_MENU_SHELL(record->bar), top);
    gtk_widget_show_all(top);
    record->titles.push_back(top);
  });
}

void MenuItem(int item, const std::string& text, ImageRef image) {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(g_currentMenu);
    if (!record || !record->current) return;
    MenuItemRecord entry;
    BuildItem(entry, false, text, static_cast<GdkPixbuf*>(image));
    gtk_menu_shell_append(GTK_MENU_SHELL(record->current), entry.item);
    gtk_widget_show_all(entry.item);
    Connect(entry.item, record->number, item, false);
    record->items[item] = entry;
  });
}

void MenuRadioItem(int item, const std::string& text) {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(g_currentMenu);
    if (!record || !record->current) return;
    MenuItemRecord entry;
    BuildItem(entry, true, text, nullptr);
    entry.check = true;
    // A check item drawn and announced as a radio item: the program, not
    // GTK's radio group, decides which one is checked (see OnToggled).
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(entry.item), TRUE);
    atk_object_set_role(gtk_widget_get_accessible(entry.item), ATK_ROLE_RADIO_MENU_ITEM);
    gtk_menu_shell_append(GTK_MENU_SHELL(record->current), entry.item);
    gtk_widget_show_all(entry.item);
    Connect(entry.item, record->number, item, true);
    record->items[item] = entry;
  });
}

void MenuBar() {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(g_currentMenu);
    if (!record || !record->current) return;
    GtkWidget* separator = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(record->current), separator);
    gtk_widget_show(separator);
  });
}

void DisableMenuItem(int menu, int item, bool disabled) {
  WithItem(menu, item, [&](MenuRecord&, MenuItemRecord& entry) {
    gtk_widget_set_sensitive(entry.item, !disabled);
  });
}

void SetMenuItemText(int menu, int item, const std::string& text) {
  WithItem(menu, item, [&](MenuRecord&, MenuItemRecord& entry) {
    gtk_label_set_text_with_mnemonic(GTK_LABEL(entry.label), MnemonicText(text).c_str());
  });
}

std::string GetMenuItemText(int menu, int item) {
  std::string text;
  WithItem(menu, item, [&](MenuRecord&, MenuItemRecord& entry) {
    text = gtk_label_get_text(GTK_LABEL(entry.label));
  });
  return text;
}

void SetMenuTitleText(int menu, int index, const std::string& text) {
  detail::OnMainThreadVoid([&] {
    MenuRecord* record = FindMenu(menu);
    if (!record || index < 0 || index >= static_cast<int>(record->titles.size())) return;
    gtk_menu_item_set_label(GTK_MENU_ITEM(record->titles[index]), MnemonicText(text).c_str());
    gtk_menu_item_set_use_underline(GTK_MENU_ITEM(record->titles[index]), TRUE);
  });
}

void SetMenuItemState(int menu, int item, int state) {
  WithItem(menu, item, [&](MenuRecord& record, MenuItemRecord& entry) {
    detail::SuppressGuard quiet;
    entry.state = state ? 1 : 0;
    if (!entry.check) {
      // Replace the image item by a check item in the same place.
      GtkWidget* shell = gtk_widget_get_parent(entry.item);
      GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
      int position = g_list_index(children, entry.item);
      g_list_free(children);
      std::string text = gtk_label_get_label(GTK_LABEL(entry.label));
      bool sensitive = gtk_widget_get_sensitive(entry.item);
      gtk_widget_destroy(entry.item);
      MenuItemRecord replacement;
      replacement.item = gtk_check_menu_item_new_with_mnemonic(text.c_str());
      replacement.label = gtk_bin_get_child(GTK_BIN(replacement.item));
      replacement.check = true;
      replacement.state = entry.state;
      gtk_widget_set_sensitive(replacement.item, sensitive);
      gtk_menu_shell_insert(GTK_MENU_SHELL(shell), replacement.item, position);
      gtk_widget_show_all(replacement.item);
      Connect(replacement.item, record.number, item, true);
      entry = replacement;
    }
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(entry.item), entry.state != 0);
  });
}

int MenuBarHeight(int window) {
  return detail::OnMainThread([&] {
    for (int number : detail::Menus().numbers()) {
      MenuRecord* record = FindMenu(number);
      if (!record || record->window != window || !record->bar) continue;
      int minimum = 0, natural = 0;
      gtk_widget_get_preferred_height(record->bar, &minimum, &natural);
      return natural;
    }
    return 0;
  });
}

void AddKeyboardShortcut(int window, int key, int eventNumber) {
  detail::OnMainThreadVoid([&] {
    detail::WindowRecord* record = detail::Windows().find(window);
    if (record) record->shortcuts[key == GDK_KEY_KP_Enter ? GDK_KEY_Return : key] = eventNumber;
  });
}

}  // namespace vandrel::tk

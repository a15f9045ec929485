// Accelerators over the window's GtkAccelGroup. GTK itself refuses to fire
// one on an insensitive widget, which is what ties each key to its button's
// or item's enabled state; the focus-bound form is a key handler on the
// focus gadget that presses the button only when the button could be pressed.
#include "toolkit/accelerators.h"

#include <gtk/gtk.h>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

using detail::GadgetKind;
using detail::GadgetRecord;
using detail::MenuRecord;
using detail::WindowRecord;

struct FocusKey {
  GtkWidget* button;
  guint key;
  GdkModifierType modifiers;
};

GdkModifierType ToGdk(int modifiers) {
  int mask = 0;
  if (modifiers & kModifierShift) mask |= GDK_SHIFT_MASK;
  if (modifiers & kModifierControl) mask |= GDK_CONTROL_MASK;
  return static_cast<GdkModifierType>(mask);
}

gboolean OnFocusKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  const FocusKey* binding = static_cast<const FocusKey*>(data);
  const guint pressed = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval != binding->key || pressed != static_cast<guint>(binding->modifiers)) {
    return FALSE;
  }
  if (!gtk_widget_is_sensitive(binding->button)) return FALSE;
  gtk_button_clicked(GTK_BUTTON(binding->button));
  return TRUE;
}

void FreeFocusKey(gpointer data, GClosure*) { delete static_cast<FocusKey*>(data); }

GtkAccelGroup* AcceleratorsOf(int window) {
  WindowRecord* record = detail::Windows().find(window);
  return record ? record->accelerators : nullptr;
}

}  // namespace

bool AddMenuItemAccelerator(int menu, int item, int key, int modifiers) {
  return detail::OnMainThread([&] {
    MenuRecord* record = detail::Menus().find(menu);
    if (!record) return false;
    auto found = record->items.find(item);
    GtkAccelGroup* group = AcceleratorsOf(record->window);
    if (found == record->items.end() || !group) return false;
    gtk_widget_add_accelerator(found->second.item, "activate", group, static_cast<guint>(key),
                               ToGdk(modifiers), GTK_ACCEL_VISIBLE);
    return true;
  });
}

bool AddButtonAccelerator(int button, int key, int modifiers, int focusGadget) {
  return detail::OnMainThread([&] {
    GadgetRecord* target = detail::Gadgets().find(button);
    if (!target || target->kind != GadgetKind::kButton) return false;
    if (focusGadget < 0) {
      GtkAccelGroup* group = AcceleratorsOf(target->window);
      if (!group) return false;
      gtk_widget_add_accelerator(target->inner, "clicked", group, static_cast<guint>(key),
                                 ToGdk(modifiers), GTK_ACCEL_VISIBLE);
      return true;
    }
    GadgetRecord* focus = detail::Gadgets().find(focusGadget);
    if (!focus) return false;
    g_signal_connect_data(focus->inner, "key-press-event", G_CALLBACK(OnFocusKey),
                          new FocusKey{target->inner, static_cast<guint>(key), ToGdk(modifiers)},
                          FreeFocusKey, GConnectFlags{});
    return true;
  });
}

}  // namespace vandrel::tk

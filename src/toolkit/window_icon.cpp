// The default window icon, scaled from a decoded image. Window managers and
// task bars pick the size they draw from the list, so small sizes are
// scaled here once rather than by each of them from the large image.
#include "toolkit/window_icon.h"

#include <gtk/gtk.h>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {

bool SetProgramIcon(int id) {
  return detail::OnMainThread([&] {
    detail::ImageRecord* image = detail::Images().find(id);
    if (!image || !image->pixbuf) return false;
    GdkPixbuf* source = image->pixbuf;
    const int largest = gdk_pixbuf_get_width(source);
    GList* icons = nullptr;
    for (int size : {16, 24, 32, 48, 64}) {
      if (size >= largest) break;
      icons = g_list_append(icons, gdk_pixbuf_scale_simple(source, size, size, GDK_INTERP_HYPER));
    }
    icons = g_list_append(icons, g_object_ref(source));
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
    return true;
  });
}

}  // namespace vandrel::tk

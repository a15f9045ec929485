// A GtkFixed that gives each child exactly the rectangle the program chose,
// whatever the child's own size request, and asks for no size itself.
// GtkFixed alone would grant a child its minimum size, so a long caption
// would widen its button over its neighbour, and the area's request would
// stop the window from shrinking before the gadgets have been moved.
#include <gtk/gtk.h>

#include "toolkit/gtk_state.h"

namespace {

struct VandrelArea {
  GtkFixed parent;
};
struct VandrelAreaClass {
  GtkFixedClass parent_class;
};

G_DEFINE_TYPE(VandrelArea, vandrel_area, GTK_TYPE_FIXED)

constexpr const char* kRectKey = "vandrel-rect";

void AreaPreferredSize(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = 0; }

void AreaSizeAllocate(GtkWidget* widget, GtkAllocation* allocation) {
  gtk_widget_set_allocation(widget, allocation);
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* node = children; node; node = node->next) {
    GtkWidget* child = GTK_WIDGET(node->data);
    if (!gtk_widget_get_visible(child)) continue;
    auto* rect = static_cast<GdkRectangle*>(g_object_get_data(G_OBJECT(child), kRectKey));
    if (!rect) continue;
    GtkRequisition ignored;
    gtk_widget_get_preferred_size(child, &ignored, nullptr);
    GtkAllocation place{allocation->x + rect->x, allocation->y + rect->y, rect->width,
                        rect->height};
    gtk_widget_size_allocate(child, &place);
  }
  g_list_free(children);
}

gboolean AreaDraw(GtkWidget* widget, cairo_t* cairo) {
  gtk_render_background(gtk_widget_get_style_context(widget), cairo, 0, 0,
                        gtk_widget_get_allocated_width(widget),
                        gtk_widget_get_allocated_height(widget));
  return GTK_WIDGET_CLASS(vandrel_area_parent_class)->draw(widget, cairo);
}

void vandrel_area_class_init(VandrelAreaClass* klass) {
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
  widget->get_preferred_width = AreaPreferredSize;
  widget->get_preferred_height = AreaPreferredSize;
  widget->size_allocate = AreaSizeAllocate;
  widget->draw = AreaDraw;
}

void vandrel_area_init(VandrelArea*) {}

}  // namespace

namespace vandrel::tk::detail {

GtkWidget* NewGadgetArea() { return GTK_WIDGET(g_object_new(vandrel_area_get_type(), nullptr)); }

void PlaceInArea(GtkWidget* area, GtkWidget* child, int x, int y, int width, int height) {
  auto* rect = static_cast<GdkRectangle*>(g_object_get_data(G_OBJECT(child), kRectKey));
  if (!rect) {
    rect = g_new0(GdkRectangle, 1);
    g_object_set_data_full(G_OBJECT(child), kRectKey, rect, g_free);
  }
  *rect = GdkRectangle{x, y, width, height};
  if (gtk_widget_get_parent(child) == area) {
    gtk_fixed_move(GTK_FIXED(area), child, x, y);
  } else {
    gtk_fixed_put(GTK_FIXED(area), child, x, y);
  }
  gtk_widget_queue_resize(child);
}

}  // namespace vandrel::tk::detail

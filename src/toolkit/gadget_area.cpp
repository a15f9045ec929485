// A GtkFixed that gives each child exactly the rectangle the program chose,
// whatever the child's own size request, and asks for no size itself.
// GtkFixed alone would grant a child its minimum size, so a long caption
// would widen its button over its neighbour, and the area's request would
// stop the window from shrinking before the gadgets have been moved. An
// option's caption alone may be drawn past its rectangle, into the free
// space up to the next gadget of its row.
#include <gtk/gtk.h>

#include <algorithm>

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
constexpr const char* kOverflowKey = "vandrel-caption-overflow";

GdkRectangle* RectOf(GtkWidget* child) {
  return static_cast<GdkRectangle*>(g_object_get_data(G_OBJECT(child), kRectKey));
}

// From `rect`'s left edge to the nearest gadget that starts right of it and
// shares some of its rows, or to the area's right edge.
int RoomInRow(GList* children, const GdkRectangle& rect, int areaWidth) {
  int room = areaWidth - rect.x;
  for (GList* node = children; node; node = node->next) {
    const GdkRectangle* other = RectOf(GTK_WIDGET(node->data));
    if (!other || !gtk_widget_get_visible(GTK_WIDGET(node->data)) || other->x <= rect.x) continue;
    if (other->y < rect.y + rect.height && rect.y < other->y + other->height) {
      room = std::min(room, other->x - rect.x);
    }
  }
  return room;
}

// Widens the child's caption into `room`, as far as its text needs, and
// widens what the child draws and takes clicks in to match, so that the
// whole caption shows and selects the option.
void OverflowCaption(GtkWidget* child, const GtkAllocation& place, int room) {
  GtkWidget* caption = GTK_IS_BIN(child) ? gtk_bin_get_child(GTK_BIN(child)) : nullptr;
  if (!caption) return;
  GtkAllocation captionPlace;
  gtk_widget_get_allocation(caption, &captionPlace);
  int natural = 0;
  gtk_widget_get_preferred_width(caption, nullptr, &natural);
  const int width = std::min(natural, place.x + room - captionPlace.x);
  if (width <= captionPlace.width) return;
  captionPlace.width = width;
  gtk_widget_size_allocate_with_baseline(caption, &captionPlace,
                                         gtk_widget_get_allocated_baseline(caption));
  GtkAllocation clip;
  GtkAllocation captionClip;
  gtk_widget_get_clip(child, &clip);
  gtk_widget_get_clip(caption, &captionClip);
  gdk_rectangle_union(&clip, &captionClip, &clip);
  gtk_widget_set_clip(child, &clip);
  if (GTK_IS_BUTTON(child)) {
    if (GdkWindow* input = gtk_button_get_event_window(GTK_BUTTON(child))) {
      gdk_window_move_resize(input, place.x, place.y,
                             std::max(place.width, captionPlace.x + width - place.x), place.height);
    }
  }
}

void AreaPreferredSize(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = 0; }

void AreaSizeAllocate(GtkWidget* widget, GtkAllocation* allocation) {
  gtk_widget_set_allocation(widget, allocation);
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* node = children; node; node = node->next) {
    GtkWidget* child = GTK_WIDGET(node->data);
    if (!gtk_widget_get_visible(child)) continue;
    const GdkRectangle* rect = RectOf(child);
    if (!rect) continue;
    GtkRequisition ignored;
    gtk_widget_get_preferred_size(child, &ignored, nullptr);
    GtkAllocation place{allocation->x + rect->x, allocation->y + rect->y, rect->width,
                        rect->height};
    gtk_widget_size_allocate(child, &place);
    if (g_object_get_data(G_OBJECT(child), kOverflowKey)) {
      OverflowCaption(child, place, RoomInRow(children, *rect, allocation->width));
    }
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
  GdkRectangle* rect = RectOf(child);
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

void LetCaptionOverflow(GtkWidget* child) {
  g_object_set_data(G_OBJECT(child), kOverflowKey, GINT_TO_POINTER(1));
  gtk_widget_queue_resize(child);
}

}  // namespace vandrel::tk::detail

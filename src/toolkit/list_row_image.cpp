// What a screen reader hears for a list row's image. GTK's tree view makes
// an accessible for a cell only when asked, keeps it while its row lives,
// and refreshes it from the row each time the row changes; a description set
// on one such object once is soon stale or gone. So the row image's own
// accessible notes which image its row shows at every refresh and looks up
// that image's description when asked: the text follows the row's state and
// the language, and nothing keeps a list of rows in step with the view.
#include "toolkit/list_row_image.h"

#include <gtk/gtk-a11y.h>

#include <map>
#include <set>
#include <string>

#include "toolkit/accessibility.h"
#include "toolkit/main_thread.h"

// GObject's type macros name their functions after the type and need them
// at namespace scope; the anonymous namespace keeps them out of the link.
namespace {

struct VandrelRowImageRenderer {
  GtkCellRendererPixbuf parent;
};
struct VandrelRowImageRendererClass {
  GtkCellRendererPixbufClass parent_class;
};

struct VandrelRowImageAccessible {
  GtkImageCellAccessible parent;
  GdkPixbuf* shown;  // the image of the row at the last refresh; owned
};
struct VandrelRowImageAccessibleClass {
  GtkImageCellAccessibleClass parent_class;
};

// Keyed by image handle. An image without an entry has no description.
std::map<const void*, std::string>& Descriptions() {
  static std::map<const void*, std::string> descriptions;
  return descriptions;
}

// Every row image accessible alive, so that a new description reaches the
// ones already handed out.
std::set<VandrelRowImageAccessible*>& LiveCells() {
  static std::set<VandrelRowImageAccessible*> cells;
  return cells;
}

const gchar* DescriptionOf(const void* image) {
  auto found = image ? Descriptions().find(image) : Descriptions().end();
  return found == Descriptions().end() || found->second.empty() ? nullptr : found->second.c_str();
}

// Makes AT-SPI listeners (and their caches) read the description again.
void Announce(VandrelRowImageAccessible* cell) {
  g_object_notify(G_OBJECT(cell), "accessible-description");
}

void RowImageInterfaceInit(AtkImageIface* iface);

G_DEFINE_TYPE_WITH_CODE(VandrelRowImageAccessible, row_image_accessible,
                        GTK_TYPE_IMAGE_CELL_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_IMAGE, RowImageInterfaceInit))
G_DEFINE_TYPE(VandrelRowImageRenderer, row_image_renderer, GTK_TYPE_CELL_RENDERER_PIXBUF)

VandrelRowImageAccessible* AsRowImage(gpointer object) {
  return G_TYPE_CHECK_INSTANCE_CAST(object, row_image_accessible_get_type(),
                                    VandrelRowImageAccessible);
}

const gchar* RowImageDescription(AtkObject* object) {
  if (object->description) return object->description;
  return DescriptionOf(AsRowImage(object)->shown);
}

const gchar* RowImageImageDescription(AtkImage* image) {
  return DescriptionOf(AsRowImage(image)->shown);
}

// The tree view has just given the renderer this cell's row values.
void RowImageUpdateCache(GtkCellAccessible* cell, gboolean emitSignal) {
  auto* parentClass = GTK_CELL_ACCESSIBLE_CLASS(row_image_accessible_parent_class);
  if (parentClass->update_cache) parentClass->update_cache(cell, emitSignal);
  GtkCellRenderer* renderer = nullptr;
  g_object_get(cell, "renderer", &renderer, nullptr);
  GdkPixbuf* pixbuf = nullptr;
  if (renderer) {
    g_object_get(renderer, "pixbuf", &pixbuf, nullptr);
    g_object_unref(renderer);
  }
  VandrelRowImageAccessible* self = AsRowImage(cell);
  const bool changed = pixbuf != self->shown;
  if (self->shown) g_object_unref(self->shown);
  self->shown = pixbuf;
  if (changed && emitSignal) Announce(self);
}

void RowImageFinalize(GObject* object) {
  VandrelRowImageAccessible* self = AsRowImage(object);
  LiveCells().erase(self);
  if (self->shown) g_object_unref(self->shown);
  G_OBJECT_CLASS(row_image_accessible_parent_class)->finalize(object);
}

void RowImageInterfaceInit(AtkImageIface* iface) {
  // GLib starts the table as a copy of the parent's: the size, position and
  // setter stay GTK's own.
  iface->get_image_description = RowImageImageDescription;
}

void row_image_accessible_class_init(VandrelRowImageAccessibleClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = RowImageFinalize;
  ATK_OBJECT_CLASS(klass)->get_description = RowImageDescription;
  GTK_CELL_ACCESSIBLE_CLASS(klass)->update_cache = RowImageUpdateCache;
}

void row_image_accessible_init(VandrelRowImageAccessible* self) {
  self->shown = nullptr;
  LiveCells().insert(self);
}

void row_image_renderer_class_init(VandrelRowImageRendererClass* klass) {
  gtk_cell_renderer_class_set_accessible_type(GTK_CELL_RENDERER_CLASS(klass),
                                              row_image_accessible_get_type());
}

void row_image_renderer_init(VandrelRowImageRenderer*) {}

}  // namespace

namespace vandrel::tk {
namespace detail {

GtkCellRenderer* NewRowImageRenderer() {
  return GTK_CELL_RENDERER(g_object_new(row_image_renderer_get_type(), nullptr));
}

}  // namespace detail

void SetListImageDescription(ImageRef image, const std::string& description) {
  detail::OnMainThreadVoid([&] {
    if (!image) return;
    std::string& text = Descriptions()[image];
    if (text == description) return;
    text = description;
    for (VandrelRowImageAccessible* cell : LiveCells()) {
      if (cell->shown == image) Announce(cell);
    }
  });
}

}  // namespace vandrel::tk

// What a screen reader can learn about a list row beyond its cells' texts:
// the lines a sighted user reads in the row's tooltip (a failed row's reason,
// a different digest's expected and computed values). As for the row image
// (list_row_image.cpp), GTK refreshes a cell's accessible from the renderer
// each time the row changes; the renderer holds the row's lines at that
// moment, and the accessible keeps a copy as its description.
#include "toolkit/list_row_text.h"

#include <gtk/gtk-a11y.h>

#include <string>

namespace {

struct VandrelRowTextRenderer {
  GtkCellRendererText parent;
  gchar* note;  // the tooltip lines of the row last handed in; owned
};
struct VandrelRowTextRendererClass {
  GtkCellRendererTextClass parent_class;
};

struct VandrelRowTextAccessible {
  GtkTextCellAccessible parent;
  gchar* note;  // owned
};
struct VandrelRowTextAccessibleClass {
  GtkTextCellAccessibleClass parent_class;
};

G_DEFINE_TYPE(VandrelRowTextAccessible, row_text_accessible, GTK_TYPE_TEXT_CELL_ACCESSIBLE)
G_DEFINE_TYPE(VandrelRowTextRenderer, row_text_renderer, GTK_TYPE_CELL_RENDERER_TEXT)

VandrelRowTextAccessible* AsRowText(gpointer object) {
  return G_TYPE_CHECK_INSTANCE_CAST(object, row_text_accessible_get_type(),
                                    VandrelRowTextAccessible);
}

VandrelRowTextRenderer* AsRowTextRenderer(gpointer object) {
  return G_TYPE_CHECK_INSTANCE_CAST(object, row_text_renderer_get_type(), VandrelRowTextRenderer);
}

const gchar* RowTextDescription(AtkObject* object) {
  if (object->description) return object->description;
  return AsRowText(object)->note;
}

void RowTextUpdateCache(GtkCellAccessible* cell, gboolean emitSignal) {
  auto* parentClass = GTK_CELL_ACCESSIBLE_CLASS(row_text_accessible_parent_class);
  if (parentClass->update_cache) parentClass->update_cache(cell, emitSignal);
  GtkCellRenderer* renderer = nullptr;
  g_object_get(cell, "renderer", &renderer, nullptr);
  const gchar* note = nullptr;
  if (renderer && G_TYPE_CHECK_INSTANCE_TYPE(renderer, row_text_renderer_get_type())) {
    note = AsRowTextRenderer(renderer)->note;
  }
  VandrelRowTextAccessible* self = AsRowText(cell);
  const bool changed = g_strcmp0(note, self->note) != 0;
  if (changed) {
    g_free(self->note);
    self->note = g_strdup(note);
    if (emitSignal) g_object_notify(G_OBJECT(cell), "accessible-description");
  }
  if (renderer) g_object_unref(renderer);
}

void RowTextAccessibleFinalize(GObject* object) {
  g_free(AsRowText(object)->note);
  G_OBJECT_CLASS(row_text_accessible_parent_class)->finalize(object);
}

void row_text_accessible_class_init(VandrelRowTextAccessibleClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = RowTextAccessibleFinalize;
  ATK_OBJECT_CLASS(klass)->get_description = RowTextDescription;
  GTK_CELL_ACCESSIBLE_CLASS(klass)->update_cache = RowTextUpdateCache;
}

void row_text_accessible_init(VandrelRowTextAccessible* self) { self->note = nullptr; }

void RowTextRendererFinalize(GObject* object) {
  g_free(AsRowTextRenderer(object)->note);
  G_OBJECT_CLASS(row_text_renderer_parent_class)->finalize(object);
}

void row_text_renderer_class_init(VandrelRowTextRendererClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = RowTextRendererFinalize;
  gtk_cell_renderer_class_set_accessible_type(GTK_CELL_RENDERER_CLASS(klass),
                                              row_text_accessible_get_type());
}

void row_text_renderer_init(VandrelRowTextRenderer* self) { self->note = nullptr; }

}  // namespace

namespace vandrel::tk::detail {

GtkCellRenderer* NewRowTextRenderer() {
  return GTK_CELL_RENDERER(g_object_new(row_text_renderer_get_type(), nullptr));
}

void SetRowTextNote(GtkCellRenderer* renderer, const gchar* note) {
  VandrelRowTextRenderer* self = AsRowTextRenderer(renderer);
  if (g_strcmp0(self->note, note) == 0) return;
  g_free(self->note);
  self->note = g_strdup(note);
}

}  // namespace vandrel::tk::detail

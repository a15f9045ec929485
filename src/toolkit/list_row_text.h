// The renderer of a list row's text cells, whose accessibles carry the row's
// own tooltip lines (why it failed, the digest it should have had) as their
// description. Internal to the toolkit layer; main thread only.
#pragma once

#include <gtk/gtk.h>

namespace vandrel::tk::detail {

// A text renderer like GTK's own, except for the description of its cells.
GtkCellRenderer* NewRowTextRenderer();
// Hands the renderer the tooltip lines of the row it is about to show; the
// cell data function calls it for every row, before GTK refreshes a cell's
// accessible from the renderer.
void SetRowTextNote(GtkCellRenderer* renderer, const gchar* note);

}  // namespace vandrel::tk::detail

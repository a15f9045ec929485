// A list's last column is never narrower than the widest text it shows, so
// that a long text (a 128-digit digest) is read whole by scrolling sideways
// instead of being cut. The width the program sets stays the column's own;
// the text only raises the column's minimum. Measured as the view is drawn,
// over the rows on screen only: a list of many thousand rows costs one
// screenful. The minimum only grows while rows remain, so that scrolling
// never makes the column jump, and goes when the list is emptied.
#include <gtk/gtk.h>

#include <algorithm>

#include "toolkit/list_access.h"

namespace vandrel::tk::detail {
namespace {

// What the column's cells need side by side for the row at `iter`.
int NaturalRowWidth(GtkTreeViewColumn* column, GtkWidget* view, GtkTreeModel* model,
                    GtkTreeIter* iter) {
  gtk_tree_view_column_cell_set_cell_data(column, model, iter, FALSE, FALSE);
  int width = 0;
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
  for (GList* node = cells; node; node = node->next) {
    auto* cell = static_cast<GtkCellRenderer*>(node->data);
    if (!gtk_cell_renderer_get_visible(cell)) continue;
    int natural = 0;
    gtk_cell_renderer_get_preferred_width(cell, view, nullptr, &natural);
    width += natural + (width > 0 ? gtk_tree_view_column_get_spacing(column) : 0);
  }
  g_list_free(cells);
  return width;
}

GtkTreeViewColumn* LastVisibleColumn(GtkTreeView* view) {
  GtkTreeViewColumn* last = nullptr;
  GList* columns = gtk_tree_view_get_columns(view);
  for (GList* node = columns; node; node = node->next) {
    auto* column = static_cast<GtkTreeViewColumn*>(node->data);
    if (gtk_tree_view_column_get_visible(column)) last = column;
  }
  g_list_free(columns);
  return last;
}

gboolean FitLastColumn(GtkWidget* widget, cairo_t*, gpointer) {
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  GtkTreeModel* model = gtk_tree_view_get_model(view);
  GtkTreeViewColumn* column = LastVisibleColumn(view);
  if (!model || !column) return FALSE;
  GtkTreeIter iter;
  if (!gtk_tree_model_get_iter_first(model, &iter)) {
    if (gtk_tree_view_column_get_min_width(column) != -1) {
      gtk_tree_view_column_set_min_width(column, -1);
    }
    return FALSE;
  }
  GtkTreePath* first = nullptr;
  GtkTreePath* last = nullptr;
  if (!gtk_tree_view_get_visible_range(view, &first, &last)) return FALSE;
  int widest = 0;
  for (bool more = gtk_tree_model_get_iter(model, &iter, first); more;
       more = gtk_tree_model_iter_next(model, &iter)) {
    widest = std::max(widest, NaturalRowWidth(column, widget, model, &iter));
    if (gtk_tree_path_compare(first, last) >= 0) break;
    gtk_tree_path_next(first);
  }
  gtk_tree_path_free(first);
  gtk_tree_path_free(last);
  // The view keeps this much of a column's width from its cells.
  int separator = 0;
  int gridLine = 0;
  gtk_widget_style_get(widget, "horizontal-separator", &separator, "grid-line-width", &gridLine,
                       nullptr);
  const int needed = widest + separator + gridLine;
  if (needed > gtk_tree_view_column_get_min_width(column)) {
    gtk_tree_view_column_set_min_width(column, needed);
  }
  return FALSE;
}

}  // namespace

void KeepLastColumnReadable(GtkWidget* treeView) {
  g_signal_connect(treeView, "draw", G_CALLBACK(FitLastColumn), nullptr);
}

}  // namespace vandrel::tk::detail

// The list gadget: a tree view over a list model (list_model.h) whose first
// column shows a row image in front of its text; its columns, selection,
// row tooltips and drops. The rows themselves are list_rows.cpp's.
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/list_access.h"
#include "toolkit/list_row_image.h"
#include "toolkit/list_row_text.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

using detail::FromList;
using detail::GadgetRecord;
using detail::kImageColumn;
using detail::kMaxColumns;
using detail::kToolTipColumn;
using detail::NthRow;
using detail::WithList;

void Post(int number, int type) { detail::PostGadgetEvent(number, type); }

void OnSelectionChanged(GtkTreeSelection*, gpointer data) {
  if (detail::SuppressEvents() > 0) return;
  if (GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data))) {
    record->selectionKnown = false;
  }
  Post(GPOINTER_TO_INT(data), kListEventSelection);
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  const int type = event->type == GDK_2BUTTON_PRESS        ? kListEventDoubleClick
                   : event->button == GDK_BUTTON_SECONDARY ? kListEventRightClick
                                                           : kListEventClick;
  Post(GPOINTER_TO_INT(data), type);
  return FALSE;
}

// Ctrl+C in a list is a command of the program: it posts a gadget event of
// its own type. Ctrl+Shift+C belongs to the window's Copy list key, and
// must not fall through to this one while that button is disabled.
gboolean OnListKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  const GdkModifierType modifiers = static_cast<GdkModifierType>(
      event->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK));
  if (modifiers != GDK_CONTROL_MASK || (event->keyval != GDK_KEY_c && event->keyval != GDK_KEY_C)) {
    return FALSE;
  }
  Post(GPOINTER_TO_INT(data), kListEventCopy);
  return TRUE;
}

void OnDropReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* selection, guint,
                    guint, gpointer data) {
  GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data));
  const guchar* bytes = gtk_selection_data_get_data(selection);
  const gint length = gtk_selection_data_get_length(selection);
  if (!record || !bytes || length < 0) return;
  detail::DeliverDroppedUriList(
      *record, std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)));
}

// Text columns keep their bytes as given, a file name's own bytes included;
// Pango takes only UTF-8 (and warns about anything else), so the cell shows
// the display form. The cell's accessible learns the row's tooltip lines.
void ShowDisplayText(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model,
                     GtkTreeIter* iter, gpointer storeColumn) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, iter, GPOINTER_TO_INT(storeColumn), &text, -1);
  if (text && !g_utf8_validate(text, -1, nullptr)) {
    gchar* shown = g_utf8_make_valid(text, -1);
    g_object_set(cell, "text", shown, nullptr);
    g_free(shown);
  } else {
    g_object_set(cell, "text", text, nullptr);
  }
  g_free(text);
  // The row's tooltip lines, for screen readers (see list_row_text.cpp).
  gchar* note = nullptr;
  gtk_tree_model_get(model, iter, kToolTipColumn, &note, -1);
  detail::SetRowTextNote(cell, note);
  g_free(note);
}

// Plain text, not markup: a file name may hold "<" or "&".
gboolean OnQueryToolTip(GtkWidget* widget, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip,
                        gpointer data) {
  GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data));
  GtkTreeModel* model = nullptr;
  GtkTreePath* path = nullptr;
  GtkTreeIter iter;
  if (!record || !gtk_tree_view_get_tooltip_context(GTK_TREE_VIEW(widget), &x, &y, keyboard, &model,
                                                    &path, &iter)) {
    return FALSE;
  }
  const std::string text = detail::RowToolTip(*record, gtk_tree_path_get_indices(path)[0]);
  if (!text.empty()) {
    gtk_tooltip_set_text(tooltip, text.c_str());
    gtk_tree_view_set_tooltip_row(GTK_TREE_VIEW(widget), tooltip, path);
  }
  gtk_tree_path_free(path);
  return !text.empty();
}

}  // namespace

namespace detail {

// The list is split at its own CR LF separators first, and only then is
// each URI decoded: a name holding a line feed (%0A) stays one path. What is
// not a local file is left out.
void DeliverDroppedUriList(GadgetRecord& record, const std::string& uriList) {
  std::vector<std::string> paths;
  gchar** uris = g_uri_list_extract_uris(uriList.c_str());
  for (gchar** uri = uris; uri && *uri; ++uri) {
    gchar* host = nullptr;
    gchar* path = g_filename_from_uri(*uri, &host, nullptr);
    bool local = path && (!host || g_strcmp0(host, "localhost") == 0);
    if (local) paths.emplace_back(path);
    g_free(host);
    g_free(path);
  }
  g_strfreev(uris);
  QueueToolkitEvent(kEventGadgetDrop, record.window, record.number, 0, 0, paths);
}

}  // namespace detail

namespace {

GtkTreeViewColumn* NewColumn(GadgetRecord& record, int column, const std::string& title,
                             int width) {
  GtkTreeViewColumn* view = gtk_tree_view_column_new();
  gtk_tree_view_column_set_title(view, title.c_str());
  gtk_tree_view_column_set_sizing(view, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(view, width > 0 ? width : 1);
  gtk_tree_view_column_set_resizable(view, TRUE);
  gtk_tree_view_column_set_clickable(view, FALSE);
  if (column == 0) {
    GtkCellRenderer* image = detail::NewRowImageRenderer();
    gtk_cell_renderer_set_fixed_size(image, 20, 18);
    gtk_tree_view_column_pack_start(view, image, FALSE);
    gtk_tree_view_column_add_attribute(view, image, "pixbuf", kImageColumn);
  }
  GtkCellRenderer* text = detail::NewRowTextRenderer();
  // One line per row: a line feed in a file name shows as a symbol instead
  // of hiding the rest of the name below the row.
  g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_END, "single-paragraph-mode", TRUE, nullptr);
  gtk_tree_view_column_pack_start(view, text, TRUE);
  gtk_tree_view_column_set_cell_data_func(view, text, ShowDisplayText, GINT_TO_POINTER(column + 1),
                                          nullptr);
  gtk_tree_view_append_column(GTK_TREE_VIEW(record.inner), view);
  record.columns.push_back(view);
  return view;
}

}  // namespace

namespace detail {

void BuildList(GadgetRecord& record, const std::string& firstTitle, int firstWidth, int flags) {
  record.model = NewListModel(nullptr);
  record.outer = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(record.outer), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(record.outer), GTK_SHADOW_IN);
  // Scroll bars that show whenever there is more to see: an overlay bar
  // appears only under the pointer, and a digest wider than its column
  // would look merely cut.
  gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(record.outer), FALSE);
  record.inner = gtk_tree_view_new_with_model(record.model);
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  gtk_tree_view_set_headers_visible(view, TRUE);
  gtk_tree_view_set_enable_search(view, FALSE);
  if (flags & kListGridLines) gtk_tree_view_set_grid_lines(view, GTK_TREE_VIEW_GRID_LINES_BOTH);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view), (flags & kListMultiSelect)
                                                                     ? GTK_SELECTION_MULTIPLE
                                                                     : GTK_SELECTION_SINGLE);
  NewColumn(record, 0, firstTitle, firstWidth);
  // Every row has the same height, which keeps scrolling to a row cheap in
  // a list of many thousand files.
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  gtk_container_add(GTK_CONTAINER(record.outer), record.inner);
}

void ConnectList(GadgetRecord& record) {
  gpointer data = GINT_TO_POINTER(record.number);
  g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), "changed",
                   G_CALLBACK(OnSelectionChanged), data);
  g_signal_connect(record.inner, "button-press-event", G_CALLBACK(OnButtonPress), data);
  gtk_widget_set_has_tooltip(record.inner, TRUE);
  g_signal_connect(record.inner, "query-tooltip", G_CALLBACK(OnQueryToolTip), data);
  g_signal_connect(record.inner, "key-press-event", G_CALLBACK(OnListKeyPress), data);
  KeepLastColumnReadable(record.inner);
}

int ListState(GadgetRecord& record) {
  GList* rows = gtk_tree_selection_get_selected_rows(
      gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), nullptr);
  int first = -1;
  for (GList* node = rows; node; node = node->next) {
    int index = gtk_tree_path_get_indices(static_cast<GtkTreePath*>(node->data))[0];
    if (first < 0 || index < first) first = index;
  }
  g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return first;
}

namespace {

gboolean ScrollToProgramRowAgain(gpointer data) {
  GadgetRecord* record = Gadgets().find(GPOINTER_TO_INT(data));
  if (!record) return G_SOURCE_REMOVE;
  record->rescrollSource = 0;
  GtkTreeIter iter;
  if (record->selectionKnown && NthRow(*record, record->programRow, &iter)) {
    GtkTreePath* path = gtk_tree_model_get_path(record->model, &iter);
    gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(record->inner), path, nullptr, TRUE, 0.5f, 0.0f);
    gtk_tree_path_free(path);
  }
  return G_SOURCE_REMOVE;
}

}  // namespace

// Selects only `row` and scrolls it to the middle. A running job calls this
// once a frame, so it must not cost a walk over every row: GTK's
// unselect-all and set-cursor both visit the whole list in multiple-selection
// mode. While the selection is still the one set here, only that row is
// unselected; and the cursor, which matters only while the list takes
// input, follows when the list is enabled again.
void ApplyListState(GadgetRecord& record, int row) {
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  GtkTreeIter iter;
  GtkTreeIter previous;
  if (record.selectionKnown && record.programRow >= 0) {
    if (NthRow(record, record.programRow, &previous)) {
      gtk_tree_selection_unselect_iter(selection, &previous);
    }
  } else {
    gtk_tree_selection_unselect_all(selection);
  }
  record.selectionKnown = true;
  record.programRow = -1;
  record.pendingCursor = -1;
  if (!NthRow(record, row, &iter)) return;
  GtkTreePath* path = gtk_tree_model_get_path(record.model, &iter);
  gtk_tree_selection_select_path(selection, path);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, TRUE, 0.5f, 0.0f);
  record.programRow = row;
  // GTK places a row it has not measured yet (none drawn since the rows
  // came) from estimated heights; once it has measured them, the row is
  // placed again.
  if (!record.rescrollSource) {
    record.rescrollSource = g_idle_add(ScrollToProgramRowAgain, GINT_TO_POINTER(record.number));
  }
  if (gtk_widget_is_sensitive(record.inner)) {
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  } else {
    record.pendingCursor = row;
  }
  gtk_tree_path_free(path);
}

void ApplyPendingCursor(GadgetRecord& record) {
  if (record.kind != GadgetKind::kList || record.pendingCursor < 0) return;
  const int row = record.pendingCursor;
  record.pendingCursor = -1;
  GtkTreeIter iter;
  if (!record.selectionKnown || record.programRow != row || !NthRow(record, row, &iter)) return;
  SuppressGuard quiet;
  GtkTreePath* path = gtk_tree_model_get_path(record.model, &iter);
  gtk_tree_view_set_cursor(GTK_TREE_VIEW(record.inner), path, nullptr, FALSE);
  gtk_tree_path_free(path);
}

}  // namespace detail

void AddGadgetColumn(int number, int position, const std::string& title, int width) {
  WithList(number, [&](GadgetRecord& record) {
    (void)position;  // columns are always appended; the program adds them in order
    if (static_cast<int>(record.columns.size()) >= kMaxColumns) return;
    NewColumn(record, static_cast<int>(record.columns.size()), title, width);
  });
}

void SetGadgetColumnTitle(int number, int column, const std::string& title) {
  WithList(number, [&](GadgetRecord& record) {
    if (column >= 0 && column < static_cast<int>(record.columns.size())) {
      gtk_tree_view_column_set_title(record.columns[column], title.c_str());
    }
  });
}

void SetGadgetColumnWidth(int number, int column, int width) {
  WithList(number, [&](GadgetRecord& record) {
    if (column >= 0 && column < static_cast<int>(record.columns.size())) {
      gtk_tree_view_column_set_fixed_width(record.columns[column], width > 0 ? width : 1);
    }
  });
}

void EnableGadgetDrop(int number) {
  WithList(number, [&](GadgetRecord& record) {
    static GtkTargetEntry targets[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
    gtk_drag_dest_set(record.inner, GTK_DEST_DEFAULT_ALL, targets, 1, GDK_ACTION_COPY);
    g_signal_connect(record.inner, "drag-data-received", G_CALLBACK(OnDropReceived),
                     GINT_TO_POINTER(record.number));
  });
}

}  // namespace vandrel::tk

// The list gadget: a tree view over a list store whose first column shows a
// row image in front of its text. Rows are addressed by index.
#include <gtk/gtk.h>

#include <vector>

#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/gadget_access.h"
#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

using detail::GadgetRecord;

constexpr int kImageColumn = 0;
constexpr int kMaxColumns = 8;  // text columns 0..7 live in store columns 1..8

void Post(int number, int type) { detail::PostGadgetEvent(number, type); }

void OnSelectionChanged(GtkTreeSelection*, gpointer data) {
  if (detail::SuppressEvents() > 0) return;
  if (GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data))) {
    record->selectionKnown = false;
  }
  Post(GPOINTER_TO_INT(data), 0);
}

// The selection is no longer the one the program set last.
void ForgetProgramSelection(GadgetRecord& record) {
  record.selectionKnown = false;
  record.pendingCursor = -1;
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  int type = event->type == GDK_2BUTTON_PRESS ? 2 : event->button == 3 ? 3 : 1;
  Post(GPOINTER_TO_INT(data), type);
  return FALSE;
}

void OnDropReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* selection, guint,
                    guint, gpointer data) {
  GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data));
  if (!record) return;
  gchar** uris = gtk_selection_data_get_uris(selection);
  detail::DeliverDroppedUris(*record, uris);
  g_strfreev(uris);
}

}  // namespace

namespace detail {

// Local paths of the URIs joined by line feeds; what is not a local file is left out.
void DeliverDroppedUris(GadgetRecord& record, gchar** uris) {
  std::string paths;
  for (gchar** uri = uris; uri && *uri; ++uri) {
    gchar* host = nullptr;
    gchar* path = g_filename_from_uri(*uri, &host, nullptr);
    bool local = path && (!host || g_strcmp0(host, "localhost") == 0);
    if (local) {
      if (!paths.empty()) paths += '\n';
      paths += path;
    }
    g_free(host);
    g_free(path);
  }
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
    GtkCellRenderer* image = gtk_cell_renderer_pixbuf_new();
    gtk_cell_renderer_set_fixed_size(image, 20, 18);
    gtk_tree_view_column_pack_start(view, image, FALSE);
    gtk_tree_view_column_add_attribute(view, image, "pixbuf", kImageColumn);
  }
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
  gtk_tree_view_column_pack_start(view, text, TRUE);
  gtk_tree_view_column_add_attribute(view, text, "text", column + 1);
  gtk_tree_view_append_column(GTK_TREE_VIEW(record.inner), view);
  record.columns.push_back(view);
  return view;
}

bool NthRow(GadgetRecord& record, int row, GtkTreeIter* iter) {
  return row >= 0 &&
         gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(record.store), iter, nullptr, row);
}

template <typename Body>
void WithList(int number, Body&& body) {
  detail::WithGadget(number, body, detail::GadgetKind::kList);
}

template <typename Result, typename Body>
Result FromList(int number, Result fallback, Body&& body) {
  return detail::FromGadget(number, fallback, body, detail::GadgetKind::kList);
}

}  // namespace

namespace detail {

void BuildList(GadgetRecord& record, const std::string& firstTitle, int firstWidth, int flags) {
  GType types[kMaxColumns + 1];
  types[0] = GDK_TYPE_PIXBUF;
  for (int i = 1; i <= kMaxColumns; ++i) types[i] = G_TYPE_STRING;
  record.store = gtk_list_store_newv(kMaxColumns + 1, types);
  record.outer = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(record.outer), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(record.outer), GTK_SHADOW_IN);
  record.inner = gtk_tree_view_new_with_model(GTK_TREE_MODEL(record.store));
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
}

int ListState(GadgetRecord& record) {
  GList* rows =
      gtk_tree_selection_get_selected_rows(gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), nullptr);
  int first = -1;
  for (GList* node = rows; node; node = node->next) {
    int index = gtk_tree_path_get_indices(static_cast<GtkTreePath*>(node->data))[0];
    if (first < 0 || index < first) first = index;
  }
  g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return first;
}

// Selects only `row` and scrolls it to the middle. The checksum worker calls
// this once per file, so it must not cost a walk over every row: GTK's
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
  GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(record.store), &iter);
  gtk_tree_selection_select_path(selection, path);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, TRUE, 0.5f, 0.0f);
  record.programRow = row;
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
  GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(record.store), &iter);
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

std::string GadgetColumnTitle(int number, int column) {
  return FromList(number, std::string(), [&](GadgetRecord& record) -> std::string {
    if (column < 0 || column >= static_cast<int>(record.columns.size())) return "";
    const char* title = gtk_tree_view_column_get_title(record.columns[column]);
    return title ? title : "";
  });
}

void SetGadgetColumnWidth(int number, int column, int width) {
  WithList(number, [&](GadgetRecord& record) {
    if (column >= 0 && column < static_cast<int>(record.columns.size())) {
      gtk_tree_view_column_set_fixed_width(record.columns[column], width > 0 ? width : 1);
    }
  });
}

int GadgetColumnWidth(int number, int column) {
  return FromList(number, 0, [&](GadgetRecord& record) {
    if (column < 0 || column >= static_cast<int>(record.columns.size())) return 0;
    return gtk_tree_view_column_get_fixed_width(record.columns[column]);
  });
}

void AddGadgetItem(int number, int position, const std::string& text, ImageRef image) {
  WithList(number, [&](GadgetRecord& record) {
    int count = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(record.store), nullptr);
    if (position >= 0 && position < count) ForgetProgramSelection(record);
    GtkTreeIter iter;
    gtk_list_store_insert(record.store, &iter, position < 0 || position > count ? count : position);
    gtk_list_store_set(record.store, &iter, kImageColumn, static_cast<GdkPixbuf*>(image), -1);
    std::size_t start = 0;
    for (int column = 0; column < kMaxColumns; ++column) {
      std::size_t end = text.find('\n', start);
      std::string field = text.substr(start, end == std::string::npos ? end : end - start);
      gtk_list_store_set(record.store, &iter, column + 1, field.c_str(), -1);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  });
}

int CountGadgetItems(int number) {
  return FromList(number, 0, [](GadgetRecord& record) {
    return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(record.store), nullptr);
  });
}

std::string GetGadgetItemText(int number, int row, int column) {
  return FromList(number, std::string(), [&](GadgetRecord& record) -> std::string {
    GtkTreeIter iter;
    if (column < 0 || column >= kMaxColumns || !NthRow(record, row, &iter)) return "";
    gchar* text = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(record.store), &iter, column + 1, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
  });
}

void SetGadgetItemText(int number, int row, const std::string& text, int column) {
  WithList(number, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    if (column < 0 || column >= kMaxColumns || !NthRow(record, row, &iter)) return;
    gtk_list_store_set(record.store, &iter, column + 1, text.c_str(), -1);
  });
}

void SetGadgetItemImage(int number, int row, ImageRef image) {
  WithList(number, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    if (!NthRow(record, row, &iter)) return;
    gtk_list_store_set(record.store, &iter, kImageColumn, static_cast<GdkPixbuf*>(image), -1);
  });
}

ImageRef GetGadgetItemImage(int number, int row) {
  return FromList(number, ImageRef{}, [&](GadgetRecord& record) -> ImageRef {
    GtkTreeIter iter;
    if (!NthRow(record, row, &iter)) return nullptr;
    GdkPixbuf* image = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(record.store), &iter, kImageColumn, &image, -1);
    if (image) g_object_unref(image);  // the store keeps its own reference
    return image;
  });
}

bool IsGadgetItemSelected(int number, int row) {
  return FromList(number, false, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    return NthRow(record, row, &iter) &&
           gtk_tree_selection_iter_is_selected(
               gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), &iter);
  });
}

void SetGadgetItemSelected(int number, int row, bool selected) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    GtkTreeIter iter;
    if (!NthRow(record, row, &iter)) return;
    ForgetProgramSelection(record);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner));
    if (selected) {
      gtk_tree_selection_select_iter(selection, &iter);
    } else {
      gtk_tree_selection_unselect_iter(selection, &iter);
    }
  });
}

void RemoveGadgetItem(int number, int row) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    GtkTreeIter iter;
    if (!NthRow(record, row, &iter)) return;
    ForgetProgramSelection(record);
    // GtkTreeView selects the row after a deleted cursor row; the selection
    // must stay exactly the other selected rows, or "remove the first
    // selected row until none is selected" would empty the whole list.
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner));
    GtkTreeModel* model = GTK_TREE_MODEL(record.store);
    GList* rows = gtk_tree_selection_get_selected_rows(selection, nullptr);
    std::vector<GtkTreeRowReference*> keep;
    for (GList* node = rows; node; node = node->next) {
      auto* path = static_cast<GtkTreePath*>(node->data);
      if (gtk_tree_path_get_indices(path)[0] != row) {
        keep.push_back(gtk_tree_row_reference_new(model, path));
      }
    }
    g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    gtk_list_store_remove(record.store, &iter);
    gtk_tree_selection_unselect_all(selection);
    for (GtkTreeRowReference* reference : keep) {
      if (GtkTreePath* path = gtk_tree_row_reference_get_path(reference)) {
        gtk_tree_selection_select_path(selection, path);
        gtk_tree_path_free(path);
      }
      gtk_tree_row_reference_free(reference);
    }
  });
}

void ClearGadgetItems(int number) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    ForgetProgramSelection(record);
    gtk_list_store_clear(record.store);
  });
}

void ResetGadgetItems(int number, int column, const std::string& text, ImageRef image) {
  WithList(number, [&](GadgetRecord& record) {
    if (column < 0 || column >= kMaxColumns) return;
    GtkTreeModel* model = GTK_TREE_MODEL(record.store);
    GtkTreeIter iter;
    // Rows that already hold the values are left alone: every change makes
    // the view redraw, and a list of many thousand rows is reset at once.
    for (bool more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter)) {
      GdkPixbuf* current = nullptr;
      gchar* currentText = nullptr;
      gtk_tree_model_get(model, &iter, kImageColumn, &current, column + 1, &currentText, -1);
      if (current != image) {
        gtk_list_store_set(record.store, &iter, kImageColumn, static_cast<GdkPixbuf*>(image), -1);
      }
      if (text != (currentText ? currentText : "")) {
        gtk_list_store_set(record.store, &iter, column + 1, text.c_str(), -1);
      }
      if (current) g_object_unref(current);
      g_free(currentText);
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

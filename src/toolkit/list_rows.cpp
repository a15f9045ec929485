// The rows of a list gadget: adding, reading and changing them, their
// tooltips, and removing them. Rows are addressed by index; their text is
// kept byte for byte as given and only shown in its display form.
#include <gtk/gtk.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/gadgets.h"
#include "toolkit/list_access.h"

namespace vandrel::tk {
namespace {

using detail::FromList;
using detail::GadgetRecord;
using detail::kImageColumn;
using detail::kMaxColumns;
using detail::kToolTipColumn;
using detail::NthRow;
using detail::WithList;

void InsertRow(GadgetRecord& record, int position, const std::vector<std::string>& columns,
               ImageRef image) {
  int count = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(record.store), nullptr);
  if (position >= 0 && position < count) detail::ForgetProgramSelection(record);
  // One insert with every value, so that the view hears of the row once.
  const int texts = std::min(static_cast<int>(columns.size()), kMaxColumns);
  std::vector<gint> indices(texts + 1);
  std::vector<GValue> values(texts + 1, G_VALUE_INIT);
  indices[0] = kImageColumn;
  g_value_init(&values[0], GDK_TYPE_PIXBUF);
  g_value_set_object(&values[0], static_cast<GdkPixbuf*>(image));
  for (int column = 0; column < texts; ++column) {
    indices[column + 1] = column + 1;
    g_value_init(&values[column + 1], G_TYPE_STRING);
    g_value_set_static_string(&values[column + 1], columns[column].c_str());
  }
  GtkTreeIter iter;
  gtk_list_store_insert_with_valuesv(record.store, &iter,
                                     position < 0 || position > count ? count : position,
                                     indices.data(), values.data(), texts + 1);
  for (GValue& value : values) g_value_unset(&value);
}

// Empties the store with the view detached. Attached, the view hears of
// every removed row, and each time the cursor row goes it clears and walks
// the whole selection: quadratic for a list of many thousand rows.
void ClearStore(GadgetRecord& record) {
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  gtk_tree_view_set_model(view, nullptr);
  gtk_list_store_clear(record.store);
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(record.store));
}

std::string StoreText(GtkTreeModel* model, GtkTreeIter* iter, int storeColumn) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, iter, storeColumn, &text, -1);
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

}  // namespace

namespace detail {

std::string RowToolTip(GadgetRecord& record, GtkTreeIter* iter) {
  GtkTreeModel* model = GTK_TREE_MODEL(record.store);
  std::string text;
  auto addLine = [&text](const std::string& line) {
    if (line.empty()) return;
    if (!text.empty()) text += '\n';
    text += DisplayText(line);
  };
  for (std::size_t column = 0; column < record.columns.size(); ++column) {
    addLine(StoreText(model, iter, static_cast<int>(column) + 1));
  }
  addLine(StoreText(model, iter, kToolTipColumn));
  return text;
}

}  // namespace detail

void AddGadgetRow(int number, int position, const std::vector<std::string>& columns,
                  ImageRef image) {
  WithList(number, [&](GadgetRecord& record) { InsertRow(record, position, columns, image); });
}

void AddGadgetItem(int number, int position, const std::string& text, ImageRef image) {
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (int column = 0; column < kMaxColumns; ++column) {
    std::size_t end = text.find('\n', start);
    columns.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  AddGadgetRow(number, position, columns, image);
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
    return StoreText(GTK_TREE_MODEL(record.store), &iter, column + 1);
  });
}

std::vector<std::string> GetGadgetColumnTexts(int number, int column) {
  return FromList(number, std::vector<std::string>(), [&](GadgetRecord& record) {
    std::vector<std::string> texts;
    if (column < 0 || column >= kMaxColumns) return texts;
    GtkTreeModel* model = GTK_TREE_MODEL(record.store);
    GtkTreeIter iter;
    for (bool more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter)) {
      texts.push_back(StoreText(model, &iter, column + 1));
    }
    return texts;
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

void SetGadgetItemToolTip(int number, int row, const std::string& text) {
  WithList(number, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    if (!NthRow(record, row, &iter)) return;
    gtk_list_store_set(record.store, &iter, kToolTipColumn, text.empty() ? nullptr : text.c_str(),
                       -1);
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
    detail::ForgetProgramSelection(record);
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
    detail::ForgetProgramSelection(record);
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

int RemoveSelectedGadgetItems(int number) {
  return FromList(number, 0, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    GtkTreeView* view = GTK_TREE_VIEW(record.inner);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    GtkTreeModel* model = GTK_TREE_MODEL(record.store);
    // List store rows keep their iterators while other rows go.
    std::vector<GtkTreeIter> doomed;
    GtkTreeIter keeper;
    bool keeperAfterFirstSelected = false;
    bool haveKeeper = false;
    GtkTreeIter iter;
    for (bool more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter)) {
      if (gtk_tree_selection_iter_is_selected(selection, &iter)) {
        doomed.push_back(iter);
      } else if (!keeperAfterFirstSelected) {
        keeper = iter;
        haveKeeper = true;
        keeperAfterFirstSelected = !doomed.empty();
      }
    }
    if (doomed.empty()) return 0;
    detail::ForgetProgramSelection(record);
    if (!haveKeeper) {
      ClearStore(record);
      return static_cast<int>(doomed.size());
    }
    // When the cursor row goes, GtkTreeView moves the cursor to a neighbour
    // and clears the whole selection to select it, a walk over every row
    // per removed row. With the cursor on a row that stays, each removal
    // touches only its own row.
    GtkTreePath* cursor = nullptr;
    gtk_tree_view_get_cursor(view, &cursor, nullptr);
    if (cursor && gtk_tree_selection_path_is_selected(selection, cursor)) {
      GtkTreePath* path = gtk_tree_model_get_path(model, &keeper);
      gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
      gtk_tree_path_free(path);
    }
    if (cursor) gtk_tree_path_free(cursor);
    gtk_tree_selection_unselect_all(selection);
    for (GtkTreeIter& row : doomed) gtk_list_store_remove(record.store, &row);
    return static_cast<int>(doomed.size());
  });
}

void ClearGadgetItems(int number) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    detail::ForgetProgramSelection(record);
    ClearStore(record);
  });
}

void ResetGadgetItems(int number, int column, const std::string& text, ImageRef image) {
  WithList(number, [&](GadgetRecord& record) {
    if (column < 0 || column >= kMaxColumns) return;
    GtkTreeModel* model = GTK_TREE_MODEL(record.store);
    GtkTreeIter iter;
    // Rows that already hold the values are left alone, and a changed row
    // is changed in one call: every change makes the view redraw, and a
    // list of many thousand rows is reset at once.
    gint indices[3];
    GValue values[3] = {G_VALUE_INIT, G_VALUE_INIT, G_VALUE_INIT};
    for (bool more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter)) {
      GdkPixbuf* current = nullptr;
      gchar* currentText = nullptr;
      gchar* toolTip = nullptr;
      gtk_tree_model_get(model, &iter, kImageColumn, &current, column + 1, &currentText,
                         kToolTipColumn, &toolTip, -1);
      int changed = 0;
      if (current != image) {
        indices[changed] = kImageColumn;
        g_value_init(&values[changed], GDK_TYPE_PIXBUF);
        g_value_set_object(&values[changed++], static_cast<GdkPixbuf*>(image));
      }
      if (text != (currentText ? currentText : "")) {
        indices[changed] = column + 1;
        g_value_init(&values[changed], G_TYPE_STRING);
        g_value_set_static_string(&values[changed++], text.c_str());
      }
      if (toolTip) {
        indices[changed] = kToolTipColumn;
        g_value_init(&values[changed++], G_TYPE_STRING);  // holds no text
      }
      if (changed > 0) gtk_list_store_set_valuesv(record.store, &iter, indices, values, changed);
      for (int i = 0; i < changed; ++i) g_value_unset(&values[i]);
      if (current) g_object_unref(current);
      g_free(currentText);
      g_free(toolTip);
    }
  });
}

}  // namespace vandrel::tk

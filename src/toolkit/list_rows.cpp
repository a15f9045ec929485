// The rows of a list gadget: a program's own source, asked for each row,
// and telling the view what changed. Rows are addressed by index; their text
// is kept byte for byte by the source and only shown in its display form.
#include <gtk/gtk.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/gadgets.h"
#include "toolkit/list_access.h"
#include "toolkit/list_model.h"
#include "toolkit/list_source.h"

namespace vandrel::tk {
namespace {

using detail::FromList;
using detail::GadgetRecord;
using detail::kMaxColumns;
using detail::WithList;

// Up to this many rows a change is told row by row at once; a larger one
// (a job's start over a long list) draws the rows in view again at once and
// tells the others a slice at a time while the main loop is idle.
constexpr int kRowsToldAtOnce = 512;
constexpr int kRowsToldPerSlice = 2048;
// A removal of more rows than this rebuilds the view's row tree in one pass
// instead of taking the rows out one by one.
constexpr int kRowsRemovedOneByOne = 1024;

ListRowSource* SourceOf(GadgetRecord& record) {
  return record.model ? detail::ListModelSource(record.model) : nullptr;
}

int RowCountOf(GadgetRecord& record) {
  ListRowSource* source = SourceOf(record);
  return source ? source->rowCount() : 0;
}

bool ValidRow(GadgetRecord& record, int row) { return row >= 0 && row < RowCountOf(record); }

gboolean TellChangedSlice(gpointer data) {
  GadgetRecord* record = detail::Gadgets().find(GPOINTER_TO_INT(data));
  if (!record) return G_SOURCE_REMOVE;
  int budget = kRowsToldPerSlice;
  while (budget > 0 && !record->untold.empty()) {
    auto& [first, count] = record->untold.back();
    const int told = std::min(count, budget);
    detail::ListModelChanged(record->model, first, told);
    first += told;
    count -= told;
    budget -= told;
    if (count == 0) record->untold.pop_back();
  }
  if (!record->untold.empty()) return G_SOURCE_CONTINUE;
  record->untoldSource = 0;
  return G_SOURCE_REMOVE;
}

void TellChanged(GadgetRecord& record, int first, int count) {
  count = std::min(count, RowCountOf(record) - first);
  if (first < 0 || count <= 0) return;
  if (count <= kRowsToldAtOnce) {
    detail::ListModelChanged(record.model, first, count);
    return;
  }
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  GtkTreePath* start = nullptr;
  GtkTreePath* end = nullptr;
  if (gtk_tree_view_get_visible_range(view, &start, &end)) {
    const int from = std::max(first, gtk_tree_path_get_indices(start)[0]);
    const int to = std::min(first + count, gtk_tree_path_get_indices(end)[0] + 1);
    if (from < to) detail::ListModelChanged(record.model, from, to - from);
  }
  if (start) gtk_tree_path_free(start);
  if (end) gtk_tree_path_free(end);
  gtk_widget_queue_draw(record.inner);
  record.untold.emplace_back(first, count);
  if (!record.untoldSource) {
    record.untoldSource =
        g_idle_add_full(G_PRIORITY_LOW, TellChangedSlice, GINT_TO_POINTER(record.number), nullptr);
  }
}

// The view's row tree made anew from the model, the scroll position kept.
// Every row and the selection are read afresh; nothing is selected after.
void Reattach(GadgetRecord& record) {
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  GtkAdjustment* scroll = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
  const double at = scroll ? gtk_adjustment_get_value(scroll) : 0;
  detail::SuppressGuard quiet;
  detail::ForgetProgramSelection(record);
  record.untold.clear();
  gtk_tree_view_set_model(view, nullptr);
  gtk_tree_view_set_model(view, record.model);
  if (scroll) gtk_adjustment_set_value(scroll, at);
}

// Takes `rows` (ascending, numbered as before) out of the view, which
// leaves no row selected. When the cursor row goes, GtkTreeView moves the
// cursor to a neighbour and clears the whole selection to select it, a walk
// over every row per removed row: the cursor first goes to a row that stays.
void RemoveFromView(GadgetRecord& record, const std::vector<int>& rows) {
  if (rows.empty()) return;
  detail::SuppressGuard quiet;
  detail::ForgetProgramSelection(record);
  if (RowCountOf(record) == 0 || static_cast<int>(rows.size()) > kRowsRemovedOneByOne) {
    Reattach(record);
    return;
  }
  GtkTreeView* view = GTK_TREE_VIEW(record.inner);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  GtkTreePath* cursor = nullptr;
  gtk_tree_view_get_cursor(view, &cursor, nullptr);
  if (cursor) {
    const int at = gtk_tree_path_get_indices(cursor)[0];
    if (std::binary_search(rows.begin(), rows.end(), at)) {
      // The first row that stays: among the old numbers, the first not removed.
      int keeper = 0;
      for (int row : rows) keeper += row == keeper ? 1 : 0;
      GtkTreePath* path = gtk_tree_path_new_from_indices(keeper, -1);
      gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
      gtk_tree_path_free(path);
    }
    gtk_tree_path_free(cursor);
  }
  gtk_tree_selection_unselect_all(selection);
  detail::ListModelDeleted(record.model, rows);
}

// Asks whoever keeps the rows to drop `rows` (ascending).
void DropRows(GadgetRecord& record, const std::vector<int>& rows) {
  if (ListRowSource* source = SourceOf(record); source && !rows.empty()) source->removeRows(rows);
}

std::vector<int> SelectedRows(GadgetRecord& record) {
  std::vector<int> rows;
  GList* paths = gtk_tree_selection_get_selected_rows(
      gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), nullptr);
  for (GList* node = paths; node; node = node->next) {
    rows.push_back(gtk_tree_path_get_indices(static_cast<GtkTreePath*>(node->data))[0]);
  }
  g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace

namespace detail {

std::string RowToolTip(GadgetRecord& record, int row) {
  ListRowSource* source = SourceOf(record);
  std::string text;
  auto addLine = [&text](const std::string& line) {
    if (line.empty()) return;
    if (!text.empty()) text += '\n';
    text += DisplayText(line);
  };
  if (!source || row < 0 || row >= source->rowCount()) return text;
  for (std::size_t column = 0; column < record.columns.size(); ++column) {
    addLine(source->rowText(row, static_cast<int>(column)));
  }
  addLine(source->rowNote(row));
  return text;
}

}  // namespace detail

void SetGadgetRowSource(int number, ListRowSource* source) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SetListModelSource(record.model, source);
    Reattach(record);
  });
}

void GadgetRowsInserted(int number, int first, int count) {
  WithList(number, [&](GadgetRecord& record) {
    if (first < RowCountOf(record) - count) detail::ForgetProgramSelection(record);
    detail::ListModelInserted(record.model, first, count);
  });
}

void GadgetRowsChanged(int number, int first, int count) {
  WithList(number, [&](GadgetRecord& record) { TellChanged(record, first, count); });
}

void GadgetRowsRemoved(int number, const std::vector<int>& rows) {
  WithList(number, [&](GadgetRecord& record) { RemoveFromView(record, rows); });
}

void GadgetRowsReset(int number) {
  WithList(number, [&](GadgetRecord& record) { Reattach(record); });
}

int CountGadgetItems(int number) {
  return FromList(number, 0, [](GadgetRecord& record) { return RowCountOf(record); });
}

std::string GetGadgetItemText(int number, int row, int column) {
  return FromList(number, std::string(), [&](GadgetRecord& record) -> std::string {
    if (column < 0 || column >= kMaxColumns || !ValidRow(record, row)) return "";
    return SourceOf(record)->rowText(row, column);
  });
}

std::vector<int> SelectedGadgetItems(int number) {
  return FromList(number, std::vector<int>(), SelectedRows);
}

bool IsGadgetItemSelected(int number, int row) {
  return FromList(number, false, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    return detail::NthRow(record, row, &iter) &&
           gtk_tree_selection_iter_is_selected(
               gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner)), &iter);
  });
}

void SetGadgetItemSelected(int number, int row, bool selected) {
  WithList(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    GtkTreeIter iter;
    if (!detail::NthRow(record, row, &iter)) return;
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
    if (!ValidRow(record, row)) return;
    // The other selected rows stay selected: "remove the first selected row
    // until none is selected" must not empty the whole list.
    std::vector<int> keep = SelectedRows(record);
    std::erase(keep, row);
    DropRows(record, {row});
    detail::SuppressGuard quiet;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(record.inner));
    for (int kept : keep) {
      GtkTreeIter iter;
      if (detail::NthRow(record, kept > row ? kept - 1 : kept, &iter)) {
        gtk_tree_selection_select_iter(selection, &iter);
      }
    }
  });
}

int RemoveSelectedGadgetItems(int number) {
  return FromList(number, 0, [&](GadgetRecord& record) {
    const std::vector<int> rows = SelectedRows(record);
    DropRows(record, rows);
    return static_cast<int>(rows.size());
  });
}

void ClearGadgetItems(int number) {
  WithList(number, [&](GadgetRecord& record) {
    std::vector<int> rows(RowCountOf(record));
    for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = static_cast<int>(row);
    DropRows(record, rows);
  });
}

}  // namespace vandrel::tk

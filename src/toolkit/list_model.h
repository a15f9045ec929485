// The GtkTreeModel behind every list gadget: a flat list over a
// ListRowSource, asked for each value as the view draws it, so that the
// view holds only its own row tree and the rows live with their owner.
// Internal to the toolkit layer; main thread only.
#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "toolkit/list_source.h"

namespace vandrel::tk::detail {

// Columns: the row image, text columns 0..7 in model columns 1..8, and the
// row's own tooltip lines.
inline constexpr int kImageColumn = 0;
inline constexpr int kMaxColumns = 8;
inline constexpr int kToolTipColumn = kMaxColumns + 1;
inline constexpr int kModelColumns = kMaxColumns + 2;

// A new model over `source` (which may be null: no rows); one reference.
GtkTreeModel* NewListModel(ListRowSource* source);
void SetListModelSource(GtkTreeModel* model, ListRowSource* source);
ListRowSource* ListModelSource(GtkTreeModel* model);

// Tell the model's views what the source changed. Each expects the source
// to show the change already.
void ListModelInserted(GtkTreeModel* model, int first, int count);
void ListModelChanged(GtkTreeModel* model, int first, int count);
// `rows` ascending, numbered as they were before they went.
void ListModelDeleted(GtkTreeModel* model, const std::vector<int>& rows);

}  // namespace vandrel::tk::detail

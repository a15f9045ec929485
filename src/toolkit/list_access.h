// What the list gadget's files share: row lookup by index and the
// main-thread wrappers for list operations. Internal to the toolkit layer.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "toolkit/gadget_access.h"
#include "toolkit/gtk_state.h"
#include "toolkit/list_model.h"

namespace vandrel::tk::detail {

inline bool NthRow(GadgetRecord& record, int row, GtkTreeIter* iter) {
  return row >= 0 && gtk_tree_model_iter_nth_child(record.model, iter, nullptr, row);
}

// The selection is no longer the one the program set last.
inline void ForgetProgramSelection(GadgetRecord& record) {
  record.selectionKnown = false;
  record.pendingCursor = -1;
}

template <typename Body>
void WithList(int number, Body&& body) {
  WithGadget(number, body, GadgetKind::kList);
}

template <typename Result, typename Body>
Result FromList(int number, Result fallback, Body&& body) {
  return FromGadget(number, fallback, body, GadgetKind::kList);
}

// Keeps the view's last column as wide as the widest text it shows; in
// list_column_fit.cpp.
void KeepLastColumnReadable(GtkWidget* treeView);

// A row's tooltip text: every column's whole text, then the row's note; in
// list_rows.cpp.
std::string RowToolTip(GadgetRecord& record, int row);

}  // namespace vandrel::tk::detail

// A GtkTreeModel over a ListRowSource: a flat list whose iterators carry the
// row's index. A structural change makes every earlier iterator invalid, as
// GTK's models do; the views keep paths, not iterators.
#include "toolkit/list_model.h"

#include <string>

// GObject's type macros name their functions after the type and need them
// at namespace scope; the anonymous namespace keeps them out of the link.
namespace {

using vandrel::tk::ListRowSource;
namespace detail = vandrel::tk::detail;

struct VandrelListModel {
  GObject parent;
  ListRowSource* source;
  gint stamp;
};
struct VandrelListModelClass {
  GObjectClass parent_class;
};

void ListModelInterfaceInit(GtkTreeModelIface* iface);

G_DEFINE_TYPE_WITH_CODE(VandrelListModel, list_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, ListModelInterfaceInit))

VandrelListModel* AsListModel(gpointer object) {
  return G_TYPE_CHECK_INSTANCE_CAST(object, list_model_get_type(), VandrelListModel);
}

int RowCount(VandrelListModel* model) { return model->source ? model->source->rowCount() : 0; }

// Points `iter` at `row`; false (and `iter` invalid) past the end.
gboolean SetIter(VandrelListModel* model, GtkTreeIter* iter, int row) {
  if (row < 0 || row >= RowCount(model)) {
    iter->stamp = 0;
    return FALSE;
  }
  iter->stamp = model->stamp;
  iter->user_data = GINT_TO_POINTER(row);
  return TRUE;
}

int RowOf(const GtkTreeIter* iter) { return GPOINTER_TO_INT(iter->user_data); }

GtkTreeModelFlags GetFlags(GtkTreeModel*) { return GTK_TREE_MODEL_LIST_ONLY; }

gint GetNColumns(GtkTreeModel*) { return detail::kModelColumns; }

GType GetColumnType(GtkTreeModel*, gint column) {
  return column == detail::kImageColumn ? GDK_TYPE_PIXBUF : G_TYPE_STRING;
}

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
  if (gtk_tree_path_get_depth(path) != 1) return FALSE;
  return SetIter(AsListModel(model), iter, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath* GetPath(GtkTreeModel*, GtkTreeIter* iter) {
  return gtk_tree_path_new_from_indices(RowOf(iter), -1);
}

void GetValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
  VandrelListModel* self = AsListModel(model);
  const int row = RowOf(iter);
  g_value_init(value, GetColumnType(model, column));
  if (!self->source || row >= RowCount(self)) return;
  if (column == detail::kImageColumn) {
    g_value_set_object(value, self->source->rowImage(row));
  } else if (column == detail::kToolTipColumn) {
    const std::string note = self->source->rowNote(row);
    if (!note.empty()) g_value_set_string(value, note.c_str());
  } else if (column > 0 && column <= detail::kMaxColumns) {
    g_value_set_string(value, self->source->rowText(row, column - 1).c_str());
  }
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* iter) {
  return SetIter(AsListModel(model), iter, RowOf(iter) + 1);
}

gboolean IterPrevious(GtkTreeModel* model, GtkTreeIter* iter) {
  return SetIter(AsListModel(model), iter, RowOf(iter) - 1);
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
  if (parent) {
    iter->stamp = 0;
    return FALSE;
  }
  return SetIter(AsListModel(model), iter, n);
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
  return IterNthChild(model, iter, parent, 0);
}

gboolean IterHasChild(GtkTreeModel*, GtkTreeIter*) { return FALSE; }

gint IterNChildren(GtkTreeModel* model, GtkTreeIter* iter) {
  return iter ? 0 : RowCount(AsListModel(model));
}

gboolean IterParent(GtkTreeModel*, GtkTreeIter* iter, GtkTreeIter*) {
  iter->stamp = 0;
  return FALSE;
}

void ListModelInterfaceInit(GtkTreeModelIface* iface) {
  iface->get_flags = GetFlags;
  iface->get_n_columns = GetNColumns;
  iface->get_column_type = GetColumnType;
  iface->get_iter = GetIter;
  iface->get_path = GetPath;
  iface->get_value = GetValue;
  iface->iter_next = IterNext;
  iface->iter_previous = IterPrevious;
  iface->iter_children = IterChildren;
  iface->iter_has_child = IterHasChild;
  iface->iter_n_children = IterNChildren;
  iface->iter_nth_child = IterNthChild;
  iface->iter_parent = IterParent;
}

void list_model_class_init(VandrelListModelClass*) {}

void list_model_init(VandrelListModel* self) {
  self->source = nullptr;
  self->stamp = 1;
}

}  // namespace

namespace vandrel::tk::detail {

GtkTreeModel* NewListModel(ListRowSource* source) {
  auto* model = AsListModel(g_object_new(list_model_get_type(), nullptr));
  model->source = source;
  return GTK_TREE_MODEL(model);
}

void SetListModelSource(GtkTreeModel* model, ListRowSource* source) {
  VandrelListModel* self = AsListModel(model);
  self->source = source;
  ++self->stamp;
}

ListRowSource* ListModelSource(GtkTreeModel* model) { return AsListModel(model)->source; }

void DetachListModel(GtkTreeModel* model) {
  SetListModelSource(model, nullptr);
  g_object_unref(model);
}

void ListModelInserted(GtkTreeModel* model, int first, int count) {
  VandrelListModel* self = AsListModel(model);
  ++self->stamp;
  for (int row = first; row < first + count; ++row) {
    GtkTreeIter iter;
    if (!SetIter(self, &iter, row)) break;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_model_row_inserted(model, path, &iter);
    gtk_tree_path_free(path);
  }
}

void ListModelChanged(GtkTreeModel* model, int first, int count) {
  VandrelListModel* self = AsListModel(model);
  for (int row = first; row < first + count; ++row) {
    GtkTreeIter iter;
    if (!SetIter(self, &iter, row)) break;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_model_row_changed(model, path, &iter);
    gtk_tree_path_free(path);
  }
}

void ListModelDeleted(GtkTreeModel* model, const std::vector<int>& rows) {
  ++AsListModel(model)->stamp;
  // From the last: each row keeps its old number while those after it go.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(*row, -1);
    gtk_tree_model_row_deleted(model, path);
    gtk_tree_path_free(path);
  }
}

}  // namespace vandrel::tk::detail

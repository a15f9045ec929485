// Read-backs of toolkit state for tests, straight from the records the
// toolkit keeps and from the GTK widgets behind them.
#include "testing/toolkit_queries.h"

#include <gtk/gtk.h>

#include "toolkit/gadget_access.h"
#include "toolkit/gtk_state.h"
#include "toolkit/list_access.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

using detail::FromGadget;
using detail::FromList;
using detail::GadgetKind;
using detail::GadgetRecord;
using detail::MenuItemRecord;
using detail::MenuRecord;

// `body` of the menu item's record, or `fallback` when there is no such item.
template <typename Result, typename Body>
Result FromMenuItem(int menu, int item, Result fallback, Body&& body) {
  return detail::OnMainThread(
      [&]() -> Result {
        MenuRecord* record = detail::Menus().find(menu);
        if (!record) return fallback;
        auto it = record->items.find(item);
        return it == record->items.end() ? fallback : body(it->second);
      },
      fallback);
}

// The top-level menu item `index` of the menu bar, or nullptr.
GtkWidget* MenuTitleItem(int menu, int index) {
  MenuRecord* record = detail::Menus().find(menu);
  if (!record || index < 0 || index >= static_cast<int>(record->titles.size())) return nullptr;
  return record->titles[index];
}

}  // namespace

bool IsWindow(int number) {
  return detail::OnMainThread([&] { return detail::Windows().find(number) != nullptr; });
}

std::string WindowTitle(int number) {
  return detail::OnMainThread([&]() -> std::string {
    detail::WindowRecord* record = detail::Windows().find(number);
    return record ? record->title : std::string();
  });
}

bool IsGadgetDisabled(int number) {
  return FromGadget(number, false, [](GadgetRecord& record) { return record.disabled; });
}

int GetGadgetAttribute(int number, int attribute) {
  return FromGadget(number, 0, [&](GadgetRecord& record) {
    if (record.kind != GadgetKind::kProgressBar) return 0;
    if (attribute == kProgressBarPart) return record.part;
    return attribute == kProgressBarMinimum   ? record.minimum
           : attribute == kProgressBarMaximum ? record.maximum
                                              : 0;
  });
}

std::string GadgetToolTipText(int number) {
  return FromGadget(number, std::string(), [](GadgetRecord& record) { return record.tooltip; });
}

ImageRef StringGadgetMark(int number, std::string* tip) {
  return FromGadget(number, ImageRef(nullptr), [tip](GadgetRecord& record) -> ImageRef {
    if (record.kind != GadgetKind::kString) return nullptr;
    GtkEntry* entry = GTK_ENTRY(record.inner);
    if (tip) {
      gchar* text = gtk_entry_get_icon_tooltip_text(entry, GTK_ENTRY_ICON_SECONDARY);
      *tip = text ? text : "";
      g_free(text);
    }
    return record.mark;
  });
}

std::string GadgetAccessibleDescription(int number) {
  return FromGadget(number, std::string(), [](GadgetRecord& record) {
    const gchar* text = atk_object_get_description(gtk_widget_get_accessible(record.inner));
    return std::string(text ? text : "");
  });
}

int GadgetX(int number) {
  return FromGadget(number, 0, [](GadgetRecord& record) { return record.x; });
}
int GadgetY(int number) {
  return FromGadget(number, 0, [](GadgetRecord& record) { return record.y; });
}
int GadgetHeight(int number) {
  return FromGadget(number, 0, [](GadgetRecord& record) { return record.height; });
}

std::string GadgetColumnTitle(int number, int column) {
  return FromList(number, std::string(), [&](GadgetRecord& record) -> std::string {
    if (column < 0 || column >= static_cast<int>(record.columns.size())) return "";
    const char* title = gtk_tree_view_column_get_title(record.columns[column]);
    return title ? title : "";
  });
}

int GadgetColumnWidth(int number, int column) {
  return FromList(number, 0, [&](GadgetRecord& record) {
    if (column < 0 || column >= static_cast<int>(record.columns.size())) return 0;
    return gtk_tree_view_column_get_fixed_width(record.columns[column]);
  });
}

bool ListCellShownWhole(int number, int row, int column) {
  return FromList(number, false, [&](GadgetRecord& record) {
    GtkTreeIter iter;
    if (column < 0 || column >= static_cast<int>(record.columns.size()) ||
        !detail::NthRow(record, row, &iter)) {
      return false;
    }
    GtkTreeViewColumn* view = record.columns[column];
    gtk_tree_view_column_cell_set_cell_data(view, record.model, &iter, FALSE, FALSE);
    int needed = 0;
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(view));
    for (GList* node = cells; node; node = node->next) {
      int natural = 0;
      gtk_cell_renderer_get_preferred_width(static_cast<GtkCellRenderer*>(node->data), record.inner,
                                            nullptr, &natural);
      needed += natural;
    }
    g_list_free(cells);
    GtkAdjustment* sideways = gtk_scrollable_get_hadjustment(GTK_SCROLLABLE(record.inner));
    const int right =
        gtk_tree_view_column_get_x_offset(view) + gtk_tree_view_column_get_width(view);
    return gtk_tree_view_column_get_width(view) >= needed &&
           gtk_adjustment_get_upper(sideways) >= right;
  });
}

std::vector<std::uint8_t> ImagePixels(int id) {
  return detail::OnMainThread([&] {
    std::vector<std::uint8_t> pixels;
    detail::ImageRecord* image = detail::Images().find(id);
    if (!image || !image->pixbuf || gdk_pixbuf_get_n_channels(image->pixbuf) != 4) return pixels;
    const guchar* bytes = gdk_pixbuf_read_pixels(image->pixbuf);
    const int width = gdk_pixbuf_get_width(image->pixbuf);
    for (int y = 0; y < gdk_pixbuf_get_height(image->pixbuf); ++y) {
      const guchar* row =
          bytes + static_cast<std::size_t>(y) * gdk_pixbuf_get_rowstride(image->pixbuf);
      pixels.insert(pixels.end(), row, row + static_cast<std::size_t>(width) * 4);
    }
    return pixels;
  });
}

CaptionShown GadgetCaption(int number) {
  return FromGadget(number, CaptionShown{}, [&](GadgetRecord& record) {
    GtkWidget* caption =
        GTK_IS_BIN(record.inner) ? gtk_bin_get_child(GTK_BIN(record.inner)) : nullptr;
    detail::WindowRecord* window = detail::Windows().find(record.window);
    if (!GTK_IS_LABEL(caption) || !window) return CaptionShown{};
    PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(caption));
    int x = 0;
    gtk_label_get_layout_offsets(GTK_LABEL(caption), &x, nullptr);
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout, &ink, nullptr);
    GtkAllocation area;
    gtk_widget_get_allocation(window->area, &area);
    return CaptionShown{!pango_layout_is_ellipsized(layout), x + ink.x + ink.width - area.x};
  });
}

ImageRef GetGadgetItemImage(int number, int row) {
  return FromList(number, ImageRef{}, [&](GadgetRecord& record) -> ImageRef {
    GtkTreeIter iter;
    if (!detail::NthRow(record, row, &iter)) return nullptr;
    GdkPixbuf* image = nullptr;
    gtk_tree_model_get(record.model, &iter, detail::kImageColumn, &image, -1);
    if (image) g_object_unref(image);  // the image registry keeps its own reference
    return image;
  });
}

std::string GadgetItemToolTipText(int number, int row) {
  return FromList(number, std::string(), [&](GadgetRecord& record) -> std::string {
    return detail::RowToolTip(record, row);
  });
}

bool IsMenuItemDisabled(int menu, int item) {
  return FromMenuItem(menu, item, false,
                      [](MenuItemRecord& entry) { return !gtk_widget_get_sensitive(entry.item); });
}

std::string GetMenuTitleText(int menu, int index) {
  return detail::OnMainThread([&]() -> std::string {
    GtkWidget* title = MenuTitleItem(menu, index);
    if (!title) return "";
    const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(title));
    std::string text;
    for (const char* c = label; c && *c; ++c) {
      if (*c == '_' && c[1] != '_') continue;
      text += *c;
      if (*c == '_') ++c;
    }
    return text;
  });
}

int GetMenuItemState(int menu, int item) {
  return FromMenuItem(menu, item, 0, [](MenuItemRecord& entry) { return entry.state; });
}

bool MenuItemHasImage(int menu, int item) {
  return FromMenuItem(menu, item, false,
                      [](MenuItemRecord& entry) { return entry.image != nullptr; });
}

int CountMenuItems(int menu, int index) {
  return detail::OnMainThread([&] {
    GtkWidget* title = MenuTitleItem(menu, index);
    if (!title) return 0;
    GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(title));
    GList* children = gtk_container_get_children(GTK_CONTAINER(submenu));
    int count = 0;
    for (GList* node = children; node; node = node->next) {
      if (!GTK_IS_SEPARATOR_MENU_ITEM(node->data)) ++count;
    }
    g_list_free(children);
    return count;
  });
}

}  // namespace vandrel::tk

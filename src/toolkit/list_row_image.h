// The renderer of a list row's image, whose accessible tells a screen reader
// what the image stands for. Internal to the toolkit layer; main thread only.
#pragma once

#include <gtk/gtk.h>

namespace vandrel::tk::detail {

// A pixbuf renderer like GTK's own, except that the cells it makes for
// assistive technologies carry the description given to the image they show
// (see SetListImageDescription).
GtkCellRenderer* NewRowImageRenderer();

}  // namespace vandrel::tk::detail

// A stand-in for a file manager in the end-to-end tests: a small window at
// the screen's top left corner that offers the files named on its command
// line as a text/uri-list drag, as a file manager does.
// Usage: drag_source <path>...
#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace {

struct UriList {
  std::vector<gchar*> uris;
  ~UriList() {
    for (gchar* uri : uris) g_free(uri);
  }
};

void OnDragDataGet(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint,
                   gpointer list) {
  gtk_selection_data_set_uris(data, static_cast<UriList*>(list)->uris.data());
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  auto list = std::make_unique<UriList>();
  for (int i = 1; i < argc; ++i) {
    gchar* uri = g_filename_to_uri(argv[i], nullptr, nullptr);
    if (!uri) {
      g_printerr("drag_source: not an absolute path: %s\n", argv[i]);
      return 2;
    }
    list->uris.push_back(uri);
  }
  list->uris.push_back(nullptr);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Drag source");
  gtk_window_set_default_size(GTK_WINDOW(window), 160, 120);
  gtk_window_move(GTK_WINDOW(window), 0, 0);
  GtkWidget* box = gtk_event_box_new();
  gtk_container_add(GTK_CONTAINER(box), gtk_label_new("Drag me"));
  gtk_container_add(GTK_CONTAINER(window), box);
  static GtkTargetEntry targets[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_source_set(box, GDK_BUTTON1_MASK, targets, 1, GDK_ACTION_COPY);
  g_signal_connect(box, "drag-data-get", G_CALLBACK(OnDragDataGet), list.get());
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}

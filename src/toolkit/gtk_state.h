// The GTK objects behind the numbered windows, gadgets, menus, fonts and
// images. Internal to the toolkit layer; touched on the main thread only.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/registry.h"

namespace vandrel::tk::detail {

struct WindowRecord {
  int number = 0;
  GtkWidget* window = nullptr;
  GtkWidget* box = nullptr;   // menu bar above the gadget area
  GtkWidget* area = nullptr;  // gadgets at fixed places
  GtkAccelGroup* accelerators = nullptr;
  GtkCssProvider* css = nullptr;
  GtkCssProvider* colour = nullptr;
  std::map<int, int> shortcuts;  // key -> menu event number
  bool disabled = false;
  int width = 0;
  int height = 0;
  int flags = 0;
  GtkWidget* parent = nullptr;
  std::string title;
};

enum class GadgetKind { kFrame, kText, kString, kButton, kOption, kList, kProgressBar, kImage };

// Drops a list model's tie to its rows and the record's reference; in
// list_model.cpp.
void DetachListModel(GtkTreeModel* model);

struct GadgetRecord {
  GadgetRecord() = default;
  GadgetRecord(const GadgetRecord&) = delete;
  GadgetRecord& operator=(const GadgetRecord&) = delete;
  ~GadgetRecord() {
    if (colour) g_object_unref(colour);
    // The view may outlive the record for a moment (while its window goes)
    // and ask its model for rows: by then it has none.
    if (model) DetachListModel(model);
    if (untoldSource) g_source_remove(untoldSource);
    if (rescrollSource) g_source_remove(rescrollSource);
  }

  int number = 0;
  int window = 0;
  GadgetKind kind = GadgetKind::kFrame;
  GtkWidget* outer = nullptr;  // the widget placed in the gadget area
  GtkWidget* inner = nullptr;  // label, entry, button, tree view ...
  // Lists: the model the view shows (list_model.h), over a program's
  // source, and rows changed that views are still to hear of (first,
  // count), told while the main loop is idle.
  GtkTreeModel* model = nullptr;
  std::vector<std::pair<int, int>> untold;
  guint untoldSource = 0;
  std::vector<GtkTreeViewColumn*> columns;
  GtkCssProvider* colour = nullptr;
  std::string frontColour, backColour;
  int x = 0, y = 0, width = 0, height = 0;
  int minimum = 0, maximum = 100, value = 0;  // progress bar
  int part = 0;  // progress bar: share of the step after `value`, see kProgressBarPart
  std::string tooltip;
  // A string gadget's image at its end, from ImageID(); kept, since the
  // entry hands back a copy of it and not the image it was given.
  void* mark = nullptr;
  bool disabled = false;
  // Lists: the row the program selected last, valid while the user has not
  // changed the selection since, and where the cursor goes once the list
  // takes input again (see ApplyListState).
  int programRow = -1;
  bool selectionKnown = false;
  int pendingCursor = -1;
  guint rescrollSource = 0;  // places the program's row again once measured
};

struct MenuItemRecord {
  GtkWidget* item = nullptr;
  GtkWidget* label = nullptr;
  GtkWidget* image = nullptr;
  bool check = false;
  int state = 0;
};

struct MenuRecord {
  int number = 0;
  int window = 0;
  GtkWidget* bar = nullptr;
  std::vector<GtkWidget*> titles;  // top-level items of the bar
  GtkWidget* current = nullptr;    // the menu being filled
  std::map<int, MenuItemRecord> items;
};

struct FontRecord {
  std::string face;
  int points = 0;
  int style = 0;
  std::string cssClass;
  PangoFontDescription* description = nullptr;
};

struct ImageRecord {
  GdkPixbuf* pixbuf = nullptr;
};

Registry<WindowRecord>& Windows();
Registry<GadgetRecord>& Gadgets();
Registry<MenuRecord>& Menus();
Registry<FontRecord>& Fonts();
Registry<ImageRecord>& Images();

// The window gadgets and menus are created in: the one opened last.
int& CurrentWindow();
// Set while the program itself changes a gadget, so that no event is posted.
int& SuppressEvents();

struct SuppressGuard {
  SuppressGuard() { ++SuppressEvents(); }
  ~SuppressGuard() { --SuppressEvents(); }
  SuppressGuard(const SuppressGuard&) = delete;
  SuppressGuard& operator=(const SuppressGuard&) = delete;
};

// Applies a record's front and back colours as a widget style.
void ApplyColourStyle(GtkWidget* widget, GtkCssProvider** provider, const std::string& front,
                      const std::string& back);
std::string CssColour(int colour);

void DestroyWindowRecord(WindowRecord& window);
void DestroyGadgetsOf(int window);
void DestroyAllWindows();
void FreeResources();

// Number of events waiting in the queue.
int QueuedEventCount();
// Whether the main thread is inside an event wait's blocking toolkit
// iteration, rather than in a command or a window's own processing.
bool WaitingForEvents();
// From now on PostEvent does nothing: the program is ending.
void EndEventPosting();
// Runs the frame timers' ticks (all of them, or those that are due); true
// when it ran any. Main thread only.
bool RunFrameTimers(bool all);

// Whether an end signal has arrived (see session_end.h); modal waits then
// give up.
bool EndRequested();

// Moves a list's deferred cursor to its row once the list is enabled.
void ApplyPendingCursor(GadgetRecord& record);

// Turns a dropped text/uri-list into a drop event for the list gadget.
void DeliverDroppedUriList(GadgetRecord& record, const std::string& uriList);

// The exact-rectangle container for gadgets (see gadget_area.cpp).
GtkWidget* NewGadgetArea();
void PlaceInArea(GtkWidget* area, GtkWidget* child, int x, int y, int width, int height);
// Lets the caption of a button-like child (an option) run past its
// rectangle's right edge, up to the next gadget in its row, instead of being
// cut; the child keeps its rectangle.
void LetCaptionOverflow(GtkWidget* child);

}  // namespace vandrel::tk::detail

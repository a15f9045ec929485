// Hooks for tests and benchmarks that drive the toolkit in-process: scripted
// requester answers, simulated user input and views of the toolkit's state.
// Only tests and benchmarks link this library; the program never does.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vandrel::tk::testing {

// The next file requester returns `paths` at once instead of showing itself
// (an empty list is a cancel); `observe` sees the title, start path and pattern.
struct RequesterAnswer {
  std::vector<std::string> paths;
  std::function<void(const std::string& title, const std::string& startPath,
                     const std::string& pattern)>
      observe;
};
void ScriptRequester(RequesterAnswer answer);

// Runs `action` once on the main thread the next time it waits for events,
// after `milliseconds`; also inside nested loops (dialogs, requesters).
void AtNextWait(std::function<void()> action, int milliseconds = 0);
// Whether the main thread is blocked waiting for events (an action of
// AtNextWait may also run while a window processes what is pending).
bool WaitingForEvents();

// User input as the toolkit's own signals see it.
void ClickGadget(int gadget);
// `modifiers` is a mask of kModifier* values of toolkit/accelerators.h.
void PressKey(int window, int key, int modifiers = 0);
// The close box: posts the close event unless the window is disabled.
void RequestClose(int window);
// The close box as the display delivers it: queued for the toolkit's next
// iteration instead of handled at once.
void QueueCloseRequest(int window);
// A drop of URIs onto a gadget that accepts drops, as a text/uri-list with
// its CR LF separators.
void DropUris(int gadget, const std::vector<std::string>& uris);
// Resizes a window and lets the toolkit process the change.
void ResizeWindow(int window, int width, int height);
// A click on a list row (selecting only it) or on the empty area below the rows.
void ClickListRow(int gadget, int row);
// Where GTK really placed a gadget's widget, relative to its window's gadget area.
void GadgetAllocation(int gadget, int* x, int* y, int* width, int* height);
// Whether the gadget's widget has the keyboard focus; and giving it the focus.
bool GadgetHasFocus(int gadget);
void FocusGadget(int gadget);
// Runs the toolkit's pending work until `done` is true or `milliseconds` pass,
// without taking events from the queue. True when `done` became true.
bool SpinUntil(const std::function<bool()>& done, int milliseconds = 5000);
// The texts of the window's text gadgets and buttons, in creation order.
std::vector<std::string> WindowTexts(int window);
// The numbers of the window's gadgets, in creation order.
std::vector<int> WindowGadgets(int window);
// The number of the window opened last; for finding a dialog's window.
int LastOpenedWindow();
// Whether a button is its window's default widget (and allowed to be).
bool GadgetIsDefault(int gadget);
// Whether the gadget is the one its window gives the keyboard focus to, even
// while the window itself is not the focused one.
bool GadgetIsWindowFocus(int gadget);
// The X11 window of a shown window, after a round trip to the server, so
// that its properties can be read from another connection; 0 when unshown.
unsigned long NativeWindowId(int window);
// Runs every frame timer's tick now, as an event wait does when one is due,
// but takes no event and waits for nothing: work polled beside the window
// goes on while the events already queued stay where they are.
void RunFrameTimers();
// Calls `observer` with a row's index each time a row of list `gadget`
// changes (text or image), on the main thread, inside the call that made the
// change. Replaces the list's previous
// observer; an empty one removes it. Ends with the gadget.
void ObserveListRows(int gadget, std::function<void(int row)> observer);
// What a screen reader reads for the image of row `row` of list `gadget`,
// asked through ATK as AT-SPI asks: the image cell's description and its
// image description, empty when there is none.
std::pair<std::string, std::string> ListRowImageDescription(int gadget, int row);
// The description a screen reader gets for the text cell of row `row`,
// column `column` of list `gadget`; empty when there is none.
std::string ListRowTextDescription(int gadget, int row, int column);
// What ATK tells a screen reader a window or menu item is: its role's name
// ("dialog", "radio menu item") and the names of its states ("modal",
// "checked").
struct AccessibleFacts {
  std::string role;
  std::set<std::string> states;
};
AccessibleFacts WindowAccessible(int window);
AccessibleFacts MenuItemAccessible(int menu, int item);
// Style rules over every window, above the program's own, as a theme or a
// larger font would set them; an empty text takes them away again.
void SetScreenCss(const std::string& css);

}  // namespace vandrel::tk::testing

namespace vandrel::tk {

// Number of events waiting in the queue.
int CountQueuedEvents();
// Screen position of the window's client area.
void WindowPosition(int number, int* x, int* y);
// Emits the menu item as if the user chose it (nothing when it is disabled).
void ActivateMenuItem(int menu, int item);
// The family the font system actually uses for the font.
std::string FontResolvedFamily(int id);

}  // namespace vandrel::tk

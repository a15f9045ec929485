// Numbered gadgets in the window opened last: every one occupies exactly the
// rectangle it is given, whatever its content. Calls from other threads are
// handed to the main thread (see toolkit.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::tk {

using ImageRef = void*;  // an image handle from ImageID(), or nullptr

enum TextAlignment : int { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2 };
enum ListFlags : int { kListMultiSelect = 1, kListGridLines = 4 };
enum ColourTarget : int { kFrontColour = 1, kBackColour = 2 };
// Attributes of a progress bar for SetGadgetAttribute.
inline constexpr int kProgressBarMinimum = 1;
inline constexpr int kProgressBarMaximum = 2;
// Attribute: how much of the step after the value is done, in thousandths,
// drawn but not counted in the value; setting the value clears it. Lets a
// bar whose steps are files move while one large file is read.
inline constexpr int kProgressBarPart = 3;
inline constexpr int kProgressBarPartScale = 1000;
// Event types of a list: its selection changed, a row was clicked, double
// or right clicked, or Ctrl+C was pressed while the list had the focus.
inline constexpr int kListEventSelection = 0;
inline constexpr int kListEventClick = 1;
inline constexpr int kListEventDoubleClick = 2;
inline constexpr int kListEventRightClick = 3;
inline constexpr int kListEventCopy = 4;
// Event types of a string gadget: it took or lost the focus, its text changed.
inline constexpr int kStringEventFocusIn = 256;
inline constexpr int kStringEventFocusOut = 512;
inline constexpr int kStringEventChange = 768;

// Each returns the number (a new one for kAutomatic) or, for a fixed
// number, a non-zero value; 0 on failure.
int FrameGadget(int number, int x, int y, int width, int height, const std::string& caption);
int TextGadget(int number, int x, int y, int width, int height, const std::string& text,
               int alignment = kAlignLeft);
int StringGadget(int number, int x, int y, int width, int height, const std::string& text);
int ButtonGadget(int number, int x, int y, int width, int height, const std::string& caption);
// Options created one after another form a group; the first is selected.
int OptionGadget(int number, int x, int y, int width, int height, const std::string& caption);
int ListIconGadget(int number, int x, int y, int width, int height, const std::string& firstTitle,
                   int firstWidth, int flags);
int ProgressBarGadget(int number, int x, int y, int width, int height, int minimum, int maximum);
int ImageGadget(int number, int x, int y, int width, int height, ImageRef image);

bool IsGadget(int number);
void SetGadgetFont(int number, void* font);
void SetGadgetColor(int number, int target, std::int32_t colour);
void SetGadgetText(int number, const std::string& text);
std::string GetGadgetText(int number);
void DisableGadget(int number, bool disabled);
// Makes a button its window's default widget, drawn as the one Return
// answers, and gives it the keyboard focus.
void SetDefaultButton(int number);
// Gives the gadget the keyboard focus in its window.
void SetActiveGadget(int number);
// A small image at the end of a string gadget, with `tip` shown over it; a
// null image takes the mark away. The field's text is not touched.
void SetStringGadgetMark(int number, ImageRef image, const std::string& tip);
// Option: 1 selected / 0. Progress bar: value. List: first selected row or
// -1; setting it selects only that row and scrolls it to the middle.
int GetGadgetState(int number);
void SetGadgetState(int number, int state);
void SetGadgetAttribute(int number, int attribute, int value);
void ResizeGadget(int number, int x, int y, int width, int height);
void GadgetToolTip(int number, const std::string& text);
int GadgetWidth(int number);

// `text` as a label can show it: unchanged when it is UTF-8; otherwise each
// byte that belongs to no UTF-8 sequence becomes U+FFFD, as GLib's display
// names show a file name on a UTF-8 system.
std::string DisplayText(const std::string& text);

// Lists. A column's text is kept byte for byte (any bytes but NUL, such as a
// file name's own) and shown in its display form. A list shows the rows of a
// program's source (toolkit/list_source.h), and its removals ask the program
// to drop the rows.
void AddGadgetColumn(int number, int position, const std::string& title, int width);
void SetGadgetColumnTitle(int number, int column, const std::string& title);
void SetGadgetColumnWidth(int number, int column, int width);
int CountGadgetItems(int number);
std::string GetGadgetItemText(int number, int row, int column);
bool IsGadgetItemSelected(int number, int row);
// The selected rows, ascending.
std::vector<int> SelectedGadgetItems(int number);
void SetGadgetItemSelected(int number, int row, bool selected);
void RemoveGadgetItem(int number, int row);
// Removes every selected row at once, the others keeping their order, and
// leaves no row selected. Returns how many went.
int RemoveSelectedGadgetItems(int number);
void ClearGadgetItems(int number);
// Files dragged onto the gadget with the copy action post a drop event.
void EnableGadgetDrop(int number);

}  // namespace vandrel::tk

// What tests read back from windows, gadgets, lists and menus: questions the
// program never asks, since it knows what it set. They run on the main
// thread as the toolkit's own calls do. Only tests and benchmarks link this
// library; the program never does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/gadgets.h"

namespace vandrel::tk {

bool IsWindow(int number);
std::string WindowTitle(int number);

bool IsGadgetDisabled(int number);
int GetGadgetAttribute(int number, int attribute);
std::string GadgetToolTipText(int number);
// The mark at the end of a string gadget and the tip over it; nullptr and
// empty when there is none.
ImageRef StringGadgetMark(int number, std::string* tip = nullptr);
// What ATK gives a screen reader as the gadget's description.
std::string GadgetAccessibleDescription(int number);
int GadgetX(int number);
int GadgetY(int number);
int GadgetHeight(int number);

std::string GadgetColumnTitle(int number, int column);
int GadgetColumnWidth(int number, int column);
// Whether the list's cell shows its whole text: its column is as wide as the
// text needs, and the view scrolls far enough sideways to show all of it.
bool ListCellShownWhole(int number, int row, int column);
// Whether the button or option shows its caption whole (not cut with an
// ellipsis), and where the caption's text ends, from the gadget area's left.
struct CaptionShown {
  bool whole = false;
  int right = 0;
};
CaptionShown GadgetCaption(int number);
ImageRef GetGadgetItemImage(int number, int row);
// The row's tooltip as shown: every column's whole text (which a narrow
// column cuts short), then the lines the row's owner adds (ListRowSource).
std::string GadgetItemToolTipText(int number, int row);

// Image `id`'s pixels row by row, four bytes each (red, green, blue, alpha);
// empty when the id holds no image.
std::vector<std::uint8_t> ImagePixels(int id);

bool IsMenuItemDisabled(int menu, int item);
// The title without its mnemonic marks.
std::string GetMenuTitleText(int menu, int index);
int GetMenuItemState(int menu, int item);
bool MenuItemHasImage(int menu, int item);
// Items of the top-level menu `index`, separators not counted.
int CountMenuItems(int menu, int index);

}  // namespace vandrel::tk

// The main window's building, layout and relabelling.
#include "app/main_window.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/help.h"
#include "app/program_state.h"
#include "app/results_view.h"
#include "core/algorithm.h"
#include "core/ids.h"
#include "settings/text_table.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kMainWindowFlags = tk::kWindowInvisible | tk::kWindowSizeGadget |
                                 tk::kWindowSystemMenu | tk::kWindowTitleBar |
                                 tk::kWindowMinimizeGadget | tk::kWindowScreenCentered;

void Font(int gadget, int font) { tk::SetGadgetFont(gadget, tk::FontID(font)); }

void BuildMenu() {
  if (!tk::CreateImageMenu(kMainMenu, tk::WindowID(kMainWindow))) return;
  tk::MenuTitle(T("tMenuFILE"));
  tk::MenuItem(kMenuOpen, T("tMenuOPEN"), tk::ImageID(kImageMenuOpen));
  tk::MenuItem(kMenuVerify, T("tMenuVERIFY"));
  tk::MenuItem(kMenuCompare, T("tMenuCOMPARE"));
  // Below the list commands that were there before it: they keep their places.
  tk::MenuItem(kMenuVerifyWithKey, T("tMenuVERIFYKEY"));
  tk::MenuBar();
  tk::MenuItem(kMenuQuit, T("tMenuQUIT"), tk::ImageID(kImageMenuQuit));
  tk::MenuTitle(T("tMenuLANGUAGES"));
  ProgramState& program = Program();
  std::vector<LanguageMenuItem> languages = program.languages.menuItems(program.settings.Language);
  for (const LanguageMenuItem& item : languages) tk::MenuRadioItem(item.id, item.text);
  for (const LanguageMenuItem& item : languages) {
    if (item.checked) tk::SetMenuItemState(kMainMenu, item.id, 1);
  }
  tk::MenuTitle(T("tMenuHELP"));
  tk::MenuItem(kMenuOpenHelp, T("tMenuOPENHELP"), tk::ImageID(kImageMenuHelp));
  EnableHelpItem();
  tk::MenuBar();
  tk::MenuItem(kMenuAbout, T("tMenuABOUT"), tk::ImageID(kImageMenuAbout));
  tk::MenuBar();
  tk::MenuItem(kMenuOpenWeb, T("tMenuOPENWEB"), tk::ImageID(kImageMenuWeb));
}

// The layout counts its rows from the window's height, with a menu bar of
// this height above the gadgets. A taller bar (a larger font, another theme)
// would push the bottom row out of the window and cut Calculate off, so the
// layout is given the height less the difference.
constexpr int kLayoutMenuBarHeight = 25;

int LayoutHeight(int windowHeight) {
  return windowHeight - std::max(0, tk::MenuBarHeight(kMainWindow) - kLayoutMenuBarHeight);
}

// Where each gadget of the main window sits for a client area of w x h. The
// one table that both building and resizing read, so the two never disagree.
struct Place {
  int gadget, x, y, width, height;
};

std::vector<Place> MainWindowLayout(int w, int h) {
  std::vector<Place> places = {
      {kGadgetSourceFrame, 5, 5, w - 10, h - 167},
      {kGadgetSource, 10, 23, w - 145, 27},
      {kGadgetBrowse, w - 130, 23, 120, 27},
      {kGadgetResults, 10, 63, w - 20, h - 265},
      {kGadgetClipboard, 10, h - 195, 120, 27},
      {kGadgetSave, 135, h - 195, 120, 27},
      {kGadgetDelete, w - 255, h - 195, 120, 27},
      {kGadgetDeleteAll, w - 130, h - 195, 120, 27},
      {kGadgetSettingsFrame, 5, h - 150, w - 10, 80},
      {kGadgetAlgorithmLabel, 10, h - 130, 100, 22},
      {kGadgetBitsLabel, 10, h - 100, 100, 22},
      {kGadgetProgress, 5, h - 60, w - 145, 27},
      // The bottom row stands 5 pixels above the window's edge, as the
      // frames and Calculate do from the sides: flush with the edge, the
      // button's lower border and shadow were cut off.
      {kGadgetCalculate, w - 135, h - 65, 130, 35},
  };
  for (std::size_t i = 0; i < kAlgorithmOptionGadgets.size(); ++i) {
    places.push_back({kAlgorithmOptionGadgets[i], 130 + 90 * static_cast<int>(i), h - 132, 70, 22});
  }
  for (std::size_t i = 0; i < kSizeOptionGadgets.size(); ++i) {
    places.push_back({kSizeOptionGadgets[i], 130 + 90 * static_cast<int>(i), h - 102, 70, 22});
  }
  return places;
}

void BuildGadgets(int w, int h) {
  std::map<int, Place> at;
  for (const Place& place : MainWindowLayout(w, h)) at[place.gadget] = place;
  auto frame = [&](int gadget, const std::string& text) {
    const Place& p = at[gadget];
    tk::FrameGadget(gadget, p.x, p.y, p.width, p.height, text);
  };
  auto button = [&](int gadget, const std::string& text, int font) {
    const Place& p = at[gadget];
    tk::ButtonGadget(gadget, p.x, p.y, p.width, p.height, text);
    Font(gadget, font);
  };
  auto label = [&](int gadget, const std::string& text) {
    const Place& p = at[gadget];
    tk::TextGadget(gadget, p.x, p.y, p.width, p.height, text);
    Font(gadget, kFontMain);
  };
  auto option = [&](int gadget, const std::string& text) {
    const Place& p = at[gadget];
    tk::OptionGadget(gadget, p.x, p.y, p.width, p.height, text);
    Font(gadget, kFontMain);
  };

  frame(kGadgetSourceFrame, T("tMainSOURCE"));
  const Place& source = at[kGadgetSource];
  tk::StringGadget(kGadgetSource, source.x, source.y, source.width, source.height, "");
  Font(kGadgetSource, kFontMain);
  tk::GadgetToolTip(kGadgetSource, T("tMainSOURCETIP"));
  button(kGadgetBrowse, T("tGenBROWSE"), kFontMain);
  const Place& results = at[kGadgetResults];
  // The name column starts wider than half; the first resize evens them out.
  tk::ListIconGadget(kGadgetResults, results.x, results.y, results.width, results.height,
                     T("tMainFILENAME"), w - 240, tk::kListMultiSelect | tk::kListGridLines);
  Font(kGadgetResults, kFontList);
  tk::AddGadgetColumn(kGadgetResults, 1, T("tMainHASH"), (w - 20) / 2);
  Font(kGadgetResults, kFontList);
  tk::EnableGadgetDrop(kGadgetResults);
  ShowResultsInList();
  for (auto [gadget, key] :
       {std::pair{kGadgetClipboard, "tMainCLIPBOARD"}, std::pair{kGadgetSave, "tMainSAVE"},
        std::pair{kGadgetDelete, "tMainDELETE"}, std::pair{kGadgetDeleteAll, "tMainDELETEALL"}}) {
    button(gadget, T(key), kFontMain);
    tk::DisableGadget(gadget, true);
  }
  frame(kGadgetSettingsFrame, T("tMainSETTINGS"));
  label(kGadgetAlgorithmLabel, T("tMainALGORITHM"));
  for (std::size_t i = 0; i < kAlgorithms.size(); ++i) {
    option(kAlgorithmOptionGadgets[i], std::string(kAlgorithms[i].label));
  }
  // The label between the groups ends group A, so the sizes form group B.
  label(kGadgetBitsLabel, T("tMainBITS"));
  for (std::size_t i = 0; i < kDigestSizes.size(); ++i) {
    option(kSizeOptionGadgets[i], std::to_string(kDigestSizes[i]));
  }
  const Place& progress = at[kGadgetProgress];
  tk::ProgressBarGadget(kGadgetProgress, progress.x, progress.y, progress.width, progress.height, 0,
                        100);
  button(kGadgetCalculate, T("tMainCALCULATE"), kFontCalculate);
  tk::DisableGadget(kGadgetCalculate, true);
}

}  // namespace

bool BuildMainWindow() {
  const WindowSize size = Program().settings.window;
  if (!tk::OpenWindow(kMainWindow, 0, 0, size.width, size.height, kWindowTitle, kMainWindowFlags)) {
    return false;
  }
  tk::WindowBounds(kMainWindow, kMinimumWidth, kMinimumHeight, tk::kUnchanged, tk::kUnchanged);
  BuildMenu();
  // Gadgets are placed for the size the window really has: a stored size
  // below the minimum opens at the minimum. Their y coordinates count from
  // below the menu bar, while the height they are derived from includes it.
  BuildGadgets(tk::WindowWidth(kMainWindow), LayoutHeight(tk::WindowHeight(kMainWindow)));
  tk::AddKeyboardShortcut(kMainWindow, tk::kKeyF1, kMenuOpenHelp);
  ShowDigestOptions(Program().settings.digest);
  return true;
}

void RelayoutMainWindow() {
  const int w = tk::WindowWidth(kMainWindow);
  const int h = tk::WindowHeight(kMainWindow);
  Program().settings.window = {w, h};
  for (const Place& place : MainWindowLayout(w, LayoutHeight(h))) {
    tk::ResizeGadget(place.gadget, place.x, place.y, place.width, place.height);
  }
  tk::SetGadgetColumnWidth(kGadgetResults, 0, (w - 20) / 2);
  tk::SetGadgetColumnWidth(kGadgetResults, 1, (w - 20) / 2);
}

void RelabelMainWindow(bool jobRunning) {
  tk::SetMenuTitleText(kMainMenu, 0, T("tMenuFILE"));
  tk::SetMenuItemText(kMainMenu, kMenuOpen, T("tMenuOPEN"));
  tk::SetMenuItemText(kMainMenu, kMenuVerify, T("tMenuVERIFY"));
  tk::SetMenuItemText(kMainMenu, kMenuVerifyWithKey, T("tMenuVERIFYKEY"));
  tk::SetMenuItemText(kMainMenu, kMenuCompare, T("tMenuCOMPARE"));
  tk::SetMenuItemText(kMainMenu, kMenuQuit, T("tMenuQUIT"));
  tk::SetMenuTitleText(kMainMenu, 1, T("tMenuLANGUAGES"));
  tk::SetMenuTitleText(kMainMenu, 2, T("tMenuHELP"));
  tk::SetMenuItemText(kMainMenu, kMenuOpenHelp, T("tMenuOPENHELP"));
  tk::SetMenuItemText(kMainMenu, kMenuAbout, T("tMenuABOUT"));
  tk::SetMenuItemText(kMainMenu, kMenuOpenWeb, T("tMenuOPENWEB"));
  tk::SetGadgetText(kGadgetSourceFrame, T("tMainSOURCE"));
  tk::GadgetToolTip(kGadgetSource, T("tMainSOURCETIP"));
  tk::SetGadgetText(kGadgetBrowse, T("tGenBROWSE"));
  tk::SetGadgetColumnTitle(kGadgetResults, 0, T("tMainFILENAME"));
  tk::SetGadgetColumnTitle(kGadgetResults, 1, T("tMainHASH"));
  tk::SetGadgetText(kGadgetClipboard, T("tMainCLIPBOARD"));
  tk::SetGadgetText(kGadgetSave, T("tMainSAVE"));
  tk::SetGadgetText(kGadgetDelete, T("tMainDELETE"));
  tk::SetGadgetText(kGadgetDeleteAll, T("tMainDELETEALL"));
  tk::SetGadgetText(kGadgetSettingsFrame, T("tMainSETTINGS"));
  tk::SetGadgetText(kGadgetAlgorithmLabel, T("tMainALGORITHM"));
  tk::SetGadgetText(kGadgetBitsLabel, T("tMainBITS"));
  // While a job runs the button cancels, and says so in the new language.
  tk::SetGadgetText(kGadgetCalculate, T(jobRunning ? "tMainCANCEL" : "tMainCALCULATE"));
}

void ShowDigestOptions(DigestKind digest) {
  // A size that is not an option (a family of one size) leaves the size
  // options as they are.
  for (std::size_t i = 0; i < kDigestSizes.size(); ++i) {
    if (kDigestSizes[i] == digest.bits) tk::SetGadgetState(kSizeOptionGadgets[i], 1);
  }
  tk::SetGadgetState(kAlgorithmOptionGadgets[static_cast<std::size_t>(digest.algorithm)], 1);
  ApplySizeOptionRule();
}

void ApplySizeOptionRule() {
  bool sizes = false;
  for (std::size_t i = 0; i < kAlgorithmOptionGadgets.size(); ++i) {
    if (tk::GetGadgetState(kAlgorithmOptionGadgets[i])) sizes = HasSizes(kAlgorithms[i].algorithm);
  }
  SetSizeOptionsEnabled(sizes);
}

void SetSizeOptionsEnabled(bool enabled) {
  for (int option : kSizeOptionGadgets) tk::DisableGadget(option, !enabled);
}

DigestKind SelectedDigest() {
  DigestKind digest = Program().settings.digest;
  for (std::size_t i = 0; i < kAlgorithmOptionGadgets.size(); ++i) {
    if (tk::GetGadgetState(kAlgorithmOptionGadgets[i])) digest.algorithm = kAlgorithms[i].algorithm;
  }
  for (std::size_t i = 0; i < kSizeOptionGadgets.size(); ++i) {
    if (tk::GetGadgetState(kSizeOptionGadgets[i])) digest.bits = kDigestSizes[i];
  }
  return digest;
}

}  // namespace vandrel

// The main window's building, layout and relabelling.
#include "app/main_window.h"

#include "core/ids.h"
#include "settings/program.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kMainWindowFlags = tk::kWindowInvisible | tk::kWindowSizeGadget |
                                 tk::kWindowSystemMenu | tk::kWindowTitleBar |
                                 tk::kWindowMinimizeGadget | tk::kWindowScreenCentered;

constexpr int kAlgorithmOptions[] = {kGadgetCrc32, kGadgetMd5, kGadgetSha1, kGadgetSha2,
                                     kGadgetSha3};
constexpr int kSizeOptions[] = {kGadgetBits224, kGadgetBits256, kGadgetBits384, kGadgetBits512};

void Font(int gadget, int font) { tk::SetGadgetFont(gadget, tk::FontID(font)); }

void BuildMenu() {
  if (!tk::CreateImageMenu(kMainMenu, tk::WindowID(kMainWindow))) return;
  tk::MenuTitle(T("tMenuFILE"));
  tk::MenuItem(kMenuOpen, T("tMenuOPEN"), tk::ImageID(kImageMenuOpen));
  tk::MenuBar();
  tk::MenuItem(kMenuQuit, T("tMenuQUIT"), tk::ImageID(kImageMenuQuit));
  tk::MenuTitle(T("tMenuLANGUAGES"));
  ProgramState& program = Program();
  std::vector<LanguageMenuItem> languages = program.languages.menuItems(program.settings.Language);
  for (const LanguageMenuItem& item : languages) tk::MenuItem(item.id, item.text);
  for (const LanguageMenuItem& item : languages) {
    if (item.checked) tk::SetMenuItemState(kMainMenu, item.id, 1);
  }
  tk::MenuTitle(T("tMenuHELP"));
  tk::MenuItem(kMenuOpenHelp, T("tMenuOPENHELP"), tk::ImageID(kImageMenuHelp));
  // Help is reached through F1 only.
  tk::DisableMenuItem(kMainMenu, kMenuOpenHelp, true);
  tk::MenuBar();
  tk::MenuItem(kMenuAbout, T("tMenuABOUT"), tk::ImageID(kImageMenuAbout));
  tk::MenuBar();
  tk::MenuItem(kMenuOpenWeb, T("tMenuOPENWEB"), tk::ImageID(kImageMenuWeb));
}

void BuildGadgets(int w, int h) {
  tk::FrameGadget(kGadgetSourceFrame, 5, 5, w - 10, h - 167, T("tMainSOURCE"));
  tk::StringGadget(kGadgetSource, 10, 23, w - 145, 27, "");
  Font(kGadgetSource, kFontMain);
  tk::GadgetToolTip(kGadgetSource, T("tMainSOURCETIP"));
  tk::ButtonGadget(kGadgetBrowse, w - 130, 23, 120, 27, T("tGenBROWSE"));
  Font(kGadgetBrowse, kFontMain);
  tk::ListIconGadget(kGadgetResults, 10, 63, w - 20, h - 265, T("tMainFILENAME"), w - 240,
                     tk::kListMultiSelect | tk::kListGridLines);
  Font(kGadgetResults, kFontList);
  tk::AddGadgetColumn(kGadgetResults, 1, T("tMainHASH"), (w - 20) / 2);
  Font(kGadgetResults, kFontList);
  tk::EnableGadgetDrop(kGadgetResults);
  struct Button {
    int gadget, x;
    const char* key;
  };
  for (Button button : {Button{kGadgetClipboard, 10, "tMainCLIPBOARD"},
                        Button{kGadgetSave, 135, "tMainSAVE"},
                        Button{kGadgetDelete, w - 255, "tMainDELETE"},
                        Button{kGadgetDeleteAll, w - 130, "tMainDELETEALL"}}) {
    tk::ButtonGadget(button.gadget, button.x, h - 195, 120, 27, T(button.key));
    Font(button.gadget, kFontMain);
    tk::DisableGadget(button.gadget, true);
  }
  tk::FrameGadget(kGadgetSettingsFrame, 5, h - 150, w - 10, 80, T("tMainSETTINGS"));
  tk::TextGadget(kGadgetAlgorithmLabel, 10, h - 130, 100, 22, T("tMainALGORITHM"));
  Font(kGadgetAlgorithmLabel, kFontMain);
  const char* algorithms[] = {"CRC32", "MD5", "SHA1", "SHA2", "SHA3"};
  for (int i = 0; i < 5; ++i) {
    tk::OptionGadget(kAlgorithmOptions[i], 130 + 90 * i, h - 132, 70, 22, algorithms[i]);
    Font(kAlgorithmOptions[i], kFontMain);
  }
  // The label between the groups ends group A, so the sizes form group B.
  tk::TextGadget(kGadgetBitsLabel, 10, h - 100, 100, 22, T("tMainBITS"));
  Font(kGadgetBitsLabel, kFontMain);
  const char* sizes[] = {"224", "256", "384", "512"};
  for (int i = 0; i < 4; ++i) {
    tk::OptionGadget(kSizeOptions[i], 130 + 90 * i, h - 102, 70, 22, sizes[i]);
    Font(kSizeOptions[i], kFontMain);
  }
  tk::ProgressBarGadget(kGadgetProgress, 5, h - 55, w - 145, 27, 0, 100);
  tk::ButtonGadget(kGadgetCalculate, w - 135, h - 60, 130, 35, T("tMainCALCULATE"));
  Font(kGadgetCalculate, kFontCalculate);
  tk::DisableGadget(kGadgetCalculate, true);
}

void ApplyOptionSettings() {
  const Settings& settings = Program().settings;
  if (settings.Bits >= 0 && settings.Bits <= 3) tk::SetGadgetState(kSizeOptions[settings.Bits], 1);
  if (settings.Fingerprint >= 0 && settings.Fingerprint <= 4) {
    tk::SetGadgetState(kAlgorithmOptions[settings.Fingerprint], 1);
    ApplySizeOptionRule();
  }
}

}  // namespace

bool BuildMainWindow() {
  Settings& settings = Program().settings;
  if (!tk::OpenWindow(kMainWindow, 0, 0, settings.WindowWidth, settings.WindowHeight,
                      kWindowTitle, kMainWindowFlags)) {
    return false;
  }
  tk::WindowBounds(kMainWindow, kMinimumWidth, kMinimumHeight, tk::kUnchanged, tk::kUnchanged);
  BuildMenu();
  // Gadgets are placed for the size the window really has: a stored size
  // below the minimum opens at the minimum. Their y coordinates count from
  // below the menu bar, while the height they are derived from includes it.
  BuildGadgets(tk::WindowWidth(kMainWindow), tk::WindowHeight(kMainWindow));
  tk::AddKeyboardShortcut(kMainWindow, tk::kKeyF1, kMenuOpenHelp);
  ApplyOptionSettings();
  return true;
}

void RelayoutMainWindow() {
  const int w = tk::WindowWidth(kMainWindow);
  const int h = tk::WindowHeight(kMainWindow);
  Settings& settings = Program().settings;
  settings.WindowWidth = w;
  settings.WindowHeight = h;
  const int same = tk::kUnchanged;
  tk::ResizeGadget(kGadgetSourceFrame, same, same, w - 10, h - 167);
  tk::ResizeGadget(kGadgetSource, same, same, w - 145, same);
  tk::ResizeGadget(kGadgetBrowse, w - 130, same, same, same);
  tk::ResizeGadget(kGadgetResults, same, same, w - 20, h - 265);
  tk::SetGadgetColumnWidth(kGadgetResults, 0, (w - 20) / 2);
  tk::SetGadgetColumnWidth(kGadgetResults, 1, (w - 20) / 2);
  tk::ResizeGadget(kGadgetClipboard, same, h - 195, same, same);
  tk::ResizeGadget(kGadgetSave, same, h - 195, same, same);
  tk::ResizeGadget(kGadgetDelete, w - 255, h - 195, same, same);
  tk::ResizeGadget(kGadgetDeleteAll, w - 130, h - 195, same, same);
  tk::ResizeGadget(kGadgetSettingsFrame, same, h - 150, w - 10, same);
  tk::ResizeGadget(kGadgetAlgorithmLabel, same, h - 130, same, same);
  for (int option : kAlgorithmOptions) tk::ResizeGadget(option, same, h - 132, same, same);
  tk::ResizeGadget(kGadgetBitsLabel, same, h - 100, same, same);
  for (int option : kSizeOptions) tk::ResizeGadget(option, same, h - 102, same, same);
  tk::ResizeGadget(kGadgetProgress, same, h - 55, w - 145, same);
  tk::ResizeGadget(kGadgetCalculate, w - 135, h - 60, same, same);
}

void RelabelMainWindow(bool jobRunning) {
  tk::SetMenuTitleText(kMainMenu, 0, T("tMenuFILE"));
  tk::SetMenuItemText(kMainMenu, kMenuOpen, T("tMenuOPEN"));
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

void ApplySizeOptionRule() {
  bool sizes = tk::GetGadgetState(kGadgetSha2) || tk::GetGadgetState(kGadgetSha3);
  for (int option : kSizeOptions) tk::DisableGadget(option, !sizes);
}

int SelectedFingerprint() {
  for (int i = 0; i < 5; ++i) {
    if (tk::GetGadgetState(kAlgorithmOptions[i])) return i;
  }
  return Program().settings.Fingerprint;
}

int SelectedBits() {
  for (int i = 0; i < 4; ++i) {
    if (tk::GetGadgetState(kSizeOptions[i])) return i;
  }
  return Program().settings.Bits;
}

}  // namespace vandrel

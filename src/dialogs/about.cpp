// The About window: built anew on every call from the current language, torn
// down by HandleAboutEvent. It has no loop of its own; the main event loop
// delivers its events.
#include "dialogs/about.h"

#include "core/ids.h"
#include "dialogs/web_link.h"
#include "settings/text_table.h"
#include "toolkit/accessibility.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kAboutX = 228;  // has no effect: the window is centred over the main window
constexpr int kAboutY = 172;
constexpr int kAboutWidth = 600;
constexpr int kAboutHeight = 250;
constexpr int kAboutFlags =
    tk::kWindowInvisible | tk::kWindowSystemMenu | tk::kWindowTitleBar | tk::kWindowWindowCentered;
constexpr int kOkRightInset = 105;  // from the window's right edge to the OK button
constexpr int kOkY = 220;
constexpr int kOkWidth = 100;
constexpr int kOkHeight = 25;

constexpr char kProgramName[] = "Vandrel";
constexpr char kCreditBlock[] =
    "\n"
    "Vandrel is made by the Brassholt team\n"
    "\n"
    "Copyright (c) 2026 the Brassholt team\n"
    "Brassholt\n"
    "\n";

}  // namespace

std::string AboutText(const std::string& manualPage) {
  std::string text = kVersionLine;
  text += "\n\n";
  text += T("tAboutCODE");
  text += kCreditBlock;
  // Where the manual is, and the key that opens it; a path and a key name
  // read the same in every language. The text gadget has room for nine
  // lines, so the manual's line takes the place of the blank line above
  // the web address.
  if (!manualPage.empty()) text.pop_back();
  text += kMakerWebAddress;
  text += '\n';
  if (!manualPage.empty()) text += "F1: " + manualPage + '\n';
  return text;
}

void ShowAbout(const std::string& manualPage) {
  const std::string text = AboutText(manualPage);
  if (!tk::OpenWindow(kAboutWindow, kAboutX, kAboutY, kAboutWidth, kAboutHeight, T("tAboutTITLE"),
                      kAboutFlags, tk::WindowID(kMainWindow))) {
    return;
  }
  tk::DisableWindow(kMainWindow, true);
  // A dialog to the desktop and to screen readers, as it is to the user.
  tk::SetWindowModal(kAboutWindow, true);
  tk::SetWindowAccessibleRole(kAboutWindow, tk::WindowRole::kDialog, text);
  tk::ImageGadget(kGadgetAboutLogo, 5, 5, 128, 128, tk::ImageID(kImageLogo));
  tk::TextGadget(kGadgetAboutName, 150, 10, 445, 45, kProgramName);
  // The manual's line is a ninth line of text, whose descenders the usual
  // box would cut: the box then starts a little higher and reaches down to
  // the OK button.
  const bool nineLines = !manualPage.empty();
  tk::TextGadget(kGadgetAboutText, 150, nineLines ? 52 : 55, 445, nineLines ? 166 : 160, text);
  tk::ButtonGadget(kGadgetAboutOk, tk::WindowWidth(kAboutWindow) - kOkRightInset, kOkY, kOkWidth,
                   kOkHeight, T("tGenOK"));
  tk::SetGadgetFont(kGadgetAboutName, tk::FontID(kFontAboutTitle));
  tk::SetGadgetFont(kGadgetAboutText, tk::FontID(kFontMain));
  tk::HideWindow(kAboutWindow, false);
}

bool HandleAboutEvent(int kind, int gadget) {
  bool closes =
      kind == tk::kEventCloseWindow || (kind == tk::kEventGadget && gadget == kGadgetAboutOk);
  if (!closes) return false;
  tk::CloseWindow(kAboutWindow);
  tk::DisableWindow(kMainWindow, false);
  return true;
}

}  // namespace vandrel

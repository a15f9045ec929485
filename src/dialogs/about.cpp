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

std::string AboutText() {
  std::string text = kVersionLine;
  text += "\n\n";
  text += T("tAboutCODE");
  text += kCreditBlock;
  text += kMakerWebAddress;
  text += '\n';
  return text;
}

void ShowAbout() {
  const std::string text = AboutText();
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
  tk::TextGadget(kGadgetAboutText, 150, 55, 445, 160, text);
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

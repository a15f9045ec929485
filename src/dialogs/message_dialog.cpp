// The message dialog: built anew for every call from one of the four
// configurations, run in its own loop on the shared event queue, and torn
// down before it returns.
#include "dialogs/message_dialog.h"

#include <algorithm>

#include "core/ids.h"
#include "settings/text_table.h"
#include "toolkit/accessibility.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

constexpr int kDialogFlags =
    tk::kWindowInvisible | tk::kWindowSystemMenu | tk::kWindowTitleBar | tk::kWindowWindowCentered;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kEscapeEvent = 1;
constexpr int kReturnEvent = 2;

// Every backslash-n, the n in either case, becomes a line feed.
std::string WithLineBreaks(const std::string& message) {
  std::string text;
  text.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\\' && i + 1 < message.size() &&
        (message[i + 1] == 'n' || message[i + 1] == 'N')) {
      text += '\n';
      ++i;
    } else {
      text += message[i];
    }
  }
  return text;
}

MessageDialogConfig Defaults(int height, int icon, std::int32_t textColour) {
  MessageDialogConfig config;
  config.width = 440;
  config.height = height;
  config.icon = icon;
  config.textColour = textColour;
  config.font = kFontDialog;
  config.bandKind = 3;
  config.backgroundColour = 0xFFFFFF;
  config.bandColour = 0xFFFFFF;
  config.textAlignment = 0;
  return config;
}

}  // namespace

MessageDialogConfigs& DialogConfigs() {
  static MessageDialogConfigs configs;
  return configs;
}

void ResetDialogConfigs() {
  MessageDialogConfigs& configs = DialogConfigs();
  configs.notice = Defaults(160, kImageDialogNotice, -1);
  configs.notice.secondButtonPlacement = 0;
  configs.warningQuestion = Defaults(120, kImageDialogWarning, 0x000000);
  configs.warningQuestion.secondButtonPlacement = 1;
  configs.errorNotice = Defaults(120, kImageDialogError, -1);
  configs.errorNotice.secondButtonPlacement = 0;
  configs.cancelQuestion = Defaults(120, kImageDialogQuestion, -1);
  configs.cancelQuestion.secondButtonPlacement = 1;
  RefreshDialogTexts();
}

void RefreshDialogTexts() {
  MessageDialogConfigs& configs = DialogConfigs();
  const std::string question = T("tGenNO") + "|" + T("tGenYES");
  for (MessageDialogConfig* config :
       {&configs.notice, &configs.warningQuestion, &configs.errorNotice, &configs.cancelQuestion}) {
    config->title = T("tGenMESSAGE");
  }
  configs.notice.buttons = T("tGenOK");
  configs.errorNotice.buttons = T("tGenOK");
  configs.warningQuestion.buttons = question;
  configs.cancelQuestion.buttons = question;
  configs.notice.icon = kImageDialogNotice;
  configs.warningQuestion.icon = kImageDialogWarning;
  configs.errorNotice.icon = kImageDialogError;
  configs.cancelQuestion.icon = kImageDialogQuestion;
}

void SetDialogBackground(std::int32_t colour) {
  MessageDialogConfigs& configs = DialogConfigs();
  for (MessageDialogConfig* config :
       {&configs.notice, &configs.warningQuestion, &configs.errorNotice, &configs.cancelQuestion}) {
    config->backgroundColour = colour;
    config->bandColour = colour;
  }
}

MessageDialogConfig WithHeight(MessageDialogConfig config, std::int32_t height) {
  config.height = height;
  return config;
}

MessageDialogConfig WithIcon(MessageDialogConfig config, std::int32_t icon) {
  config.icon = icon;
  return config;
}

std::string MessageText(const std::string& message) { return WithLineBreaks(message); }

int MessageLineBreaks(const std::string& message) {
  const std::string text = WithLineBreaks(message);
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string MessageLines(std::initializer_list<std::string> lines) {
  std::string message;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (!message.empty()) message += kMessageLineBreak;
    message += line;
  }
  return message;
}

MessageDialogLayout LayoutMessageDialog(const MessageDialogConfig& config,
                                        const std::string& message, int iconWidth, int iconHeight,
                                        bool entry) {
  MessageDialogLayout layout;
  layout.text = WithLineBreaks(message);
  std::size_t bar = config.buttons.find('|');
  bool twoButtons = bar != std::string::npos;
  if (twoButtons) {
    layout.secondButtonText = config.buttons.substr(0, bar);
    std::size_t end = config.buttons.find('|', bar + 1);
    layout.firstButtonText =
        config.buttons.substr(bar + 1, end == std::string::npos ? end : end - bar - 1);
  } else {
    layout.firstButtonText = config.buttons;
  }
  bool icon = config.icon >= 0 && iconWidth > 0;
  int height = config.height;
  if (icon && iconHeight + 9 >= height) height = iconHeight + 10;
  int width = config.width;
  layout.width = width;
  layout.height = height;
  layout.textX = icon ? iconWidth + 10 : 5;
  layout.textWidth = icon ? width - iconWidth - 15 : width - 10;
  layout.textHeight = height - 40;
  layout.bandY = height - 35;
  switch (config.bandKind) {
    case 1:
      layout.bandX = layout.textX, layout.bandWidth = layout.textWidth, layout.bandHeight = 1;
      break;
    case 2:
      layout.bandX = 0, layout.bandWidth = width, layout.bandHeight = 1;
      break;
    case 3:
      layout.bandX = 0, layout.bandWidth = width, layout.bandHeight = 35;
      break;
    default:
      layout.bandHeight = 0;
      break;
  }
  // The entry stands 5 pixels above the band, and the text gives up its room.
  if (entry) {
    layout.entryY = layout.bandY - 5 - kDialogEntryHeight;
    layout.textHeight = std::max(0, layout.entryY - 10);
  }
  layout.buttonY = height - 30;
  layout.firstButtonX = width - 95;
  if (twoButtons && config.secondButtonPlacement == 0) layout.secondButtonX = layout.textX;
  if (twoButtons && config.secondButtonPlacement == 1) layout.secondButtonX = width - 190;
  return layout;
}

namespace {

// Both dialogs: `entry` null for a message, else the input dialog's text.
int RunDialog(const MessageDialogConfig& config, const std::string& message, std::string* entry) {
  int iconWidth = config.icon >= 0 ? tk::ImageWidth(config.icon) : 0;
  int iconHeight = config.icon >= 0 ? tk::ImageHeight(config.icon) : 0;
  MessageDialogLayout layout =
      LayoutMessageDialog(config, message, iconWidth, iconHeight, entry != nullptr);

  tk::DisableWindow(kMainWindow, true);
  // Centred over the main window (kDialogFlags): the position is not used.
  int window = tk::OpenWindow(tk::kAutomatic, 0, 0, layout.width, layout.height, config.title,
                              kDialogFlags, tk::WindowID(kMainWindow));
  if (!window) {
    tk::DisableWindow(kMainWindow, false);
    return 0;
  }
  tk::SetWindowAccessibleRole(window, entry ? tk::WindowRole::kDialog : tk::WindowRole::kAlert,
                              layout.text);
  if (config.backgroundColour != -1) tk::SetWindowColor(window, config.backgroundColour);
  if (iconWidth > 0) {
    tk::ImageGadget(tk::kAutomatic, 5, 5, iconWidth, iconHeight, tk::ImageID(config.icon));
  }
  int text = tk::TextGadget(tk::kAutomatic, layout.textX, 5, layout.textWidth, layout.textHeight,
                            layout.text, config.textAlignment);
  if (config.font != -1) tk::SetGadgetFont(text, tk::FontID(config.font));
  if (config.backgroundColour != -1)
    tk::SetGadgetColor(text, tk::kBackColour, config.backgroundColour);
  if (config.textColour != -1) tk::SetGadgetColor(text, tk::kFrontColour, config.textColour);
  if (layout.bandHeight > 0) {
    int band = tk::TextGadget(tk::kAutomatic, layout.bandX, layout.bandY, layout.bandWidth,
                              layout.bandHeight, "");
    if (config.bandColour != -1) tk::SetGadgetColor(band, tk::kBackColour, config.bandColour);
  }
  int field = 0;
  if (entry) {
    field = tk::StringGadget(tk::kAutomatic, layout.textX, layout.entryY, layout.textWidth,
                             kDialogEntryHeight, *entry);
    tk::LabelGadgetBy(field, text);
  }
  int second = -1;
  if (layout.secondButtonX >= 0) {
    second = tk::ButtonGadget(tk::kAutomatic, layout.secondButtonX, layout.buttonY, kButtonWidth,
                              kButtonHeight, layout.secondButtonText);
  }
  int first = tk::ButtonGadget(tk::kAutomatic, layout.firstButtonX, layout.buttonY, kButtonWidth,
                               kButtonHeight, layout.firstButtonText);
  // Return answers with the first button whatever has the focus; that button
  // also holds the focus and is drawn as the default, so that what a screen
  // reader announces and what the theme shows match what Return does.
  tk::SetDefaultButton(first);
  if (field) tk::SetActiveGadget(field);
  tk::AddKeyboardShortcut(window, tk::kKeyEscape, kEscapeEvent);
  tk::AddKeyboardShortcut(window, tk::kKeyReturn, kReturnEvent);
  tk::HideWindow(window, false);

  int result = -1;
  while (result < 0) {
    int kind = tk::WaitWindowEventOf(window);
    if (kind == tk::kEventGadget) {
      if (tk::EventGadget() == first)
        result = 1;
      else if (second >= 0 && tk::EventGadget() == second)
        result = 0;
    } else if (kind == tk::kEventMenu) {
      if (tk::EventMenu() == kReturnEvent)
        result = 1;
      else if (tk::EventMenu() == kEscapeEvent)
        result = 0;
    } else if (kind == tk::kEventCloseWindow) {
      result = 0;
    }
  }
  if (field && result == 1) *entry = tk::GetGadgetText(field);
  // The main window is enabled before the dialog goes: closing lets the
  // toolkit handle what is pending, and a click the user sent right after
  // the answer (the close box) must reach the loop that follows, not be
  // dropped as if the dialog were still open.
  tk::DisableWindow(kMainWindow, false);
  tk::CloseWindow(window);
  return result;
}

}  // namespace

int ShowMessageDialog(const MessageDialogConfig& config, const std::string& message) {
  return RunDialog(config, message, nullptr);
}

int ShowInputDialog(const MessageDialogConfig& config, const std::string& message,
                    std::string* text) {
  return RunDialog(config, message, text);
}

}  // namespace vandrel

// The program's own modal message dialog: an icon, a wrapping text, a band
// along the bottom and one or two buttons. Every notice and yes/no question
// of the program goes through ShowMessageDialog; a question answered with a
// line of text goes through ShowInputDialog, the same window with an entry.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace vandrel {

struct MessageDialogConfig {
  std::int32_t width = 440;
  std::int32_t height = 120;  // minimum height
  std::string title;
  std::int32_t backgroundColour = -1;  // 0x00BBGGRR, -1 for the theme's
  std::int8_t textAlignment = 0;
  std::int32_t textColour = -1;
  std::int32_t font = -1;
  std::int32_t icon = -1;
  std::string buttons;  // "first" or "second|first"
  std::int32_t bandKind = 0;
  std::int32_t bandColour = -1;
  std::int8_t secondButtonPlacement = 1;
};

struct MessageDialogConfigs {
  MessageDialogConfig notice;
  MessageDialogConfig warningQuestion;
  MessageDialogConfig errorNotice;
  MessageDialogConfig cancelQuestion;
};

// The four configurations the program keeps.
MessageDialogConfigs& DialogConfigs();
// Start-up defaults: sizes, icons, font, band; texts from the table as it is.
void ResetDialogConfigs();
// Titles and button texts from the text table, and the icons again; after
// every language load.
void RefreshDialogTexts();
// The main window's theme background into every configuration's background
// and band colour.
void SetDialogBackground(std::int32_t colour);

// A kept configuration changed for one dialog: the copy takes the change,
// so the kept one needs no putting back after the call.
MessageDialogConfig WithHeight(MessageDialogConfig config, std::int32_t height);
MessageDialogConfig WithIcon(MessageDialogConfig config, std::int32_t icon);

// A line break in a message: a backslash and an n (the dialog takes an N too).
inline constexpr char kMessageLineBreak[] = "\\n";
// The texts joined by message line breaks, the empty ones left out: a
// language file without a key still shows what follows it.
std::string MessageLines(std::initializer_list<std::string> lines);
// `message` as the dialog shows it: a line feed for each line break.
std::string MessageText(const std::string& message);
// How many lines `message` adds below its first, by the dialog's own rule.
int MessageLineBreaks(const std::string& message);

// Shows `message` (kMessageLineBreak breaks a line) and waits for the
// answer: 1 for the first button or Return, 0 for the second button,
// Escape or the close box. Main thread only; the main window is disabled
// while the dialog is open.
int ShowMessageDialog(const MessageDialogConfig& config, const std::string& message);

// The same dialog with a one-line entry between the message and the band,
// which holds `*text` at first and has the keyboard focus. On 1 (the first
// button or Return) `*text` is what the entry holds then; on 0 it is left
// as it was. Return and Escape answer as they do above, whatever has the
// focus; everything else typed, pasted included, goes to the entry.
int ShowInputDialog(const MessageDialogConfig& config, const std::string& message,
                    std::string* text);

// Where the dialog's parts go, computed from a configuration without opening
// a window.
struct MessageDialogLayout {
  int width = 0, height = 0;
  int textX = 0, textWidth = 0, textHeight = 0;
  int bandX = 0, bandY = 0, bandWidth = 0, bandHeight = 0;  // bandHeight 0: no band
  int firstButtonX = 0, secondButtonX = -1, buttonY = 0;    // secondButtonX -1: none
  int entryY = -1;                                          // -1: no entry
  std::string firstButtonText, secondButtonText, text;
};
MessageDialogLayout LayoutMessageDialog(const MessageDialogConfig& config,
                                        const std::string& message, int iconWidth, int iconHeight,
                                        bool entry = false);
// An entry is as wide as the text and this high.
inline constexpr int kDialogEntryHeight = 27;

}  // namespace vandrel

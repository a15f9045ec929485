// The numbers that tie the program together: windows, gadgets, menu items,
// fonts and images. Every other file names them through these constants.
#pragma once

#include <array>

namespace vandrel {

inline constexpr int kMainWindow = 0;
inline constexpr int kAboutWindow = 1;
inline constexpr int kMainMenu = 0;

enum Gadget : int {
  kGadgetSourceFrame = 0,
  kGadgetSource = 1,
  kGadgetBrowse = 2,
  kGadgetResults = 3,
  kGadgetClipboard = 4,
  kGadgetSave = 5,
  kGadgetDelete = 6,
  kGadgetDeleteAll = 7,
  kGadgetSettingsFrame = 8,
  kGadgetAlgorithmLabel = 11,
  kGadgetBitsLabel = 12,
  kGadgetCrc32 = 13,
  kGadgetMd5 = 14,
  kGadgetSha1 = 15,
  kGadgetSha2 = 16,
  kGadgetSha3 = 17,
  kGadgetBits224 = 18,
  kGadgetBits256 = 19,
  kGadgetBits384 = 20,
  kGadgetBits512 = 21,
  kGadgetProgress = 22,
  kGadgetCalculate = 23,
  kGadgetAboutLogo = 24,
  kGadgetAboutName = 25,
  kGadgetAboutText = 26,
  kGadgetAboutOk = 27,
};

// The option gadgets in the order of the algorithm table and of the sizes.
inline constexpr std::array<int, 5> kAlgorithmOptionGadgets = {
    kGadgetCrc32, kGadgetMd5, kGadgetSha1, kGadgetSha2, kGadgetSha3};
inline constexpr std::array<int, 4> kSizeOptionGadgets = {kGadgetBits224, kGadgetBits256,
                                                          kGadgetBits384, kGadgetBits512};

enum MenuItemId : int {
  kMenuOpen = 0,
  kMenuQuit = 1,
  kMenuOpenHelp = 2,
  kMenuAbout = 3,
  kMenuOpenWeb = 4,
  kMenuFirstLanguage = 5,
  // Far above any language item, which count up from kMenuFirstLanguage.
  kMenuVerify = 0x4000,
  kMenuCompare = 0x4001,
  kMenuVerifyWithKey = 0x4002,
};

enum FontId : int {
  kFontMain = 0,        // "Arial" 11
  kFontCalculate = 1,   // "Arial" 14 bold
  kFontList = 2,        // "Arial" 10
  kFontDialog = 3,      // "Arial" 12 bold
  kFontAboutTitle = 4,  // "Tahoma" 25
};

enum ImageId : int {
  kImageLogo = 0,
  kImageMenuWeb = 1,
  kImageDialogError = 2,
  kImageDialogNotice = 3,
  kImageDialogQuestion = 4,
  kImageDialogWarning = 5,
  kImageMenuOpen = 6,
  kImageMenuAbout = 7,
  kImageMenuHelp = 8,
  kImageMenuQuit = 9,
  kImageRowComputing = 10,
  kImageRowComputed = 11,
  kImageRowQueued = 12,
  kImageRowFailed = 13,
  // A row from a checksum list: a computed or failed square with a mark that
  // tells a match from a difference and from a missing file without colour,
  // and a screen reader's description of its own.
  kImageRowMatches = 14,
  kImageRowDiffers = 15,
  kImageRowMissing = 16,
};

// The custom event a checksum job posts when it ends.
inline constexpr int kEventJobFinished = 0x10000;
// The custom event the toolkit posts when the desktop ends the program
// (a logout's or a terminal's signal).
inline constexpr int kEventEndOfSession = 0x10001;
// The custom event the help watcher posts when the manual's opener failed.
inline constexpr int kEventManualNotShown = 0x10002;
// Posted when Compare with copied checksum has its answer.
inline constexpr int kEventCompareFinished = 0x10003;

inline constexpr char kWindowTitle[] = "Vandrel v1.0.0.0 (arm32) - Brassholt";
inline constexpr char kVersionLine[] = "v1.0.0.0 (arm32)";
inline constexpr int kMinimumWidth = 840;
inline constexpr int kMinimumHeight = 600;

}  // namespace vandrel

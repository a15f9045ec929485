// Entry point of the dialog GUI suites: brings the toolkit up once, loads the
// fonts and built-in images the dialogs use, fills the few texts they show
// and opens window 0 as a stand-in main window.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "embedded_images.h"
#include "settings/text_table.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

int main(int argc, char** argv) {
  using namespace vandrel;
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest does so to discover them) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (!tk::InitialiseToolkit(&argc, &argv)) {
    std::fprintf(stderr, "These tests need an X display (run them under Xvfb).\n");
    return 1;
  }
  tk::LoadFont(kFontMain, "Arial", 11);
  tk::LoadFont(kFontCalculate, "Arial", 14, tk::kFontBold);
  tk::LoadFont(kFontList, "Arial", 10);
  tk::LoadFont(kFontDialog, "Arial", 12, tk::kFontBold);
  tk::LoadFont(kFontAboutTitle, "Tahoma", 25);
  for (int id = 0; id < kEmbeddedImageCount; ++id) {
    tk::CatchImage(id, kEmbeddedImages[id].data, kEmbeddedImages[id].size);
  }

  TextTable& texts = Texts();
  texts.setText("tGenOK", "OK");
  texts.setText("tGenYES", "Yes");
  texts.setText("tGenNO", "No");
  texts.setText("tGenMESSAGE", "Message");
  texts.setText("tAboutTITLE", "About Vandrel");
  texts.setText("tAboutCODE", "Design and programming: the Brassholt team");
  ResetDialogConfigs();

  if (!tk::OpenWindow(kMainWindow, 0, 0, 840, 600, "Vandrel",
                      tk::kWindowSystemMenu | tk::kWindowTitleBar | tk::kWindowSizeGadget)) {
    std::fprintf(stderr, "The stand-in main window cannot be opened.\n");
    return 1;
  }
  tk::ProcessPendingToolkitEvents();
  return RUN_ALL_TESTS();
}

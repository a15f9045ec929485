// Start-up and shutdown. Everything here runs on the main thread.
#include "app/startup.h"

#include <clocale>
#include <cstdio>

#include "app/accelerators.h"
#include "app/accessibility.h"
#include "app/event_loop.h"
#include "app/file_intake.h"
#include "app/help.h"
#include "app/main_window.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "embedded_images.h"
#include "settings/preferences.h"
#include "settings/program.h"
#include "system/files.h"
#include "system/paths.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "toolkit/window_icon.h"

namespace vandrel {

void LoadBuiltInFonts() {
  tk::LoadFont(kFontList, "Arial", 10);
  tk::LoadFont(kFontMain, "Arial", 11);
  tk::LoadFont(kFontCalculate, "Arial", 14, tk::kFontBold);
  tk::LoadFont(kFontDialog, "Arial", 12, tk::kFontBold);
  tk::LoadFont(kFontAboutTitle, "Tahoma", 25);
}

void DecodeBuiltInImages() {
  for (int id = 0; id < kEmbeddedImageCount; ++id) {
    tk::CatchImage(id, kEmbeddedImages[id].data, kEmbeddedImages[id].size);
  }
  for (const ImageAlias& alias : kVerifiedRowImages) {
    const auto& picture = kEmbeddedImages[alias.drawnAs];
    tk::CatchImage(alias.image, picture.data, picture.size);
  }
}

namespace {

[[noreturn]] void SaveAndEnd() {
  ProgramState& program = Program();
  program.settings.Fingerprint = SelectedFingerprint();
  program.settings.Bits = SelectedBits();
  Preferences(program.settings).save(program.preferencesDirectory);
  StopHelpProgram();
  tk::EndOfProgram(0);
}

}  // namespace

void LoadSettingsAndLanguage() { LoadSettingsAndLanguage(sys::PathPart(sys::ProgramPath())); }

void LoadSettingsAndLanguage(const std::string& programDirectory) {
  ProgramState& program = Program();
  program.programDirectory = programDirectory;
  program.configurationDirectory = sys::HomeDirectory() + ".Brassholt/Vandrel/";
  Preferences preferences(program.settings);
  program.preferencesDirectory = program.programDirectory;
  if (!preferences.load(program.programDirectory)) {
    if (sys::FileSize(program.configurationDirectory) == sys::kFileMissing) {
      sys::MakeDirectoryPath(program.configurationDirectory);
    }
    preferences.load(program.configurationDirectory);
    program.preferencesDirectory = program.configurationDirectory;
    if (program.settings.Language.empty()) {
      const std::string lang = sys::EnvironmentVariable("LANG");
      program.settings.Language = lang.substr(0, lang.find('.'));
      if (program.settings.Language.empty()) program.settings.Language = "en_GB";
    }
  }
  program.languages.discover(program.programDirectory);
  if (!program.languages.contains(program.settings.Language)) program.settings.Language = "en_GB";
  program.languages.load(program.programDirectory + kCatalogueName, program.settings.Language,
                         program.texts);
  RefreshDialogTexts();
}

void RunVandrel(int argc, char** argv) {
  sys::SetCommandLine(argc, argv);
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  // Without a display there is no window to open: end as if it failed to
  // open, but say why, or a start from a script or a remote shell would end
  // without a trace.
  if (!tk::InitialiseToolkit(&argc, &argv)) {
    const std::string display = sys::EnvironmentVariable("DISPLAY");
    std::fprintf(stderr, "Vandrel: cannot open the display%s%s\n", display.empty() ? "" : " ",
                 display.c_str());
    tk::EndOfProgram(0);
  }
  ProgramState& program = Program();
  program.settings = Settings{};
  program.windowBackground = 0xFFFFFF;
  ResetDialogConfigs();
  RegisterStandardDigests();
  LoadBuiltInFonts();
  DecodeBuiltInImages();
  tk::SetProgramIcon(kImageLogo);
  program.commandLineSources.clear();
  for (int i = 0; i < sys::CountProgramParameters(); ++i) {
    program.commandLineSources.push_back(sys::ProgramParameter(i));
  }
  LoadSettingsAndLanguage();
  if (!BuildMainWindow()) tk::EndOfProgram(0);
  AddMainWindowAccelerators();
  DescribeMainWindow();
  // A file manager hands over every selected file: each goes in, in order,
  // as a drop of the same paths would.
  for (const std::string& source : program.commandLineSources) AddSource(source);
  program.windowBackground = tk::WindowThemeBackground(kMainWindow);
  SetDialogBackground(program.windowBackground);
  tk::HideWindow(kMainWindow, false);
  RunEventLoop();
  SaveAndEnd();
}

}  // namespace vandrel

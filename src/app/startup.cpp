// Start-up and shutdown. Everything here runs on the main thread.
#include "app/startup.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/accelerators.h"
#include "app/accessibility.h"
#include "app/command_line.h"
#include "app/event_loop.h"
#include "app/file_intake.h"
#include "app/help.h"
#include "app/job_runner.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_model/results_model.h"
#include "app/verify_list.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "digest/digest_engine.h"
#include "embedded_images.h"
#include "settings/preferences.h"
#include "settings/text_table.h"
#include "system/files.h"
#include "system/paths.h"
#include "toolkit/gadgets.h"
#include "toolkit/resources.h"
#include "toolkit/session_end.h"
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
}

namespace {

// What every way out does before the toolkit goes, the loss of the display
// included.
void SavePreferencesAndStopHelp() {
  ProgramState& program = Program();
  program.settings.digest = SelectedDigest();
  Preferences(program.settings).save(program.preferencesDirectory);
  StopHelpProgram();
}

[[noreturn]] void SaveAndEnd() {
  SavePreferencesAndStopHelp();
  tk::EndOfProgram(0);
}

// --help, --version and usage errors end here, before any display is needed.
void AnswerWithoutWindow(const CommandLine& commandLine) {
  switch (commandLine.action) {
    case CommandLine::Action::Help:
      std::fputs(CommandLineHelp().c_str(), stdout);
      std::exit(0);
    case CommandLine::Action::Version:
      std::fputs(CommandLineVersion().c_str(), stdout);
      std::exit(0);
    case CommandLine::Action::Usage:
      std::fprintf(stderr, "%s\n", commandLine.complaint.c_str());
      std::exit(2);
    case CommandLine::Action::Run:
      break;
  }
}

}  // namespace

void LoadSettingsAndLanguage() { LoadSettingsAndLanguage(sys::PathPart(sys::ProgramPath())); }

void LoadSettingsAndLanguage(const std::string& programDirectory) {
  ProgramState& program = Program();
  program.programDirectory = programDirectory;
  program.configurationDirectory = sys::HomeDirectory() + ".Brassholt/Vandrel/";
  // The languages are known before the preferences are read, so that the
  // stored or wished-for language is checked against them in one place.
  program.languages.discover(program.programDirectory);
  PreferenceLimits limits;
  tk::DesktopWorkArea(&limits.workArea.width, &limits.workArea.height);
  for (const LanguageEntry& entry : program.languages.entries())
    limits.languages.push_back(entry.code);
  limits.languageList = sys::EnvironmentVariable("LANGUAGE");
  limits.lang = sys::EnvironmentVariable("LANG");
  Preferences preferences(program.settings, std::move(limits));
  program.preferencesDirectory = program.programDirectory;
  const bool besideProgram = preferences.load(program.programDirectory);
  if (!besideProgram) {
    if (sys::FileSize(program.configurationDirectory) == sys::kFileMissing) {
      sys::MakeDirectoryPath(program.configurationDirectory);
    }
    preferences.load(program.configurationDirectory);
    program.preferencesDirectory = program.configurationDirectory;
  }
  // Portable use beside the program keeps what its file says, even no language.
  preferences.settleLanguage(!besideProgram);
  program.languages.load(program.programDirectory + kCatalogueName, program.settings.Language,
                         Texts());
  RefreshDialogTexts();
}

void StartCommandLineJob(const CommandLine& commandLine) {
  if (commandLine.verify) {
    VerifyLists(commandLine.paths);
  } else if (commandLine.calculate && Results().size() > 0) {
    // As Calculate would: the options are still those the preferences chose.
    StartJob();
  }
}

void RunVandrel(int argc, char** argv) {
  sys::SetCommandLine(argc, argv);
  const CommandLine commandLine =
      ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  AnswerWithoutWindow(commandLine);
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  // GTK sees no argument: every one is the program's, and a file named like
  // one of GTK's options must stay a file.
  int toolkitArgc = std::min(argc, 1);
  // Without a display there is no window to open: end as if it failed to
  // open, but say why, or a start from a script or a remote shell would end
  // without a trace.
  if (!tk::InitialiseToolkit(&toolkitArgc, &argv)) {
    const std::string display = sys::EnvironmentVariable("DISPLAY");
    std::fprintf(stderr, "Vandrel: cannot open the display%s%s\n", display.empty() ? "" : " ",
                 display.c_str());
    tk::EndOfProgram(0);
  }
  tk::PostEventOnEndSignals(kEventEndOfSession);
  ProgramState& program = Program();
  program.settings = Settings{};
  ResetDialogConfigs();
  RegisterStandardDigests();
  LoadBuiltInFonts();
  DecodeBuiltInImages();
  tk::SetProgramIcon(kImageLogo);
  LoadSettingsAndLanguage();
  if (!BuildMainWindow()) tk::EndOfProgram(0);
  // From here on the settings can be read back from the window.
  tk::OnDisplayLost(SavePreferencesAndStopHelp);
  AddMainWindowAccelerators();
  DescribeMainWindow();
  // A file manager hands over every selected file: each goes in, in order,
  // as a drop of the same paths would.
  if (!commandLine.verify) {
    for (const std::string& source : commandLine.paths) AddSource(source);
  }
  SetDialogBackground(tk::WindowThemeBackground(kMainWindow));
  tk::HideWindow(kMainWindow, false);
  // After the window shows, so that a notice or the summary has a window to
  // stand over.
  StartCommandLineJob(commandLine);
  RunEventLoop();
  SaveAndEnd();
}

}  // namespace vandrel

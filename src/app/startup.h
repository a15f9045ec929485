// Program entry: start-up in its fixed order, the event loop, and shutdown.
#pragma once

#include <string>

namespace vandrel {

struct CommandLine;

// Runs the whole program and ends the process with status 0.
[[noreturn]] void RunVandrel(int argc, char** argv);

// What the command line asks of the shown window, its paths' rows already
// in the list: --verify checks its lists, --calculate starts the job at once
// (when the paths gave rows), otherwise the rows wait for Calculate.
void StartCommandLineJob(const CommandLine& commandLine);

// The five fonts (loaded in the order 2, 0, 1, 3, 4) and the seventeen
// built-in images.
void LoadBuiltInFonts();
void DecodeBuiltInImages();

// Language discovery, directories, the preferences (which settle the
// language), the language's texts and the dialog texts. The first form takes
// the program directory from the executable's path; the second is given it
// (ending in "/"), so that tests can start from a folder of their own.
void LoadSettingsAndLanguage();
void LoadSettingsAndLanguage(const std::string& programDirectory);

}  // namespace vandrel

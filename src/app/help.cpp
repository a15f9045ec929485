// The help program: started on F1, watched every 100 ms, stopped at exit.
//
// Design: the help state (handle, watching flag, watch number) is written by
// the main thread in OpenHelp and StopHelpProgram and by the watcher thread
// when it sees the program gone. The handle is only read or written under
// one mutex, which the watcher holds from its running test to its update:
// the main thread never releases a handle in the middle of a check, and the
// watcher never tests a handle that has been released. (The handle is not an
// atomic: 64-bit atomics need a library call on some ARM targets.)
#include "app/help.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "app/help_state.h"
#include "app/program_state.h"
#include "core/ids.h"
#include "dialogs/manual.h"
#include "settings/text_table.h"
#include "system/threads.h"
#include "toolkit/menus.h"

namespace vandrel {
namespace {

constexpr char kHelpProgram[] = "Leafscope.exe";
constexpr int kWatchIntervalMilliseconds = 100;

}  // namespace

HelpState& Help() {
  static HelpState state;
  return state;
}

std::string HelpFilePath() {
  return Program().programDirectory + "Vandrel_" + T("tLangFileLANGID") + ".help";
}

std::string CurrentManualPage() {
  const ProgramState& program = Program();
  return ManualPath(program.programDirectory, program.settings.Language);
}

bool HelpAvailable() {
  return !sys::FindProgram(kHelpProgram).empty() || !CurrentManualPage().empty();
}

void EnableHelpItem() { tk::DisableMenuItem(kMainMenu, kMenuOpenHelp, !HelpAvailable()); }

void OpenHelp() {
  // The maker's help program wins wherever it is installed.
  if (sys::FindProgram(kHelpProgram).empty()) {
    OpenManual(CurrentManualPage());
    return;
  }
  HelpState& help = Help();
  {
    std::lock_guard lock(help.mutex);
    const sys::ProgramHandle current = help.process;
    if (current != 0 && sys::IsProgram(current)) {
      if (help.watching.load() == 1 || sys::ProgramRunning(current)) return;
      // Ended with no watcher to notice it (its thread could not be made).
      sys::ReleaseProgram(current);
      help.process = 0;
    }
  }
  // The path as one argument, whatever blanks it holds.
  std::string parameters(1, '"');
  parameters += HelpFilePath();
  parameters += '"';
  const sys::ProgramHandle started =
      sys::RunProgram(kHelpProgram, parameters, Program().programDirectory, sys::kRunKeepHandle);
  // Deliberately silent: a missing help program is not worth a message.
  if (started == 0) return;

  std::lock_guard lock(help.mutex);
  help.process = started;
  help.watching = 1;
  const std::int32_t watch = ++help.watch;
  // Without a watcher the handle stays set; the next OpenHelp notices the end.
  if (sys::CreateThread(WatchHelpProgram, watch) == 0) help.watching = 0;
}

// Runs on the watcher thread.
int WatchHelpProgram(int watch) {
  HelpState& help = Help();
  for (;;) {
    {
      std::lock_guard lock(help.mutex);
      if (help.watching.load() != 1 || help.watch.load() != watch) return 0;
      const sys::ProgramHandle process = help.process;
      if (!sys::ProgramRunning(process)) {
        // The runner would keep the ended program's record for ever.
        sys::ReleaseProgram(process);
        help.process = 0;
        help.watching = 0;
        return 0;
      }
    }
    sys::Delay(kWatchIntervalMilliseconds);
  }
}

void StopHelpProgram() {
  HelpState& help = Help();
  // Holding the mutex means the watcher is asleep, waiting, or ended.
  std::lock_guard lock(help.mutex);
  const sys::ProgramHandle process = help.process;
  if (process == 0 || !sys::ProgramRunning(process)) return;
  help.watching = 0;
  sys::KillProgram(process);
  sys::ReleaseProgram(process);
  help.process = 0;
}

}  // namespace vandrel

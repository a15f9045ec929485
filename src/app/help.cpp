// The help program, or the manual's opener: started on F1, watched every
// 100 ms, the help program stopped at exit.
//
// Design: the help state (handle, opener flag, watching flag, watch number)
// is written by the main thread in OpenHelp and StopHelpProgram and by the
// watcher thread when it sees the program gone. The handle is only read or
// written under one mutex, which the watcher holds from its running test to
// its update: the main thread never releases a handle in the middle of a
// check, and the watcher never tests a handle that has been released. (The
// handle is not an atomic: 64-bit atomics need a library call on some ARM
// targets.) An opener that fails is reported to the main thread through a
// posted event; the watcher itself shows nothing.
#include "app/help.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "app/help_state.h"
#include "app/program_state.h"
#include "core/ids.h"
#include "dialogs/manual.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "system/threads.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"

namespace vandrel {
namespace {

constexpr char kHelpProgram[] = "Leafscope.exe";
constexpr int kWatchIntervalMilliseconds = 100;
// An opener that fails does so at once; one still running after this has
// handed the page on (or runs the browser itself, for as long as it is open).
constexpr int kOpenerWatchMilliseconds = 5000;
// Two sentences and a path.
constexpr int kManualNoticeHeight = 190;

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
  // The maker's help program wins wherever it is installed.
  const bool opener = sys::FindProgram(kHelpProgram).empty();
  const std::string page = opener ? CurrentManualPage() : std::string();
  if (opener && page.empty()) return;
  // The help file's path as one argument, whatever blanks it holds.
  const sys::ProgramHandle started =
      opener ? OpenManual(page)
             : sys::RunProgram(kHelpProgram, '"' + HelpFilePath() + '"', Program().programDirectory,
                               sys::kRunKeepHandle);
  if (started == 0) {
    // Deliberately silent for the help program: its absence is not worth a
    // message. Without an opener nothing would show the manual at all.
    if (opener) ShowManualNotShown();
    return;
  }

  std::lock_guard lock(help.mutex);
  help.process = started;
  help.opener = opener;
  help.watching = 1;
  const std::int32_t watch = ++help.watch;
  // Without a watcher the handle stays set; the next OpenHelp notices the end.
  if (sys::CreateThread(WatchHelpProgram, watch) == 0) help.watching = 0;
}

void ShowManualNotShown() {
  ShowMessageDialog(
      WithHeight(WithIcon(DialogConfigs().notice, kImageDialogWarning), kManualNoticeHeight),
      MessageLines({T("tReqNOMANUAL"), tk::DisplayText(CurrentManualPage())}));
}

// Runs on the watcher thread.
int WatchHelpProgram(int watch) {
  HelpState& help = Help();
  for (int waited = 0;; waited += kWatchIntervalMilliseconds) {
    {
      std::lock_guard lock(help.mutex);
      if (help.watching.load() != 1 || help.watch.load() != watch) return 0;
      const sys::ProgramHandle process = help.process;
      const bool ended = !sys::ProgramRunning(process);
      if (ended || (help.opener && waited >= kOpenerWatchMilliseconds)) {
        if (help.opener && sys::ProgramFailed(process)) {
          tk::PostEvent(kEventManualNotShown, kMainWindow);
        }
        // The runner would keep the ended program's record for ever; an
        // opener still running goes on unwatched.
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
  // An opener may have started the user's browser, which is not ours to end.
  if (!help.opener) sys::KillProgram(process);
  sys::ReleaseProgram(process);
  help.process = 0;
}

}  // namespace vandrel

// Views of the help launcher's state, read under the same lock the launcher
// and its watcher use.
#include "testing/app_hooks.h"

#include <mutex>

#include "app/help_state.h"

namespace vandrel {

sys::ProgramHandle HelpProcess() {
  HelpState& help = Help();
  std::lock_guard lock(help.mutex);
  return help.process;
}

bool HelpWatching() { return Help().watching.load() == 1; }

}  // namespace vandrel

// Pruning a results list of 100,000 rows through the program's own
// commands: Delete with most, every other or all rows selected (the cursor
// on a selected row), and Delete all after a click on a row. Each figure is
// the whole command, its question answered at once. Needs an X display; run
// by hand under xvfb-run. Target: every case under one second.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "app/event_loop.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_list.h"
#include "app/results_model/results_model.h"
#include "app/startup.h"
#include "core/ids.h"
#include "dialogs/message_dialog.h"
#include "settings/text_table.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;

void AnswerWithReturn() {
  const int dialog = tk::testing::LastOpenedWindow();
  if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow && tk::IsWindow(dialog)) {
    tk::testing::PressKey(dialog, tk::kKeyReturn);
    return;
  }
  tk::testing::AtNextWait(AnswerWithReturn, 0);
}

void FillList() {
  Results().clear();
  for (int row = 0; row < kRows; ++row)
    Results().append("/bench/folder/file " + std::to_string(row));
  tk::SetGadgetText(kGadgetSource, "/bench/folder/");
  for (int gadget : {kGadgetDelete, kGadgetDeleteAll}) tk::DisableGadget(gadget, false);
}

// `select` picks the rows; the cursor goes on `cursorRow` as a click puts it.
void TimeCommand(const char* name, int cursorRow, const std::function<bool(int)>& select,
                 void (*command)()) {
  FillList();
  tk::SetGadgetState(kGadgetResults, cursorRow);
  for (int row = 0; row < kRows; ++row) {
    if (row != cursorRow && select(row)) tk::SetGadgetItemSelected(kGadgetResults, row, true);
  }
  while (tk::WaitWindowEventTimeout(20) != tk::kEventNone) {
  }
  tk::testing::AtNextWait(AnswerWithReturn, 0);
  const Clock::time_point start = Clock::now();
  command();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("  %-52s %8.3f s, %6d rows left\n", name, seconds,
              tk::CountGadgetItems(kGadgetResults));
}

int Run() {
  LoadBuiltInFonts();
  DecodeBuiltInImages();
  ProgramState& program = Program();
  program.settings = Settings{};
  program.settings.Language = "en_GB";
  program.programDirectory = VANDREL_PROGRAM_DIR "/";
  program.languages.discover(program.programDirectory);
  program.languages.load(program.programDirectory + "Vandrel.lang", "en_GB", Texts());
  ResetDialogConfigs();
  if (!BuildMainWindow()) return 1;
  tk::HideWindow(kMainWindow, false);
  while (tk::WaitWindowEventTimeout(50) != tk::kEventNone) {
  }
  std::printf("%d rows, whole command including its question:\n", kRows);
  TimeCommand(
      "Delete, all but every tenth row selected", 1, [](int row) { return row % 10; },
      DeleteSelected);
  TimeCommand(
      "Delete, every other row selected", 0, [](int row) { return row % 2 == 0; }, DeleteSelected);
  TimeCommand(
      "Delete, every row selected", kRows / 2, [](int) { return true; }, DeleteSelected);
  TimeCommand(
      "Delete all after a click on a row", 0, [](int) { return false; }, DeleteAll);
  TimeCommand(
      "Delete all, nothing selected", -1, [](int) { return false; }, DeleteAll);
  return 0;
}

}  // namespace
}  // namespace vandrel

int main(int argc, char** argv) {
  if (!vandrel::tk::InitialiseToolkit(&argc, &argv)) {
    std::fprintf(stderr, "list_bench needs an X display (run it under xvfb-run)\n");
    return 1;
  }
  const int status = vandrel::Run();
  std::fflush(stdout);
  vandrel::tk::EndOfProgram(status);
}

// The command table of the main window and the About window.
#include "app/event_loop.h"

#include "app/accessibility.h"
#include "app/digest_clipboard.h"
#include "app/file_intake.h"
#include "app/help.h"
#include "app/job_runner.h"
#include "app/job_state.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/results_list.h"
#include "app/verify_list.h"
#include "core/ids.h"
#include "dialogs/about.h"
#include "dialogs/message_dialog.h"
#include "dialogs/web_link.h"
#include "settings/text_table.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

bool AskToQuit() {
  return ShowMessageDialog(DialogConfigs().warningQuestion, T("tReqSURETOEXIT")) == 1;
}

void SwitchLanguage(int item) {
  ProgramState& program = Program();
  const int previous = program.languages.checkedItem();
  if (!program.languages.switchTo(item, Texts(), program.settings.Language)) return;
  if (previous) tk::SetMenuItemState(kMainMenu, previous, 0);
  tk::SetMenuItemState(kMainMenu, item, 1);
  RelabelMainWindow(Job().JobRunning != 0);
  DescribeMainWindow();
  RefreshDialogTexts();
}

// True when the command ends the program.
bool OnMenu(int item) {
  switch (item) {
    case kMenuOpen:
      AddChosenFiles();
      break;
    case kMenuVerify:
      VerifyChecksumList();
      break;
    case kMenuVerifyWithKey:
      VerifyChecksumListWithKey();
      break;
    case kMenuCompare:
      CompareWithClipboard();
      break;
    case kMenuQuit:
      return AskToQuit();
    case kMenuOpenHelp:
      OpenHelp();
      break;
    case kMenuAbout:
      ShowAbout();
      break;
    case kMenuOpenWeb:
      OpenWeb();
      break;
    default:
      if (item >= kMenuFirstLanguage) SwitchLanguage(item);
      break;
  }
  return false;
}

void OnGadget(int gadget) {
  switch (gadget) {
    case kGadgetBrowse:
      AddChosenFiles();
      break;
    case kGadgetResults:
      if (tk::EventType() == tk::kListEventCopy)
        CopySelectedDigests();
      else
        OnListEvent();
      break;
    case kGadgetClipboard:
      CopyToClipboard();
      break;
    case kGadgetSave:
      SaveResults();
      break;
    case kGadgetDelete:
      DeleteSelected();
      break;
    case kGadgetDeleteAll:
      DeleteAll();
      break;
    case kGadgetCrc32:
    case kGadgetMd5:
    case kGadgetSha1:
    case kGadgetSha2:
    case kGadgetSha3:
      SelectAlgorithm(gadget);
      break;
    case kGadgetCalculate:
      if (Job().JobRunning)
        RequestCancel();
      else
        StartJob();
      break;
    default:
      break;  // the source field's text is read when the requester opens
  }
}

bool OnClose() { return Job().JobRunning ? QuitDuringJob() : AskToQuit(); }

// The desktop ends the program: no question, since nobody may be there to
// answer; a running job ends as a confirmed quit ends it, and the normal way
// out saves the preferences.
bool OnEndOfSession() {
  if (Job().JobRunning) EndJobForQuit();
  return true;
}

// True when the event ends the program.
bool DispatchMainWindow(int kind) {
  switch (kind) {
    case tk::kEventMenu:
      return OnMenu(tk::EventMenu());
    case tk::kEventGadget:
      OnGadget(tk::EventGadget());
      break;
    case tk::kEventCloseWindow:
      return OnClose();
    case tk::kEventSizeWindow:
      RelayoutMainWindow();
      break;
    case tk::kEventGadgetDrop:
      if (tk::EventGadget() == kGadgetResults) AddDroppedPaths(tk::EventDroppedPaths());
      break;
    case kEventJobFinished:
      OnJobFinished();
      break;
    case kEventCompareFinished:
      ShowComparison();
      break;
    case kEventEndOfSession:
      return OnEndOfSession();
    case kEventManualNotShown:
      ShowManualNotShown();
      break;
    default:
      break;
  }
  return false;
}

// A size change while a dialog had the main window disabled posted no size
// event; catch up so the gadgets and the stored size are never stale.
void CatchUpMissedResize() {
  const WindowSize stored = Program().settings.window;
  if (tk::WindowWidth(kMainWindow) != stored.width ||
      tk::WindowHeight(kMainWindow) != stored.height) {
    RelayoutMainWindow();
  }
}

}  // namespace

bool DispatchEvent(int kind) {
  const int window = tk::EventWindow();
  bool quits = false;
  if (window == kMainWindow) {
    quits = DispatchMainWindow(kind);
    if (kind != tk::kEventSizeWindow) CatchUpMissedResize();
  } else if (window == kAboutWindow) {
    HandleAboutEvent(kind, tk::EventGadget());
  }
  return quits;
}

void RunEventLoop() {
  while (!DispatchEvent(tk::WaitWindowEvent())) {
  }
}

}  // namespace vandrel

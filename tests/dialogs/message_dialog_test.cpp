// The message dialog on a real display: where its parts stand for each of
// the program's four configurations, how every way of answering maps to 1 or
// 0, the main window's state around it, and which foreign events survive it.
#include "dialogs/message_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ids.h"
#include "dialogs/dialog_test_support.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

using testing::AutomaticGadgets;
using testing::GadgetRect;
using testing::Rect;

constexpr int kKeypadEnter = 65421;
constexpr int kSpace = 32;
constexpr int kActDelay = 50;  // ms: the dialog is shown and waiting by then

// What a test saw of an open dialog, read from inside its own loop.
struct Seen {
  int window = 0;
  int width = 0, height = 0;
  std::string title;
  bool mainDisabled = false;
  std::vector<int> gadgets;
  std::vector<Rect> rects;
  std::vector<std::string> texts;
};

class MessageDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDialogConfigs();
    testing::DrainEvents();
  }

  // Shows `message` with `config`; once it is open, records what it looks
  // like and then runs `answer` with the dialog's window and its gadgets.
  int Show(const MessageDialogConfig& config, const std::string& message,
           std::function<void(int window, const std::vector<int>& gadgets)> answer) {
    tk::testing::AtNextWait(
        [this, answer] {
          seen_.window = tk::testing::LastOpenedWindow();
          seen_.width = tk::WindowWidth(seen_.window);
          seen_.height = tk::WindowHeight(seen_.window);
          seen_.title = tk::WindowTitle(seen_.window);
          seen_.mainDisabled = tk::IsWindowDisabled(kMainWindow);
          seen_.gadgets = AutomaticGadgets();
          for (int gadget : seen_.gadgets) {
            seen_.rects.push_back(GadgetRect(gadget));
            seen_.texts.push_back(tk::GetGadgetText(gadget));
          }
          answer(seen_.window, seen_.gadgets);
        },
        kActDelay);
    return ShowMessageDialog(config, message);
  }

  static void ClickFirst(int, const std::vector<int>& gadgets) {
    tk::testing::ClickGadget(gadgets.back());
  }

  Seen seen_;
};

TEST_F(MessageDialogTest, LayoutPutsEveryConfigurationsPartsToThePixel) {
  const MessageDialogConfigs& configs = DialogConfigs();
  ASSERT_EQ(tk::ImageWidth(kImageDialogNotice), 64);
  ASSERT_EQ(tk::ImageHeight(kImageDialogNotice), 64);

  for (const MessageDialogConfig* notice : {&configs.notice, &configs.errorNotice}) {
    MessageDialogLayout l = LayoutMessageDialog(*notice, "x", 64, 64);
    const int h = notice == &configs.notice ? 160 : 120;
    SCOPED_TRACE(h);
    EXPECT_EQ(l.width, 440);
    EXPECT_EQ(l.height, h);
    EXPECT_EQ(l.textX, 74);
    EXPECT_EQ(l.textWidth, 361);
    EXPECT_EQ(l.textHeight, h - 40);
    EXPECT_EQ((Rect{l.bandX, l.bandY, l.bandWidth, l.bandHeight}), (Rect{0, h - 35, 440, 35}));
    EXPECT_EQ(l.firstButtonX, 345);
    EXPECT_EQ(l.buttonY, h - 30);
    EXPECT_EQ(l.secondButtonX, -1);
    EXPECT_EQ(l.firstButtonText, "OK");
  }
  for (const MessageDialogConfig* question : {&configs.warningQuestion, &configs.cancelQuestion}) {
    MessageDialogLayout l = LayoutMessageDialog(*question, "x", 64, 64);
    EXPECT_EQ(l.height, 120);
    EXPECT_EQ((Rect{l.textX, 5, l.textWidth, l.textHeight}), (Rect{74, 5, 361, 80}));
    EXPECT_EQ((Rect{l.bandX, l.bandY, l.bandWidth, l.bandHeight}), (Rect{0, 85, 440, 35}));
    EXPECT_EQ(l.secondButtonX, 250);
    EXPECT_EQ(l.firstButtonX, 345);
    EXPECT_EQ(l.buttonY, 90);
    EXPECT_EQ(l.secondButtonText, "No");
    EXPECT_EQ(l.firstButtonText, "Yes");
  }
}

TEST_F(MessageDialogTest, LayoutHandlesOddButtonTextsBandsAndTallIcons) {
  MessageDialogConfig config = DialogConfigs().warningQuestion;
  config.buttons = "Alone";
  MessageDialogLayout one = LayoutMessageDialog(config, "", 64, 64);
  EXPECT_EQ(one.secondButtonX, -1);
  EXPECT_EQ(one.firstButtonX, 345);
  EXPECT_EQ(one.firstButtonText, "Alone");

  config.buttons = "A|B|C";
  MessageDialogLayout three = LayoutMessageDialog(config, "", 64, 64);
  EXPECT_EQ(three.secondButtonText, "A");
  EXPECT_EQ(three.firstButtonText, "B");

  config.buttons = "No|Yes";
  config.secondButtonPlacement = 0;
  EXPECT_EQ(LayoutMessageDialog(config, "", 64, 64).secondButtonX, 74);
  config.secondButtonPlacement = 5;
  EXPECT_EQ(LayoutMessageDialog(config, "", 64, 64).secondButtonX, -1);

  config.bandKind = 1;
  MessageDialogLayout line = LayoutMessageDialog(config, "", 64, 64);
  EXPECT_EQ((Rect{line.bandX, line.bandY, line.bandWidth, line.bandHeight}),
            (Rect{74, 85, 361, 1}));
  config.bandKind = 4;
  EXPECT_EQ(LayoutMessageDialog(config, "", 64, 64).bandHeight, 0);

  MessageDialogLayout tall = LayoutMessageDialog(config, "", 64, 111);
  EXPECT_EQ(tall.height, 121);
  config.icon = -1;
  MessageDialogLayout bare = LayoutMessageDialog(config, "", 0, 0);
  EXPECT_EQ(bare.textX, 5);
  EXPECT_EQ(bare.textWidth, 430);
}

TEST_F(MessageDialogTest, QuestionGadgetsStandWhereTheyBelongOnScreen) {
  for (const MessageDialogConfig* question :
       {&DialogConfigs().warningQuestion, &DialogConfigs().cancelQuestion}) {
    seen_ = {};
    Show(*question, "Sure?", ClickFirst);
    EXPECT_EQ(seen_.width, 440);
    EXPECT_EQ(seen_.height, 120);
    EXPECT_EQ(seen_.title, "Message");
    ASSERT_EQ(seen_.gadgets.size(), 5u);  // icon, text, band, No, Yes
    EXPECT_EQ(seen_.rects[0], (Rect{5, 5, 64, 64}));
    EXPECT_EQ(seen_.rects[1], (Rect{74, 5, 361, 80}));
    EXPECT_EQ(seen_.rects[2], (Rect{0, 85, 440, 35}));
    EXPECT_EQ(seen_.rects[3], (Rect{250, 90, 90, 25}));
    EXPECT_EQ(seen_.rects[4], (Rect{345, 90, 90, 25}));
    EXPECT_EQ(seen_.texts[3], "No");
    EXPECT_EQ(seen_.texts[4], "Yes");
  }
}

TEST_F(MessageDialogTest, NoticeGadgetsStandWhereTheyBelongOnScreen) {
  for (const MessageDialogConfig* notice :
       {&DialogConfigs().notice, &DialogConfigs().errorNotice}) {
    seen_ = {};
    const int h = notice == &DialogConfigs().notice ? 160 : 120;
    SCOPED_TRACE(h);
    Show(*notice, "Done.", ClickFirst);
    EXPECT_EQ(seen_.width, 440);
    EXPECT_EQ(seen_.height, h);
    ASSERT_EQ(seen_.gadgets.size(), 4u);  // icon, text, band, OK
    EXPECT_EQ(seen_.rects[0], (Rect{5, 5, 64, 64}));
    EXPECT_EQ(seen_.rects[1], (Rect{74, 5, 361, h - 40}));
    EXPECT_EQ(seen_.rects[2], (Rect{0, h - 35, 440, 35}));
    EXPECT_EQ(seen_.rects[3], (Rect{345, h - 30, 90, 25}));
    EXPECT_EQ(seen_.texts[3], "OK");
  }
}

TEST_F(MessageDialogTest, AnswersFollowTheButtonOrKeyUsed) {
  struct Way {
    const char* name;
    std::function<void(int, const std::vector<int>&)> act;
    int expected;
  };
  const std::vector<Way> ways = {
      {"first button", ClickFirst, 1},
      {"second button", [](int, const std::vector<int>& g) { tk::testing::ClickGadget(g[3]); }, 0},
      {"Return", [](int w, const std::vector<int>&) { tk::testing::PressKey(w, tk::kKeyReturn); },
       1},
      {"keypad Enter",
       [](int w, const std::vector<int>&) { tk::testing::PressKey(w, kKeypadEnter); }, 1},
      {"Escape", [](int w, const std::vector<int>&) { tk::testing::PressKey(w, tk::kKeyEscape); },
       0},
      {"close box", [](int w, const std::vector<int>&) { tk::testing::RequestClose(w); }, 0},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    seen_ = {};
    EXPECT_EQ(Show(DialogConfigs().warningQuestion, "Quit?", way.act), way.expected);
    EXPECT_EQ(seen_.gadgets.size(), 5u);
    EXPECT_FALSE(tk::IsWindow(seen_.window));
  }
}

TEST_F(MessageDialogTest, ReturnAnswersYesEvenWhenTheNoButtonHasTheFocus) {
  // Space activates whichever button has the focus: a freshly opened question
  // focuses Yes, so Space answers 1; moved to No, Space answers 0.
  auto space = [](int w, const std::vector<int>&) { tk::testing::PressKey(w, kSpace); };
  EXPECT_EQ(Show(DialogConfigs().warningQuestion, "Quit?", space), 1);
  auto noThenSpace = [](int w, const std::vector<int>& gadgets) {
    tk::testing::FocusGadget(gadgets[3]);
    tk::testing::PressKey(w, kSpace);
  };
  ASSERT_EQ(Show(DialogConfigs().warningQuestion, "Quit?", noThenSpace), 0);
  bool yesStillDefault = false;
  auto noThenReturn = [&yesStillDefault](int w, const std::vector<int>& gadgets) {
    tk::testing::FocusGadget(gadgets[3]);
    // Still marked as the one Return presses, as it is.
    yesStillDefault = tk::testing::GadgetIsDefault(gadgets[4]);
    tk::testing::PressKey(w, tk::kKeyReturn);
  };
  EXPECT_EQ(Show(DialogConfigs().warningQuestion, "Quit?", noThenReturn), 1);
  EXPECT_TRUE(yesStillDefault);
}

TEST_F(MessageDialogTest, TheButtonReturnAnswersHoldsTheFocusAndIsTheDefaultInEveryKind) {
  const MessageDialogConfigs& configs = DialogConfigs();
  for (const MessageDialogConfig* config :
       {&configs.notice, &configs.warningQuestion, &configs.errorNotice, &configs.cancelQuestion}) {
    SCOPED_TRACE(config->buttons);
    bool firstFocused = false, firstDefault = false, secondFocused = true, secondDefault = true;
    auto look = [&](int, const std::vector<int>& gadgets) {
      const int first = gadgets.back();
      firstFocused = tk::testing::GadgetIsWindowFocus(first);
      firstDefault = tk::testing::GadgetIsDefault(first);
      // Notices have no second button: the text gadget stands in, and must
      // be neither.
      const int second = gadgets[gadgets.size() - 2];
      secondFocused = tk::testing::GadgetIsWindowFocus(second);
      secondDefault = tk::testing::GadgetIsDefault(second);
      tk::testing::RequestClose(seen_.window);
    };
    EXPECT_EQ(Show(*config, "Sure?", look), 0);
    EXPECT_TRUE(firstFocused);
    EXPECT_TRUE(firstDefault);
    EXPECT_FALSE(secondFocused);
    EXPECT_FALSE(secondDefault);
  }
}

TEST_F(MessageDialogTest, MainWindowIsDisabledWhileOpenAndEnabledAfter) {
  ASSERT_FALSE(tk::IsWindowDisabled(kMainWindow));
  Show(DialogConfigs().notice, "Done.", ClickFirst);
  EXPECT_TRUE(seen_.mainDisabled);
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
  // The main window is also the dialog's parent: closing removes only the dialog.
  EXPECT_TRUE(tk::IsWindow(kMainWindow));
}

TEST_F(MessageDialogTest, CustomEventsOutliveTheDialogWhileOtherWindowsEventsAreDropped) {
  auto postThenAnswer = [](int, const std::vector<int>& gadgets) {
    tk::PostEvent(tk::kEventGadget, kMainWindow, kGadgetCalculate);
    tk::PostEvent(kEventJobFinished, kMainWindow);
    tk::PostEvent(tk::kEventMenu, kMainWindow, kMenuQuit);
    tk::PostEvent(kEventJobFinished + 1, kMainWindow, 7);
    tk::testing::ClickGadget(gadgets.back());
  };
  EXPECT_EQ(Show(DialogConfigs().cancelQuestion, "Cancel?", postThenAnswer), 1);

  EXPECT_EQ(tk::CountQueuedEvents(), 2);
  EXPECT_EQ(tk::WaitWindowEventTimeout(0), kEventJobFinished);
  EXPECT_EQ(tk::EventWindow(), kMainWindow);
  EXPECT_EQ(tk::WaitWindowEventTimeout(0), kEventJobFinished + 1);
  EXPECT_EQ(tk::WaitWindowEventTimeout(0), tk::kEventNone);
}

TEST_F(MessageDialogTest, ACloseRequestSentAsTheDialogClosesReachesTheMainLoop) {
  // The answer, then the close box before the toolkit's next iteration: the
  // dialog takes the answer from inside its wait and closes while the close
  // request is pending. The dialog's own showing must be over by then.
  std::function<void()> answerThenClose;
  answerThenClose = [&answerThenClose] {
    if (!tk::testing::WaitingForEvents()) {
      tk::testing::AtNextWait(answerThenClose, 5);
      return;
    }
    tk::testing::PressKey(tk::testing::LastOpenedWindow(), tk::kKeyReturn);
    tk::testing::QueueCloseRequest(kMainWindow);
  };
  tk::testing::AtNextWait(answerThenClose, kActDelay);
  EXPECT_EQ(ShowMessageDialog(DialogConfigs().notice, "Done."), 1);
  EXPECT_EQ(tk::WaitWindowEventTimeout(500), tk::kEventCloseWindow);
  EXPECT_EQ(tk::EventWindow(), kMainWindow);
}

TEST_F(MessageDialogTest, BackslashNInEitherCaseBreaksTheLine) {
  Show(DialogConfigs().notice, "a\\nb\\Nc\td\\", ClickFirst);
  ASSERT_GE(seen_.texts.size(), 2u);
  EXPECT_EQ(seen_.texts[1], "a\nb\nc\td\\");
}

TEST_F(MessageDialogTest, InputDialogHasItsEntryAboveTheBandAndAnswersWithWhatItHolds) {
  MessageDialogConfig config = DialogConfigs().cancelQuestion;
  config.height = 170;
  // From an entry that held "kept": what the call returns, what the text
  // holds afterwards.
  struct Way {
    const char* name;
    std::function<void(int window, const std::vector<int>& gadgets)> act;
    int expected;
    std::string text;
  };
  auto typeAbThen = [](int key) {
    return [key](int w, const std::vector<int>& g) {
      tk::SetGadgetText(g[3], "");
      for (int letter : {int{'a'}, int{'b'}, key}) tk::testing::PressKey(w, letter);
    };
  };
  const std::vector<Way> ways = {
      {"typed, Return", typeAbThen(tk::kKeyReturn), 1, "ab"},
      {"typed, Escape", typeAbThen(tk::kKeyEscape), 0, "kept"},
      {"first button", ClickFirst, 1, "kept"},
      {"second button", [](int, const std::vector<int>& g) { tk::testing::ClickGadget(g[4]); }, 0,
       "kept"},
      {"close box", [](int w, const std::vector<int>&) { tk::testing::RequestClose(w); }, 0,
       "kept"},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    std::string text = "kept";
    std::vector<Rect> rects;
    bool entryFocused = false;
    tk::testing::AtNextWait(
        [&] {
          const std::vector<int> gadgets = AutomaticGadgets();
          for (int gadget : gadgets) rects.push_back(GadgetRect(gadget));
          entryFocused = tk::testing::GadgetIsWindowFocus(gadgets.at(3));
          way.act(tk::testing::LastOpenedWindow(), gadgets);
        },
        kActDelay);
    EXPECT_EQ(ShowInputDialog(config, "Fingerprint?", &text), way.expected);
    EXPECT_EQ(text, way.text);
    // Icon, text, band, entry as wide as the text, Cancel, OK.
    ASSERT_EQ(rects.size(), 6u);
    EXPECT_EQ(rects[1], (Rect{74, 5, 361, 93}));
    EXPECT_EQ(rects[3], (Rect{74, 103, 361, kDialogEntryHeight}));
    EXPECT_TRUE(entryFocused);
  }
}

}  // namespace
}  // namespace vandrel

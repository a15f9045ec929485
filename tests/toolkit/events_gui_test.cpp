// The event queue under a real GTK main loop: waking from other threads,
// coalescing, and the events the toolkit's own signals produce.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/test_rows.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

constexpr int kWindow = 40;

class EventQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        OpenWindow(kWindow, 0, 0, 300, 200, "events", kWindowSystemMenu | kWindowSizeGadget));
    ProcessPendingToolkitEvents();
    Drain();
  }
  void TearDown() override {
    CloseWindow(kWindow);
    Drain();
  }
  static void Drain() {
    while (WaitWindowEventTimeout(20) != kEventNone) {
    }
  }
};

TEST_F(EventQueueTest, CustomEventPostedFromAnotherThreadWakesABlockedWait) {
  std::thread poster([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    PostEvent(kEventCustom + 1, 0, 7);
  });
  auto start = std::chrono::steady_clock::now();
  int kind = WaitWindowEvent();
  poster.join();
  EXPECT_EQ(kind, kEventCustom + 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(EventQueueTest, EqualToolkitEventsCoalesceButCustomEventsAllArrive) {
  QueueToolkitEvent(kEventSizeWindow, kWindow, 0);
  QueueToolkitEvent(kEventSizeWindow, kWindow, 0);
  PostEvent(kEventCustom);
  PostEvent(kEventCustom);
  EXPECT_EQ(WaitWindowEvent(), kEventSizeWindow);
  EXPECT_EQ(WaitWindowEvent(), kEventCustom);
  EXPECT_EQ(WaitWindowEvent(), kEventCustom);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
}

TEST_F(EventQueueTest, ClosingAWindowDropsItsQueuedEvents) {
  int other = OpenWindow(kAutomatic, 0, 0, 100, 100, "other", kWindowSystemMenu);
  ASSERT_NE(other, 0);
  QueueToolkitEvent(kEventGadget, other, 1);
  QueueToolkitEvent(kEventGadget, kWindow, 2);
  CloseWindow(other);
  EXPECT_EQ(WaitWindowEvent(), kEventGadget);
  EXPECT_EQ(EventWindow(), kWindow);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
}

TEST_F(EventQueueTest, ModalWaitDropsOtherWindowsEventsButKeepsCustomOnes) {
  int dialog = OpenWindow(kAutomatic, 0, 0, 100, 100, "dialog", kWindowSystemMenu);
  QueueToolkitEvent(kEventGadget, kWindow, 3);
  PostEvent(kEventCustom, kWindow);
  QueueToolkitEvent(kEventGadget, dialog, 9);
  EXPECT_EQ(WaitWindowEventOf(dialog), kEventGadget);
  EXPECT_EQ(EventGadget(), 9);
  CloseWindow(dialog);
  EXPECT_EQ(WaitWindowEvent(), kEventCustom);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
}

TEST_F(EventQueueTest, CloseBoxPostsAnEventOnlyWhileTheWindowIsEnabled) {
  testing::RequestClose(kWindow);
  EXPECT_EQ(WaitWindowEventTimeout(500), kEventCloseWindow);
  EXPECT_TRUE(IsWindow(kWindow)) << "the program decides whether a window closes";
  DisableWindow(kWindow, true);
  testing::RequestClose(kWindow);
  EXPECT_EQ(WaitWindowEventTimeout(100), kEventNone);
  DisableWindow(kWindow, false);
}

TEST_F(EventQueueTest, OptionsPostOnlyWhenTheUserSelectsOne) {
  OptionGadget(1, 10, 10, 80, 22, "one");
  OptionGadget(2, 10, 40, 80, 22, "two");
  EXPECT_EQ(GetGadgetState(1), 1) << "a new group starts with its first option selected";
  SetGadgetState(2, 1);
  EXPECT_EQ(GetGadgetState(1), 0);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone) << "a change by the program posts nothing";
  testing::ClickGadget(1);
  // A radio button is clicked like a button: the toolkit sees it toggled.
  ASSERT_EQ(WaitWindowEventTimeout(500), kEventGadget);
  EXPECT_EQ(EventGadget(), 1);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone) << "the deselected option posts nothing";
}

TEST_F(EventQueueTest, ShortcutsWinOverTheFocusedButton) {
  ButtonGadget(5, 10, 10, 100, 27, "focus");
  AddKeyboardShortcut(kWindow, kKeyEscape, 1);
  AddKeyboardShortcut(kWindow, kKeyReturn, 2);
  HideWindow(kWindow, false);
  testing::FocusGadget(5);
  testing::PressKey(kWindow, kKeyReturn);
  ASSERT_EQ(WaitWindowEventTimeout(500), kEventMenu);
  EXPECT_EQ(EventMenu(), 2);
  testing::PressKey(kWindow, 65421);  // keypad Enter
  ASSERT_EQ(WaitWindowEventTimeout(500), kEventMenu);
  EXPECT_EQ(EventMenu(), 2);
  testing::PressKey(kWindow, kKeyEscape);
  ASSERT_EQ(WaitWindowEventTimeout(500), kEventMenu);
  EXPECT_EQ(EventMenu(), 1);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone) << "the button did not also fire";
}

TEST_F(EventQueueTest, DropKeepsLocalFilesAndLeavesOutWebLinks) {
  ListIconGadget(3, 0, 0, 200, 100, "name", 100, kListMultiSelect);
  EnableGadgetDrop(3);
  testing::DropUris(3, {"file:///tmp/a%20b.txt", "https://example.org/x", "file:///tmp/c"});
  ASSERT_EQ(WaitWindowEvent(), kEventGadgetDrop);
  EXPECT_EQ(EventGadget(), 3);
  EXPECT_EQ(EventDroppedFiles(), "/tmp/a b.txt\n/tmp/c");
}

TEST_F(EventQueueTest, TwoDropsInOneFrameBothArriveWithTheirOwnPaths) {
  ListIconGadget(3, 0, 0, 200, 100, "name", 100, kListMultiSelect);
  EnableGadgetDrop(3);
  testing::DropUris(3, {"file:///tmp/first"});
  testing::DropUris(3, {"file:///tmp/second"});
  for (const char* expected : {"/tmp/first", "/tmp/second"}) {
    ASSERT_EQ(WaitWindowEventTimeout(500), kEventGadgetDrop) << expected;
    EXPECT_EQ(EventDroppedFiles(), expected);
  }
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
}

TEST_F(EventQueueTest, ListClicksAndUserSelectionPostButProgramSelectionDoesNot) {
  ListIconGadget(3, 0, 0, 200, 100, "name", 100, kListMultiSelect);
  testing::TestRows rows(3);
  rows.append({{"a"}});
  rows.append({{"b"}});
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone) << "adding rows posts nothing";
  SetGadgetState(3, 1);
  RemoveGadgetItem(3, 0);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
  testing::ClickListRow(3, 0);
  EXPECT_EQ(WaitWindowEventTimeout(200), kEventGadget);
}

}  // namespace
}  // namespace vandrel::tk

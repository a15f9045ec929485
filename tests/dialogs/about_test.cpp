// The About window: its exact text, where its parts stand, and how the event
// loop's hand-over closes it.
#include "dialogs/about.h"

#include <gtest/gtest.h>

#include <string>

#include "core/ids.h"
#include "dialogs/dialog_test_support.h"
#include "settings/text_table.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/window.h"

namespace vandrel {
namespace {

using testing::GadgetRect;
using testing::Rect;

constexpr char kCode[] = "Design and programming: the Brassholt team";

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Texts().setText("tAboutCODE", kCode);
    testing::DrainEvents();
  }
  void TearDown() override {
    if (tk::IsWindow(kAboutWindow)) tk::CloseWindow(kAboutWindow);
    tk::DisableWindow(kMainWindow, false);
  }

  // Takes the next event the toolkit queued for the About window.
  static int NextAboutEvent() {
    int kind = tk::WaitWindowEventTimeout(2000);
    while (kind != tk::kEventNone && tk::EventWindow() != kAboutWindow) {
      kind = tk::WaitWindowEventTimeout(2000);
    }
    return kind;
  }
};

TEST_F(AboutWindowTest, TextIsVersionCodeLineAndCreditBlock) {
  EXPECT_EQ(AboutText(),
            "v1.0.0.0 (arm32)\n\n"
            "Design and programming: the Brassholt team\n"
            "Vandrel is made by the Brassholt team\n"
            "\n"
            "Copyright (c) 2026 the Brassholt team\n"
            "Brassholt\n"
            "\n"
            "https://brassholt.example/vandrel/\n");
}

TEST_F(AboutWindowTest, OpensOverTheDisabledMainWindowWithItsPartsInPlace) {
  ShowAbout();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  EXPECT_EQ(tk::WindowWidth(kAboutWindow), 600);
  EXPECT_EQ(tk::WindowHeight(kAboutWindow), 250);
  EXPECT_EQ(tk::WindowTitle(kAboutWindow), "About Vandrel");
  EXPECT_TRUE(tk::IsWindowDisabled(kMainWindow));
  const tk::testing::AccessibleFacts about = tk::testing::WindowAccessible(kAboutWindow);
  EXPECT_EQ(about.role, "dialog");
  EXPECT_TRUE(about.states.count("modal"));

  EXPECT_EQ(GadgetRect(kGadgetAboutLogo), (Rect{5, 5, 128, 128}));
  EXPECT_EQ(GadgetRect(kGadgetAboutName), (Rect{150, 10, 445, 45}));
  EXPECT_EQ(GadgetRect(kGadgetAboutText), (Rect{150, 55, 445, 160}));
  EXPECT_EQ(GadgetRect(kGadgetAboutOk), (Rect{495, 220, 100, 25}));
  EXPECT_EQ(tk::GetGadgetText(kGadgetAboutName), "Vandrel");
  EXPECT_EQ(tk::GetGadgetText(kGadgetAboutText), AboutText());
  EXPECT_EQ(tk::GetGadgetText(kGadgetAboutOk), "OK");
}

TEST_F(AboutWindowTest, TextFollowsTheLanguageLoadedAtTheMomentOfOpening) {
  Texts().setText("tAboutCODE", "Entwurf: das Brassholt-Team");
  ShowAbout();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  const std::string shown = tk::GetGadgetText(kGadgetAboutText);
  EXPECT_EQ(shown.substr(0, 46), "v1.0.0.0 (arm32)\n\nEntwurf: das Brassholt-Team\n");
}

TEST_F(AboutWindowTest, OkButtonClosesItAndEnablesTheMainWindow) {
  ShowAbout();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  tk::testing::ClickGadget(kGadgetAboutOk);
  const int kind = NextAboutEvent();
  ASSERT_EQ(kind, tk::kEventGadget);
  EXPECT_TRUE(HandleAboutEvent(kind, tk::EventGadget()));
  EXPECT_FALSE(tk::IsWindow(kAboutWindow));
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
}

TEST_F(AboutWindowTest, CloseBoxClosesItWhileOtherEventsAreIgnored) {
  ShowAbout();
  ASSERT_TRUE(tk::IsWindow(kAboutWindow));
  EXPECT_FALSE(HandleAboutEvent(tk::kEventGadget, kGadgetAboutText));
  EXPECT_FALSE(HandleAboutEvent(tk::kEventMenu, kGadgetAboutOk));
  EXPECT_FALSE(HandleAboutEvent(tk::kEventSizeWindow, 0));
  EXPECT_TRUE(tk::IsWindow(kAboutWindow));
  EXPECT_TRUE(tk::IsWindowDisabled(kMainWindow));

  tk::testing::RequestClose(kAboutWindow);
  const int kind = NextAboutEvent();
  ASSERT_EQ(kind, tk::kEventCloseWindow);
  EXPECT_TRUE(HandleAboutEvent(kind, tk::EventGadget()));
  EXPECT_FALSE(tk::IsWindow(kAboutWindow));
  EXPECT_FALSE(tk::IsWindowDisabled(kMainWindow));
}

}  // namespace
}  // namespace vandrel

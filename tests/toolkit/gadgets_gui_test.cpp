// Windows, gadgets, lists, menus, fonts and images on a real display.
#include <gtest/gtest.h>

#include "core/ids.h"
#include "embedded_images.h"
#include "support/test_rows.h"
#include "testing/toolkit_hooks.h"
#include "testing/toolkit_queries.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/menus.h"
#include "toolkit/requesters.h"
#include "toolkit/resources.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

constexpr int kWindow = 41;

class GadgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        OpenWindow(kWindow, 0, 0, 400, 300, "gadgets", kWindowSystemMenu | kWindowSizeGadget));
  }
  void TearDown() override {
    CloseWindow(kWindow);
    while (WaitWindowEventTimeout(10) != kEventNone) {
    }
  }
  static void Settle() {
    ProcessPendingToolkitEvents();
    testing::SpinUntil([] { return false; }, 50);
  }
};

TEST_F(GadgetTest, AGadgetOccupiesExactlyItsRectangleWhateverItsCaption) {
  ButtonGadget(1, 10, 20, 60, 27, "A caption far too long to fit into sixty pixels");
  ButtonGadget(2, 75, 20, 60, 27, "next");
  TextGadget(3, 10, 60, 50, 22, "a wrapping text that is much longer than its box");
  Settle();
  for (auto [gadget, x, y, w, h] : {std::tuple{1, 10, 20, 60, 27}, std::tuple{2, 75, 20, 60, 27},
                                    std::tuple{3, 10, 60, 50, 22}}) {
    int ax, ay, aw, ah;
    testing::GadgetAllocation(gadget, &ax, &ay, &aw, &ah);
    EXPECT_EQ(std::tuple(ax, ay, aw, ah), std::tuple(x, y, w, h)) << "gadget " << gadget;
  }
  EXPECT_EQ(WindowWidth(kWindow), 400) << "a long caption must not grow the window";
}

TEST_F(GadgetTest, ResizeGadgetKeepsTheValuesMarkedUnchanged) {
  ButtonGadget(1, 10, 20, 60, 27, "b");
  ResizeGadget(1, 100, kUnchanged, kUnchanged, 40);
  Settle();
  int x, y, w, h;
  testing::GadgetAllocation(1, &x, &y, &w, &h);
  EXPECT_EQ(std::tuple(x, y, w, h), std::tuple(100, 20, 60, 40));
}

TEST_F(GadgetTest, ListRowsHoldColumnsImagesAndSelection) {
  ASSERT_TRUE(CatchImage(12, kEmbeddedImages[12].data, kEmbeddedImages[12].size));
  ListIconGadget(3, 0, 0, 300, 200, "path", 200, kListMultiSelect | kListGridLines);
  AddGadgetColumn(3, 1, "digest", 100);
  testing::TestRows rows(3, {{{"/first", "y"}}, {{"/a", "x"}, ImageID(12)}, {{"/b", ""}}});
  ASSERT_EQ(CountGadgetItems(3), 3);
  EXPECT_EQ(GetGadgetItemText(3, 0, 0), "/first");
  EXPECT_EQ(GetGadgetItemText(3, 1, 1), "x");
  EXPECT_EQ(GetGadgetItemImage(3, 1), ImageID(12));
  EXPECT_EQ(GetGadgetState(3), -1);
  SetGadgetItemSelected(3, 2, true);
  SetGadgetItemSelected(3, 1, true);
  EXPECT_EQ(GetGadgetState(3), 1) << "the first selected row";
  SetGadgetState(3, 0);
  EXPECT_TRUE(IsGadgetItemSelected(3, 0));
  EXPECT_FALSE(IsGadgetItemSelected(3, 2)) << "setting the state selects only that row";
  RemoveGadgetItem(3, 0);
  EXPECT_EQ(rows.asked, std::vector<int>{0}) << "the list asks the rows' owner to remove them";
  EXPECT_EQ(GetGadgetState(3), -1);
  EXPECT_EQ(GetGadgetItemText(3, 0, 0), "/a");
  ClearGadgetItems(3);
  EXPECT_EQ(CountGadgetItems(3), 0);
  EXPECT_EQ(GetGadgetItemText(3, 5, 0), "") << "rows that do not exist read empty";
  SetGadgetColumnWidth(3, 1, 123);
  EXPECT_EQ(GadgetColumnWidth(3, 1), 123);
  SetGadgetColumnTitle(3, 1, "Hash");
  EXPECT_EQ(GadgetColumnTitle(3, 1), "Hash");
}

TEST_F(GadgetTest, OperationsOnNumbersThatNameNothingDoNothing) {
  EXPECT_FALSE(IsGadget(999));
  SetGadgetText(999, "x");
  EXPECT_EQ(GetGadgetText(999), "");
  EXPECT_EQ(GetGadgetState(999), 0);
  EXPECT_EQ(CountGadgetItems(999), 0);
  EXPECT_EQ(WindowWidth(999), 0);
}

TEST_F(GadgetTest, AutomaticNumbersAreNewAndNeverZero) {
  int a = ButtonGadget(kAutomatic, 0, 0, 10, 10, "a");
  int b = ButtonGadget(kAutomatic, 0, 0, 10, 10, "b");
  EXPECT_NE(a, 0);
  EXPECT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(GetGadgetText(a), "a");
}

TEST_F(GadgetTest, ProgressBarKeepsValueAndMaximum) {
  ProgressBarGadget(4, 0, 0, 100, 20, 0, 100);
  SetGadgetAttribute(4, kProgressBarMaximum, 10);
  SetGadgetState(4, 3);
  EXPECT_EQ(GetGadgetState(4), 3);
  EXPECT_EQ(GetGadgetAttribute(4, kProgressBarMaximum), 10);
}

TEST_F(GadgetTest, SettingTextOfStringGadgetPostsNoEvent) {
  StringGadget(6, 0, 0, 100, 27, "");
  SetGadgetText(6, "/tmp/x");
  EXPECT_EQ(GetGadgetText(6), "/tmp/x");
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone);
}

TEST_F(GadgetTest, MenuItemTurnsIntoACheckItemWithoutItsImage) {
  ASSERT_TRUE(CatchImage(6, kEmbeddedImages[6].data, kEmbeddedImages[6].size));
  ASSERT_TRUE(CreateImageMenu(7, WindowID(kWindow)));
  MenuTitle("&File");
  MenuItem(0, "&Open", ImageID(6));
  MenuBar();
  MenuItem(5, "English");
  EXPECT_TRUE(MenuItemHasImage(7, 0));
  EXPECT_EQ(GetMenuTitleText(7, 0), "File");
  EXPECT_EQ(CountMenuItems(7, 0), 2);
  SetMenuItemState(7, 0, 1);
  EXPECT_FALSE(MenuItemHasImage(7, 0));
  EXPECT_EQ(GetMenuItemState(7, 0), 1);
  EXPECT_EQ(GetMenuItemText(7, 0), "Open");
  // A click on a check item posts its event but does not toggle the mark:
  // the program decides.
  ActivateMenuItem(7, 0);
  ASSERT_EQ(WaitWindowEventTimeout(500), kEventMenu);
  EXPECT_EQ(EventMenu(), 0);
  EXPECT_EQ(GetMenuItemState(7, 0), 1);
  DisableMenuItem(7, 5, true);
  EXPECT_TRUE(IsMenuItemDisabled(7, 5));
  ActivateMenuItem(7, 5);
  EXPECT_EQ(WaitWindowEventTimeout(50), kEventNone) << "a disabled item posts nothing";
}

TEST(ImageTest, EveryBuiltInImageDecodesAtItsSize) {
  const int sizes[17] = {128, 16, 64, 64, 64, 64, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
  for (int id = 0; id < kEmbeddedImageCount; ++id) {
    ASSERT_NE(CatchImage(id, kEmbeddedImages[id].data, kEmbeddedImages[id].size), nullptr) << id;
    EXPECT_EQ(ImageWidth(id), sizes[id]) << id;
    EXPECT_EQ(ImageHeight(id), sizes[id]) << id;
  }
}

// Red and green look alike to many people: the image of a row checked
// against a list differs where it is light from the other verdicts' and from
// the plain square of its colour.
TEST(ImageTest, VerdictImagesDifferInShapeNotOnlyInColour) {
  auto light = [](const std::vector<std::uint8_t>& p, std::size_t i) {
    return p[i + 3] > 128 && p[i] * 299 + p[i + 1] * 587 + p[i + 2] * 114 > 200000;
  };
  for (const auto& [one, other] : {std::pair{kImageRowMatches, kImageRowDiffers},
                                   {kImageRowMatches, kImageRowMissing},
                                   {kImageRowDiffers, kImageRowMissing},
                                   {kImageRowMatches, kImageRowComputed},
                                   {kImageRowDiffers, kImageRowFailed},
                                   {kImageRowMissing, kImageRowFailed}}) {
    for (int id : {one, other}) CatchImage(id, kEmbeddedImages[id].data, kEmbeddedImages[id].size);
    const std::vector<std::uint8_t> a = ImagePixels(one), b = ImagePixels(other);
    ASSERT_TRUE(a.size() == 16 * 16 * 4 && b.size() == a.size()) << one << " " << other;
    int differing = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) differing += light(a, i) != light(b, i);
    EXPECT_GE(differing, 12) << one << " against " << other;
  }
}

TEST(ImageTest, ABrokenStreamLeavesTheIdWithoutImage) {
  std::vector<std::uint8_t> cut(kEmbeddedImages[0].data, kEmbeddedImages[0].data + 100);
  EXPECT_EQ(CatchImage(30, cut.data(), cut.size()), nullptr);
  EXPECT_EQ(ImageWidth(30), 0);
  const std::uint8_t junk[] = {1, 2, 3};
  EXPECT_EQ(CatchImage(31, junk, sizeof junk), nullptr);
  EXPECT_EQ(ImageID(31), nullptr);
}

TEST(FontTest, AMissingFaceFallsBackToAnInstalledOne) {
  ASSERT_NE(LoadFont(9, "No Such Face Anywhere", 11), nullptr);
  EXPECT_FALSE(FontResolvedFamily(9).empty());
  EXPECT_NE(FontID(9), nullptr);
  EXPECT_EQ(FontID(99), nullptr);
}

TEST(WindowTest, ScreenCentredWindowHasItsSizeAndMinimum) {
  int w =
      OpenWindow(42, 0, 0, 500, 300, "centred",
                 kWindowInvisible | kWindowSizeGadget | kWindowSystemMenu | kWindowScreenCentered);
  ASSERT_NE(w, 0);
  WindowBounds(42, 600, 400, kUnchanged, kUnchanged);
  EXPECT_EQ(WindowWidth(42), 600) << "a window below its minimum grows to it";
  HideWindow(42, false);
  testing::SpinUntil([] { return false; }, 100);
  int x, y;
  WindowPosition(42, &x, &y);
  EXPECT_EQ(WindowTitle(42), "centred");
  EXPECT_EQ(WindowWidth(42), 600);
  EXPECT_EQ(WindowHeight(42), 400);
  // Xvfb runs at 1280 x 1024 in scripts/test.
  EXPECT_NEAR(x, (1280 - 600) / 2, 2);
  EXPECT_NEAR(y, (1024 - 400) / 2, 2);
  CloseWindow(42);
}

}  // namespace
}  // namespace vandrel::tk

namespace vandrel::tk {
namespace {

TEST(RequesterPatternTest, PairsBecomeFiltersAndStarDotStarMatchesEveryName) {
  std::vector<RequesterFilter> filters =
      ParseRequesterPattern("Text files (*.txt;*.csv)|*.txt;*.csv|All files (*.*)|*.*");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].name, "Text files (*.txt;*.csv)");
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.txt", "*.csv"}));
  EXPECT_EQ(filters[1].name, "All files (*.*)");
  EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*"}));
  EXPECT_TRUE(ParseRequesterPattern("").empty());
  EXPECT_EQ(ParseRequesterPattern("Lonely name").size(), 0u);
  EXPECT_EQ(ParseRequesterPattern("A|*.a|Dangling").size(), 1u);
}

}  // namespace
}  // namespace vandrel::tk

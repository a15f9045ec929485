// The main window in-process on a display: where every gadget stands at the
// default size and after a resize, the option groups, the enable rules, the
// menu bar with its Languages menu, and relabelling after a language switch.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/accelerators.h"
#include "app/accessibility.h"
#include "app/file_intake.h"
#include "app/results_model/results_model.h"
#include "support/app_fixture.h"
#include "support/test_support.h"

namespace vandrel {
namespace {

using testing::LanguageFileText;

struct Rect {
  int x, y, width, height;
  bool operator==(const Rect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << "," << r.y << " " << r.width << "x" << r.height << ")";
}

// Every main-window gadget at 840 x 600, as the layout table gives it there.
const std::map<int, Rect>& LayoutAt840x600() {
  static const std::map<int, Rect> layout = {
      {0, {5, 5, 830, 433}},     {1, {10, 23, 695, 27}},   {2, {710, 23, 120, 27}},
      {3, {10, 63, 820, 335}},   {4, {10, 405, 120, 27}},  {5, {135, 405, 120, 27}},
      {6, {585, 405, 120, 27}},  {7, {710, 405, 120, 27}}, {8, {5, 450, 830, 80}},
      {11, {10, 470, 100, 22}},  {13, {130, 468, 70, 22}}, {14, {220, 468, 70, 22}},
      {15, {310, 468, 70, 22}},  {16, {400, 468, 70, 22}}, {17, {490, 468, 70, 22}},
      {12, {10, 500, 100, 22}},  {18, {130, 498, 70, 22}}, {19, {220, 498, 70, 22}},
      {20, {310, 498, 70, 22}},  {21, {400, 498, 70, 22}}, {22, {5, 540, 695, 27}},
      {23, {705, 535, 130, 35}},
  };
  return layout;
}

// How each gadget's rectangle changes when the window grows by 100 x 50:
// the right-hand buttons move right, everything below the list moves down,
// the wide gadgets widen and the two tall ones grow.
const std::map<int, Rect>& ChangeWhenGrownBy100x50() {
  static const std::map<int, Rect> change = {
      {0, {0, 0, 100, 50}},  {1, {0, 0, 100, 0}},   {2, {100, 0, 0, 0}},  {3, {0, 0, 100, 50}},
      {4, {0, 50, 0, 0}},    {5, {0, 50, 0, 0}},    {6, {100, 50, 0, 0}}, {7, {100, 50, 0, 0}},
      {8, {0, 50, 100, 0}},  {11, {0, 50, 0, 0}},   {13, {0, 50, 0, 0}},  {14, {0, 50, 0, 0}},
      {15, {0, 50, 0, 0}},   {16, {0, 50, 0, 0}},   {17, {0, 50, 0, 0}},  {12, {0, 50, 0, 0}},
      {18, {0, 50, 0, 0}},   {19, {0, 50, 0, 0}},   {20, {0, 50, 0, 0}},  {21, {0, 50, 0, 0}},
      {22, {0, 50, 100, 0}}, {23, {100, 50, 0, 0}},
  };
  return change;
}

// The Languages menu for the shipped files: ordered by the slot of each
// display name in a 512-slot table (h := h * 65599 + UTF-16 unit), worked
// out by hand from the names, so English is not first and Deutsch is last.
const std::vector<std::string>& ShippedLanguageMenu() {
  static const std::vector<std::string> names = {"Nederlands", "English", "Magyar",   "Italiano",
                                                 "Español",    "Polski",  "Français", "Deutsch"};
  return names;
}
constexpr int kEnglishItem = 6;
constexpr int kMagyarItem = 7;
constexpr int kDeutschItem = 12;

Rect Stored(int gadget) {
  return {tk::GadgetX(gadget), tk::GadgetY(gadget), tk::GadgetWidth(gadget),
          tk::GadgetHeight(gadget)};
}

Rect Allocated(int gadget) {
  Rect r{};
  tk::testing::GadgetAllocation(gadget, &r.x, &r.y, &r.width, &r.height);
  return r;
}

class MainWindowTest : public testing::AppFixture {
 protected:
  // Waits until GTK has placed every gadget where the toolkit says it is.
  static bool AllocationsCaughtUp() {
    return tk::testing::SpinUntil(
        [] {
          for (const auto& [gadget, rect] : LayoutAt840x600()) {
            if (Allocated(gadget) != Stored(gadget)) return false;
          }
          return true;
        },
        3000);
  }

  static void ChooseMenuItem(int item) {
    tk::ActivateMenuItem(kMainMenu, item);
    DispatchPending();
  }

  // Every language item is a radio item, and a screen reader hears the
  // same one checked as the menu shows.
  static std::vector<int> CheckedLanguageItems() {
    std::vector<int> checked;
    for (int i = 0; i < static_cast<int>(ShippedLanguageMenu().size()); ++i) {
      const int item = kMenuFirstLanguage + i;
      const tk::testing::AccessibleFacts heard = tk::testing::MenuItemAccessible(kMainMenu, item);
      EXPECT_EQ(heard.role, "radio menu item") << item;
      EXPECT_EQ(heard.states.count("checked") == 1, tk::GetMenuItemState(kMainMenu, item) == 1)
          << item;
      if (tk::GetMenuItemState(kMainMenu, item)) checked.push_back(item);
    }
    return checked;
  }

  // A folder with two small files, removed at the end of the test.
  std::string TwoFiles() {
    std::ofstream(folder_ / "a.txt") << "a";
    std::ofstream(folder_ / "b.txt") << "b";
    return folder_.path() + "/";
  }

  testing::TestDirectory folder_;
};

TEST_F(MainWindowTest, GadgetsStandWhereTheLayoutPutsThemAt840x600) {
  ASSERT_EQ(tk::WindowWidth(kMainWindow), 840);
  ASSERT_EQ(tk::WindowHeight(kMainWindow), 600);
  EXPECT_TRUE(AllocationsCaughtUp());
  for (const auto& [gadget, rect] : LayoutAt840x600()) {
    EXPECT_EQ(Stored(gadget), rect) << "gadget " << gadget;
    EXPECT_EQ(Allocated(gadget), rect) << "gadget " << gadget << " as GTK placed it";
  }
  EXPECT_EQ(tk::WindowTitle(kMainWindow), "Vandrel v1.0.0.0 (arm32) - Brassholt");
}

// A taller menu bar (a larger font, another theme) leaves less room below
// it: every gadget must still lie whole inside the gadget area at 840 x 600.
TEST_F(MainWindowTest, EveryGadgetLiesWithinTheWindowWhateverTheMenuBarsHeight) {
  for (int padding : {0, 6, 15}) {
    SCOPED_TRACE(padding);
    tk::testing::SetScreenCss(
        padding ? "menubar { padding-bottom: " + std::to_string(padding) + "px; }" : "");
    // GTK applies new style rules at its next frame.
    ASSERT_TRUE(
        tk::testing::SpinUntil([&] { return tk::MenuBarHeight(kMainWindow) == 25 + padding; }));
    RelayoutMainWindow();
    const int areaHeight = tk::WindowHeight(kMainWindow) - tk::MenuBarHeight(kMainWindow);
    EXPECT_TRUE(AllocationsCaughtUp());
    for (int gadget : tk::testing::WindowGadgets(kMainWindow)) {
      const Rect r = Allocated(gadget);
      EXPECT_GE(r.x, 0) << gadget;
      EXPECT_GE(r.y, 0) << gadget;
      EXPECT_LE(r.x + r.width, tk::WindowWidth(kMainWindow)) << gadget;
      EXPECT_LE(r.y + r.height, areaHeight) << gadget;
    }
    // Calculate keeps a margin below it for its border and shadow.
    EXPECT_EQ(areaHeight - (Allocated(kGadgetCalculate).y + 35), 5);
  }
  tk::testing::SetScreenCss("");
  EXPECT_TRUE(tk::testing::SpinUntil([] { return tk::MenuBarHeight(kMainWindow) == 25; }));
  RelayoutMainWindow();
}

TEST_F(MainWindowTest, ListColumnsAre600And410UntilTheFirstSizeEvent) {
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 0), 600);
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 1), 410);
}

// A caption wider than its option's 70 pixels ("CRC32" in many fonts and
// themes; here a theme with a wider gap after the option's circle) runs on
// towards the next option instead of being cut, while the option keeps its
// rectangle. A digest wider than its column is read by scrolling sideways.
// Run at GDK_SCALE=2 as well.
TEST_F(MainWindowTest, OptionCaptionsAndALongDigestShowWhole) {
  tk::testing::SetScreenCss("radiobutton radio { margin-right: 12px; }");
  EXPECT_TRUE(tk::testing::SpinUntil(
      [] { return tk::GadgetCaption(kGadgetCrc32).right > tk::GadgetX(kGadgetCrc32) + 70; }));
  EXPECT_TRUE(AllocationsCaughtUp());
  // The options stand 90 pixels apart.
  for (int gadget = kGadgetCrc32; gadget <= kGadgetBits512; ++gadget) {
    const tk::CaptionShown caption = tk::GadgetCaption(gadget);
    EXPECT_TRUE(caption.whole) << "gadget " << gadget;
    EXPECT_LE(caption.right, tk::GadgetX(gadget) + 90) << "gadget " << gadget;
  }
  // A row with a SHA-512 digest, as a job leaves it.
  Results().append(folder_.path() + "/image.iso");
  Results().beginJob(DigestKind{Algorithm::Sha2, 512});
  engine::Polled news;
  news.finished.push_back({0, DigestResult{std::string(128, 'd')}, engine::Verdict::Computed});
  Results().apply(news);
  EXPECT_TRUE(
      tk::testing::SpinUntil([] { return tk::ListCellShownWhole(kGadgetResults, 0, 1); }, 3000));
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 1), 410) << "the set width stays";
  tk::testing::SetScreenCss("");
}

TEST_F(MainWindowTest, GrowingBy100x50MovesAndWidensEachGadgetAndStoresTheSize) {
  std::map<int, Rect> before;
  for (const auto& [gadget, rect] : LayoutAt840x600()) before[gadget] = Stored(gadget);

  tk::testing::ResizeWindow(kMainWindow, 940, 650);
  ASSERT_EQ(tk::WindowWidth(kMainWindow), 940);
  ASSERT_EQ(tk::WindowHeight(kMainWindow), 650);
  DispatchPending();

  EXPECT_EQ(Program().settings.window, (WindowSize{940, 650}));
  EXPECT_TRUE(AllocationsCaughtUp());
  for (const auto& [gadget, d] : ChangeWhenGrownBy100x50()) {
    const Rect& old = before[gadget];
    const Rect expected{old.x + d.x, old.y + d.y, old.width + d.width, old.height + d.height};
    EXPECT_EQ(Stored(gadget), expected) << "gadget " << gadget;
    EXPECT_EQ(Allocated(gadget), expected) << "gadget " << gadget << " as GTK placed it";
  }
  // Both columns take half of the 920-pixel list once a size event came.
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 0), 460);
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 1), 460);

  // An odd list width is halved with truncation.
  tk::testing::ResizeWindow(kMainWindow, 941, 650);
  DispatchPending();
  EXPECT_EQ(Program().settings.window.width, 941);
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 0), 460);
  EXPECT_EQ(tk::GadgetColumnWidth(kGadgetResults, 1), 460);
}

TEST_F(MainWindowTest, WindowCannotBeMadeSmallerThan840x600) {
  tk::testing::ResizeWindow(kMainWindow, 700, 500);
  DispatchPending();
  EXPECT_EQ(tk::WindowWidth(kMainWindow), 840);
  EXPECT_EQ(tk::WindowHeight(kMainWindow), 600);
  EXPECT_EQ(Stored(kGadgetCalculate), (Rect{705, 535, 130, 35}));
}

TEST_F(MainWindowTest, StoredSizeBelowTheMinimumOpensAt840x600) {
  tk::CloseWindow(kMainWindow);
  Program().settings.window = {700, 500};
  ASSERT_TRUE(BuildMainWindow());
  // Placed for the real size at once, before any event could relayout them.
  EXPECT_EQ(tk::WindowWidth(kMainWindow), 840);
  EXPECT_EQ(tk::WindowHeight(kMainWindow), 600);
  for (const auto& [gadget, rect] : LayoutAt840x600()) {
    EXPECT_EQ(Stored(gadget), rect) << "gadget " << gadget;
  }
  tk::HideWindow(kMainWindow, false);
  Settle();
  EXPECT_TRUE(AllocationsCaughtUp());
}

TEST_F(MainWindowTest, Md5And512OpenSelectedWithSizesDisabledAndSha3EnablesThem) {
  Program().settings.digest = {Algorithm::Md5, 512};
  RebuildMainWindow();
  const int algorithms[] = {kGadgetCrc32, kGadgetMd5, kGadgetSha1, kGadgetSha2, kGadgetSha3};
  const int sizes[] = {kGadgetBits224, kGadgetBits256, kGadgetBits384, kGadgetBits512};
  for (int option : algorithms) {
    EXPECT_EQ(tk::GetGadgetState(option), option == kGadgetMd5 ? 1 : 0) << "option " << option;
    EXPECT_TRUE(Enabled(option)) << "option " << option;
  }
  for (int option : sizes) {
    EXPECT_EQ(tk::GetGadgetState(option), option == kGadgetBits512 ? 1 : 0) << "option " << option;
    EXPECT_FALSE(Enabled(option)) << "option " << option;
  }

  Click(kGadgetSha3);
  EXPECT_EQ(tk::GetGadgetState(kGadgetSha3), 1);
  EXPECT_EQ(tk::GetGadgetState(kGadgetMd5), 0);
  EXPECT_EQ(Program().settings.digest.algorithm, Algorithm::Sha3);
  for (int option : sizes) EXPECT_TRUE(Enabled(option)) << "option " << option;
  EXPECT_EQ(tk::GetGadgetState(kGadgetBits512), 1);
  EXPECT_EQ(SelectedDigest(), (DigestKind{Algorithm::Sha3, 512}));

  // Back to an algorithm without sizes: they go grey and keep their choice.
  Click(kGadgetSha1);
  EXPECT_EQ(Program().settings.digest.algorithm, Algorithm::Sha1);
  for (int option : sizes) EXPECT_FALSE(Enabled(option)) << "option " << option;
  EXPECT_EQ(SelectedDigest().bits, 512);
}

TEST_F(MainWindowTest, OptionLabelled256GivesBits1) {
  const std::vector<std::string> labels = {"CRC32", "MD5", "SHA1", "SHA2", "SHA3",
                                           "224",   "256", "384",  "512"};
  const int options[] = {13, 14, 15, 16, 17, 18, 19, 20, 21};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(tk::GetGadgetText(options[i]), labels[i]) << "option " << options[i];
  }
  Click(kGadgetSha2);
  int labelled256 = -1;
  for (int option : options) {
    if (tk::GetGadgetText(option) == "256") labelled256 = option;
  }
  ASSERT_NE(labelled256, -1);
  Click(labelled256);
  EXPECT_EQ(SelectedDigest(), (DigestKind{Algorithm::Sha2, 256}));
}

TEST_F(MainWindowTest, ListButtonsFollowRowsAndListEvents) {
  auto expectEnabled = [](std::vector<int> on, std::vector<int> off, const char* when) {
    for (int gadget : on) EXPECT_TRUE(Enabled(gadget)) << "gadget " << gadget << " " << when;
    for (int gadget : off) EXPECT_FALSE(Enabled(gadget)) << "gadget " << gadget << " " << when;
  };
  expectEnabled({1, 2, 3, 13, 14, 15, 16, 17}, {4, 5, 6, 7, 23}, "at start");

  // A click on the empty list enables nothing.
  tk::testing::ClickListRow(kGadgetResults, -1);
  DispatchPending();
  expectEnabled({}, {4, 5, 6, 7, 23}, "after a click on the empty list");

  AddSource(TwoFiles());
  ASSERT_EQ(Rows(), 2);
  expectEnabled({7, 23}, {4, 5, 6}, "after rows were added");

  // A click below the rows counts as an event of the list.
  tk::testing::ClickListRow(kGadgetResults, -1);
  DispatchPending();
  expectEnabled({4, 5, 6, 7, 23}, {}, "after a list event");
}

TEST_F(MainWindowTest, MenuBarHoldsItsItemsWithTheirIdsAndImages) {
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 0), LanguageFileText("en_GB", "tMenuFILE"));
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 1), LanguageFileText("en_GB", "tMenuLANGUAGES"));
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 2), LanguageFileText("en_GB", "tMenuHELP"));
  const std::pair<int, const char*> fixed[] = {{0, "tMenuOPEN"},
                                               {1, "tMenuQUIT"},
                                               {2, "tMenuOPENHELP"},
                                               {3, "tMenuABOUT"},
                                               {4, "tMenuOPENWEB"}};
  for (const auto& [item, key] : fixed) {
    EXPECT_EQ(tk::GetMenuItemText(kMainMenu, item), LanguageFileText("en_GB", key)) << key;
    EXPECT_TRUE(tk::MenuItemHasImage(kMainMenu, item)) << key;
    // Show help too: the build puts the manual's pages beside the program.
    EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, item)) << key;
  }
  // Open, Verify checksum list, Compare with copied checksum, Verify with a
  // key file, Quit.
  EXPECT_EQ(tk::CountMenuItems(kMainMenu, 0), 5);
  EXPECT_EQ(tk::CountMenuItems(kMainMenu, 2), 3);

  const std::vector<std::string>& names = ShippedLanguageMenu();
  ASSERT_EQ(tk::CountMenuItems(kMainMenu, 1), static_cast<int>(names.size()));
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    const int item = kMenuFirstLanguage + i;
    EXPECT_EQ(tk::GetMenuItemText(kMainMenu, item), names[i]) << "item " << item;
    EXPECT_FALSE(tk::MenuItemHasImage(kMainMenu, item)) << "item " << item;
    EXPECT_FALSE(tk::IsMenuItemDisabled(kMainMenu, item)) << "item " << item;
  }
  EXPECT_EQ(CheckedLanguageItems(), std::vector<int>{kEnglishItem});
}

TEST_F(MainWindowTest, ChoosingTheCheckedLanguageDoesNothing) {
  // A reload of English would put the file's text back over this one.
  Texts().setText("tMainSAVE", "marker");
  ChooseMenuItem(kEnglishItem);
  EXPECT_EQ(T("tMainSAVE"), "marker");
  EXPECT_EQ(tk::GetGadgetText(kGadgetSave), LanguageFileText("en_GB", "tMainSAVE"));
  EXPECT_EQ(Program().settings.Language, "en_GB");
  EXPECT_EQ(CheckedLanguageItems(), std::vector<int>{kEnglishItem});
}

TEST_F(MainWindowTest, SwitchingToDeutschRelabelsEverythingButOptionsTitleAndLanguages) {
  auto de = [](const char* key) { return LanguageFileText("de_DE", key); };
  ASSERT_FALSE(de("tMenuFILE").empty());
  ASSERT_NE(de("tMainSAVE"), LanguageFileText("en_GB", "tMainSAVE"));

  // The buttons' tooltips name their keys, in the language of the moment.
  AddMainWindowAccelerators();
  DescribeMainWindow();
  const std::pair<int, std::string> keys[] = {{kGadgetSave, "Ctrl+S"},
                                              {kGadgetClipboard, "Ctrl+Shift+C"},
                                              {kGadgetCalculate, "Ctrl+Return"},
                                              {kGadgetDelete, "Delete"}};
  for (const auto& [gadget, label] : keys) EXPECT_EQ(tk::GadgetToolTipText(gadget), label);

  ChooseMenuItem(kDeutschItem);

  const std::pair<int, std::string> germanKeys[] = {{kGadgetSave, "Strg+S"},
                                                    {kGadgetClipboard, "Strg+Umschalt+C"},
                                                    {kGadgetCalculate, "Strg+Eingabe"},
                                                    {kGadgetDelete, "Entf"}};
  for (const auto& [gadget, label] : germanKeys) {
    EXPECT_EQ(tk::GadgetToolTipText(gadget), label);
  }
  EXPECT_EQ(Program().settings.Language, "de_DE");
  EXPECT_EQ(CheckedLanguageItems(), std::vector<int>{kDeutschItem});
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 0), de("tMenuFILE"));
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 1), de("tMenuLANGUAGES"));
  EXPECT_EQ(tk::GetMenuTitleText(kMainMenu, 2), de("tMenuHELP"));
  const std::pair<int, const char*> items[] = {{0, "tMenuOPEN"},
                                               {1, "tMenuQUIT"},
                                               {2, "tMenuOPENHELP"},
                                               {3, "tMenuABOUT"},
                                               {4, "tMenuOPENWEB"}};
  for (const auto& [item, key] : items)
    EXPECT_EQ(tk::GetMenuItemText(kMainMenu, item), de(key)) << key;
  const std::pair<int, const char*> captions[] = {
      {0, "tMainSOURCE"}, {2, "tGenBROWSE"},     {4, "tMainCLIPBOARD"}, {5, "tMainSAVE"},
      {6, "tMainDELETE"}, {7, "tMainDELETEALL"}, {8, "tMainSETTINGS"},  {11, "tMainALGORITHM"},
      {12, "tMainBITS"},  {23, "tMainCALCULATE"}};
  for (const auto& [gadget, key] : captions) EXPECT_EQ(tk::GetGadgetText(gadget), de(key)) << key;
  EXPECT_EQ(tk::GadgetToolTipText(kGadgetSource), de("tMainSOURCETIP"));
  EXPECT_EQ(tk::GadgetColumnTitle(kGadgetResults, 0), de("tMainFILENAME"));
  EXPECT_EQ(tk::GadgetColumnTitle(kGadgetResults, 1), de("tMainHASH"));

  EXPECT_EQ(tk::GetGadgetText(kGadgetSha3), "SHA3");
  EXPECT_EQ(tk::GetGadgetText(kGadgetBits512), "512");
  EXPECT_EQ(tk::WindowTitle(kMainWindow), "Vandrel v1.0.0.0 (arm32) - Brassholt");
  for (int i = 0; i < static_cast<int>(ShippedLanguageMenu().size()); ++i) {
    EXPECT_EQ(tk::GetMenuItemText(kMainMenu, kMenuFirstLanguage + i), ShippedLanguageMenu()[i]);
  }

  const MessageDialogConfigs& dialogs = DialogConfigs();
  const std::string question = de("tGenNO") + "|" + de("tGenYES");
  EXPECT_EQ(dialogs.warningQuestion.buttons, question);
  EXPECT_EQ(dialogs.cancelQuestion.buttons, question);
  EXPECT_EQ(dialogs.notice.buttons, de("tGenOK"));
  EXPECT_EQ(dialogs.errorNotice.buttons, de("tGenOK"));
  for (const MessageDialogConfig* config :
       {&dialogs.notice, &dialogs.warningQuestion, &dialogs.errorNotice, &dialogs.cancelQuestion}) {
    EXPECT_EQ(config->title, de("tGenMESSAGE"));
  }

  // The check mark leaves Deutsch, not only the item checked at start.
  ChooseMenuItem(kMagyarItem);
  EXPECT_EQ(Program().settings.Language, "hu_HU");
  EXPECT_EQ(CheckedLanguageItems(), std::vector<int>{kMagyarItem});
  EXPECT_EQ(tk::GetGadgetText(kGadgetSave), LanguageFileText("hu_HU", "tMainSAVE"));
}

}  // namespace
}  // namespace vandrel

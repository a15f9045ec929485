// What a screen reader reads for a list row's image: the description given
// to the image it shows, kept right while rows change, go and are reset and
// while the descriptions themselves change (a new language).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "embedded_images.h"
#include "support/test_rows.h"
#include "testing/toolkit_hooks.h"
#include "toolkit/accessibility.h"
#include "toolkit/events.h"
#include "toolkit/gadgets.h"
#include "toolkit/resources.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

constexpr int kWindow = 43;
constexpr int kList = 5;
// Four distinct pictures; which ones does not matter here.
constexpr int kWaiting = 12, kBusy = 10, kDone = 11, kUndescribed = 13;

class ListRowImageTest : public ::testing::Test {
 protected:
  // The descriptions are the toolkit's for the whole run: each test starts
  // from these.
  void SetUp() override {
    for (int id : {kWaiting, kBusy, kDone, kUndescribed}) {
      ASSERT_TRUE(CatchImage(id, kEmbeddedImages[id].data, kEmbeddedImages[id].size));
    }
    SetListImageDescription(ImageID(kWaiting), "waiting");
    SetListImageDescription(ImageID(kBusy), "busy");
    SetListImageDescription(ImageID(kDone), "done");
    ASSERT_TRUE(OpenWindow(kWindow, 0, 0, 400, 300, "rows", kWindowSystemMenu));
    ListIconGadget(kList, 0, 0, 300, 200, "path", 200, kListMultiSelect);
    AddGadgetColumn(kList, 1, "digest", 100);
  }
  void TearDown() override {
    CloseWindow(kWindow);
    while (WaitWindowEventTimeout(10) != kEventNone) {
    }
  }
  // Every row's image description, as long as both ATK texts agree.
  static std::vector<std::string> Read() {
    std::vector<std::string> texts;
    for (int row = 0; row < CountGadgetItems(kList); ++row) {
      auto [description, imageDescription] = testing::ListRowImageDescription(kList, row);
      texts.push_back(description == imageDescription ? description
                                                      : description + " / " + imageDescription);
    }
    return texts;
  }
};

TEST_F(ListRowImageTest, EachRowIsReadAsTheImageItShowsNow) {
  testing::TestRows rows(
      kList, {{{"/a", ""}, ImageID(kWaiting)}, {{"/b", ""}, ImageID(kWaiting)}, {{"/c", ""}}});
  ASSERT_EQ(Read(), (std::vector<std::string>{"waiting", "waiting", ""}));
  // Each step acts on rows whose cells a screen reader has already been
  // handed, as a job does to rows someone is reading.
  const std::vector<std::pair<std::function<void()>, std::vector<std::string>>> steps = {
      {[&] { rows.setImage(1, ImageID(kBusy)); }, {"waiting", "busy", ""}},
      {[&] { rows.setImage(1, ImageID(kDone)); }, {"waiting", "done", ""}},
      {[&] { rows.setImage(2, ImageID(kBusy)); }, {"waiting", "done", "busy"}},
      {[&] { rows.setImage(0, ImageID(kUndescribed)); }, {"", "done", "busy"}},
      {[] { RemoveGadgetItem(kList, 0); }, {"done", "busy"}},
      {[] { SetListImageDescription(ImageID(kDone), "fertig"); }, {"fertig", "busy"}},
      {[&] {
         rows.insert(0, {{"/new", ""}, ImageID(kDone)});
       },
       {"fertig", "fertig", "busy"}},
      {[&] {
         for (int row = 0; row < 3; ++row) rows.setImage(row, ImageID(kWaiting));
       },
       {"waiting", "waiting", "waiting"}},
      {[] { SetListImageDescription(ImageID(kWaiting), ""); }, {"", "", ""}},
  };
  for (std::size_t step = 0; step < steps.size(); ++step) {
    steps[step].first();
    EXPECT_EQ(Read(), steps[step].second) << "after step " << step;
  }
}

}  // namespace
}  // namespace vandrel::tk

// TextTable and the slot hash under it: lookups that add missing keys, exact
// case, the slot rule over UTF-16 code units, and the walking order that the
// Languages menu shows.
#include "settings/text_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/slot_hash.h"

namespace vandrel {
namespace {

class TextTableTest : public ::testing::Test {
 protected:
  TextTable table_;
};

TEST_F(TextTableTest, AMissingKeyGivesTheEmptyTextAndStaysInTheTable) {
  EXPECT_FALSE(table_.contains("tMenuFILE"));
  EXPECT_EQ(table_.text("tMenuFILE"), "");
  EXPECT_TRUE(table_.contains("tMenuFILE"));
  EXPECT_EQ(table_.size(), 1u);
}

TEST_F(TextTableTest, KeysAreCaseSensitiveAndALaterTextReplacesAnEarlierOne) {
  table_.setText("tmenufile", "Datei");
  EXPECT_EQ(table_.text("tMenuFILE"), "");
  table_.setText("tMenuFILE", "File");
  table_.setText("tMenuFILE", "Fichier");
  EXPECT_EQ(table_.text("tMenuFILE"), "Fichier");
  EXPECT_EQ(table_.text("tmenufile"), "Datei");
  EXPECT_EQ(table_.size(), 2u);
}

TEST_F(TextTableTest, AReturnedTextFollowsLaterChangesAsTheTableGrows) {
  const std::string& save = table_.text("tMainSAVE");
  for (int i = 0; i < 5000; ++i) table_.setText("key" + std::to_string(i), "value");
  table_.setText("tMainSAVE", "Save");
  EXPECT_EQ(save, "Save");
  EXPECT_EQ(table_.size(), 5001u);
}

// Reference values were computed apart from this code, over the UTF-16
// encoding of each name.
TEST_F(TextTableTest, SlotsFollowTheHashOverUtf16CodeUnits) {
  EXPECT_EQ(SlotOf("English"), 112u);
  EXPECT_EQ(SlotOf("Magyar"), 119u);
  EXPECT_EQ(SlotOf("Deutsch"), 472u);
  EXPECT_EQ(SlotHashValue(""), 0u);
  EXPECT_EQ(SlotHashValue("Fran\xC3\xA7"
                          "ais"),
            3089748349u);
  EXPECT_EQ(SlotHashValue("\xF0\x9F\x98\x80"), 3631420675u);  // a surrogate pair
}

TEST_F(TextTableTest, WalkingVisitsSlotsInOrderAndTheNewestEntryFirstWithinOne) {
  // "Aa", "Ii" and "Qq" share a slot; "Deutsch" lies after it, "English" before.
  SlotHash<int> map;
  map.obtain("Deutsch") = 1;
  map.obtain("Aa") = 2;
  map.obtain("Ii") = 3;
  map.obtain("English") = 4;
  map.obtain("Qq") = 5;
  map.obtain("Aa") = 6;  // overwriting keeps the entry where it is
  std::vector<int> order;
  for (const int* value : map.ordered()) order.push_back(*value);
  ASSERT_EQ(SlotOf("Aa"), SlotOf("Qq"));
  EXPECT_EQ(order, (std::vector<int>{5, 3, 6, 4, 1}));
}

// Forty thousand keys put about eighty in every slot: the order must still be
// slot by slot, newest first, and every key must still find its own value.
TEST_F(TextTableTest, CrowdedSlotsKeepTheWalkingOrderAndEveryLookup) {
  constexpr int kKeys = 40000;
  SlotHash<int> map;
  std::vector<std::vector<int>> bySlot(kHashSlots);
  for (int i = 0; i < kKeys; ++i) {
    const std::string key = "key" + std::to_string(i);
    map.obtain(key) = i;
    bySlot[SlotOf(key)].insert(bySlot[SlotOf(key)].begin(), i);
  }
  for (int i = 0; i < kKeys; i += 2) map.obtain("key" + std::to_string(i)) = i;  // no moves
  std::vector<int> expected;
  for (const auto& slot : bySlot) expected.insert(expected.end(), slot.begin(), slot.end());
  std::vector<int> order;
  for (const int* value : map.ordered()) order.push_back(*value);
  EXPECT_EQ(order, expected);
  EXPECT_EQ(map.size(), static_cast<std::size_t>(kKeys));
  for (int i = 0; i < kKeys; ++i) {
    const int* value = map.find("key" + std::to_string(i));
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, i);
  }
  EXPECT_EQ(map.find("key" + std::to_string(kKeys)), nullptr);
  map.clear();
  EXPECT_EQ(map.size(), 0u);
  EXPECT_EQ(map.find("key0"), nullptr);
  EXPECT_TRUE(map.ordered().empty());
}

}  // namespace
}  // namespace vandrel

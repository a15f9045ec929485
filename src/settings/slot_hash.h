// The 512-slot hash map behind the text table and the language catalogue.
// Its walking order is observable (it is the order of the Languages menu):
// slots 0 to 511, and within a slot the newest entry first. Replacing a value
// never moves its entry. Keys are compared exactly. The slots only give the
// order; lookups go through an index, so a slot with thousands of keys does
// not make each lookup walk them all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vandrel {

inline constexpr std::size_t kHashSlots = 512;

// h := h * 65599 + c over the UTF-16 code units of the text, unsigned 32-bit.
// Bytes that are not valid UTF-8 count as U+FFFD, so any key has a slot.
std::uint32_t SlotHashValue(std::string_view utf8);

inline std::size_t SlotOf(std::string_view utf8) { return SlotHashValue(utf8) % kHashSlots; }

template <typename Value>
class SlotHash {
 public:
  SlotHash() = default;
  // The index points into the slots, so a copy would point into the original.
  SlotHash(const SlotHash&) = delete;
  SlotHash& operator=(const SlotHash&) = delete;

  Value* find(std::string_view key) {
    const auto found = index_.find(key);
    return found == index_.end() ? nullptr : &found->second->second;
  }

  const Value* find(std::string_view key) const {
    const auto found = index_.find(key);
    return found == index_.end() ? nullptr : &found->second->second;
  }

  // The value held for the key, added default-made at the head of its slot
  // when new. References stay valid for the life of the map.
  Value& obtain(std::string_view key) {
    if (Value* value = find(key)) return *value;
    Item& item = slots_[SlotOf(key)].emplace_front(std::string(key), Value{});
    // The view points into the entry's own key, which never moves or changes.
    index_.emplace(std::string_view(item.first), &item);
    return item.second;
  }

  std::size_t size() const { return index_.size(); }

  // Values in walking order.
  std::vector<const Value*> ordered() const {
    std::vector<const Value*> result;
    result.reserve(index_.size());
    for (const auto& slot : slots_) {
      for (const auto& item : slot) result.push_back(&item.second);
    }
    return result;
  }

  // Keys in walking order; valid until the map is cleared.
  std::vector<std::string_view> keys() const {
    std::vector<std::string_view> result;
    result.reserve(index_.size());
    for (const auto& slot : slots_) {
      for (const auto& item : slot) result.emplace_back(item.first);
    }
    return result;
  }

  void clear() {
    index_.clear();
    for (auto& slot : slots_) slot.clear();
  }

 private:
  using Item = std::pair<std::string, Value>;
  // forward_list: new entries go to the front, which is exactly the walking
  // order within a slot, and references handed out never move.
  std::array<std::forward_list<Item>, kHashSlots> slots_;
  std::unordered_map<std::string_view, Item*> index_;
};

}  // namespace vandrel

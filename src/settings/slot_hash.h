// The 512-slot hash map behind the text table and the language catalogue.
// Its walking order is observable (it is the order of the Languages menu):
// slots 0 to 511, and within a slot the newest entry first. Replacing a value
// never moves its entry. Keys are compared exactly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
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
  Value* find(std::string_view key) {
    for (auto& item : slots_[SlotOf(key)]) {
      if (item.first == key) return &item.second;
    }
    return nullptr;
  }

  const Value* find(std::string_view key) const {
    for (const auto& item : slots_[SlotOf(key)]) {
      if (item.first == key) return &item.second;
    }
    return nullptr;
  }

  // The value held for the key, added default-made at the head of its slot
  // when new. References stay valid for the life of the map.
  Value& obtain(std::string_view key) {
    auto& slot = slots_[SlotOf(key)];
    for (auto& item : slot) {
      if (item.first == key) return item.second;
    }
    ++size_;
    return slot.emplace_front(std::string(key), Value{}).second;
  }

  std::size_t size() const { return size_; }

  // Values in walking order.
  std::vector<const Value*> ordered() const {
    std::vector<const Value*> result;
    result.reserve(size_);
    for (const auto& slot : slots_) {
      for (const auto& item : slot) result.push_back(&item.second);
    }
    return result;
  }

  void clear() {
    for (auto& slot : slots_) slot.clear();
    size_ = 0;
  }

 private:
  // forward_list: new entries go to the front, which is exactly the walking
  // order within a slot, and references handed out never move.
  std::array<std::forward_list<std::pair<std::string, Value>>, kHashSlots> slots_;
  std::size_t size_ = 0;
};

}  // namespace vandrel

// Numbered objects of one kind. A fixed number replaces the object that held
// it; kAutomatic picks a number no other object of the kind uses (never 0).
// Safe to use from several threads; the objects themselves are touched on
// the main thread only.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace vandrel::tk {

template <typename T>
class Registry {
 public:
  // Stores `object` under `number` (or a new number for a negative one) and
  // returns the number. The object that held the number before is returned
  // through `replaced` so that the caller can release its toolkit parts.
  int add(int number, std::unique_ptr<T> object, std::unique_ptr<T>* replaced = nullptr) {
    std::lock_guard lock(mutex_);
    if (number < 0) {
      while (objects_.count(nextAutomatic_)) ++nextAutomatic_;
      number = nextAutomatic_++;
    } else if (auto it = objects_.find(number); it != objects_.end()) {
      if (replaced) *replaced = std::move(it->second);
      objects_.erase(it);
    }
    objects_[number] = std::move(object);
    return number;
  }

  T* find(int number) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(number);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  std::unique_ptr<T> remove(int number) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(number);
    if (it == objects_.end()) return nullptr;
    auto object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  std::vector<int> numbers() {
    std::lock_guard lock(mutex_);
    std::vector<int> result;
    for (const auto& [number, object] : objects_) result.push_back(number);
    return result;
  }

 private:
  std::mutex mutex_;
  std::map<int, std::unique_ptr<T>> objects_;
  int nextAutomatic_ = 10000;
};

}  // namespace vandrel::tk

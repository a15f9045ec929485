// Holds an object that is built on first use and never destroyed, for state
// that detached threads may still touch while static destructors run at
// program exit.
#pragma once

#include <utility>

namespace vandrel::sys {

template <typename T>
union Immortal {
  template <typename... Arguments>
  explicit Immortal(Arguments&&... arguments) : value(std::forward<Arguments>(arguments)...) {}
  ~Immortal() {}
  T value;
};

}  // namespace vandrel::sys

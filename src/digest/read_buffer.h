// The memory the engine reads into: page-aligned and a whole number of
// pages, so that the kernel copies whole pages into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vandrel {

inline constexpr std::size_t kReadBufferAlignment = 4096;

inline constexpr std::size_t WholePages(std::size_t bytes) {
  return (bytes + kReadBufferAlignment - 1) / kReadBufferAlignment * kReadBufferAlignment;
}

struct ReadBufferRelease {
  void operator()(std::uint8_t* buffer) const { std::free(buffer); }
};
using ReadBuffer = std::unique_ptr<std::uint8_t, ReadBufferRelease>;

// Holds at least `bytes`; empty when memory is short.
inline ReadBuffer MakeReadBuffer(std::size_t bytes) {
  return ReadBuffer(
      static_cast<std::uint8_t*>(std::aligned_alloc(kReadBufferAlignment, WholePages(bytes))));
}

}  // namespace vandrel

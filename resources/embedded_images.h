// The built-in images as PNG streams, compiled into the program. Index i
// holds the image decoded under image id i at start-up.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vandrel {

struct EmbeddedFile {
  const std::uint8_t* data;
  std::size_t size;
};

inline constexpr int kEmbeddedImageCount = 17;
extern const EmbeddedFile kEmbeddedImages[kEmbeddedImageCount];

}  // namespace vandrel

// Fonts and images, numbered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vandrel::tk {

enum FontStyle : int { kFontBold = 1, kFontItalic = 2 };

// A face that is not installed falls back to the toolkit's choice at the
// same size and style. Returns a handle, 0 on failure.
void* LoadFont(int id, const std::string& face, int points, int style = 0);
void* FontID(int id);

// Decodes a PNG stream into image `id`. Returns the handle, or nullptr when
// it cannot be decoded (the id then holds no image).
void* CatchImage(int id, const std::uint8_t* png, std::size_t size);
void* ImageID(int id);
int ImageWidth(int id);
int ImageHeight(int id);

}  // namespace vandrel::tk

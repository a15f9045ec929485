// Fonts, applied to gadgets through style classes, and images decoded from
// PNG streams with libpng.
#include "toolkit/resources.h"

#include <gtk/gtk.h>
#include <png.h>

#include <cstring>
#include <vector>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace detail {

Registry<FontRecord>& Fonts() {
  static Registry<FontRecord> registry;
  return registry;
}

Registry<ImageRecord>& Images() {
  static Registry<ImageRecord> registry;
  return registry;
}

namespace {

GtkCssProvider* g_fontCss = nullptr;

void ReleaseFont(FontRecord& font) {
  if (font.description) pango_font_description_free(font.description);
  font.description = nullptr;
}

void ReleaseImage(ImageRecord& image) {
  if (image.pixbuf) g_object_unref(image.pixbuf);
  image.pixbuf = nullptr;
}

// One style sheet holds a class per font; gadgets carry the class.
void RebuildFontCss() {
  std::string css;
  for (int id : Fonts().numbers()) {
    FontRecord* font = Fonts().find(id);
    if (!font) continue;
    css += "." + font->cssClass + " { font-family: \"" + font->face +
           "\"; font-size: " + std::to_string(font->points) +
           "pt; font-weight: " + ((font->style & kFontBold) ? "bold" : "normal") +
           "; font-style: " + ((font->style & kFontItalic) ? "italic" : "normal") + "; }\n";
  }
  if (!g_fontCss) {
    g_fontCss = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(g_fontCss),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 2);
  }
  gtk_css_provider_load_from_data(g_fontCss, css.c_str(), -1, nullptr);
}

struct PngReader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t offset = 0;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
  if (reader->offset + count > reader->size) png_error(png, "truncated image");
  std::memcpy(out, reader->data + reader->offset, count);
  reader->offset += count;
}

// Decodes to 8-bit RGBA. Empty on any fault in the stream.
bool DecodePng(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& pixels,
               int& width, int& height) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  PngReader reader{data, size};
  std::vector<png_bytep> rows;
  // libpng reports faults by longjmp; nothing with a destructor is created
  // between here and the end of the decoding below.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadPngBytes);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  width = static_cast<int>(png_get_image_width(png, info));
  height = static_cast<int>(png_get_image_height(png, info));
  pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
  rows.resize(height);
  for (int y = 0; y < height; ++y)
    rows[y] = pixels.data() + static_cast<std::size_t>(y) * width * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return width > 0 && height > 0;
}

}  // namespace

void FreeResources() {
  for (int id : Fonts().numbers()) {
    if (auto font = Fonts().remove(id)) ReleaseFont(*font);
  }
  for (int id : Images().numbers()) {
    if (auto image = Images().remove(id)) ReleaseImage(*image);
  }
}

}  // namespace detail

void* LoadFont(int id, const std::string& face, int points, int style) {
  return detail::OnMainThread([&]() -> void* {
    auto font = std::make_unique<detail::FontRecord>();
    font->face = face;
    font->points = points;
    font->style = style;
    font->description = pango_font_description_new();
    pango_font_description_set_family(font->description, face.c_str());
    pango_font_description_set_size(font->description, points * PANGO_SCALE);
    pango_font_description_set_weight(
        font->description, (style & kFontBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(
        font->description, (style & kFontItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    detail::FontRecord* stored = font.get();
    std::unique_ptr<detail::FontRecord> replaced;
    int number = detail::Fonts().add(id, std::move(font), &replaced);
    if (replaced) detail::ReleaseFont(*replaced);
    stored->cssClass = "vandrel-font-" + std::to_string(number);
    detail::RebuildFontCss();
    return stored;
  });
}

void* FontID(int id) {
  return detail::OnMainThread([&]() -> void* { return detail::Fonts().find(id); });
}

void* CatchImage(int id, const std::uint8_t* png, std::size_t size) {
  return detail::OnMainThread([&]() -> void* {
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0;
    std::unique_ptr<detail::ImageRecord> replaced;
    if (!detail::DecodePng(png, size, pixels, width, height)) {
      if (auto old = detail::Images().remove(id)) detail::ReleaseImage(*old);
      return nullptr;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
    if (!pixbuf) return nullptr;
    int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* target = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < height; ++y) {
      std::memcpy(target + static_cast<std::size_t>(y) * stride,
                  pixels.data() + static_cast<std::size_t>(y) * width * 4,
                  static_cast<std::size_t>(width) * 4);
    }
    auto record = std::make_unique<detail::ImageRecord>();
    record->pixbuf = pixbuf;
    detail::Images().add(id, std::move(record), &replaced);
    if (replaced) detail::ReleaseImage(*replaced);
    return pixbuf;
  });
}

void* ImageID(int id) {
  return detail::OnMainThread([&]() -> void* {
    detail::ImageRecord* image = detail::Images().find(id);
    return image ? image->pixbuf : nullptr;
  });
}

int ImageWidth(int id) {
  return detail::OnMainThread([&] {
    detail::ImageRecord* image = detail::Images().find(id);
    return image && image->pixbuf ? gdk_pixbuf_get_width(image->pixbuf) : 0;
  });
}

int ImageHeight(int id) {
  return detail::OnMainThread([&] {
    detail::ImageRecord* image = detail::Images().find(id);
    return image && image->pixbuf ? gdk_pixbuf_get_height(image->pixbuf) : 0;
  });
}

}  // namespace vandrel::tk

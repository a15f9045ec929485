// Writes the program's desktop icon, the logo drawn at each hicolor size and
// once as SVG, into <folder>/hicolor/<size>/apps/. The logo is drawn on a
// 128-unit canvas, so every size is the same drawing scaled, never a PNG
// resampled.
#include <cairo-svg.h>
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "painter.h"

namespace vandrel::painter {
namespace {

struct SurfaceFree {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceFree>;
using ContextPtr = std::unique_ptr<cairo_t, ContextFree>;

constexpr double kLogoCanvas = 128;
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool DrawScaledLogo(cairo_surface_t* surface, double size) {
  ContextPtr cr(cairo_create(surface));
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_GOOD);
  cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_WINDING);
  cairo_scale(cr.get(), size / kLogoCanvas, size / kLogoCanvas);
  DrawLogo(cr.get());
  return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS;
}

std::string PrepareFolder(const std::string& root, const std::string& size_folder) {
  const std::filesystem::path folder =
      std::filesystem::path(root) / "hicolor" / size_folder / "apps";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return error ? std::string() : folder.string();
}

bool WritePng(const std::string& root, const std::string& name, int size) {
  const std::string dimension = std::to_string(size);
  const std::string folder = PrepareFolder(root, dimension + "x" + dimension);
  if (folder.empty()) return false;
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  if (!DrawScaledLogo(surface.get(), size)) return false;
  cairo_surface_flush(surface.get());
  const std::string path = folder + "/" + name + ".png";
  return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool WriteSvg(const std::string& root, const std::string& name) {
  const std::string folder = PrepareFolder(root, "scalable");
  if (folder.empty()) return false;
  const std::string path = folder + "/" + name + ".svg";
  SurfacePtr surface(cairo_svg_surface_create(path.c_str(), kLogoCanvas, kLogoCanvas));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  // Sizes in plain user units, so the icon scales to whatever box the
  // desktop gives it.
  cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_USER);
  if (!DrawScaledLogo(surface.get(), kLogoCanvas)) return false;
  cairo_surface_finish(surface.get());
  return cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

int WriteAppIcons(const std::string& root, const std::string& name) {
  int failures = 0;
  for (int size : kIconSizes) {
    if (!WritePng(root, name, size)) {
      std::fprintf(stderr, "cannot write the %d px icon under %s\n", size, root.c_str());
      ++failures;
    }
  }
  if (!WriteSvg(root, name)) {
    std::fprintf(stderr, "cannot write the scalable icon under %s\n", root.c_str());
    ++failures;
  }
  return failures;
}

}  // namespace vandrel::painter

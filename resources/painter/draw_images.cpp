// Draws Vandrel's seventeen built-in images with cairo and writes them as
// 8-bit RGBA PNG files into the folder given first, and the desktop icon in
// every size into the folder given second. The build embeds the images and
// installs the icons; run this only to redraw them
// (cmake --build <dir> --target vandrel_draw_images).
#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

#include "painter.h"

namespace {

struct SurfaceFree {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

struct ImageJob {
  const char* file;
  int size;
  void (*draw)(cairo_t* cr);
};

// In image-id order; the names are those the build embeds.
constexpr ImageJob kImages[] = {
    {"00_logo.png", 128, vandrel::painter::DrawLogo},
    {"01_menu_web.png", 16, vandrel::painter::DrawWebIcon},
    {"02_dialog_error.png", 64, vandrel::painter::DrawErrorIcon},
    {"03_dialog_notice.png", 64, vandrel::painter::DrawNoticeIcon},
    {"04_dialog_question.png", 64, vandrel::painter::DrawQuestionIcon},
    {"05_dialog_warning.png", 64, vandrel::painter::DrawWarningIcon},
    {"06_menu_open.png", 16, vandrel::painter::DrawOpenIcon},
    {"07_menu_about.png", 16, vandrel::painter::DrawAboutIcon},
    {"08_menu_help.png", 16, vandrel::painter::DrawHelpIcon},
    {"09_menu_quit.png", 16, vandrel::painter::DrawQuitIcon},
    {"10_row_computing.png", 16, vandrel::painter::DrawComputingIcon},
    {"11_row_computed.png", 16, vandrel::painter::DrawComputedIcon},
    {"12_row_queued.png", 16, vandrel::painter::DrawQueuedIcon},
    {"13_row_failed.png", 16, vandrel::painter::DrawFailedIcon},
    {"14_row_matches.png", 16, vandrel::painter::DrawMatchesIcon},
    {"15_row_differs.png", 16, vandrel::painter::DrawDiffersIcon},
    {"16_row_missing.png", 16, vandrel::painter::DrawMissingIcon},
};

bool WriteImage(const ImageJob& job, const std::string& folder) {
  std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, job.size, job.size));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  {
    std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
    // A new image surface is already fully transparent.
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_GOOD);
    cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_WINDING);
    job.draw(cr.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
  }
  cairo_surface_flush(surface.get());
  const std::string path = folder + "/" + job.file;
  return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s IMAGE_FOLDER ICON_FOLDER ICON_NAME\n", argv[0]);
    return 2;
  }
  int failures = 0;
  for (const ImageJob& job : kImages) {
    if (!WriteImage(job, argv[1])) {
      std::fprintf(stderr, "cannot write %s/%s\n", argv[1], job.file);
      ++failures;
    }
  }
  failures += vandrel::painter::WriteAppIcons(argv[2], argv[3]);
  return failures == 0 ? 0 : 1;
}

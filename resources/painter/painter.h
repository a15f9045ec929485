// Shared pieces of the program that draws Vandrel's built-in images: the
// palette every image takes its colours from, small cairo helpers for
// shading and rounded shapes, and the drawing function of each image.
// It is a build-time tool; nothing here is linked into Vandrel itself.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace vandrel::painter {

struct Rgb {
  double r;
  double g;
  double b;
};

constexpr Rgb Hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0};
}

// One palette for the whole set: each hue has a light top, a base and a dark
// edge, so every image is shaded the same way.
struct Shade {
  Rgb light;
  Rgb base;
  Rgb edge;
};

inline constexpr Shade kBlue{Hex(0x5b9cf0), Hex(0x2f74d0), Hex(0x1b4f9c)};
inline constexpr Shade kGreen{Hex(0x5ccb76), Hex(0x2f9e4f), Hex(0x1f7238)};
inline constexpr Shade kRed{Hex(0xf0625a), Hex(0xd6322c), Hex(0x9c1c1a)};
inline constexpr Shade kGrey{Hex(0xeceef1), Hex(0xd3d7dc), Hex(0x9aa1aa)};
inline constexpr Shade kWine{Hex(0xb42a33), Hex(0x8c1620), Hex(0x5e0c14)};
inline constexpr Shade kAmber{Hex(0xffd866), Hex(0xf5b82e), Hex(0xb47c12)};
inline constexpr Shade kSteel{Hex(0xc4cbd3), Hex(0x8d97a3), Hex(0x58616c)};
inline constexpr Shade kWood{Hex(0xc08a55), Hex(0x98643a), Hex(0x5f3a1e)};
inline constexpr Rgb kWhite = Hex(0xffffff);
inline constexpr Rgb kInk = Hex(0x2b2f36);

struct Point {
  double x;
  double y;
};

void SetColour(cairo_t* cr, Rgb colour, double alpha = 1.0);

// Sets a vertical linear gradient from `top` at y0 to `bottom` at y1 as the
// source. The pattern is released at once; cairo keeps its own reference.
void SetVerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);

// Same, along the line from `from` to `to`.
void SetLinearGradient(cairo_t* cr, Point from, Point to, Rgb start, Rgb end);

// Sets a vertical gradient of one colour whose opacity goes from alpha0 at
// y0 to alpha1 at y1.
void SetVerticalFade(cairo_t* cr, double y0, double y1, Rgb colour, double alpha0, double alpha1);

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius);

// A closed polygon whose corners are rounded off with circular arcs of the
// given radius (clamped so that neighbouring arcs never overlap).
void RoundedPolygonPath(cairo_t* cr, std::initializer_list<Point> corners, double radius);

void CirclePath(cairo_t* cr, double cx, double cy, double radius);

// Strokes the current path with a line of the given width in `colour`, and
// clears the path.
void Stroke(cairo_t* cr, Rgb colour, double width, double alpha = 1.0);

// The images, each drawn into a transparent surface of its own size.
void DrawLogo(cairo_t* cr);           // 128 x 128
void DrawErrorIcon(cairo_t* cr);      // 64 x 64
void DrawNoticeIcon(cairo_t* cr);     // 64 x 64
void DrawQuestionIcon(cairo_t* cr);   // 64 x 64
void DrawWarningIcon(cairo_t* cr);    // 64 x 64
void DrawWebIcon(cairo_t* cr);        // 16 x 16
void DrawOpenIcon(cairo_t* cr);       // 16 x 16
void DrawAboutIcon(cairo_t* cr);      // 16 x 16
void DrawHelpIcon(cairo_t* cr);       // 16 x 16
void DrawQuitIcon(cairo_t* cr);       // 16 x 16
void DrawComputingIcon(cairo_t* cr);  // 16 x 16
void DrawComputedIcon(cairo_t* cr);   // 16 x 16
void DrawQueuedIcon(cairo_t* cr);     // 16 x 16
void DrawFailedIcon(cairo_t* cr);     // 16 x 16
void DrawMatchesIcon(cairo_t* cr);    // 16 x 16
void DrawDiffersIcon(cairo_t* cr);    // 16 x 16
void DrawMissingIcon(cairo_t* cr);    // 16 x 16

// Writes the logo as the desktop icon `name` in every hicolor size and as
// SVG under <root>/hicolor/. Returns the number of files it could not write.
int WriteAppIcons(const std::string& root, const std::string& name);

}  // namespace vandrel::painter

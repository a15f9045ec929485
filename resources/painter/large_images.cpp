// The large images: the 128 x 128 program logo and the four 64 x 64
// message dialog icons. Glyphs are built from paths, not from a font, so
// the result does not depend on which fonts the build machine has.
#include <cmath>
#include <numbers>

#include "painter.h"

namespace vandrel::painter {
namespace {

constexpr double kPi = std::numbers::pi;

// A 58-pixel disc centred in a 64 x 64 icon, with its rim.
void DrawIconDisc(cairo_t* cr, const Shade& shade) {
  CirclePath(cr, 32, 32, 29);
  SetVerticalGradient(cr, 3, 61, shade.light, shade.base);
  cairo_fill(cr);
  CirclePath(cr, 32, 32, 28.5);
  Stroke(cr, shade.edge, 1);
}

// Runs `paint` twice, each time with the source set beforehand: once as a
// translucent dark shadow shifted down, then in `colour` in place. `paint` builds
// its path and fills or strokes it.
template <typename PaintFn>
void PaintRaised(cairo_t* cr, PaintFn paint, Rgb colour, double drop) {
  cairo_save(cr);
  cairo_translate(cr, 0, drop);
  SetColour(cr, kInk, 0.22);
  paint();
  cairo_restore(cr);
  SetColour(cr, colour);
  paint();
}

// Moves each corner of a triangle towards its incentre so that every side
// comes `inset` pixels closer.
void InsetTriangle(const Point (&outer)[3], double inset, Point (&inner)[3]) {
  double side[3];
  for (int i = 0; i < 3; ++i) {
    const Point a = outer[(i + 1) % 3], b = outer[(i + 2) % 3];
    side[i] = std::hypot(a.x - b.x, a.y - b.y);
  }
  const double perimeter = side[0] + side[1] + side[2];
  const Point centre{
      (side[0] * outer[0].x + side[1] * outer[1].x + side[2] * outer[2].x) / perimeter,
      (side[0] * outer[0].y + side[1] * outer[1].y + side[2] * outer[2].y) / perimeter};
  const double area = std::abs((outer[1].x - outer[0].x) * (outer[2].y - outer[0].y) -
                               (outer[2].x - outer[0].x) * (outer[1].y - outer[0].y)) /
                      2;
  const double inradius = 2 * area / perimeter;
  const double scale = (inradius - inset) / inradius;
  for (int i = 0; i < 3; ++i) {
    inner[i] = {centre.x + (outer[i].x - centre.x) * scale,
                centre.y + (outer[i].y - centre.y) * scale};
  }
}

}  // namespace

void DrawLogo(cairo_t* cr) {
  RoundedRectPath(cr, 2, 2, 124, 124, 26);
  SetVerticalGradient(cr, 2, 126, kWine.light, kWine.base);
  cairo_fill(cr);
  RoundedRectPath(cr, 2.5, 2.5, 123, 123, 25.5);
  Stroke(cr, kWine.edge, 1);
  // A faint glint along the inside of the top edge, fading out downwards.
  RoundedRectPath(cr, 3.5, 3.5, 121, 121, 24.5);
  SetVerticalFade(cr, 3, 40, kWhite, 0.35, 0.0);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);

  // "#": two slanted uprights and two crossbars, 13 px thick.
  constexpr double kThick = 13, kSlant = 5, kTop = 28, kBottom = 100;
  auto hash = [cr] {
    for (double x : {51.0, 77.0}) {
      RoundedPolygonPath(cr,
                         {{x - kThick / 2 + kSlant, kTop},
                          {x + kThick / 2 + kSlant, kTop},
                          {x + kThick / 2 - kSlant, kBottom},
                          {x - kThick / 2 - kSlant, kBottom}},
                         2.5);
    }
    for (double y : {51.0, 77.0}) {
      RoundedRectPath(cr, 30, y - kThick / 2, 68, kThick, 2.5);
    }
    cairo_fill(cr);
  };
  PaintRaised(cr, hash, kWhite, 2.5);
}

void DrawErrorIcon(cairo_t* cr) {
  DrawIconDisc(cr, kRed);
  auto bar = [cr] {
    RoundedRectPath(cr, 16, 26.5, 32, 11, 3);
    cairo_fill(cr);
  };
  PaintRaised(cr, bar, kWhite, 1.5);
}

void DrawQuestionIcon(cairo_t* cr) {
  DrawIconDisc(cr, kBlue);
  auto mark = [cr] {
    cairo_new_path(cr);
    cairo_arc(cr, 32, 25, 9.5, kPi * 1.08, kPi * 2.2);
    cairo_curve_to(cr, 38.5, 31.5, 32, 33, 32, 38);
    cairo_line_to(cr, 32, 39.5);
    cairo_set_line_width(cr, 8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    CirclePath(cr, 32, 48.5, 4.75);
    cairo_fill(cr);
  };
  PaintRaised(cr, mark, kWhite, 1.5);
}

void DrawNoticeIcon(cairo_t* cr) {
  // Glass: a round top narrowing into a neck.
  constexpr double kCx = 32, kCy = 24, kR = 18;
  auto glass = [cr] {
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCx, kCy, kR, kPi * 0.78, kPi * 2.22);
    cairo_curve_to(cr, 42, 40, 40, 42, 40, 47);
    cairo_line_to(cr, 24, 47);
    cairo_curve_to(cr, 24, 42, 22, 40, kCx - kR * 0.77, kCy + kR * 0.64);
    cairo_close_path(cr);
  };
  glass();
  SetLinearGradient(cr, {20, 8}, {44, 46}, kAmber.light, kAmber.base);
  cairo_fill(cr);
  glass();
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  Stroke(cr, kAmber.edge, 1.5);

  // Filament.
  cairo_move_to(cr, 28, 46);
  cairo_line_to(cr, 28, 36);
  cairo_curve_to(cr, 28, 31, 26, 29, 28, 28);
  cairo_curve_to(cr, 30, 27, 30, 32, 32, 32);
  cairo_curve_to(cr, 34, 32, 34, 27, 36, 28);
  cairo_curve_to(cr, 38, 29, 36, 31, 36, 36);
  cairo_line_to(cr, 36, 46);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  Stroke(cr, kAmber.edge, 1.5, 0.8);

  // Highlight on the glass.
  cairo_new_sub_path(cr);
  cairo_arc(cr, kCx, kCy, kR - 5, kPi * 1.1, kPi * 1.45);
  Stroke(cr, kWhite, 3.5, 0.75);

  // Screw base with two threads and the contact at the bottom.
  RoundedRectPath(cr, 23, 46, 18, 11, 2.5);
  // A sideways sheen multiplied by a top-to-bottom shade gives the metal
  // its rounded look.
  SetLinearGradient(cr, {23, 0}, {41, 0}, kSteel.base, kSteel.light);
  cairo_fill_preserve(cr);
  SetVerticalGradient(cr, 46, 57, kSteel.light, kSteel.base);
  cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  RoundedRectPath(cr, 23.5, 46.5, 17, 10, 2);
  Stroke(cr, kSteel.edge, 1);
  for (double y : {50.5, 53.5}) {
    cairo_move_to(cr, 24, y);
    cairo_line_to(cr, 40, y);
  }
  Stroke(cr, kSteel.edge, 1, 0.6);
  RoundedRectPath(cr, 27, 56, 10, 5, 2.5);
  SetColour(cr, kSteel.edge);
  cairo_fill(cr);
}

void DrawWarningIcon(cairo_t* cr) {
  const Point outer[3] = {{32, 4}, {61, 57}, {3, 57}};
  Point inner[3];
  InsetTriangle(outer, 6, inner);

  RoundedPolygonPath(cr, {outer[0], outer[1], outer[2]}, 6);
  SetVerticalGradient(cr, 4, 57, kRed.light, kRed.base);
  cairo_fill_preserve(cr);
  Stroke(cr, kRed.edge, 1);
  RoundedPolygonPath(cr, {inner[0], inner[1], inner[2]}, 2.5);
  SetVerticalGradient(cr, inner[0].y, inner[1].y, kWhite, Hex(0xfff1d6));
  cairo_fill_preserve(cr);
  Stroke(cr, kRed.edge, 1, 0.6);

  // "!": a bar narrowing downwards, and its dot.
  RoundedPolygonPath(cr, {{28.2, 21}, {35.8, 21}, {34.2, 39}, {29.8, 39}}, 2.2);
  CirclePath(cr, 32, 45.5, 3.6);
  SetColour(cr, kInk);
  cairo_fill(cr);
}

}  // namespace vandrel::painter

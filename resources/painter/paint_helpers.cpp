// Cairo helpers shared by the image drawings: colours, gradients and the
// rounded outlines the set is built from.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "painter.h"

namespace vandrel::painter {
namespace {

struct PatternFree {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using Pattern = std::unique_ptr<cairo_pattern_t, PatternFree>;

void SetPattern(cairo_t* cr, const Pattern& pattern, Rgb start, Rgb end) {
  cairo_pattern_add_color_stop_rgb(pattern.get(), 0.0, start.r, start.g, start.b);
  cairo_pattern_add_color_stop_rgb(pattern.get(), 1.0, end.r, end.g, end.b);
  cairo_set_source(cr, pattern.get());
}

}  // namespace

void SetColour(cairo_t* cr, Rgb colour, double alpha) {
  cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void SetVerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
  SetLinearGradient(cr, {0, y0}, {0, y1}, top, bottom);
}

void SetLinearGradient(cairo_t* cr, Point from, Point to, Rgb start, Rgb end) {
  Pattern pattern(cairo_pattern_create_linear(from.x, from.y, to.x, to.y));
  SetPattern(cr, pattern, start, end);
}

void SetVerticalFade(cairo_t* cr, double y0, double y1, Rgb colour, double alpha0, double alpha1) {
  Pattern pattern(cairo_pattern_create_linear(0, y0, 0, y1));
  cairo_pattern_add_color_stop_rgba(pattern.get(), 0.0, colour.r, colour.g, colour.b, alpha0);
  cairo_pattern_add_color_stop_rgba(pattern.get(), 1.0, colour.r, colour.g, colour.b, alpha1);
  cairo_set_source(cr, pattern.get());
}

void Stroke(cairo_t* cr, Rgb colour, double width, double alpha) {
  SetColour(cr, colour, alpha);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
  constexpr double kPi = std::numbers::pi;
  radius = std::min({radius, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kPi / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, kPi / 2, kPi);
  cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void RoundedPolygonPath(cairo_t* cr, std::initializer_list<Point> corners, double radius) {
  const std::vector<Point> p(corners);
  const size_t n = p.size();
  cairo_new_sub_path(cr);
  for (size_t i = 0; i < n; ++i) {
    const Point prev = p[(i + n - 1) % n];
    const Point at = p[i];
    const Point next = p[(i + 1) % n];
    const double ax = prev.x - at.x, ay = prev.y - at.y;
    const double bx = next.x - at.x, by = next.y - at.y;
    const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    const double ux = ax / la, uy = ay / la, vx = bx / lb, vy = by / lb;
    const double half = std::acos(std::clamp(ux * vx + uy * vy, -1.0, 1.0)) / 2;
    // Distance from the corner to where the arc meets each side; no more than
    // half of either side, so that two arcs on one side never cross.
    double tangent = radius / std::tan(half);
    tangent = std::min({tangent, la / 2, lb / 2});
    const double r = tangent * std::tan(half);
    const double bisx = ux + vx, bisy = uy + vy;
    const double bl = std::hypot(bisx, bisy);
    const double centre = r / std::sin(half);
    const double cx = at.x + bisx / bl * centre, cy = at.y + bisy / bl * centre;
    const double start = std::atan2(at.y + uy * tangent - cy, at.x + ux * tangent - cx);
    const double end = std::atan2(at.y + vy * tangent - cy, at.x + vx * tangent - cx);
    // The corners are given clockwise on screen, so each arc turns clockwise
    // (cairo's positive direction with y pointing down).
    cairo_arc(cr, cx, cy, r, start, end < start ? end + 2 * std::numbers::pi : end);
  }
  cairo_close_path(cr);
}

void CirclePath(cairo_t* cr, double cx, double cy, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * std::numbers::pi);
  cairo_close_path(cr);
}

}  // namespace vandrel::painter

// The 16 x 16 images: five menu icons, the four row state squares and the
// three marked squares of rows checked against a list.
// At this size every straight edge and 1-pixel line is placed on whole
// pixels (edges on integers, line centres on halves) so nothing blurs.
#include <numbers>

#include "painter.h"

namespace vandrel::painter {
namespace {

constexpr double kPi = std::numbers::pi;

// A rounded 14 x 14 square with a darker 1-pixel rim and a faint highlight
// along its top, as it sits in front of a path in the results list.
void DrawStateSquare(cairo_t* cr, const Shade& shade) {
  RoundedRectPath(cr, 1, 1, 14, 14, 3);
  SetVerticalGradient(cr, 1, 15, shade.light, shade.base);
  cairo_fill(cr);
  RoundedRectPath(cr, 1.5, 1.5, 13, 13, 2.5);
  Stroke(cr, shade.edge, 1);
  cairo_move_to(cr, 4, 2.5);
  cairo_line_to(cr, 12, 2.5);
  Stroke(cr, kWhite, 1, 0.35);
}

// A disc of radius 7 around (8, 8) with its rim, used by the globe and the
// About icon.
void DrawDisc(cairo_t* cr, const Shade& shade) {
  CirclePath(cr, 8, 8, 7);
  SetVerticalGradient(cr, 1, 15, shade.light, shade.base);
  cairo_fill(cr);
  CirclePath(cr, 8, 8, 6.5);
  Stroke(cr, shade.edge, 1);
}

}  // namespace

void DrawComputingIcon(cairo_t* cr) { DrawStateSquare(cr, kBlue); }
void DrawComputedIcon(cairo_t* cr) { DrawStateSquare(cr, kGreen); }
void DrawQueuedIcon(cairo_t* cr) { DrawStateSquare(cr, kGrey); }
void DrawFailedIcon(cairo_t* cr) { DrawStateSquare(cr, kRed); }

// A row checked against a list carries a white mark on its square, so that
// the verdicts differ in shape as well as in colour (red and green look alike
// to many people): a tick, a cross, a bar for a file that is not there. The
// mark is drawn over a dark halo so that it stands out on either colour.
void DrawMarkedSquare(cairo_t* cr, const Shade& shade, void (*mark)(cairo_t*)) {
  DrawStateSquare(cr, shade);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  mark(cr);
  Stroke(cr, shade.edge, 3.5, 0.6);
  mark(cr);
  Stroke(cr, kWhite, 2);
}

void DrawMatchesIcon(cairo_t* cr) {
  DrawMarkedSquare(cr, kGreen, [](cairo_t* c) {
    cairo_move_to(c, 4.5, 8.5);
    cairo_line_to(c, 7, 11);
    cairo_line_to(c, 11.5, 5);
  });
}

void DrawDiffersIcon(cairo_t* cr) {
  DrawMarkedSquare(cr, kRed, [](cairo_t* c) {
    cairo_move_to(c, 5, 5);
    cairo_line_to(c, 11, 11);
    cairo_move_to(c, 11, 5);
    cairo_line_to(c, 5, 11);
  });
}

void DrawMissingIcon(cairo_t* cr) {
  DrawMarkedSquare(cr, kRed, [](cairo_t* c) {
    cairo_move_to(c, 4.5, 8);
    cairo_line_to(c, 11.5, 8);
  });
}

void DrawWebIcon(cairo_t* cr) {
  // A 15-pixel globe centred on a pixel, so that its equator and central
  // meridian are single crisp rows and columns.
  constexpr double kC = 7.5;
  CirclePath(cr, kC, kC, 7.5);
  SetVerticalGradient(cr, 0, 15, kBlue.light, kBlue.base);
  cairo_fill(cr);
  cairo_save(cr);
  CirclePath(cr, kC, kC, 6.5);
  cairo_clip(cr);
  cairo_move_to(cr, 0, kC);
  cairo_line_to(cr, 15, kC);
  cairo_move_to(cr, kC, 0);
  cairo_line_to(cr, kC, 15);
  cairo_new_sub_path(cr);
  cairo_save(cr);
  cairo_translate(cr, kC, kC);
  cairo_scale(cr, 4, 7);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  Stroke(cr, kWhite, 1, 0.55);
  cairo_restore(cr);
  CirclePath(cr, kC, kC, 7);
  Stroke(cr, kBlue.edge, 1);
}

void DrawAboutIcon(cairo_t* cr) {
  DrawDisc(cr, kBlue);
  SetColour(cr, kWhite);
  cairo_rectangle(cr, 7, 4, 2, 2);
  cairo_rectangle(cr, 7, 7, 2, 5);
  cairo_fill(cr);
}

void DrawHelpIcon(cairo_t* cr) {
  // A white ring with four red bands on the diagonals; the rim is grey along
  // the white parts and dark red along the red ones.
  constexpr double kOuter = 7, kInner = 3;
  auto ring = [cr] {
    CirclePath(cr, 8, 8, kOuter);
    CirclePath(cr, 8, 8, kInner);
  };
  auto rim = [cr] {
    CirclePath(cr, 8, 8, kOuter - 0.5);
    CirclePath(cr, 8, 8, kInner + 0.5);
  };
  auto bands = [cr] {
    for (int band = 0; band < 4; ++band) {
      const double mid = kPi / 4 + band * kPi / 2;
      cairo_move_to(cr, 8, 8);
      cairo_arc(cr, 8, 8, kOuter + 1, mid - kPi / 8, mid + kPi / 8);
      cairo_close_path(cr);
    }
  };
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  ring();
  SetVerticalGradient(cr, 1, 15, kWhite, kGrey.base);
  cairo_fill(cr);
  rim();
  Stroke(cr, kSteel.base, 1);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);

  cairo_save(cr);
  bands();
  cairo_clip(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  ring();
  SetVerticalGradient(cr, 1, 15, kRed.light, kRed.base);
  cairo_fill(cr);
  rim();
  Stroke(cr, kRed.edge, 1);
  cairo_restore(cr);
}

void DrawOpenIcon(cairo_t* cr) {
  // Back of the folder with its tab.
  cairo_move_to(cr, 1, 3);
  cairo_line_to(cr, 6, 3);
  cairo_line_to(cr, 7, 4);
  cairo_line_to(cr, 15, 4);
  cairo_line_to(cr, 15, 14);
  cairo_line_to(cr, 1, 14);
  cairo_close_path(cr);
  SetColour(cr, kAmber.base);
  cairo_fill(cr);
  cairo_move_to(cr, 1.5, 13.5);
  cairo_line_to(cr, 1.5, 3.5);
  cairo_line_to(cr, 5.8, 3.5);
  cairo_line_to(cr, 6.8, 4.5);
  cairo_line_to(cr, 14.5, 4.5);
  cairo_line_to(cr, 14.5, 13.5);
  Stroke(cr, kAmber.edge, 1);

  // The document standing in it.
  cairo_rectangle(cr, 4, 2, 9, 9);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  cairo_rectangle(cr, 4.5, 2.5, 8, 8);
  Stroke(cr, kSteel.base, 1);
  for (double y : {4.5, 6.5}) {
    cairo_move_to(cr, 6, y);
    cairo_line_to(cr, 11, y);
  }
  Stroke(cr, kSteel.light, 1);

  // Front flap.
  cairo_rectangle(cr, 1, 7, 14, 8);
  SetVerticalGradient(cr, 7, 15, kAmber.light, kAmber.base);
  cairo_fill(cr);
  cairo_rectangle(cr, 1.5, 7.5, 13, 7);
  Stroke(cr, kAmber.edge, 1);
  cairo_move_to(cr, 2, 8.5);
  cairo_line_to(cr, 14, 8.5);
  Stroke(cr, kWhite, 1, 0.45);
}

void DrawQuitIcon(cairo_t* cr) {
  // The door, narrow and tall, on the left, with two recessed panels.
  cairo_rectangle(cr, 1, 1, 9, 14);
  SetVerticalGradient(cr, 1, 15, kWood.light, kWood.base);
  cairo_fill(cr);
  cairo_rectangle(cr, 1.5, 1.5, 8, 13);
  Stroke(cr, kWood.edge, 1);
  cairo_rectangle(cr, 3, 3, 5, 3);
  cairo_rectangle(cr, 3, 10, 5, 3);
  SetColour(cr, kWood.edge, 0.35);
  cairo_fill(cr);

  // The arrow leaving through it. Its head's sides run at 45 degrees so
  // that their anti-aliasing is even, and a 1-pixel dark rim (the outer
  // half of a 2-pixel stroke) sets it off the wood.
  auto arrow = [cr] {
    cairo_move_to(cr, 5, 7);
    cairo_line_to(cr, 9, 7);
    cairo_line_to(cr, 9, 3);
    cairo_line_to(cr, 14, 8);
    cairo_line_to(cr, 9, 13);
    cairo_line_to(cr, 9, 9);
    cairo_line_to(cr, 5, 9);
    cairo_close_path(cr);
  };
  arrow();
  // Mitres only where the corner is square or wider; the sharp corners at
  // the back of the head are bevelled instead of spiking out.
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, 2);
  Stroke(cr, kRed.edge, 2);
  arrow();
  SetVerticalGradient(cr, 3, 13, kRed.light, kRed.base);
  cairo_fill(cr);
}

}  // namespace vandrel::painter

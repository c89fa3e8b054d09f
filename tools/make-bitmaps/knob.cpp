#include "tools/make-bitmaps/knob.h"

#include <cairo.h>

#include <cmath>

#include "tools/make-bitmaps/cairo_raster.h"
#include "tools/make-bitmaps/layout.h"

namespace {

void grey(cairo_pattern_t* p, double at, int v, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, at, v / 255.0, v / 255.0, (v + 3) / 255.0, alpha);
}

}  // namespace

Raster drawKnob(const Raster& base, double value, double scale) {
    cairo_surface_t* surface = surfaceFromRaster(base);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);

    const double size = base.width;
    const double c = size / 2;         // the centre the mouse geometry turns about
    const double s = size / 40.0;      // 1 for the small knobs, 1.6 for the large one, times the scale
    const double px = scale;           // one 1x pixel: hairlines and margins
    const double radius = 15.5 * s;    // skirt
    const double cap = radius * 0.68;  // top
    const double a = layout::angleForValue(value);
    const double ux = std::cos(a), uy = -std::sin(a);

    // Keep well inside the square: its edge pixels stay those of the panel.
    cairo_arc(cr, c, c, c - 1.5 * px, 0, 2 * M_PI);
    cairo_clip(cr);

    // Soft shadow, light from the upper left.
    cairo_pattern_t* shadow = cairo_pattern_create_radial(c + 1.0 * s, c + 1.6 * s, radius - 2 * s,
                                                          c + 1.0 * s, c + 1.6 * s, radius + 2.4 * s);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.65);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shadow);
    cairo_paint(cr);
    cairo_pattern_destroy(shadow);

    // Skirt.
    cairo_pattern_t* skirt = cairo_pattern_create_linear(c - radius, c - radius, c + radius, c + radius);
    grey(skirt, 0, 84);
    grey(skirt, 0.5, 40);
    grey(skirt, 1, 16);
    cairo_arc(cr, c, c, radius, 0, 2 * M_PI);
    cairo_set_source(cr, skirt);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);

    // Grip ridges turn with the knob.
    const int ridges = size / scale > 50 ? 36 : 28;
    cairo_set_line_width(cr, 0.9 * s);
    for (int i = 0; i < ridges; ++i) {
        double t = a + (i + 0.5) * 2 * M_PI / ridges;
        double lit = 0.5 + 0.5 * std::cos(t - 0.75 * M_PI);  // faces towards the light
        cairo_set_source_rgba(cr, 0, 0, 0, 0.55 - 0.25 * lit);
        cairo_move_to(cr, c + (radius - 2.6 * s) * std::cos(t), c - (radius - 2.6 * s) * std::sin(t));
        cairo_line_to(cr, c + (radius - 0.3 * px) * std::cos(t), c - (radius - 0.3 * px) * std::sin(t));
        cairo_stroke(cr);
    }

    // Rim highlight.
    cairo_pattern_t* rim = cairo_pattern_create_linear(c - radius, c - radius, c + radius * 0.6, c + radius * 0.6);
    grey(rim, 0, 150, 0.9);
    grey(rim, 0.6, 60, 0.3);
    grey(rim, 1, 0, 0.6);
    cairo_set_line_width(cr, 1.0 * px);
    cairo_arc(cr, c, c, radius - 0.5 * px, 0, 2 * M_PI);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);

    // Polished metal ring round the cap, lit from the upper left.
    const double ring = cap + 1.5 * s;
    cairo_pattern_t* metal = cairo_pattern_create_linear(c - ring, c - ring, c + ring, c + ring);
    grey(metal, 0, 182);
    grey(metal, 0.45, 120);
    grey(metal, 0.55, 96);
    grey(metal, 1, 58);
    cairo_arc(cr, c, c, ring, 0, 2 * M_PI);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);

    // Cap: a shallow dome.
    cairo_arc(cr, c + 0.3 * s, c + 0.5 * s, cap + 0.3 * s, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_fill(cr);
    cairo_pattern_t* dome = cairo_pattern_create_radial(c - cap * 0.35, c - cap * 0.4, 0.5 * px, c, c, cap * 1.15);
    grey(dome, 0, 92);
    grey(dome, 0.55, 46);
    grey(dome, 1, 22);
    cairo_arc(cr, c, c, cap, 0, 2 * M_PI);
    cairo_set_source(cr, dome);
    cairo_fill(cr);
    cairo_pattern_destroy(dome);

    // Pointer: an ivory line from near the middle out over the skirt.
    const double inner = cap * 0.22, outer = radius - 1.6 * s;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.0 * s);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_move_to(cr, c + inner * ux + 0.5 * s, c + inner * uy + 0.7 * s);
    cairo_line_to(cr, c + outer * ux + 0.5 * s, c + outer * uy + 0.7 * s);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.0 * s);
    cairo_set_source_rgb(cr, 246 / 255.0, 240 / 255.0, 224 / 255.0);
    cairo_move_to(cr, c + inner * ux, c + inner * uy);
    cairo_line_to(cr, c + outer * ux, c + outer * uy);
    cairo_stroke(cr);

    cairo_destroy(cr);
    Raster r = rasterFromSurface(surface);
    cairo_surface_destroy(surface);
    return r;
}

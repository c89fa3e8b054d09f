#include "tools/make-bitmaps/panel.h"

#include <cairo.h>

#include <cmath>
#include <cstring>

#include "tools/make-bitmaps/cairo_raster.h"
#include "tools/make-bitmaps/layout.h"
#include "tools/make-bitmaps/noise.h"

namespace {

constexpr double kPlateLeft = 6, kPlateTop = 6, kPlateRight = 724, kPlateBottom = kPanelBottom;

void rgb(cairo_t* cr, int r, int g, int b, double a = 1.0) {
    cairo_set_source_rgba(cr, r / 255.0, g / 255.0, b / 255.0, a);
}

void roundedRect(cairo_t* cr, double l, double t, double r, double b, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, r - radius, t + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, r - radius, b - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, l + radius, b - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, l + radius, t + radius, radius, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

// A 1 pixel wide line across 1x pixel row or column `at`: centre and width
// in 1x units such that it covers whole device pixels at every scale.
struct PixelLine {
    double centre, width;
};

PixelLine pixelLine(int at, double scale) {
    int a = layout::toDevice(at, scale), b = layout::toDevice(at + 1, scale);
    return {(a + b) / 2.0 / scale, (b - a) / scale};
}

// Black vinyl covering of the case: a fine grain of device pixels over a
// coarser one of the 1x grid, so more pixels show more grain.
Raster tolex(double scale) {
    Raster r(layout::toDevice(layout::kWidth, scale), layout::toDevice(layout::kHeight, scale));
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            int cx = layout::fromDevice(x, scale), cy = layout::fromDevice(y, scale);
            int v = 20 + int(noise(x, y, 1) * 7) + int(noise(cx / 2, cy / 2, 2) * 4);
            r.at(x, y) = Rgb{uint8_t(v), uint8_t(v), uint8_t(v + 1)};
        }
    return r;
}

// Dark brushed metal. The grain runs along whole rows, so every knob position
// of a row sees the same pixels and the knob pictures fit everywhere. Drawn
// in device pixels: rows of grain and the 1-pixel bevel stay whole pixels.
void plate(cairo_t* cr, double scale) {
    const double left = layout::toDevice(int(kPlateLeft), scale), top = layout::toDevice(int(kPlateTop), scale);
    const double right = layout::toDevice(int(kPlateRight), scale);
    const double bottom = layout::toDevice(int(kPlateBottom), scale);
    roundedRect(cr, left, top, right, bottom, 5 * scale);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(g, 0, 66 / 255.0, 66 / 255.0, 70 / 255.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 42 / 255.0, 42 / 255.0, 45 / 255.0);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (int y = int(top); y < int(bottom); ++y) {
        double n = noise(7, y, 3) - 0.5 + 0.6 * (noise(layout::fromDevice(y, scale) / 3, 11, 4) - 0.5);
        if (n > 0) rgb(cr, 255, 255, 255, n * 0.05);
        else rgb(cr, 0, 0, 0, -n * 0.12);
        cairo_rectangle(cr, left, y, right - left, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);

    // Bevel: lit from above, one 1x pixel wide.
    const double line = std::floor(scale + 0.5), half = line / 2;
    roundedRect(cr, left + half, top + half, right - half, bottom - half, 5 * scale - half);
    cairo_pattern_t* bevel = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgba(bevel, 0, 1, 1, 1, 0.30);
    cairo_pattern_add_color_stop_rgba(bevel, 0.5, 1, 1, 1, 0.08);
    cairo_pattern_add_color_stop_rgba(bevel, 1, 0, 0, 0, 0.6);
    cairo_set_source(cr, bevel);
    cairo_set_line_width(cr, line);
    cairo_stroke(cr);
    cairo_pattern_destroy(bevel);
}

void screw(cairo_t* cr, double x, double y, double slot) {
    cairo_arc(cr, x + 0.6, y + 0.8, 4.6, 0, 2 * M_PI);
    rgb(cr, 0, 0, 0, 0.55);
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(x - 1.5, y - 1.5, 0.5, x, y, 4.5);
    cairo_pattern_add_color_stop_rgb(g, 0, 190 / 255.0, 190 / 255.0, 186 / 255.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 78 / 255.0, 78 / 255.0, 80 / 255.0);
    cairo_arc(cr, x, y, 4, 0, 2 * M_PI);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    rgb(cr, 30, 30, 32, 0.9);
    cairo_set_line_width(cr, 1.1);
    for (double a : {slot, slot + M_PI / 2}) {
        cairo_move_to(cr, x - 2.8 * std::cos(a), y - 2.8 * std::sin(a));
        cairo_line_to(cr, x + 2.8 * std::cos(a), y + 2.8 * std::sin(a));
    }
    cairo_stroke(cr);
}

// An engraved line along a 1x pixel row or column: a dark groove with a lit
// lower edge, each covering whole device pixels across.
void groove(cairo_t* cr, double scale, double x0, double y0, double x1, double y1) {
    const bool vertical = x0 == x1;
    auto line = [&](int offset) {
        PixelLine across = pixelLine(int(vertical ? x0 : y0) + offset, scale);
        cairo_set_line_width(cr, across.width);
        if (vertical) {
            cairo_move_to(cr, across.centre, y0 + 0.5);
            cairo_line_to(cr, across.centre, y1 + 0.5);
        } else {
            cairo_move_to(cr, x0 + 0.5, across.centre);
            cairo_line_to(cr, x1 + 0.5, across.centre);
        }
        cairo_stroke(cr);
    };
    rgb(cr, 10, 10, 12, 0.75);
    line(0);
    rgb(cr, 255, 255, 255, 0.10);
    line(1);
}

void nameplate(cairo_t* cr, const Fonts& fonts) {
    const char* name = "Qelt ePiano";
    const double x = 30, y = 100, size = 42, slant = 0.16;
    fonts.use(cr, Face::SerifBold, size, slant);
    rgb(cr, 6, 6, 7, 0.85);
    drawText(cr, name, x + 1.5, y + 2, Align::Left);

    cairo_pattern_t* chrome = cairo_pattern_create_linear(0, y - size * 0.75, 0, y + 2);
    cairo_pattern_add_color_stop_rgb(chrome, 0.0, 0.95, 0.95, 0.93);
    cairo_pattern_add_color_stop_rgb(chrome, 0.48, 0.78, 0.78, 0.79);
    cairo_pattern_add_color_stop_rgb(chrome, 0.52, 0.58, 0.58, 0.61);
    cairo_pattern_add_color_stop_rgb(chrome, 1.0, 0.86, 0.86, 0.85);
    cairo_set_source(cr, chrome);
    drawText(cr, name, x, y, Align::Left);
    cairo_pattern_destroy(chrome);

    fonts.use(cr, Face::SansBold, 8.5);
    rgb(cr, 200, 62, 58);
    drawText(cr, "SAMPLED ELECTRIC PIANO", x + 3, y + 22, Align::Left, 2.6);
}

// Ticks at every tenth of the sweep, longer at the ends and the middle, and
// a word under each end of the sweep.
struct Scale {
    double inner, outer, major;  // tick radii
    double endDx, endDy;         // end words: offset of their centres from the knob centre
    double endSize;
};

// The centre is that of the knob's device square, where its pictures turn.
void knobScale(cairo_t* cr, double scale, const Fonts& fonts, const layout::Knob& knob, const Scale& s,
               const char* low, const char* high) {
    const Box device = layout::toDevice(knob.box, scale);
    const double cx = (device.left + device.right) / 2.0 / scale;
    const double cy = (device.top + device.bottom) / 2.0 / scale;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i <= 10; ++i) {
        double a = layout::angleForValue(i / 10.0);
        bool major = i % 5 == 0;
        double r1 = major ? s.major : s.outer;
        cairo_set_line_width(cr, major ? 1.5 : 1.0);
        rgb(cr, 205, 200, 188, major ? 0.95 : 0.7);
        cairo_move_to(cr, cx + s.inner * std::cos(a), cy - s.inner * std::sin(a));
        cairo_line_to(cr, cx + r1 * std::cos(a), cy - r1 * std::sin(a));
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

    fonts.use(cr, Face::Sans, s.endSize);
    rgb(cr, 165, 162, 154);
    drawText(cr, low, cx - s.endDx, cy + s.endDy, Align::Centre);
    drawText(cr, high, cx + s.endDx, cy + s.endDy, Align::Centre);

    fonts.use(cr, Face::SansBold, 9);
    rgb(cr, 222, 218, 208);
    drawText(cr, knob.name, cx, 60, Align::Centre, 0.2);
}

// A group caption between two engraved lines.
void caption(cairo_t* cr, double scale, const Fonts& fonts, const char* text, int left, int right) {
    const int y = 31;
    fonts.use(cr, Face::SansBold, 7.5);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    double half = (e.x_advance + 2.4 * (std::strlen(text) - 1)) / 2 + 6;
    double mid = (left + right) / 2.0;
    groove(cr, scale, left, y - 3, mid - half, y - 3);
    groove(cr, scale, mid + half, y - 3, right, y - 3);
    rgb(cr, 200, 62, 58);
    drawText(cr, text, mid, y, Align::Centre, 2.4);
}

}  // namespace

Raster drawPanel(const Fonts& fonts, double scale) {
    cairo_surface_t* surface = surfaceFromRaster(tolex(scale));
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);

    plate(cr, scale);
    cairo_scale(cr, scale, scale);
    screw(cr, 16, 16, 0.35);
    screw(cr, 714, 16, 1.2);
    screw(cr, 16, kPanelBottom - 10, 0.9);
    screw(cr, 714, kPanelBottom - 10, 0.1);
    nameplate(cr, fonts);

    for (double x : {336.0, 470.0, 605.0}) groove(cr, scale, x, 34, x, 146);

    caption(cr, scale, fonts, "TONE", 346, 461);
    caption(cr, scale, fonts, "LFO", 480, 596);
    caption(cr, scale, fonts, "OUTPUT", 615, 714);

    const auto& knobs = layout::knobs();
    const Scale small{22, 25, 26.5, 14, 28, 6.8};
    const char* ends[4][2] = {{"0", "10"}, {"\xe2\x88\x92", "+"}, {"Pan", "Trem"}, {"Slow", "Fast"}};
    for (int i = 0; i < 4; ++i) knobScale(cr, scale, fonts, knobs[i], small, ends[i][0], ends[i][1]);
    knobScale(cr, scale, fonts, knobs[4], Scale{34, 37.5, 39.5, 24, 40, 7.5}, "0", "10");

    cairo_destroy(cr);
    Raster r = rasterFromSurface(surface);
    cairo_surface_destroy(surface);
    return r;
}

#include "tools/make-bitmaps/menu.h"

#include <cairo.h>

#include "tools/make-bitmaps/cairo_raster.h"
#include "tools/make-bitmaps/layout.h"

namespace {

const char* const kLabels[layout::kMenuRows] = {"100 %", "150 %", "200 %", "Automatic"};

void rgb(cairo_t* cr, int r, int g, int b) { cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0); }

// One copy of the menu with its top at device row `top`: the border and
// rows in whole device pixels, the lettering and ticks drawn in 1x units.
void drawMenu(cairo_t* cr, const Fonts& fonts, double scale, int top, bool ticked) {
    const int width = layout::toDevice(layout::kMenuWidth, scale);
    const int height = layout::toDevice(layout::kMenuHeight, scale);
    const int border = layout::toDevice(1, scale);
    rgb(cr, 96, 96, 102);
    cairo_rectangle(cr, 0, top, width, height);
    cairo_fill(cr);
    rgb(cr, 34, 34, 37);
    cairo_rectangle(cr, border, top + border, width - 2 * border, height - 2 * border);
    cairo_fill(cr);

    cairo_save(cr);
    cairo_translate(cr, 0, top);
    cairo_scale(cr, scale, scale);
    for (int row = 0; row < layout::kMenuRows; ++row) {
        const double rowTop = layout::menuRowTop(row), middle = rowTop + layout::kMenuRowHeight / 2.0;
        fonts.use(cr, Face::Sans, 12);
        rgb(cr, 226, 226, 228);
        drawText(cr, kLabels[row], 26, rowTop + 14, Align::Left);
        if (!ticked) continue;
        rgb(cr, 236, 178, 84);
        cairo_set_line_width(cr, 2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, 8, middle);
        cairo_line_to(cr, 12, middle + 4);
        cairo_line_to(cr, 19, middle - 5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

}  // namespace

Raster drawScaleMenu(const Fonts& fonts, double scale) {
    const int width = layout::toDevice(layout::kMenuWidth, scale);
    const int height = layout::toDevice(layout::kMenuHeight, scale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, 2 * height);
    cairo_t* cr = cairo_create(surface);
    drawMenu(cr, fonts, scale, 0, false);
    drawMenu(cr, fonts, scale, height, true);
    cairo_destroy(cr);
    Raster r = rasterFromSurface(surface);
    cairo_surface_destroy(surface);
    return r;
}
